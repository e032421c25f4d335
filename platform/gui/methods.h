#pragma once
// Calls by name: a push button calls the owner's method of the button's name,
// a menu command the method of the item's name. Each class keeps a small
// table of its named methods (symbol -> member function) and looks a name up
// there before asking its base class:
//
//   Method DtaStart::FindMethod(Symbol name) {
//       static const MethodTable<DtaStart> methods{
//           {"PshBerechnen", &DtaStart::PshBerechnen},
//           {"PshOK", &DtaStart::PshOK},
//       };
//       if (Method m = methods.Bind(this, name)) return m;
//       return DtaStartLayout::FindMethod(name);
//   }
//
// Names compare without regard to case, as symbols do.
#include <functional>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/runtime/symbol.h"

namespace kp {

// A method bound to its object; empty when there is no such method.
using Method = std::function<void()>;

template <class T>
class MethodTable {
  public:
    using Fn = void (T::*)();

    MethodTable(std::initializer_list<std::pair<std::string_view, Fn>> entries) {
        entries_.reserve(entries.size());
        for (const auto& [name, fn] : entries)
            entries_.emplace_back(Symbol(name), fn);
    }

    bool Has(Symbol name) const { return Find(name) != nullptr; }

    Method Bind(T* object, Symbol name) const {
        Fn fn = Find(name);
        if (!fn)
            return {};
        return [object, fn] { (object->*fn)(); };
    }

  private:
    Fn Find(Symbol name) const {
        for (const auto& [sym, fn] : entries_)
            if (sym == name)
                return fn;
        return nullptr;
    }

    std::vector<std::pair<Symbol, Fn>> entries_;
};

}  // namespace kp
