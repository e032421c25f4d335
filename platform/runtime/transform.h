#pragma once
// Transform: a value formatted with a picture, as the classic run-time does.
//
// Picture = ["@" functions [" " template]] | template.
// Functions: E European (thousands '.', decimal ','; otherwise the
//   SetThousandSep / SetDecimalSep characters), B left-justified, Z blank
//   when zero, ( negative numbers in parentheses, C " CR" after a positive,
//   X " DB" after a negative, ! upper case, R template literals inserted into
//   strings; S<n> and others are accepted and ignored.
// Number templates: 9 and # are digit positions (* and $ too, filling the
//   unused ones with themselves), the first '.' is the decimal point, ',' the
//   thousands separator (a blank where no digit stands to its left), anything
//   else is copied. A sign takes a digit position; a number that does not
//   fit gives asterisks over the whole width. Rounding as FormatNumber.
//   Transform(64000, "@E 999,999") = " 64.000"; Transform(7, "999") = "  7".
// Without a template a number looks as Str shows it.
// Strings: ! upper-cases the character, other template characters take the
//   next character; literals replace one (or are inserted with @R).
// Logic: "T"/"F" ("Y"/"N" with the template Y); dates: DToC; nil: "".
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/runtime/usual.h"

namespace kp {

std::string Transform(const Usual& value, std::string_view picture);
std::string Transform(double value, std::string_view picture);
std::string TransformInt(int64_t value, std::string_view picture);
template <std::integral T>
requires(!std::same_as<T, bool>) std::string Transform(T value, std::string_view picture) {
    return TransformInt(static_cast<int64_t>(value), picture);
}

}  // namespace kp
