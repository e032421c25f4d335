#pragma once
// The run-time's error message box. It shows an error's message text under
// the severity word ("ERROR" / "WARNING") with the buttons that the three
// flags allow (default: 1 = offer "use the default"; retry: 2 = offer retry;
// break: 0x80000003 = offer break, 0x80000000 = only quit) and returns the
// button chosen: 1 use the default, 2 retry, anything else break or quit.
//
// The GUI layer installs the real box (and tests their own). Without one,
// the answer is 1 when the default flag is set, else 3 (break or quit).
#include <cstdint>
#include <functional>
#include <string>

namespace kp {

using ErrorMessageBoxFn =
    std::function<int(const std::string& text, const std::string& severityWord,
                      uint32_t defaultFlag, uint32_t retryFlag, uint32_t breakFlag)>;

ErrorMessageBoxFn SetErrorMessageBox(ErrorMessageBoxFn box);  // returns the old one
int ErrorMessageBox(const std::string& text, const std::string& severityWord, uint32_t defaultFlag,
                    uint32_t retryFlag, uint32_t breakFlag);

}  // namespace kp
