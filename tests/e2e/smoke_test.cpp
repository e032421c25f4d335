// The program starts, shows its window and ends cleanly when the user closes
// it, by its own button or by the close box.
#include <gtest/gtest.h>

#include "tests/e2e/e2e_program.h"
#include "tools/demodata/demodata.h"

namespace kp::e2e {
namespace {

constexpr int kSchliessen = 100;

class Smoke : public ::testing::Test {
  protected:
    // The program opens its contract table at start; an empty one will do.
    void SetUp() override {
        demo::WriteVertrag(uidriver::Narrow(folder_.path().wstring()), 0, 1, false);
    }
    void TearDown() override {
        if (HasFailure())
            folder_.Keep();
    }

    TempFolder folder_;
    E2eProgram program_;
};

TEST_F(Smoke, SchliessenEndsTheProgramWithExitCodeZero) {
    program_.Start(folder_.path());
    ASSERT_NE(program_.Window(), nullptr);
    EXPECT_EQ(program_.Text(kSchliessen), "&Schliessen");
    EXPECT_TRUE(program_.Enabled(kSchliessen));
    program_.Click(kSchliessen);
    EXPECT_EQ(program_.WaitExit(), 0u);
}

TEST_F(Smoke, CloseBoxEndsTheProgramWithExitCodeZero) {
    program_.Start(folder_.path());
    program_.Close();
    EXPECT_EQ(program_.WaitExit(), 0u);
}

}  // namespace
}  // namespace kp::e2e
