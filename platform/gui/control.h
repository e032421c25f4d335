#pragma once
// Control: the base of the controls on a window's canvas.
//
// A control object is either bound to a control that the owner's dialog
// resource already made (by its resource id), or makes a new one at an origin
// and size in the library's coordinates. Standard controls are subclassed, so
// that every message reaches Dispatch. A control made anew is destroyed with
// its object; a bound one belongs to its dialog and is only released.
//
// The owner keeps its controls (as members, usually std::unique_ptr) and
// lists them in Controls in creation order; a control must not outlive it.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/data/dataserver.h"
#include "platform/gui/window.h"

namespace kp {

class Control : public Window {
  public:
    Control(Window* owner, const ResourceID& id);
    ~Control() override;
    Symbol ClassName() const override;

    int ControlID() const;

    void Show(int showState = SHOWNORMAL) override;
    void SetFocus() override;

    // The window text.
    std::string TextValue() const { return Caption(); }
    virtual void TextValue(const std::string& text);

    std::shared_ptr<kp::Font> Font() const { return font_; }
    void Font(std::shared_ptr<kp::Font> font, bool redraw = true);
    // Background and text colour, applied when the control is drawn.
    std::shared_ptr<kp::Brush> Background() const { return background_; }
    void Background(std::shared_ptr<kp::Brush> brush);
    std::optional<kp::Color> TextColor() const { return textColor_; }
    void TextColor(std::optional<kp::Color> color);

    // The control's value; assigning it marks the value as changed.
    virtual Usual Value() const;
    virtual void Value(const Usual& value);
    // Assigns the value without marking it as changed.
    virtual void __Value(const Usual& value);
    bool ValueChanged() const { return valueChanged_; }
    void ValueChanged(bool on) { valueChanged_ = on; }
    // Whether the user has edited the control since the value was set.
    virtual bool Modified() const { return modified_; }
    virtual void Modified(bool on) { modified_ = on; }

    // Binding to a field of the owner's server.
    const kp::FieldSpec* FieldSpec() const { return fieldSpec_ ? &*fieldSpec_ : nullptr; }
    virtual void FieldSpec(const kp::FieldSpec& spec) { fieldSpec_ = spec; }
    DataServer* Server() const;  // the owning data window's, or null
    // Exchange with the server: take over an edit, write back, read in.
    virtual void __Update();
    virtual bool __Gather();
    virtual void __Scatter();

    // The menu a right click (or the context-menu key) on the control shows
    // instead of the control's own; its commands come to the control as
    // menu commands (WM_COMMAND from no control).
    std::shared_ptr<kp::Menu> ContextMenu() const { return contextMenu_; }
    void ContextMenu(std::shared_ptr<kp::Menu> menu) { contextMenu_ = std::move(menu); }

    LRESULT Dispatch(Event& e) override;

  protected:
    // Makes a new control of a Windows class on the owner's canvas (or on
    // another parent window of the owner, such as its frame).
    Control(Window* owner, int id, Point origin, Dimension size, LPCWSTR className, DWORD style,
            DWORD exStyle = 0, const std::string& text = {}, HWND parent = nullptr);

    // A WM_COMMAND notification of this control reached its owner.
    virtual void Notified(int notifyCode);
    void BeforeDispatch(Event& e) override;

    // Sets the window text without counting it as a user edit.
    void SetTextQuietly(const std::string& text);
    // Leaves the owner's Controls (for parts of a frame such as status bars).
    void Unregister();
    bool settingText_ = false;
    Usual value_;

  private:
    friend class Window;
    void Register();
    // The brush and colours for WM_CTLCOLOR*; null to leave the default.
    HBRUSH PrepareColors(HDC dc);

    bool valueChanged_ = false;
    bool modified_ = false;
    std::shared_ptr<kp::Font> font_;
    std::shared_ptr<kp::Brush> background_;
    std::optional<kp::Color> textColor_;
    std::optional<kp::FieldSpec> fieldSpec_;
    std::shared_ptr<kp::Menu> contextMenu_;
};

}  // namespace kp
