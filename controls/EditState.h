#pragma once
// What a key-by-key editor works on: the field's text and its selection
// (0-based caret positions, start before finish), and what it did with a key.
#include <string>

namespace kp {

struct EditState {
    std::string text;
    int start = 0;
    int finish = 0;
    bool operator==(const EditState&) const = default;
};

enum class KeyResult {
    Consumed,  // the key is used up; the state is the field's new text and caret
    Refused,   // the key is used up without change; the field beeps
    PassOn,    // not the editor's: the edit control itself handles it (copy)
};

// Character codes the edit control turns into clipboard commands.
inline constexpr unsigned kCtrlC = 0x03;
inline constexpr unsigned kCtrlV = 0x16;
inline constexpr unsigned kCtrlX = 0x18;

// Outcome of pasting a text into an editor: the new state, or why not.
struct PasteResult {
    bool ok = false;
    std::string message;  // German, for the user, when !ok
};

}  // namespace kp
