// The least a Windows program can do to show a window: the yardstick for
// the conversion window's start under Wine (bench_window_bare --start). It
// looks for the benchmark like the conversion window: caption
// "VeltoTax2010", a button with id 100 ("&Schliessen") that ends it.
#include <windows.h>

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && LOWORD(wp) == 100) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"KpBareWindow";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassW(&wc);
    HWND window = CreateWindowW(L"KpBareWindow", L"VeltoTax2010", WS_OVERLAPPEDWINDOW, 100, 100,
                                440, 280, nullptr, nullptr, instance, nullptr);
    CreateWindowW(L"BUTTON", L"&Schliessen", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 100, 24,
                  window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(100)), instance, nullptr);
    ShowWindow(window, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
