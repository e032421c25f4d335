#include "wordpad/tb97neu.h"

#include "titles/SystemColor.h"

namespace kp {

Toolbar97::Toolbar97(Window* owner, HBITMAP bitmap, int imageCount, std::optional<bool> flat)
    : Toolbar(owner) {
    if (flat.value_or(true)) {
        lFlat = true;
        oBackground = std::make_shared<Brush>(SystemColor(COLOR_MENU));
        hBackground = oBackground->Handle();
        SetStyle(TBSTYLE_FLAT, true);
    }
    if (bitmap)
        ButtonBitmap(bitmap, imageCount);
}

Symbol Toolbar97::ClassName() const {
    return Symbol("TOOLBAR97");
}

void Toolbar97::SetStyle(DWORD bits, bool enable) {
    if (lFlat && enable)
        bits = (bits | TBSTYLE_FLAT) & ~static_cast<DWORD>(TBSTYLE_WRAPABLE);
    Toolbar::SetStyle(bits, enable);
}

void Toolbar97::Background(std::shared_ptr<kp::Brush> brush) {
    if (!lFlat) {
        oBackground = brush;
        hBackground = brush ? brush->Handle() : nullptr;
        Toolbar::Background(std::move(brush));
        return;
    }
    if (!brush)
        return;  // not a brush: the old one stays
    oBackground = std::move(brush);
    hBackground = oBackground->Handle();
    if (Handle())
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void Toolbar97::Background(const Usual& value) {
    std::shared_ptr<kp::Brush> brush;
    if (value.IsObject())
        brush = std::dynamic_pointer_cast<kp::Brush>(value.AsObject());
    if (!brush && lFlat)
        return;
    Background(std::move(brush));
}

void Toolbar97::_Paint(HDC dc, const RECT& area) {
    if (dc && hBackground)
        FillRect(dc, &area, hBackground);
}

LRESULT Toolbar97::Dispatch(Event& e) {
    if (lFlat && e.Message() == WM_ERASEBKGND) {
        // The background goes on the device context Windows hands over,
        // within its clipping: the buttons are drawn over it by the paint
        // that follows, without anything being invalidated again.
        HDC dc = reinterpret_cast<HDC>(e.wParam());
        RECT area{};
        if (GetClipBox(dc, &area) == NULLREGION || IsRectEmpty(&area))
            GetClientRect(Handle(), &area);
        _Paint(dc, area);
        EventReturnValue(1);
        return 1;
    }
    // WM_PAINT and the rest: the toolbar's own drawing.
    return Toolbar::Dispatch(e);
}

}  // namespace kp
