#include "app/funGlobal.h"

#include "platform/gui/drawing.h"

#include <optional>
#include <utility>
#include <vector>

namespace kp {
namespace {

using Pairs = std::vector<std::pair<Symbol, Usual>>;

// The list does not exist until the first call that needs it.
std::optional<Pairs>& Store() {
    static std::optional<Pairs> store;
    return store;
}

// Only these classes own something that must be given back; a subclass is
// deliberately left alone, since it may share its handle with others.
void DestroyIfOwned(const Usual& value) {
    if (!value.IsObject())
        return;
    const auto& object = value.AsObject();
    if (!IsInstanceInList(object.get(), {Symbol("FONT"), Symbol("BRUSH"), Symbol("DRAWOBJECT"),
                                         Symbol("HELPDISPLAY")}))
        return;
    if (auto* f = dynamic_cast<Font*>(object.get()))
        f->Destroy();
    else if (auto* b = dynamic_cast<Brush*>(object.get()))
        b->Destroy();
    else if (auto* d = dynamic_cast<Destroyable*>(object.get()))
        d->Destroy();
}

bool IsStoreAction(Symbol action) {
    return action == GlobalPut() || action == GlobalStore();
}

}  // namespace

bool IsInstanceInList(const Object* object, std::initializer_list<Symbol> classNames) {
    if (object == nullptr)
        return false;
    const Symbol own = object->ClassName();
    for (Symbol s : classNames)
        if (s == own)
            return true;
    return false;
}

bool IsInstanceInList(const Usual& object, std::initializer_list<Symbol> classNames) {
    return object.IsObject() && IsInstanceInList(object.AsObject().get(), classNames);
}

Usual FunGlobal(Symbol name, const Usual& value, Symbol action) {
    auto& store = Store();
    if (action == GlobalAxit()) {
        if (store) {
            // Move the list out first: a Destroy that reaches the store again
            // must find it already gone.
            Pairs pairs = std::move(*store);
            store.reset();
            for (auto& p : pairs)
                DestroyIfOwned(p.second);
        }
        return Usual();
    }
    if (!store)
        store.emplace();
    Pairs& pairs = *store;
    auto it = pairs.begin();
    while (it != pairs.end() && !(it->first == name))
        ++it;
    if (it == pairs.end()) {
        if (IsStoreAction(action)) {
            pairs.emplace_back(name, value);
            return value;
        }
        return Usual();
    }
    Usual old = it->second;
    if (action == GlobalKill()) {
        pairs.erase(it);
        DestroyIfOwned(old);
    } else if (IsStoreAction(action)) {
        it->second = value;
    }
    return old;
}

Usual GetGlobal(Symbol name) {
    return FunGlobal(name, Usual(), GlobalGet());
}

void AxitGlobal() {
    FunGlobal(Symbol(), Usual(), GlobalAxit());
}

}  // namespace kp
