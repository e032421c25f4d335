#pragma once
// Closing windows that hold changes not yet saved. A form asks one question
// on every way it can be closed (its own button, the close box, the shell's
// end); the shell asks every such window before it closes any of them, so
// an "Abbrechen" anywhere leaves everything open as it was.
#include <windows.h>

#include <functional>
#include <string>

namespace kp {

enum class UnsavedAnswer { Save, Discard, Cancel };

// The question of a form with changes not yet saved, named by its caption:
// "Ja" saves, "Nein" drops the changes, "Abbrechen" keeps the form open.
UnsavedAnswer AskUnsavedChanges(HWND owner, const std::string& formCaption);

// A form's part of closing with changes: asks, saves on "Ja" (`save` is
// true when every change went in), notes a "Nein" in `discardAgreed`. True
// when the form may close.
bool AgreeToCloseForm(HWND owner, const std::string& formCaption, const std::function<bool()>& save,
                      bool& discardAgreed);

// Tells that a save was refused because an index of the table could not be
// opened (the save would have left it with stale keys).
void TellNotSaved(HWND owner, const std::string& indexError);

// A window of the shell that may hold changes not yet saved.
class UnsavedWork {
  public:
    virtual ~UnsavedWork() = default;
    // Asks about the changes, if there are any, and saves them on "Ja".
    // False when the window must stay open: "Abbrechen", or a save that
    // failed (the user was told why). A "Nein" is only noted; the changes
    // go when the window closes.
    virtual bool AgreeToClose() = 0;
    // The agreed close does not happen after all (another window was
    // answered "Abbrechen"): the changes stay, and the next close asks again.
    virtual void CloseCancelled() = 0;
};

}  // namespace kp
