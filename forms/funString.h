#pragma once
// String helpers of the form framework.
#include <string>
#include <string_view>

namespace kp {

// Field n (1-based) of a text of fields separated by the delimiter: the text
// between the (n-1)-th and the n-th delimiter, not trimmed. A field number
// beyond the last field, or below 1, gives "". So "a,b,,d" has the fields
// "a", "b", "" and "d".
std::string Token(std::string_view text, int field, std::string_view delimiter = ",");

}  // namespace kp
