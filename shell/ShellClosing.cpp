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

}  // namespace kp
