#pragma once
// What the shell menu's search and service items open: the record search
// for the form in front, the settings dialog (data path), the
// reorganisation of the tables under a progress dialog, and the about box.
#include <memory>
#include <string>

#include "platform/gui/controls.h"
#include "platform/gui/dialogwindow.h"
#include "shell/ShellSettings.h"

namespace kp {

inline constexpr int ID_EINST_SLEDATENPFAD = 101;
inline constexpr int ID_EINST_PSHDURCHSUCHEN = 102;

// The shell's settings: the data path, typed or chosen with the folder
// browser, written to [Pfade] Daten of KpShell.ini on "&OK" (only when it
// changed) and handed to the library. "&Abbruch" writes nothing.
class DlgEinstellungen : public DialogWindow {
  public:
    DlgEinstellungen(Window* owner, ShellSettings& settings);
    Symbol ClassName() const override;

    void PshDurchsuchen();
    void PshOK();
    void PshAbbruch() { EndDialog(0); }
    Method FindMethod(Symbol name) override;

    std::unique_ptr<SingleLineEdit> SleDatenpfad;
    std::unique_ptr<PushButton> PshDurchsuchenButton;
    std::unique_ptr<PushButton> PshOKButton;
    std::unique_ptr<PushButton> PshAbbruchButton;

  private:
    ShellSettings& settings_;
};

// Opens the record search for the window in front: an address, insurer or
// broker form, or the browse window of a contract table. Any other window
// (or none) is told why there is nothing to search.
void QuickSearch(Window* shell, Window* front);

// Packs and re-indexes the suite's tables in dataPath under the progress
// dialog with "Abbruch", and tells the outcome in a box.
void RunReorganisation(Window* shell, const std::string& dataPath);
// Settles what a killed reorganisation left in dataPath (at the shell's
// start) and tells the user when a table's swap was finished or undone.
void RecoverReorganisation(Window* shell, const std::string& dataPath);

// The about box of the shell.
void ShowAbout(Window* shell);

// The help index: one short line for each command of the menu (its keys,
// its caption), in menu order; items that are grey say so.
std::string ShellHelpText(HMENU menuBar);

}  // namespace kp
