#include "wordpad/marginsRules.h"

#include <algorithm>
#include <cmath>

#include "platform/runtime/numbers.h"
#include "platform/runtime/strings.h"

namespace kp {

std::string UnitText(bool inches) {
    return inches ? "in" : "cm";
}

std::string MarginText(long twips, bool inches) {
    const double value = static_cast<double>(twips) / static_cast<double>(TwipsPerUnit(inches));
    return Str(value, 5, 2) + " " + UnitText(inches);
}

long MarginTwips(std::string_view text, bool inches) {
    const double twips = Val(text) * static_cast<double>(TwipsPerUnit(inches));
    const double limit = static_cast<double>(kMaxIndentTwips);
    if (std::isnan(twips))
        return 0;
    return std::lround(std::clamp(twips, -limit, limit));
}

std::string AlignmentText(int alignment) {
    switch (alignment) {
        case 1:
            return "Left";
        case 2:
            return "Right";
        default:
            return "Centre";
    }
}

int AlignmentCode(std::string_view text) {
    const std::string t = Upper(AllTrim(text));
    if (t == "LEFT")
        return 1;
    if (t == "RIGHT")
        return 2;
    return 3;
}

}  // namespace kp
