#pragma once
// DtaAbstract: the common base of every form of the suite. Adds to the data
// window a valid flag that can forbid closing (and greys the Close entry of
// the system menu), a read-only flag, a pop-up menu and a key list, and
// binds the form's controls to the field specifications of its server when
// the form is shown.
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/gui/datawindow.h"
#include "platform/gui/menu.h"

namespace kp {

// The hyper-label a control gets when it is bound to a field: the field's
// name and caption with the control's own description and help context
// where it has them, else the field's. Nothing when both are empty (the
// control keeps its label).
std::optional<HyperLabel> BoundHyperLabel(const HyperLabel& control, const FieldSpec& field);

// Greys (or enables) the Close entry of a window's system menu.
void EnableSystemClose(HWND hwnd, bool enabled);

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

    bool Valid() const { return valid_; }
    virtual void Valid(bool on);
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

  protected:
    bool modal_ = false;

  private:
    bool readOnly_ = false;
    bool valid_ = true;
    uint32_t popupMenuNo_ = 0;
    std::shared_ptr<kp::Menu> popupMenu_;
    std::vector<std::pair<Usual, Usual>> keys_;
};

}  // namespace kp
