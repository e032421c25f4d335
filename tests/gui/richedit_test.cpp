// The rich edit: RTF through strings and files, formats, flags, lines, and
// the caret position it reports to the shell's status bar.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/gui/controls.h"
#include "platform/gui/richedit.h"
#include "platform/gui/rtfindents.h"
#include "platform/gui/shellwindow.h"

namespace kp::test {
namespace {

namespace fs = std::filesystem;

// A folder of its own for each test, removed afterwards.
class Folder {
  public:
    explicit Folder(const std::string& name)
        : path_(fs::temp_directory_path() / ("kp_richedit_" + name)) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Folder() {
        std::error_code ec;
        fs::permissions(path_ / "brief.rtf", fs::perms::owner_all, ec);
        fs::remove_all(path_, ec);
    }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    size_t FileCount() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(path_), {}));
    }

  private:
    fs::path path_;
};

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A plain window holding the control, and the owner service it calls.
class Host : public ChildAppWindow, public RichEditOwner {
  public:
    explicit Host(Window* owner = nullptr, bool managed = false)
        : ChildAppWindow(owner, managed),
          edit(this, 1001, Point(0, 0), Dimension(300, 200), WS_VSCROLL) {}
    void RTFNotify() override { ++notified; }
    RichEdit edit;
    int notified = 0;
};

bool BoldAt(RichEdit& e, int start, int finish) {
    e.Selection(start, finish);
    const CHARFORMAT2W cf = e.SelectionCharFormat(CFM_BOLD);
    return (cf.dwMask & CFM_BOLD) && (cf.dwEffects & CFE_BOLD);
}

void MakeBold(RichEdit& e, int start, int finish) {
    e.Selection(start, finish);
    CHARFORMAT2W cf{};
    cf.dwMask = CFM_BOLD;
    cf.dwEffects = CFE_BOLD;
    ASSERT_TRUE(e.SetSelectionCharFormat(cf));
}

class RichEditTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitGuiLibrary(); }
};

TEST_F(RichEditTest, ABoldRunSurvivesTheRoundTripThroughAStringAndAFile) {
    Host a;
    ASSERT_TRUE(a.edit.Handle());
    a.edit.TextValue("Sehr geehrte Damen und Herren");
    EXPECT_FALSE(BoldAt(a.edit, 0, 29));  // not bold to begin with
    MakeBold(a.edit, 5, 12);

    const std::string rtf = a.edit.RTFValue();
    EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u);
    EXPECT_NE(rtf.find("\\b"), std::string::npos);
    EXPECT_EQ(a.edit.Value().AsString(), rtf);

    Host b;
    b.edit.Value(Usual(rtf));
    EXPECT_EQ(b.edit.TextValue(), "Sehr geehrte Damen und Herren");
    EXPECT_TRUE(BoldAt(b.edit, 5, 12));
    EXPECT_FALSE(BoldAt(b.edit, 0, 4));
    EXPECT_FALSE(BoldAt(b.edit, 13, 18));
    EXPECT_FALSE(b.edit.Modified());

    Folder folder("roundtrip");
    const fs::path file = folder / "brief.rtf";
    ASSERT_TRUE(a.edit.SaveFile(file.string()));
    EXPECT_EQ(folder.FileCount(), 1u);  // no temporary file left beside it
    EXPECT_NE(ReadAll(file).find("geehrte"), std::string::npos);
    Host c;
    ASSERT_TRUE(c.edit.LoadFile(file.string()));
    EXPECT_EQ(c.edit.TextValue(), "Sehr geehrte Damen und Herren");
    EXPECT_TRUE(BoldAt(c.edit, 5, 12));
    EXPECT_FALSE(BoldAt(c.edit, 13, 18));
}

TEST_F(RichEditTest, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
    Folder folder("failedsave");
    const fs::path file = folder / "brief.rtf";
    { std::ofstream(file, std::ios::binary) << "alter Brief"; }
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Host h;
    h.edit.TextValue("neuer Brief");
    EXPECT_FALSE(h.edit.SaveFile(file.string()));
    EXPECT_EQ(ReadAll(file), "alter Brief");
    EXPECT_EQ(folder.FileCount(), 1u);

    EXPECT_FALSE(h.edit.SaveFile((folder / "fehlt" / "brief.rtf").string()));
    EXPECT_FALSE(h.edit.SaveFile(""));
    // A name that is taken by a folder: nothing replaces it, nothing is left.
    fs::create_directory(folder / "ordner.rtf");
    EXPECT_FALSE(h.edit.SaveFile((folder / "ordner.rtf").string()));
    EXPECT_TRUE(fs::is_directory(folder / "ordner.rtf"));
    EXPECT_EQ(folder.FileCount(), 2u);
}

TEST_F(RichEditTest, LoadingKeepsTheTextWhenTheFileIsMissingAndReadsPlainText) {
    Folder folder("load");
    Host h;
    h.edit.TextValue("bleibt");
    EXPECT_FALSE(h.edit.LoadFile((folder / "fehlt.rtf").string()));
    EXPECT_EQ(h.edit.TextValue(), "bleibt");

    { std::ofstream(folder / "notiz.txt", std::ios::binary) << "Zeile eins\r\nZeile zwei"; }
    ASSERT_TRUE(h.edit.LoadFile((folder / "notiz.txt").string()));
    EXPECT_EQ(h.edit.TextValue(), "Zeile eins\r\nZeile zwei");
    EXPECT_FALSE(h.edit.Modified());
}

TEST_F(RichEditTest, FontAndCharacterFormatsOfSelectionAndWholeText) {
    Host h;
    h.edit.Font("Courier New", 12);
    h.edit.TextValue("Brief");
    h.edit.Selection(0, 5);
    CHARFORMAT2W cf = h.edit.SelectionCharFormat();
    EXPECT_EQ(std::wstring(cf.szFaceName), L"Courier New");
    EXPECT_EQ(cf.yHeight, 240);
    EXPECT_FALSE(cf.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT));

    h.edit.Font("Arial", 10, true, true, true, true);
    h.edit.Selection(1, 3);
    cf = h.edit.SelectionCharFormat();
    EXPECT_EQ(std::wstring(cf.szFaceName), L"Arial");
    EXPECT_EQ(cf.yHeight, 200);
    const DWORD all = CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT;
    EXPECT_EQ(cf.dwEffects & all, all);

    // A selection of mixed formats reports the attribute as not uniform.
    CHARFORMAT2W plain{};
    plain.dwMask = CFM_BOLD;
    h.edit.Selection(0, 1);
    ASSERT_TRUE(h.edit.SetSelectionCharFormat(plain));
    h.edit.Selection(0, 5);
    EXPECT_FALSE(h.edit.SelectionCharFormat().dwMask & CFM_BOLD);
}

TEST_F(RichEditTest, AlignmentNumberingAndMarginsReadBackAsSet) {
    Host h;
    h.edit.TextValue("Absatz");
    for (int code : {RE_ALIGN_CENTER, RE_ALIGN_RIGHT, RE_ALIGN_LEFT}) {
        h.edit.Alignment(code);
        EXPECT_EQ(h.edit.Alignment(), code);
    }
    h.edit.Numbering(PFN_BULLET);
    EXPECT_EQ(h.edit.Numbering(), PFN_BULLET);
    h.edit.Numbering(0);
    EXPECT_EQ(h.edit.Numbering(), 0);

    // 0.5 cm on both sides, as a new letter gets them.
    h.edit.Margin(283, 283, 0);
    EXPECT_EQ(h.edit.PrimaryIndent(), 283);
    EXPECT_EQ(h.edit.RightMargin(), 283);
    EXPECT_EQ(h.edit.SecondaryIndent(), 0);
    // Indented and hanging first lines: what is read can be set again
    // without the margins wandering.
    for (int first : {360, -200}) {
        h.edit.Margin(567, 100, first);
        const int left = h.edit.PrimaryIndent(), right = h.edit.RightMargin(),
                  firstLine = h.edit.SecondaryIndent();
        EXPECT_EQ(left, 567);
        EXPECT_EQ(right, 100);
        EXPECT_EQ(firstLine, first);
        h.edit.Margin(left, right, firstLine);
        EXPECT_EQ(h.edit.PrimaryIndent(), 567);
        EXPECT_EQ(h.edit.SecondaryIndent(), first);
    }
}

// What the text says of each paragraph's margins must be what was set, so
// that another reader (or the printer) sees the same letter.
TEST_F(RichEditTest, MarginsAndAlignmentAreSavedAsSetAndReadBackTheSame) {
    Folder dir("margins");
    Host h;
    h.edit.TextValue("Erster Absatz\r\nZweiter Absatz\r\nDritter Absatz\r\nVierter Absatz");
    h.edit.Selection(0, 0);
    h.edit.Margin(284, 284, 0);  // a new letter: half a centimetre each side
    h.edit.Selection(15, 15);
    h.edit.Margin(1134, 0, 360);  // 2 cm, first line further in
    h.edit.Alignment(RE_ALIGN_CENTER);
    h.edit.Selection(31, 31);
    h.edit.Margin(567, 100, -200);  // hanging first line
    h.edit.Alignment(RE_ALIGN_RIGHT);
    h.edit.Selection(47, 47);  // a bullet hangs in front of its lines
    PARAFORMAT2 bullet{};
    bullet.dwMask = PFM_NUMBERING | PFM_OFFSET | PFM_STARTINDENT;
    bullet.wNumbering = PFN_BULLET;
    bullet.dxOffset = 360;
    ASSERT_TRUE(h.edit.SetParagraphFormat(bullet));

    ASSERT_TRUE(h.edit.SaveFile((dir / "brief.rtf").string()));
    const std::string saved = ReadAll(dir / "brief.rtf");
    EXPECT_EQ(saved, h.edit.RTFValue());
    EXPECT_EQ(saved.find('\0'), std::string::npos) << "a NUL in the letter's file";
    const std::vector<RtfParagraphIndents> p = ParagraphIndents(saved);
    ASSERT_GE(p.size(), 4u) << saved;
    EXPECT_EQ(p[0].li, 284) << saved;
    EXPECT_EQ(p[0].fi.value_or(0), 0) << saved;
    EXPECT_EQ(p[0].ri, 284) << saved;
    EXPECT_EQ(p[1].li, 1134) << saved;
    EXPECT_EQ(p[1].fi, 360) << saved;
    EXPECT_EQ(p[1].alignment, 'c') << saved;
    EXPECT_EQ(p[2].li, 567) << saved;
    EXPECT_EQ(p[2].fi, -200) << saved;
    EXPECT_EQ(p[2].ri, 100) << saved;
    EXPECT_EQ(p[2].alignment, 'r') << saved;
    EXPECT_EQ(p[3].li, 360) << saved;
    EXPECT_EQ(p[3].fi, -360) << saved;

    Host back;
    ASSERT_TRUE(back.edit.LoadFile((dir / "brief.rtf").string()));
    const int want[4][4] = {{284, 284, 0, RE_ALIGN_LEFT},
                            {1134, 0, 360, RE_ALIGN_CENTER},
                            {567, 100, -200, RE_ALIGN_RIGHT},
                            {360, 0, -360, RE_ALIGN_LEFT}};
    for (int i = 0; i < 4; ++i) {
        back.edit.Selection(i * 15 + 1, i * 15 + 1);
        EXPECT_EQ(back.edit.PrimaryIndent(), want[i][0]) << "paragraph " << i;
        EXPECT_EQ(back.edit.RightMargin(), want[i][1]) << "paragraph " << i;
        EXPECT_EQ(back.edit.SecondaryIndent(), want[i][2]) << "paragraph " << i;
        EXPECT_EQ(back.edit.Alignment(), want[i][3]) << "paragraph " << i;
    }
    EXPECT_EQ(back.edit.Numbering(), PFN_BULLET);
    // Saved again unchanged, the text says the same.
    EXPECT_EQ(ParagraphIndents(back.edit.RTFValue()), p);
}

TEST_F(RichEditTest, ModifiedFlagOptionsAndEventMask) {
    Host h;
    h.edit.Value(Usual(std::string("{\\rtf1 Text}")));
    EXPECT_FALSE(h.edit.Modified());
    h.edit.Selection(4, 4);
    h.edit.Paste(std::string(" mehr"));
    EXPECT_TRUE(h.edit.Modified());
    h.edit.Modified(false);
    EXPECT_FALSE(h.edit.Modified());

    EXPECT_EQ(h.edit.EventMask() & (ENM_CHANGE | ENM_SELCHANGE),
              static_cast<DWORD>(ENM_CHANGE | ENM_SELCHANGE));
    h.edit.EventMask(ENM_CHANGE);
    EXPECT_EQ(h.edit.EventMask(), static_cast<DWORD>(ENM_CHANGE));

    const DWORD wanted = ECO_AUTOWORDSELECTION | ECO_NOHIDESEL | ECO_WANTRETURN;
    h.edit.Options(wanted);
    EXPECT_EQ(h.edit.Options() & wanted, wanted);
    h.edit.Options(ECO_NOHIDESEL, ECOOP_XOR);
    EXPECT_FALSE(h.edit.Options() & ECO_NOHIDESEL);
}

TEST_F(RichEditTest, LinesColumnsLengthAndSelectionType) {
    Host h;
    h.edit.TextValue("abc\r\ndefgh");
    EXPECT_EQ(h.edit.TextLength(), 9);  // the paragraph break counts one
    EXPECT_EQ(h.edit.TextValue(), "abc\r\ndefgh");
    h.edit.Selection(6, 6);
    EXPECT_EQ(h.edit.LineFromCharacter(6), 2);
    EXPECT_EQ(h.edit.LineIndex(-1), 4);
    EXPECT_EQ(h.edit.LineIndex(0), 0);
    EXPECT_EQ(h.edit.PositionText(), "Ln 2 Col 3");
    EXPECT_EQ(h.edit.SelectionType(), SEL_EMPTY);
    h.edit.Selection(4, 4);
    EXPECT_EQ(h.edit.PositionText(), "Ln 2 Col 1");  // the start of a line is column 1
    h.edit.Selection(0, 2);
    EXPECT_EQ(h.edit.SelectionType() & SEL_TEXT, SEL_TEXT);
    EXPECT_EQ(h.edit.SelectionFinish(), 2);
    // Selected backwards across lines: the column is that of the finish.
    SendMessageW(h.edit.Handle(), EM_SETSEL, 8, 1);
    EXPECT_EQ(h.edit.PositionText(), "Ln 2 Col 5");
}

TEST_F(RichEditTest, CanPasteFollowsTheClipboard) {
    Host h;
    h.edit.TextValue("kopieren");
    h.edit.Selection(0, 4);
    h.edit.Copy();
    EXPECT_TRUE(h.edit.CanPaste(CF_TEXT));
    ASSERT_TRUE(OpenClipboard(h.Handle()));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_FALSE(h.edit.CanPaste(CF_TEXT));
}

TEST_F(RichEditTest, KeysShowThePositionInTheShellsStatusBarAndNotifyTheOwner) {
    ShellWindow shell;
    StatusBar bar(&shell);
    Host host(&shell, true);
    bar.ControlText("Bereit");  // after the child came to the front
    host.edit.TextValue("eins\r\nzwei");
    host.edit.Selection(7, 7);
    SendMessageW(host.edit.Handle(), WM_KEYUP, VK_RIGHT, 0xC0000001);
    EXPECT_EQ(bar.PositionText(), "Ln 2 Col 3");
    EXPECT_EQ(bar.GetText(0), "Bereit");  // the description part stays
    EXPECT_EQ(host.notified, 1);
    SendMessageW(host.edit.Handle(), WM_CHAR, 'x', 0);  // typing alone is no caret report
    EXPECT_EQ(host.notified, 1);
    bar.PositionText("");
    EXPECT_EQ(bar.PositionText(), "");
}

// Records the pop-ups opened for it and closes each at once.
class PadHost : public Host {
  public:
    PadHost(Window* owner) : Host(owner, true) {}
    void MenuInit(MenuInitEvent& e) override {
        if (e.Message() == WM_INITMENUPOPUP) {
            popups.push_back(e.MenuHandle());
            PostMessageW(Handle(), WM_CANCELMODE, 0, 0);
            EndMenu();
        }
        Host::MenuInit(e);
    }
    std::vector<HMENU> popups;
};

TEST_F(RichEditTest, TheRightButtonOpensTheViewPopupAlsoWhenMaximised) {
    ShellWindow shell;
    shell.Size(Dimension(640, 480));
    shell.Show();
    PadHost pad(&shell);
    auto menu = std::make_shared<Menu>(ResourceID("padMenu"));
    pad.Menu(menu);
    pad.Show();
    HMENU view = GetSubMenu(menu->Handle(), 2);
    ASSERT_TRUE(view);

    SendMessageW(pad.edit.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    ASSERT_EQ(pad.popups.size(), 1u);
    EXPECT_EQ(pad.popups[0], view);

    // Maximised, the child's window menu takes the first place in the bar.
    SendMessageW(shell.MdiClient(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(pad.Handle()), 0);
    ASSERT_TRUE(IsZoomed(pad.Handle()));
    SendMessageW(pad.edit.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    ASSERT_EQ(pad.popups.size(), 2u);
    EXPECT_EQ(pad.popups[1], view);

    // The left button opens nothing.
    SendMessageW(pad.edit.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(pad.edit.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(pad.popups.size(), 2u);
}

}  // namespace
}  // namespace kp::test
