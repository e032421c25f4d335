#include "dialogs/dlgAbout.h"

#include <commctrl.h>

#include "platform/gui/handles.h"
#include "platform/runtime/program.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/transform.h"

namespace kp {

std::string FreeMemoryText(uint64_t bytes) {
    const auto kilobytes = static_cast<int64_t>(bytes / 1024);
    return LTrim(TransformInt(kilobytes, "@E 999,999,999,999")) + " KB frei";
}

std::string FreeResourcesText(uint64_t percent) {
    return PadL(std::to_string(percent), 3) + " % frei";
}

namespace {

// The two separators are group boxes four units high with no text. Drawn as
// group boxes, such a flat box comes out as a frame squeezed to a few broken
// strokes; the user is meant to see a line, so they are drawn as one: an
// etched line across the control's middle.
constexpr int kSeparators[] = {100, 102};

LRESULT CALLBACK SeparatorProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            const PaintDC paint(hwnd);
            RECT area{};
            GetClientRect(hwnd, &area);
            // The dialog's own background, as any static text on it gets.
            auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
                GetParent(hwnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(paint.Handle()),
                reinterpret_cast<LPARAM>(hwnd)));
            FillRect(paint.Handle(), &area, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
            RECT line = area;
            line.top = (area.top + area.bottom) / 2 - 1;
            line.bottom = line.top + 2;
            DrawEdge(paint.Handle(), &line, EDGE_ETCHED, BF_TOP);
            return 0;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, SeparatorProc, id);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

DlgAbout::DlgAbout(Window* owner) : DlgAboutLayout(owner) {
    TxtFreeMemory->Caption(FreeMemoryText(Memory(0)));
    TxtFreeRessources->Caption(FreeResourcesText(Memory(100)));
    for (int id : kSeparators)
        if (HWND separator = GetDlgItem(Handle(), id))
            SetWindowSubclass(separator, SeparatorProc, static_cast<UINT_PTR>(id), 0);
}

Symbol DlgAbout::ClassName() const {
    return Symbol("DLGABOUT");
}

Method DlgAbout::FindMethod(Symbol name) {
    static const MethodTable<DlgAbout> methods{{"PshOK", &DlgAbout::PshOK}};
    if (Method m = methods.Bind(this, name))
        return m;
    return DlgAboutLayout::FindMethod(name);
}

}  // namespace kp
