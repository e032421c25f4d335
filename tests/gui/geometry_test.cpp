// The plain parts of the GUI layer: coordinate conversion, dialog templates,
// method tables.
#include <gtest/gtest.h>

#include "platform/gui/dialogwindow.h"
#include "platform/gui/dlgtemplate.h"
#include "platform/gui/geometry.h"
#include "platform/gui/methods.h"

namespace kp {
namespace {

TEST(DialogPlacement, CentredOverTheOwnerAndKeptInTheWorkArea) {
    const RECT work{0, 0, 1024, 740};
    const RECT dialog{0, 0, 300, 200};
    // Over a frame in the middle of the screen: centred on it.
    EXPECT_EQ(CentredDialogPosition(dialog, RECT{100, 50, 900, 690}, work).x, 350);
    EXPECT_EQ(CentredDialogPosition(dialog, RECT{100, 50, 900, 690}, work).y, 270);
    // Over a small window in the screen's corner: pushed into the work area,
    // neither off its left nor off its top edge.
    const POINT corner = CentredDialogPosition(dialog, RECT{-8, -8, 100, 60}, work);
    EXPECT_EQ(corner.x, 0);
    EXPECT_EQ(corner.y, 0);
    // Near the lower right: the whole dialog stays visible.
    const POINT low = CentredDialogPosition(dialog, RECT{900, 700, 1100, 800}, work);
    EXPECT_EQ(low.x, 1024 - 300);
    EXPECT_EQ(low.y, 740 - 200);
    // A dialog larger than the work area keeps its top-left corner visible.
    const POINT big = CentredDialogPosition(RECT{0, 0, 1200, 900}, work, work);
    EXPECT_EQ(big.x, 0);
    EXPECT_EQ(big.y, 0);
}

TEST(CoordinateSpace, RectanglesConvertByTheirEdgesBothWays) {
    const CoordinateSpace space(300);
    // A 100 x 20 window whose bottom edge is the container's bottom edge.
    const PixelRect atFoot{0, 280, 100, 300};
    EXPECT_EQ(space.ToLibrary(atFoot), BoundingBox(Point(0, 0), Dimension(100, 20)));
    // One at the top: its origin is the container height minus its own.
    const PixelRect atTop{10, 0, 60, 30};
    EXPECT_EQ(space.ToLibrary(atTop), BoundingBox(Point(10, 270), Dimension(50, 30)));
    for (const PixelRect& r : {atFoot, atTop, PixelRect{5, 17, 25, 99}})
        EXPECT_EQ(space.ToWindows(space.ToLibrary(r)), r);
}

TEST(CoordinateSpace, PointsConvertByPixelsSoTheLowerLeftPixelIsZero) {
    const CoordinateSpace space(300);
    EXPECT_EQ(space.PointToLibrary(0, 299), Point(0, 0));
    EXPECT_EQ(space.PointToLibrary(7, 0), Point(7, 299));
    EXPECT_EQ(space.PointToWindows(Point(0, 0)), Point(0, 299));
    // The lowest pixel row of a window at origin y reads as y.
    const BoundingBox box(Point(4, 30), Dimension(10, 10));
    const PixelRect r = space.ToWindows(box);
    EXPECT_EQ(space.PointToLibrary(r.left, r.bottom - 1), box.origin);
}

// A classic dialog template header: style, ex style, 0 items, 1,2,30,40,
// no menu, no class, caption "Ab".
std::vector<uint8_t> ClassicTemplate() {
    std::vector<uint8_t> b = {0x00, 0x00, 0xC8, 0x80,  // style 0x80C80000
                              0,    0,    0,    0,     // ex style
                              0,    0,                 // items
                              1,    0,    2,    0,    30, 0,   40, 0, 0,
                              0,    0,    0,    'A',  0,  'b', 0,  0, 0};
    return b;
}

TEST(DialogTemplate, ReadsClassicAndExtendedHeadersAndRefusesShortOnes) {
    std::vector<uint8_t> b = ClassicTemplate();
    DialogTemplateInfo info;
    ASSERT_TRUE(ReadDialogTemplate(b, info));
    EXPECT_FALSE(info.extended);
    EXPECT_EQ(info.style, 0x80C80000u);
    EXPECT_EQ(info.cx, 30);
    EXPECT_EQ(info.cy, 40);
    EXPECT_EQ(info.caption, L"Ab");
    SetTemplateStyle(b, info, 0x50000000u);
    ASSERT_TRUE(ReadDialogTemplate(b, info));
    EXPECT_EQ(info.style, 0x50000000u);

    // Extended: version 1, signature FFFF, help id, ex style, style ...
    std::vector<uint8_t> x = {1,    0,    0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0,    0,
                              0x44, 0x00, 0x00, 0x50, 2, 0, 0, 0, 0, 0, 0x28, 1,
                              0xA6, 0,    0xFF, 0xFF, 7, 0, 0, 0, 0, 0};
    ASSERT_TRUE(ReadDialogTemplate(x, info));
    EXPECT_TRUE(info.extended);
    EXPECT_EQ(info.style, 0x50000044u);
    EXPECT_EQ(info.itemCount, 2);
    EXPECT_EQ(info.cx, 296);
    EXPECT_EQ(info.cy, 166);
    EXPECT_TRUE(info.caption.empty());

    // Every shorter prefix is refused, never read past its end.
    for (size_t n = 0; n < b.size(); ++n) {
        std::vector<uint8_t> cut(b.begin(), b.begin() + static_cast<long>(n));
        EXPECT_FALSE(ReadDialogTemplate(cut, info)) << n;
    }
}

struct Base {
    virtual ~Base() = default;
    virtual Method FindMethod(Symbol name) {
        static const MethodTable<Base> methods{{"Close", &Base::Close}};
        return methods.Bind(this, name);
    }
    void Close() { calls.push_back("Base::Close"); }
    std::vector<std::string> calls;
};

struct Derived : Base {
    Method FindMethod(Symbol name) override {
        static const MethodTable<Derived> methods{{"PshOK", &Derived::PshOK}};
        if (Method m = methods.Bind(this, name))
            return m;
        return Base::FindMethod(name);
    }
    void PshOK() { calls.push_back("Derived::PshOK"); }
};

TEST(MethodTable, FindsOwnAndInheritedMethodsIgnoringCase) {
    Derived d;
    ASSERT_TRUE(d.FindMethod(Symbol("pshok")));
    d.FindMethod(Symbol("PSHOK"))();
    d.FindMethod(Symbol("close"))();
    EXPECT_FALSE(d.FindMethod(Symbol("PshAbbruch")));
    EXPECT_FALSE(Base().FindMethod(Symbol("PshOK")));
    EXPECT_EQ(d.calls, (std::vector<std::string>{"Derived::PshOK", "Base::Close"}));
}

}  // namespace
}  // namespace kp
