#pragma once
// The global value store: one process-wide list of {name, value} pairs with
// typed actions, and the class test the store uses to release drawing
// objects it holds.
#include <initializer_list>
#include <memory>

#include "platform/runtime/symbol.h"
#include "platform/runtime/usual.h"

namespace kp {

// Objects that own a system resource and give it back on Destroy (fonts,
// brushes, drawing objects, help displays). The store destroys such an
// object when its pair is removed or the store is released.
class Destroyable {
  public:
    virtual ~Destroyable() = default;
    virtual void Destroy() = 0;
};

// The actions FunGlobal understands.
inline Symbol GlobalGet() {
    return Symbol("GET");
}
inline Symbol GlobalPut() {
    return Symbol("PUT");
}  // store
inline Symbol GlobalStore() {
    return Symbol("STORE");
}  // store, the second spelling
inline Symbol GlobalKill() {
    return Symbol("KILL");
}
inline Symbol GlobalAxit() {
    return Symbol("AXIT");
}  // release all

// The single entry to the store. GET returns the value held (nil when the
// name is unknown); a store action returns the previous value of a known
// name but the given value for a new one; KILL removes the pair and returns
// its old value; AXIT releases everything and returns nil.
Usual FunGlobal(Symbol name, const Usual& value, Symbol action);

Usual GetGlobal(Symbol name);
void AxitGlobal();

// True when the object's own class (not a base class) is one of the names.
bool IsInstanceInList(const Usual& object, std::initializer_list<Symbol> classNames);
bool IsInstanceInList(const Object* object, std::initializer_list<Symbol> classNames);

}  // namespace kp
