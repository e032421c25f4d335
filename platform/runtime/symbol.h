#pragma once
// Interned, upper-case names. Methods, fields, classes and menu events are
// addressed by symbol; two symbols are equal when their names are equal
// ignoring case, and comparing them is a pointer comparison.
#include <functional>
#include <string>
#include <string_view>

namespace kp {

class Symbol {
  public:
    Symbol() = default;                      // the null symbol (no name)
    explicit Symbol(std::string_view name);  // interns Upper(name); "" gives the null symbol
    const std::string& Name() const;         // "" for the null symbol
    bool IsNull() const { return name_ == nullptr; }
    friend bool operator==(Symbol a, Symbol b) { return a.name_ == b.name_; }
    friend bool operator<(Symbol a, Symbol b) { return a.Name() < b.Name(); }
    // Identity of the interned name (nullptr for the null symbol); for hashing.
    const void* Id() const { return name_; }

  private:
    const std::string* name_ = nullptr;
};

}  // namespace kp

template <>
struct std::hash<kp::Symbol> {
    size_t operator()(kp::Symbol s) const noexcept { return std::hash<const void*>()(s.Id()); }
};
