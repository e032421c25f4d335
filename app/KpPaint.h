#pragma once
// The optional image library KPPAINT.DLL, bound at start-up when it can be
// found. Each function calls the entry point of the same name when the
// library is available and returns 0 without calling anything otherwise.
#include <array>
#include <cstdint>

namespace kp {

// The entry points, in the order they are looked up.
inline constexpr std::array<const char*, 10> kKpPaintEntries{
    "DIBCreateFromFile", "DIBCreateFromPTR", "DIBDelete", "DIBStretch",
    "DIBShow",           "DIBGetInfo",       "DIBSaveAs", "KPPaintLastErrorMsg",
    "KPPaintLastError",  "KPPaintShowErrors"};

// The library is usable when every entry point but DIBCreateFromPTR was
// found (that one is optional in older builds of the library); `found` is in
// the order of kKpPaintEntries.
bool KpPaintUsable(const std::array<bool, 10>& found);

// Loads KPPAINT.DLL by Windows' usual search rules and looks the entry
// points up. Returns whether the library is available.
bool BindKpPaint();
bool KpPaintAvailable();

intptr_t DIBCreateFromFile(intptr_t fileName);
intptr_t DIBCreateFromPTR(intptr_t data, intptr_t size);
intptr_t DIBDelete(intptr_t dib);
intptr_t DIBStretch(intptr_t dib, intptr_t dc, intptr_t origin, intptr_t size, double scale);
intptr_t DIBShow(intptr_t dib, intptr_t dc);
intptr_t DIBGetInfo(intptr_t dib);
intptr_t DIBSaveAs(intptr_t dib, intptr_t fileName);
intptr_t KPPaintLastErrorMsg();
intptr_t KPPaintLastError();
intptr_t KPPaintShowErrors(intptr_t on);

}  // namespace kp
