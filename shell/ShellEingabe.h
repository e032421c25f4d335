#pragma once
// The shell's input form over the contract table, with every kind of
// data-entry field: standard fields with when- and valid-actions and a
// snippet menu, numeric fields, a date field with the calendar, a field in
// overwrite mode for the logical field and a multi-line field for the
// note. And the appointment calendar ("Terminkalender"): the month calendar
// beside a date field that follows it both ways.
#include <memory>
#include <string>
#include <vector>

#include "controls/CalendarControl.h"
#include "controls/mleDorvanKeys.h"
#include "controls/sleDatum.h"
#include "controls/sleNumeric.h"
#include "controls/sleSelection0.h"
#include "controls/sleStandard.h"
#include "forms/dtaWindow.h"
#include "platform/data/dbserver.h"
#include "shell/ShellClosing.h"
#include "shell/Wiedervorlage.h"

namespace kp {

class Menu;

// Puts the fields' font and focus brushes into the global value store,
// unless the shell's host has put its own there.
void PublishFieldLook();

// Adds the input form's item to the Datei menu of a shell menu.
void AddInputFormItem(Menu& shellMenu);

// Typed changes are changes not yet saved until "&Speichern" (or a move to
// another record) writes them; every way of closing the form asks about
// them: save, drop or go on editing.
class DtaVertragEingabe : public DtaWindow, public DorvanKeysOwner, public UnsavedWork {
  public:
    DtaVertragEingabe(Window* owner, const std::string& dataPath);
    Symbol ClassName() const override;

    DBServer* Table() const { return table_.get(); }

    // Writes every edited field into the record; false (and the record
    // unchanged where a field refused) when a field cannot be saved.
    bool Save();
    void PshSpeichern();
    void PshSchliessen() { EndWindow(); }
    // Takes back what was typed: the fields show the record again.
    void Verwerfen();
    bool HasUnsavedChanges() const;
    bool AgreeToClose() override;
    void CloseCancelled() override { discardAgreed_ = false; }
    bool QueryClose(Event& e) override;
    void EditChange(ControlEvent& e) override;
    void PshVorher();
    void PshWeiter();
    Method FindMethod(Symbol name) override;

    void Notify(int code, const Usual& description) override;

    bool DorvanKeys() const override { return dorvanKeys_; }
    void DorvanKeys(bool on) override { dorvanKeys_ = on; }

    // The fields, for tests.
    SleStandard& VersNr() { return *versNr_; }
    SleNumeric& Beitrag() { return *beitrag_; }
    PEDateSle& Beginn() { return *beginn_; }
    MleDorvanKeys& Notiz() { return *notiz_; }

  private:
    void Hint(const std::string& text);
    // Whether every changed field can be stored as it stands; if not, the
    // user is told which field and why, and that field gets the focus.
    bool AllChangesStorable();
    void Move(int step);
    std::vector<Control*> Fields() const;
    // The fields show what is stored: nothing typed since.
    void Unchanged();
    std::shared_ptr<DBServer> table_;
    std::unique_ptr<SleStandard> versNr_, nName_, versSparte_;
    std::unique_ptr<SleNumeric> vSteuer_, beitrag_;
    std::unique_ptr<PEDateSle> beginn_;
    std::unique_ptr<SleSelection0> aktiv_;
    std::unique_ptr<MleDorvanKeys> notiz_;
    std::unique_ptr<FixedText> hinweis_;
    std::unique_ptr<PushButton> vorher_, weiter_, speichern_, schliessen_;
    std::vector<std::pair<const Control*, std::string>> labels_;  // field, its name for the user
    std::string indexError_;  // an index of the table that could not be opened
    bool dorvanKeys_ = true;
    bool edited_ = false;         // typed since the last save or take-back
    bool discardAgreed_ = false;  // "Nein": the changes go with the window
};

// The calendar marks the days with resubmissions of letters (DatWV.dbf in
// dataPath) and lists those of the chosen day; a double click on one opens
// its letter in the word pad.
class DtaTerminkalender : public DtaWindow, public DateChangedListener {
  public:
    DtaTerminkalender(Window* owner, const std::string& dataPath);
    Symbol ClassName() const override;

    void DateChanged(Date d) override;
    CalendarControl& Calendar() { return *calendar_; }
    void EditChange(ControlEvent& e) override;
    void ListBoxClick(ControlEvent& e) override;

  private:
    void ShowResubmissions(Date d);
    std::string dataPath_;
    std::unique_ptr<CalendarControl> calendar_;
    std::unique_ptr<SleDatum> datum_;
    std::unique_ptr<FixedText> tag_;
    std::unique_ptr<ListBox> liste_;
    std::vector<Resubmission> shown_;
    Date markedMonth_;
    bool following_ = false;
};

}  // namespace kp
