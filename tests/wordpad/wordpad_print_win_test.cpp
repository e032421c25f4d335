// The word pad's printing in-process: what lGedruckt says after printing,
// after a preview closed at any page, and without a printer (the run with
// the printers hidden). Printed letters go to the test command's PDF queue.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <thread>

#include "app/funVelto.h"
#include "platform/gui/boxes.h"
#include "platform/gui/shellwindow.h"
#include "platform/report/ptrdevice.h"
#include "platform/report/preview.h"
#include "wordpad/KpWordPad.h"
#include "tests/common/temp_folder.h"
#include "tests/wordpad/wordpad_shell.h"

namespace kp {
namespace {

namespace fs = std::filesystem;

// Answers every box with OK and keeps what it said.
class Boxes : public Presenter {
  public:
    int ShowMessage(HWND, const std::string& caption, const std::string& text, UINT) override {
        shown.push_back(caption + ": " + text);
        return BOXREPLYOKAY;
    }
    bool ShowFileDialog(FileDialogRequest&) override { return false; }
    std::vector<std::string> shown;
};

bool PrintersHidden() {
    return GetEnvironmentVariableW(L"KP_EXPECT_NO_PRINTER", nullptr, 0) > 0;
}

// Pages the preview that the word pad shows (modal) forward and closes it,
// from a thread of its own while the modal loop runs. Answers the page
// shown when it was closed; 0 when no preview came.
int CloseThePreview(int pagesForward) {
    HWND preview = nullptr;
    for (int i = 0; i < 400 && !preview; ++i) {
        preview = FindWindowW(L"KpPrintPreview", nullptr);
        if (!preview)
            Sleep(50);
    }
    if (!preview)
        return 0;
    for (int i = 0; i < pagesForward; ++i)
        SendMessageW(preview, WM_KEYDOWN, VK_NEXT, 0);
    wchar_t text[64] = {};
    GetDlgItemTextW(preview, kPreviewPageTextId, text, 63);
    PostMessageW(preview, WM_CLOSE, 0, 0);
    return _wtoi(text + 6);  // "Seite n von m"
}

class WordPadPrinting : public ::testing::Test {
  protected:
    void SetUp() override {
        shell_ = WordPadShell(dir_.Folder());
        pad_ = std::make_unique<KpWordPad>(shell_.get());
        pad_->Show();
        std::string text;
        for (int i = 1; i <= 150; ++i)
            text += "Briefzeile " + std::to_string(i) + "\r";
        pad_->oRichEdit()->TextValue(text);
    }
    void TearDown() override {
        pad_.reset();
        shell_.reset();
    }
    bool HavePrinter() { return DefaultPrinterLink() != nullptr; }

    Boxes boxes_;
    ScopedPresenter scoped_{boxes_};
    test::TempFolder dir_{"kp_wordpad_print_"};
    std::unique_ptr<ShellWindow> shell_;
    std::unique_ptr<KpWordPad> pad_;
};

TEST_F(WordPadPrinting, APrintedLetterCountsAsPrinted) {
    if (PrintersHidden() || !HavePrinter())
        GTEST_SKIP() << "no printer queue (tools/print/kpcups start; the test command starts one)";
    GetSetGlobal(Symbol("GEDRUCKT"), Usual(false));
    pad_->DateiDrucken();
    EXPECT_TRUE(pad_->lGedruckt());
    EXPECT_TRUE(boxes_.shown.empty()) << boxes_.shown.front();
}

TEST_F(WordPadPrinting, APreviewClosedAtAnyPageDoesNotCountAsPrinted) {
    if (PrintersHidden() || !HavePrinter())
        GTEST_SKIP() << "no printer queue (tools/print/kpcups start; the test command starts one)";
    for (int forward : {0, 1, 2}) {
        GetSetGlobal(Symbol("GEDRUCKT"), Usual(true));
        int shownAtClose = 0;
        std::thread closer([&] { shownAtClose = CloseThePreview(forward); });
        pad_->DateiVorschau();
        closer.join();
        EXPECT_EQ(shownAtClose, forward + 1) << "the preview did not show or page";
        EXPECT_FALSE(pad_->lGedruckt()) << "a preview counted as printed";
        EXPECT_TRUE(IsWindow(pad_->Handle()));
        EXPECT_TRUE(IsWindowEnabled(shell_->Handle())) << "the shell stayed disabled";
    }
    EXPECT_TRUE(boxes_.shown.empty()) << boxes_.shown.front();
}

TEST_F(WordPadPrinting, WithoutAPrinterTheUserIsToldAndNothingCountsAsPrinted) {
    if (!PrintersHidden())
        GTEST_SKIP() << "runs only with the printers hidden (wordpad_print_win_noprinter)";
    ASSERT_FALSE(HavePrinter());
    GetSetGlobal(Symbol("GEDRUCKT"), Usual(true));
    pad_->DateiDrucken();
    EXPECT_FALSE(pad_->lGedruckt());
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_NE(boxes_.shown[0].find("kein Drucker"), std::string::npos) << boxes_.shown[0];
    // The preview as well: told, and still not printed.
    GetSetGlobal(Symbol("GEDRUCKT"), Usual(true));
    pad_->DateiVorschau();
    EXPECT_FALSE(pad_->lGedruckt());
    EXPECT_EQ(boxes_.shown.size(), 2u);
}

}  // namespace
}  // namespace kp
