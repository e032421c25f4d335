// The two value stores.
#include <gtest/gtest.h>

#include "app/funGlobal.h"
#include "app/funVelto.h"
#include "platform/gui/drawing.h"

namespace kp {
namespace {

class Res : public Object, public Destroyable {
  public:
    Res(const char* cls, int* destroyed) : cls_(cls), destroyed_(destroyed) {}
    Symbol ClassName() const override { return Symbol(cls_); }
    void Destroy() override { ++*destroyed_; }

  private:
    const char* cls_;
    int* destroyed_;
};

Usual Obj(const char* cls, int* destroyed) {
    return Usual(std::shared_ptr<Object>(std::make_shared<Res>(cls, destroyed)));
}

class FunGlobalTest : public ::testing::Test {
  protected:
    void TearDown() override { AxitGlobal(); }
};

TEST_F(FunGlobalTest, StoreReturnsOldValueForKnownNameNewValueForNewName) {
    const Symbol a("A");
    EXPECT_TRUE(GetGlobal(a).IsNil());
    EXPECT_EQ(FunGlobal(a, Usual(int32_t{1}), GlobalPut()), Usual(int32_t{1}));
    EXPECT_EQ(FunGlobal(a, Usual(int32_t{2}), GlobalStore()), Usual(int32_t{1}));
    EXPECT_EQ(GetGlobal(Symbol("a")), Usual(int32_t{2}));
    // Unknown actions only read; reading an unknown name adds nothing.
    EXPECT_EQ(FunGlobal(a, Usual(int32_t{3}), Symbol("WHATEVER")), Usual(int32_t{2}));
    EXPECT_TRUE(FunGlobal(Symbol("B"), Usual(int32_t{3}), GlobalGet()).IsNil());
    EXPECT_TRUE(GetGlobal(Symbol("B")).IsNil());
}

TEST_F(FunGlobalTest, KillDestroysOnlyTheFourResourceClasses) {
    int fonts = 0, others = 0;
    FunGlobal(Symbol("EDITFONT"), Obj("FONT", &fonts), GlobalPut());
    FunGlobal(Symbol("MYFONT"), Obj("MYFONT", &others), GlobalPut());  // a subclass of Font, say
    FunGlobal(Symbol("BRUSHFOCUS"), Obj("BRUSH", &fonts), GlobalPut());
    EXPECT_FALSE(FunGlobal(Symbol("EDITFONT"), Usual(), GlobalKill()).IsNil());
    EXPECT_EQ(fonts, 1);
    FunGlobal(Symbol("MYFONT"), Usual(), GlobalKill());
    EXPECT_EQ(others, 0);
    EXPECT_TRUE(GetGlobal(Symbol("MYFONT")).IsNil());
    EXPECT_TRUE(FunGlobal(Symbol("NIE"), Usual(), GlobalKill()).IsNil());
    EXPECT_FALSE(GetGlobal(Symbol("BRUSHFOCUS")).IsNil());
    AxitGlobal();
    EXPECT_EQ(fonts, 2);
    EXPECT_TRUE(GetGlobal(Symbol("BRUSHFOCUS")).IsNil());
}

TEST_F(FunGlobalTest, KillAndAxitGiveBackTheHandlesOfRealFontsAndBrushes) {
    auto font = std::make_shared<Font>(8, "MS Sans Serif");
    auto brush = std::make_shared<Brush>(Color(255, 255, 192));
    auto kept = std::make_shared<Brush>(Color(0, 0, 255));
    const HFONT hFont = font->Handle();
    const HBRUSH hBrush = brush->Handle();
    ASSERT_NE(GetObjectType(hFont), 0u);
    ASSERT_NE(GetObjectType(hBrush), 0u);
    FunGlobal(Symbol("EDITFONT"), Usual(std::shared_ptr<Object>(font)), GlobalPut());
    FunGlobal(Symbol("BRUSHFOCUS"), Usual(std::shared_ptr<Object>(brush)), GlobalPut());
    FunGlobal(Symbol("BRUSHNOTFOCUS"), Usual(std::shared_ptr<Object>(kept)), GlobalPut());

    // KILL destroys the font before it leaves the store, though the caller
    // still holds the object.
    const Usual old = FunGlobal(Symbol("EDITFONT"), Usual(), GlobalKill());
    EXPECT_EQ(old.AsObject().get(), font.get());
    EXPECT_EQ(GetObjectType(hFont), 0u);
    EXPECT_TRUE(GetGlobal(Symbol("EDITFONT")).IsNil());
    EXPECT_NE(GetObjectType(hBrush), 0u);

    FunGlobal(Symbol("BRUSHFOCUS"), Usual(), GlobalKill());
    EXPECT_EQ(GetObjectType(hBrush), 0u);
    EXPECT_EQ(brush->Handle(), nullptr);

    // The release of the whole store gives back what is left.
    const HBRUSH hKept = kept->Handle();
    ASSERT_NE(GetObjectType(hKept), 0u);
    AxitGlobal();
    EXPECT_EQ(GetObjectType(hKept), 0u);
}

TEST_F(FunGlobalTest, IsInstanceInListComparesTheOwnClassOnly) {
    int n = 0;
    EXPECT_TRUE(IsInstanceInList(Obj("BRUSH", &n), {Symbol("FONT"), Symbol("BRUSH")}));
    EXPECT_FALSE(IsInstanceInList(Obj("BRUSHEX", &n), {Symbol("FONT"), Symbol("BRUSH")}));
    EXPECT_FALSE(IsInstanceInList(Usual(std::string("BRUSH")), {Symbol("BRUSH")}));
}

TEST(GetSetGlobal, NilReadsAnyOtherValueStores) {
    const Symbol p("PATH_TEST");
    EXPECT_TRUE(GetSetGlobal(p).IsNil());
    EXPECT_EQ(GetSetGlobal(p, Usual(std::string("C:\\KP\\"))), Usual(std::string("C:\\KP\\")));
    EXPECT_EQ(GetSetGlobal(p, Usual(std::string("D:\\"))), Usual(std::string("D:\\")));
    EXPECT_EQ(GetSetGlobal(p, Usual()), Usual(std::string("D:\\")));
    // Independent of the global store.
    EXPECT_TRUE(GetGlobal(p).IsNil());
}

}  // namespace
}  // namespace kp
