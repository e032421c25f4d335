#pragma once
// Whether what a user typed into a form's field can be stored in the
// table's field as it is: the checks a record's fields pass before any of
// them is written, so that a save is all or nothing and nothing is stored
// other than what the field shows (no impossible date turned into an empty
// one, no character the tables' code page lacks, no number cut or made 0).
#include <optional>
#include <string>

#include "platform/data/dataserver.h"

namespace kp {

// The reason, in German and naming the field by `label`, why `text` cannot
// be stored in a field of `spec` in code page `codePage`; nothing when it
// can. Blank text is always storable (the empty value of the type).
std::optional<std::string> FieldStoreProblem(const FieldSpec& spec, const std::string& text,
                                             int codePage, const std::string& label);

// The name of a field for messages, from its description ("Geburtsdatum
// (TT.MM.JJJJ)" and "Anrede: Herr, Frau" give "Geburtsdatum" and
// "Anrede"); the field's own name when there is no description.
std::string FieldLabel(const std::string& description, const std::string& fieldName);

}  // namespace kp
