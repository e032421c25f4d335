// The word pad inside KpShell.exe, driven as the office writes letters: new
// letters take the next running number, the format bar follows the text,
// saving goes through the real save dialog, closing with changes asks, and
// a saved letter opens again as it was written. What is left on disk goes to
// wordpad_check.py (dbfread, unrtf).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "platform/data/dbserver.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "tests/e2e/e2e_shell.h"
#include "tests/shell/handover.h"
#include "tools/demodata/demodata.h"
#include "tools/uidriver/format.h"
#include "tools/uidriver/input.h"

namespace kp::e2e {
namespace {

namespace ui = uidriver;

constexpr int kDateiNeu = 24563;
constexpr int kOeffnen = 30806, kSpeichern = 30807, kFett = 30827, kSchliessen = 30814,
              kAbsatz = 30826;
constexpr int kLeftMargin = 105, kRightMargin = 106, kFirstLine = 107, kAlignment = 108,
              kParagraphOk = 109, kParagraphCancel = 110;
constexpr int kRichEdit = 1001, kFileNameEdit = 1148;
constexpr int kDokTitel = 114, kWvJa = 124, kWvDatum = 126, kFilingOk = 122, kFilingAbbruch = 121;

class WordPad : public ShellFolderTest {
  protected:
    void SetUp() override {
        ShellFolderTest::SetUp();
        WriteSuite(200, 1);
        // The first customer who has letters already.
        DBServer dokName(DataFile("DokName.dbf"));
        for (dokName.GoTop(); !dokName.EoF(); dokName.Skip(1)) {
            if (!Field(dokName, "ADRESSNR").empty()) {
                key_ =
                    Field(dokName, "ADRESSNR") + Field(dokName, "INITIAL") + Field(dokName, "JAHR");
                lastNumber_ = static_cast<int>(std::stoi(Field(dokName, "DOKLFDNR")));
                break;
            }
        }
        ASSERT_FALSE(key_.empty());
        // Aufruf names nobody: the filing dialog's addressee must come from
        // the new letter's key.
        WriteIni(
            "[Pfade]\r\nDaten=Daten\r\n[Dokumente]\r\nUrsprung=KpShell\r\nAufruf=K100001"
            "\r\nNameNeu=K" +
            key_ + "\r\nVersandarten=Brief,Fax\r\nSparten=HAUSRAT,KFZ\r\n");
    }

    static std::string Field(DBServer& db, const char* name) {
        return AllTrim(db.FieldGet(Symbol(name)).AsString());
    }
    std::string DataFile(const std::string& name) const {
        return ui::Narrow((Data() / name).wstring());
    }
    std::filesystem::path Letter(int number) const {
        char n[8];
        std::snprintf(n, sizeof n, "%04d", number);
        return Data() / "Texte" / "Kunden" / (key_ + "_" + n + ".RTF");
    }
    // DOKLFDNR of the customer's record, read afresh.
    int LastNumber() {
        DBServer dokName(DataFile("DokName.dbf"));
        for (dokName.GoTop(); !dokName.EoF(); dokName.Skip(1))
            if (Field(dokName, "ADRESSNR") + Field(dokName, "INITIAL") + Field(dokName, "JAHR") ==
                    key_ &&
                !dokName.Deleted())
                return std::stoi(Field(dokName, "DOKLFDNR"));
        return -1;
    }

    HWND Shell() { return program_.Window(); }
    // The word pads (MDI children of that caption) now showing.
    std::vector<HWND> Pads(std::string_view caption) {
        std::vector<HWND> out;
        for (const ui::ControlInfo& c : ui::ListControls(Shell()))
            if (c.window_class == "KpFrame" && c.text == caption && c.visible)
                out.push_back(c.hwnd);
        return out;
    }
    HWND WaitPad(std::string_view caption, size_t count = 1) {
        HWND found = nullptr;
        E2eProgram::WaitUntil([&] {
            auto pads = Pads(caption);
            found = pads.size() >= count ? pads.back() : nullptr;
            return found != nullptr;
        });
        return found;
    }
    // The toolbar the word pads put into the shell window itself.
    HWND ShellToolbar() {
        for (const ui::ControlInfo& c : ui::ListControls(Shell()))
            if (c.window_class == "ToolbarWindow32" && GetParent(c.hwnd) == Shell() && c.visible)
                return c.hwnd;
        return nullptr;
    }
    void Keys(HWND window, std::string_view keys) {
        auto parsed = ui::ParseKeys(keys);
        ASSERT_TRUE(parsed) << keys;
        ASSERT_EQ(ui::TypeKeys(window, *parsed), ui::Outcome::kOk) << keys;
    }
    std::optional<bool> Checked(HWND pad, int id) {
        auto state = ui::ToolbarButton(pad, id);
        if (!state)
            return std::nullopt;
        return state->checked;
    }
    void NewLetter(size_t count = 1) {
        ASSERT_EQ(ui::ChooseMenuItem(Shell(), kDateiNeu), ui::Outcome::kOk);
        ASSERT_TRUE(WaitPad("Unbenannt", count)) << "no new letter opened";
    }
    HWND SaveDialog() {
        return ui::WaitTopWindow("Speichern als...", 10s, {program_.pid(), {}}, "#32770");
    }
    // Files a saved letter through the filing dialog: a title and a
    // resubmission date, then OK.
    void File(const std::string& fileName, const std::string& title, const std::string& wv) {
        HWND dialog = ui::WaitTopWindow("Dokumentinformation zu: " + fileName, 10s,
                                        {program_.pid(), {}}, "#32770");
        ASSERT_TRUE(dialog) << "saving did not lead to the filing dialog";
        // It is what the user answers next: in front, not behind the shell.
        EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Above(dialog, Shell()); }));
        ASSERT_EQ(ui::SetControlText(ui::FindControl(dialog, kDokTitel), title), ui::Outcome::kOk);
        ASSERT_EQ(ui::Click(ui::FindControl(dialog, kWvJa)), ui::Outcome::kOk);
        ASSERT_TRUE(E2eProgram::WaitUntil(
            [&] { return ui::IsEnabled(ui::FindControl(dialog, kWvDatum)); }));
        ASSERT_EQ(ui::SetControlText(ui::FindControl(dialog, kWvDatum), wv), ui::Outcome::kOk);
        ASSERT_EQ(ui::Click(ui::FindControl(dialog, kFilingOk)), ui::Outcome::kOk);
        EXPECT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(dialog); }))
            << "the filing dialog refused: "
            << ui::Text(ui::FindMessageBox("KONTORPLUS", {program_.pid(), {}})).value_or("");
    }
    // Whether `top` is in front of `other` among the top-level windows.
    static bool Above(HWND top, HWND other) {
        for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
            if (h == top)
                return true;
            if (h == other)
                return false;
        }
        return false;
    }
    std::string Text(HWND control) { return ui::Text(control).value_or("?"); }
    // A number as the program shows it, with the decimal point of its
    // locale ("0,50 cm" in a German office) read as ".".
    std::string Shown(HWND control) {
        std::string t = Text(control);
        std::replace(t.begin(), t.end(), ',', '.');
        return t;
    }

    std::string key_;
    int lastNumber_ = 0;
};

// A click with the left mouse button at the middle of a window, through the
// system's input queue as the user's own.
void MouseClick(HWND window) {
    RECT r{};
    ASSERT_TRUE(GetWindowRect(window, &r));
    ASSERT_TRUE(SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(SendInput(2, in, sizeof(INPUT)), 2u);
}

// The format bar's boxes of a word pad, left to right: the face, the size.
std::vector<HWND> FormatBoxes(HWND pad) {
    std::vector<std::pair<LONG, HWND>> boxes;
    for (const ui::ControlInfo& c : ui::ListControls(pad)) {
        RECT r{};
        if (c.window_class == "ComboBox" && c.visible && GetWindowRect(c.hwnd, &r))
            boxes.emplace_back(r.left, c.hwnd);
    }
    std::sort(boxes.begin(), boxes.end());
    std::vector<HWND> out;
    for (const auto& b : boxes)
        out.push_back(b.second);
    return out;
}

TEST_F(WordPad, TypingAFaceOrSizeEditsTheBoxAndTheLetterStaysAsItWas) {
    program_.Start(folder_.path());
    NewLetter();
    HWND pad = WaitPad("Unbenannt");
    HWND edit = ui::FindControl(pad, kRichEdit);
    ASSERT_TRUE(edit);
    Keys(Shell(), "Shift+B r i e f Ctrl+A");
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return Text(edit) == "Brief"; }));
    const std::vector<HWND> boxes = FormatBoxes(pad);
    ASSERT_EQ(boxes.size(), 2u);
    auto focus = [&] { return program_.Focus(); };
    auto inBox = [&](HWND box) {
        HWND f = focus();
        return f == box || IsChild(box, f);
    };
    // A click that the loaded virtual display let fall is clicked again,
    // as a user would; a box that never takes the focus still fails.
    auto clickUntil = [&](HWND target, const std::function<bool()>& done) {
        MouseClick(target);
        if (!E2eProgram::WaitUntil(done, 3s))
            MouseClick(target);
        return E2eProgram::WaitUntil(done);
    };
    auto clickInto = [&](HWND box) {
        return clickUntil(GetWindow(box, GW_CHILD), [&] { return inBox(box); });
    };

    // The face: typed into the box, applied on Return.
    ASSERT_TRUE(clickInto(boxes[0])) << "no focus in the box";
    Keys(Shell(), "End Shift+Home Shift+T i m e s Space Shift+N e w");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Text(boxes[0]) == "Times New"; }))
        << Text(boxes[0]);
    EXPECT_EQ(Text(edit), "Brief") << "typing in the font box changed the letter";
    EXPECT_TRUE(inBox(boxes[0])) << "the focus left the box while typing";
    Keys(Shell(), "Return");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return focus() == edit; }))
        << "Return did not go back to the letter";
    EXPECT_EQ(Text(edit), "Brief");
    EXPECT_EQ(Text(boxes[0]), "Times New");

    // The size: typed, applied when the box is left.
    ASSERT_TRUE(clickInto(boxes[1])) << "no focus in the size box";
    Keys(Shell(), "End Shift+Home 2 0");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Text(boxes[1]) == "20"; })) << Text(boxes[1]);
    EXPECT_EQ(Text(edit), "Brief") << "typing in the size box changed the letter";
    ASSERT_TRUE(clickUntil(edit, [&] { return focus() == edit; }));
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Text(boxes[1]) == "20"; }))
        << "the typed size did not apply: " << Text(boxes[1]);
    EXPECT_EQ(Text(edit), "Brief");

    // Escape takes back what was typed.
    ASSERT_TRUE(clickInto(boxes[1])) << "no focus in the size box";
    Keys(Shell(), "End Shift+Home 9 9");
    Keys(Shell(), "Escape");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return focus() == edit; }));
    EXPECT_EQ(Text(boxes[1]), "20");
    EXPECT_EQ(Text(edit), "Brief");
}

TEST_F(WordPad, TwoNewLettersTakeTheNextTwoNumbersAndShareTheShellToolbar) {
    program_.Start(folder_.path());
    EXPECT_FALSE(ShellToolbar());
    NewLetter();
    NewLetter(2);
    EXPECT_EQ(LastNumber(), lastNumber_ + 2);
    ASSERT_TRUE(ShellToolbar()) << "no toolbar in the shell while word pads are open";

    // Closing one of the two keeps the toolbar the other one uses.
    Keys(Shell(), "Ctrl+F4");
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return Pads("Unbenannt").size() == 1; }));
    EXPECT_TRUE(ShellToolbar()) << "the other word pad lost the shell's toolbar";
    Keys(Shell(), "Ctrl+F4");
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return Pads("Unbenannt").empty(); }));
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return ShellToolbar() == nullptr; }));
    // Unsaved letters keep their numbers taken, and write no file.
    EXPECT_EQ(LastNumber(), lastNumber_ + 2);
    EXPECT_FALSE(std::filesystem::exists(Letter(lastNumber_ + 1)));
    EXPECT_FALSE(std::filesystem::exists(folder_.path() / "Unbenannt"));

    const auto out = HandOverFolder("wordpad_numbers");
    std::filesystem::copy_file(Data() / "DokName.dbf", out / "DokName.dbf");
    std::ofstream(out / "expected.txt", std::ios::binary)
        << "KEY=" << key_ << "\nDOKLFDNR=" << lastNumber_ + 2 << "\n";
}

TEST_F(WordPad, ACancelledSaveWritesNothingAndTheCloseStillAsks) {
    program_.Start(folder_.path());
    NewLetter();
    HWND pad = WaitPad("Unbenannt");
    Keys(Shell(), "Shift+E n t w u r f");
    ASSERT_TRUE(E2eProgram::WaitUntil([&] {
        auto s = ui::ToolbarButton(Shell(), kSpeichern);
        return s && s->enabled;
    })) << "an edit did not enable saving";
    ASSERT_EQ(ui::ClickToolbarButton(Shell(), kSpeichern), ui::Outcome::kOk);
    HWND dialog = SaveDialog();
    ASSERT_TRUE(dialog) << "saving a new letter showed no save dialog";
    // The proposal: the reserved number with ".RTF" once.
    char proposed[40];
    std::snprintf(proposed, sizeof proposed, "%s_%04d.RTF", key_.c_str(), lastNumber_ + 1);
    EXPECT_EQ(Text(ui::FindControl(dialog, kFileNameEdit)), proposed);
    ASSERT_EQ(ui::Click(ui::FindControl(dialog, IDCANCEL)), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(dialog); }));

    EXPECT_FALSE(std::filesystem::exists(folder_.path() / "Unbenannt"));
    EXPECT_FALSE(std::filesystem::exists(Letter(lastNumber_ + 1)));
    EXPECT_TRUE(IsWindow(pad));

    // The change is still there: closing asks, and Cancel keeps the letter.
    Keys(Shell(), "Ctrl+F4");
    EXPECT_NE(program_.MessageBoxText("Schließen").find("Sie haben das Dokument verändert!"),
              std::string::npos);
    program_.Press("Schließen", "CANCEL");
    ASSERT_TRUE(E2eProgram::WaitUntil([&] {
        return !ui::FindMessageBox("Schließen", {program_.pid(), {}});
    }));
    EXPECT_TRUE(IsWindow(pad)) << "Cancel closed the letter";
    EXPECT_EQ(Text(ui::FindControl(pad, kRichEdit)), "Entwurf");
    // Saved through the toolbar this time: the filing dialog comes to the
    // front (it may be left unanswered), and the saved letter closes
    // without a question.
    ASSERT_EQ(ui::ClickToolbarButton(Shell(), kSpeichern), ui::Outcome::kOk);
    dialog = SaveDialog();
    ASSERT_TRUE(dialog);
    Keys(dialog, "Return");
    HWND filing = ui::WaitTopWindow("Dokumentinformation zu: " + std::string(proposed), 10s,
                                    {program_.pid(), {}}, "#32770");
    ASSERT_TRUE(filing) << "saving did not lead to the filing dialog";
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Above(filing, Shell()); }))
        << "the filing dialog is behind the shell";
    ASSERT_EQ(ui::Click(ui::FindControl(filing, kFilingAbbruch)), ui::Outcome::kOk);
    EXPECT_TRUE(std::filesystem::exists(Letter(lastNumber_ + 1)));
    Keys(Shell(), "Ctrl+F4");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(pad) || !IsWindowVisible(pad); }));
    EXPECT_FALSE(ui::FindMessageBox("Schließen", {program_.pid(), {}}));
}

TEST_F(WordPad, EndingTheShellAsksForAChangedLetterFirst) {
    program_.Start(folder_.path());
    NewLetter();
    Keys(Shell(), "Shift+N o t i z");
    Keys(Shell(), "Alt+F4");
    program_.Press("Schließen", "CANCEL");
    ASSERT_TRUE(E2eProgram::WaitUntil([&] {
        return !ui::FindMessageBox("Schließen", {program_.pid(), {}});
    }));
    EXPECT_TRUE(program_.Running()) << "the shell ended over a letter with changes";
    EXPECT_EQ(Pads("Unbenannt").size(), 1u);
    Keys(Shell(), "Alt+F4");
    program_.Press("Schließen", "NO");
    EXPECT_EQ(program_.WaitExit(), 0u);
}

TEST_F(WordPad, ABoldRunIsSavedThroughTheDialogsAndComesBackOnOpening) {
    program_.Start(folder_.path());
    NewLetter();
    HWND pad = WaitPad("Unbenannt");
    Keys(Shell(), "Shift+F e t t Ctrl+A");
    ASSERT_EQ(Checked(pad, kFett), std::optional<bool>(false));
    ASSERT_EQ(ui::ClickToolbarButton(pad, kFett), ui::Outcome::kOk);
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Checked(pad, kFett) == true; }))
        << "the bold button does not show the bold selection";
    // Typing on after the bold word, with bold switched off again.
    Keys(Shell(), "End");
    ASSERT_EQ(ui::ClickToolbarButton(pad, kFett), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return Checked(pad, kFett) == false; }));
    Keys(Shell(), "Space n o r m a l");

    // Closing with changes asks; Yes saves through the save dialog.
    Keys(Shell(), "Ctrl+F4");
    program_.Press("Schließen", "YES");
    HWND dialog = SaveDialog();
    ASSERT_TRUE(dialog);
    Keys(dialog, "Return");
    ASSERT_TRUE(E2eProgram::WaitUntil([&] {
        return std::filesystem::exists(Letter(lastNumber_ + 1));
    })) << "the letter was not written where the dialog proposed it";
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(pad) || !IsWindowVisible(pad); }));
    const std::string fileName = Letter(lastNumber_ + 1).filename().string();
    File(fileName, "Brief mit Fettdruck", "15.01.2027");

    const auto out = HandOverFolder("wordpad_bold");
    std::filesystem::copy_file(Letter(lastNumber_ + 1), out / "letter.rtf");
    for (const char* table : {"DokVW.dbf", "DatWV.dbf", "Adressen.dbf"})
        std::filesystem::copy_file(Data() / table, out / table);
    std::ofstream(out / "expected.txt", std::ios::binary)
        << "BOLD=Fett\nPLAIN=normal\nDOKNAME=" << fileName
        << "\nDOKTITEL=Brief mit Fettdruck\nWVDATUM=2027-01-15\nADRESSNR=" << key_.substr(0, 6)
        << "\n";

    // Opening it again through the word pad's "Öffnen": the same text, and
    // the bold button follows the caret from the bold word to the plain one.
    NewLetter();
    ASSERT_EQ(ui::ChooseMenuItem(Shell(), kOeffnen), ui::Outcome::kOk);
    HWND open = ui::WaitTopWindow("Brief öffnen", 10s, {program_.pid(), {}}, "#32770");
    ASSERT_TRUE(open) << "\"Öffnen\" showed no open dialog";
    const std::string path = ui::ToWindowsPath(ui::Narrow(Letter(lastNumber_ + 1).wstring()));
    ASSERT_EQ(ui::SetControlText(ui::FindControl(open, kFileNameEdit), path), ui::Outcome::kOk);
    Keys(open, "Return");
    HWND reopened = WaitPad(path);
    ASSERT_TRUE(reopened) << "the letter did not open in a word pad";
    EXPECT_EQ(Text(ui::FindControl(reopened, kRichEdit)), "Fett normal");
    Keys(Shell(), "Ctrl+Home Right");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Checked(reopened, kFett) == true; }));
    Keys(Shell(), "End");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Checked(reopened, kFett) == false; }));
    // Unchanged: it closes without a question.
    Keys(Shell(), "Ctrl+F4");
    EXPECT_TRUE(
        E2eProgram::WaitUntil([&] { return !IsWindow(reopened) || !IsWindowVisible(reopened); }));
    EXPECT_FALSE(ui::FindMessageBox("Schließen", {program_.pid(), {}}));
}

// A letter open in one word pad opens read-only in a second one, with a
// notice; the second one's save never goes over the file, and the letter is
// free again once the first one closes it.
TEST_F(WordPad, ALetterOpenInOneWordPadOpensReadOnlyInTheNext) {
    const auto letter = Data() / "Texte" / "Kunden" / "Offen.RTF";
    std::filesystem::create_directories(letter.parent_path());
    const std::string original = "{\\rtf1\\ansi Erste Fassung\\par}";
    std::ofstream(letter, std::ios::binary) << original;
    const std::string path = ui::ToWindowsPath(ui::Narrow(letter.wstring()));
    program_.Start(folder_.path());
    NewLetter();
    auto open = [&] {
        ASSERT_EQ(ui::ChooseMenuItem(Shell(), kOeffnen), ui::Outcome::kOk);
        HWND dialog = ui::WaitTopWindow("Brief öffnen", 10s, {program_.pid(), {}}, "#32770");
        ASSERT_TRUE(dialog) << "\"Öffnen\" showed no open dialog";
        ASSERT_EQ(ui::SetControlText(ui::FindControl(dialog, kFileNameEdit), path),
                  ui::Outcome::kOk);
        Keys(dialog, "Return");
    };
    open();
    HWND first = WaitPad(path);
    ASSERT_TRUE(first) << "the letter did not open";
    EXPECT_FALSE(ui::FindMessageBox("Brief bereits geöffnet", {program_.pid(), {}}));

    open();
    const std::string notice = program_.MessageBoxText("Brief bereits geöffnet");
    EXPECT_NE(notice.find("bereits in einem anderen Fenster"), std::string::npos) << notice;
    program_.Press("Brief bereits geöffnet", "OK");
    HWND second = WaitPad(path + " (schreibgeschützt)");
    ASSERT_TRUE(second) << "the second word pad is not marked read-only";

    // Its save tells why and asks for another name; cancelled, nothing is written.
    Keys(Shell(), "Ctrl+End Space z w e i t e");
    ASSERT_EQ(ui::ChooseMenuItem(Shell(), kSpeichern), ui::Outcome::kOk);
    EXPECT_NE(program_.MessageBoxText("Speichern").find("nur zum Lesen"), std::string::npos);
    program_.Press("Speichern", "OK");
    HWND dialog = SaveDialog();
    ASSERT_TRUE(dialog) << "no save dialog for another name";
    ASSERT_EQ(ui::Click(ui::FindControl(dialog, IDCANCEL)), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(dialog); }));
    Keys(Shell(), "Ctrl+F4");
    program_.Press("Schließen", "NO");
    EXPECT_TRUE(
        E2eProgram::WaitUntil([&] { return !IsWindow(second) || !IsWindowVisible(second); }));
    std::ifstream in(letter, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), original);

    // Closed in the first word pad, the letter is free again.
    SendMessageW(GetParent(first), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first), 0);
    Keys(Shell(), "Ctrl+F4");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(first) || !IsWindowVisible(first); }));
    EXPECT_TRUE(
        E2eProgram::WaitUntil([&] { return !std::filesystem::exists(letter.string() + ".lck"); }));
    open();
    EXPECT_TRUE(WaitPad(path)) << "the letter did not open again for writing";
    EXPECT_FALSE(ui::FindMessageBox("Brief bereits geöffnet", {program_.pid(), {}}));
}

// The paragraph dialog from the right-click menu ("Ränder") and from the
// format menu ("&Absatz"): it shows the letter's margins and alignment, and
// what is set there is saved and comes back with the file.
TEST_F(WordPad, ParagraphMarginsAreShownSavedAndOpenedAgain) {
    program_.Start(folder_.path());
    NewLetter();
    HWND pad = WaitPad("Unbenannt");
    HWND edit = ui::FindControl(pad, kRichEdit);
    Keys(Shell(), "Shift+A b s a t z");
    // The caret's place in the shell's status bar.
    HWND status = ui::FindControlByClass(Shell(), "msctls_statusbar32");
    ASSERT_TRUE(status);
    EXPECT_TRUE(E2eProgram::WaitUntil([&] {
        return ui::StatusBarPart(status, -1) == std::optional<std::string>("Ln 1 Col 7");
    })) << ui::StatusBarPart(status, -1).value_or("?");

    ASSERT_EQ(ui::RightClick(edit), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([] { return FindWindowW(L"#32768", nullptr) != nullptr; }))
        << "no pop-up menu on a right click";
    Keys(Shell(), "Down Down Down Return");  // "Ränder", the third item
    HWND dialog = ui::WaitTopWindow("Paragraph", 10s, {program_.pid(), {}}, "#32770");
    ASSERT_TRUE(dialog) << "\"Ränder\" showed no paragraph dialog";
    EXPECT_EQ(Shown(ui::FindControl(dialog, kLeftMargin)), " 0.50 cm");
    EXPECT_EQ(Shown(ui::FindControl(dialog, kRightMargin)), " 0.50 cm");
    EXPECT_EQ(Shown(ui::FindControl(dialog, kFirstLine)), " 0.00 cm");
    EXPECT_EQ(Text(ui::FindControl(dialog, kAlignment)), "Left");
    ASSERT_EQ(ui::EnterText(ui::FindControl(dialog, kLeftMargin), "2 cm"), ui::Outcome::kOk);
    ASSERT_EQ(ui::SetControlText(ui::FindControl(dialog, kAlignment), "Centre"), ui::Outcome::kOk);
    ASSERT_EQ(ui::Click(ui::FindControl(dialog, kParagraphOk)), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Checked(pad, 30831) == true; }))
        << "the centre button does not show the centred paragraph";

    ASSERT_EQ(ui::ClickToolbarButton(Shell(), kSpeichern), ui::Outcome::kOk);
    HWND save = SaveDialog();
    ASSERT_TRUE(save);
    Keys(save, "Return");
    const std::filesystem::path letter = Letter(lastNumber_ + 1);
    HWND filing = ui::WaitTopWindow("Dokumentinformation zu: " + letter.filename().string(), 10s,
                                    {program_.pid(), {}}, "#32770");
    ASSERT_TRUE(filing);
    ASSERT_EQ(ui::Click(ui::FindControl(filing, kFilingAbbruch)), ui::Outcome::kOk);
    ASSERT_TRUE(std::filesystem::exists(letter));
    const auto out = HandOverFolder("wordpad_margins");
    std::filesystem::copy_file(letter, out / "letter.rtf");
    std::ofstream(out / "expected.txt", std::ios::binary)
        << "TEXT=Absatz\nLI=1134\nRI=284\nFI=0\nALIGN=c\n";

    // Saved, it closes without a question.
    Keys(Shell(), "Ctrl+F4");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(pad) || !IsWindowVisible(pad); }));
    EXPECT_FALSE(ui::FindMessageBox("Schließen", {program_.pid(), {}}));

    // Opened again: "&Absatz" shows the saved margins, Cancel changes nothing.
    NewLetter();
    ASSERT_EQ(ui::ChooseMenuItem(Shell(), kOeffnen), ui::Outcome::kOk);
    HWND open = ui::WaitTopWindow("Brief öffnen", 10s, {program_.pid(), {}}, "#32770");
    ASSERT_TRUE(open);
    const std::string path = ui::ToWindowsPath(ui::Narrow(letter.wstring()));
    ASSERT_EQ(ui::SetControlText(ui::FindControl(open, kFileNameEdit), path), ui::Outcome::kOk);
    Keys(open, "Return");
    HWND reopened = WaitPad(path);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(Text(ui::FindControl(reopened, kRichEdit)), "Absatz");
    ASSERT_EQ(ui::ChooseMenuItem(Shell(), kAbsatz), ui::Outcome::kOk);
    dialog = ui::WaitTopWindow("Paragraph", 10s, {program_.pid(), {}}, "#32770");
    ASSERT_TRUE(dialog) << "\"&Absatz\" showed no paragraph dialog";
    EXPECT_EQ(Shown(ui::FindControl(dialog, kLeftMargin)), " 2.00 cm");
    EXPECT_EQ(Shown(ui::FindControl(dialog, kRightMargin)), " 0.50 cm");
    EXPECT_EQ(Shown(ui::FindControl(dialog, kFirstLine)), " 0.00 cm");
    EXPECT_EQ(Text(ui::FindControl(dialog, kAlignment)), "Centre");
    ASSERT_EQ(ui::Click(ui::FindControl(dialog, kParagraphCancel)), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(dialog); }));
    Keys(Shell(), "Ctrl+F4");
    EXPECT_TRUE(
        E2eProgram::WaitUntil([&] { return !IsWindow(reopened) || !IsWindowVisible(reopened); }));
    EXPECT_FALSE(ui::FindMessageBox("Schließen", {program_.pid(), {}}));
}

}  // namespace
}  // namespace kp::e2e
