// Every end-to-end test process works on a desktop of its own: programs it
// starts and windows it makes open there, and the driver looks only there.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "tools/uidriver/desktop.h"

namespace kp::e2e {
namespace {

class DesktopEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        desktop_ = uidriver::Desktop::Create("kpe2e-" + std::to_string(GetCurrentProcessId()));
        if (!desktop_ || !desktop_->Enter()) {
            // Still correct on the shared desktop, only slower.
            std::fprintf(stderr, "e2e: no desktop of our own, using the shared one\n");
            desktop_.reset();
            return;
        }
        // Wine ends a desktop's display shortly after its last window is
        // gone; a program started in that moment finds no display. A window
        // of our own keeps the desktop up between the programs of the tests.
        keeper_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"STATIC", L"kpe2e",
                                  WS_POPUP | WS_VISIBLE, -10, -10, 1, 1, nullptr, nullptr, nullptr,
                                  nullptr);
    }
    void TearDown() override {
        if (keeper_)
            DestroyWindow(keeper_);
        desktop_.reset();
    }

  private:
    std::unique_ptr<uidriver::Desktop> desktop_;
    HWND keeper_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kDesktop =
    ::testing::AddGlobalTestEnvironment(new DesktopEnvironment);

}  // namespace
}  // namespace kp::e2e
