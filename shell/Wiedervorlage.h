#pragma once
// The resubmissions ("Wiedervorlagen") that the filing of letters puts into
// DatWV.dbf, as the appointment calendar shows them: the days of a month
// that have any, and those of one day with the letter's addressee, file and
// reason. The tables are read anew for each question, so what another
// program filed meanwhile is there too.
#include <string>
#include <vector>

#include "platform/runtime/date.h"

namespace kp {

struct Resubmission {
    Date tag;
    std::string addressee;  // from the document register; "" when not filed there
    std::string letter;     // file name without folder
    std::string reason;
    std::string file;  // full file name, to open the letter
};

// The resubmissions of one day in dataPath (ending in a backslash), in
// the order of DatWV.ntx; none when the table is missing.
std::vector<Resubmission> ResubmissionsOn(const std::string& dataPath, Date day);

// The day numbers (1-31) of the month of `month` that have a resubmission.
std::vector<int> ResubmissionDays(const std::string& dataPath, Date month);

// One line of the calendar's list: addressee, letter and reason, split by
// tabs.
std::string ResubmissionLine(const Resubmission& r);

}  // namespace kp
