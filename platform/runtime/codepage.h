#pragma once
// Code pages 437, 850 and 1252 <-> UTF-8. A code page number we do not know
// is read as 1252; 65001 is UTF-8 itself. The five bytes that 1252 leaves
// undefined map to the C1 controls U+0081 ... as Windows maps them.
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
// The same, appended to out (no allocation beyond out's growth).
void AppendCpAsUtf8(std::string& out, std::string_view bytes, int cp);

// UTF-8 text -> bytes in code page cp. Returns false when a character has no
// byte in cp (or the UTF-8 is malformed); *badChar then gets its position in
// characters (0-based).
bool Utf8ToCp(std::string_view utf8, int cp, std::string& out, size_t* badChar = nullptr);

// Upper / lower case of one byte of code page cp (ä -> Ä; ß stays ß).
unsigned char CpUpper(unsigned char c, int cp);
unsigned char CpLower(unsigned char c, int cp);

// One byte <-> one character. CharToCp gives -1 when cp has no byte for c.
char32_t CpToChar(unsigned char b, int cp);
int CharToCp(char32_t c, int cp);

// OEM <-> ANSI on UTF-8 text, as the classic functions do on bytes: Oem2Ansi
// takes each character's Windows-1252 byte as an OEM byte (OemCodePage());
// Ansi2Oem the reverse, so Oem2Ansi(Ansi2Oem(t)) == t. A character without a
// byte in the source code page is kept as it is.
std::string Oem2Ansi(std::string_view text);
std::string Ansi2Oem(std::string_view text);

// The same on raw bytes (OEM bytes -> 1252 bytes and back); a character that
// the target code page lacks becomes '?'.
std::string Oem2AnsiBytes(std::string_view bytes);
std::string Ansi2OemBytes(std::string_view bytes);

}  // namespace kp
