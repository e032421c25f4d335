#include "platform/gui/rtfindents.h"

#include <algorithm>
#include <charconv>
#include <cstddef>

namespace kp {

namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// One token of RTF text: a control word (with its parameter and the blank
// that may end it), a control symbol, a brace, or one character of text.
struct Token {
    enum Kind { Word, Symbol, Brace, LineBreak, Text, Group } kind = Text;
    size_t begin = 0;
    size_t end = 0;  // past the token, its delimiting blank included
    std::string_view name;
    std::optional<long> param;
    bool blank = false;  // ended by a blank that belongs to the word
};

// Control words are at most 32 letters and their parameters at most 10
// digits; anything longer is taken as it comes, without a parameter.
constexpr size_t kMaxName = 32;
constexpr size_t kMaxDigits = 10;
constexpr long long kMaxParam = 1LL << 29;

Token Next(std::string_view s, size_t pos) {
    Token t;
    t.begin = pos;
    const size_t n = s.size();
    const char c = s[pos];
    if (c == '{' || c == '}') {
        t.kind = Token::Brace;
        t.end = pos + 1;
        return t;
    }
    if (c == '\r' || c == '\n') {
        t.kind = Token::LineBreak;
        t.end = pos + 1;
        return t;
    }
    if (c != '\\') {
        t.end = pos + 1;
        return t;
    }
    if (pos + 1 >= n || !IsLetter(s[pos + 1])) {
        t.kind = Token::Symbol;
        // \'hh carries two hex digits.
        t.end = pos + 1 < n && s[pos + 1] == '\'' ? std::min(pos + 4, n) : std::min(pos + 2, n);
        return t;
    }
    t.kind = Token::Word;
    size_t p = pos + 1;
    while (p < n && IsLetter(s[p]) && p - pos - 1 < kMaxName)
        ++p;
    t.name = s.substr(pos + 1, p - pos - 1);
    const size_t numberStart = p;
    if (p < n && s[p] == '-' && p + 1 < n && IsDigit(s[p + 1]))
        ++p;
    const size_t digitStart = p;
    while (p < n && IsDigit(s[p]) && p - digitStart < kMaxDigits)
        ++p;
    if (p > digitStart) {
        // Kept within a range whose sums and negations cannot overflow.
        long long value = 0;
        std::from_chars(s.data() + numberStart, s.data() + p, value);
        t.param = static_cast<long>(std::clamp(value, -kMaxParam, kMaxParam));
    } else {
        p = numberStart;
    }
    if (p < n && s[p] == ' ') {
        t.blank = true;
        ++p;
    }
    // Binary data follows \binN: its bytes are no tokens.
    if (t.name == "bin" && t.param && *t.param > 0)
        p = std::min(n, p + static_cast<size_t>(*t.param));
    t.end = p;
    return t;
}

bool Is(const Token& t, std::string_view name) {
    return t.kind == Token::Word && t.name == name;
}

// The tokens of a paragraph's properties: the control words (and line
// breaks) right after \pard, up to the first text, brace or symbol.
// A group that numbers or bullets the paragraph ({\pntext ...}, {\*\pn ...},
// {\listtext ...}) and may stand among its properties, taken whole; nullopt
// for any other group (text).
std::optional<Token> NumberingGroup(std::string_view s, size_t pos) {
    if (pos + 1 >= s.size() || s[pos] != '{')
        return std::nullopt;
    const Token head = Next(s, pos + 1);
    const bool numbering =
        (head.kind == Token::Symbol && s.substr(head.begin, head.end - head.begin) == "\\*") ||
        Is(head, "pntext") || Is(head, "pn") || Is(head, "listtext");
    if (!numbering)
        return std::nullopt;
    Token g;
    g.kind = Token::Group;
    g.begin = pos;
    int depth = 0;
    size_t p = pos;
    while (p < s.size()) {
        const Token t = Next(s, p);
        p = t.end;
        if (t.kind == Token::Brace && s[t.begin] == '{')
            ++depth;
        else if (t.kind == Token::Brace && --depth == 0)
            break;
    }
    g.end = p;
    return g;
}

std::vector<Token> PropertyRun(std::string_view s, size_t pos, size_t* runEnd) {
    std::vector<Token> run;
    while (pos < s.size()) {
        const Token t = Next(s, pos);
        if (t.kind == Token::LineBreak ||
            (t.kind == Token::Word && t.name != "pard" && t.name != "par")) {
            run.push_back(t);
            pos = t.end;
            continue;
        }
        if (std::optional<Token> group = NumberingGroup(s, pos)) {
            run.push_back(*group);
            pos = group->end;
            continue;
        }
        break;
    }
    *runEnd = pos;
    return run;
}

std::string Word(std::string_view name, long value) {
    return "\\" + std::string(name) + std::to_string(value);
}

// The property run written anew with RTF's meaning of \li and \fi.
std::string RepairRun(std::string_view s, const std::vector<Token>& run) {
    const Token* li = nullptr;
    const Token* fi = nullptr;
    for (const Token& t : run) {
        if (Is(t, "li") && !li)
            li = &t;
        else if (Is(t, "fi") && !fi)
            fi = &t;
    }
    std::string out;
    if (!li && !fi) {
        for (const Token& t : run)
            out.append(s.substr(t.begin, t.end - t.begin));
        return out;
    }
    const long offset = li && li->param ? *li->param : 0;
    const long start = fi && fi->param ? *fi->param : 0;
    const long left = start + offset;
    const long firstLine = -offset;
    const Token* first = li && fi ? (li->begin < fi->begin ? li : fi) : li ? li : fi;
    const Token* second = first == li ? fi : li;

    bool endsInWord = false;  // the output so far ends with a word without its blank
    for (const Token& t : run) {
        if (&t == second)
            continue;
        if (&t == first) {
            std::string words;
            if (left != 0)
                words += Word("li", left);
            if (firstLine != 0)
                words += Word("fi", firstLine);
            if (words.empty())
                continue;
            out += words;
            endsInWord = true;
            if (t.blank) {
                out += ' ';
                endsInWord = false;
            }
            continue;
        }
        out.append(s.substr(t.begin, t.end - t.begin));
        endsInWord = t.kind == Token::Word && !t.blank;
    }
    // The blank that ended the run (and parted it from the paragraph's
    // text) stays, whichever word it belonged to.
    if (!run.empty() && run.back().blank && endsInWord)
        out += ' ';
    return out;
}

}  // namespace

std::vector<RtfParagraphIndents> ParagraphIndents(std::string_view rtf) {
    std::vector<RtfParagraphIndents> out;
    size_t pos = 0;
    while (pos < rtf.size()) {
        const Token t = Next(rtf, pos);
        pos = t.end;
        if (!Is(t, "pard"))
            continue;
        RtfParagraphIndents p;
        size_t end = pos;
        for (const Token& w : PropertyRun(rtf, pos, &end)) {
            if (Is(w, "li") && !p.li)
                p.li = w.param.value_or(0);
            else if (Is(w, "fi") && !p.fi)
                p.fi = w.param.value_or(0);
            else if (Is(w, "ri") && !p.ri)
                p.ri = w.param.value_or(0);
            else if (w.kind == Token::Word && w.name.size() == 2 && w.name[0] == 'q' &&
                     (w.name[1] == 'l' || w.name[1] == 'r' || w.name[1] == 'c' || w.name[1] == 'j'))
                p.alignment = w.name[1];
        }
        out.push_back(p);
        pos = end;
    }
    return out;
}

std::string RepairSwappedIndents(std::string_view rtf) {
    std::string out;
    out.reserve(rtf.size() + 64);
    size_t pos = 0;
    while (pos < rtf.size()) {
        const Token t = Next(rtf, pos);
        out.append(rtf.substr(t.begin, t.end - t.begin));
        pos = t.end;
        if (!Is(t, "pard"))
            continue;
        size_t end = pos;
        const std::vector<Token> run = PropertyRun(rtf, pos, &end);
        out += RepairRun(rtf, run);
        pos = end;
    }
    return out;
}

}  // namespace kp
