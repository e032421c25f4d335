#pragma once
// The error handler's Windows surroundings: the real message box, the
// tones and the plain box.
#include "app/ErrorSys.h"

namespace kp {

// Which Windows button set shows a choice of default / retry / break, and
// what each button means. Kept apart from the box so it can be tested.
struct ErrorBoxLayout {
    unsigned type;  // MB_ABORTRETRYIGNORE, MB_RETRYCANCEL, MB_OKCANCEL or MB_OK
    // The handler's answer for a Windows button id: 1 default, 2 retry,
    // 3 break or quit.
    int Answer(int buttonId) const;
};
ErrorBoxLayout ErrorBoxLayoutFor(uint32_t defaultFlag, uint32_t retryFlag);

class WinErrorSysHost : public ErrorSysHost {
  public:
    int ErrorMessageBox(const std::string& text, const std::string& severityWord,
                        uint32_t defaultFlag, uint32_t retryFlag, uint32_t breakFlag) override;
    void PlainBox(const std::string& title, const std::string& text) override;
    void Tones() override;
};

}  // namespace kp
