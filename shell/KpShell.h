#pragma once
// KpShell: the stand-in for the suite's shell window. An MDI frame with the
// shell menu, a status bar for the items' help texts, and the owner
// services the library's windows call (child registry, help display). Each
// menu command opens the library window it names.
#include <memory>
#include <string>
#include <vector>

#include "forms/dtaWindow.h"
#include "platform/gui/controls.h"
#include "platform/gui/shellwindow.h"
#include "platform/report/ptrdevice.h"
#include "shell/ShellForms.h"
#include "shell/ShellSettings.h"

namespace kp {

class KpShell : public ShellWindow, public ChildRegistry {
  public:
    explicit KpShell(ShellSettings settings);
    ~KpShell() override;
    Symbol ClassName() const override;

    const ShellSettings& Settings() const { return settings_; }

    // The child registry of the forms it owns.
    void RegisterChild(Window* child) override;
    void UnRegisterChild(Window* child) override;
    const std::vector<Window*>& Children() const { return children_; }

    // Menu commands.
    void DATEIOEFFNEN();
    void DATEISTART();
    void DATEIADRESSEN();
    void DATEIGESELLSCHAFTEN();
    void DATEIVERMITTLER();
    void DATEIVERTRAEGE();  // the contract input form
    void DATEITERMIN();     // the appointment calendar
    // The word pad's owner services: a new letter for the addressee in
    // DOKNAMENEU, and an RTF file chosen in the open dialog.
    void DateiNeu();
    void DateiRtfOeffnen();
    // Opens a word pad on the file, or on a new letter without one.
    Window* OpenWordPad(const std::string& file = {});
    void DATEIENDE();
    void HILFEINDEX();
    void DATEISCHNELLSUCHE();
    void DATEIEINSTELLUNGEN();
    void DATEIREORGANISATION();
    void HILFEUEBER();
    void DATEIPRINTERSETUP();  // the printer setup of the default printer
    // The printer setup over a given printer; without one the user is told.
    void OpenPrinterSetup(std::unique_ptr<PrinterLink> printer);

    // A form saved its record: the others on the same table refresh, and
    // so do the table views of that table.
    void RefreshForms(DataWindow& changed);
    // A form that comes to the front shows its record as it is on disk now
    // (another program may have changed it), unless the user typed in it.
    void ChildActivated(Window* child) override;

    LRESULT Dispatch(Event& e) override;
    bool QueryClose(Event& e) override;
    void Close(Event& e) override;
    // Logging off asks every letter and form as the shell's end does, but
    // leaves them whole until the session really ends.
    bool QueryEndSession(Event& e) override;
    void EndSession(Event& e, bool ending) override;
    Method FindMethod(Symbol name) override;

  private:
    // Takes ownership of a window the shell opened; windows whose handle is
    // gone are deleted after the message that ended them.
    template <class W>
    W* Adopt(std::unique_ptr<W> window) {
        Reap();
        W* raw = window.get();
        owned_.push_back(std::move(window));
        return raw;
    }
    void Reap();
    // The window the user must look at: in front, and active.
    void BringForward(Window& child);
    // Every letter and form with changes is asked; false on "Abbrechen" (or
    // a save that failed), with every window as it was.
    bool AskEveryWindow();
    // After an agreed end: the letters give back their editors and the
    // shell's toolbar.
    void ReleaseLetters(Event& e);
    void OpenRecordForm(RecordFormKind kind);
    void FocusFirstFieldSoon(DataWindow& form);

    ShellSettings settings_;
    std::unique_ptr<kp::StatusBar> statusBar_;
    std::vector<Window*> children_;
    std::vector<std::unique_ptr<Window>> owned_;
    bool reorganising_ = false;
};

}  // namespace kp
