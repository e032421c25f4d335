// Forms built from dialog resources: binding, named calls, dispatch,
// painting, coordinates, state, colours, recovery and handle ownership.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/runtime/error.h"
#include "tests/gui/test_forms.h"
#include "tests/gui/test_ids.h"

namespace kp::test {
namespace {

class FormTest : public ::testing::Test {
  protected:
    void SetUp() override { TestTitel::Register(); }
    static void Pump() { ApplicationExec(EXECWHILEEVENT); }
    static HWND Surface(const DataWindow& form) { return form.CanvasHandle(); }
};

TEST_F(FormTest, ControlsAreBoundByResourceIdInCreationOrder) {
    TestForm form;
    const HWND surface = Surface(form);
    ASSERT_TRUE(surface);
    const std::vector<std::pair<Control*, int>> expected = {
        {form.TestFormLayout::PshOK.get(), ID_PSHOK},
        {form.TestFormLayout::PshRechnen.get(), ID_PSHRECHNEN},
        {form.SleName.get(), ID_SLENAME},
        {form.ccTitel.get(), ID_CCTITEL},
        {form.TxtLabel.get(), ID_TXTLABEL},
        {form.PshOhne.get(), ID_PSHOHNE}};
    ASSERT_EQ(form.Controls().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto [control, id] = expected[i];
        EXPECT_EQ(form.Controls()[i], control) << i;
        EXPECT_EQ(control->Handle(), GetDlgItem(surface, id)) << id;
        EXPECT_EQ(GetObjectByHandle(control->Handle()), control) << id;
        EXPECT_EQ(control->ControlID(), id);
        EXPECT_EQ(control->Owner(), &form);
    }
    EXPECT_EQ(form.TestFormLayout::PshOK->NameSym(), Symbol("PSHOK"));
    EXPECT_EQ(form.Caption(), "Testformular");
    EXPECT_EQ(form.__GetFormSurface()->Handle(), surface);
    // The frame holds the surface, and the surface's events are the form's.
    EXPECT_EQ(form.FormFrame(), &form);
    EXPECT_EQ(form.Surface()->Handle(), surface);
    EXPECT_EQ(form.Surface()->Form(), &form);
    EXPECT_EQ(GetParent(surface), form.FormFrame()->Handle());
}

TEST_F(FormTest, MissingControlOrFormIsARunTimeError) {
    std::vector<std::string> errors;
    auto old = ErrorBlock([&](std::shared_ptr<Error> e) -> Usual {
        errors.push_back(e->Description);
        return Usual(false);
    });
    {
        TestForm form;
        PushButton missing(&form, ResourceID(999));
        EXPECT_FALSE(missing.IsAlive());
        DataWindow none(nullptr, ResourceID("noSuchForm"));
        EXPECT_TRUE(none.IsAlive());  // an empty form stands in
    }
    ErrorBlock(old);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].find("#999"), std::string::npos);
    EXPECT_NE(errors[1].find("noSuchForm"), std::string::npos);
}

TEST_F(FormTest, ClientAreaIsTheDialogResourceInPixelsAndFrameStylesKeepIt) {
    TestForm form;
    RECT du{0, 0, 200, 120};
    ASSERT_TRUE(MapDialogRect(Surface(form), &du));
    auto client = [&] {
        RECT rc{};
        GetClientRect(form.Handle(), &rc);
        return Dimension(rc.right, rc.bottom);
    };
    EXPECT_EQ(client(), Dimension(du.right, du.bottom));
    EXPECT_EQ(form.CanvasSize(), Dimension(du.right, du.bottom));

    form.EnableBorder(WINDOWNONSIZINGBORDER);
    form.EnableMaxBox(false);
    const LONG_PTR style = GetWindowLongPtrW(form.Handle(), GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_EQ(client(), Dimension(du.right, du.bottom));
    form.EnableBorder(WINDOWSIZINGBORDER);
    EXPECT_TRUE(GetWindowLongPtrW(form.Handle(), GWL_STYLE) & WS_THICKFRAME);
    EXPECT_EQ(client(), Dimension(du.right, du.bottom));
}

TEST_F(FormTest, ButtonClickCallsTheOwnersMethodOfTheButtonsName) {
    TestForm form;
    form.Show();
    Pump();
    SendMessageW(form.TestFormLayout::PshOK->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form.okCalls, 1);
    SendMessageW(form.TestFormLayout::PshRechnen->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form.rechnenCalls, 1);
    EXPECT_TRUE(form.buttonClicks.empty());
    // Without a method of its name the click is a ButtonClick event.
    SendMessageW(form.PshOhne->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form.buttonClicks, std::vector<int>{ID_PSHOHNE});
    EXPECT_EQ(form.okCalls, 1);
    EXPECT_TRUE(form.HasMethod(Symbol("pshrechnen")));
    EXPECT_FALSE(form.HasMethod(Symbol("PshOhne")));
}

TEST_F(FormTest, EditMessagesReachDispatchAndHandledOnesStayFromTheControl) {
    TestForm form;
    form.Show();
    Pump();
    const HWND edit = form.SleName->Handle();
    SendMessageW(edit, WM_KEYDOWN, 'A', 0x001E0001);
    for (wchar_t c : {L'a', L'x', L'b'})
        SendMessageW(edit, WM_CHAR, c, 1);
    EXPECT_EQ(form.SleName->TextValue(), "ab");
    ASSERT_FALSE(form.SleName->keyDowns.empty());
    EXPECT_EQ(form.SleName->keyDowns.front(), WPARAM('A'));

    // Keys from the queue pass the form's dialog navigation and still reach
    // the control's Dispatch.
    form.SleName->SetFocus();
    PostMessageW(edit, WM_KEYDOWN, VK_HOME, 0x00470001);
    PostMessageW(edit, WM_CHAR, 'x', 1);
    PostMessageW(edit, WM_CHAR, 'c', 1);
    Pump();
    EXPECT_EQ(form.SleName->keyDowns.back(), WPARAM(VK_HOME));
    EXPECT_EQ(form.SleName->TextValue(), "cab");
}

TEST_F(FormTest, CustomControlFromTheResourcePaintsThroughExpose) {
    TestForm form;
    form.Show();
    UpdateWindow(form.Handle());
    Pump();
    TestTitel& titel = *form.ccTitel;
    EXPECT_GT(titel.exposes, 0);
    {
        ClientDC dc(titel.Handle());
        EXPECT_EQ(GetPixel(dc.Handle(), 1, 1), RGB(32, 64, 128));
    }
    const int before = titel.exposes;
    form.RepaintBoundingBox(BoundingBox(titel.Origin(), titel.Size()));
    Pump();
    EXPECT_GT(titel.exposes, before);

    // Mouse positions are the library's: the lower-left pixel is (0, 0).
    RECT rc{};
    GetClientRect(titel.Handle(), &rc);
    SendMessageW(titel.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, rc.bottom - 1));
    SendMessageW(titel.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 0));
    ASSERT_EQ(titel.clicks.size(), 2u);
    EXPECT_EQ(titel.clicks[0], Point(0, 0));
    EXPECT_EQ(titel.clicks[1], Point(5, rc.bottom - 1));
}

TEST_F(FormTest, OriginsAreInLibraryCoordinatesBothWays) {
    TestForm form;
    const HWND surface = Surface(form);
    RECT client{};
    GetClientRect(surface, &client);
    auto rectInSurface = [&](HWND h) {
        RECT r{};
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, surface, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    Control& ok = *form.TestFormLayout::PshOK;
    RECT r = rectInSurface(ok.Handle());
    EXPECT_EQ(ok.Origin(), Point(r.left, client.bottom - r.bottom));
    EXPECT_EQ(ok.Size(), Dimension(r.right - r.left, r.bottom - r.top));

    // A control at the owner's lower-left corner has origin (0, 0).
    ok.Origin(Point(0, 0));
    r = rectInSurface(ok.Handle());
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.bottom, client.bottom);
    EXPECT_EQ(ok.Origin(), Point(0, 0));

    // A top window measures against the screen, from its foot.
    form.Origin(Point(10, 20));
    RECT w{};
    GetWindowRect(form.Handle(), &w);
    EXPECT_EQ(w.left, 10);
    EXPECT_EQ(w.bottom, GetSystemMetrics(SM_CYSCREEN) - 20);
    EXPECT_EQ(form.Origin(), Point(10, 20));

    // An owned window measures against its owner's canvas.
    TestDialog dlg(&form, false);
    dlg.Origin(Point(0, 0));
    RECT d{};
    GetWindowRect(dlg.Handle(), &d);
    POINT lowerLeft{0, client.bottom};
    ClientToScreen(surface, &lowerLeft);
    EXPECT_EQ(d.left, lowerLeft.x);
    EXPECT_EQ(d.bottom, lowerLeft.y);
}

TEST_F(FormTest, ShowStatesEnablingAndCaptionsReachTheWindows) {
    TestForm form;
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    form.Show();
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    form.Show(SHOWMINIMIZED);
    EXPECT_TRUE(IsIconic(form.Handle()));
    form.Show(SHOWZOOMED);
    EXPECT_TRUE(IsZoomed(form.Handle()));
    form.Show(SHOWNORMAL);
    EXPECT_FALSE(IsIconic(form.Handle()) || IsZoomed(form.Handle()));

    Control& label = *form.TxtLabel;
    label.Hide();
    EXPECT_FALSE(IsWindowVisible(label.Handle()));
    label.Show();
    EXPECT_TRUE(IsWindowVisible(label.Handle()));

    Control& ok = *form.TestFormLayout::PshOK;
    ok.Disable();
    EXPECT_FALSE(IsWindowEnabled(ok.Handle()));
    ok.Enable();
    EXPECT_TRUE(IsWindowEnabled(ok.Handle()));

    wchar_t text[64] = {};
    ok.Caption("&Fertig");
    GetWindowTextW(ok.Handle(), text, 64);
    EXPECT_STREQ(text, L"&Fertig");
    form.Caption("Übersicht für Jürgen");
    GetWindowTextW(form.Handle(), text, 64);
    EXPECT_STREQ(text, L"\u00dcbersicht f\u00fcr J\u00fcrgen");
    EXPECT_EQ(form.Caption(), "Übersicht für Jürgen");

    form.Hide();
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
}

TEST_F(FormTest, FocusChangesReachTheOwnerAndCurrentControl) {
    TestForm form;
    form.Show();
    Pump();
    form.SleName->SetFocus();
    EXPECT_EQ(GetFocus(), form.SleName->Handle());
    EXPECT_EQ(form.CurrentControl(), form.SleName.get());
    ASSERT_FALSE(form.editFocus.empty());
    EXPECT_EQ(form.editFocus.back(), std::make_pair(true, Symbol("SleName")));
    form.TestFormLayout::PshOK->SetFocus();
    EXPECT_EQ(form.editFocus.back(), std::make_pair(false, Symbol("SleName")));
    EXPECT_EQ(form.CurrentControl(), form.TestFormLayout::PshOK.get());
}

TEST_F(FormTest, ControlColoursAnswerTheirOwnersColourRequest) {
    TestForm form;
    const HWND edit = form.SleName->Handle();
    ClientDC dc(edit);
    const LRESULT brush =
        SendMessageW(Surface(form), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.Handle()),
                     reinterpret_cast<LPARAM>(edit));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), form.editBrush->Handle());
    EXPECT_EQ(GetBkColor(dc.Handle()), RGB(255, 255, 192));
    form.TxtLabel->TextColor(Color(200, 0, 0));
    SendMessageW(Surface(form), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Handle()),
                 reinterpret_cast<LPARAM>(form.TxtLabel->Handle()));
    EXPECT_EQ(GetTextColor(dc.Handle()), RGB(200, 0, 0));
}

TEST_F(FormTest, AFailedHandlerAbandonsOnlyItsEvent) {
    std::vector<std::string> errors;
    auto old = ErrorBlock([&](std::shared_ptr<Error> e) -> Usual {
        errors.push_back(e->Description);
        Break(Usual(std::shared_ptr<Object>(e)));
    });
    TestForm form;
    form.Show();
    const HWND button = form.TestFormLayout::PshRechnen->Handle();
    form.raiseInRechnen = true;
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(form.rechnenCalls, 1);
    EXPECT_EQ(form.rechnenFinished, 0);
    // A C++ exception is a run-time error too; "break" abandons the event.
    form.raiseInRechnen = false;
    form.throwInRechnen = true;
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(form.rechnenFinished, 0);
    form.throwInRechnen = false;
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(form.rechnenCalls, 3);
    EXPECT_EQ(form.rechnenFinished, 1);
    EXPECT_TRUE(IsWindow(form.Handle()));
    // The button is not left pushed or captured.
    EXPECT_EQ(GetCapture(), nullptr);
    ErrorBlock(old);
    EXPECT_EQ(errors,
              (std::vector<std::string>{
                  "test failure",
                  "Bei der Verarbeitung einer Eingabe ist ein Programmfehler aufgetreten: boom"}));
}

TEST_F(FormTest, DestroyingAFormGivesBackEveryHandle) {
    const HandleCounts start = LiveHandles();
    auto same = [&](const HandleCounts& now) {
        EXPECT_EQ(now.gdi, start.gdi);
        EXPECT_EQ(now.icon, start.icon);
        EXPECT_EQ(now.menu, start.menu);
        EXPECT_EQ(now.accelerator, start.accelerator);
        EXPECT_EQ(now.window, start.window);
    };
    HWND frame = nullptr;
    {
        TestForm form;
        form.Show();
        auto menu = std::make_shared<Menu>(ResourceID("testMenu"));
        menu->Accelerator(std::make_shared<Accelerator>(ResourceID("testMenu")));
        form.Menu(menu);
        Pump();
        frame = form.Handle();
        // A font changed while a control draws with it stays valid for that
        // control until the font object goes.
        const auto shown =
            reinterpret_cast<HGDIOBJ>(SendMessageW(form.TxtLabel->Handle(), WM_GETFONT, 0, 0));
        form.boldFont->Bold(false);
        EXPECT_NE(form.boldFont->Handle(), shown);
        EXPECT_EQ(GetObjectType(shown), DWORD(OBJ_FONT));
        const HandleCounts busy = LiveHandles();
        EXPECT_GE(busy.gdi, start.gdi + 2);  // bold font, edit brush
        EXPECT_GE(busy.window, start.window + 8);
        EXPECT_EQ(busy.menu, start.menu + 1);
    }
    EXPECT_FALSE(IsWindow(frame));
    same(LiveHandles());
    {
        // Closed by the user first, the object goes later.
        DemoForm form;
        form.Show();
        Pump();
        PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
        Pump();
        EXPECT_FALSE(form.IsAlive());
        EXPECT_FALSE(form.ccTitel->IsAlive());
    }
    same(LiveHandles());
}

TEST_F(FormTest, ControlsMadeAnewJoinTheFormAndGoWithTheirObjects) {
    TestForm form;
    const size_t before = form.Controls().size();
    auto button =
        std::make_unique<PushButton>(&form, 300, Point(10, 10), Dimension(60, 20), "&Neu");
    auto custom = std::make_unique<CustomControl>(&form, 301, Point(0, 0), Dimension(30, 30));
    ASSERT_EQ(form.Controls().size(), before + 2);
    EXPECT_EQ(form.Controls().back(), custom.get());
    EXPECT_EQ(GetDlgItem(form.CanvasHandle(), 300), button->Handle());
    EXPECT_EQ(button->Origin(), Point(10, 10));
    EXPECT_EQ(button->Size(), Dimension(60, 20));
    EXPECT_EQ(button->Caption(), "&Neu");
    // It speaks in the form's font and sits in the form's tab order.
    EXPECT_EQ(SendMessageW(button->Handle(), WM_GETFONT, 0, 0),
              SendMessageW(form.CanvasHandle(), WM_GETFONT, 0, 0));
    // A custom control made anew is bound through the library's own class.
    EXPECT_EQ(GetObjectByHandle(custom->Handle()), custom.get());
    EXPECT_EQ(custom->Origin(), Point(0, 0));

    const HWND made = button->Handle();
    button.reset();
    EXPECT_FALSE(IsWindow(made));
    EXPECT_EQ(form.Controls().size(), before + 1);
    // A control of the resource belongs to its dialog: only the object goes.
    const HWND label = form.TxtLabel->Handle();
    form.TxtLabel.reset();
    EXPECT_TRUE(IsWindow(label));
    EXPECT_EQ(GetObjectByHandle(label), nullptr);
    SendMessageW(label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"still here"));
}

TEST_F(FormTest, TabMovesTheFocusThroughTheFormsControls) {
    TestForm form;
    form.Show();
    Pump();
    form.SleName->SetFocus();
    PostMessageW(form.SleName->Handle(), WM_KEYDOWN, VK_TAB, 0x000F0001);
    Pump();
    EXPECT_EQ(GetFocus(), form.PshOhne->Handle());
    EXPECT_EQ(form.CurrentControl(), form.PshOhne.get());
}

TEST_F(FormTest, SubFormsLiveInTheirOwnersCanvas) {
    TestForm form;
    {
        DataWindow sub(&form, ResourceID("testForm"), true);
        EXPECT_TRUE(sub.IsSubForm());
        EXPECT_EQ(form.SubForms(), std::vector<DataWindow*>{&sub});
        EXPECT_EQ(GetParent(sub.Handle()), form.CanvasHandle());
        EXPECT_TRUE(GetWindowLongPtrW(sub.Handle(), GWL_STYLE) & WS_CHILD);
        EXPECT_EQ(TopWindowCount(), 1);
        sub.Origin(Point(0, 0));
        EXPECT_EQ(sub.Origin(), Point(0, 0));
    }
    EXPECT_TRUE(form.SubForms().empty());
}

class FakeServer : public DataServer {
  public:
    std::vector<std::pair<Symbol, FieldSpec>> FieldSpecs() const override { return {}; }
};

TEST_F(FormTest, AttachedServerNotifiesTheFormAndIsLetGoWithIt) {
    auto server = std::make_shared<FakeServer>();
    {
        TestForm form;
        form.Server(server);
        EXPECT_EQ(form.Server(), server.get());
        server->Notify(NOTIFYFILECHANGE);
        EXPECT_EQ(form.SleName->scatters, 1);
        server->Notify(NOTIFYCLOSE);
        EXPECT_EQ(form.SleName->scatters, 1);
    }
    EXPECT_EQ(server.use_count(), 1);
    server->Notify(NOTIFYFILECHANGE);  // no client is left to hear it
}

TEST_F(FormTest, DemoFormHoldsOneOfEachControlType) {
    DemoForm form;
    form.Show();
    Pump();
    EXPECT_EQ(form.Controls().size(), 16u);
    EXPECT_EQ(form.Caption(), "KONTORPLUS Steuerelemente");

    // Edits: a numeric field shows its value with the field's decimals and
    // reads the user's text back as a number.
    EXPECT_EQ(form.SleName->TextValue(), "Müller, Jürgen");
    EXPECT_EQ(form.SleBeitrag->TextValue(), "116.15");
    EXPECT_DOUBLE_EQ(form.SleBeitrag->Value().AsFloat(), 116.15);
    form.SleBeitrag->ValueChanged(false);
    form.SleBeitrag->Selection(Selection(0, -1));
    form.SleBeitrag->Paste("17.5");
    EXPECT_TRUE(form.SleBeitrag->Modified());
    EXPECT_TRUE(form.SleBeitrag->ValueChanged());
    form.SleBeitrag->__Update();
    EXPECT_DOUBLE_EQ(form.SleBeitrag->Value().AsFloat(), 17.5);
    EXPECT_FALSE(form.SleBeitrag->Modified());
    EXPECT_EQ(form.MleNotiz->LineCount(), 2);

    // Buttons.
    EXPECT_TRUE(form.ChkAktiv->Value().AsLogic());
    form.ChkAktiv->ValueChanged(false);
    SendMessageW(form.ChkAktiv->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(form.ChkAktiv->Checked());
    EXPECT_TRUE(form.ChkAktiv->ValueChanged());
    SendMessageW(form.RdbWohn->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(form.RdbWohn->Pressed());
    EXPECT_FALSE(form.RdbHausrat->Pressed());

    // Lists: 1-based item numbers, values or texts.
    EXPECT_EQ(form.LstOrt->ItemCount(), 4);
    EXPECT_EQ(form.LstOrt->CurrentItemNo(), 2);
    EXPECT_EQ(form.LstOrt->Value(), Usual("Köln"));
    EXPECT_EQ(form.LstOrt->FindItem("München"), 3);
    form.LstOrt->Value(Usual("Hamburg"));
    EXPECT_EQ(form.LstOrt->CurrentItemNo(), 4);
    EXPECT_TRUE(form.LstOrt->DeleteItem(1));
    EXPECT_EQ(form.LstOrt->GetItem(1), "Köln");
    EXPECT_EQ(form.CmbArt->Value(), Usual(1));
    form.CmbArt->Value(Usual(2));
    EXPECT_EQ(form.CmbArt->CurrentItem(), "Hausrat");

    // Progress, icon, status bar.
    EXPECT_EQ(form.Balken->Range(), Range(0, 100));
    EXPECT_EQ(form.Balken->Position(), 60);
    SendMessageW(form.DemoFormLayout::PshAnpassen->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form.Balken->Position(), 70);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(form.IcoApp->Handle(), STM_GETICON, 0, 0)),
              form.IcoApp->Icon()->Handle());
    EXPECT_EQ(form.statusBar->GetText(), "Bereit");
    RECT du{0, 0, 260, 172};
    MapDialogRect(form.CanvasHandle(), &du);
    RECT client{};
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.bottom, du.bottom + form.statusBar->Height());
    EXPECT_EQ(form.CanvasSize(), Dimension(du.right, du.bottom));
}

}  // namespace
}  // namespace kp::test
