#include "tools/uidriver/format.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace kp::uidriver {

namespace {

char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The caption as shown: single '&' markers dropped, "&&" read as '&'.
std::string Shown(std::string_view caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&') {
            out += FoldAscii(caption[i]);
        } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
            out += '&';
            ++i;
        }
    }
    return out;
}

template <typename T>
std::optional<T> ParseNumber(std::string_view text, int base) {
    T value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

constexpr std::array<std::string_view, 12> kButtonNames = {
    "",    "OK", "CANCEL", "ABORT", "RETRY",    "IGNORE",
    "YES", "NO", "CLOSE",  "HELP",  "TRYAGAIN", "CONTINUE"};

}  // namespace

std::string EscapeLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
                    out += hex;
                } else {
                    out += c;
                }
        }
    }
    return out;
}

bool SameCaption(std::string_view caption, std::string_view asked) {
    const std::string shown = Shown(caption);
    if (shown == Shown(asked))
        return true;
    std::string literal;
    for (const char c : asked)
        literal += FoldAscii(c);
    return shown == literal;
}

std::optional<int> ParseControlId(std::string_view text) {
    std::optional<long> value;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        value = ParseNumber<long>(text.substr(2), 16);
    } else {
        value = ParseNumber<long>(text, 10);
    }
    if (!value || *value < 0 || *value > 0xFFFF)
        return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<int> ParseMilliseconds(std::string_view text) {
    const auto value = ParseNumber<long>(text, 10);
    if (!value || *value < 0 || *value > 24L * 3600 * 1000)
        return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<unsigned long> ParseProcessId(std::string_view text) {
    const auto value = ParseNumber<unsigned long long>(text, 10);
    if (!value || *value == 0 || *value > 0xFFFFFFFFULL)
        return std::nullopt;
    return static_cast<unsigned long>(*value);
}

std::optional<int> StandardButtonId(std::string_view name) {
    std::string upper;
    for (const char c : name)
        upper += FoldAscii(c);
    std::string_view key = upper;
    if (key.size() > 2 && key.substr(0, 2) == "ID")
        key.remove_prefix(2);
    for (size_t id = 1; id < kButtonNames.size(); ++id) {
        if (kButtonNames[id] == key)
            return static_cast<int>(id);
    }
    return std::nullopt;
}

std::string_view StandardButtonName(int id) {
    if (id <= 0 || static_cast<size_t>(id) >= kButtonNames.size())
        return "";
    return kButtonNames[static_cast<size_t>(id)];
}

ButtonChoice ParseButtonChoice(std::string_view text) {
    ButtonChoice choice;
    if (auto id = StandardButtonId(text)) {
        choice.id = id;
    } else if (auto number = ParseControlId(text)) {
        choice.id = number;
    } else {
        choice.caption = std::string(text);
    }
    return choice;
}

std::string ToWindowsPath(std::string_view path) {
    if (path.empty() || path[0] != '/')
        return std::string(path);
    std::string out = "Z:";
    for (const char c : path)
        out += (c == '/') ? '\\' : c;
    return out;
}

}  // namespace kp::uidriver
