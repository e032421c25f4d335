#include "shell/Wiedervorlage.h"

#include <algorithm>
#include <filesystem>
#include <functional>

#include "platform/data/dbserver.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace {

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::path(Utf8ToWide(path)), ec);
}

std::string Text(DBServer& db, const char* field) {
    const Usual v = db.FieldGet(Symbol(field));
    return v.IsString() ? Trim(v.AsString()) : std::string();
}

// Calls each for every record of DatWV.dbf whose TAG begins with the key
// prefix (an index seek where the index is there, else a scan).
void ForEachResubmission(const std::string& dataPath, const std::string& prefix,
                         const std::function<void(DBServer&)>& each) {
    if (!Exists(dataPath + "DatWV.dbf"))
        return;
    DBServer wv(dataPath + "DatWV.dbf");
    if (!wv.Used())
        return;
    const auto matches = [&] {
        const Usual tag = wv.FieldGet(Symbol("TAG"));
        return tag.IsDate() && DToS(tag.AsDate()).starts_with(prefix);
    };
    if (Exists(dataPath + "DatWV.ntx") && wv.SetIndex(dataPath + "DatWV.ntx")) {
        for (wv.Seek(Usual(prefix)); !wv.EoF() && matches(); wv.Skip(1))
            each(wv);
    } else {
        for (wv.GoTop(); !wv.EoF(); wv.Skip(1))
            if (matches())
                each(wv);
    }
    wv.Close();
}

}  // namespace

std::vector<Resubmission> ResubmissionsOn(const std::string& dataPath, Date day) {
    std::vector<Resubmission> found;
    if (day.IsEmpty())
        return found;
    ForEachResubmission(dataPath, DToS(day), [&](DBServer& wv) {
        found.push_back(
            Resubmission{day, "", Text(wv, "WV"), Text(wv, "WVGRUND"), Text(wv, "DABLAGE")});
    });
    if (found.empty() || !Exists(dataPath + "DokVW.dbf"))
        return found;
    // The addressee is the filed document's: customer, else insurer, else
    // broker. The register's fifth order is the file name as filed.
    DBServer dok(dataPath + "DokVW.dbf");
    if (!dok.Used() || !Exists(dataPath + "DokVW5.ntx") || !dok.SetIndex(dataPath + "DokVW5.ntx"))
        return found;
    for (Resubmission& r : found) {
        if (r.file.empty() || !dok.Seek(Usual(r.file)) ||
            Upper(Text(dok, "ABLAGE")) != Upper(r.file))
            continue;
        for (const char* field : {"KUNDE", "GESELL", "VERMITTLER"}) {
            r.addressee = Text(dok, field);
            if (!r.addressee.empty())
                break;
        }
    }
    dok.Close();
    return found;
}

std::vector<int> ResubmissionDays(const std::string& dataPath, Date month) {
    std::vector<int> days;
    if (month.IsEmpty())
        return days;
    ForEachResubmission(dataPath, DToS(month).substr(0, 6), [&](DBServer& wv) {
        const int day = wv.FieldGet(Symbol("TAG")).AsDate().Day();
        if (std::find(days.begin(), days.end(), day) == days.end())
            days.push_back(day);
    });
    std::sort(days.begin(), days.end());
    return days;
}

std::string ResubmissionLine(const Resubmission& r) {
    return (r.addressee.empty() ? std::string("–") : r.addressee) + "\t" + r.letter + "\t" +
           r.reason;
}

}  // namespace kp
