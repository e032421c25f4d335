// VeltoTax2010: the window "VeltoTax2010" with its form from the resource
// "dtaStart_layout" in a fixed frame; "&Schliessen" and the close box end it.
#include <windows.h>
#include <commctrl.h>

#include "resources/resource_ids.h"

namespace {

constexpr int kIdSchliessen = 100;

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wp) == kIdSchliessen && HIWORD(wp) == BN_CLICKED) {
            DestroyWindow(hwnd);
            return 0;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

INT_PTR CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND) {
        // The frame decides what a button means.
        SendMessageW(GetParent(hwnd), msg, wp, lp);
        return TRUE;
    }
    return msg == WM_INITDIALOG;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int show) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    WNDCLASSEXW title{};
    title.cbSize = sizeof(title);
    title.lpfnWndProc = DefWindowProcW;
    title.hInstance = inst;
    title.lpszClassName = L"" KP_TITLE_GRADIENT_CLASS;
    RegisterClassExW(&title);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = inst;
    wc.hIcon = LoadIconW(inst, MAKEINTRESOURCEW(IDI_APP));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"KpVeltoTax2010";
    if (!RegisterClassExW(&wc)) return 1;

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    HWND frame = CreateWindowExW(0, wc.lpszClassName, L"VeltoTax2010", style, CW_USEDEFAULT,
                                 CW_USEDEFAULT, 100, 100, nullptr, nullptr, inst, nullptr);
    if (!frame) return 1;
    HWND form = CreateDialogParamW(inst, L"DTASTART_LAYOUT", frame, FormProc, 0);
    if (!form) return 1;

    // Size the frame so that its client area is exactly the form.
    RECT rc{0, 0, 296, 166};
    MapDialogRect(form, &rc);
    AdjustWindowRectEx(&rc, style, FALSE, 0);
    SetWindowPos(frame, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    ShowWindow(frame, show);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(form, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
