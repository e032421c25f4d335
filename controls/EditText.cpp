#include "controls/EditText.h"

#include "platform/runtime/utf8.h"

namespace kp {

namespace {

int Utf16Units(char32_t c) {
    return c != kBadUtf8 && c > 0xFFFF ? 2 : 1;
}

}  // namespace

size_t Utf8OffsetOfUtf16(std::string_view text, int units) {
    size_t pos = 0;
    int counted = 0;
    while (pos < text.size() && counted < units)
        counted += Utf16Units(DecodeUtf8(text, pos));
    return pos;
}

int Utf16OffsetOfUtf8(std::string_view text, size_t bytes) {
    size_t pos = 0;
    int counted = 0;
    while (pos < text.size() && pos < bytes)
        counted += Utf16Units(DecodeUtf8(text, pos));
    return counted;
}

}  // namespace kp
