// The title controls: their drawing rules and the controls on a window.
#include <gtest/gtest.h>

#include "platform/gui/app.h"
#include "platform/gui/datawindow.h"
#include "titles/Farbverlauf.h"
#include "titles/SystemColor.h"

namespace kp {
namespace {

TEST(GradientStrips, RunFromTheRightEdgeAndDarkenOneUnitPerStrip) {
    auto s = GradientStrips(10, RGB(100, 50, 7), RGB(0, 48, 9), 3);
    ASSERT_EQ(s.size(), 4u);  // i = 1, 4, 7, 10
    EXPECT_EQ(s[0].left, 6);
    EXPECT_EQ(s[0].right, 9);  // the first strip ends at W - 1
    EXPECT_EQ(s[3].left, -3);
    EXPECT_EQ(s[3].right, 0);
    EXPECT_EQ(s[0].color, RGB(99, 49, 7));  // already one below in the first strip
    EXPECT_EQ(s[1].color, RGB(98, 48, 7));  // green stops at its end value
    EXPECT_EQ(s[3].color, RGB(96, 48, 7));  // blue below its end never moves
}

TEST(GradientStrips, WidthAndStepEdges) {
    EXPECT_TRUE(GradientStrips(0, RGB(9, 9, 9), 0, 3).empty());
    EXPECT_EQ(GradientStrips(2, RGB(9, 9, 9), 0, 3).size(), 1u);
    // A step of 0 counts as 1 instead of never ending.
    EXPECT_EQ(GradientStrips(5, RGB(9, 9, 9), 0, 0).size(), 5u);
    // Button face to black over 600 pixels darkens by 200 units.
    auto wide = GradientStrips(600, RGB(240, 240, 240), 0, 3);
    EXPECT_EQ(wide.size(), 200u);
    EXPECT_EQ(wide.back().color, RGB(40, 40, 40));
    // Equal start and end: flat.
    for (const auto& strip : GradientStrips(60, RGB(212, 208, 200), RGB(212, 208, 200), 3))
        EXPECT_EQ(strip.color, RGB(212, 208, 200));
}

TEST(LayoutTitel, IconTextAndShadowPlaces) {
    const RECT client{0, 0, 400, 30};
    TitelLayout plain = LayoutTitel(client, 30, false, false);
    EXPECT_EQ(plain.text.left, 5);
    TitelLayout icon = LayoutTitel(client, 30, true, false);
    EXPECT_EQ(icon.icon.left, 3);
    EXPECT_EQ(icon.icon.top, 3);
    EXPECT_EQ(icon.icon.right - icon.icon.left, 24);
    EXPECT_EQ(icon.icon.bottom - icon.icon.top, 24);
    EXPECT_EQ(icon.text.left, 38);
    TitelLayout shade = LayoutTitel(client, 30, false, true);
    EXPECT_EQ(shade.shadowText.left, 5);
    EXPECT_EQ(shade.shadowText.top, 0);
    EXPECT_EQ(shade.text.left, 7);
    EXPECT_EQ(shade.text.top, -2);
}

class Owner : public DataWindow, public TitelControlRegistry, public TitelMouseListener {
  public:
    Owner() : DataWindow(nullptr) {}
    void RegisterControl(TitelControl* c) override { registered.push_back(c); }
    void OnMouseInTitelDown(TitelControl* c) override { clicked.push_back(c); }
    std::vector<TitelControl*> registered, clicked;
};

// The colour at (x, y) of what the control paints for itself.
COLORREF PaintedPixel(Window& control, int x, int y) {
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    RECT rc;
    GetClientRect(control.Handle(), &rc);
    HBITMAP bmp = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
    HGDIOBJ old = SelectObject(mem, bmp);
    FillRect(mem, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (auto* g = dynamic_cast<MlGradientTitel*>(&control))
        g->GradientFillVertical(control.Handle(), mem, RGB(200, 200, 200));
    else if (auto* gray = dynamic_cast<MlGrayTitel*>(&control))
        gray->FillGray(control.Handle(), mem);
    const COLORREF c = GetPixel(mem, x, y);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return c;
}

class TitelControlTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        InitGuiLibrary();
        RegisterTitelClasses();
    }
};

TEST_F(TitelControlTest, DefaultsClassesAndOwnerRegistration) {
    Owner owner;
    MlGradientTitel g(&owner, 101, Point(0, 0), Dimension(300, 30));
    MlGradientTitelMemo m(&owner, 102, Point(0, 40), Dimension(300, 30));
    MlGrayTitel gray(&owner, 103, Point(0, 80), Dimension(300, 30));
    EXPECT_EQ(owner.registered, (std::vector<TitelControl*>{&g, &m, &gray}));
    EXPECT_EQ(g.ClassName(), Symbol("MLGRADIENTTITEL"));
    EXPECT_EQ(m.ClassName(), Symbol("MLGRADIENTTITELMEMO"));
    EXPECT_EQ(g.FaceName(), "Arial");
    EXPECT_EQ(g.FontHeight(), 24u);
    EXPECT_EQ(g.Titel(), "Titel");
    EXPECT_EQ(g.TitelTextColor(), RGB(250, 250, 250));
    EXPECT_EQ(m.TitelTextColor(), RGB(0, 0, 0));
    EXPECT_EQ(m.BackgroundColor(), GetSysColor(COLOR_BTNFACE));
    EXPECT_FALSE(gray.Shade());
    EXPECT_EQ(gray.ShadeColor(), RGB(1, 1, 1));
}

TEST_F(TitelControlTest, GroupsKeepOneEntryPerSymbol) {
    Owner owner;
    MlTitel t(&owner, 101, Point(0, 0), Dimension(100, 20));
    EXPECT_FALSE(t.IsInGroup(Symbol("A")));
    t.Assign2Group(Symbol("A"));
    t.Assign2Group(Symbol("a"));
    t.Assign2Group(Symbol("B"));
    t.RemoveFromGroup(Symbol("C"));
    t.RemoveFromGroup(Symbol("A"));
    EXPECT_FALSE(t.IsInGroup(Symbol("A")));
    EXPECT_TRUE(t.IsInGroup(Symbol("B")));
}

TEST_F(TitelControlTest, FillsPaintTheirColours) {
    Owner owner;
    MlGradientTitel g(&owner, 101, Point(0, 0), Dimension(30, 20));
    // Defaults: end colour black, step 3; start 200 -> 199 at the right.
    EXPECT_EQ(PaintedPixel(g, 27, 5), RGB(199, 199, 199));
    EXPECT_EQ(PaintedPixel(g, 0, 5), RGB(190, 190, 190));
    g.EndColor(RGB(255, 0, 255));  // brighter in red and blue: those stay
    EXPECT_EQ(PaintedPixel(g, 0, 5), RGB(200, 190, 200));

    MlGrayTitel gray(&owner, 102, Point(0, 30), Dimension(30, 20));
    EXPECT_EQ(PaintedPixel(gray, 10, 10), RGB(192, 192, 192));
    gray.GrayColor(RGB(10, 20, 30));
    EXPECT_EQ(PaintedPixel(gray, 10, 10), RGB(10, 20, 30));
}

TEST_F(TitelControlTest, ClickTellsTheOwner) {
    Owner owner;
    MlGrayTitel t(&owner, 101, Point(0, 0), Dimension(100, 20));
    SendMessageW(t.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(owner.clicked, std::vector<TitelControl*>{&t});
}

TEST(SystemColor, TakesTheSystemColourWhenMadeAndKeepsIt) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const SystemColor c(COLOR_BTNFACE);
    EXPECT_EQ(c.Red(), GetRValue(face));
    EXPECT_EQ(c.Green(), GetGValue(face));
    EXPECT_EQ(c.Blue(), GetBValue(face));
    EXPECT_EQ(c.ColorRef(), face);
    EXPECT_EQ(SystemColor(COLOR_MENU).ColorRef(), GetSysColor(COLOR_MENU));
    // An index Windows does not know: what GetSysColor gives for it (black).
    EXPECT_EQ(SystemColor(9999).ColorRef(), GetSysColor(9999));
    EXPECT_EQ(SystemColor(9999).ColorRef(), RGB(0, 0, 0));

    // A snapshot: changing the scheme afterwards leaves the object as it was.
    const int index = COLOR_INFOBK;
    const COLORREF old = GetSysColor(index);
    const SystemColor before(index);
    const COLORREF other = old ^ RGB(0x55, 0x55, 0x55);
    ASSERT_TRUE(SetSysColors(1, &index, &other));
    const SystemColor after(index);
    SetSysColors(1, &index, &old);
    EXPECT_EQ(before.ColorRef(), old);
    EXPECT_EQ(after.ColorRef(), other);
}

}  // namespace
}  // namespace kp
