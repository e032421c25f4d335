#include "forms/dtaWindow.h"

#include <algorithm>

#include "forms/funControl.h"
#include "forms/funString.h"
#include "platform/gui/handles.h"
#include "platform/runtime/numbers.h"
#include "platform/runtime/strings.h"

namespace kp {

Point Center2Origin(Dimension screen, Dimension window) {
    // A window larger than the screen keeps its caption on the screen: its
    // left edge at 0 and its top edge at the screen's top.
    const int x = std::max(0, (screen.width - window.width) / 2);
    const int top = screen.height - window.height;  // origin y that puts the top edge at the top
    int y;
    if (screen.height < 601)
        // Low resolution: the window goes to the top of the screen, one pixel
        // below its edge, so the taskbar at the bottom cannot cover the buttons.
        y = top >= 1 ? top - 1 : top;
    else
        y = top >= 0 ? top / 2 : top;
    return Point(std::min(x, 0xFFFF), std::min(y, 0xFFFF));
}

Point CenterOrigin(Dimension area, Dimension window) {
    const int x = std::max(0, (area.width - window.width) / 2);
    const int top = area.height - window.height;  // origin y that puts the top edge at the top
    const int y = top >= 0 ? top / 2 : top;
    return Point(x, y);
}

std::vector<TabPageDescription> TabPagesFromIni(const IniSectionReader& section) {
    std::vector<TabPageDescription> pages;
    if (!section.getInt || !section.getString)
        return pages;
    const int32_t count = std::min<int32_t>(section.getInt("Laschen"), kMaxTabPages);
    for (int32_t i = 1; i <= count; ++i) {
        const std::string line = section.getString("Lasche" + std::to_string(i));
        const std::string name = AllTrim(Token(line, 1));
        if (name.empty())
            continue;  // a missing line is no page
        TabPageDescription page;
        page.name = Symbol(name);
        page.caption = AllTrim(Token(line, 2));
        const double image = Val(Token(line, 3));
        page.image = image >= 0 && image <= 65535 ? static_cast<int>(image) : 0;
        page.tip = AllTrim(Token(line, 4));
        pages.push_back(std::move(page));
    }
    return pages;
}

int GetScreenX() {
    return GetSystemMetrics(SM_CXSCREEN);
}
int GetScreenY() {
    return GetSystemMetrics(SM_CYSCREEN);
}
int GetCaptionY() {
    return GetSystemMetrics(SM_CYCAPTION);
}
int GetFrameY() {
    return GetSystemMetrics(SM_CYFRAME);
}
int GetMenuY() {
    return GetSystemMetrics(SM_CYMENU);
}

void CenterWindow(Window& window) {
    HWND h = window.Handle();
    if (!h)
        return;
    RECT r{};
    GetWindowRect(h, &r);
    const int w = r.right - r.left;
    const int height = r.bottom - r.top;
    const int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - w) >> 1);
    const int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) >> 1);
    MoveWindow(h, x, y, w, height, TRUE);
}

void EditSetReadOnly(Edit& edit) {
    edit.ReadOnly(true);
}
void EditSetReadWrite(Edit& edit) {
    edit.ReadOnly(false);
}

std::vector<Window*> GetAllControls(const Window& window) {
    std::vector<Window*> out;
    if (!window.Handle())
        return out;
    for (HWND h = GetWindow(window.Handle(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (Window* w = GetObjectByHandle(h))
            out.push_back(w);
    return out;
}

bool IsEnabled(const Window& window) {
    return window.Handle() && IsWindowEnabled(window.Handle());
}

int GetColorDepth(HWND hwnd) {
    ClientDC dc(hwnd);
    return dc.Handle() ? GetDeviceCaps(dc.Handle(), COLORRES) : 0;
}

int GetColorCount(HWND hwnd) {
    ClientDC dc(hwnd);
    return dc.Handle() ? GetDeviceCaps(dc.Handle(), NUMCOLORS) : 0;
}

DtaWindow::DtaWindow(Window* owner, const ResourceID& form, bool subForm)
    : DtaAbstract(owner, form, subForm) {
    firstTabNo_ = 1;
    if (auto* registry = dynamic_cast<ChildRegistry*>(owner)) {
        registry->RegisterChild(this);
        registered_ = true;
    }
}

DtaWindow::~DtaWindow() {
    Unregister();
}

Symbol DtaWindow::ClassName() const {
    return Symbol("DTAWINDOW");
}

void DtaWindow::Unregister() {
    // The shell's Close entry must not stay grey after the form that greyed
    // it is gone.
    if (greyedShellClose_) {
        greyedShellClose_ = false;
        if (auto* shell = dynamic_cast<ShellWindow*>(Owner()); shell && shell->Handle())
            EnableSystemClose(shell->Handle(), true);
    }
    if (!registered_)
        return;
    registered_ = false;
    if (auto* registry = dynamic_cast<ChildRegistry*>(Owner()))
        registry->UnRegisterChild(this);
}

void DtaWindow::Destroy() {
    Unregister();
    DtaAbstract::Destroy();
}

void DtaWindow::Valid(bool on) {
    DtaAbstract::Valid(on);
    if (auto* shell = dynamic_cast<ShellWindow*>(Owner()); shell && shell->Handle()) {
        EnableSystemClose(shell->Handle(), on);
        greyedShellClose_ = !on;
    }
}

void DtaWindow::Center() {
    Window* owner = Owner();
    Dimension area(GetScreenX(), GetScreenY());
    if (owner && owner->Handle()) {
        area = owner->CanvasSize();
        const Dimension size = Size();
        if (area.width < size.width || area.height < size.height) {
            owner->Show(SHOWNORMAL);
            area = owner->CanvasSize();
        }
    }
    Origin(CenterOrigin(area, Size()));
}

void DtaWindow::AddTabPages(TabControl& tabs, const std::vector<TabPageDescription>& pages) {
    if (pages.empty())
        return;
    for (const TabPageDescription& page : pages) {
        tabs.AppendTab(page.name, page.caption, nullptr, 0);
        if (page.image)
            tabs.SetTabImage(page.name, *page.image);
        if (page.tip)
            tabs.AddTipText(page.name, *page.tip);
    }
    const int32_t count = static_cast<int32_t>(pages.size());
    const int32_t first = std::clamp<int32_t>(firstTabNo_, 1, count);
    tabs.SelectTab(pages[static_cast<size_t>(first - 1)].name);
}

void DtaWindow::AddTabPagesIni(TabControl& tabs, const std::string& iniName,
                               const std::string& section) {
    AddTabPages(tabs, TabPagesFromIni(OpenIniSection(iniName, section)));
}

void DtaWindow::TabSelect(ControlNotifyEvent& e) {
    DtaAbstract::TabSelect(e);
    TabControl* tabs = SelectedTabControl(e);
    if (!tabs)
        return;
    Window* page = tabs->CurrentPage();
    if (!page || page->ClassName() == Symbol("WINDOW"))
        tabs->SelectTab(tabs->SelectedTab());
}

bool DtaWindow::QueryClose(Event&) {
    Hide();
    return true;
}

void DtaWindow::MenuInit(MenuInitEvent& e) {
    if (Handle())
        EnableSystemClose(Handle(), Valid());
    DtaAbstract::MenuInit(e);
}

void DtaWindow::Center2() {
    Origin(Center2Origin(Dimension(GetScreenX(), GetScreenY()), Size()));
}

void DtaWindow::SetNonResize(bool maxBox) {
    EnableBorder(maxBox ? WINDOWSIZINGBORDER : WINDOWNONSIZINGBORDER);
    EnableMaxBox(maxBox);
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
}

}  // namespace kp
