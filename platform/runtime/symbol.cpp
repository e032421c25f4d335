#include "platform/runtime/symbol.h"

#include <mutex>
#include <unordered_set>

#include "platform/runtime/strings.h"

namespace kp {

namespace {

// The symbol table: a node-based set, so the address of each name is stable
// for the life of the process. Created on first use (symbols may be made
// during static initialisation of other translation units).
struct SymbolTable {
    std::mutex lock;
    std::unordered_set<std::string> names;
};

SymbolTable& Table() {
    static SymbolTable* table = new SymbolTable;  // never destroyed: symbols outlive statics
    return *table;
}

}  // namespace

Symbol::Symbol(std::string_view name) {
    if (name.empty())
        return;  // the null symbol
    std::string upper = Upper(name);
    SymbolTable& t = Table();
    std::lock_guard<std::mutex> guard(t.lock);
    name_ = &*t.names.insert(std::move(upper)).first;
}

const std::string& Symbol::Name() const {
    static const std::string empty;
    return name_ ? *name_ : empty;
}

}  // namespace kp
