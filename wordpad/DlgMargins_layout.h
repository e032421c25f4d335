#pragma once
// The layout of the paragraph dialog ("_DlgMargins"): a modal dialog whose
// controls are bound by resource id.
#include <memory>

#include "platform/gui/controls.h"
#include "platform/gui/dialogwindow.h"

namespace kp {

inline constexpr int ID_MARGINS_GROUPBOX1 = 100;
inline constexpr int ID_MARGINS_FIXEDTEXT1 = 101;
inline constexpr int ID_MARGINS_FIXEDTEXT2 = 102;
inline constexpr int ID_MARGINS_FIXEDTEXT3 = 103;
inline constexpr int ID_MARGINS_FIXEDTEXT4 = 104;
inline constexpr int ID_MARGINS_LEFTMARGINSLE = 105;
inline constexpr int ID_MARGINS_RIGHTMARGINSLE = 106;
inline constexpr int ID_MARGINS_FIRSTLINESLE = 107;
inline constexpr int ID_MARGINS_ALIGNMENTCB = 108;
inline constexpr int ID_MARGINS_OKPB = 109;
inline constexpr int ID_MARGINS_CANCELPB = 110;

class DlgMarginsLayout : public DialogWindow {
  public:
    explicit DlgMarginsLayout(Window* owner);
    Symbol ClassName() const override;

    std::unique_ptr<GroupBox> GroupBox1;
    std::unique_ptr<FixedText> FixedText1;
    std::unique_ptr<FixedText> FixedText2;
    std::unique_ptr<FixedText> FixedText3;
    std::unique_ptr<FixedText> FixedText4;
    std::unique_ptr<SingleLineEdit> LeftMarginSLE;
    std::unique_ptr<SingleLineEdit> RightMarginSLE;
    std::unique_ptr<SingleLineEdit> FirstLineSLE;
    std::unique_ptr<ComboBox> AlignmentCB;
    // The buttons; their names call OKPB and CancelPB.
    std::unique_ptr<PushButton> OKPBButton;
    std::unique_ptr<PushButton> CancelPBButton;
};

}  // namespace kp
