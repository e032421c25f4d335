#pragma once
// Number <-> text as the run-time does it.
#include <string>
#include <string_view>

namespace kp {

// Text of value with exactly `decimals` decimals and '.' as decimal point,
// no padding, rounded half away from zero on the decimal value the number
// prints as (2.675 -> "2.68", 116.15 -> "116.15"). "-0" never appears.
std::string FormatNumber(double value, int decimals);

double Val(std::string_view text);
std::string Str(double value, int width = -1, int decimals = -1);
std::string NTrim(double value);

}  // namespace kp
