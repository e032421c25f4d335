#include "platform/data/fieldcodec.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/runtime/numbers.h"

namespace kp {

bool ParseNumericField(std::string_view text, double* value) {
    char buf[64];
    size_t n = 0;
    size_t b = 0, e = text.size();
    auto pad = [](char c) { return c == ' ' || c == '\0'; };
    while (b < e && pad(text[b]))
        ++b;
    while (e > b && pad(text[e - 1]))
        --e;
    if (e - b >= sizeof(buf))
        return false;
    bool neg = false;
    if (b < e && (text[b] == '-' || text[b] == '+')) {
        neg = text[b] == '-';
        ++b;
    }
    if (b < e && !(text[b] == '.' || (text[b] >= '0' && text[b] <= '9')))
        return false;
    bool digit = false;
    for (size_t i = b; i < e; ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c != '.' && c != 'e' && c != 'E' && c != '+' && c != '-') {
            return false;
        }
        buf[n++] = c;
    }
    if (!digit) {
        // "", "." and "-" are how some writers leave an empty number.
        if (n == 0 || (n == 1 && buf[0] == '.')) {
            *value = 0;
            return true;
        }
        return false;
    }
    double v = 0;
    // Plain decimals of up to 15 digits: the integer of the digits divided
    // by a power of ten is exact before the one rounding of the division,
    // so this is the correctly rounded value, and much faster.
    {
        static const double kPow10[] = {1,   1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        uint64_t mant = 0;
        int digits = 0, frac = -1;
        bool plain = true;
        for (size_t i = 0; i < n && plain; ++i) {
            char c = buf[i];
            if (c >= '0' && c <= '9') {
                mant = mant * 10 + static_cast<uint64_t>(c - '0');
                if (++digits > 15)
                    plain = false;
                if (frac >= 0)
                    ++frac;
            } else if (c == '.' && frac < 0) {
                frac = 0;
            } else {
                plain = false;
            }
        }
        if (plain) {
            v = static_cast<double>(mant) / kPow10[frac > 0 ? frac : 0];
            *value = neg && v != 0 ? -v : v;
            return true;
        }
    }
    auto r = std::from_chars(buf, buf + n, v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != buf + n || !std::isfinite(v))
        return false;
    *value = neg ? -v : v;
    if (*value == 0)
        *value = 0;  // no negative zero
    return true;
}

bool FormatNumericField(double value, int width, int dec, char* out) {
    if (!std::isfinite(value) || width <= 0)
        return false;
    std::string s = FormatNumber(value, dec);
    if (s.size() > static_cast<size_t>(width))
        return false;
    size_t padLen = static_cast<size_t>(width) - s.size();
    std::memset(out, ' ', padLen);
    std::memcpy(out + padLen, s.data(), s.size());
    return true;
}

bool ParseDateField(std::string_view text, Date* date) {
    if (text.size() != 8)
        return false;
    bool empty = true;
    for (char c : text)
        if (c != ' ' && c != '0' && c != '\0')
            empty = false;
    if (empty) {
        *date = Date();
        return true;
    }
    int v[8];
    for (int i = 0; i < 8; ++i) {
        char c = text[static_cast<size_t>(i)];
        if (c < '0' || c > '9')
            return false;
        v[i] = c - '0';
    }
    int y = v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3];
    int m = v[4] * 10 + v[5];
    int d = v[6] * 10 + v[7];
    Date dt = Date::FromYMD(y, m, d);
    if (dt.IsEmpty())
        return false;
    *date = dt;
    return true;
}

void FormatDateField(Date d, char* out) {
    if (d.IsEmpty()) {
        std::memset(out, ' ', 8);
        return;
    }
    int y = d.Year(), m = d.Month(), dd = d.Day();
    const int parts[8] = {y / 1000 % 10, y / 100 % 10, y / 10 % 10, y % 10,
                          m / 10,        m % 10,       dd / 10,     dd % 10};
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<char>('0' + parts[i]);
}

std::optional<std::string> NumericKey(double value, int width, int dec) {
    if (!std::isfinite(value) || width <= 0)
        return std::nullopt;
    bool neg = value < 0;
    std::string s = FormatNumber(std::fabs(value), dec);
    if (s == "0" || s.find_first_not_of("0.") == std::string::npos)
        neg = false;
    if (s.size() < static_cast<size_t>(width))
        s.insert(0, static_cast<size_t>(width) - s.size(), '0');
    else if (s.size() > static_cast<size_t>(width))
        return std::nullopt;
    if (neg) {
        // Negatives sort below zero and larger magnitudes first.
        for (char& c : s)
            if (c != '.')
                c = static_cast<char>(0x5C - static_cast<unsigned char>(c));
    }
    return s;
}

}  // namespace kp
