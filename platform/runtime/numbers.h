#pragma once
// Number <-> text as the run-time does it.
//
// Rounding is half away from zero on the decimal value the number prints as:
// the shortest decimal text (at most 17 significant digits) that reads back
// as the same double is rounded as a decimal string.
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

namespace kp {

class Usual;

// Text of value with exactly `decimals` decimals and '.' as decimal point,
// no padding, rounded half away from zero on the decimal value the number
// prints as (2.675 -> "2.68", 116.15 -> "116.15"). "-0" never appears.
// decimals < 0 counts as 0. NaN and infinities give "nan", "inf", "-inf".
std::string FormatNumber(double value, int decimals);

// Leading blanks, an optional sign, digits and one decimal point ('.' or the
// SetDecimalSep character); stops at the first other character. "" -> 0.
double Val(std::string_view text);

// Right-aligned text of width characters with `decimals` decimals and the
// SetDecimalSep decimal separator. decimals < 0: SetDecimal() for a double, 0
// for an integer. width < 0: SetDigit() (10) + decimals + 1 for the point
// (just SetDigit() without decimals). A number too wide for the width gives
// width asterisks (for display only).
std::string Str(double value, int width = -1, int decimals = -1);
std::string StrInt(int64_t value, int width = -1, int decimals = -1);
template <std::integral T>
requires(!std::same_as<T, bool>) std::string Str(T value, int width = -1, int decimals = -1) {
    if constexpr (std::is_unsigned_v<T> && sizeof(T) >= sizeof(int64_t)) {
        if (value > static_cast<T>(INT64_MAX))
            return Str(static_cast<double>(value), width, decimals);
    }
    return StrInt(static_cast<int64_t>(value), width, decimals);
}
// A Usual: a long as an integer, a float with its own decimals (or the
// SetDecimal setting); other types give "".
std::string Str(const Usual& value, int width = -1, int decimals = -1);

// Str without leading and trailing blanks: NTrim(5) = "5", NTrim(2.5) = "2.50";
// never asterisks, however long the number.
std::string NTrim(double value);
std::string NTrim(const Usual& value);
template <std::integral T>
requires(!std::same_as<T, bool>) std::string NTrim(T value) {
    if constexpr (std::is_unsigned_v<T>)
        return std::to_string(value);
    else
        return std::to_string(static_cast<int64_t>(value));
}

// Resets the floating-point state (clears the exception flags).
void MathInit();

}  // namespace kp
