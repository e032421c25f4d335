#include "wordpad/dateiInfoRules.h"

#include "platform/runtime/strings.h"

namespace kp {

std::string PersonText(std::string_view anrede, std::string_view titel, std::string_view vname,
                       std::string_view nname) {
    std::string out;
    for (std::string_view part : {anrede, titel, vname, nname}) {
        std::string t = AllTrim(part);
        if (t.empty()) {
            continue;
        }
        if (!out.empty()) {
            out += ' ';
        }
        out += t;
    }
    return out;
}

}  // namespace kp
