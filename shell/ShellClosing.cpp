#include "shell/ShellClosing.h"

#include "platform/gui/boxes.h"

namespace kp {

UnsavedAnswer AskUnsavedChanges(HWND owner, const std::string& formCaption) {
    const int reply = CurrentPresenter().ShowMessage(
        owner, "KONTORPLUS",
        "Der Datensatz im Formular „" + formCaption +
            "“ wurde geändert und ist noch nicht gespeichert.\r\n"
            "Sollen die Änderungen gespeichert werden?\r\n\r\n"
            "Ja: speichern und schließen\r\nNein: Änderungen verwerfen und schließen\r\n"
            "Abbrechen: weiter bearbeiten",
        MB_YESNOCANCEL | MB_ICONQUESTION);
    if (reply == BOXREPLYYES)
        return UnsavedAnswer::Save;
    if (reply == BOXREPLYNO)
        return UnsavedAnswer::Discard;
    return UnsavedAnswer::Cancel;
}

bool AgreeToCloseForm(HWND owner, const std::string& formCaption, const std::function<bool()>& save,
                      bool& discardAgreed) {
    switch (AskUnsavedChanges(owner, formCaption)) {
        case UnsavedAnswer::Save:
            return save();
        case UnsavedAnswer::Discard:
            discardAgreed = true;
            return true;
        case UnsavedAnswer::Cancel:
        default:
            return false;
    }
}

void TellNotSaved(HWND owner, const std::string& indexError) {
    CurrentPresenter().ShowMessage(owner, "KONTORPLUS",
                                   indexError + "\r\nDie Änderungen wurden nicht gespeichert.",
                                   MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace kp
