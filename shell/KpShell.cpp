#include "shell/KpShell.h"

#include <algorithm>
#include <optional>

#include "app/dtaStart.h"
#include "app/funVelto.h"
#include "app/menShell_layout.h"
#include "platform/data/dbserver.h"
#include "platform/gui/app.h"
#include "platform/gui/boxes.h"
#include "platform/gui/helpdisplay.h"
#include "platform/gui/tablewindow.h"
#include "platform/runtime/strings.h"
#include "shell/ShellDialogs.h"
#include "shell/ShellEingabe.h"
#include "shell/ShellForms.h"
#include "shell/SuiteIndexes.h"
#include "wordpad/DokName.h"
#include "wordpad/KpWordPad.h"

namespace kp {

namespace {

// Posted to itself after a child is gone: its object is deleted outside the
// child's own message handling.
constexpr UINT kReapMessage = WM_APP + 0x4B50;
// Posted after a form opened: the keyboard goes to its first field once
// the activation of the new MDI child is over (it gives the frame the focus).
constexpr UINT kFocusFormMessage = WM_APP + 0x4B51;

// The table file a window shows, in capitals; "" without one.
std::string TablePathOf(const DataWindow& window) {
    auto* db = dynamic_cast<DBServer*>(window.Server());
    return db && db->Used() ? Upper(db->FullPath()) : std::string();
}

// Did the user type something in the form that is not saved yet?
bool HasTypedChanges(const DataWindow& form) {
    for (const Control* c : form.Controls())
        if (c->ValueChanged() || c->Modified())
            return true;
    for (const DataWindow* sub : form.SubForms())
        if (HasTypedChanges(*sub))
            return true;
    return false;
}

// Items whose windows are not part of this program yet: they stay grey
// rather than answering with a box.
constexpr int kNotYetBuilt[] = {24568, 24573};

}  // namespace

KpShell::KpShell(ShellSettings settings) : ShellWindow(nullptr), settings_(std::move(settings)) {
    Caption("KONTORPLUS");
    auto menu = std::make_shared<MenShellLayout>();
    for (int id : kNotYetBuilt)
        menu->DisableItem(id);
    AddInputFormItem(*menu);
    Menu(menu);
    statusBar_ = std::make_unique<kp::StatusBar>(this);
    StatusBar(statusBar_.get());
    Size(Dimension(900, 640));

    auto help = std::make_shared<kp::HelpDisplay>(this);
    help->Topic("Index", ShellHelpText(menu->Handle()));
    HelpDisplay(help);
}

KpShell::~KpShell() {
    // Forms go before the frame that holds them.
    owned_.clear();
}

Symbol KpShell::ClassName() const {
    static const Symbol name("KPSHELL");
    return name;
}

Method KpShell::FindMethod(Symbol name) {
    static const MethodTable<KpShell> methods{
        {"DATEIOEFFNEN", &KpShell::DATEIOEFFNEN},
        {"DATEISTART", &KpShell::DATEISTART},
        {"DATEIADRESSEN", &KpShell::DATEIADRESSEN},
        {"DATEIGESELLSCHAFTEN", &KpShell::DATEIGESELLSCHAFTEN},
        {"DATEIVERMITTLER", &KpShell::DATEIVERMITTLER},
        {"DATEIENDE", &KpShell::DATEIENDE},
        {"HILFEINDEX", &KpShell::HILFEINDEX},
        {"DATEISCHNELLSUCHE", &KpShell::DATEISCHNELLSUCHE},
        {"DATEIEINSTELLUNGEN", &KpShell::DATEIEINSTELLUNGEN},
        {"DATEIREORGANISATION", &KpShell::DATEIREORGANISATION},
        {"HILFEUEBER", &KpShell::HILFEUEBER},
        {"DATEIVERTRAEGE", &KpShell::DATEIVERTRAEGE},
        {"DATEITERMIN", &KpShell::DATEITERMIN},
        {"DATEIPRINTERSETUP", &KpShell::DATEIPRINTERSETUP},
        {"DATEI_DATEI_NEU", &KpShell::DateiNeu},
        {"DateiNeu", &KpShell::DateiNeu},
        {"DateiRtfOeffnen", &KpShell::DateiRtfOeffnen},
    };
    if (Method m = methods.Bind(this, name))
        return m;
    return ShellWindow::FindMethod(name);
}

void KpShell::RegisterChild(Window* child) {
    if (std::find(children_.begin(), children_.end(), child) == children_.end())
        children_.push_back(child);
}

void KpShell::UnRegisterChild(Window* child) {
    std::erase(children_, child);
    if (Handle())
        PostMessageW(Handle(), kReapMessage, 0, 0);
}

void KpShell::Reap() {
    std::erase_if(owned_, [](const std::unique_ptr<Window>& w) { return !w->IsAlive(); });
}

LRESULT KpShell::Dispatch(Event& e) {
    if (e.Message() == kReapMessage) {
        Reap();
        return 1;
    }
    if (e.Message() == kFocusFormMessage) {
        const auto form = reinterpret_cast<HWND>(e.wParam());
        if (auto* w = dynamic_cast<DataWindow*>(ActiveChild()); w && w->Handle() == form)
            w->FocusFirstField();
        return 1;
    }
    // Back from another program: the form in front may show a record that
    // program changed.
    if (e.Message() == WM_ACTIVATE && e.Handle() == Handle() && LOWORD(e.wParam()) != WA_INACTIVE &&
        !HIWORD(e.wParam()))
        ChildActivated(ActiveChild());
    return ShellWindow::Dispatch(e);
}

namespace {

// A word pad as the shell's end asks it.
class LetterClosing : public UnsavedWork {
  public:
    explicit LetterClosing(KpWordPad& pad) : pad_(pad) {}
    bool AgreeToClose() override { return pad_.AgreeToClose(); }
    void CloseCancelled() override { pad_.CloseCancelled(); }

  private:
    KpWordPad& pad_;
};

}  // namespace

bool KpShell::QueryClose(Event& e) {
    if (!AskEveryWindow())
        return false;
    ReleaseLetters(e);
    return true;
}

bool KpShell::QueryEndSession(Event&) {
    return AskEveryWindow();
}

void KpShell::EndSession(Event& e, bool ending) {
    if (ending) {
        ReleaseLetters(e);
        ShellWindow::EndSession(e, true);
        return;
    }
    // Another program kept the session: what was agreed is taken back.
    for (Window* child : std::vector<Window*>(children_)) {
        if (!child->IsAlive())
            continue;
        if (auto* pad = dynamic_cast<KpWordPad*>(child))
            pad->CloseCancelled();
        else if (auto* work = dynamic_cast<UnsavedWork*>(child))
            work->CloseCancelled();
    }
}

void KpShell::ReleaseLetters(Event& e) {
    for (Window* child : std::vector<Window*>(children_))
        if (auto* pad = dynamic_cast<KpWordPad*>(child); pad && pad->IsAlive())
            pad->QueryClose(e);
}

bool KpShell::AskEveryWindow() {
    const std::vector<Window*> children(children_);
    // A form that can only refuse (its valid flag is false, and it has no
    // question of its own) keeps the shell open before anything is asked.
    for (Window* child : children) {
        auto* form = dynamic_cast<DtaAbstract*>(child);
        if (form && form->IsAlive() && !form->Valid() && !dynamic_cast<UnsavedWork*>(child)) {
            form->Show();
            CurrentPresenter().ShowMessage(
                Handle(), "KONTORPLUS",
                "Das Formular „" + form->Caption() +
                    "“ enthält noch nicht gespeicherte Änderungen.\r\n"
                    "Bitte zuerst speichern oder die Änderungen verwerfen.",
                MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
    }
    // Every letter and form with changes is asked before any window closes:
    // an "Abbrechen" anywhere leaves all of them open as they were.
    std::vector<std::unique_ptr<LetterClosing>> letters;
    std::vector<UnsavedWork*> agreed;
    for (Window* child : children) {
        if (!child->IsAlive())
            continue;
        UnsavedWork* work = dynamic_cast<UnsavedWork*>(child);
        if (auto* pad = dynamic_cast<KpWordPad*>(child))
            work = letters.emplace_back(std::make_unique<LetterClosing>(*pad)).get();
        if (!work)
            continue;
        if (!work->AgreeToClose()) {
            for (UnsavedWork* w : agreed)
                w->CloseCancelled();
            BringForward(*child);
            return false;
        }
        agreed.push_back(work);
    }
    return true;
}

void KpShell::BringForward(Window& child) {
    // Not Show: a form's Show reads its record again, over what was typed.
    HWND h = child.Handle();
    if (MdiClient() && GetParent(h) == MdiClient())
        SendMessageW(MdiClient(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(h), 0);
    else
        BringWindowToTop(h);
}

void KpShell::Close(Event& e) {
    // Forms first, so that each gives back its table before the frame goes.
    for (auto& w : owned_)
        if (w->IsAlive())
            w->Destroy();
    ShellWindow::Close(e);
}

void KpShell::DATEIOEFFNEN() {
    // Read-only in the browse view; the grid's own menu allows changes,
    // which keep every index of the table right (a table outside the
    // suite's list stays read-only).
    if (auto window = OpenTableWindowAsk(this, settings_.dataPath, &SuiteTableIndexes))
        Adopt(std::move(window));
}

void KpShell::DATEISTART() {
    auto* window = Adopt(std::make_unique<DtaStart>(this, settings_.dataPath));
    window->Show();
}

void KpShell::OpenRecordForm(RecordFormKind kind) {
    auto* form =
        Adopt(std::make_unique<ShellRecordForm>(this, kind, settings_.dataPath, settings_.iniPath));
    form->Show();
    FocusFirstFieldSoon(*form);
}

void KpShell::FocusFirstFieldSoon(DataWindow& form) {
    if (Handle())
        PostMessageW(Handle(), kFocusFormMessage, reinterpret_cast<WPARAM>(form.Handle()), 0);
}

void KpShell::DATEIADRESSEN() {
    OpenRecordForm(RecordFormKind::Adressen);
}

void KpShell::DATEIGESELLSCHAFTEN() {
    OpenRecordForm(RecordFormKind::Gesellschaften);
}

void KpShell::DATEIVERMITTLER() {
    OpenRecordForm(RecordFormKind::Vermittler);
}

void KpShell::DATEIVERTRAEGE() {
    auto* form = Adopt(std::make_unique<DtaVertragEingabe>(this, settings_.dataPath));
    form->Show();
    FocusFirstFieldSoon(*form);
}

void KpShell::DATEITERMIN() {
    Adopt(std::make_unique<DtaTerminkalender>(this, settings_.dataPath))->Show();
}

void KpShell::DateiNeu() {
    // The addressee of the new letter is the one the settings name. The
    // suite's address windows name the same addressee to the filing dialog
    // (DOKAUFRUF); standing in for them, the shell takes it from the key.
    GetSetGlobal(Symbol("DOKNAMENEU"), Usual(settings_.dokNameNeu));
    const std::string aufruf = DokAufrufFor(ParseDokKey(settings_.dokNameNeu));
    GetSetGlobal(Symbol("DOKAUFRUF"), Usual(aufruf.empty() ? settings_.dokAufruf : aufruf));
    OpenWordPad();
}

void KpShell::DateiRtfOeffnen() {
    OpenDialog dialog(this);
    dialog.Caption("Brief öffnen");
    dialog.SetFilter({"*.RTF"}, {"Dokumente *.RTF"});
    dialog.InitialDirectory(settings_.dataPath + "Texte\\");
    if (dialog.Show() && !dialog.FileName().empty())
        OpenWordPad(dialog.FileName());
}

Window* KpShell::OpenWordPad(const std::string& file) {
    std::optional<std::string> cFile;
    if (!file.empty())
        cFile = file;
    auto* pad = Adopt(std::make_unique<KpWordPad>(this, cFile));
    pad->Show();
    return pad;
}

void KpShell::DATEIENDE() {
    EndWindow();
}

void KpShell::HILFEINDEX() {
    if (HelpDisplay())
        HelpDisplay()->Show("Index");
}

void KpShell::RefreshForms(DataWindow& changed) {
    // Other forms on the same table show the saved record as it now is.
    for (Window* child : children_)
        if (auto* form = dynamic_cast<DtaAbstract*>(child);
            form && form != &changed && form->IsAlive())
            form->Refresh(changed);
    // The table views are no forms of the registry.
    const std::string table = TablePathOf(changed);
    for (const auto& w : owned_)
        if (auto* view = dynamic_cast<DataWindow*>(w.get());
            view && view != &changed && view->IsAlive() && !dynamic_cast<DtaAbstract*>(view) &&
            !table.empty() && TablePathOf(*view) == table)
            view->RefreshBrowseView();
}

void KpShell::ChildActivated(Window* child) {
    ShellWindow::ChildActivated(child);
    auto* form = dynamic_cast<DataWindow*>(child);
    if (!form || !form->IsAlive() || HasTypedChanges(*form))
        return;
    if (auto* abstract = dynamic_cast<DtaAbstract*>(form)) {
        if (abstract->Valid())
            abstract->Refresh(*abstract);
    } else if (form->ShowsBrowseView()) {
        form->RefreshBrowseView();
    }
}

// The search and service items: their dialogs are in ShellDialogs.

void KpShell::DATEISCHNELLSUCHE() {
    QuickSearch(this, ActiveChild());
}

void KpShell::DATEIEINSTELLUNGEN() {
    DlgEinstellungen settings(this, settings_);
    settings.Show();
}

void KpShell::DATEIPRINTERSETUP() {
    OpenPrinterSetup(DefaultPrinterLink());
}

void KpShell::OpenPrinterSetup(std::unique_ptr<PrinterLink> printer) {
    PtrDevice device(this, nullptr, std::move(printer));
    if (!device.IsValid()) {
        CurrentPresenter().ShowMessage(Handle(), "KONTORPLUS", device.StatusText(),
                                       MB_OK | MB_ICONINFORMATION);
        return;
    }
    device.PrinterSetup(this);
}

void KpShell::DATEIREORGANISATION() {
    if (reorganising_)
        return;
    // Open windows hold the tables that are to be replaced.
    Reap();
    if (!owned_.empty()) {
        CurrentPresenter().ShowMessage(Handle(), "KONTORPLUS",
                                       "Während der Reorganisation darf keine Tabelle geöffnet "
                                       "sein.\r\nBitte zuerst alle Fenster schließen.",
                                       MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    reorganising_ = true;
    RunReorganisation(this, settings_.dataPath);
    reorganising_ = false;
}

void KpShell::HILFEUEBER() {
    ShowAbout(this);
}

}  // namespace kp
