#include "platform/runtime/codepage.h"

#include <array>
#include <unordered_map>

#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"

#include "platform/runtime/cp_tables.inc"

#ifdef _WIN32
extern "C" __declspec(dllimport) unsigned int __stdcall GetOEMCP(void);
#endif

namespace kp {

namespace {

const char16_t* HighHalf(int cp) {
    switch (cp) {
        case 437:
            return kCp437High;
        case 850:
            return kCp850High;
        default:
            return kCp1252High;  // 1252 and any code page we do not know
    }
}

// The reverse table of one code page: code point -> byte, for 0x80-0xFF.
struct Reverse {
    std::unordered_map<char32_t, unsigned char> map;
};

const Reverse& ReverseOf(int cp) {
    static const auto build = [](const char16_t* high) {
        Reverse r;
        for (int i = 0; i < 128; ++i)
            r.map.emplace(high[i], static_cast<unsigned char>(0x80 + i));
        return r;
    };
    static const Reverse r437 = build(kCp437High);
    static const Reverse r850 = build(kCp850High);
    static const Reverse r1252 = build(kCp1252High);
    switch (cp) {
        case 437:
            return r437;
        case 850:
            return r850;
        default:
            return r1252;
    }
}

int KnownOem(int cp) {
    return (cp == 437 || cp == 850) ? cp : 850;
}

int& OemSlot() {
#ifdef _WIN32
    static int cp = KnownOem(static_cast<int>(GetOEMCP()));
#else
    static int cp = 850;
#endif
    return cp;
}

// Byte of code point c in code page cp; -1 when it has none.
int ByteOf(char32_t c, int cp) {
    if (c < 0x80)
        return static_cast<int>(c);
    const Reverse& r = ReverseOf(cp);
    const auto it = r.map.find(c);
    return it == r.map.end() ? -1 : it->second;
}

}  // namespace

char32_t CpToChar(unsigned char b, int cp) {
    if (b < 0x80 || cp == 65001)
        return b;
    return HighHalf(cp)[b - 0x80];
}

int CharToCp(char32_t c, int cp) {
    return ByteOf(c, cp);
}

int OemCodePage() {
    return OemSlot();
}
void SetOemCodePage(int cp) {
    OemSlot() = KnownOem(cp);
}

int TableCodePage() {
    return GetAnsi() ? 1252 : OemCodePage();
}

std::string CpToUtf8(std::string_view bytes, int cp) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    AppendCpAsUtf8(out, bytes, cp);
    return out;
}

void AppendCpAsUtf8(std::string& out, std::string_view bytes, int cp) {
    if (cp == 65001) {
        out += bytes;
        return;
    }
    const char16_t* high = HighHalf(cp);
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out += ch;
        } else {
            AppendUtf8(out, high[b - 0x80]);
        }
    }
}

bool Utf8ToCp(std::string_view utf8, int cp, std::string& out, size_t* badChar) {
    out.clear();
    if (cp == 65001) {  // UTF-8 itself: only malformed text fails
        size_t index = 0;
        for (size_t pos = 0; pos < utf8.size(); ++index) {
            if (DecodeUtf8(utf8, pos) == kBadUtf8) {
                if (badChar)
                    *badChar = index;
                return false;
            }
        }
        out.assign(utf8);
        return true;
    }
    out.reserve(utf8.size());
    size_t index = 0;
    for (size_t pos = 0; pos < utf8.size(); ++index) {
        const char32_t c = DecodeUtf8(utf8, pos);
        const int b = c == kBadUtf8 ? -1 : ByteOf(c, cp);
        if (b < 0) {
            if (badChar)
                *badChar = index;
            return false;
        }
        out += static_cast<char>(b);
    }
    return true;
}

unsigned char CpUpper(unsigned char c, int cp) {
    const int b = ByteOf(UpperChar(CpToChar(c, cp)), cp);
    return b < 0 ? c : static_cast<unsigned char>(b);
}

unsigned char CpLower(unsigned char c, int cp) {
    const int b = ByteOf(LowerChar(CpToChar(c, cp)), cp);
    return b < 0 ? c : static_cast<unsigned char>(b);
}

namespace {

// Reinterprets text: each character that code page `from` holds becomes the
// character that its byte means in code page `to`; others stay as they are.
std::string Reinterpret(std::string_view text, int from, int to) {
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const size_t start = pos;
        const char32_t c = DecodeUtf8(text, pos);
        const int b = c == kBadUtf8 ? -1 : ByteOf(c, from);
        if (b < 0) {
            out.append(text.substr(start, pos - start));
        } else {
            AppendUtf8(out, CpToChar(static_cast<unsigned char>(b), to));
        }
    }
    return out;
}

std::string Translate(std::string_view bytes, int from, int to) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        const int t = ByteOf(CpToChar(b, from), to);
        out += t < 0 ? '?' : static_cast<char>(t);
    }
    return out;
}

}  // namespace

std::string Oem2Ansi(std::string_view text) {
    return Reinterpret(text, 1252, OemCodePage());
}
std::string Ansi2Oem(std::string_view text) {
    return Reinterpret(text, OemCodePage(), 1252);
}

std::string Oem2AnsiBytes(std::string_view bytes) {
    return Translate(bytes, OemCodePage(), 1252);
}
std::string Ansi2OemBytes(std::string_view bytes) {
    return Translate(bytes, 1252, OemCodePage());
}

}  // namespace kp
