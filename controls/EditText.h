#pragma once
// Positions in an edit control's text. The control counts in UTF-16 units
// (EM_GETSEL, EM_SETSEL); the program keeps the text as UTF-8. Every
// position that crosses that boundary goes through these.
#include <cstddef>
#include <string_view>

namespace kp {

// The byte offset in UTF-8 `text` of the UTF-16 position `units` (a
// character outside the basic plane counts two units). A position inside
// such a pair, or beyond the text, gives the offset of the next character
// or the text's size; a negative one gives 0.
size_t Utf8OffsetOfUtf16(std::string_view text, int units);

// The UTF-16 position of the byte offset `bytes` (rounded up to the start of
// the next character when it falls inside one).
int Utf16OffsetOfUtf8(std::string_view text, size_t bytes);

}  // namespace kp
