#include "platform/runtime/numbers.h"

#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/usual.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace {

// The shortest significant digits (no leading zeros) and the decimal exponent
// of the first digit that read back as |value|: |value| = 0.D... * 10^(exp+1).
void ShortestDigits(double value, std::string& digits, int& exp) {
    // The shortest digits that read back as the value. Where 15 significant
    // digits read back, these are those digits without trailing zeros (no
    // other decimal of 15 digits lies that close), else the nearest of 16,
    // else of 17 digits.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf - 1, value, std::chars_format::scientific);
    *res.ptr = '\0';
    // buf is "d.ddddde+XX" (or "de+XX" for one digit).
    digits.clear();
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits += *p;
    exp = *p == 'e' ? std::atoi(p + 1) : 0;
    // Trailing zeros carry nothing.
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
}

std::string SepText(char32_t c) {
    std::string s;
    AppendUtf8(s, c);
    return s;
}

std::string PadOrStars(std::string text, int width) {
    if (width < 0)
        return text;
    const size_t len = Utf8Length(text);
    if (len > static_cast<size_t>(width))
        return std::string(static_cast<size_t>(width), '*');
    return std::string(static_cast<size_t>(width) - len, ' ') + text;
}

int DefaultWidth(int decimals) {
    return GetDigit() + (decimals > 0 ? decimals + 1 : 0);
}

std::string Localize(std::string text) {
    const char32_t sep = GetDecimalSep();
    if (sep == '.')
        return text;
    const size_t dot = text.find('.');
    if (dot != std::string::npos)
        text.replace(dot, 1, SepText(sep));
    return text;
}

}  // namespace

std::string FormatNumber(double value, int decimals) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    if (decimals < 0)
        decimals = 0;
    const bool negative = std::signbit(value);
    std::string digits;
    int exp = 0;
    ShortestDigits(std::fabs(value), digits, exp);
    if (digits == "0")
        exp = 0;

    // Lay the digits out as integer part + fraction: `point` digits before it.
    int point = exp + 1;
    if (point <= 0) {
        digits.insert(0, static_cast<size_t>(1 - point), '0');
        point = 1;
    }
    if (static_cast<int>(digits.size()) < point)
        digits.append(point - digits.size(), '0');
    const size_t keep = static_cast<size_t>(point) + static_cast<size_t>(decimals);
    if (digits.size() > keep) {
        const bool up = digits[keep] >= '5';  // half away from zero on the magnitude
        digits.resize(keep);
        if (up) {
            size_t i = keep;
            while (i > 0 && digits[i - 1] == '9')
                digits[--i] = '0';
            if (i == 0) {
                digits.insert(digits.begin(), '1');
                ++point;
            } else {
                ++digits[i - 1];
            }
        }
    } else {
        digits.append(keep - digits.size(), '0');
    }
    std::string intPart = digits.substr(0, static_cast<size_t>(point));
    const std::string frac = digits.substr(static_cast<size_t>(point));
    const size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? "0" : intPart.substr(nz);
    const bool zero = intPart == "0" && frac.find_first_not_of('0') == std::string::npos;
    std::string out = (negative && !zero) ? "-" : "";
    out += intPart;
    if (decimals > 0)
        out += "." + frac;
    return out;
}

double Val(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    std::string clean;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        clean += text[i++];
    const char32_t sep = GetDecimalSep();
    bool point = false, digits = false;
    while (i < text.size()) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            clean += c;
            digits = true;
        } else if (!point && (c == '.' || (sep < 0x80 && c == static_cast<char>(sep)))) {
            clean += '.';
            point = true;
        } else {
            break;
        }
        ++i;
    }
    if (!digits)
        return 0.0;
    const double v = std::strtod(clean.c_str(), nullptr);
    return v == 0.0 ? 0.0 : v;  // no -0
}

std::string Str(double value, int width, int decimals) {
    if (decimals < 0)
        decimals = GetDecimal();
    if (width < 0)
        width = DefaultWidth(decimals);
    if (!std::isfinite(value))
        return std::string(static_cast<size_t>(width), '*');
    return PadOrStars(Localize(FormatNumber(value, decimals)), width);
}

std::string StrInt(int64_t value, int width, int decimals) {
    if (decimals < 0)
        decimals = 0;
    if (width < 0)
        width = DefaultWidth(decimals);
    std::string text = std::to_string(value);
    if (decimals > 0)
        text += SepText(GetDecimalSep()) + std::string(static_cast<size_t>(decimals), '0');
    return PadOrStars(std::move(text), width);
}

std::string Str(const Usual& value, int width, int decimals) {
    switch (value.Type()) {
        case UsualType::Long:
            return StrInt(value.AsLong(), width, decimals);
        case UsualType::Float:
            return Str(value.AsFloat(), width, decimals >= 0 ? decimals : value.FloatDecimals());
        default:
            return {};
    }
}

// NTrim is Str without its padding, and never asterisks: it has no width.
std::string NTrim(double value) {
    if (!std::isfinite(value))
        return FormatNumber(value, 0);
    return Localize(FormatNumber(value, GetDecimal()));
}

std::string NTrim(const Usual& value) {
    switch (value.Type()) {
        case UsualType::Long:
            return std::to_string(value.AsLong());
        case UsualType::Float: {
            const int dec = value.FloatDecimals();
            return Localize(FormatNumber(value.AsFloat(), dec >= 0 ? dec : GetDecimal()));
        }
        default:
            return {};
    }
}

void MathInit() {
    std::feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace kp
