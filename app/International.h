#pragma once
// The international settings of the run-time, taken from the user's
// Windows locale (mode WINDOWS) or set to fixed values (mode DORVAN).
#include <functional>
#include <optional>
#include <string>

#include "platform/runtime/symbol.h"

namespace kp {

// The locale items the settings are made of.
enum class LocaleItem {
    SDecimal,
    SThousand,
    STime,
    ITime,
    S1159,
    S2359,
    IDate,
    SDate,
    SShortDate,
    IDigits,
};

// Reads one item as text; nothing when Windows cannot give it.
using LocaleReader = std::function<std::optional<std::string>(LocaleItem)>;

// All the settings one mode makes, in the order they are made.
struct InternationalValues {
    char32_t decimalSep = '.';
    char32_t thousandSep = ',';
    char32_t timeSep = ':';
    bool amPm = true;
    std::string amExt = " am";
    std::string pmExt = " pm";
    std::string dateFormat = "MM/DD/YY";
    int decimals = 2;
    bool dictionary = true;
    bool international = true;
    std::optional<bool> century;  // left alone when empty
};

// The date format from the date order (0 month first, 1 day first, 2 year
// first), the separator and the short date pattern of the locale.
std::string DateFormatFromLocale(std::optional<std::string> order, std::optional<std::string> sep,
                                 std::optional<std::string> shortPattern);

InternationalValues WindowsInternational(const LocaleReader& read);
InternationalValues DorvanInternational();

// Hands the values to the run-time.
void ApplyInternational(const InternationalValues& v);

// Switches the mode (WINDOWS or DORVAN) and returns the mode in force
// before; with a null symbol only reports it. An unknown mode is a
// run-time error and changes nothing.
Symbol SetInternational(Symbol mode, const LocaleReader& read);
// The same with the locale of the user (Windows only).
Symbol SetInternational(Symbol mode = Symbol());

}  // namespace kp
