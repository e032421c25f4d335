// The word pad in-process under Windows: its menu, the formatting commands
// and the format bar that mirrors them, the edit item states, the shell
// toolbar the word pads share, and saving through the (answered) dialogs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <random>

#include "app/funVelto.h"
#include "platform/gui/boxes.h"
#include "platform/gui/rtfindents.h"
#include "platform/gui/shellwindow.h"
#include "platform/runtime/utf8.h"
#include "wordpad/DlgMargins.h"
#include "wordpad/KpWordPad.h"
#include "wordpad/Menu.h"
#include "tests/common/temp_folder.h"
#include "tests/wordpad/wordpad_shell.h"

namespace kp {
namespace {

namespace fs = std::filesystem;

bool Grey(const std::shared_ptr<kp::Menu>& menu, int id) {
    return (GetMenuState(menu->Handle(), static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED) != 0;
}

TEST(ChildMenu, ItemsCarryTheirEventsTextsAndKeys) {
    ChildMenu menu;
    EXPECT_EQ(menu.NameSym(IDM_FETT), Symbol("Fett"));
    EXPECT_EQ(menu.NameSym(IDM_RAENDER), Symbol("Paragraph"));
    EXPECT_EQ(menu.NameSym(IDM_ABSATZ), Symbol("Paragraph"));
    ASSERT_TRUE(menu.HyperLabel(IDM_AUSSCHNEIDEN));
    EXPECT_EQ(menu.HyperLabel(IDM_AUSSCHNEIDEN)->Description(), "Text auschneiden...");
    EXPECT_EQ(menu.HyperLabel(IDM_EINFUEGEN)->HelpContext(), "Text einfügen...");
    EXPECT_EQ(menu.HyperLabel(IDM_SUCHEN)->Description(), "Find a specific record");
    wchar_t text[64] = {};
    GetMenuStringW(menu.Handle(), IDM_SCHLIESSEN, text, 63, MF_BYCOMMAND);
    EXPECT_EQ(WideToUtf8(text), "Schließen\tSTRG+F4");
    // The "&Ansicht" pop-up is the third of four.
    EXPECT_EQ(GetMenuItemCount(menu.Handle()), 4);
    GetMenuStringW(menu.Handle(), 2, text, 63, MF_BYPOSITION);
    EXPECT_EQ(WideToUtf8(text), "&Ansicht");
    ASSERT_TRUE(menu.Accelerator());
    ACCEL keys[8] = {};
    ASSERT_EQ(CopyAcceleratorTableW(menu.Accelerator()->Handle(), keys, 8), 5);
    EXPECT_EQ(keys[0].key, VK_F4);
    EXPECT_EQ(keys[0].cmd, IDM_SCHLIESSEN);
    EXPECT_EQ(keys[4].key, VK_F3);
    EXPECT_TRUE(keys[4].fVirt & FALT);
}

// Answers the file dialog with a name (or cancels) and every box with Yes.
class Answers : public Presenter {
  public:
    int ShowMessage(HWND, const std::string& caption, const std::string&, UINT) override {
        boxes.push_back(caption);
        return BOXREPLYYES;
    }
    bool ShowFileDialog(FileDialogRequest& r) override {
        asked.push_back(r);
        if (answer.empty())
            return false;
        r.fileName = answer;
        r.chosen = {answer};
        return true;
    }
    std::string answer;
    std::vector<std::string> boxes;
    std::vector<FileDialogRequest> asked;
};

class WordPadWin : public ::testing::Test {
  protected:
    void SetUp() override { shell_ = WordPadShell(dir_.Folder()); }
    void TearDown() override { shell_.reset(); }
    std::unique_ptr<KpWordPad> Pad() {
        auto pad = std::make_unique<KpWordPad>(shell_.get());
        pad->Show();
        return pad;
    }
    static void Select(KpWordPad& pad, int start, int finish) {
        pad.oRichEdit()->Selection(start, finish);
    }
    static bool Pressed(KpWordPad& pad, int id) { return pad.ToolBar()->IsItemChecked(id); }

    Answers answers_;
    ScopedPresenter scoped_{answers_};
    test::TempFolder dir_{"kp_wordpad_"};
    std::unique_ptr<ShellWindow> shell_;
};

TEST_F(WordPadWin, BoldTwiceIsPlainAgainAndTheButtonFollows) {
    auto pad = Pad();
    pad->oRichEdit()->TextValue("Hallo Welt");
    Select(*pad, 0, 5);
    pad->ChangeCharAttribute(CFM_BOLD, CFE_BOLD);
    pad->RTFNotify();
    EXPECT_TRUE(Pressed(*pad, IDM_FETT));
    EXPECT_TRUE(pad->oRichEdit()->SelectionCharFormat(CFM_BOLD).dwEffects & CFE_BOLD);
    pad->ChangeCharAttribute(CFM_BOLD, CFE_BOLD);
    pad->RTFNotify();
    EXPECT_FALSE(Pressed(*pad, IDM_FETT));
    EXPECT_FALSE(pad->oRichEdit()->SelectionCharFormat(CFM_BOLD).dwEffects & CFE_BOLD);
    // Alignment and bullets show on their buttons, one alignment at a time.
    pad->oRichEdit()->Alignment(RE_ALIGN_CENTER);
    pad->Numbering(PFN_BULLET);
    pad->RTFNotify();
    EXPECT_TRUE(Pressed(*pad, IDM_ZENTRIERT));
    EXPECT_FALSE(Pressed(*pad, IDM_LINKSBUENDIG));
    EXPECT_FALSE(Pressed(*pad, IDM_RECHTSBUENDIG));
    EXPECT_TRUE(Pressed(*pad, IDM_AUFZAEHLUNG));
}

TEST_F(WordPadWin, SizesNotInTheListAreAddedInNumericOrderAndWildOnesRefused) {
    auto pad = Pad();
    pad->oRichEdit()->TextValue("Hallo Welt");
    Select(*pad, 0, 5);
    pad->ChangeFontSize("11");
    pad->RTFNotify();
    pad->ChangeFontSize("7");
    pad->RTFNotify();
    const std::vector<std::string> items = pad->oPointSizeCB()->Items();
    ASSERT_GE(items.size(), 17u);
    EXPECT_EQ(items[0], " 7");
    EXPECT_EQ(items[1], " 8");
    EXPECT_EQ(std::find(items.begin(), items.end(), "11") - items.begin(),
              std::find(items.begin(), items.end(), "10") - items.begin() + 1);
    EXPECT_EQ(pad->oPointSizeCB()->CurrentText(), " 7");
    // A size the control cannot hold changes nothing.
    pad->ChangeFontSize("2000");
    EXPECT_EQ(pad->oRichEdit()->SelectionCharFormat(CFM_SIZE).yHeight, 7 * 20);
}

TEST_F(WordPadWin, ALongTypedFaceIsCutToTheFaceBuffer) {
    auto pad = Pad();
    pad->oRichEdit()->TextValue("Hallo");
    Select(*pad, 0, 5);
    pad->ChangeFontFaceName(std::string(40, 'X'));
    const CHARFORMAT2W cf = pad->oRichEdit()->SelectionCharFormat(CFM_FACE);
    EXPECT_EQ(std::wstring(cf.szFaceName), std::wstring(31, L'X'));
}

TEST_F(WordPadWin, CutAndCopyFollowTheSelectionInMenuAndShellToolbar) {
    auto pad = Pad();
    pad->oRichEdit()->TextValue("Hallo");
    Select(*pad, 2, 2);
    pad->CheckCopyCutPaste();
    EXPECT_TRUE(Grey(pad->Menu(), IDM_AUSSCHNEIDEN));
    EXPECT_TRUE(Grey(pad->Menu(), IDM_KOPIEREN));
    EXPECT_FALSE(pad->ShellToolBar()->IsItemEnabled(IDM_KOPIEREN));
    Select(*pad, 2, 3);
    pad->CheckCopyCutPaste();
    EXPECT_FALSE(Grey(pad->Menu(), IDM_AUSSCHNEIDEN));
    EXPECT_FALSE(Grey(pad->Menu(), IDM_KOPIEREN));
    EXPECT_TRUE(pad->ShellToolBar()->IsItemEnabled(IDM_AUSSCHNEIDEN));
}

TEST_F(WordPadWin, TheShellToolbarStaysWhileAnyWordPadIsOpen) {
    auto first = Pad();
    auto second = Pad();
    ASSERT_TRUE(shell_->ToolBar());
    EXPECT_EQ(first->ShellToolBar(), shell_->ToolBar());
    EXPECT_EQ(second->ShellToolBar(), shell_->ToolBar());
    Event close(first->Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(first->QueryClose(close));
    first.reset();
    EXPECT_TRUE(shell_->ToolBar()) << "closing one word pad took the other's toolbar";
    Event close2(second->Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(second->QueryClose(close2));
    second.reset();
    EXPECT_FALSE(shell_->ToolBar());
}

TEST_F(WordPadWin, SaveAsWritesTheChosenFileAndACancelKeepsTheChange) {
    auto pad = Pad();
    EXPECT_EQ(pad->Caption(), "Unbenannt");
    pad->oRichEdit()->TextValue("Brief");
    pad->oRichEdit()->Modified(true);
    ControlEvent change(Event(pad->Handle(), WM_COMMAND, MAKEWPARAM(1001, EN_CHANGE),
                              reinterpret_cast<LPARAM>(pad->oRichEdit()->Handle())));
    pad->EditChange(change);
    ASSERT_TRUE(pad->lChanged());
    EXPECT_FALSE(Grey(pad->Menu(), IDM_SPEICHERN));

    pad->Save();  // cancelled
    ASSERT_EQ(answers_.asked.size(), 1u);
    EXPECT_EQ(answers_.asked[0].caption, "Speichern als...");
    ASSERT_EQ(answers_.asked[0].filters.size(), 1u);
    EXPECT_EQ(answers_.asked[0].filters[0].first, "Dokumente *.RTF");
    EXPECT_TRUE(pad->lChanged());
    EXPECT_FALSE(fs::exists(fs::current_path() / "Unbenannt"));

    const fs::path file = dir_.Path() / "Brief.RTF";
    answers_.answer = WideToUtf8(file.wstring());
    pad->SaveAs();
    EXPECT_TRUE(fs::exists(file));
    EXPECT_FALSE(pad->lChanged());
    EXPECT_EQ(pad->Caption(), answers_.answer);
    EXPECT_EQ(pad->cFileName(), answers_.answer);
    EXPECT_TRUE(Grey(pad->Menu(), IDM_SPEICHERN));

    // The same name again: the overwrite question comes first (answered Yes).
    pad->SaveAs();
    ASSERT_FALSE(answers_.boxes.empty());
    EXPECT_EQ(answers_.boxes.back(), "Datei bereits vorhanden!");
}

// Answers the paragraph dialog from a timer inside its modal loop: notes
// what it shows, then runs `act` on it.
class ParagraphAnswer {
  public:
    explicit ParagraphAnswer(std::function<void(DlgMargins&)> act) : act_(std::move(act)) {
        Current() = this;
        id_ = SetTimer(nullptr, 0, 30, &ParagraphAnswer::Tick);
    }
    ~ParagraphAnswer() {
        KillTimer(nullptr, id_);
        Current() = nullptr;
    }
    std::vector<std::string> shown;

  private:
    static ParagraphAnswer*& Current() {
        static ParagraphAnswer* current = nullptr;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        ParagraphAnswer* self = Current();
        HWND h = FindWindowW(L"#32770", L"Paragraph");
        auto* dlg =
            h && IsWindowVisible(h) ? dynamic_cast<DlgMargins*>(GetObjectByHandle(h)) : nullptr;
        if (!self || !dlg || !self->act_)
            return;
        self->shown = {dlg->LeftMarginSLE->TextValue(), dlg->RightMarginSLE->TextValue(),
                       dlg->FirstLineSLE->TextValue(), dlg->AlignmentCB->TextValue()};
        auto act = std::move(self->act_);
        self->act_ = nullptr;
        act(*dlg);
    }
    std::function<void(DlgMargins&)> act_;
    UINT_PTR id_ = 0;
};

std::vector<RtfParagraphIndents> SavedParagraphs(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return ParagraphIndents(text.str());
}

TEST_F(WordPadWin, MarginsSetInTheParagraphDialogAreSavedAndShownAgainOnReopening) {
    auto pad = Pad();
    pad->oRichEdit()->Paste(std::string("Sehr geehrte Frau Schäfer,"));
    const fs::path first = dir_.Path() / "Erster.RTF";
    answers_.answer = WideToUtf8(first.wstring());
    pad->SaveAs();
    // A new letter: half a centimetre on either side, no first-line indent.
    auto p = SavedParagraphs(first);
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p[0].li, 284);
    EXPECT_EQ(p[0].ri, 284);
    EXPECT_EQ(p[0].fi.value_or(0), 0);
    ASSERT_FALSE(pad->lChanged());

    {
        ParagraphAnswer answer([](DlgMargins& d) {
            d.LeftMarginSLE->TextValue("2 cm");
            d.AlignmentCB->TextValue("Centre");
            SendMessageW(d.OKPBButton->Handle(), BM_CLICK, 0, 0);
        });
        pad->Paragraph();
        EXPECT_EQ(answer.shown,
                  (std::vector<std::string>{" 0.50 cm", " 0.50 cm", " 0.00 cm", "Left"}));
    }
    // Only the format changed: still a change to save.
    EXPECT_TRUE(pad->lChanged());
    EXPECT_FALSE(Grey(pad->Menu(), IDM_SPEICHERN));
    const fs::path second = dir_.Path() / "Zweiter.RTF";
    answers_.answer = WideToUtf8(second.wstring());
    pad->SaveAs();
    p = SavedParagraphs(second);
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p[0].li, 1134);
    EXPECT_EQ(p[0].ri, 284);
    EXPECT_EQ(p[0].fi.value_or(0), 0);
    EXPECT_EQ(p[0].alignment, 'c');

    // Opened again, the dialog shows what was saved; Cancel changes nothing.
    auto again = std::make_unique<KpWordPad>(shell_.get(), WideToUtf8(second.wstring()));
    again->Show();
    {
        ParagraphAnswer answer(
            [](DlgMargins& d) { SendMessageW(d.CancelPBButton->Handle(), BM_CLICK, 0, 0); });
        again->Paragraph();
        EXPECT_EQ(answer.shown,
                  (std::vector<std::string>{" 2.00 cm", " 0.50 cm", " 0.00 cm", "Centre"}));
    }
    EXPECT_FALSE(again->lChanged());
    EXPECT_EQ(again->oRichEdit()->PrimaryIndent(), 1134);
    // Bold alone is a change as well.
    again->oRichEdit()->Selection(0, 4);
    again->ChangeCharAttribute(CFM_BOLD, CFE_BOLD);
    EXPECT_TRUE(again->lChanged());
    EXPECT_FALSE(Grey(again->Menu(), IDM_SPEICHERN));
}

// ---- letters that must not be written over

std::string FileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(WordPadWin, ALetterThatWasNotReadWholeIsNeverSavedOverItsFile) {
    const fs::path letter = fs::path(dir_.Folder()) / "Gesperrt.RTF";
    const std::string original = "{\\rtf1\\ansi Der ganze Brief\\par}";
    std::ofstream(letter, std::ios::binary) << original;
    std::unique_ptr<KpWordPad> pad;
    {
        // Another program holds it while the word pad reads: nothing is read.
        HANDLE other = CreateFileW(letter.wstring().c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(other, INVALID_HANDLE_VALUE);
        pad = std::make_unique<KpWordPad>(shell_.get(), WideToUtf8(letter.wstring()));
        CloseHandle(other);
    }
    ASSERT_EQ(answers_.boxes, std::vector<std::string>{"Brief öffnen"});
    pad->oRichEdit()->TextValue("Rest");
    answers_.answer = WideToUtf8(letter.wstring());  // the same file, overwrite answered Yes
    pad->Save();
    EXPECT_EQ(FileText(letter), original);
    EXPECT_EQ(answers_.asked.size(), 1u);  // asked for another name, that one refused
    pad->SaveAs();
    EXPECT_EQ(FileText(letter), original);
    const fs::path copy = fs::path(dir_.Folder()) / "Kopie.RTF";
    answers_.answer = WideToUtf8(copy.wstring());
    pad->SaveAs();
    EXPECT_TRUE(fs::exists(copy));
    EXPECT_EQ(FileText(letter), original);
}

TEST_F(WordPadWin, ARegisterThatCannotBeReadStopsTheSaveInsteadOfFilingAgain) {
    // The data folder has no DokVW.dbf: whether the letter is filed cannot
    // be told, so it is neither saved as new (and filed twice) nor written.
    const fs::path letter = fs::path(dir_.Folder()) / "Brief.RTF";
    const std::string original = "{\\rtf1\\ansi Abgelegt\\par}";
    std::ofstream(letter, std::ios::binary) << original;
    auto pad = std::make_unique<KpWordPad>(shell_.get(), WideToUtf8(letter.wstring()));
    pad->oRichEdit()->TextValue("Neu");
    answers_.answer = WideToUtf8((fs::path(dir_.Folder()) / "Zweit.RTF").wstring());
    pad->Save();
    EXPECT_TRUE(answers_.asked.empty());
    EXPECT_NE(std::find(answers_.boxes.begin(), answers_.boxes.end(), "Speichern"),
              answers_.boxes.end());
    EXPECT_EQ(FileText(letter), original);
    EXPECT_FALSE(fs::exists(fs::path(dir_.Folder()) / "Zweit.RTF"));
}

TEST_F(WordPadWin, ALetterOpenInAnotherWordPadIsOpenedReadOnly) {
    const fs::path letter = fs::path(dir_.Folder()) / "Offen.RTF";
    const std::string original = "{\\rtf1\\ansi Offen\\par}";
    std::ofstream(letter, std::ios::binary) << original;
    const std::string name = WideToUtf8(letter.wstring());
    auto first = std::make_unique<KpWordPad>(shell_.get(), name);
    EXPECT_TRUE(answers_.boxes.empty());
    EXPECT_TRUE(fs::exists(name + ".lck"));
    auto second = std::make_unique<KpWordPad>(shell_.get(), name);
    EXPECT_EQ(answers_.boxes, std::vector<std::string>{"Brief bereits geöffnet"});
    EXPECT_EQ(second->Caption(), name + " (schreibgeschützt)");
    // Saved as another letter, the second one may not take the first one's file.
    answers_.answer = name;
    second->SaveAs();
    EXPECT_EQ(FileText(letter), original);
    // Nor may a third word pad save another letter over it.
    auto third = std::make_unique<KpWordPad>(shell_.get());
    third->oRichEdit()->TextValue("Fremd");
    third->SaveAs();
    EXPECT_EQ(FileText(letter), original);
    third.reset();
    second.reset();
    first.reset();
    EXPECT_FALSE(fs::exists(name + ".lck"));
    answers_.boxes.clear();
    auto again = std::make_unique<KpWordPad>(shell_.get(), name);
    EXPECT_TRUE(answers_.boxes.empty());
    EXPECT_EQ(again->Caption(), name);
}

}  // namespace
}  // namespace kp
