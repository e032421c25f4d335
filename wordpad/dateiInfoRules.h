#pragma once
// What the document-information dialog writes when it files a letter.
// Plain functions over DBServer, without windows.
#include <string>
#include <string_view>

namespace kp {

// "ANREDE TITEL VNAME NNAME": each part trimmed, empty parts left out,
// joined by single blanks.
std::string PersonText(std::string_view anrede, std::string_view titel, std::string_view vname,
                       std::string_view nname);

}  // namespace kp
