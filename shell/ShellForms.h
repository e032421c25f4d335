#pragma once
// The shell's record forms: addresses ("Interessenten und Kunden"),
// insurers and brokers. Each is a tab form over its table whose tabs come
// from KpShell.ini; the pages are sub-forms with the table's fields, and a
// right click offers saving, read-only switching and the shell's start
// screen.
#include <memory>
#include <string>
#include <vector>

#include "forms/tabForm.h"
#include "shell/ShellClosing.h"

namespace kp {

// Which form: its table, the INI section of its tabs, its caption.
enum class RecordFormKind { Adressen, Gesellschaften, Vermittler };

class ShellRecordForm : public TabForm, public UnsavedWork {
  public:
    // Opens the kind's table under dataPath and its tabs from the section of
    // iniPath; the pages are those the form knows for the kind.
    ShellRecordForm(Window* owner, RecordFormKind kind, const std::string& dataPath,
                    const std::string& iniPath);
    Symbol ClassName() const override;

    RecordFormKind Kind() const { return kind_; }
    // The orders of the form's table that were found beside it (the record
    // search seeks in them); the form itself shows the table's own order.
    int OrderCount() const { return orders_; }

    void PshVorher();
    void PshWeiter();
    // Saves the record; the form is valid again when every change is in.
    void PshSpeichern();
    // Takes back what was typed since the last save.
    void Verwerfen();
    Method FindMethod(Symbol name) override;

    // A changed field is a change not yet saved until it is saved or taken
    // back. Every way of closing the form asks about it (save, drop, go on);
    // the form stays closable, so the close box asks too.
    void PageEdited(DataPage& page, Control& control) override;
    bool QueryClose(Event& e) override;
    bool HasUnsavedChanges();
    bool AgreeToClose() override;
    void CloseCancelled() override { discardAgreed_ = false; }

  private:
    void Move(int step);
    std::unique_ptr<PushButton> PshVorherButton_;
    std::unique_ptr<PushButton> PshWeiterButton_;
    RecordFormKind kind_;
    int orders_ = 0;
    std::string indexError_;      // an index that exists could not be opened
    bool edited_ = false;         // typed since the last save or take-back
    bool discardAgreed_ = false;  // "Nein": the changes go with the window
};

// The table file, INI section and caption of a kind.
struct RecordFormInfo {
    const char* table;
    const char* section;
    const char* caption;
    std::vector<const char*> indexes;  // in order: order 1, 2, ...
};
RecordFormInfo RecordFormInfoOf(RecordFormKind kind);

}  // namespace kp
