#include "tools/kpdb/dump.h"

#include <vector>

#include "platform/data/dberror.h"
#include "platform/data/dbf.h"
#include "platform/runtime/codepage.h"

namespace kp {

namespace {

std::string Trimmed(std::string s) {
    size_t e = s.find_last_not_of(' ');
    s.resize(e == std::string::npos ? 0 : e + 1);
    return s;
}

std::string FieldText(Table& t, const char* rec, size_t i) {
    const DbfField& f = t.Fields()[i];
    std::string raw(rec + f.offset, static_cast<size_t>(f.width));
    switch (f.type) {
        case 'C':
            return Trimmed(CpToUtf8(raw, t.CodePage()));
        case 'M':
            return t.GetValue(rec, static_cast<int>(i)).AsString();
        default: {
            size_t b = raw.find_first_not_of(' ');
            return b == std::string::npos ? std::string() : Trimmed(raw.substr(b));
        }
    }
}

}  // namespace

std::string DumpEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '|':
                out += "\\|";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                out += c;
        }
    }
    return out;
}

void DumpTable(Table& t, bool withDeleted, const std::function<void(const std::string&)>& line) {
    std::string text = "RECNO|DEL";
    for (const auto& f : t.Fields())
        text += "|" + f.name;
    line(text);
    std::vector<char> copy(t.RecLen());
    for (uint32_t r = 1; r <= t.Count(); ++r) {
        const char* rec = t.Fetch(r, true);
        bool del = rec[0] == '*';
        if (del && !withDeleted)
            continue;
        // Memo reads may move the scan window under `rec`.
        copy.assign(rec, rec + t.RecLen());
        text = std::to_string(r) + (del ? "|*" : "| ");
        for (size_t i = 0; i < t.Fields().size(); ++i) {
            try {
                text += "|" + DumpEscape(FieldText(t, copy.data(), i));
            } catch (const DbError& e) {
                text += "|<" + DumpEscape(e.description) + ">";
            }
        }
        line(text);
    }
}

}  // namespace kp
