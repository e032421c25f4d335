// The word pad's format bar: the rules for typed faces and sizes, the two
// toolbar layouts, the font and size boxes, and the flat toolbar.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "platform/gui/shellwindow.h"
#include "wordpad/Toolbar_WordPad.h"
#include "wordpad/tb97neu.h"

namespace kp::test {
namespace {

// --- rules

TEST(FormatRules, TypedFacesAreCutToTheFaceBuffer) {
    EXPECT_EQ(FaceNameForFormat("Arial"), "Arial");
    const std::string exact(31, 'x');
    EXPECT_EQ(FaceNameForFormat(exact), exact);
    EXPECT_EQ(FaceNameForFormat(std::string(32, 'y')), std::string(31, 'y'));
    EXPECT_EQ(FaceNameForFormat(std::string(80, 'z')), std::string(31, 'z'));
    // Characters, not bytes: 31 umlauts stay whole.
    std::string umlauts;
    for (int i = 0; i < 40; ++i)
        umlauts += "ä";
    EXPECT_EQ(FaceNameForFormat(umlauts), umlauts.substr(0, 31 * 2));
    EXPECT_EQ(FaceNameForFormat(""), "");
}

TEST(FormatRules, SizesOutsideOneTo1638PointsOrNoNumberAreRefused) {
    EXPECT_EQ(PointSizeOf("12"), 12);
    EXPECT_EQ(PointSizeOf(" 8"), 8);
    EXPECT_EQ(PointSizeOf("1"), 1);
    EXPECT_EQ(PointSizeOf("1638"), 1638);
    for (const char* bad : {"0", "1639", "99999999", "", "   ", "abc", "12pt", "-3", "1,5", "+4"})
        EXPECT_FALSE(PointSizeOf(bad).has_value()) << bad;
}

TEST(FormatRules, SizeTextsAndTheirPlaceInTheList) {
    EXPECT_EQ(PointSizeText(7), " 7");
    EXPECT_EQ(PointSizeText(11), "11");
    const std::vector<std::string> list = PointSizeList();
    ASSERT_EQ(list.size(), 15u);
    EXPECT_EQ(list.front(), " 8");
    EXPECT_EQ(list[1], " 9");
    EXPECT_EQ(list[2], "10");
    EXPECT_EQ(list.back(), "72");
    // " 8" and " 9" sort before "10" as texts too.
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));

    EXPECT_EQ(PointSizeInsertPosition(list, " 7"), 0u);
    EXPECT_EQ(PointSizeInsertPosition(list, "11"), 3u);
    EXPECT_EQ(PointSizeInsertPosition(list, "100"), list.size());
    EXPECT_EQ(PointSizeInsertPosition(list, "50"), 14u);
    EXPECT_FALSE(PointSizeInsertPosition(list, "12").has_value());
    EXPECT_FALSE(PointSizeInsertPosition(list, "8").has_value());  // " 8" is that size
}

// --- windows

class Recorder : public FormatBarTarget {
  public:
    void ChangeFontFaceName(const std::string& face) override { faces.push_back(face); }
    void ChangeFontSize(const std::string& size) override { sizes.push_back(size); }
    void ReturnToText() override { ++returns; }
    std::vector<std::string> faces, sizes;
    int returns = 0;
};

class FormatBarTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitGuiLibrary(); }
};

std::vector<int> Ids(const Toolbar& bar) {
    std::vector<int> ids;
    for (int i = 0; i < bar.ButtonCount(); ++i)
        ids.push_back(bar.ItemID(i));
    return ids;
}

TEST_F(FormatBarTest, BothToolbarLayoutsHoldTheirButtonsInOrder) {
    ChildAppWindow frame(nullptr);
    auto shellBar = BuildToolbar(&frame, Symbol(kMenShellLayout));
    EXPECT_EQ(Ids(*shellBar), (std::vector<int>{30814, 24563, 24562, 30807, 30810, 30811, 0, 30820,
                                                30816, 30817, 30818}));
    EXPECT_EQ(shellBar->TipText(24562), "Datei öffnen");
    EXPECT_EQ(shellBar->ButtonStyle(), TOOLBAR_BUTTON_FLAT);

    auto childBar = BuildToolbar(&frame, Symbol(kChildMenu));
    ASSERT_EQ(childBar->ButtonCount(), 33 + 9);
    for (int i = 0; i < 33; ++i)
        EXPECT_EQ(childBar->ItemID(i), 0) << i;
    const std::vector<int> ids = Ids(*childBar);
    EXPECT_EQ(std::vector<int>(ids.begin() + 33, ids.end()),
              (std::vector<int>{30827, 30828, 30829, 30830, 30831, 30832, 30833, 30834, 30835}));
    EXPECT_EQ(childBar->TipText(30833), "Aufzählungszeichen");
    // The separators leave room for the font and size boxes (2 to 260).
    EXPECT_GE(childBar->ItemRect(32).right, 260);

    EXPECT_EQ(BuildToolbar(&frame, Symbol("SONSTWAS"))->ButtonCount(), 0);
}

TEST_F(FormatBarTest, DeleteStyleTurnsBitsOff) {
    ChildAppWindow frame(nullptr);
    auto bar = BuildToolbar(&frame, Symbol(kChildMenu));
    bar->SetStyle(TBSTYLE_WRAPABLE);
    ASSERT_TRUE(bar->Style() & TBSTYLE_WRAPABLE);
    DeleteStyle(bar->Handle(), TBSTYLE_WRAPABLE);
    EXPECT_FALSE(bar->Style() & TBSTYLE_WRAPABLE);
    EXPECT_TRUE(bar->Style() & TBSTYLE_FLAT);
}

TEST_F(FormatBarTest, TheFontListHoldsTrueTypeFaces) {
    ChildAppWindow frame(nullptr);
    const std::vector<std::string> faces = BuildFontList(frame.Handle());
    EXPECT_FALSE(faces.empty());
    for (const auto& f : faces)
        EXPECT_FALSE(f.empty());
    // Each face once, though the system names a family for each of its
    // character sets.
    std::vector<std::string> sorted = faces;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
}

// A box on the word pad's bar, as the word pad places them.
struct Bar {
    ChildAppWindow frame{nullptr};
    std::shared_ptr<Toolbar> bar;
    Recorder pad;
    Bar() {
        frame.Size(Dimension(500, 300));
        bar = BuildToolbar(&frame, Symbol(kChildMenu));
        frame.ToolBar(bar);
        frame.Show();
    }
};

// What typing into a drop-down box's edit does.
void Type(const ComboBox& box, const std::string& text) {
    HWND edit = GetWindow(box.Handle(), GW_CHILD);
    ASSERT_TRUE(edit);
    SendMessageW(edit, WM_SETFOCUS, 0, 0);
    for (char c : text)
        SendMessageW(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// A key pressed in the box's edit.
void Key(const ComboBox& box, WPARAM vk) {
    HWND edit = GetWindow(box.Handle(), GW_CHILD);
    SendMessageW(edit, WM_KEYDOWN, vk, 1);
    SendMessageW(edit, WM_CHAR, vk == VK_RETURN ? '\r' : 0x1B, 1);
    SendMessageW(edit, WM_KEYUP, vk, 0xC0000001);
}

// A notification of the box as it reaches the box's owner.
void Notify(const ComboBox& box, int code) {
    SendMessageW(GetParent(box.Handle()), WM_COMMAND, MAKEWPARAM(box.ControlID(), code),
                 reinterpret_cast<LPARAM>(box.Handle()));
}

void Choose(const ComboBox& box, int index) {
    SendMessageW(box.Handle(), CB_SETCURSEL, index, 0);
    SendMessageW(GetParent(box.Handle()), WM_COMMAND, MAKEWPARAM(box.ControlID(), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(box.Handle()));
}

TEST_F(FormatBarTest, TheFontBoxHandsChosenAndTypedFacesToTheWordPad) {
    Bar b;
    FontCB box(&b.pad, b.bar.get(), 5000, Point(2, -175), Dimension(180, 200));
    EXPECT_FALSE(box.IsVisible());  // shown once filled
    box.AddItem("Arial");
    box.AddItem("Courier New");
    box.Show();
    EXPECT_EQ(GetParent(box.Handle()), b.bar->Handle());  // it sits on the toolbar

    Choose(box, 1);
    ASSERT_EQ(b.pad.faces.size(), 1u);
    EXPECT_EQ(b.pad.faces.back(), "Courier New");

    box.CurrentText("");
    b.pad.faces.clear();
    Type(box, "Gibtsnicht");
    EXPECT_TRUE(b.pad.faces.empty()) << "typing only edits the box";
    EXPECT_EQ(box.CurrentText(), "Gibtsnicht");
    Key(box, VK_RETURN);  // Return applies what was typed, as typed
    ASSERT_EQ(b.pad.faces.size(), 1u);
    EXPECT_EQ(b.pad.faces.back(), "Gibtsnicht");
    EXPECT_EQ(b.pad.returns, 1);

    box.CurrentText("");
    Type(box, std::string(40, 'W'));
    Key(box, VK_RETURN);
    EXPECT_EQ(b.pad.faces.back(), std::string(31, 'W'));
    EXPECT_TRUE(b.pad.sizes.empty());
    box.CurrentText("Arial");  // set by the program: not passed on
    EXPECT_EQ(b.pad.faces.back(), std::string(31, 'W'));
}

TEST_F(FormatBarTest, ATypedFaceAppliesOnLeavingAndEscapeTakesItBack) {
    Bar b;
    FontCB box(&b.pad, b.bar.get(), 5000, Point(2, -175), Dimension(180, 200));
    box.AddItem("Arial");
    box.Show();
    box.CurrentText("Arial");
    Notify(box, CBN_SETFOCUS);
    Type(box, "x");
    Key(box, VK_ESCAPE);  // back to what the box showed, and to the text
    EXPECT_EQ(box.CurrentText(), "Arial");
    EXPECT_TRUE(b.pad.faces.empty());
    EXPECT_EQ(b.pad.returns, 1);

    Notify(box, CBN_SETFOCUS);
    box.CurrentText("");
    Type(box, "Verdana");
    Notify(box, CBN_KILLFOCUS);  // leaving the box applies; the focus goes on
    EXPECT_EQ(b.pad.faces, std::vector<std::string>{"Verdana"});
    EXPECT_EQ(b.pad.returns, 1);
    Notify(box, CBN_KILLFOCUS);  // nothing typed since: nothing applied again
    EXPECT_EQ(b.pad.faces.size(), 1u);
}

TEST(FormatBoxRule, TypingWaitsForReturnLeavingOrAPick) {
    using Step = FormatBoxRule::Step;
    FormatBoxRule r;
    EXPECT_EQ(r.Notified(CBN_SETFOCUS, false), Step::Nothing);
    EXPECT_EQ(r.Notified(CBN_EDITCHANGE, false), Step::Nothing);
    EXPECT_EQ(r.Notified(CBN_EDITCHANGE, false), Step::Nothing);
    EXPECT_TRUE(r.Pending());
    EXPECT_FALSE(r.FromList());
    EXPECT_EQ(r.Key(VK_RETURN, false), Step::ApplyAndReturn);
    EXPECT_EQ(r.Key(VK_RETURN, false), Step::Return);  // nothing new: only back
    // Browsing the open list applies nothing until the pick.
    EXPECT_EQ(r.Notified(CBN_DROPDOWN, false), Step::Nothing);
    EXPECT_EQ(r.Notified(CBN_SELCHANGE, true), Step::Nothing);
    EXPECT_EQ(r.Key(VK_RETURN, true), Step::Nothing);  // the list's own Return
    EXPECT_TRUE(r.FromList());
    EXPECT_EQ(r.Notified(CBN_SELENDOK, true), Step::ApplyAndReturn);
    EXPECT_EQ(r.Notified(CBN_SELENDOK, false), Step::Nothing);
    // The arrow keys on the closed box pick at once and stay in the box.
    EXPECT_EQ(r.Notified(CBN_SELCHANGE, false), Step::Apply);
    // Leaving applies what was typed; Escape drops it.
    r.Notified(CBN_EDITCHANGE, false);
    EXPECT_EQ(r.Notified(CBN_KILLFOCUS, false), Step::Apply);
    EXPECT_EQ(r.Notified(CBN_KILLFOCUS, false), Step::Nothing);
    r.Notified(CBN_EDITCHANGE, false);
    EXPECT_EQ(r.Key(VK_ESCAPE, false), Step::Revert);
    EXPECT_FALSE(r.Pending());
    EXPECT_EQ(r.Notified(CBN_KILLFOCUS, false), Step::Nothing);
    r.Notified(CBN_EDITCHANGE, false);
    r.Refused();  // a refused text stays to be put right
    EXPECT_TRUE(r.Pending());
    EXPECT_EQ(r.Key('A', false), Step::Nothing);
}

TEST_F(FormatBarTest, TheSizeBoxRefusesImpossibleSizesAndKeepsNumericOrder) {
    Bar b;
    PointSizeCB box(&b.pad, b.bar.get(), 5000, Point(190, -175), Dimension(70, 200));
    for (const auto& s : PointSizeList())
        box.AddItem(s);
    box.Show();
    Choose(box, 3);
    ASSERT_EQ(b.pad.sizes.size(), 1u);
    EXPECT_EQ(b.pad.sizes.back(), "12");

    b.pad.sizes.clear();
    box.CurrentText("");
    Type(box, "200");
    EXPECT_TRUE(b.pad.sizes.empty()) << "typing only edits the box";
    Key(box, VK_RETURN);
    EXPECT_EQ(b.pad.sizes, (std::vector<std::string>{"200"}));
    box.CurrentText("");
    Type(box, "2000");
    Key(box, VK_RETURN);  // refused: the user stays in the box
    box.CurrentText("");
    Type(box, "x");
    Key(box, VK_RETURN);
    box.CurrentText("");
    Type(box, "0");
    Key(box, VK_RETURN);
    EXPECT_EQ(b.pad.sizes.size(), 1u);
    EXPECT_EQ(b.pad.returns, 1);
    EXPECT_TRUE(b.pad.faces.empty());

    EXPECT_TRUE(box.AddSize(" 7"));
    EXPECT_TRUE(box.AddSize("11"));
    EXPECT_TRUE(box.AddSize("100"));
    EXPECT_FALSE(box.AddSize("12"));
    const std::vector<std::string> items = box.Items();
    ASSERT_EQ(items.size(), 18u);
    EXPECT_EQ(items.front(), " 7");
    EXPECT_EQ(items[4], "11");
    EXPECT_EQ(items.back(), "100");
}

// --- the flat toolbar

bool Invalid(HWND h) {
    return GetUpdateRect(h, nullptr, FALSE) != 0;
}

TEST_F(FormatBarTest, AFlatToolbar97PaintsItsOwnBackgroundWithoutAPaintLoop) {
    ChildAppWindow frame(nullptr);
    frame.Size(Dimension(400, 200));
    auto bar = std::make_shared<Toolbar97>(&frame);
    bar->AppendItem(TB_BMP_BOLD, 30827);
    frame.ToolBar(bar);
    frame.Show();
    EXPECT_TRUE(bar->Flat());
    EXPECT_TRUE(bar->Style() & TBSTYLE_FLAT);
    ASSERT_TRUE(bar->Background());
    EXPECT_EQ(bar->Background()->Color().ColorRef(), GetSysColor(COLOR_MENU));

    // Flat and never wrapping, whatever is asked for.
    bar->SetStyle(TBSTYLE_WRAPABLE);
    EXPECT_FALSE(bar->Style() & TBSTYLE_WRAPABLE);
    EXPECT_TRUE(bar->Style() & TBSTYLE_FLAT);

    const auto green = std::make_shared<Brush>(Color(10, 200, 30));
    bar->Background(green);
    EXPECT_EQ(bar->Background(), green);
    // Painted at once, and nothing left to paint afterwards.
    EXPECT_FALSE(Invalid(bar->Handle()));
    RedrawWindow(bar->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_FALSE(Invalid(bar->Handle()));
    InvalidateRect(bar->Handle(), nullptr, TRUE);
    SendMessageW(bar->Handle(), WM_PAINT, 0, 0);
    EXPECT_FALSE(Invalid(bar->Handle()));
    // The background is the brush's colour, right of the buttons.
    HDC dc = GetDC(bar->Handle());
    RECT rc{};
    GetClientRect(bar->Handle(), &rc);
    const COLORREF seen = GetPixel(dc, rc.right - 5, rc.bottom / 2);
    ReleaseDC(bar->Handle(), dc);
    EXPECT_EQ(seen, RGB(10, 200, 30));

    // Not a brush: the old one stays.
    bar->Background(Usual(std::string("rot")));
    EXPECT_EQ(bar->Background(), green);
    bar->Background(std::shared_ptr<Brush>());
    EXPECT_EQ(bar->Background(), green);
    bar->Background(Usual(std::make_shared<Pen>(Color(0, 0, 0))));
    EXPECT_EQ(bar->Background(), green);
    const auto blue = std::make_shared<Brush>(Color(0, 0, 200));
    bar->Background(Usual(blue));
    EXPECT_EQ(bar->Background(), blue);
}

TEST_F(FormatBarTest, ANonFlatToolbar97IsThePlainToolbar) {
    ChildAppWindow frame(nullptr);
    Toolbar97 bar(&frame, nullptr, 0, false);
    EXPECT_FALSE(bar.Flat());
    EXPECT_FALSE(bar.Style() & TBSTYLE_FLAT);
    EXPECT_EQ(bar.Background(), nullptr);
    bar.SetStyle(TBSTYLE_WRAPABLE);
    EXPECT_TRUE(bar.Style() & TBSTYLE_WRAPABLE);
    const auto brush = std::make_shared<Brush>(Color(1, 2, 3));
    bar.Background(brush);
    EXPECT_EQ(bar.Background(), brush);
    EXPECT_EQ(bar.Toolbar::Background(), brush);  // the plain toolbar's too
    bar.Background(std::shared_ptr<Brush>());
    EXPECT_EQ(bar.Background(), nullptr);
}

TEST_F(FormatBarTest, AToolbar97TakesItsPicturesFromAGivenStrip) {
    ChildAppWindow frame(nullptr);
    HDC screen = GetDC(nullptr);
    HBITMAP strip = CreateCompatibleBitmap(screen, 32, 16);
    ReleaseDC(nullptr, screen);
    Toolbar97 bar(&frame, strip, 2);
    DeleteObject(strip);  // the toolbar keeps a copy
    bar.AppendItem(1, 500);
    bar.AppendItem(5, 501);  // no such picture in the strip
    TBBUTTON b{};
    SendMessageW(bar.Handle(), TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&b));
    EXPECT_EQ(b.iBitmap, 1);
    SendMessageW(bar.Handle(), TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(&b));
    EXPECT_EQ(b.iBitmap, I_IMAGENONE);
}

}  // namespace
}  // namespace kp::test
