// The error box: which buttons it offers and what each answers.
#include <gtest/gtest.h>

#include "app/ErrorBox.h"
#include "app/KpPaint.h"
#include "tests/app/win_support.h"

namespace kp {
namespace {

TEST(ErrorBoxLayout, ButtonsFollowTheChoicesTheErrorAllows) {
    auto all = ErrorBoxLayoutFor(1, 2);
    EXPECT_EQ(all.type, static_cast<unsigned>(MB_ABORTRETRYIGNORE));
    EXPECT_EQ(all.Answer(IDIGNORE), 1);
    EXPECT_EQ(all.Answer(IDRETRY), 2);
    EXPECT_EQ(all.Answer(IDABORT), 3);

    auto retry = ErrorBoxLayoutFor(0, 2);
    EXPECT_EQ(retry.type, static_cast<unsigned>(MB_RETRYCANCEL));
    EXPECT_EQ(retry.Answer(IDRETRY), 2);
    EXPECT_EQ(retry.Answer(IDCANCEL), 3);

    auto def = ErrorBoxLayoutFor(1, 0);
    EXPECT_EQ(def.type, static_cast<unsigned>(MB_OKCANCEL));
    EXPECT_EQ(def.Answer(IDOK), 1);
    EXPECT_EQ(def.Answer(IDCANCEL), 3);

    // Nothing but break or quit: OK must not count as "use the default".
    auto none = ErrorBoxLayoutFor(0, 0);
    EXPECT_EQ(none.type, static_cast<unsigned>(MB_OK));
    EXPECT_EQ(none.Answer(IDOK), 3);
}

TEST(WinErrorSysHost, ShowsTheBoxThroughThePresenter) {
    test::FakePresenter presenter;
    presenter.answer = [](const test::FakePresenter::Shown&) { return IDRETRY; };
    ScopedPresenter scoped(presenter);
    WinErrorSysHost host;
    EXPECT_EQ(host.ErrorMessageBox("Error Code:  X\r\n", "ERROR", 0, 2, 0x80000003u), 2);
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].caption, "ERROR");
    EXPECT_EQ(presenter.shown[0].type & MB_TYPEMASK, static_cast<UINT>(MB_RETRYCANCEL));
    EXPECT_EQ(presenter.shown[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

TEST(KpPaint, AvailabilityRuleAndZeroWithoutTheLibrary) {
    std::array<bool, 10> all;
    all.fill(true);
    EXPECT_TRUE(KpPaintUsable(all));
    all[1] = false;  // DIBCreateFromPTR may be missing
    EXPECT_TRUE(KpPaintUsable(all));
    all[9] = false;
    EXPECT_FALSE(KpPaintUsable(all));

    EXPECT_FALSE(BindKpPaint());  // no KPPAINT.DLL beside the tests
    EXPECT_FALSE(KpPaintAvailable());
    EXPECT_EQ(DIBCreateFromFile(1), 0);
    EXPECT_EQ(DIBStretch(1, 2, 3, 4, 0.5), 0);
    EXPECT_EQ(KPPaintLastError(), 0);
}

}  // namespace
}  // namespace kp
