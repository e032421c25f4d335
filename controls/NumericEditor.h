#pragma once
// NumericEditor: the numeric field's key-by-key rules without a window.
//
// The text always reads: optional "-", integer digits (at least one) and,
// with decimals, "." and exactly that many decimal digits. Every key is
// applied to text and caret and the text formatted again at once. Integer
// digits are never cut: a digit that would exceed the field's integer digits
// is refused, and a value too large for the field is refused as a whole.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "controls/EditState.h"

namespace kp {

// Every occurrence of search in text replaced, left to right; searching goes
// on after each inserted replacement. An empty search returns the text.
std::string Str_Replace(std::string_view text, std::string_view search, std::string_view replace);

class NumericEditor {
  public:
    // Total width (integer digits, point and decimals) and decimals. A
    // layout without room for one integer digit (decimals at or above
    // width - 1, or a width below 1) is refused: false, the layout stays.
    bool SetLen(uint32_t width = 10, uint32_t decimals = 0);
    uint32_t nDec() const { return nDec_; }
    uint32_t nIntLen() const { return nIntLen_; }
    uint32_t nLen() const { return nLen_; }

    // The text in the field's form: decimals cut or padded to nDec, an empty
    // integer part shown as 0. Integer digits are kept as they are.
    std::string Picture(std::string_view text) const;
    // Integer digits of a formatted text.
    static int IntegerDigits(std::string_view text);
    bool Fits(std::string_view formatted) const {
        return IntegerDigits(formatted) <= static_cast<int>(nIntLen_);
    }

    // The text of a value, rounded half away from zero to nDec decimals on
    // the value it prints as; nothing when its integer digits do not fit.
    std::optional<std::string> TextOf(double value) const;
    static double ValueOf(std::string_view text);

    // One key: a typed character (WM_CHAR code) or the Delete key. A
    // read-only field takes no edit (only copy passes on).
    KeyResult Key(EditState& s, unsigned code, bool deleteKey, bool readOnly = false) const;
    // Removes the selection as the Delete key does (for cutting).
    KeyResult DeleteSelection(EditState& s, bool readOnly = false) const;
    // A pasted text: read as a number (blanks ignored, "," or "." as decimal
    // point, the other one as thousands separator) that then replaces the
    // field's value. Text that is no number, or a number too large, is
    // refused with the reason.
    PasteResult Paste(EditState& s, std::string_view pasted, bool readOnly = false) const;

  private:
    uint32_t nDec_ = 0;
    uint32_t nIntLen_ = 0;
    uint32_t nLen_ = 0;
};

}  // namespace kp
