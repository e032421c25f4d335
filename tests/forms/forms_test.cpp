// The form base: placement, the valid flag, closing, registration with the
// owner and the binding of controls to the fields of the server.
#include <gtest/gtest.h>

#include "forms/dtaWindow.h"
#include "platform/gui/app.h"
#include "platform/gui/controls.h"

namespace kp {
namespace {

TEST(Center2Origin, LowResolutionRule) {
    // 600 pixels or less: at the top, one pixel below the screen's edge
    // (library origins are lower-left, y up).
    EXPECT_EQ(Center2Origin(Dimension(1024, 600), Dimension(400, 300)), Point(312, 299));
    EXPECT_EQ(Center2Origin(Dimension(1024, 601), Dimension(400, 300)), Point(312, 150));
    EXPECT_EQ(Center2Origin(Dimension(1024, 768), Dimension(401, 301)), Point(311, 233));
    // Too large: the left edge and the caption stay on the screen.
    EXPECT_EQ(Center2Origin(Dimension(800, 600), Dimension(900, 700)), Point(0, -100));
    EXPECT_EQ(Center2Origin(Dimension(800, 700), Dimension(900, 800)), Point(0, -100));
}

TEST(BoundHyperLabel, ControlKeepsItsOwnDescriptionAndHelp) {
    FieldSpec spec(Symbol("NNAME"), 'C', 30, 0);
    HyperLabelData d = spec.HyperLabel();
    d.caption = "Nachname";
    d.description = "Nachname des Kunden";
    d.helpContext = "KUNDE";
    spec.SetHyperLabel(d);

    auto own = BoundHyperLabel(HyperLabel("NNAME", "x", "Eigene Beschreibung"), spec);
    ASSERT_TRUE(own);
    EXPECT_EQ(own->Description(), "Eigene Beschreibung");
    EXPECT_EQ(own->HelpContext(), "KUNDE");
    EXPECT_EQ(own->Caption(), "Nachname");

    EXPECT_FALSE(BoundHyperLabel(HyperLabel("NNAME"), FieldSpec(Symbol("NNAME"), 'C', 1, 0)));
}

class Shell : public Window, public ChildRegistry {
  public:
    void RegisterChild(Window* w) override { children.push_back(w); }
    void UnRegisterChild(Window* w) override { std::erase(children, w); }
    std::vector<Window*> children;
};

class TestForm : public DtaWindow {
  public:
    explicit TestForm(Window* owner) : DtaWindow(owner, ResourceID("testForm")) {
        edit = std::make_unique<SingleLineEdit>(this, ResourceID(101));
        edit->HyperLabel(kp::HyperLabel("NNAME", "Name", "Eigene Beschreibung"));
        text = std::make_unique<FixedText>(this, ResourceID(102));
        text->HyperLabel(kp::HyperLabel("ANDERES"));
    }
    std::unique_ptr<SingleLineEdit> edit;
    std::unique_ptr<FixedText> text;
};

class StubServer : public DataServer {
  public:
    std::vector<std::pair<Symbol, FieldSpec>> FieldSpecs() const override {
        FieldSpec spec(Symbol("NNAME"), 'C', 30, 0);
        HyperLabelData d = spec.HyperLabel();
        d.description = "Feldbeschreibung";
        d.helpContext = "HILFE";
        spec.SetHyperLabel(d);
        return {{Symbol("NNAME"), spec}};
    }
};

class FormTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitGuiLibrary(); }
};

UINT CloseState(HWND hwnd) {
    return GetMenuState(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED;
}

class AbstractForm : public DtaAbstract {
  public:
    AbstractForm() : DtaAbstract(nullptr, ResourceID("testForm")) {}
};

TEST_F(FormTest, ValidGreysTheCloseEntryAndForbidsClosing) {
    AbstractForm form;
    EXPECT_TRUE(form.Valid());
    form.Valid(false);
    EXPECT_NE(CloseState(form.Handle()), 0u);
    EXPECT_FALSE(form.EndWindow(true));
    EXPECT_TRUE(IsWindow(form.Handle()));
    form.Valid(true);
    EXPECT_EQ(CloseState(form.Handle()), 0u);
    EXPECT_TRUE(form.EndWindow(true));
    EXPECT_FALSE(form.IsAlive());
}

TEST_F(FormTest, MenuInitKeepsTheCloseEntryInStepWithValid) {
    TestForm form(nullptr);
    form.Valid(false);
    // Something else enables the entry again; opening the menu greys it.
    EnableMenuItem(GetSystemMenu(form.Handle(), FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    SendMessageW(form.Handle(), WM_INITMENU,
                 reinterpret_cast<WPARAM>(GetSystemMenu(form.Handle(), FALSE)), 0);
    EXPECT_NE(CloseState(form.Handle()), 0u);
}

TEST_F(FormTest, DtaWindowAlwaysClosesAndHidesFirst) {
    TestForm form(nullptr);
    form.Show();
    form.Valid(false);
    Event e(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form.QueryClose(e));
    EXPECT_FALSE(form.IsVisible());
}

TEST_F(FormTest, SetNonResizeSwitchesBorderAndMaximiseBox) {
    TestForm form(nullptr);
    const Dimension client = form.CanvasSize();
    form.SetNonResize();
    LONG_PTR style = GetWindowLongPtrW(form.Handle(), GWL_STYLE);
    EXPECT_EQ(style & WS_THICKFRAME, 0);
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);
    form.SetNonResize(true);
    style = GetWindowLongPtrW(form.Handle(), GWL_STYLE);
    EXPECT_NE(style & WS_THICKFRAME, 0);
    EXPECT_NE(style & WS_MAXIMIZEBOX, 0);
    EXPECT_EQ(form.CanvasSize(), client);
}

TEST_F(FormTest, RegistersWithTheOwnerUntilDestroyed) {
    Shell shell;
    {
        TestForm form(&shell);
        EXPECT_EQ(shell.children, std::vector<Window*>{&form});
        form.Destroy();
        EXPECT_TRUE(shell.children.empty());
    }
    { TestForm form(&shell); }
    EXPECT_TRUE(shell.children.empty());
}

TEST_F(FormTest, ShowBindsControlsToTheServersFields) {
    TestForm form(nullptr);
    form.Server(std::make_shared<StubServer>());
    form.Show();
    ASSERT_NE(form.edit->FieldSpec(), nullptr);
    EXPECT_EQ(form.edit->FieldSpec()->Name(), Symbol("NNAME"));
    EXPECT_EQ(form.edit->HyperLabel().Description(), "Eigene Beschreibung");
    EXPECT_EQ(form.edit->HyperLabel().HelpContext(), "HILFE");
    EXPECT_EQ(form.text->FieldSpec(), nullptr);
    EXPECT_TRUE(form.IsVisible());
}

}  // namespace
}  // namespace kp
