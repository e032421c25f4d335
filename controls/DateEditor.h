#pragma once
// DateEditor: the date fields' key-by-key rules without a window.
//
// The text is the run-time's ten-character date mask "dd.mm.yyyy"; digits
// are typed over it (never inserted) and skip the points, "." deletes like
// the Delete key, and single keys move the date: + / T next day, - / t
// previous day, M / m next / previous month, J / j next / previous year,
// * today, blank clears. Assumes the German date format with century.
#include <string>
#include <string_view>

#include "controls/EditState.h"
#include "platform/runtime/date.h"

namespace kp {

// The text of an empty date field.
inline constexpr std::string_view kBlankDateMask = "  .  .    ";

// The date moved by whole months; a day the target month lacks becomes its
// last day. The empty date stays empty.
Date Date_AddMonth(Date date, long months);

class DateEditor {
  public:
    // One key: a typed character (WM_CHAR code) or the Delete key. A
    // read-only field takes no edit (only copy passes on). `today` is what
    // "*" types.
    static KeyResult Key(EditState& s, unsigned code, bool deleteKey, Date today,
                         bool readOnly = false);
    // The date stepped by days (keypad plus and minus): the text moves by
    // one day when it is a date; false when it is not (or read-only).
    static bool StepDays(EditState& s, long days, bool readOnly = false);
    // Blanks the selection (for cutting).
    static KeyResult DeleteSelection(EditState& s, bool readOnly = false);
    // A pasted text that reads as a date replaces the field's date; other
    // text is refused with the reason.
    static PasteResult Paste(EditState& s, std::string_view pasted, bool readOnly = false);

    // A complete, possible date: 8 or 10 characters without trailing blanks
    // that read as a date. The blank mask is not valid.
    static bool IsValidDatum(std::string_view text);
    // Nothing typed: only blanks and points.
    static bool IsBlank(std::string_view text);
};

}  // namespace kp
