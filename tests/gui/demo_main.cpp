// Shows the demo form with one control of each type, for looking at it.
//   gui_demo [milliseconds]   ends by itself after that time (0: when closed)
#include <cstdlib>

#include "tests/gui/test_forms.h"

namespace {
void CALLBACK EndDemo(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(0);
}
}  // namespace

int main(int argc, char** argv) {
    kp::App app;
    kp::test::TestTitel::Register();
    kp::test::DemoForm form;
    // 40 pixels from the screen's left and top edges, in the library's
    // coordinates (from the screen's foot).
    form.Origin(kp::Point(40, GetSystemMetrics(SM_CYSCREEN) - 40 - form.Size().height));
    form.Show();
    const int ms = argc > 1 ? std::atoi(argv[1]) : 0;
    if (ms > 0)
        SetTimer(nullptr, 0, static_cast<UINT>(ms), &EndDemo);
    app.Exec();
    return 0;
}
