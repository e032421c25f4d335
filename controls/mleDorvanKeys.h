#pragma once
// MleDorvanKeys: a multi-line field that, while it has the focus, switches
// off its owner's DorvanKeys keyboard mode (Return then breaks lines instead
// of moving between fields), and back on when the focus leaves. Whether to
// do so is decided once, at the first focus.
#include "platform/gui/controls.h"

namespace kp {

// An owner with the keyboard mode in which Return and the arrow keys move
// between the form's fields.
class DorvanKeysOwner {
  public:
    virtual ~DorvanKeysOwner() = default;
    virtual bool DorvanKeys() const = 0;
    virtual void DorvanKeys(bool on) = 0;
};

// The mode switching, without a window.
class DorvanKeysSwitch {
  public:
    void FocusChange(bool gotFocus, DorvanKeysOwner* owner);
    bool lRestore() const { return lRestore_; }
    bool lFirst() const { return lFirst_; }

  private:
    bool lRestore_ = false;
    bool lFirst_ = true;
};

class MleDorvanKeys : public MultiLineEdit {
  public:
    MleDorvanKeys(Window* owner, const ResourceID& id) : MultiLineEdit(owner, id) {}
    MleDorvanKeys(Window* owner, int id, Point origin, Dimension size, DWORD style = 0)
        : MultiLineEdit(owner, id, origin, size, style) {}
    Symbol ClassName() const override { return Symbol("MLEDORVANKEYS"); }

    void FocusChange(FocusChangeEvent& e) override;
    const DorvanKeysSwitch& Switch() const { return switch_; }

  private:
    DorvanKeysSwitch switch_;
};

}  // namespace kp
