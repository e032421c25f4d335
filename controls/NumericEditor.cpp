#include "controls/NumericEditor.h"

#include <algorithm>
#include <cmath>

#include "platform/runtime/numbers.h"

namespace kp {

std::string Str_Replace(std::string_view text, std::string_view search, std::string_view replace) {
    std::string out(text);
    if (search.empty())
        return out;
    size_t from = 0;
    for (;;) {
        const size_t at = out.find(search, from);
        if (at == std::string::npos)
            return out;
        out.replace(at, search.size(), replace);
        // Past the replacement, so one that holds the search never loops.
        from = at + replace.size();
    }
}

bool NumericEditor::SetLen(uint32_t width, uint32_t decimals) {
    // Room for at least one integer digit (and the point when there are
    // decimals); anything else would leave an impossible layout.
    if (width < 1 || (decimals > 0 && decimals + 2 > width))
        return false;
    nLen_ = width;
    nDec_ = decimals;
    nIntLen_ = decimals ? width - (decimals + 1) : width;
    return true;
}

std::string NumericEditor::Picture(std::string_view text) const {
    std::string sign;
    if (!text.empty() && text.front() == '-') {
        sign = "-";
        text.remove_prefix(1);
    }
    std::string integer, decimals;
    if (const size_t dot = text.find('.'); dot != std::string_view::npos) {
        integer = text.substr(0, dot);
        decimals = text.substr(dot + 1, nDec_);
    } else {
        integer = text;
    }
    if (integer.find_first_not_of(' ') == std::string::npos)
        integer = "0";
    std::string out = sign + integer;
    if (nDec_ > 0) {
        decimals.resize(nDec_, '0');
        out += "." + decimals;
    }
    return out;
}

int NumericEditor::IntegerDigits(std::string_view text) {
    int n = 0;
    for (char c : text) {
        if (c == '.')
            break;
        if (c >= '0' && c <= '9')
            ++n;
    }
    return n;
}

std::optional<std::string> NumericEditor::TextOf(double value) const {
    if (!std::isfinite(value))
        return std::nullopt;
    std::string text = Picture(FormatNumber(value, static_cast<int>(nDec_)));
    if (!Fits(text))
        return std::nullopt;
    return text;
}

double NumericEditor::ValueOf(std::string_view text) {
    return Val(text);
}

KeyResult NumericEditor::DeleteSelection(EditState& s, bool readOnly) const {
    if (s.start == s.finish)
        return KeyResult::Consumed;
    return Key(s, 0x2E, true, readOnly);
}

KeyResult NumericEditor::Key(EditState& s, unsigned code, bool deleteKey, bool readOnly) const {
    if (!deleteKey && code == kCtrlC)
        return KeyResult::PassOn;  // copy leaves the text alone
    if (readOnly)
        return KeyResult::Consumed;

    std::string text = s.text;
    const int length = static_cast<int>(text.size());
    int start = std::clamp(std::min(s.start, s.finish), 0, length);
    const int finish = std::clamp(std::max(s.start, s.finish), 0, length);
    const bool backspace = !deleteKey && code == 8;
    const bool special = !deleteKey && (code == 9 || code == 13 || code == 27);
    // Other control characters (clipboard short-cuts among them) must not
    // take the selection with them; they only format.
    const bool control = !deleteKey && !backspace && !special && code < 0x20;
    int caret = start;

    if (!special && !control) {
        if (start != finish) {
            text.erase(static_cast<size_t>(start), static_cast<size_t>(finish - start));
        } else if (deleteKey || backspace) {
            const int index = deleteKey ? start + 1 : start;  // 1-based
            if (index > 0 && index <= static_cast<int>(text.size()) &&
                text[static_cast<size_t>(index - 1)] != '.')
                text.erase(static_cast<size_t>(index - 1), 1);
            if (index > 0)
                caret = index - 1;
        }
        const size_t before = text.size();
        text = Picture(text);
        if (before == text.size() + 1 && (deleteKey || backspace) && caret > 0)
            --caret;
    }

    int digitPos = caret;
    const char typed = deleteKey ? '\0' : static_cast<char>(code < 0x80 ? code : 0);
    const bool isDigit = typed >= '0' && typed <= '9';
    const bool isPoint = nDec_ != 0 && (typed == '.' || typed == ',');
    if (typed == '-' && (text.empty() || text.front() != '-')) {
        text.insert(0, 1, '-');
        ++digitPos;
    } else if (typed == '+' && !text.empty() && text.front() == '-') {
        text.erase(0, 1);
        if (digitPos > 0)
            --digitPos;
    } else if (typed == ' ') {
        text = Picture("0");
        digitPos = 0;
    } else if (isDigit || isPoint) {
        const bool negative = !text.empty() && text.front() == '-';
        if (digitPos == 0 && negative) {
            ++digitPos;
            ++caret;
        }
        if (isPoint) {
            const size_t dot = text.find('.');
            if (dot != std::string::npos) {
                caret = static_cast<int>(dot) + 1;
                digitPos = caret;
            }
        } else if (typed == '0' && (digitPos == 0 || (digitPos == 1 && negative))) {
            // no leading zeros
        } else if ((text == Picture("0") || text == Picture("-0")) && digitPos < 2) {
            text = (negative ? "-" : "") + Picture(std::string(1, typed));
            ++digitPos;
        } else {
            const size_t dot = text.find('.');
            const bool intoInteger = dot == std::string::npos || caret <= static_cast<int>(dot);
            if (intoInteger && IntegerDigits(text) >= static_cast<int>(nIntLen_))
                return KeyResult::Refused;  // never push a digit out of the number
            text.insert(static_cast<size_t>(std::min<int>(caret, static_cast<int>(text.size()))), 1,
                        typed);
            ++digitPos;
        }
    }

    if (text.find_first_not_of(' ') == std::string::npos) {
        text = Picture("0");
        digitPos = 1;
    }
    text = Picture(text);
    digitPos = std::clamp(digitPos, 0, static_cast<int>(text.size()));
    s = EditState{text, digitPos, digitPos};
    return KeyResult::Consumed;
}

namespace {

// The pasted text as a plain number text ("-1234.5"), or nothing.
std::optional<std::string> NormalisePasted(std::string_view pasted) {
    std::string t;
    for (char c : pasted)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            t += c;
    if (t.empty())
        return std::nullopt;
    std::string sign;
    if (t.front() == '-' || t.front() == '+') {
        if (t.front() == '-')
            sign = "-";
        t.erase(0, 1);
    }
    const size_t lastDot = t.rfind('.'), lastComma = t.rfind(',');
    const size_t dots = std::count(t.begin(), t.end(), '.');
    const size_t commas = std::count(t.begin(), t.end(), ',');
    char decimal = 0;
    if (dots && commas)
        decimal = (lastDot > lastComma) ? '.' : ',';
    else if (dots == 1)
        decimal = '.';
    else if (commas == 1)
        decimal = ',';
    std::string out;
    bool seenPoint = false, seenDigit = false;
    for (char c : t) {
        if (c >= '0' && c <= '9') {
            out += c;
            seenDigit = true;
        } else if (c == decimal && !seenPoint) {
            out += '.';
            seenPoint = true;
        } else if (c == '.' || c == ',') {
            // thousands separator
        } else {
            return std::nullopt;
        }
    }
    if (!seenDigit)
        return std::nullopt;
    return sign + out;
}

}  // namespace

PasteResult NumericEditor::Paste(EditState& s, std::string_view pasted, bool readOnly) const {
    if (readOnly)
        return {false, "Das Feld ist schreibgeschützt und kann nicht geändert werden."};
    const auto number = NormalisePasted(pasted);
    if (!number)
        return {false, "„" + std::string(pasted) +
                           "“ ist keine Zahl.\r\nBitte nur Ziffern, ein Vorzeichen und ein Komma "
                           "einfügen."};
    const auto text = TextOf(Val(*number));
    if (!text)
        return {false, "Die Zahl " + *number + " ist zu groß für das Feld (höchstens " +
                           std::to_string(nIntLen_) +
                           " Stellen vor dem Komma).\r\nBitte eine kleinere Zahl eingeben."};
    const size_t dot = text->find('.');
    const int caret = static_cast<int>(dot == std::string::npos ? text->size() : dot);
    s = EditState{*text, caret, caret};
    return {true, {}};
}

}  // namespace kp
