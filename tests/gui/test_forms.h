#pragma once
// Forms of the GUI library's tests, written the way the system writes its
// forms: a layout class that builds the controls of a dialog resource by id,
// and a behaviour class with the handlers, called by name.
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/gui.h"

namespace kp::test {

// A custom control that paints a two-colour bar with its title, like the
// system's title controls. Counts its paints and mouse clicks.
class TestTitel : public CustomControl {
  public:
    TestTitel(Window* owner, const ResourceID& id) : CustomControl(owner, id) {}
    static void Register();

    void Expose(ExposeEvent& e) override;
    void MouseButtonDown(MouseEvent& e) override;

    std::string Titel = "Titel";
    int exposes = 0;
    std::vector<Point> clicks;
};

// An edit that sees every message: it counts key downs and keeps the
// letter 'x' from the control.
class SleFilter : public SingleLineEdit {
  public:
    SleFilter(Window* owner, const ResourceID& id) : SingleLineEdit(owner, id) {}
    LRESULT Dispatch(Event& e) override;
    void __Scatter() override { ++scatters; }

    std::vector<WPARAM> keyDowns;
    int scatters = 0;
};

class TestFormLayout : public DataWindow {
  public:
    explicit TestFormLayout(Window* owner);

    std::unique_ptr<PushButton> PshOK;
    std::unique_ptr<PushButton> PshRechnen;
    std::unique_ptr<SleFilter> SleName;
    std::unique_ptr<TestTitel> ccTitel;
    std::unique_ptr<FixedText> TxtLabel;
    std::unique_ptr<PushButton> PshOhne;
    std::shared_ptr<kp::Font> boldFont;
    std::shared_ptr<Brush> editBrush;
};

class TestForm : public TestFormLayout {
  public:
    explicit TestForm(Window* owner = nullptr) : TestFormLayout(owner) {}

    void PshOK() { ++okCalls; }
    void PshRechnen();
    void Neu() { ++neuCalls; }  // the menu item ID_MENU_NEU
    void ButtonClick(ControlEvent& e) override;
    void MenuCommand(MenuCommandEvent& e) override;
    void EditFocusChange(EditFocusChangeEvent& e) override;
    Method FindMethod(Symbol name) override;

    int okCalls = 0;
    int rechnenCalls = 0;
    int rechnenFinished = 0;
    int neuCalls = 0;
    std::vector<int> buttonClicks;
    std::vector<std::pair<int, Symbol>> menuCommands;
    std::vector<std::pair<bool, Symbol>> editFocus;
    bool raiseInRechnen = false;
    bool throwInRechnen = false;
};

// A modal dialog whose OK button ends it with result 7.
class TestDialog : public DialogWindow {
  public:
    TestDialog(Window* owner, bool modal);
    void PshDlgOK();
    Method FindMethod(Symbol name) override;

    std::unique_ptr<PushButton> PshDlgOKButton;
    std::unique_ptr<SingleLineEdit> SleText;
    bool ownerWasEnabled = true;
};

// One of each control type, for looking at and for the control tests.
class DemoFormLayout : public DataWindow {
  public:
    explicit DemoFormLayout(Window* owner);

    std::unique_ptr<TestTitel> ccTitel;
    std::unique_ptr<FixedText> TxtName;
    std::unique_ptr<SingleLineEdit> SleName;
    std::unique_ptr<FixedText> TxtBeitrag;
    std::unique_ptr<SingleLineEdit> SleBeitrag;
    std::unique_ptr<GroupBox> GrpSparte;
    std::unique_ptr<RadioButton> RdbHausrat;
    std::unique_ptr<RadioButton> RdbWohn;
    std::unique_ptr<CheckBox> ChkAktiv;
    std::unique_ptr<MultiLineEdit> MleNotiz;
    std::unique_ptr<ListBox> LstOrt;
    std::unique_ptr<ComboBox> CmbArt;
    std::unique_ptr<FixedIcon> IcoApp;
    std::unique_ptr<ProgressBar> Balken;
    std::unique_ptr<PushButton> PshAnpassen;
    std::unique_ptr<PushButton> PshSchliessen;
    std::shared_ptr<kp::Font> boldFont;
    std::unique_ptr<kp::StatusBar> statusBar;
};

class DemoForm : public DemoFormLayout {
  public:
    explicit DemoForm(Window* owner = nullptr);
    void PshAnpassen();
    void PshSchliessen();
    Method FindMethod(Symbol name) override;
};

}  // namespace kp::test
