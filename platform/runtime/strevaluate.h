#pragma once
// StrEvaluate: the run-time's string evaluation. A text may refer to
// variables by macro references, "&name" or "&name." (the dot ends the name
// and is dropped); each reference whose variable the lookup knows is
// replaced by the variable's text. Every other character, including a "&"
// that starts no known name (a menu caption's mnemonic, "&Datei"), stays as
// it is, so a text without variable references comes out literally.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kp {

// The text of a variable, or nothing when there is no variable of that name.
using VariableLookup = std::function<std::optional<std::string>(std::string_view name)>;

// Without a lookup no name is known and the text is returned unchanged.
std::string StrEvaluate(std::string_view text, const VariableLookup& lookup = {});

}  // namespace kp
