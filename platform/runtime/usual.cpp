#include "platform/runtime/usual.h"

#include <cmath>
#include <cstdio>

#include "platform/runtime/error.h"
#include "platform/runtime/numbers.h"

namespace kp {

namespace {

// Index of each alternative of the variant, in declaration order.
enum Alt : size_t {
    kNil,
    kLong,
    kDate,
    kFloat,
    kArray,
    kObject,
    kString,
    kLogic,
    kBlock,
    kSymbol,
    kPtr
};

bool Fits(UsualType have, UsualType want) {
    if (have == want)
        return true;
    const auto numeric = [](UsualType t) { return t == UsualType::Long || t == UsualType::Float; };
    return numeric(have) && numeric(want);
}

// Raises the data-type error for reading `value` as `wanted`; returns the
// handler's substitute when it has the wanted type, else nil.
Usual TypeError(const Usual& value, UsualType wanted, const char* operation) {
    auto e = std::make_shared<Error>();
    e->SubSystem = "BASE";
    e->GenCode = EG_DATATYPE;
    e->Severity = 2;
    e->CanDefault = true;
    e->CanSubstitute = true;
    e->Operation = operation;
    e->FuncSym = Symbol(operation);
    e->Arg = value.AsText();
    e->Args = {value};
    e->ArgNum = 1;
    e->ArgType = static_cast<int32_t>(value.Type());
    e->ArgTypeReq = static_cast<int32_t>(wanted);
    e->SubstituteType = static_cast<int32_t>(wanted);
    Usual answer = Raise(e);
    if (Fits(answer.Type(), wanted))
        return answer;
    return {};
}

// Holds a substitute so that the accessors returning a reference can return it.
template <typename T>
const T& Keep(T value) {
    thread_local T slot{};
    slot = std::move(value);
    return slot;
}

Usual OverflowError(double v) {
    auto e = std::make_shared<Error>();
    e->SubSystem = "BASE";
    e->GenCode = EG_NUMOVERFLOW;
    e->Severity = 2;
    e->CanDefault = true;
    e->Operation = "AsLong";
    e->FuncSym = Symbol("AsLong");
    e->Arg = FormatNumber(v, 2);
    e->ArgType = static_cast<int32_t>(UsualType::Float);
    e->ArgTypeReq = static_cast<int32_t>(UsualType::Long);
    return Raise(e);
}

}  // namespace

std::string TypeString(int typeCode) {
    switch (typeCode) {
        case 0:
            return "NIL";
        case 1:
            return "LONGINT";
        case 2:
            return "DATE";
        case 3:
            return "FLOAT";
        case 5:
            return "ARRAY";
        case 6:
            return "OBJECT";
        case 7:
            return "STRING";
        case 8:
            return "LOGIC";
        case 9:
            return "CODEBLOCK";
        case 10:
            return "SYMBOL";
        case 18:
            return "PTR";
        default:
            return "UNKNOWN";
    }
}

UsualType Usual::Type() const {
    switch (v_.index()) {
        case kNil:
            return UsualType::Nil;
        case kLong:
            return UsualType::Long;
        case kDate:
            return UsualType::Date;
        case kFloat:
            return UsualType::Float;
        case kArray:
            return UsualType::Array;
        case kObject:
            return UsualType::Object;
        case kString:
            return UsualType::String;
        case kLogic:
            return UsualType::Logic;
        case kBlock:
            return UsualType::CodeBlock;
        case kSymbol:
            return UsualType::Symbol;
        default:
            return UsualType::Ptr;
    }
}

int32_t Usual::AsLong() const {
    if (v_.index() == kLong)
        return std::get<kLong>(v_);
    if (v_.index() == kFloat) {
        const double r = std::round(std::get<kFloat>(v_).value);  // half away from zero
        if (r >= -2147483648.0 && r <= 2147483647.0)
            return static_cast<int32_t>(r);
        Usual answer = OverflowError(std::get<kFloat>(v_).value);
        return answer.Type() == UsualType::Long ? answer.AsLong() : 0;
    }
    Usual s = TypeError(*this, UsualType::Long, "AsLong");
    return s.IsNil() ? 0 : s.AsLong();
}

double Usual::AsFloat() const {
    if (v_.index() == kFloat)
        return std::get<kFloat>(v_).value;
    if (v_.index() == kLong)
        return std::get<kLong>(v_);
    Usual s = TypeError(*this, UsualType::Float, "AsFloat");
    return s.IsNil() ? 0.0 : s.AsFloat();
}

int Usual::FloatDecimals() const {
    return v_.index() == kFloat ? std::get<kFloat>(v_).decimals : -1;
}

bool Usual::AsLogic() const {
    if (v_.index() == kLogic)
        return std::get<kLogic>(v_);
    Usual s = TypeError(*this, UsualType::Logic, "AsLogic");
    return s.IsNil() ? false : s.AsLogic();
}

kp::Date Usual::AsDate() const {
    if (v_.index() == kDate)
        return std::get<kDate>(v_);
    Usual s = TypeError(*this, UsualType::Date, "AsDate");
    return s.IsNil() ? kp::Date() : s.AsDate();
}

const std::string& Usual::AsString() const {
    if (v_.index() == kString)
        return std::get<kString>(v_);
    Usual s = TypeError(*this, UsualType::String, "AsString");
    return Keep<std::string>(s.IsNil() ? std::string() : s.AsString());
}

kp::Symbol Usual::AsSymbol() const {
    if (v_.index() == kSymbol)
        return std::get<kSymbol>(v_);
    Usual s = TypeError(*this, UsualType::Symbol, "AsSymbol");
    return s.IsNil() ? kp::Symbol() : s.AsSymbol();
}

const std::shared_ptr<kp::Array>& Usual::AsArray() const {
    if (v_.index() == kArray)
        return std::get<kArray>(v_);
    Usual s = TypeError(*this, UsualType::Array, "AsArray");
    return Keep<std::shared_ptr<kp::Array>>(s.IsNil() ? nullptr : s.AsArray());
}

const std::shared_ptr<kp::Object>& Usual::AsObject() const {
    if (v_.index() == kObject)
        return std::get<kObject>(v_);
    Usual s = TypeError(*this, UsualType::Object, "AsObject");
    return Keep<std::shared_ptr<kp::Object>>(s.IsNil() ? nullptr : s.AsObject());
}

const std::shared_ptr<kp::CodeBlock>& Usual::AsCodeBlock() const {
    if (v_.index() == kBlock)
        return std::get<kBlock>(v_);
    Usual s = TypeError(*this, UsualType::CodeBlock, "AsCodeBlock");
    return Keep<std::shared_ptr<kp::CodeBlock>>(s.IsNil() ? nullptr : s.AsCodeBlock());
}

void* Usual::AsPointer() const {
    if (v_.index() == kPtr)
        return std::get<kPtr>(v_);
    Usual s = TypeError(*this, UsualType::Ptr, "AsPointer");
    return s.IsNil() ? nullptr : s.AsPointer();
}

std::string Usual::AsText() const {
    switch (v_.index()) {
        case kNil:
            return {};
        case kLong:
        case kFloat:
            return NTrim(*this);
        case kDate:
            return DToC(std::get<kDate>(v_));
        case kString:
            return std::get<kString>(v_);
        case kLogic:
            return std::get<kLogic>(v_) ? ".T." : ".F.";
        case kSymbol:
            return std::get<kSymbol>(v_).Name();
        case kArray: {
            const auto& a = std::get<kArray>(v_);
            return "{[" + std::to_string(a ? a->size() : 0) + "]}";
        }
        case kObject: {
            const auto& o = std::get<kObject>(v_);
            return "{" + (o ? o->ClassName().Name() : std::string("NULL_OBJECT")) + "}";
        }
        case kBlock:
            return "{||}";
        default: {
            char buf[32];
            std::snprintf(
                buf, sizeof buf, "0x%08llX",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(std::get<kPtr>(v_))));
            return buf;
        }
    }
}

bool operator==(const Usual& a, const Usual& b) {
    const size_t ia = a.v_.index(), ib = b.v_.index();
    if ((ia == kLong || ia == kFloat) && (ib == kLong || ib == kFloat)) {
        if (ia == kLong && ib == kLong)
            return std::get<kLong>(a.v_) == std::get<kLong>(b.v_);
        return a.AsFloat() == b.AsFloat();
    }
    if (ia != ib)
        return false;
    switch (ia) {
        case kNil:
            return true;
        case kDate:
            return std::get<kDate>(a.v_) == std::get<kDate>(b.v_);
        case kString:
            return std::get<kString>(a.v_) == std::get<kString>(b.v_);
        case kLogic:
            return std::get<kLogic>(a.v_) == std::get<kLogic>(b.v_);
        case kSymbol:
            return std::get<kSymbol>(a.v_) == std::get<kSymbol>(b.v_);
        case kArray:
            return std::get<kArray>(a.v_) == std::get<kArray>(b.v_);
        case kObject:
            return std::get<kObject>(a.v_) == std::get<kObject>(b.v_);
        case kBlock:
            return std::get<kBlock>(a.v_) == std::get<kBlock>(b.v_);
        default:
            return std::get<kPtr>(a.v_) == std::get<kPtr>(b.v_);
    }
}

}  // namespace kp
