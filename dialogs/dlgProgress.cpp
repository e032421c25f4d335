#include "dialogs/dlgProgress.h"

#include "dialogs/appIcon.h"

#include <commctrl.h>

#include "platform/gui/app.h"

namespace kp {

void OwnerDisabler::Disable(HWND top) {
    if (disabled_ || !top || !IsWindowEnabled(top))
        return;
    EnableWindow(top, FALSE);
    disabled_ = top;
}

void OwnerDisabler::Release() {
    if (disabled_ && IsWindow(disabled_))
        EnableWindow(disabled_, TRUE);
    disabled_ = nullptr;
}

void LibraryHandle::Free() {
    if (module_) {
        FreeLibrary(module_);
        module_ = nullptr;
        ++releases_;
    }
}

namespace {

// The top window that owns a dialog: the one disabled while it runs.
HWND OwnerTop(HWND dialog) {
    return dialog ? GetWindow(dialog, GW_OWNER) : nullptr;
}

// The messages that wait, handled once; the progress dialog's own keys
// (Escape, Return, Tab) reach it as in any dialog.
void LetMessagesThrough() {
    ApplicationExec(EXECWHILEEVENT);
}

}  // namespace

// ---------------------------------------------------------------- DlgProgress

DlgProgressLayout::DlgProgressLayout(Window* owner)
    : DialogWindow(owner, ResourceID("dlgProgress_layout"), false) {
    ShowApplicationIcon(*this);
    Bar1 = std::make_unique<ProgressBar>(this, ResourceID(ID_PROGRESS_BAR1));
    PshCancelButton = std::make_unique<PushButton>(this, ResourceID(ID_PROGRESS_PSHCANCEL));
    PshCancelButton->HyperLabel(kp::HyperLabel("PshCancel", "Abbruch"));
    Txt1 = std::make_unique<FixedText>(this, ResourceID(ID_PROGRESS_TXT1));
    TxtDateien = std::make_unique<FixedText>(this, ResourceID(ID_PROGRESS_TXTDATEIEN));
}

Symbol DlgProgressLayout::ClassName() const {
    return Symbol("DLGPROGRESS_LAYOUT");
}

DlgProgress::DlgProgress(Window* owner, int lowest, int highest, const std::string& caption)
    : DlgProgressLayout(owner), shell32_(L"SHELL32.DLL") {
    Bar1->Range(Range(lowest, highest));
    Caption(caption);
    Bar1->SetFocus();

    // The animation takes the place of Txt1.
    const Point origin = Txt1->Origin();
    const Dimension size = Txt1->Size();
    animation_ = std::make_unique<AnimationControl>(this, ID_PROGRESS_ANIMATION, origin, size,
                                                    ACS_CENTER | ACS_TRANSPARENT,
                                                    reinterpret_cast<HINSTANCE>(shell32_.get()));
    Txt1->Hide();
    shellClip_ = shell32_.get() && animation_->Open(kShellAnimation) && animation_->Play();
    if (shellClip_) {
        animation_->Show();
    } else {
        // A shell without the clip: the busy bar of the common controls,
        // in the same place, stands in for it.
        animation_->CloseClip();
        busyBar_ = std::make_unique<ProgressBar>(
            this, ID_PROGRESS_ANIMATION + 1, Point(origin.x, origin.y + size.height / 3),
            Dimension(size.width, size.height / 3), PBS_MARQUEE | WS_VISIBLE);
        SendMessageW(busyBar_->Handle(), PBM_SETMARQUEE, TRUE, 60);
    }
    PshCancelButton->Caption("Abbruch");
    PshCancelButton->SetFocus();
    cancel_ = false;
}

DlgProgress::~DlgProgress() {
    EndDialog(0);
}

Symbol DlgProgress::ClassName() const {
    return Symbol("DLGPROGRESS");
}

void DlgProgress::Show(int showState) {
    if (ended_ || !Handle())
        return;
    owner_.Disable(OwnerTop(Handle()));
    DlgProgressLayout::Show(showState);
    PshCancelButton->SetFocus();
}

void DlgProgress::Update(int position, const std::string& text) {
    if (ended_ || !Handle())
        return;
    Bar1->Position(position);
    TxtDateien->Caption(text);
    LetMessagesThrough();
}

void DlgProgress::EndDialog(int result) {
    if (ended_)
        return;
    ended_ = true;
    // The clip is read from the shell library while it plays: stop and
    // close it before the library goes.
    if (animation_) {
        animation_->CloseClip();
        animation_->Destroy();
    }
    shell32_.Free();
    // The owner comes back before the dialog goes, so that it is activated.
    owner_.Release();
    DlgProgressLayout::EndDialog(result);
}

void DlgProgress::Close(Event&) {
    PshCancel();
}

Method DlgProgress::FindMethod(Symbol name) {
    static const MethodTable<DlgProgress> methods{{"PshCancel", &DlgProgress::PshCancel}};
    if (Method m = methods.Bind(this, name))
        return m;
    return DlgProgressLayout::FindMethod(name);
}

// ---------------------------------------------------------------- DlgProgress2

DlgProgress2Layout::DlgProgress2Layout(Window* owner)
    : DialogWindow(owner, ResourceID("dlgProgress2_layout"), false) {
    ShowApplicationIcon(*this);
    Bar1 = std::make_unique<ProgressBar>(this, ResourceID(ID_PROGRESS2_BAR1));
    TxtDateien = std::make_unique<FixedText>(this, ResourceID(ID_PROGRESS2_TXTDATEIEN));
}

Symbol DlgProgress2Layout::ClassName() const {
    return Symbol("DLGPROGRESS2_LAYOUT");
}

DlgProgress2::DlgProgress2(Window* owner, int lowest, int highest, const std::string& caption)
    : DlgProgress2Layout(owner) {
    Bar1->Range(Range(lowest, highest));
    Caption(caption);
    Bar1->SetFocus();
}

DlgProgress2::~DlgProgress2() {
    EndDialog(0);
}

Symbol DlgProgress2::ClassName() const {
    return Symbol("DLGPROGRESS2");
}

void DlgProgress2::Show(int showState) {
    if (ended_ || !Handle())
        return;
    owner_.Disable(OwnerTop(Handle()));
    DlgProgress2Layout::Show(showState);
}

void DlgProgress2::Update(int position, const std::string& text) {
    if (ended_ || !Handle())
        return;
    Bar1->Position(position);
    TxtDateien->Caption(text);
    LetMessagesThrough();
}

void DlgProgress2::EndDialog(int result) {
    if (ended_)
        return;
    ended_ = true;
    owner_.Release();
    DlgProgress2Layout::EndDialog(result);
}

}  // namespace kp
