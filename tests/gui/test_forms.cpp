#include "tests/gui/test_forms.h"

#include <stdexcept>

#include "platform/runtime/error.h"
#include "platform/runtime/utf8.h"
#include "tests/gui/test_ids.h"

namespace kp::test {

// ---------------------------------------------------------------- title

void TestTitel::Register() {
    CustomControl::RegisterWindowClass(KP_TEST_TITLE_CLASS);
}

void TestTitel::Expose(ExposeEvent& e) {
    ++exposes;
    PaintDC dc(e.Handle());
    RECT rc{};
    GetClientRect(e.Handle(), &rc);
    // Two bands, dark to light, and the title on them.
    const int half = rc.right / 2;
    GdiHandle<HBRUSH> dark(CreateSolidBrush(RGB(32, 64, 128)));
    GdiHandle<HBRUSH> light(CreateSolidBrush(RGB(128, 160, 208)));
    RECT left{0, 0, half, rc.bottom};
    RECT right{half, 0, rc.right, rc.bottom};
    FillRect(dc.Handle(), &left, dark.Get());
    FillRect(dc.Handle(), &right, light.Get());
    kp::Font face(12, "Arial");
    face.Bold(true);
    SelectedObject font(dc.Handle(), face.Handle());
    SetBkMode(dc.Handle(), TRANSPARENT);
    SetTextColor(dc.Handle(), RGB(250, 250, 250));
    RECT text = rc;
    text.left = 6;
    const std::wstring w = Utf8ToWide(Titel);
    DrawTextW(dc.Handle(), w.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

void TestTitel::MouseButtonDown(MouseEvent& e) {
    clicks.push_back(e.Position());
    CustomControl::MouseButtonDown(e);
}

// ---------------------------------------------------------------- edit filter

LRESULT SleFilter::Dispatch(Event& e) {
    if (e.Message() == WM_KEYDOWN)
        keyDowns.push_back(e.wParam());
    if (e.Message() == WM_CHAR && e.wParam() == 'x')
        return 1;  // handled: the edit never sees it
    return SingleLineEdit::Dispatch(e);
}

// ---------------------------------------------------------------- test form

TestFormLayout::TestFormLayout(Window* owner) : DataWindow(owner, ResourceID("testForm")) {
    PshOK = std::make_unique<PushButton>(this, ResourceID(ID_PSHOK));
    PshOK->HyperLabel(kp::HyperLabel("PshOK", "&OK"));
    PshRechnen = std::make_unique<PushButton>(this, ResourceID(ID_PSHRECHNEN));
    PshRechnen->HyperLabel(kp::HyperLabel("PshRechnen", "&Rechnen"));
    SleName = std::make_unique<SleFilter>(this, ResourceID(ID_SLENAME));
    SleName->HyperLabel(kp::HyperLabel("SleName", "", "Name des Kunden"));
    ccTitel = std::make_unique<TestTitel>(this, ResourceID(ID_CCTITEL));
    ccTitel->HyperLabel(kp::HyperLabel("ccTitel"));
    TxtLabel = std::make_unique<FixedText>(this, ResourceID(ID_TXTLABEL));
    TxtLabel->HyperLabel(kp::HyperLabel("TxtLabel", "Bezeichnung"));
    PshOhne = std::make_unique<PushButton>(this, ResourceID(ID_PSHOHNE));
    PshOhne->HyperLabel(kp::HyperLabel("PshOhne", "Ohne"));

    boldFont = std::make_shared<kp::Font>(8, "MS Sans Serif");
    boldFont->Bold(true);
    TxtLabel->Font(boldFont);
    editBrush = std::make_shared<Brush>(Color(255, 255, 192));
    SleName->Background(editBrush);

    Caption("Testformular");
    HyperLabel(kp::HyperLabel("testForm", "Testformular"));
}

void TestForm::PshRechnen() {
    ++rechnenCalls;
    if (raiseInRechnen) {
        auto err = std::make_shared<Error>();
        err->Description = "test failure";
        Raise(err);
    }
    if (throwInRechnen)
        throw std::runtime_error("boom");
    ++rechnenFinished;
}

void TestForm::ButtonClick(ControlEvent& e) {
    buttonClicks.push_back(e.ControlID());
    TestFormLayout::ButtonClick(e);
}

void TestForm::MenuCommand(MenuCommandEvent& e) {
    menuCommands.emplace_back(e.ItemID(), e.NameSym());
    TestFormLayout::MenuCommand(e);
}

void TestForm::EditFocusChange(EditFocusChangeEvent& e) {
    editFocus.emplace_back(e.GotFocus(), e.HyperLabel().NameSym());
    TestFormLayout::EditFocusChange(e);
}

Method TestForm::FindMethod(Symbol name) {
    static const MethodTable<TestForm> methods{
        {"PshOK", &TestForm::PshOK},
        {"PshRechnen", &TestForm::PshRechnen},
        {"Neu", &TestForm::Neu},
    };
    if (Method m = methods.Bind(this, name))
        return m;
    return TestFormLayout::FindMethod(name);
}

// ---------------------------------------------------------------- dialog

TestDialog::TestDialog(Window* owner, bool modal)
    : DialogWindow(owner, ResourceID("testDialog"), modal) {
    SleText = std::make_unique<SingleLineEdit>(this, ResourceID(ID_DLG_TEXT));
    PshDlgOKButton = std::make_unique<PushButton>(this, ResourceID(ID_DLG_OK));
    PshDlgOKButton->HyperLabel(kp::HyperLabel("PshDlgOK", "OK"));
}

void TestDialog::PshDlgOK() {
    HWND owner = GetWindow(Handle(), GW_OWNER);
    ownerWasEnabled = owner && IsWindowEnabled(owner);
    EndDialog(7);
}

Method TestDialog::FindMethod(Symbol name) {
    static const MethodTable<TestDialog> methods{{"PshDlgOK", &TestDialog::PshDlgOK}};
    if (Method m = methods.Bind(this, name))
        return m;
    return DialogWindow::FindMethod(name);
}

// ---------------------------------------------------------------- demo form

DemoFormLayout::DemoFormLayout(Window* owner) : DataWindow(owner, ResourceID("demoForm")) {
    ccTitel = std::make_unique<TestTitel>(this, ResourceID(ID_DEMO_TITEL));
    TxtName = std::make_unique<FixedText>(this, ResourceID(ID_DEMO_TXTNAME));
    SleName = std::make_unique<SingleLineEdit>(this, ResourceID(ID_DEMO_SLENAME));
    TxtBeitrag = std::make_unique<FixedText>(this, ResourceID(ID_DEMO_TXTBETRAG));
    SleBeitrag = std::make_unique<SingleLineEdit>(this, ResourceID(ID_DEMO_SLEBETRAG));
    GrpSparte = std::make_unique<GroupBox>(this, ResourceID(ID_DEMO_GRPSPARTE));
    RdbHausrat = std::make_unique<RadioButton>(this, ResourceID(ID_DEMO_RDBHAUSRAT));
    RdbWohn = std::make_unique<RadioButton>(this, ResourceID(ID_DEMO_RDBWOHN));
    ChkAktiv = std::make_unique<CheckBox>(this, ResourceID(ID_DEMO_CHKAKTIV));
    MleNotiz = std::make_unique<MultiLineEdit>(this, ResourceID(ID_DEMO_MLENOTIZ));
    LstOrt = std::make_unique<ListBox>(this, ResourceID(ID_DEMO_LSTORT));
    CmbArt = std::make_unique<ComboBox>(this, ResourceID(ID_DEMO_CMBART));
    IcoApp = std::make_unique<FixedIcon>(this, ResourceID(ID_DEMO_ICON));
    Balken = std::make_unique<ProgressBar>(this, ResourceID(ID_DEMO_BALKEN));
    PshAnpassen = std::make_unique<PushButton>(this, ResourceID(ID_DEMO_PSHANPASSEN));
    PshAnpassen->HyperLabel(kp::HyperLabel("PshAnpassen", "&Anpassen"));
    PshSchliessen = std::make_unique<PushButton>(this, ResourceID(ID_DEMO_PSHSCHLIESSEN));
    PshSchliessen->HyperLabel(kp::HyperLabel("PshSchliessen", "&Schliessen"));

    boldFont = std::make_shared<kp::Font>(8, "MS Sans Serif");
    boldFont->Bold(true);
    GrpSparte->Font(boldFont);
    TxtName->Font(boldFont);
    TxtBeitrag->Font(boldFont);
    statusBar = std::make_unique<kp::StatusBar>(this);

    Icon(std::make_shared<kp::Icon>(ResourceID(IDI_TEST)));
    IconSm(std::make_shared<kp::Icon>(ResourceID(IDI_TEST), true));
}

DemoForm::DemoForm(Window* owner) : DemoFormLayout(owner) {
    ccTitel->Titel = "Versicherungssteuer 2010";
    SleName->TextValue("Müller, Jürgen");
    SleBeitrag->FieldSpec(kp::FieldSpec(Symbol("BEITRAG"), 'N', 10, 2));
    SleBeitrag->Value(Usual(116.15));
    RdbHausrat->Pressed(true);
    ChkAktiv->Checked(true);
    MleNotiz->TextValue("Erste Zeile\r\nZweite Zeile");
    LstOrt->FillUsing(std::vector<std::string>{"Berlin", "Köln", "München", "Hamburg"});
    LstOrt->CurrentItemNo(2);
    CmbArt->FillUsing(std::vector<std::pair<std::string, Usual>>{{"Wohngebäude", Usual(1)},
                                                                 {"Hausrat", Usual(2)}});
    CmbArt->CurrentItemNo(1);
    IcoApp->Icon(std::make_shared<kp::Icon>(ResourceID(IDI_TEST)));
    Balken->Range(kp::Range(0, 100));
    Balken->Position(60);
    statusBar->ControlText("Bereit");
}

void DemoForm::PshAnpassen() {
    Balken->Advance(10);
}

void DemoForm::PshSchliessen() {
    EndWindow();
}

Method DemoForm::FindMethod(Symbol name) {
    static const MethodTable<DemoForm> methods{
        {"PshAnpassen", &DemoForm::PshAnpassen},
        {"PshSchliessen", &DemoForm::PshSchliessen},
    };
    if (Method m = methods.Bind(this, name))
        return m;
    return DemoFormLayout::FindMethod(name);
}

}  // namespace kp::test
