#include "controls/DateEditor.h"

#include <algorithm>
#include <cstdio>

#include "controls/NumericEditor.h"
#include "platform/runtime/strings.h"

namespace kp {

Date Date_AddMonth(Date date, long months) {
    if (date.IsEmpty())
        return {};
    const long step = months < 0 ? -1 : 1;
    int month = date.Month();
    int year = date.Year();
    for (long i = 0; i < (months < 0 ? -months : months); ++i) {
        month += static_cast<int>(step);
        if (month < 1) {
            month = 12;
            --year;
        } else if (month > 12) {
            month = 1;
            ++year;
        }
    }
    // The day of the date, then of the three days before it: 31 falls back
    // to 30, 29 or 28, whichever the target month has.
    for (int back = 0; back <= 3; ++back) {
        char text[16];
        std::snprintf(text, sizeof text, "%4d%2d%2d", year, month, (date - back).Day());
        const Date d = SToD(Str_Replace(text, " ", "0"));
        if (!d.IsEmpty())
            return d;
    }
    return {};
}

namespace {

std::string Normalised(std::string text) {
    // The mask is ten characters with its points; anything else (an empty
    // field's text) is padded or cut to it.
    text.resize(kBlankDateMask.size(), ' ');
    text[2] = text[5] = '.';
    return text;
}

void Show(EditState& s, std::string text, int caret) {
    s = EditState{std::move(text), caret, caret};
}

}  // namespace

bool DateEditor::IsValidDatum(std::string_view text) {
    const std::string t = Trim(text);
    return (t.size() == 8 || t.size() == 10) && !CToD(t).IsEmpty();
}

bool DateEditor::IsBlank(std::string_view text) {
    return text.find_first_not_of(" .") == std::string_view::npos;
}

KeyResult DateEditor::DeleteSelection(EditState& s, bool readOnly) {
    if (s.start == s.finish)
        return KeyResult::Consumed;
    return Key(s, 0x2E, true, Date(), readOnly);
}

KeyResult DateEditor::Key(EditState& s, unsigned code, bool deleteKey, Date today, bool readOnly) {
    if (!deleteKey && code == kCtrlC)
        return KeyResult::PassOn;
    const char c = code < 0x80 ? static_cast<char>(code) : '\0';
    const bool digit = !deleteKey && c >= '0' && c <= '9';
    const bool backspace = !deleteKey && code == 8;
    // "." has the Delete key's code: typing it deletes.
    const bool del = deleteKey || code == 0x2E;
    int start = std::min(s.start, s.finish);
    const int finish = std::max(s.start, s.finish);
    const bool shortcut =
        !deleteKey && c != '\0' && std::string_view("+-jJmMtT* ").find(c) != std::string_view::npos;
    if (!((digit && start < 10) || backspace || del || shortcut))
        return KeyResult::Consumed;
    if (readOnly)
        return KeyResult::Consumed;

    std::string text = Normalised(s.text);
    start = std::clamp(start, 0, 10);
    if (start != finish && start < 10 && (digit || backspace || del)) {
        const int end = std::clamp(finish, start, 10);
        for (int i = start; i < end; ++i)
            text[static_cast<size_t>(i)] = kBlankDateMask[static_cast<size_t>(i)];
        if (!digit) {
            Show(s, text, start);
            return KeyResult::Consumed;
        }
    } else if (backspace) {
        if (start > 0 && text[static_cast<size_t>(start - 1)] == '.')
            --start;
        if (start > 0) {
            text[static_cast<size_t>(start - 1)] = ' ';
            --start;
        }
        Show(s, text, start);
        return KeyResult::Consumed;
    } else if (del) {
        if (start < 10)
            text.erase(static_cast<size_t>(start), 1);
        text += ' ';
        std::erase(text, '.');
        text.resize(8);
        text = text.substr(0, 2) + "." + text.substr(2, 2) + "." + text.substr(4);
        Show(s, text, start);
        return KeyResult::Consumed;
    }

    if (!digit) {
        const Date d = CToD(text);
        std::string shown = text;
        switch (c) {
            case '+':
            case 'T':
                if (!d.IsEmpty())
                    shown = DToC(d + 1);
                break;
            case '-':
            case 't':
                if (!d.IsEmpty())
                    shown = DToC(d - 1);
                break;
            case 'M':
                shown = DToC(Date_AddMonth(d, 1));
                break;
            case 'm':
                shown = DToC(Date_AddMonth(d, -1));
                break;
            case 'J':
                shown = DToC(Date_AddMonth(d, 12));
                break;
            case 'j':
                shown = DToC(Date_AddMonth(d, -12));
                break;
            case '*':
                shown = DToC(today);
                break;
            case ' ':
                shown = std::string(kBlankDateMask);
                break;
            default:
                break;
        }
        if (shown != text)
            Show(s, shown, 0);  // the edit control puts the caret at the start
        return KeyResult::Consumed;
    }

    if (start == 2 || start == 5)
        ++start;
    text[static_cast<size_t>(start)] = c;
    ++start;
    while (start < 10 && kBlankDateMask[static_cast<size_t>(start)] != ' ')
        ++start;
    Show(s, text, start);
    return KeyResult::Consumed;
}

bool DateEditor::StepDays(EditState& s, long days, bool readOnly) {
    if (readOnly)
        return false;
    const Date d = CToD(s.text);
    if (d.IsEmpty() || (d + days).IsEmpty())
        return false;
    Show(s, DToC(d + days), 0);
    return true;
}

PasteResult DateEditor::Paste(EditState& s, std::string_view pasted, bool readOnly) {
    if (readOnly)
        return {false, "Das Feld ist schreibgeschützt und kann nicht geändert werden."};
    const std::string t = AllTrim(pasted);
    const Date d = CToD(t);
    if (t.empty() || d.IsEmpty())
        return {false, "„" + t +
                           "“ ist kein gültiges Datum.\r\nBitte ein Datum in der Form TT.MM.JJJJ "
                           "einfügen."};
    Show(s, DToC(d), 10);
    return {true, {}};
}

}  // namespace kp
