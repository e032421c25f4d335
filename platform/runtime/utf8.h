#pragma once
// UTF-8 helpers: the one place that decodes and encodes code points, and the
// converter pair for the Win32 boundary (UTF-8 inside, UTF-16 wchar_t outside).
//
// Malformed UTF-8 never fails: each byte that does not start a valid sequence
// decodes as one character, U+FFFD for the converters, and the string
// functions count it as one character and keep its byte as it was.
#include <cstddef>
#include <string>
#include <string_view>

namespace kp {

// Decodes the character at s[pos]; advances pos past it (at least one byte).
// Returns the code point, or kBadUtf8 for a byte that starts no valid sequence.
inline constexpr char32_t kBadUtf8 = 0xFFFFFFFF;
char32_t DecodeUtf8(std::string_view s, size_t& pos);

// Appends the UTF-8 form of cp (U+FFFD for an invalid code point).
void AppendUtf8(std::string& out, char32_t cp);

// Number of characters (code points; malformed bytes count one each).
size_t Utf8Length(std::string_view s);

// Byte offset of the character with 0-based index `chars`; s.size() when the
// string has no more characters.
size_t Utf8Offset(std::string_view s, size_t chars);

// True when the whole text is well-formed UTF-8.
bool IsValidUtf8(std::string_view s);

// UTF-8 <-> wchar_t text (UTF-16 where wchar_t has 16 bits, as on Windows;
// UTF-32 elsewhere). Malformed input becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

}  // namespace kp
