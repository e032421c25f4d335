#pragma once
// The date fields: SleDatum, the plain date field, and PEDateSle, the date
// field that steps with the keypad's plus and minus and opens the month
// calendar on a double click. Both type over the ten-character mask with a
// DateEditor. A text that is not blank but no date (31.02.2010) is never
// taken as an empty date: the field refuses to be left or saved with it.
#include <string>

#include "controls/DateEditor.h"
#include "controls/KeyEditField.h"

namespace kp {

class DateField : public KeyEditField {
  public:
    DateField(Window* owner, const ResourceID& id) : KeyEditField(owner, id) {}
    DateField(Window* owner, int id, Point origin, Dimension size, DWORD style)
        : KeyEditField(owner, id, origin, size, style) {}

    // The date the text shows (the empty date for the blank mask).
    Usual Value() const override;
    void Value(const Usual& v) override;
    void __Value(const Usual& v) override;
    // A valid date, or the blank mask: what may be left and saved.
    bool IsAcceptable() const;
    // Refuses (with a message) a text that is no date.
    bool __Gather() override;

    // The date the "*" key types; today unless a test says otherwise.
    void TodayForTests(Date d) { today_ = d; }

    // The message for a text that is no date.
    static std::string InvalidDateMessage(const std::string& text);

  protected:
    // The editor and the focus checks; false when the message is not theirs.
    bool DateDispatch(Event& e, LRESULT& result);
    KeyResult EditKey(EditState& s, unsigned code, bool deleteKey) override;
    KeyResult EditDeleteSelection(EditState& s) override;
    PasteResult EditPaste(EditState& s, const std::string& text) override;

  private:
    Date today_;
};

class SleDatum : public DateField {
  public:
    // cType "D" (dates), "N" (no handling of its own) or another kind (the
    // plain edit control).
    SleDatum(Window* owner, int id, Point origin, Dimension size, std::string cType = "D");
    SleDatum(Window* owner, const ResourceID& id, std::string cType = "D");
    Symbol ClassName() const override;
    const std::string& cType() const { return cType_; }

    // A complete, possible date (kind "D"); TRUE for other kinds.
    bool IsValidDatum() const;

    LRESULT Dispatch(Event& e) override;

  private:
    std::string cType_;
};

class PEDateSle : public DateField {
  public:
    PEDateSle(Window* owner, const ResourceID& id);
    PEDateSle(Window* owner, int id, Point origin, Dimension size, DWORD style = 0);
    Symbol ClassName() const override;

    // Where the calendar opens: below the field from its left edge (TRUE),
    // or from its right edge.
    bool lAlignCalendarLeft = true;

    LRESULT Dispatch(Event& e) override;
    void KeyDown(KeyEvent& e) override;
    void MouseButtonDoubleClick(MouseEvent& e) override;
};

}  // namespace kp
