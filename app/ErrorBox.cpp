#include "app/ErrorBox.h"

#include <windows.h>

#include "platform/gui/boxes.h"
#include "platform/runtime/utf8.h"

namespace kp {

// The German system buttons carry the meaning well: "Ignorieren" goes on
// with the default, "Wiederholen" retries, "Abbrechen" breaks off the action
// (or ends the program when nothing is left to break to). Where the error
// allows no default, "Ignorieren" is not offered; where it allows only a
// default, "OK" takes it.
ErrorBoxLayout ErrorBoxLayoutFor(uint32_t defaultFlag, uint32_t retryFlag) {
    if (defaultFlag != 0 && retryFlag != 0)
        return {MB_ABORTRETRYIGNORE};
    if (retryFlag != 0)
        return {MB_RETRYCANCEL};
    if (defaultFlag != 0)
        return {MB_OKCANCEL};
    return {MB_OK};
}

int ErrorBoxLayout::Answer(int buttonId) const {
    switch (buttonId) {
        case IDIGNORE:
            return 1;
        case IDOK:
            return type == MB_OKCANCEL ? 1 : 3;
        case IDRETRY:
            return 2;
        default:
            return 3;
    }
}

int WinErrorSysHost::ErrorMessageBox(const std::string& text, const std::string& severityWord,
                                     uint32_t defaultFlag, uint32_t retryFlag, uint32_t) {
    const ErrorBoxLayout layout = ErrorBoxLayoutFor(defaultFlag, retryFlag);
    const UINT icon = severityWord == "WARNING" ? MB_ICONWARNING : MB_ICONERROR;
    // Owned by the active window of the program, so that it stays in front
    // of the window whose action failed.
    const int id = CurrentPresenter().ShowMessage(GetActiveWindow(), severityWord, text,
                                                  layout.type | icon | MB_SETFOREGROUND);
    return layout.Answer(id);
}

void WinErrorSysHost::PlainBox(const std::string& title, const std::string& text) {
    CurrentPresenter().ShowMessage(nullptr, title, text, MB_OK | MB_TASKMODAL);
}

void WinErrorSysHost::Tones() {
    // One tick of the PC clock is about 55 ms.
    Beep(440, 55);
    Beep(494, 55);
    Beep(523, 55);
}

}  // namespace kp
