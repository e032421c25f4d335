#include "platform/runtime/transform.h"

#include <cmath>
#include <vector>

#include "platform/runtime/numbers.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace {

struct Picture {
    std::string functions;  // upper case, without '@'
    std::string tmpl;
    bool Has(char f) const { return functions.find(f) != std::string::npos; }
};

Picture Parse(std::string_view picture) {
    Picture p;
    if (!picture.empty() && picture[0] == '@') {
        const size_t blank = picture.find(' ');
        const std::string_view f =
            picture.substr(1, blank == std::string_view::npos ? std::string_view::npos : blank - 1);
        for (char c : f)
            p.functions += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        if (blank != std::string_view::npos)
            p.tmpl = std::string(picture.substr(blank + 1));
    } else {
        p.tmpl = std::string(picture);
    }
    return p;
}

std::string CharText(char32_t c) {
    std::string s;
    AppendUtf8(s, c);
    return s;
}

bool IsDigitPos(char c) {
    return c == '9' || c == '#' || c == '*' || c == '$';
}

// Formats a number; decimals is used only without a template.
std::string Number(double value, int decimals, const Picture& p) {
    const bool euro = p.Has('E');
    const std::string thouSep = euro ? "." : CharText(GetThousandSep());
    const std::string decSep = euro ? "," : CharText(GetDecimalSep());
    const bool parens = p.Has('(');

    std::vector<std::string> cells;  // one per output character
    bool negative = false;
    bool zero = false;
    if (p.tmpl.empty()) {
        const std::string text = FormatNumber(value, decimals);
        negative = !text.empty() && text[0] == '-';
        zero = Val(text) == 0.0;
        std::string shown = (parens && negative) ? text.substr(1) : text;
        const size_t dot = shown.find('.');
        if (dot != std::string::npos)
            shown.replace(dot, 1, decSep);
        const int width = GetDigit() + (decimals > 0 ? decimals + 1 : 0);
        const size_t len = Utf8Length(shown);
        if (len > static_cast<size_t>(width)) {
            shown = std::string(static_cast<size_t>(width), '*');
        } else {
            shown.insert(0, static_cast<size_t>(width) - len, ' ');
        }
        for (size_t pos = 0; pos < shown.size();) {
            const size_t start = pos;
            DecodeUtf8(shown, pos);
            cells.push_back(shown.substr(start, pos - start));
        }
    } else {
        const std::string& t = p.tmpl;
        const size_t point = t.find('.');
        const size_t intEnd = point == std::string::npos ? t.size() : point;
        int fracPositions = 0, intPositions = 0;
        for (size_t i = 0; i < t.size(); ++i) {
            if (!IsDigitPos(t[i]))
                continue;
            if (i < intEnd)
                ++intPositions;
            else
                ++fracPositions;
        }
        const std::string text = FormatNumber(std::fabs(value), fracPositions);
        const size_t dot = text.find('.');
        std::string intDigits = text.substr(0, dot);
        const std::string fracDigits = dot == std::string::npos ? "" : text.substr(dot + 1);
        zero = intDigits == "0" && fracDigits.find_first_not_of('0') == std::string::npos;
        negative = std::signbit(value) && !zero && !std::isnan(value);
        // A lone zero before the point is shown only where a position is.
        if (intDigits == "0" && intPositions == 0)
            intDigits.clear();
        cells.assign(t.size(), std::string());
        size_t remaining = intDigits.size();
        bool signPending = negative && !parens;
        for (size_t i = intEnd; i-- > 0;) {
            const char c = t[i];
            if (IsDigitPos(c)) {
                if (remaining > 0) {
                    cells[i] = std::string(1, intDigits[--remaining]);
                } else if (signPending) {
                    cells[i] = "-";
                    signPending = false;
                } else {
                    cells[i] = (c == '*' || c == '$') ? std::string(1, c) : " ";
                }
            } else if (c == ',') {
                cells[i] = remaining > 0 ? thouSep : " ";
            } else {
                cells[i] = std::string(1, c);
            }
        }
        if (remaining > 0 || signPending || !std::isfinite(value)) {
            return std::string(Utf8Length(t), '*');
        }
        if (point != std::string::npos) {
            cells[point] = decSep;
            size_t next = 0;
            for (size_t i = point + 1; i < t.size(); ++i) {
                if (IsDigitPos(t[i])) {
                    cells[i] = next < fracDigits.size() ? std::string(1, fracDigits[next++]) : "0";
                } else {
                    cells[i] = std::string(1, t[i]);
                }
            }
        }
    }

    std::string out;
    if (p.Has('Z') && zero) {
        out.assign(cells.size(), ' ');
    } else {
        for (const auto& c : cells)
            out += c;
    }
    if (parens && negative) {
        size_t lead = 0;
        while (lead < out.size() && out[lead] == ' ')
            ++lead;
        if (lead > 0)
            out[lead - 1] = '(';
        else
            out.insert(0, "(");
        out += ')';
    }
    if (p.Has('C') && value > 0 && !zero)
        out += " CR";
    if (p.Has('X') && negative)
        out += " DB";
    if (p.Has('B')) {
        const size_t width = Utf8Length(out);
        out = LTrim(out);
        out += std::string(width - Utf8Length(out), ' ');
    }
    return out;
}

std::string Text(std::string_view s, const Picture& p) {
    const bool upper = p.Has('!');
    if (p.tmpl.empty())
        return upper ? Upper(s) : std::string(s);
    const bool insert = p.Has('R');
    std::string out;
    size_t pos = 0;
    const auto nextChar = [&]() -> std::string {
        if (pos >= s.size())
            return " ";
        const size_t start = pos;
        DecodeUtf8(s, pos);
        return std::string(s.substr(start, pos - start));
    };
    const std::string_view tmplChars = "!AaNnXx9#LlYy*$";
    for (size_t i = 0; i < p.tmpl.size();) {
        const size_t start = i;
        const char32_t c = DecodeUtf8(p.tmpl, i);
        const std::string literal = p.tmpl.substr(start, i - start);
        if (c < 0x80 && tmplChars.find(static_cast<char>(c)) != std::string_view::npos) {
            const std::string ch = nextChar();
            out += (upper || c == '!') ? Upper(ch) : ch;
        } else {
            out += literal;
            if (!insert)
                nextChar();
        }
    }
    return out;
}

}  // namespace

std::string Transform(double value, std::string_view picture) {
    return Number(value, GetDecimal(), Parse(picture));
}

std::string TransformInt(int64_t value, std::string_view picture) {
    return Number(static_cast<double>(value), 0, Parse(picture));
}

std::string Transform(const Usual& value, std::string_view picture) {
    const Picture p = Parse(picture);
    switch (value.Type()) {
        case UsualType::Long:
            return Number(value.AsLong(), 0, p);
        case UsualType::Float: {
            const int dec = value.FloatDecimals();
            return Number(value.AsFloat(), dec >= 0 ? dec : GetDecimal(), p);
        }
        case UsualType::String:
            return Text(value.AsString(), p);
        case UsualType::Logic: {
            const bool yes = !p.tmpl.empty() && (p.tmpl[0] == 'Y' || p.tmpl[0] == 'y');
            if (yes)
                return value.AsLogic() ? "Y" : "N";
            return value.AsLogic() ? "T" : "F";
        }
        case UsualType::Date:
            return DToC(value.AsDate());
        default:
            return {};
    }
}

}  // namespace kp
