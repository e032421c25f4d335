// The message loop, dialogs, menus and the presenter of message boxes and
// file dialogs.
#include <gtest/gtest.h>

#include "tests/gui/test_forms.h"
#include "tests/gui/test_ids.h"

namespace kp::test {
namespace {

// Ends a hanging message loop, so that a broken loop fails instead of
// blocking the test run.
class LoopGuard {
  public:
    LoopGuard() : timer_(SetTimer(nullptr, 0, 10000, &Fire)) { fired() = false; }
    ~LoopGuard() { KillTimer(nullptr, timer_); }
    bool Fired() const { return fired(); }

  private:
    static bool& fired() {
        static bool f = false;
        return f;
    }
    static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD) {
        fired() = true;
        PostQuitMessage(99);
    }
    UINT_PTR timer_;
};

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestTitel::Register();
        ASSERT_EQ(TopWindowCount(), 0);
    }
    static void Pump() { ApplicationExec(EXECWHILEEVENT); }
    App app;
};

TEST_F(AppTest, ExecEndsWhenTheLastTopWindowIsClosed) {
    TestForm first;
    TestForm second;
    first.Show();
    second.Show();
    EXPECT_EQ(TopWindowCount(), 2);
    PostMessageW(first.Handle(), WM_CLOSE, 0, 0);
    PostMessageW(second.Handle(), WM_CLOSE, 0, 0);
    LoopGuard guard;
    app.Exec();
    EXPECT_FALSE(guard.Fired());
    EXPECT_FALSE(first.IsAlive());
    EXPECT_FALSE(second.IsAlive());
    EXPECT_EQ(TopWindowCount(), 0);
}

TEST_F(AppTest, QuitEndsExecWhileWindowsAreOpen) {
    TestForm form;
    form.Show();
    app.Quit();
    LoopGuard guard;
    app.Exec();
    EXPECT_FALSE(guard.Fired());
    EXPECT_TRUE(form.IsAlive());
}

TEST_F(AppTest, WhileEventsModeProcessesWhatIsPendingAndKeepsAQuitForTheLoop) {
    TestForm form;
    const HWND ok = form.TestFormLayout::PshOK->Handle();
    PostMessageW(form.CanvasHandle(), WM_COMMAND, MAKEWPARAM(ID_PSHOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(ok));
    ApplicationExec(EXECWHILEEVENT);
    EXPECT_EQ(form.okCalls, 1);

    app.Quit();
    ApplicationExec(EXECWHILEEVENT);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(AppTest, ModalDialogRunsUntilEndDialogWithItsOwnerDisabled) {
    TestForm form;
    form.Show();
    TestDialog dlg(&form, true);
    ASSERT_TRUE(dlg.IsAlive());
    EXPECT_FALSE(IsWindowVisible(dlg.Handle()));  // hidden until shown
    EXPECT_EQ(dlg.Controls().size(), 2u);
    PostMessageW(dlg.PshDlgOKButton->Handle(), BM_CLICK, 0, 0);
    LoopGuard guard;
    dlg.Show();
    EXPECT_FALSE(guard.Fired());
    EXPECT_EQ(dlg.Result(), 7);
    EXPECT_FALSE(dlg.ownerWasEnabled);
    EXPECT_TRUE(IsWindowEnabled(form.Handle()));
    EXPECT_FALSE(dlg.IsAlive());

    // Escape closes it as the close box does, with result 0.
    TestDialog esc(&form, true);
    PostMessageW(esc.SleText->Handle(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    esc.Show();
    EXPECT_FALSE(guard.Fired());
    EXPECT_EQ(esc.Result(), 0);
    EXPECT_FALSE(esc.IsAlive());
    EXPECT_TRUE(IsWindowEnabled(form.Handle()));
}

TEST_F(AppTest, ModelessDialogShowsAndReturns) {
    TestForm form;
    form.Show();
    TestDialog dlg(&form, false);
    dlg.Show();
    EXPECT_TRUE(IsWindowVisible(dlg.Handle()));
    EXPECT_TRUE(IsWindowEnabled(form.Handle()));
    SendMessageW(dlg.PshDlgOKButton->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(dlg.Result(), 7);
    EXPECT_FALSE(dlg.IsAlive());
}

TEST_F(AppTest, MenuCommandsAndAcceleratorsCallTheMethodOfTheItemsName) {
    TestForm form;
    auto menu = std::make_shared<Menu>(ResourceID("testMenu"));
    menu->RegisterItem(ID_MENU_NEU, HyperLabel("Neu", "&Neu", "Ein neues Dokument"));
    menu->RegisterItem(ID_MENU_OHNE, HyperLabel("OhneMethode", "&Ohne Methode"));
    menu->Accelerator(std::make_shared<Accelerator>(ResourceID("testMenu")));
    EXPECT_EQ(menu->NameSym(ID_MENU_NEU), Symbol("NEU"));
    EXPECT_EQ(menu->ItemID(Symbol("neu")), ID_MENU_NEU);
    EXPECT_TRUE(menu->NameSym(ID_MENU_ENDE).IsNull());

    form.Menu(menu);
    EXPECT_EQ(GetMenu(form.Handle()), menu->Handle());
    // The menu bar does not take room from the form.
    RECT du{0, 0, 200, 120};
    MapDialogRect(form.CanvasHandle(), &du);
    EXPECT_EQ(form.CanvasSize(), Dimension(du.right, du.bottom));

    SendMessageW(form.Handle(), WM_COMMAND, ID_MENU_NEU, 0);
    EXPECT_EQ(form.neuCalls, 1);
    EXPECT_TRUE(form.menuCommands.empty());
    SendMessageW(form.Handle(), WM_COMMAND, ID_MENU_OHNE, 0);
    SendMessageW(form.Handle(), WM_COMMAND, ID_MENU_ENDE, 0);
    ASSERT_EQ(form.menuCommands.size(), 2u);
    EXPECT_EQ(form.menuCommands[0], std::make_pair(ID_MENU_OHNE, Symbol("OhneMethode")));
    EXPECT_EQ(form.menuCommands[1], std::make_pair(ID_MENU_ENDE, Symbol()));

    // F5 in the form's edit is the accelerator of "Neu".
    form.Show();
    form.SleName->SetFocus();
    PostMessageW(form.SleName->Handle(), WM_KEYDOWN, VK_F5, 0x003F0001);
    Pump();
    EXPECT_EQ(form.neuCalls, 2);

    // The menu outlives the window: Windows must not have destroyed it.
    form.Destroy();
    EXPECT_TRUE(IsMenu(menu->Handle()));
}

TEST_F(AppTest, ShellWindowHoldsItsChildrenAndFormsAsMdiChildren) {
    ShellWindow shell;
    auto shellMenu = std::make_shared<Menu>(ResourceID("testMenu"));
    shell.Menu(shellMenu);
    ChildAppWindow child(&shell, true);
    TestForm form(&shell);
    EXPECT_TRUE(child.IsManaged());
    for (const Window* w :
         {static_cast<const Window*>(&child), static_cast<const Window*>(&form)}) {
        EXPECT_EQ(GetParent(w->Handle()), shell.MdiClient());
        EXPECT_TRUE(GetWindowLongPtrW(w->Handle(), GWL_EXSTYLE) & WS_EX_MDICHILD);
    }
    EXPECT_EQ(TopWindowCount(), 1);
    shell.Show();
    child.Show();
    form.Show();
    Pump();

    // A child's menu shows in the shell while the child is active.
    auto childMenu = std::make_shared<Menu>(ResourceID("testMenu"));
    child.Menu(childMenu);
    SendMessageW(shell.MdiClient(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child.Handle()), 0);
    EXPECT_EQ(shell.ActiveChild(), &child);
    EXPECT_EQ(GetMenu(shell.Handle()), childMenu->Handle());
    SendMessageW(shell.MdiClient(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(form.Handle()), 0);
    EXPECT_EQ(GetMenu(shell.Handle()), shellMenu->Handle());

    // Menu commands of the active child's menu reach the child.
    auto formMenu = std::make_shared<Menu>(ResourceID("testMenu"));
    formMenu->RegisterItem(ID_MENU_NEU, HyperLabel("Neu"));
    form.Menu(formMenu);
    SendMessageW(shell.Handle(), WM_COMMAND, ID_MENU_NEU, 0);
    EXPECT_EQ(form.neuCalls, 1);
}

class FakePresenter : public Presenter {
  public:
    int ShowMessage(HWND owner, const std::string& caption, const std::string& text,
                    UINT type) override {
        boxes.push_back({owner, caption, text, type});
        return answer;
    }
    bool ShowFileDialog(FileDialogRequest& request) override {
        files.push_back(request);
        if (!choose.empty())
            request.fileName = choose;
        request.chosen = {choose};
        return !choose.empty();
    }
    struct Box {
        HWND owner;
        std::string caption, text;
        UINT type;
    };
    std::vector<Box> boxes;
    std::vector<FileDialogRequest> files;
    int answer = BOXREPLYOKAY;
    std::string choose;
};

TEST_F(AppTest, BoxesAndFileDialogsGoThroughThePresenter) {
    TestForm form;
    FakePresenter fake;
    {
        ScopedPresenter scope(fake);
        EXPECT_EQ(&CurrentPresenter(), &fake);
        InfoBox info(&form, "Hinweis",
                     "Die Umstellung der Versicherungssteueranpassungen\r\n"
                     "wurde erfolgreich durchgeführt!");
        EXPECT_EQ(info.Show(), BOXREPLYOKAY);
        fake.answer = BOXREPLYNO;
        EXPECT_EQ(TextBox(&form, "KONTORPLUS", "Speichern?", MB_YESNO | MB_ICONQUESTION).Show(),
                  BOXREPLYNO);
        WarningBox(nullptr, "KONTORPLUS", "Achtung").Show();
        ErrorBox(&form, "Fehler", "Datei fehlt").Show();
        ASSERT_EQ(fake.boxes.size(), 4u);
        EXPECT_EQ(fake.boxes[0].owner, form.Handle());
        EXPECT_EQ(fake.boxes[0].caption, "Hinweis");
        EXPECT_NE(fake.boxes[0].text.find("durchgeführt!"), std::string::npos);
        EXPECT_EQ(fake.boxes[0].type, UINT(MB_OK | MB_ICONINFORMATION));
        EXPECT_EQ(fake.boxes[1].type, UINT(MB_YESNO | MB_ICONQUESTION));
        EXPECT_EQ(fake.boxes[2].owner, nullptr);
        EXPECT_EQ(fake.boxes[2].type, UINT(MB_OK | MB_ICONWARNING));
        EXPECT_EQ(fake.boxes[3].type, UINT(MB_OK | MB_ICONERROR));

        OpenDialog open(&form, "*.rtf");
        open.SetFilter({"*.rtf", "*.*"}, {"RTF-Dateien", "Alle Dateien"}, 2);
        open.InitialDirectory("C:\\Texte\\Kunden");
        EXPECT_FALSE(open.Show());  // cancelled
        fake.choose = "C:\\Texte\\Kunden\\Brief 1.rtf";
        SaveAsDialog save(&form, "Brief 1.rtf");
        EXPECT_TRUE(save.Show());
        EXPECT_EQ(save.FileName(), fake.choose);
        ASSERT_EQ(fake.files.size(), 2u);
        EXPECT_FALSE(fake.files[0].save);
        EXPECT_EQ(fake.files[0].owner, form.Handle());
        EXPECT_EQ(fake.files[0].fileName, "*.rtf");
        EXPECT_EQ(fake.files[0].initialFolder, "C:\\Texte\\Kunden");
        EXPECT_EQ(fake.files[0].filterIndex, 2);
        ASSERT_EQ(fake.files[0].filters.size(), 2u);
        EXPECT_EQ(fake.files[0].filters[1],
                  std::make_pair(std::string("Alle Dateien"), std::string("*.*")));
        EXPECT_TRUE(fake.files[1].save);
        EXPECT_EQ(fake.files[1].fileName, "Brief 1.rtf");
    }
    EXPECT_NE(&CurrentPresenter(), &fake);
}

}  // namespace
}  // namespace kp::test
