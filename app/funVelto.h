#pragma once
// The shared value store: a second process-wide list of {name, value}
// pairs that the suite's forms use to hand values to each other. It has no
// removal and lives as long as the process. And the file-name helper the
// word processor's parts share.
#include <string>
#include <string_view>

#include "platform/runtime/symbol.h"
#include "platform/runtime/usual.h"

namespace kp {

// With nil, reads: the value held under the name, or nil. With any other
// value, stores it (appending a new name) and returns it. Nil itself can
// therefore never be stored.
Usual GetSetGlobal(Symbol name, const Usual& value = Usual());

// The file name without its directory: the part after the last backslash;
// without a backslash, the part after the first colon ("A:BRIEF.RTF");
// otherwise the text unchanged.
std::string DateiName(std::string_view path);

}  // namespace kp
