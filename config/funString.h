#pragma once
// String helpers of the configuration layer.
#include <string>
#include <string_view>
#include <vector>

namespace kp {

// Splits text at each occurrence of the delimiter into its pieces, each with
// leading and trailing blanks removed: String2Array("a, b ,c") is {"a", "b",
// "c"}. There is always one piece more than there are delimiters, so ""
// gives {""} and "a," gives {"a", ""}. A delimiter of several characters
// counts as one delimiter where it occurs whole; an empty delimiter leaves
// the text in one piece. The delimiter may be "\0" (std::string_view("\0", 1)).
std::vector<std::string> String2Array(std::string_view text, std::string_view delimiter = ",");

}  // namespace kp
