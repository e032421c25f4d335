#include "platform/data/keyexpr.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>

#include "platform/data/dberror.h"
#include "platform/data/fieldcodec.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/error.h"
#include "platform/runtime/numbers.h"

namespace kp {

enum class Fn { None, Upper, Lower, Str, Dtos, Substr, Left, Right, Trim, Ltrim, Alltrim, Val };

struct KeyExpr::Node {
    enum Kind { Field, Text, Number, Plus, Call } kind = Text;
    char type = 'C';
    int width = 0;  // static width
    int dec = 0;
    int field = -1;
    std::string text;
    double number = 0;
    // A literal that is a whole number within int: its value, else -1 (the
    // language has no negative literals).
    int integer = -1;
    Fn fn = Fn::None;
    std::vector<std::unique_ptr<Node>> args;
};

namespace {

using Node = KeyExpr::Node;

// Far more days than the calendar spans, and well within long.
constexpr double kMaxDayShift = 1e8;

struct Value {
    char type = 'C';
    std::string s;
    double n = 0;
    int len = 10, dec = 0;
    Date d;
    bool l = false;
};

struct FnName {
    const char* name;
    Fn fn;
    int minArgs, maxArgs;
};
const FnName kFns[] = {
    {"UPPER", Fn::Upper, 1, 1}, {"LOWER", Fn::Lower, 1, 1},     {"STR", Fn::Str, 1, 3},
    {"DTOS", Fn::Dtos, 1, 1},   {"SUBSTR", Fn::Substr, 2, 3},   {"LEFT", Fn::Left, 2, 2},
    {"RIGHT", Fn::Right, 2, 2}, {"TRIM", Fn::Trim, 1, 1},       {"RTRIM", Fn::Trim, 1, 1},
    {"LTRIM", Fn::Ltrim, 1, 1}, {"ALLTRIM", Fn::Alltrim, 1, 1}, {"VAL", Fn::Val, 1, 1},
};

class Parser {
  public:
    Parser(const std::string& t, const std::vector<DbfField>& f) : s_(t), fields_(f) {}

    std::unique_ptr<Node> Parse() {
        auto n = Sum();
        Blank();
        if (!n || p_ != s_.size())
            return nullptr;
        return n;
    }

  private:
    void Blank() {
        while (p_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[p_])))
            ++p_;
    }
    bool Eat(char c) {
        Blank();
        if (p_ < s_.size() && s_[p_] == c) {
            ++p_;
            return true;
        }
        return false;
    }
    std::string Ident() {
        Blank();
        size_t b = p_;
        while (p_ < s_.size() &&
               (std::isalnum(static_cast<unsigned char>(s_[p_])) || s_[p_] == '_'))
            ++p_;
        std::string id = s_.substr(b, p_ - b);
        for (char& c : id)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return id;
    }

    std::unique_ptr<Node> Sum() {
        auto left = Term();
        while (left && Eat('+')) {
            auto right = Term();
            if (!right)
                return nullptr;
            auto n = std::make_unique<Node>();
            n->kind = Node::Plus;
            if (left->type == 'C' && right->type == 'C') {
                n->type = 'C';
                n->width = left->width + right->width;
            } else if (left->type == 'N' && right->type == 'N') {
                n->type = 'N';
                n->width = std::max(left->width, right->width);
                n->dec = std::max(left->dec, right->dec);
            } else if (left->type == 'D' && right->type == 'N') {
                n->type = 'D';
                n->width = 8;
            } else {
                return nullptr;
            }
            n->args.push_back(std::move(left));
            n->args.push_back(std::move(right));
            left = std::move(n);
        }
        return left;
    }

    // A literal integer argument (positions and lengths). Literals beyond
    // the range of int are refused rather than converted.
    static bool ConstInt(const Node& n, int* v) {
        if (n.kind != Node::Number || n.integer < 0)
            return false;
        *v = n.integer;
        return true;
    }

    std::unique_ptr<Node> Term() {
        Blank();
        if (p_ >= s_.size())
            return nullptr;
        char c = s_[p_];
        if (c == '(') {
            ++p_;
            auto n = Sum();
            if (!n || !Eat(')'))
                return nullptr;
            return n;
        }
        if (c == '"' || c == '\'' || c == '[') {
            char close = c == '[' ? ']' : c;
            size_t e = s_.find(close, p_ + 1);
            if (e == std::string::npos)
                return nullptr;
            auto n = std::make_unique<Node>();
            n->kind = Node::Text;
            n->text = s_.substr(p_ + 1, e - p_ - 1);
            n->width = static_cast<int>(n->text.size());
            p_ = e + 1;
            return n;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') {
            size_t b = p_;
            while (p_ < s_.size() &&
                   (std::isdigit(static_cast<unsigned char>(s_[p_])) || s_[p_] == '.'))
                ++p_;
            auto n = std::make_unique<Node>();
            n->kind = Node::Number;
            n->type = 'N';
            std::string t = s_.substr(b, p_ - b);
            if (!ParseNumericField(t, &n->number))
                return nullptr;
            size_t dot = t.find('.');
            n->dec = dot == std::string::npos ? 0 : static_cast<int>(t.size() - dot - 1);
            n->width = 10;
            // Fractions are cut off, as in positions like SUBSTR(X, 2.5).
            if (n->number >= 0 && n->number <= static_cast<double>(INT_MAX))
                n->integer = static_cast<int>(n->number);
            return n;
        }
        std::string id = Ident();
        if (id.empty())
            return nullptr;
        Blank();
        if (p_ + 1 < s_.size() && s_[p_] == '-' && s_[p_ + 1] == '>') {
            p_ += 2;  // alias: the key always reads its own table
            id = Ident();
            if (id.empty())
                return nullptr;
            return FieldNode(id);
        }
        if (Eat('('))
            return CallNode(id);
        return FieldNode(id);
    }

    std::unique_ptr<Node> FieldNode(const std::string& id) {
        for (size_t i = 0; i < fields_.size(); ++i) {
            std::string name = fields_[i].name;
            for (char& ch : name)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            if (name != id)
                continue;
            const DbfField& f = fields_[i];
            if (f.type == 'M')
                return nullptr;
            auto n = std::make_unique<Node>();
            n->kind = Node::Field;
            n->field = static_cast<int>(i);
            n->type = f.type;
            n->width = f.width;
            n->dec = f.decimals;
            return n;
        }
        return nullptr;
    }

    std::unique_ptr<Node> CallNode(const std::string& id) {
        const FnName* fn = nullptr;
        for (const auto& f : kFns) {
            std::string name = f.name;
            // Names may be shortened to four letters, as the classic dialects allow.
            if (id == name || (id.size() >= 4 && name.compare(0, id.size(), id) == 0)) {
                fn = &f;
                break;
            }
        }
        if (!fn)
            return nullptr;
        auto n = std::make_unique<Node>();
        n->kind = Node::Call;
        n->fn = fn->fn;
        if (!Eat(')')) {
            do {
                auto a = Sum();
                if (!a)
                    return nullptr;
                n->args.push_back(std::move(a));
            } while (Eat(','));
            if (!Eat(')'))
                return nullptr;
        }
        int argc = static_cast<int>(n->args.size());
        if (argc < fn->minArgs || argc > fn->maxArgs)
            return nullptr;
        Node& a0 = *n->args[0];
        auto needs = [&](char t) { return a0.type == t; };
        int v1 = 0, v2 = 0;
        switch (n->fn) {
            case Fn::Upper:
            case Fn::Lower:
            case Fn::Trim:
            case Fn::Ltrim:
            case Fn::Alltrim:
                if (!needs('C'))
                    return nullptr;
                n->width = a0.width;
                break;
            case Fn::Dtos:
                if (!needs('D'))
                    return nullptr;
                n->width = 8;
                break;
            case Fn::Str:
                if (!needs('N'))
                    return nullptr;
                n->width = a0.kind == Node::Field ? a0.width : 10;
                n->dec = a0.kind == Node::Field ? a0.dec : 0;
                if (argc >= 2) {
                    if (!ConstInt(*n->args[1], &v1) || v1 < 1 || v1 > 255)
                        return nullptr;
                    n->width = v1;
                    n->dec = 0;
                }
                if (argc == 3) {
                    if (!ConstInt(*n->args[2], &v2) || v2 < 0 || v2 > 15)
                        return nullptr;
                    n->dec = v2;
                }
                break;
            case Fn::Substr:
                if (!needs('C') || !ConstInt(*n->args[1], &v1))
                    return nullptr;
                if (v1 <= 0)
                    v1 = 1;
                n->width = std::max(0, a0.width - v1 + 1);
                if (argc == 3) {
                    if (!ConstInt(*n->args[2], &v2) || v2 < 0)
                        return nullptr;
                    n->width = std::min(n->width, v2);
                }
                break;
            case Fn::Left:
            case Fn::Right:
                if (!needs('C') || !ConstInt(*n->args[1], &v1) || v1 < 0)
                    return nullptr;
                n->width = std::min(a0.width, v1);
                break;
            case Fn::Val:
                if (!needs('C'))
                    return nullptr;
                n->width = a0.width;
                break;
            case Fn::None:
                return nullptr;
        }
        n->type = (n->fn == Fn::Val) ? 'N' : 'C';
        return n;
    }

    const std::string& s_;
    const std::vector<DbfField>& fields_;
    size_t p_ = 0;
};

}  // namespace

struct Evaluator {
    const KeyExpr& k;
    const char* rec;

    [[noreturn]] void Damage(const DbfField& f) const {
        ThrowDb(EG_CORRUPTION, k.fileName_,
                "Das Feld " + f.name + " ist beschädigt; der Indexschlüssel „" +
                    CpToUtf8(k.text_, k.codePage_) + "“ kann nicht gebildet werden.");
    }

    Value Eval(const Node& n) const {
        Value v;
        v.type = n.type;
        switch (n.kind) {
            case Node::Field: {
                const DbfField& f = (*k.fields_)[static_cast<size_t>(n.field)];
                std::string_view t(rec + f.offset, static_cast<size_t>(f.width));
                switch (f.type) {
                    case 'C':
                        v.s.assign(t);
                        break;
                    case 'N':
                        if (!ParseNumericField(t, &v.n))
                            Damage(f);
                        v.len = f.width;
                        v.dec = f.decimals;
                        break;
                    case 'D':
                        if (!ParseDateField(t, &v.d))
                            Damage(f);
                        break;
                    case 'L':
                        v.l = ParseLogicalField(t[0]);
                        break;
                }
                return v;
            }
            case Node::Text:
                v.s = n.text;
                return v;
            case Node::Number:
                v.n = n.number;
                v.dec = n.dec;
                return v;
            case Node::Plus: {
                Value a = Eval(*n.args[0]);
                Value b = Eval(*n.args[1]);
                if (n.type == 'C') {
                    a.s += b.s;
                    return a;
                }
                if (n.type == 'N') {
                    a.n += b.n;
                    a.dec = std::max(a.dec, b.dec);
                    return a;
                }
                // Any day count beyond the calendar's range gives the empty
                // date, as date arithmetic does; converting it to long
                // first would be undefined.
                if (a.d.IsEmpty())
                    return a;
                a.d = std::isfinite(b.n) && std::fabs(b.n) < kMaxDayShift
                          ? a.d + static_cast<long>(b.n)
                          : Date();
                return a;
            }
            case Node::Call:
                return Call(n);
        }
        return v;
    }

    Value Call(const Node& n) const {
        Value a = Eval(*n.args[0]);
        Value v;
        v.type = n.type;
        auto intArg = [&](size_t i) { return n.args[i]->integer; };
        switch (n.fn) {
            case Fn::Upper:
                for (char& c : a.s)
                    c = static_cast<char>(k.upper_[static_cast<unsigned char>(c)]);
                return a;
            case Fn::Lower:
                for (char& c : a.s)
                    c = static_cast<char>(k.lower_[static_cast<unsigned char>(c)]);
                return a;
            case Fn::Trim: {
                size_t e = a.s.find_last_not_of(' ');
                a.s.resize(e == std::string::npos ? 0 : e + 1);
                return a;
            }
            case Fn::Ltrim: {
                size_t b = a.s.find_first_not_of(' ');
                a.s.erase(0, b == std::string::npos ? a.s.size() : b);
                return a;
            }
            case Fn::Alltrim: {
                size_t e = a.s.find_last_not_of(' ');
                a.s.resize(e == std::string::npos ? 0 : e + 1);
                size_t b = a.s.find_first_not_of(' ');
                a.s.erase(0, b == std::string::npos ? a.s.size() : b);
                return a;
            }
            case Fn::Dtos: {
                char buf[8];
                FormatDateField(a.d, buf);
                v.s.assign(buf, 8);
                return v;
            }
            case Fn::Str: {
                int len = n.width, dec = n.dec;
                std::string t = FormatNumber(a.n, dec);
                if (t.size() > static_cast<size_t>(len))
                    t.assign(static_cast<size_t>(len), '*');
                else
                    t.insert(0, static_cast<size_t>(len) - t.size(), ' ');
                v.s = t;
                return v;
            }
            case Fn::Substr: {
                int start = std::max(1, intArg(1));
                size_t from = static_cast<size_t>(start - 1);
                if (from >= a.s.size())
                    return v;
                size_t cnt =
                    n.args.size() == 3 ? static_cast<size_t>(intArg(2)) : std::string::npos;
                v.s = a.s.substr(from, cnt);
                return v;
            }
            case Fn::Left:
                v.s = a.s.substr(0, static_cast<size_t>(intArg(1)));
                return v;
            case Fn::Right: {
                size_t c = std::min(a.s.size(), static_cast<size_t>(intArg(1)));
                v.s = a.s.substr(a.s.size() - c);
                return v;
            }
            case Fn::Val: {
                // VAL reads the leading number and ignores what follows.
                size_t e = 0;
                const std::string& s = a.s;
                while (e < s.size() && s[e] == ' ')
                    ++e;
                size_t b = e;
                if (e < s.size() && (s[e] == '-' || s[e] == '+'))
                    ++e;
                while (e < s.size() &&
                       (std::isdigit(static_cast<unsigned char>(s[e])) || s[e] == '.'))
                    ++e;
                double x = 0;
                if (!ParseNumericField(std::string_view(s).substr(b, e - b), &x))
                    x = 0;
                v.n = x;
                return v;
            }
            case Fn::None:
                break;
        }
        return v;
    }
};

std::unique_ptr<KeyExpr> KeyExpr::Compile(const std::string& text,
                                          const std::vector<DbfField>& fields, int codePage,
                                          const std::string& fileName) {
    std::unique_ptr<KeyExpr> k(new KeyExpr());
    k->fields_ = &fields;
    k->text_ = text;
    k->fileName_ = fileName;
    k->codePage_ = codePage;
    Parser p(text, fields);
    k->root_ = p.Parse();
    if (!k->root_ || k->root_->width <= 0)
        ThrowDb(
            EG_UNSUPPORTED, fileName,
            "Der Indexausdruck „" + CpToUtf8(text, codePage) + "“ kann nicht ausgewertet werden.");
    for (int c = 0; c < 256; ++c) {
        k->upper_[c] = CpUpper(static_cast<unsigned char>(c), codePage);
        k->lower_[c] = CpLower(static_cast<unsigned char>(c), codePage);
    }
    return k;
}

KeyExpr::~KeyExpr() = default;

char KeyExpr::Type() const {
    return root_->type;
}
int KeyExpr::Width() const {
    return root_->width;
}
int KeyExpr::Decimals() const {
    return root_->dec;
}

std::string KeyExpr::Key(const char* rec, int keySize, int keyDec) const {
    size_t ks = static_cast<size_t>(keySize);
    const Node& n = *root_;
    // The common case, a plain character field, without building values.
    if (n.kind == Node::Field && n.type == 'C') {
        const DbfField& f = (*fields_)[static_cast<size_t>(n.field)];
        std::string s(rec + f.offset, std::min(ks, static_cast<size_t>(f.width)));
        s.resize(ks, ' ');
        return s;
    }
    Evaluator ev{*this, rec};
    Value v = ev.Eval(n);
    switch (n.type) {
        case 'N': {
            std::optional<std::string> key = NumericKey(v.n, keySize, keyDec);
            if (!key)
                ThrowDb(EG_DATAWIDTH, fileName_,
                        "Der Wert " + FormatNumber(v.n, keyDec) + " passt nicht in den " +
                            std::to_string(keySize) + " Stellen breiten Indexschlüssel „" +
                            CpToUtf8(text_, codePage_) +
                            "“; bitte einen kleineren Wert eingeben oder den Index mit einem "
                            "passenden Ausdruck neu aufbauen.");
            return *key;
        }
        case 'D': {
            char buf[8];
            FormatDateField(v.d, buf);
            std::string s(buf, 8);
            s.resize(ks, ' ');
            return s;
        }
        case 'L': {
            std::string s(1, v.l ? 'T' : 'F');
            s.resize(ks, ' ');
            return s;
        }
        default:
            v.s.resize(ks, ' ');
            return v.s;
    }
}

}  // namespace kp
