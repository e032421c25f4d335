#include "wordpad/DlgMargins.h"

#include "wordpad/WinCentre.h"

namespace kp {

DlgMargins::DlgMargins(Window* owner, const ParagraphValues& now)
    : DlgMarginsLayout(owner), values_(now) {
    if (!Handle())
        return;
    Origin(WinCentre(*this));
    LeftMarginSLE->TextValue(MarginText(now.left, now.inches));
    RightMarginSLE->TextValue(MarginText(now.right, now.inches));
    FirstLineSLE->TextValue(MarginText(now.firstLine, now.inches));
    for (const char* item : kAlignmentItems)
        AlignmentCB->AddItem(item);
    AlignmentCB->TextValue(AlignmentText(now.alignment));
}

Symbol DlgMargins::ClassName() const {
    return Symbol("DLGMARGINS");
}

Method DlgMargins::FindMethod(Symbol name) {
    static const MethodTable<DlgMargins> methods{
        {"OKPB", &DlgMargins::OKPB},
        {"CancelPB", &DlgMargins::CancelPB},
    };
    if (Method m = methods.Bind(this, name))
        return m;
    return DlgMarginsLayout::FindMethod(name);
}

void DlgMargins::OKPB() {
    // The edits go with the dialog's window: their texts are read now.
    const bool inches = values_.inches;
    values_.left = MarginTwips(LeftMarginSLE->TextValue(), inches);
    values_.right = MarginTwips(RightMarginSLE->TextValue(), inches);
    values_.firstLine = MarginTwips(FirstLineSLE->TextValue(), inches);
    values_.alignment = AlignmentCode(AlignmentCB->TextValue());
    EndDialog(1);
}

void DlgMargins::CancelPB() {
    EndDialog(0);
}

std::optional<ParagraphValues> RunDlgMargins(Window* owner, const ParagraphValues& now) {
    DlgMargins dialog(owner, now);
    if (!dialog.Handle())
        return std::nullopt;
    dialog.Show();
    if (dialog.Result() > 0)
        return dialog.Values();
    return std::nullopt;
}

}  // namespace kp
