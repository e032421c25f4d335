#include "app/funVelto.h"

#include <utility>
#include <vector>

namespace kp {

Usual GetSetGlobal(Symbol name, const Usual& value) {
    static std::vector<std::pair<Symbol, Usual>> store;
    auto it = store.begin();
    while (it != store.end() && !(it->first == name))
        ++it;
    if (value.IsNil())
        return it == store.end() ? Usual() : it->second;
    if (it != store.end())
        it->second = value;
    else
        store.emplace_back(name, value);
    return value;
}

std::string DateiName(std::string_view path) {
    if (const size_t slash = path.rfind('\\'); slash != std::string_view::npos)
        return std::string(path.substr(slash + 1));
    if (const size_t colon = path.find(':'); colon != std::string_view::npos)
        return std::string(path.substr(colon + 1));
    return std::string(path);
}

}  // namespace kp
