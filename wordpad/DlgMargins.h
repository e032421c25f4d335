#pragma once
// The paragraph dialog: the word pad's left and right margin, first-line
// indent (in centimetres or inches) and alignment. The texts and their
// conversion are in wordpad/marginsRules.h.
#include <optional>

#include "wordpad/DlgMargins_layout.h"
#include "wordpad/marginsRules.h"

namespace kp {

class DlgMargins : public DlgMarginsLayout {
  public:
    // Shows `now` in the word pad's unit, centred over the owner.
    DlgMargins(Window* owner, const ParagraphValues& now);
    Symbol ClassName() const override;

    // End with result 1 (the values are taken from the edits first) or 0.
    void OKPB();
    void CancelPB();

    // The values the edits held when OK ended the dialog; `now` otherwise.
    const ParagraphValues& Values() const { return values_; }

    Method FindMethod(Symbol name) override;

  private:
    ParagraphValues values_;
};

// Shows the dialog modally; the values typed when it ended with OK, or
// nullopt when it was cancelled (the caller then changes nothing).
std::optional<ParagraphValues> RunDlgMargins(Window* owner, const ParagraphValues& now);

}  // namespace kp
