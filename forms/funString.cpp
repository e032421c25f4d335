#include "forms/funString.h"

namespace kp {

std::string Token(std::string_view text, int field, std::string_view delimiter) {
    if (field < 1)
        return {};
    if (delimiter.empty())
        return field == 1 ? std::string(text) : std::string();
    // Skip the fields before the wanted one; running out of delimiters means
    // there is no such field.
    for (int i = 1; i < field; ++i) {
        const size_t at = text.find(delimiter);
        if (at == std::string_view::npos)
            return {};
        text.remove_prefix(at + delimiter.size());
    }
    return std::string(text.substr(0, text.find(delimiter)));
}

}  // namespace kp
