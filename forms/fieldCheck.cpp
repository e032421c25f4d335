#include "forms/fieldCheck.h"

#include "platform/data/fieldcodec.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/date.h"
#include "platform/runtime/numbers.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace {

std::string Quoted(const std::string& text) {
    return "\u201E" + text + "\u201C";
}

bool IsBlank(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

// A number as the user may type it: blanks, a sign, digits with one decimal
// point ("." or the decimal separator in force), blanks. Nothing else may
// follow, or the rest would be dropped without a word.
bool IsNumberText(const std::string& text) {
    const char32_t sep = GetDecimalSep();
    size_t i = text.find_first_not_of(" \t");
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            digits = true;
        else if (!point && (c == '.' || (sep < 0x80 && c == static_cast<char>(sep))))
            point = true;
        else
            break;
    }
    return digits && text.find_first_not_of(" \t", i) == std::string::npos;
}

// The character at 0-based character index `index` of UTF-8 text.
std::string CharacterAt(const std::string& text, size_t index) {
    const size_t from = Utf8Offset(text, index);
    size_t to = from;
    if (to < text.size())
        DecodeUtf8(text, to);
    return text.substr(from, to - from);
}

}  // namespace

std::optional<std::string> FieldStoreProblem(const FieldSpec& spec, const std::string& text,
                                             int codePage, const std::string& label) {
    if (IsBlank(text) || (spec.ValType() == 'D' && IsBlank(StrTran(text, ".", ""))))
        return std::nullopt;
    switch (spec.ValType()) {
        case 'C':
        case 'M': {
            std::string bytes;
            size_t bad = 0;
            if (!Utf8ToCp(text, codePage, bytes, &bad)) {
                const std::string c = CharacterAt(text, bad);
                return "Das Zeichen " + Quoted(c) + " im Feld " + Quoted(label) +
                       " kann nicht gespeichert werden: Die Tabellen kennen es nicht (Codepage " +
                       std::to_string(codePage) +
                       ").\r\nBitte ersetzen Sie es durch ein anderes Zeichen (etwa " +
                       Quoted("-") + " statt eines Gedankenstrichs oder " + Quoted("EUR") +
                       " statt " + Quoted("\u20AC") + ").\r\nEs wurde nichts gespeichert.";
            }
            if (spec.ValType() == 'C') {
                const size_t used = RTrim(bytes).size();
                if (used > static_cast<size_t>(spec.Length()))
                    return "Der Text im Feld " + Quoted(label) + " ist zu lang: Es passen " +
                           std::to_string(spec.Length()) + " Zeichen hinein, eingegeben sind " +
                           std::to_string(used) +
                           ".\r\nBitte kürzen Sie ihn. Es wurde nichts gespeichert.";
            }
            return std::nullopt;
        }
        case 'D':
            if (CToD(text).IsEmpty())
                return "Im Feld " + Quoted(label) + " steht " + Quoted(Trim(text)) +
                       ", ein Datum, das es nicht gibt.\r\nBitte geben Sie ein gültiges Datum "
                       "(TT.MM.JJJJ) ein oder leeren Sie das Feld. Es wurde nichts gespeichert.";
            return std::nullopt;
        case 'N': {
            if (!IsNumberText(text))
                return "Im Feld " + Quoted(label) + " steht " + Quoted(Trim(text)) +
                       ", aber dort gehört eine Zahl hin.\r\nBitte geben Sie eine Zahl ein. "
                       "Es wurde nichts gespeichert.";
            std::string out(static_cast<size_t>(spec.Length()), ' ');
            if (!FormatNumericField(Val(text), spec.Length(), spec.Decimals(), out.data()))
                return "Die Zahl " + Quoted(Trim(text)) + " ist zu groß für das Feld " +
                       Quoted(label) +
                       ".\r\nBitte geben Sie eine kleinere Zahl ein. Es wurde "
                       "nichts gespeichert.";
            return std::nullopt;
        }
        case 'L': {
            const size_t at = text.find_first_not_of(" \t");
            if (std::string_view("TtYyJjFfNn").find(text[at]) == std::string_view::npos ||
                !IsBlank(text.substr(at + 1)))
                return "Im Feld " + Quoted(label) + " steht " + Quoted(Trim(text)) +
                       ".\r\nBitte geben Sie J (ja) oder N (nein) ein. Es wurde nichts "
                       "gespeichert.";
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

std::string FieldLabel(const std::string& description, const std::string& fieldName) {
    const size_t cut = description.find_first_of("(:");
    const std::string label = Trim(description.substr(0, cut));
    return label.empty() ? fieldName : label;
}

}  // namespace kp
