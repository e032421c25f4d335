#pragma once
// Dynamic values. Used only where a value's type is decided at run time:
// field values, the value stores and error arguments.
#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "platform/runtime/date.h"
#include "platform/runtime/symbol.h"

namespace kp {

// Type codes of the classic run-times.
enum class UsualType : int {
    Nil = 0,
    Long = 1,
    Date = 2,
    Float = 3,
    Array = 5,
    Object = 6,
    String = 7,
    Logic = 8,
    CodeBlock = 9,
    Symbol = 10,
    Ptr = 18,
};

std::string TypeString(int typeCode);  // the type's name, e.g. "STRING"

class Usual;

// Base of every object that can travel in a Usual.
class Object {
  public:
    virtual ~Object() = default;
    virtual Symbol ClassName() const = 0;  // the object's own class, upper case
};

using Array = std::vector<Usual>;
using CodeBlock = std::function<Usual(std::span<const Usual>)>;

struct Float {
    double value = 0;
    int decimals = -1;  // decimals to show; -1: the SetDecimal setting
};

class Usual {
  public:
    Usual() = default;  // nil
    Usual(int32_t v) : v_(v) {}
    Usual(double v) : v_(Float{v, -1}) {}
    Usual(Float v) : v_(v) {}
    Usual(bool v) : v_(v) {}
    Usual(kp::Date v) : v_(v) {}
    Usual(std::string v) : v_(std::move(v)) {}
    Usual(const char* v) : v_(std::string(v)) {}
    Usual(kp::Symbol v) : v_(v) {}
    Usual(std::shared_ptr<kp::Array> v) : v_(std::move(v)) {}
    Usual(std::shared_ptr<kp::Object> v) : v_(std::move(v)) {}
    Usual(std::shared_ptr<kp::CodeBlock> v) : v_(std::move(v)) {}
    // Any object type (Error, windows, servers ...) travels as an Object.
    template <typename T>
    requires(std::derived_from<T, kp::Object> && !std::same_as<T, kp::Object>)
        Usual(std::shared_ptr<T> v)
        : v_(std::shared_ptr<kp::Object>(std::move(v))) {}
    // Other integer types: a long when the value fits 32 bits, else a float.
    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, int32_t>) Usual(T v) {
        if (std::in_range<int32_t>(v))
            v_ = static_cast<int32_t>(v);
        else
            v_ = Float{static_cast<double>(v), 0};
    }
    static Usual Pointer(void* p) {
        Usual u;
        u.v_ = p;
        return u;
    }

    UsualType Type() const;
    bool IsNil() const { return Type() == UsualType::Nil; }
    bool IsNumeric() const { return Type() == UsualType::Long || Type() == UsualType::Float; }
    bool IsString() const { return Type() == UsualType::String; }
    bool IsLogic() const { return Type() == UsualType::Logic; }
    bool IsDate() const { return Type() == UsualType::Date; }
    bool IsObject() const { return Type() == UsualType::Object; }
    bool IsArray() const { return Type() == UsualType::Array; }
    bool IsSymbol() const { return Type() == UsualType::Symbol; }

    // Typed reads. Reading the wrong type raises a data-type run-time error
    // (general code 33, can default and substitute) through the error block;
    // a substitute of the wanted type is then the result, otherwise the
    // type's empty value. Numbers read as either kind (a float read as a long
    // is rounded half away from zero; out of range raises general code 4).
    int32_t AsLong() const;
    double AsFloat() const;
    int FloatDecimals() const;  // -1 unless a Float with decimals
    bool AsLogic() const;
    kp::Date AsDate() const;
    const std::string& AsString() const;
    kp::Symbol AsSymbol() const;
    const std::shared_ptr<kp::Array>& AsArray() const;
    const std::shared_ptr<kp::Object>& AsObject() const;
    const std::shared_ptr<kp::CodeBlock>& AsCodeBlock() const;
    void* AsPointer() const;

    // The value as text, as the run-time shows a value of any type
    // ("" for nil, numbers with Str without blanks, dates with DToC,
    // ".T."/".F.", symbols by name, "{[n]}" for an array of n elements,
    // "{CLASSNAME}" for an object, "{||}" for a code block, pointers as
    // "0x" and 8 or more upper-case hex digits).
    std::string AsText() const;

    // Strict equality: same type and same value (numbers compare by value).
    friend bool operator==(const Usual& a, const Usual& b);

  private:
    std::variant<std::monostate, int32_t, kp::Date, Float, std::shared_ptr<kp::Array>,
                 std::shared_ptr<kp::Object>, std::string, bool, std::shared_ptr<kp::CodeBlock>,
                 kp::Symbol, void*>
        v_;
};

}  // namespace kp
