#include "wordpad/DlgMargins_layout.h"

namespace kp {

DlgMarginsLayout::DlgMarginsLayout(Window* owner)
    : DialogWindow(owner, ResourceID("_DlgMargins"), true) {
    GroupBox1 = std::make_unique<GroupBox>(this, ResourceID(ID_MARGINS_GROUPBOX1));
    GroupBox1->HyperLabel(kp::HyperLabel("GroupBox1", "Indentation"));
    FixedText1 = std::make_unique<FixedText>(this, ResourceID(ID_MARGINS_FIXEDTEXT1));
    FixedText1->HyperLabel(kp::HyperLabel("FixedText1", "&Left Margin ( from Left )"));
    FixedText2 = std::make_unique<FixedText>(this, ResourceID(ID_MARGINS_FIXEDTEXT2));
    FixedText2->HyperLabel(kp::HyperLabel("FixedText2", "&Right Margin ( from Right )"));
    FixedText3 = std::make_unique<FixedText>(this, ResourceID(ID_MARGINS_FIXEDTEXT3));
    FixedText3->HyperLabel(kp::HyperLabel("FixedText3", "&First Line"));
    FixedText4 = std::make_unique<FixedText>(this, ResourceID(ID_MARGINS_FIXEDTEXT4));
    FixedText4->HyperLabel(kp::HyperLabel("FixedText4", "&Alignment"));
    LeftMarginSLE = std::make_unique<SingleLineEdit>(this, ResourceID(ID_MARGINS_LEFTMARGINSLE));
    LeftMarginSLE->HyperLabel(kp::HyperLabel("LeftMarginSLE", "&Left Margin ( from Left )"));
    RightMarginSLE = std::make_unique<SingleLineEdit>(this, ResourceID(ID_MARGINS_RIGHTMARGINSLE));
    RightMarginSLE->HyperLabel(kp::HyperLabel("RightMarginSLE", "&Right Margin ( from Right )"));
    FirstLineSLE = std::make_unique<SingleLineEdit>(this, ResourceID(ID_MARGINS_FIRSTLINESLE));
    FirstLineSLE->HyperLabel(kp::HyperLabel("FirstLineSLE", "&First Line"));
    AlignmentCB = std::make_unique<ComboBox>(this, ResourceID(ID_MARGINS_ALIGNMENTCB));
    AlignmentCB->HyperLabel(kp::HyperLabel("AlignmentCB", "&Alignment"));
    OKPBButton = std::make_unique<PushButton>(this, ResourceID(ID_MARGINS_OKPB));
    OKPBButton->HyperLabel(kp::HyperLabel("OKPB", "&OK"));
    CancelPBButton = std::make_unique<PushButton>(this, ResourceID(ID_MARGINS_CANCELPB));
    CancelPBButton->HyperLabel(kp::HyperLabel("CancelPB", "&Cancel"));
}

Symbol DlgMarginsLayout::ClassName() const {
    return Symbol("_DLGMARGINS");
}

}  // namespace kp
