#pragma once
// Toolbar97: a toolbar that draws flat buttons on a background brush of its
// own (the menu colour unless told otherwise). With the flat flag off it is
// the library's plain toolbar.
//
// The background is filled with the device context Windows hands to the
// erase message, and painting never invalidates anything, so a paint does
// not bring on the next one.
#include <windows.h>

#include <memory>
#include <optional>

#include "platform/gui/toolbar.h"
#include "platform/runtime/usual.h"

namespace kp {

class Toolbar97 : public Toolbar {
  public:
    // flat: unset or true turns the flat drawing on (background brush of the
    // system menu colour, TBSTYLE_FLAT). A bitmap strip, when given, holds
    // the button pictures (see Toolbar::ButtonBitmap).
    explicit Toolbar97(Window* owner, HBITMAP bitmap = nullptr, int imageCount = 0,
                       std::optional<bool> flat = std::nullopt);
    Symbol ClassName() const override;

    bool Flat() const { return lFlat; }

    // While flat and enabling: flat on, wrapping off, whatever bits were given.
    void SetStyle(DWORD bits, bool enable = true) override;

    std::shared_ptr<kp::Brush> Background() const override { return oBackground; }
    // While flat a brush replaces the background (and the toolbar repaints at
    // once); a null brush is not a brush and is ignored. Otherwise the brush
    // goes to the plain toolbar.
    void Background(std::shared_ptr<kp::Brush> brush) override;
    // Any value: only a Brush object counts (see above).
    void Background(const Usual& value);

    LRESULT Dispatch(Event& e) override;

  private:
    // Fills the area with the background brush on the device context given.
    void _Paint(HDC dc, const RECT& area);

    std::shared_ptr<kp::Brush> oBackground;
    HBRUSH hBackground = nullptr;  // oBackground's handle, for painting
    bool lFlat = false;
};

}  // namespace kp
