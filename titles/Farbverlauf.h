#pragma once
// The title controls: a one-line heading across the top of a window, a
// text in a chosen font and colour with an optional icon at its left, over
// a colour gradient (MlGradientTitel, MlGradientTitelMemo) or a flat grey
// with an optional text shadow (MlGrayTitel). MlTitel and MlTitelMemo are
// the bases; they differ only in their default colours and paint no
// background of their own.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/controls.h"

namespace kp {

class TitelControl;

// Owner services a title control uses when its owner offers them.
class TitelControlRegistry {
  public:
    virtual ~TitelControlRegistry() = default;
    virtual void RegisterControl(TitelControl* control) = 0;
};
class TitelMouseListener {
  public:
    virtual ~TitelMouseListener() = default;
    virtual void OnMouseInTitelDown(TitelControl* control) = 0;
};

// ---- The drawing rules, without a device.

// One strip of the gradient: [left, right) across the whole height.
struct GradientStrip {
    int left;
    int right;
    COLORREF color;
};
// The strips of a gradient fill of a client area `width` pixels wide, from
// the right edge towards the left: each component above its end component
// falls by one per strip, the others keep the start colour's value.
std::vector<GradientStrip> GradientStrips(int width, COLORREF start, COLORREF end, uint32_t step);

struct TitelLayout {
    RECT icon;        // where the icon goes (empty without one)
    RECT text;        // the text rectangle
    RECT shadowText;  // where the shadow is drawn (text is moved off it)
};
// Places icon and text in a client rectangle of a control `controlHeight`
// pixels high. With a shadow the text rectangle moves 2 pixels right and up
// from where the shadow is drawn.
TitelLayout LayoutTitel(const RECT& client, int controlHeight, bool hasIcon, bool shade);

// ---- The controls.

// The shared implementation of MlTitel and MlTitelMemo.
class TitelControl : public CustomControl {
  public:
    using Control::Font;
    using Control::TextColor;

    void Font(const std::string& faceName) { faceName_ = faceName; }
    void FontHeight(uint32_t pixels) { fontHeight_ = pixels; }
    void TextColor(COLORREF color) { textColor_ = color; }
    void Titel(const std::string& text) { titel_ = text; }
    void Icon(std::shared_ptr<kp::Icon> icon) { icon_ = std::move(icon); }
    void BackgroundColor(COLORREF color) { backgroundColor_ = color; }

    // Asks the owner to repaint the control's area.
    void Refresh();
    // Draws icon and title into a device context.
    virtual void PaintText(HDC dc);

    void Assign2Group(Symbol group);
    bool IsInGroup(Symbol group) const;
    void RemoveFromGroup(Symbol group);

    void MouseButtonDown(MouseEvent& e) override;
    virtual void MouseEnter() {}
    virtual void MouseExit() {}

    // Read back for painting and tests.
    const std::string& Titel() const { return titel_; }
    const std::string& FaceName() const { return faceName_; }
    uint32_t FontHeight() const { return fontHeight_; }
    COLORREF TitelTextColor() const { return textColor_; }
    COLORREF BackgroundColor() const { return backgroundColor_; }

  protected:
    TitelControl(Window* owner, const ResourceID& id, COLORREF text, COLORREF background);
    TitelControl(Window* owner, int id, Point origin, Dimension size, DWORD style,
                 std::string_view className, COLORREF text, COLORREF background);

    // The shadow, for the grey title only.
    virtual bool ShadeOn() const { return false; }
    virtual COLORREF ShadeColorValue() const { return 0; }

  private:
    void SetDefaults(COLORREF text, COLORREF background);

    std::string faceName_;
    uint32_t fontHeight_ = 0;
    std::string titel_;
    COLORREF textColor_ = 0;
    std::shared_ptr<kp::Icon> icon_;
    std::vector<Symbol> groups_;
    COLORREF backgroundColor_ = 0;
};

class MlTitel : public TitelControl {
  public:
    MlTitel(Window* owner, const ResourceID& id);
    MlTitel(Window* owner, int id, Point origin, Dimension size, DWORD style = WS_VISIBLE,
            std::string_view windowClass = "MlTitel");
    Symbol ClassName() const override;
};

class MlTitelMemo : public TitelControl {
  public:
    MlTitelMemo(Window* owner, const ResourceID& id);
    MlTitelMemo(Window* owner, int id, Point origin, Dimension size, DWORD style = WS_VISIBLE,
                std::string_view windowClass = "MlTitelMemo");
    Symbol ClassName() const override;
};

// Fills the client area of hwnd in dc with the gradient from start (right)
// towards end (left).
void GradientFillVertical(HWND hwnd, HDC dc, COLORREF start, COLORREF end, uint32_t step);

// The gradient background shared by MlGradientTitel and MlGradientTitelMemo;
// the end colour starts as the base's default background colour.
template <class Base>
class GradientTitel : public Base {
  public:
    void EndColor(COLORREF color) { endColor_ = color; }
    // A step below 1 would never move the gradient on; it counts as 1.
    void StepSize(uint32_t pixels) { stepSize_ = pixels < 1 ? 1 : pixels; }
    void GradientFillVertical(HWND hwnd, HDC dc, COLORREF start);
    void Expose(ExposeEvent& e) override;

  protected:
    GradientTitel(Window* owner, const ResourceID& id)
        : Base(owner, id), endColor_(this->BackgroundColor()) {}
    GradientTitel(Window* owner, int id, Point origin, Dimension size, DWORD style,
                  std::string_view windowClass)
        : Base(owner, id, origin, size, style, windowClass), endColor_(this->BackgroundColor()) {}

  private:
    COLORREF endColor_;
    uint32_t stepSize_ = 3;
};
extern template class GradientTitel<MlTitel>;
extern template class GradientTitel<MlTitelMemo>;

class MlGradientTitel : public GradientTitel<MlTitel> {
  public:
    MlGradientTitel(Window* owner, const ResourceID& id);
    MlGradientTitel(Window* owner, int id, Point origin, Dimension size, DWORD style = WS_VISIBLE);
    Symbol ClassName() const override;
};

class MlGradientTitelMemo : public GradientTitel<MlTitelMemo> {
  public:
    MlGradientTitelMemo(Window* owner, const ResourceID& id);
    MlGradientTitelMemo(Window* owner, int id, Point origin, Dimension size,
                        DWORD style = WS_VISIBLE);
    Symbol ClassName() const override;
};

class MlGrayTitel : public MlTitel {
  public:
    MlGrayTitel(Window* owner, const ResourceID& id);
    MlGrayTitel(Window* owner, int id, Point origin, Dimension size, DWORD style = WS_VISIBLE);
    Symbol ClassName() const override;

    void GrayColor(COLORREF color) { grayColor_ = color; }
    void ShadeColor(COLORREF color) { shadeColor_ = color; }
    COLORREF ShadeColor() const { return shadeColor_; }
    void Shade(bool on) { shade_ = on; }
    bool Shade() const { return shade_; }
    void FillGray(HWND hwnd, HDC dc);
    void Expose(ExposeEvent& e) override;

  protected:
    bool ShadeOn() const override { return shade_; }
    COLORREF ShadeColorValue() const override { return shadeColor_; }

  private:
    COLORREF grayColor_ = RGB(192, 192, 192);
    COLORREF shadeColor_ = RGB(1, 1, 1);
    bool shade_ = false;
};

// Registers the window classes of the five controls, so that dialog
// resources can name them. Call before any such dialog is created.
void RegisterTitelClasses();

}  // namespace kp
