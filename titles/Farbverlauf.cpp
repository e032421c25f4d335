#include "titles/Farbverlauf.h"

#include <algorithm>

#include "platform/gui/handles.h"
#include "platform/runtime/utf8.h"

namespace kp {

std::vector<GradientStrip> GradientStrips(int width, COLORREF start, COLORREF end, uint32_t step) {
    std::vector<GradientStrip> strips;
    const int s = static_cast<int>(std::max<uint32_t>(step, 1));
    int r = GetRValue(start), g = GetGValue(start), b = GetBValue(start);
    const int R = GetRValue(end), G = GetGValue(end), B = GetBValue(end);
    for (int i = 1; i <= width; i += s) {
        if (r > R)
            --r;
        if (g > G)
            --g;
        if (b > B)
            --b;
        strips.push_back({width - i - s, width - i, RGB(r, g, b)});
    }
    return strips;
}

TitelLayout LayoutTitel(const RECT& client, int controlHeight, bool hasIcon, bool shade) {
    TitelLayout l{};
    l.text = client;
    if (hasIcon) {
        const int side = controlHeight - 6;
        l.icon = RECT{3, client.top + 3, 3 + side, client.top + 3 + side};
        l.text.left = controlHeight + 8;
    } else {
        l.text.left = 5;
    }
    l.shadowText = l.text;
    if (shade) {
        l.text.left += 2;
        l.text.top -= 2;
    }
    return l;
}

// ---- TitelControl

TitelControl::TitelControl(Window* owner, const ResourceID& id, COLORREF text, COLORREF background)
    : CustomControl(owner, id) {
    SetDefaults(text, background);
}

TitelControl::TitelControl(Window* owner, int id, Point origin, Dimension size, DWORD style,
                           std::string_view className, COLORREF text, COLORREF background)
    : CustomControl(owner, id, origin, size, style, className) {
    SetDefaults(text, background);
}

void TitelControl::SetDefaults(COLORREF text, COLORREF background) {
    faceName_ = "Arial";
    const int h = Size().height - 6;
    fontHeight_ = h > 0 ? static_cast<uint32_t>(h) : 0;
    titel_ = "Titel";
    textColor_ = text;
    backgroundColor_ = background;
    groups_.clear();
    if (auto* registry = dynamic_cast<TitelControlRegistry*>(Owner()))
        registry->RegisterControl(this);
}

void TitelControl::Refresh() {
    if (Window* owner = Owner())
        owner->RepaintBoundingBox(BoundingBox(Origin(), Size()));
}

void TitelControl::PaintText(HDC dc) {
    RECT client{};
    GetClientRect(Handle(), &client);
    const int height = Size().height;
    const TitelLayout l = LayoutTitel(client, height, icon_ && icon_->Handle(), ShadeOn());

    SetBkMode(dc, TRANSPARENT);
    GdiHandle<HFONT> font(CreateFontW(static_cast<int>(fontHeight_), 0, 0, 0, FW_NORMAL, FALSE,
                                      FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                      CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                                      DEFAULT_PITCH | FF_DONTCARE, Utf8ToWide(faceName_).c_str()));
    SelectedObject selected(dc, font.Get());
    SetTextColor(dc, textColor_);
    if (icon_ && icon_->Handle())
        DrawIconEx(dc, l.icon.left, l.icon.top, icon_->Handle(), l.icon.right - l.icon.left,
                   l.icon.bottom - l.icon.top, 0, nullptr, DI_NORMAL);

    const std::wstring text = Utf8ToWide(titel_);
    const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    if (ShadeOn()) {
        RECT shadow = l.shadowText;
        SetTextColor(dc, ShadeColorValue());
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &shadow, flags);
        SetTextColor(dc, textColor_);
    }
    RECT r = l.text;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
}

void TitelControl::Assign2Group(Symbol group) {
    if (!IsInGroup(group))
        groups_.push_back(group);
}

bool TitelControl::IsInGroup(Symbol group) const {
    return std::find(groups_.begin(), groups_.end(), group) != groups_.end();
}

void TitelControl::RemoveFromGroup(Symbol group) {
    auto it = std::find(groups_.begin(), groups_.end(), group);
    if (it != groups_.end())
        groups_.erase(it);
}

void TitelControl::MouseButtonDown(MouseEvent& e) {
    CustomControl::MouseButtonDown(e);
    if (auto* listener = dynamic_cast<TitelMouseListener*>(Owner()))
        listener->OnMouseInTitelDown(this);
}

// ---- The two bases and their defaults

MlTitel::MlTitel(Window* owner, const ResourceID& id)
    : TitelControl(owner, id, RGB(250, 250, 250), RGB(0, 0, 0)) {}
MlTitel::MlTitel(Window* owner, int id, Point origin, Dimension size, DWORD style,
                 std::string_view windowClass)
    : TitelControl(owner, id, origin, size, style, windowClass, RGB(250, 250, 250), RGB(0, 0, 0)) {}
Symbol MlTitel::ClassName() const {
    return Symbol("MLTITEL");
}

MlTitelMemo::MlTitelMemo(Window* owner, const ResourceID& id)
    : TitelControl(owner, id, RGB(0, 0, 0), GetSysColor(COLOR_BTNFACE)) {}
MlTitelMemo::MlTitelMemo(Window* owner, int id, Point origin, Dimension size, DWORD style,
                         std::string_view windowClass)
    : TitelControl(owner, id, origin, size, style, windowClass, RGB(0, 0, 0),
                   GetSysColor(COLOR_BTNFACE)) {}
Symbol MlTitelMemo::ClassName() const {
    return Symbol("MLTITELMEMO");
}

// ---- Gradient

void GradientFillVertical(HWND hwnd, HDC dc, COLORREF start, COLORREF end, uint32_t step) {
    RECT client{};
    GetClientRect(hwnd, &client);
    const int height = client.bottom - client.top;
    for (const GradientStrip& s : GradientStrips(client.right - client.left, start, end, step)) {
        GdiHandle<HBRUSH> brush(CreateSolidBrush(s.color));
        SelectedObject selected(dc, brush.Get());
        RECT strip{s.left, 0, s.right, height};
        FillRect(dc, &strip, brush.Get());
    }
}

template <class Base>
void GradientTitel<Base>::GradientFillVertical(HWND hwnd, HDC dc, COLORREF start) {
    kp::GradientFillVertical(hwnd, dc, start, endColor_, stepSize_);
}

template <class Base>
void GradientTitel<Base>::Expose(ExposeEvent&) {
    PaintDC dc(this->Handle());
    // The start colour follows the system's button face at every paint.
    GradientFillVertical(this->Handle(), dc.Handle(), GetSysColor(COLOR_BTNFACE));
    this->PaintText(dc.Handle());
}

template class GradientTitel<MlTitel>;
template class GradientTitel<MlTitelMemo>;

MlGradientTitel::MlGradientTitel(Window* owner, const ResourceID& id) : GradientTitel(owner, id) {}
MlGradientTitel::MlGradientTitel(Window* owner, int id, Point origin, Dimension size, DWORD style)
    : GradientTitel(owner, id, origin, size, style, "MlGradientTitel") {}
Symbol MlGradientTitel::ClassName() const {
    return Symbol("MLGRADIENTTITEL");
}

MlGradientTitelMemo::MlGradientTitelMemo(Window* owner, const ResourceID& id)
    : GradientTitel(owner, id) {}
MlGradientTitelMemo::MlGradientTitelMemo(Window* owner, int id, Point origin, Dimension size,
                                         DWORD style)
    : GradientTitel(owner, id, origin, size, style, "MlGradientTitelMemo") {}
Symbol MlGradientTitelMemo::ClassName() const {
    return Symbol("MLGRADIENTTITELMEMO");
}

// ---- Grey

MlGrayTitel::MlGrayTitel(Window* owner, const ResourceID& id) : MlTitel(owner, id) {}
MlGrayTitel::MlGrayTitel(Window* owner, int id, Point origin, Dimension size, DWORD style)
    : MlTitel(owner, id, origin, size, style, "MlGrayTitel") {}
Symbol MlGrayTitel::ClassName() const {
    return Symbol("MLGRAYTITEL");
}

void MlGrayTitel::FillGray(HWND hwnd, HDC dc) {
    RECT client{};
    GetClientRect(hwnd, &client);
    GdiHandle<HBRUSH> brush(CreateSolidBrush(grayColor_));
    FillRect(dc, &client, brush.Get());
}

void MlGrayTitel::Expose(ExposeEvent&) {
    PaintDC dc(Handle());
    FillGray(Handle(), dc.Handle());
    PaintText(dc.Handle());
}

void RegisterTitelClasses() {
    for (std::string_view name :
         {"MlTitel", "MlTitelMemo", "MlGradientTitel", "MlGradientTitelMemo", "MlGrayTitel"})
        CustomControl::RegisterWindowClass(name);
}

}  // namespace kp
