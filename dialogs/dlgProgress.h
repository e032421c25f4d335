#pragma once
// The progress dialogs a long loop opens, feeds and ends:
//
//   DlgProgress progress(owner, 0, n, "Reorganisation");
//   progress.Show();
//   for (int i = 1; i <= n && !progress.Cancel(); ++i) {
//       ... one step ...
//       progress.Update(i, "Adressen.dbf");
//   }
//   progress.EndDialog();
//
// DlgProgress shows the shell's animation and an "Abbruch" button whose
// press the loop reads from Cancel; DlgProgress2 is the plain bar with a
// line of text. Update lets the pending messages through so the dialog
// repaints and sees the button. Meanwhile the owner's window is disabled,
// so that it can neither be closed nor start the command again; closing
// DlgProgress counts as "Abbruch" and never ends the dialog under the
// loop; an Update after EndDialog does nothing.
#include <windows.h>

#include <memory>
#include <string>

#include "platform/gui/animationcontrol.h"
#include "platform/gui/controls.h"
#include "platform/gui/dialogwindow.h"

namespace kp {

// Keeps a top window disabled while a progress dialog runs; enables it
// again (only if it was enabled before) on Release or destruction.
class OwnerDisabler {
  public:
    OwnerDisabler() = default;
    ~OwnerDisabler() { Release(); }
    OwnerDisabler(const OwnerDisabler&) = delete;
    OwnerDisabler& operator=(const OwnerDisabler&) = delete;
    void Disable(HWND top);
    void Release();

  private:
    HWND disabled_ = nullptr;
};

// A loaded library, freed once.
class LibraryHandle {
  public:
    LibraryHandle() = default;
    explicit LibraryHandle(const wchar_t* name) : module_(LoadLibraryW(name)) {}
    ~LibraryHandle() { Free(); }
    LibraryHandle(const LibraryHandle&) = delete;
    LibraryHandle& operator=(const LibraryHandle&) = delete;
    HMODULE get() const { return module_; }
    void Free();
    int Releases() const { return releases_; }

  private:
    HMODULE module_ = nullptr;
    int releases_ = 0;
};

inline constexpr int ID_PROGRESS_BAR1 = 100;
inline constexpr int ID_PROGRESS_PSHCANCEL = 101;
inline constexpr int ID_PROGRESS_TXT1 = 102;
inline constexpr int ID_PROGRESS_TXTDATEIEN = 103;
inline constexpr int ID_PROGRESS_ANIMATION = 5000;
// The shell's clip of moving files.
inline constexpr int kShellAnimation = 160;

class DlgProgressLayout : public DialogWindow {
  public:
    explicit DlgProgressLayout(Window* owner);
    Symbol ClassName() const override;

    std::unique_ptr<ProgressBar> Bar1;
    std::unique_ptr<PushButton> PshCancelButton;
    std::unique_ptr<FixedText> Txt1;
    std::unique_ptr<FixedText> TxtDateien;
};

class DlgProgress : public DlgProgressLayout {
  public:
    DlgProgress(Window* owner, int lowest, int highest, const std::string& caption);
    ~DlgProgress() override;
    Symbol ClassName() const override;

    void Show(int showState = SHOWNORMAL) override;
    void Update(int position, const std::string& text);
    void PshCancel() { cancel_ = true; }
    bool Cancel() const { return cancel_; }
    void EndDialog(int result = 0) override;
    void Close(Event& e) override;
    Method FindMethod(Symbol name) override;

    AnimationControl* Animation() const { return animation_.get(); }
    // True when the shell's clip plays; false when the busy bar stands in.
    bool ShellClip() const { return shellClip_; }
    // How often the shell library was freed (once, at the end).
    int ShellReleases() const { return shell32_.Releases(); }

  private:
    LibraryHandle shell32_;
    std::unique_ptr<AnimationControl> animation_;
    std::unique_ptr<ProgressBar> busyBar_;  // where the shell has no clip
    OwnerDisabler owner_;
    bool cancel_ = false;
    bool ended_ = false;
    bool shellClip_ = false;
};

inline constexpr int ID_PROGRESS2_BAR1 = 100;
inline constexpr int ID_PROGRESS2_TXTDATEIEN = 101;

class DlgProgress2Layout : public DialogWindow {
  public:
    explicit DlgProgress2Layout(Window* owner);
    Symbol ClassName() const override;

    std::unique_ptr<ProgressBar> Bar1;
    std::unique_ptr<FixedText> TxtDateien;
};

class DlgProgress2 : public DlgProgress2Layout {
  public:
    DlgProgress2(Window* owner, int lowest, int highest, const std::string& caption);
    ~DlgProgress2() override;
    Symbol ClassName() const override;

    void Show(int showState = SHOWNORMAL) override;
    void Update(int position, const std::string& text);
    void EndDialog(int result = 0) override;
    // It has no "Abbruch": only the loop ends it.
    void Close(Event&) override {}

  private:
    OwnerDisabler owner_;
    bool ended_ = false;
};

}  // namespace kp
