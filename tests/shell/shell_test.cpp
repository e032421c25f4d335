// The shell menu as the resource and the registration give it, the shell's
// settings, and the shell window's services to the forms it opens.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/funGlobal.h"
#include "app/funVelto.h"
#include "app/menShell_layout.h"
#include "platform/gui/app.h"
#include "platform/gui/boxes.h"
#include "platform/runtime/utf8.h"
#include "shell/KpShell.h"
#include "shell/ShellSettings.h"

namespace kp {
namespace {

std::string MenuText(HMENU menu, int id, UINT flag = MF_BYCOMMAND) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(id), text, 256, flag);
    return WideToUtf8(text);
}

// The command an accelerator key gives, as the message loop translates it.
int AcceleratedCommand(HACCEL accel, WORD vk, bool ctrl, bool alt) {
    const int n = CopyAcceleratorTableW(accel, nullptr, 0);
    std::vector<ACCEL> entries(static_cast<size_t>(n));
    CopyAcceleratorTableW(accel, entries.data(), n);
    for (const ACCEL& a : entries) {
        if (a.key == vk && (a.fVirt & FVIRTKEY) && !!(a.fVirt & FCONTROL) == ctrl &&
            !!(a.fVirt & FALT) == alt && !(a.fVirt & FSHIFT))
            return a.cmd;
    }
    return 0;
}

TEST(MenShellLayout, ItemsCaptionsCommandsAndHelpTexts) {
    MenShellLayout menu;
    HMENU bar = menu.Handle();
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    EXPECT_EQ(MenuText(bar, 0, MF_BYPOSITION), "&Datei");
    EXPECT_EQ(MenuText(bar, 1, MF_BYPOSITION), "&Hilfe");
    HMENU datei = GetSubMenu(bar, 0);
    // Fourteen items and five separators, in the order of the suite's shell.
    EXPECT_EQ(GetMenuItemCount(datei), 19);
    EXPECT_EQ(MenuText(bar, 24562), "&Datei öffnen \tSTRG+D");
    EXPECT_EQ(MenuText(bar, 24580), "&Ende\tALT+F4");
    EXPECT_EQ(MenuText(bar, 24572), "Schnellsuche\tF2");
    EXPECT_EQ(MenuText(bar, 32031), "&Über...");
    EXPECT_TRUE(GetMenuState(datei, 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(datei, 3), 24565u);

    // Registration: names and help texts with their blanks.
    EXPECT_EQ(menu.NameSym(24562), Symbol("DATEIOEFFNEN"));
    EXPECT_EQ(menu.HyperLabel(24562)->Description(), "Öffnen eines DataWindows  *.dbf");
    EXPECT_EQ(menu.HyperLabel(32031)->Description(), "Nähere Informationen zur Applikation ");
    EXPECT_EQ(menu.HyperLabel(24565)->Caption(), "S&tart ");
    EXPECT_EQ(menu.HyperLabel(24563)->Description(), "");
    EXPECT_EQ(menu.NameSym(24561), Symbol("FILE"));
    EXPECT_EQ(menu.NameSym(24581), Symbol("HELP"));
    EXPECT_EQ(menu.ItemID(Symbol("HILFEUEBER")), 32031);
    int registered = 0;
    for (const MenShellItem& item : MenShellItems())
        registered += menu.NameSym(item.id) == Symbol(item.command) ? 1 : 0;
    EXPECT_EQ(registered, 18);
}

TEST(MenShellLayout, AcceleratorsGiveTheirCommands) {
    MenShellLayout menu;
    ASSERT_TRUE(menu.Accelerator());
    HACCEL accel = menu.Accelerator()->Handle();
    EXPECT_EQ(CopyAcceleratorTableW(accel, nullptr, 0), 9);
    // F2 has no help text, yet its command is the quick search.
    const int f2 = AcceleratedCommand(accel, VK_F2, false, false);
    EXPECT_EQ(f2, 24572);
    EXPECT_EQ(menu.NameSym(f2), Symbol("DATEISCHNELLSUCHE"));
    EXPECT_EQ(menu.NameSym(AcceleratedCommand(accel, 'D', true, false)), Symbol("DATEIOEFFNEN"));
    EXPECT_EQ(menu.NameSym(AcceleratedCommand(accel, VK_F3, false, false)),
              Symbol("DATEIADRESSEN"));
    EXPECT_EQ(menu.NameSym(AcceleratedCommand(accel, VK_F4, false, true)), Symbol("DATEIENDE"));
    EXPECT_EQ(menu.NameSym(AcceleratedCommand(accel, VK_F1, false, false)), Symbol("HILFEINDEX"));
    EXPECT_EQ(AcceleratedCommand(accel, VK_F4, false, false), 0);
}

TEST(ShellSettings, DataPathsAndTheSharedValues) {
    EXPECT_EQ(ResolveDataPath("C:\\kp\\", "Daten"), "C:\\kp\\Daten\\");
    EXPECT_EQ(ResolveDataPath("C:\\kp\\", "D:\\Buero\\"), "D:\\Buero\\");
    EXPECT_EQ(ResolveDataPath("C:\\kp\\", "\\\\server\\daten"), "\\\\server\\daten\\");
    EXPECT_EQ(ResolveDataPath("C:\\kp\\", ""), "C:\\kp\\");

    const auto dir = std::filesystem::temp_directory_path() / "kpshell-settings";
    std::filesystem::create_directories(dir);
    {
        std::ofstream ini(dir / "KpShell.ini", std::ios::binary);
        ini << "[Pfade]\r\nDaten=Daten\r\n[Dokumente]\r\nUrsprung=Zentrale\r\n"
               "Aufruf=K100001\r\nNameNeu=K100001\r\nVersandarten=Brief, Fax ,E-Mail\r\n";
    }
    const std::string programDir = WideToUtf8(dir.wstring()) + "\\";
    ShellSettings s = LoadShellSettings(programDir);
    EXPECT_EQ(s.dataPath, programDir + "Daten\\");
    EXPECT_EQ(s.dataPath2, s.dataPath);  // no second path: the first
    EXPECT_EQ(s.versandArten, (std::vector<std::string>{"Brief", "Fax", "E-Mail"}));
    EXPECT_TRUE(s.versSparten.empty());

    PublishShellSettings(s);
    EXPECT_EQ(GetSetGlobal(Symbol("PATH")).AsString(), s.dataPath);
    EXPECT_EQ(GetSetGlobal(Symbol("PATH2")).AsString(), s.dataPath);
    EXPECT_EQ(GetSetGlobal(Symbol("DURSPRUNG")).AsString(), "Zentrale");
    EXPECT_EQ(GetSetGlobal(Symbol("DOKAUFRUF")).AsString(), "K100001");
    EXPECT_EQ(GetSetGlobal(Symbol("DOKNAMENEU")).AsString(), "K100001");
    ASSERT_TRUE(GetSetGlobal(Symbol("VERSANDART")).IsArray());
    EXPECT_EQ(GetSetGlobal(Symbol("VERSANDART")).AsArray()->size(), 3u);
    EXPECT_EQ(GetSetGlobal(Symbol("VERSSPARTE")).AsArray()->size(), 0u);
    std::filesystem::remove_all(dir);
}

TEST(KpShell, ItemsNotBuiltAreGreyAndChildrenRegister) {
    ShellSettings settings;
    settings.dataPath = "C:\\nirgends\\";
    KpShell shell(settings);
    HMENU bar = shell.Menu()->Handle();
    EXPECT_TRUE(GetMenuState(bar, 24568, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(bar, 24565, MF_BYCOMMAND) & MF_GRAYED);
    for (int built : {24563, 24572, 24575, 24576, 24578, 32031})
        EXPECT_FALSE(GetMenuState(bar, built, MF_BYCOMMAND) & MF_GRAYED) << built;
    EXPECT_FALSE(GetMenuState(bar, 24580, MF_BYCOMMAND) & MF_GRAYED);
    ASSERT_NE(shell.StatusBar(), nullptr);

    // Every command of an enabled item reaches a method of the shell.
    for (const MenShellItem& item : MenShellItems()) {
        if (item.popupPosition >= 0 ||
            (GetMenuState(bar, static_cast<UINT>(item.id), MF_BYCOMMAND) & MF_GRAYED))
            continue;
        EXPECT_TRUE(shell.HasMethod(Symbol(item.command))) << item.command;
    }

    Window child(&shell);
    shell.RegisterChild(&child);
    shell.RegisterChild(&child);
    EXPECT_EQ(shell.Children().size(), 1u);
    shell.UnRegisterChild(&child);
    EXPECT_TRUE(shell.Children().empty());
}

// Answers boxes without a screen and remembers them.
class RecordingPresenter : public Presenter {
  public:
    int ShowMessage(HWND, const std::string& caption, const std::string& text, UINT) override {
        boxes.emplace_back(caption, text);
        return BOXREPLYOKAY;
    }
    bool ShowFileDialog(FileDialogRequest&) override { return false; }
    std::vector<std::pair<std::string, std::string>> boxes;
};

// A shell whose boxes are recorded instead of shown.
struct ShellWithBoxes {
    RecordingPresenter presenter;
    ScopedPresenter scoped{presenter};
    ShellSettings settings;
    KpShell shell{settings};
};

TEST(KpShell, HelpIndexAndAnInvalidFormKeepTheShellOpen) {
    ShellWithBoxes s;
    s.shell.HILFEINDEX();
    ASSERT_EQ(s.presenter.boxes.size(), 1u);
    EXPECT_EQ(s.presenter.boxes[0].first, "Hilfe");
    EXPECT_NE(s.presenter.boxes[0].second.find("F3"), std::string::npos);

    // A registered form whose valid flag is false refuses the shell's end.
    DtaAbstract form(&s.shell, ResourceID("dtaStart_layout"));
    s.shell.RegisterChild(&form);
    form.Valid(false);
    Event close(s.shell.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(s.shell.QueryClose(close));
    ASSERT_EQ(s.presenter.boxes.size(), 2u);
    EXPECT_NE(s.presenter.boxes[1].second.find("nicht gespeicherte"), std::string::npos);
    form.Valid(true);
    EXPECT_TRUE(s.shell.QueryClose(close));
    s.shell.UnRegisterChild(&form);
}

TEST(KpShell, PrinterSetupWithoutAPrinterTellsTheUser) {
    ShellWithBoxes s;
    s.shell.OpenPrinterSetup(nullptr);
    ASSERT_EQ(s.presenter.boxes.size(), 1u);
    EXPECT_EQ(s.presenter.boxes[0].first, "KONTORPLUS");
    EXPECT_NE(s.presenter.boxes[0].second.find("kein Drucker"), std::string::npos);
    // A printer without a setup dialog of its own: nothing to tell.
    s.shell.OpenPrinterSetup(MemoryPrinterLink(8.27, 11.69));
    EXPECT_EQ(s.presenter.boxes.size(), 1u);
}

TEST(KpShell, HelpIndexNamesEveryCommandOnLinesThatFitTheBox) {
    ShellWithBoxes s;
    s.shell.HILFEINDEX();
    ASSERT_EQ(s.presenter.boxes.size(), 1u);
    const std::string text = s.presenter.boxes[0].second;
    for (const char* line :
         {"Strg+D\tDatei öffnen", "–\tStart", "F3\tInteressenten und Kunden", "F5\tGesellschaften",
          "F7\tTerminkalender", "–\tVermittler", "–\tVerträge erfassen", "F2\tSchnellsuche",
          "F9\tEinstellungen", "–\tDrucker-Einstellung...", "F12\tReorganisation", "Alt+F4\tEnde",
          "F1\tIndex", "–\tÜber..."})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_NE(text.find("Datenexport Betreuer (noch nicht verfügbar)"), std::string::npos);
    // Short lines: the box does not break them.
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find("\r\n", start), text.size());
        EXPECT_LE(Utf8Length(text.substr(start, end - start)), 80u)
            << text.substr(start, end - start);
        start = end + 2;
    }
}

}  // namespace
}  // namespace kp
