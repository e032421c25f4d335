#pragma once
// Code pages 437, 850 and 1252 <-> UTF-8.
#include <cstddef>
#include <string>
#include <string_view>

namespace kp {

// The OEM code page in force (on Windows the system's OEM code page if it is
// one we know, else 850); tests may set it.
int OemCodePage();
void SetOemCodePage(int cp);

// The code page that table character data uses under the current settings:
// 1252 when SetAnsi(true), else OemCodePage().
int TableCodePage();

// Bytes in code page cp -> UTF-8 text.
std::string CpToUtf8(std::string_view bytes, int cp);

// UTF-8 text -> bytes in code page cp. Returns false when a character has no
// byte in cp (or the UTF-8 is malformed); *badChar then gets its position in
// characters.
bool Utf8ToCp(std::string_view utf8, int cp, std::string& out, size_t* badChar = nullptr);

// Upper / lower case of one byte of code page cp (ä -> Ä; ß stays ß).
unsigned char CpUpper(unsigned char c, int cp);
unsigned char CpLower(unsigned char c, int cp);

}  // namespace kp
