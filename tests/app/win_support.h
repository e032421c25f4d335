#pragma once
// A presenter that answers message boxes without a screen and remembers
// them.
#include <functional>
#include <string>
#include <vector>

#include "platform/gui/boxes.h"

namespace kp::test {

class FakePresenter : public Presenter {
  public:
    struct Shown {
        std::string caption;
        std::string text;
        UINT type;
    };
    std::vector<Shown> shown;
    std::function<int(const Shown&)> answer = [](const Shown&) { return IDOK; };

    int ShowMessage(HWND, const std::string& caption, const std::string& text, UINT type) override {
        shown.push_back({caption, text, type});
        return answer(shown.back());
    }
    bool ShowFileDialog(FileDialogRequest&) override { return false; }
};

}  // namespace kp::test
