#pragma once
// The document-information dialog: files a letter that has just been saved
// under a new name in the document register (or the template register) and,
// on request, in the resubmission file.
#include <string>

namespace kp {

class Window;

// Creates and shows the modeless dialog for the letter saved as cAblage
// (full file name). The caller does not wait: the dialog owns itself and
// frees itself when it ends.
void OpenDlgDateiInfo(Window* owner, const std::string& cAblage);

}  // namespace kp
