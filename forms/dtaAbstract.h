#pragma once
// DtaAbstract: the common base of every form of the suite. Adds to the data
// window a valid flag that can forbid closing (and greys the Close entry of
// the system menu), read-only and read-write switching of its controls, a
// modal mode that disables the program's other windows of its level, a
// pop-up menu on the right mouse button whose commands go to the form or its
// owner, help requests shown by the shell's help display, the refresh of
// forms that show the same table, and a key list; and it binds the form's
// controls to the field specifications of its server when the form is shown.
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/gui/datawindow.h"
#include "platform/gui/menu.h"
#include "platform/gui/tabcontrol.h"

namespace kp {

// The hyper-label a control gets when it is bound to a field: the field's
// name and caption with the control's own description and help context
// where it has them, else the field's. Nothing when both are empty (the
// control keeps its label).
std::optional<HyperLabel> BoundHyperLabel(const HyperLabel& control, const FieldSpec& field);

// Greys (or enables) the Close entry of a window's system menu.
void EnableSystemClose(HWND hwnd, bool enabled);

// A window of the modal form's level, as SetModal sees it.
struct LevelWindow {
    HWND hwnd = nullptr;
    DWORD processId = 0;
    bool enabled = false;
};

// The windows that modal mode disables: those of the level that belong to
// this program and are enabled now, never the modal form itself. Exactly
// these are enabled again when modal mode ends, so windows of other
// programs, and ours that were disabled for another reason, keep their state.
std::vector<HWND> WindowsToDisable(const std::vector<LevelWindow>& level, HWND self,
                                   DWORD ownProcess);

// The full path of the table a server shows; "" for servers without a file.
std::string ServerPath(const DataServer* server);

class DtaAbstract : public DataWindow {
  public:
    // The third value makes the form a sub-form inside the owner's canvas.
    DtaAbstract(Window* owner, const ResourceID& form, bool subForm = false);
    Symbol ClassName() const override;

    // Forms lay themselves out from their resource, never from the fields
    // of their server.
    virtual void __AutoLayout() {}

    // The library's end of the window; reports whether the form may end.
    bool EndWindow(bool sendNow = false) override;
    // Binds the controls to the server's fields, then shows the window.
    void Show(int showState = SHOWNORMAL) override;
    bool QueryClose(Event& e) override;
    // Leaves modal mode first.
    void Close(Event& e) override;

    // While the flag is false the Close entry of the system menu is grey and
    // the window refuses the system menu's Close command (Alt+F4, Ctrl+F4).
    bool Valid() const { return valid_; }
    virtual void Valid(bool on);

    // Modal mode: the program's other windows of this window's level are
    // disabled until SetModal(false) or Close.
    void SetModal(bool on = true);
    // All controls read-only: edits keep their text selectable, every other
    // control is disabled. The focus stays where it is.
    virtual DtaAbstract& SetReadOnly();
    // Edits writable again and every other control enabled.
    virtual DtaAbstract& SetReadWrite();
    bool ReadOnly() const { return readOnly_; }
    void ReadOnly(bool on) { readOnly_ = on; }
    bool Edit() const { return !readOnly_; }
    void Edit(bool on) { readOnly_ = !on; }
    bool Modal() const { return modal_; }

    std::shared_ptr<kp::Menu> PopupMenu() const { return popupMenu_; }
    void PopupMenu(std::shared_ptr<kp::Menu> menu) { popupMenu_ = std::move(menu); }
    uint32_t PopupMenuNo() const { return popupMenuNo_; }
    void PopupMenuNo(uint32_t n) { popupMenuNo_ = n; }

    DtaAbstract& SetKey(const Usual& key, const Usual& action);
    const std::vector<std::pair<Usual, Usual>>& SetKey() const { return keys_; }

    // 1-based position of the first control whose value changed; 0 if none.
    size_t ChangedControl() const;

    // Shows the pop-up menu's sub-menu of number PopupMenuNo at the mouse.
    void ShowPopup();
    // Refreshes this form and its sub-forms where they show the same table
    // (by its full path, compared exactly) as the other window.
    void Refresh(const DataWindow& other);

    void MouseButtonDown(MouseEvent& e) override;
    // A command of the pop-up menu calls the form's method of the item's
    // name, or else its owner's; other commands go on to the library.
    void MenuCommand(MenuCommandEvent& e) override;
    // Without a help context of its own the request shows the form's help
    // context in the shell's help display.
    void HelpRequest(HelpRequestEvent& e) override;
    // A tab control of the form changed its selection (after it showed the
    // page of the new tab).
    virtual void TabSelect(ControlNotifyEvent& e) { Default(e); }
    void ControlNotify(ControlNotifyEvent& e) override;

    LRESULT Dispatch(Event& e) override;

  protected:
    bool modal_ = false;

  private:
    std::vector<HWND> disabledByModal_;
    bool readOnly_ = false;
    bool valid_ = true;
    uint32_t popupMenuNo_ = 0;
    std::shared_ptr<kp::Menu> popupMenu_;
    std::vector<std::pair<Usual, Usual>> keys_;
};

}  // namespace kp
