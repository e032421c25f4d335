#include "platform/runtime/strevaluate.h"

namespace kp {

namespace {

bool IsNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

}  // namespace

std::string StrEvaluate(std::string_view text, const VariableLookup& lookup) {
    if (!lookup)
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '&' || i + 1 >= text.size() || !IsNameStart(text[i + 1])) {
            out.push_back(c);
            ++i;
            continue;
        }
        size_t end = i + 1;
        while (end < text.size() && IsNameChar(text[end]))
            ++end;
        const std::string_view name = text.substr(i + 1, end - i - 1);
        const std::optional<std::string> value = lookup(name);
        if (!value) {
            // Not a variable: the characters stay, the scan goes on after the
            // name (a name is never half a reference).
            out.append(text.substr(i, end - i));
            i = end;
            continue;
        }
        out += *value;
        i = end;
        if (i < text.size() && text[i] == '.')
            ++i;  // the terminating dot belongs to the reference
    }
    return out;
}

}  // namespace kp
