#include "platform/runtime/strings.h"

#include <cstdint>
#include <vector>

#include "platform/runtime/utf8.h"

namespace kp {

namespace {

// Splits text into characters: the byte offset of each character, plus a
// final entry for the end.
std::vector<size_t> CharOffsets(std::string_view s) {
    std::vector<size_t> offs;
    offs.reserve(s.size() + 1);
    for (size_t pos = 0; pos < s.size();) {
        offs.push_back(pos);
        DecodeUtf8(s, pos);
    }
    offs.push_back(s.size());
    return offs;
}

template <typename Fn>
std::string MapChars(std::string_view s, Fn fn) {
    std::string out;
    out.reserve(s.size());
    for (size_t pos = 0; pos < s.size();) {
        const size_t start = pos;
        const char32_t c = DecodeUtf8(s, pos);
        if (c == kBadUtf8) {
            out.append(s.substr(start, pos - start));  // kept as it was
        } else {
            AppendUtf8(out, fn(c));
        }
    }
    return out;
}

std::string_view FirstChar(std::string_view s) {
    if (s.empty())
        return " ";
    size_t pos = 0;
    DecodeUtf8(s, pos);
    return s.substr(0, pos);
}

}  // namespace

char32_t UpperChar(char32_t c) {
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        if ((c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
            return (c & 1) ? c - 1 : c;
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c & 1) ? c : c - 1;
        if (c == 0x131)
            return 'I';
        return c;
    }
    if (c == 0x192)
        return 0x191;
    if (c >= 0x3B1 && c <= 0x3C9)
        return c == 0x3C2 ? 0x3A3 : c - 0x20;
    if (c == 0x3AC)
        return 0x386;
    if (c >= 0x3AD && c <= 0x3AF)
        return c - 0x25;
    if (c == 0x3CC)
        return 0x38C;
    if (c == 0x3CD || c == 0x3CE)
        return c - 0x3F;
    if (c >= 0x430 && c <= 0x44F)
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    return c;
}

char32_t LowerChar(char32_t c) {
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 0x20;
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x100 && c <= 0x17F) {
        if ((c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
            return (c & 1) ? c : c + 1;
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c & 1) ? c + 1 : c;
        if (c == 0x130)
            return 'i';
        return c;
    }
    if (c == 0x191)
        return 0x192;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2)
        return c + 0x20;
    if (c == 0x386)
        return 0x3AC;
    if (c >= 0x388 && c <= 0x38A)
        return c + 0x25;
    if (c == 0x38C)
        return 0x3CC;
    if (c == 0x38E || c == 0x38F)
        return c + 0x3F;
    if (c >= 0x410 && c <= 0x42F)
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    return c;
}

bool IsLetter(char32_t c) {
    return UpperChar(c) != c || LowerChar(c) != c || c == 0xDF || c == 0xAA || c == 0xBA ||
           c == 0x138 || c == 0x149 || c == 0x17F;
}

bool IsDigitChar(char32_t c) {
    return c >= '0' && c <= '9';
}

std::string Upper(std::string_view s) {
    return MapChars(s, UpperChar);
}
std::string Lower(std::string_view s) {
    return MapChars(s, LowerChar);
}

std::string Proper(std::string_view s) {
    bool inWord = false;
    return MapChars(s, [&inWord](char32_t c) {
        if (IsLetter(c)) {
            const char32_t r = inWord ? LowerChar(c) : UpperChar(c);
            inWord = true;
            return r;
        }
        inWord = IsDigitChar(c);
        return c;
    });
}

std::string RTrim(std::string_view s) {
    size_t end = s.size();
    while (end > 0 && s[end - 1] == ' ')
        --end;
    return std::string(s.substr(0, end));
}
std::string Trim(std::string_view s) {
    return RTrim(s);
}

std::string LTrim(std::string_view s) {
    size_t begin = 0;
    while (begin < s.size() && s[begin] == ' ')
        ++begin;
    return std::string(s.substr(begin));
}

std::string AllTrim(std::string_view s) {
    size_t begin = 0, end = s.size();
    while (begin < end && s[begin] == ' ')
        ++begin;
    while (end > begin && s[end - 1] == ' ')
        --end;
    return std::string(s.substr(begin, end - begin));
}

size_t Len(std::string_view s) {
    return Utf8Length(s);
}

std::string Left(std::string_view s, int n) {
    if (n <= 0)
        return {};
    return std::string(s.substr(0, Utf8Offset(s, static_cast<size_t>(n))));
}

std::string Right(std::string_view s, int n) {
    if (n <= 0)
        return {};
    const size_t len = Utf8Length(s);
    if (static_cast<size_t>(n) >= len)
        return std::string(s);
    return std::string(s.substr(Utf8Offset(s, len - static_cast<size_t>(n))));
}

std::string SubStr(std::string_view s, int start, int count) {
    const auto offs = CharOffsets(s);
    const int64_t len = static_cast<int64_t>(offs.size()) - 1;
    int64_t first;  // 0-based
    if (start > 0) {
        first = start - 1;
    } else if (start == 0) {
        first = 0;
    } else {
        first = len + start;
        if (first < 0)
            first = 0;
    }
    if (first >= len)
        return {};
    int64_t last = len;  // exclusive
    if (count >= 0 && first + count < len)
        last = first + count;
    return std::string(s.substr(offs[first], offs[last] - offs[first]));
}

size_t At(std::string_view search, std::string_view s) {
    if (search.empty())
        return 0;
    const size_t p = s.find(search);
    if (p == std::string_view::npos)
        return 0;
    return Utf8Length(s.substr(0, p)) + 1;
}

size_t RAt(std::string_view search, std::string_view s) {
    if (search.empty())
        return 0;
    const size_t p = s.rfind(search);
    if (p == std::string_view::npos)
        return 0;
    return Utf8Length(s.substr(0, p)) + 1;
}

std::string Stuff(std::string_view s, int start, int del, std::string_view ins) {
    const auto offs = CharOffsets(s);
    const int64_t len = static_cast<int64_t>(offs.size()) - 1;
    int64_t first = start > 0 ? int64_t{start} - 1 : 0;
    if (first > len)
        first = len;
    int64_t last = first + (del > 0 ? del : 0);
    if (last > len)
        last = len;
    std::string out(s.substr(0, offs[first]));
    out.append(ins);
    out.append(s.substr(offs[last]));
    return out;
}

std::string Replicate(std::string_view s, int times) {
    std::string out;
    if (times <= 0)
        return out;
    out.reserve(s.size() * static_cast<size_t>(times));
    for (int i = 0; i < times; ++i)
        out.append(s);
    return out;
}

std::string Chr(char32_t c) {
    std::string s;
    AppendUtf8(s, c);
    return s;
}

char32_t Asc(std::string_view s) {
    if (s.empty())
        return 0;
    size_t pos = 0;
    const char32_t c = DecodeUtf8(s, pos);
    return c == kBadUtf8 ? static_cast<unsigned char>(s[0]) : c;
}

std::string Space(int n) {
    return n > 0 ? std::string(static_cast<size_t>(n), ' ') : std::string();
}

std::string PadL(std::string_view s, int n, std::string_view fill) {
    if (n <= 0)
        return {};
    const size_t len = Utf8Length(s);
    if (len >= static_cast<size_t>(n))
        return Left(s, n);
    return Replicate(FirstChar(fill), n - static_cast<int>(len)) + std::string(s);
}

std::string PadR(std::string_view s, int n, std::string_view fill) {
    if (n <= 0)
        return {};
    const size_t len = Utf8Length(s);
    if (len >= static_cast<size_t>(n))
        return Left(s, n);
    return std::string(s) + Replicate(FirstChar(fill), n - static_cast<int>(len));
}

std::string PadC(std::string_view s, int n, std::string_view fill) {
    if (n <= 0)
        return {};
    const size_t len = Utf8Length(s);
    if (len >= static_cast<size_t>(n))
        return Left(s, n);
    const int total = n - static_cast<int>(len);
    const int left = total / 2;
    return Replicate(FirstChar(fill), left) + std::string(s) +
           Replicate(FirstChar(fill), total - left);
}

std::string StrTran(std::string_view s, std::string_view search, std::string_view repl, int start,
                    int count) {
    if (search.empty())
        return std::string(s);
    if (start < 1)
        start = 1;
    std::string out;
    size_t pos = 0;
    int seen = 0, done = 0;
    while (count < 0 || done < count) {
        const size_t hit = s.find(search, pos);
        if (hit == std::string_view::npos)
            break;
        ++seen;
        if (seen >= start) {
            out.append(s.substr(pos, hit - pos));
            out.append(repl);
            ++done;
        } else {
            out.append(s.substr(pos, hit - pos + search.size()));
        }
        pos = hit + search.size();
    }
    out.append(s.substr(pos));
    return out;
}

}  // namespace kp
