#include "platform/gui/tabcontrol.h"

#include "platform/gui/drawing.h"
#include "platform/gui/internal.h"
#include "platform/runtime/error.h"
#include "platform/runtime/utf8.h"

namespace kp {

// ---------------------------------------------------------------- image list

ImageList::ImageList(int width, int height)
    : handle_(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 4, 4)) {}

ImageList::~ImageList() {
    if (handle_)
        ImageList_Destroy(handle_);
}

int ImageList::Add(const kp::Icon& icon) {
    if (!handle_ || !icon.Handle())
        return 0;
    const int index = ImageList_AddIcon(handle_, icon.Handle());
    return index < 0 ? 0 : index + 1;
}

int ImageList::Count() const {
    return handle_ ? ImageList_GetImageCount(handle_) : 0;
}

// ---------------------------------------------------------------- tab control

TabControl::TabControl(Window* owner, const ResourceID& id) : Control(owner, id) {
    Prepare();
}

TabControl::TabControl(Window* owner, int id, Point origin, Dimension size, DWORD style)
    : Control(owner, id, origin, size, WC_TABCONTROLW, style) {
    Prepare();
}

TabControl::~TabControl() {
    if (parent_)
        RemoveWindowSubclass(parent_, &TabControl::ParentProc, reinterpret_cast<UINT_PTR>(this));
    // Pages go before the control they sit on.
    current_ = nullptr;
    tabs_.clear();
}

Symbol TabControl::ClassName() const {
    return Symbol("TABCONTROL");
}

void TabControl::Prepare() {
    HWND h = Handle();
    if (!h)
        return;
    // Pages are siblings above the control: it must not paint over them.
    SetWindowLongPtrW(h, GWL_STYLE, GetWindowLongPtrW(h, GWL_STYLE) | WS_CLIPSIBLINGS);
    // The selection and the tip requests are sent to the parent; the control
    // hears of them there before the owner does.
    parent_ = GetParent(h);
    if (parent_)
        SetWindowSubclass(parent_, &TabControl::ParentProc, reinterpret_cast<UINT_PTR>(this),
                          reinterpret_cast<DWORD_PTR>(this));
}

int TabControl::Find(Symbol name) const {
    if (name.IsNull())
        return -1;
    for (size_t i = 0; i < tabs_.size(); ++i)
        if (tabs_[i].name == name)
            return static_cast<int>(i);
    return -1;
}

bool TabControl::AppendTab(Symbol name, const std::string& caption, std::unique_ptr<Window> page,
                           int image) {
    if (!Handle() || name.IsNull() || Find(name) >= 0)
        return false;
    std::wstring text = Utf8ToWide(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = text.data();
    item.iImage = image > 0 ? image - 1 : -1;
    const int at = static_cast<int>(tabs_.size());
    if (SendMessageW(Handle(), TCM_INSERTITEMW, at, reinterpret_cast<LPARAM>(&item)) < 0)
        return false;
    if (page)
        page->Hide();
    tabs_.push_back(Tab{name, std::move(page), {}, image > 0 ? image : 0});
    // The first tab is selected by the control itself; its page shows.
    if (tabs_.size() == 1)
        ShowPage(0);
    return true;
}

int TabControl::GetTabIndex(Symbol name) const {
    return Find(name) + 1;
}

Symbol TabControl::GetTabName(int position) const {
    if (position < 1 || position > TabCount())
        return Symbol();
    return tabs_[static_cast<size_t>(position - 1)].name;
}

std::string TabControl::TabCaption(Symbol name) const {
    const int i = Find(name);
    if (i < 0 || !Handle())
        return {};
    wchar_t buffer[256] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = 255;
    SendMessageW(Handle(), TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    return WideToUtf8(item.pszText ? item.pszText : L"");
}

void TabControl::SetTabImage(Symbol name, int image) {
    const int i = Find(name);
    if (i < 0)
        return;
    tabs_[static_cast<size_t>(i)].image = image > 0 ? image : 0;
    TCITEMW item{};
    item.mask = TCIF_IMAGE;
    item.iImage = image > 0 ? image - 1 : -1;
    SendMessageW(Handle(), TCM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
}

int TabControl::TabImage(Symbol name) const {
    const int i = Find(name);
    return i < 0 ? 0 : tabs_[static_cast<size_t>(i)].image;
}

void TabControl::AddTipText(Symbol name, const std::string& text) {
    const int i = Find(name);
    if (i >= 0)
        tabs_[static_cast<size_t>(i)].tip = text;
}

std::string TabControl::TipText(Symbol name) const {
    const int i = Find(name);
    return i < 0 ? std::string() : tabs_[static_cast<size_t>(i)].tip;
}

void TabControl::ImageList(std::shared_ptr<kp::ImageList> images) {
    images_ = std::move(images);
    if (Handle())
        SendMessageW(Handle(), TCM_SETIMAGELIST, 0,
                     reinterpret_cast<LPARAM>(images_ ? images_->Handle() : nullptr));
}

bool TabControl::SelectTab(Symbol name) {
    const int i = Find(name);
    if (i < 0 || !Handle())
        return false;
    SendMessageW(Handle(), TCM_SETCURSEL, i, 0);
    ShowPage(i);
    return true;
}

Symbol TabControl::SelectedTab() const {
    if (!Handle())
        return Symbol();
    const int i = static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0));
    return GetTabName(i + 1);
}

Window* TabControl::GetTabPage(Symbol name) const {
    const int i = Find(name);
    return i < 0 ? nullptr : tabs_[static_cast<size_t>(i)].page.get();
}

RECT TabControl::PageArea() const {
    RECT r{};
    HWND h = Handle();
    if (!h)
        return r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    SendMessageW(h, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
}

void TabControl::ShowPage(int index) {
    if (index < 0 || index >= TabCount())
        return;
    Tab& tab = tabs_[static_cast<size_t>(index)];
    if (!tab.page && factory_)
        tab.page = factory_(tab.name);
    Window* page = tab.page.get();
    if (current_ && current_ != page)
        current_->Hide();
    current_ = page;
    if (!page || !page->Handle())
        return;
    // The page covers the display area, above the control.
    RECT area = PageArea();
    HWND pageParent = GetParent(page->Handle());
    if (pageParent && pageParent != GetParent(Handle()))
        MapWindowPoints(GetParent(Handle()), pageParent, reinterpret_cast<POINT*>(&area), 2);
    SetWindowPos(page->Handle(), HWND_TOP, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOACTIVATE);
    page->Show();
}

bool TabControl::AnswerTip(const NMHDR* header) {
    if (!header || header->code != TTN_GETDISPINFOW || !Handle())
        return false;
    HWND tips = reinterpret_cast<HWND>(SendMessageW(Handle(), TCM_GETTOOLTIPS, 0, 0));
    if (!tips || header->hwndFrom != tips)
        return false;
    const size_t i = static_cast<size_t>(header->idFrom);
    if (i >= tabs_.size())
        return false;
    // The text must outlive this message: the tool tip copies it later.
    tipBuffer_ = Utf8ToWide(tabs_[i].tip);
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(header));
    info->lpszText = tipBuffer_.data();
    info->hinst = nullptr;
    return true;
}

LRESULT TabControl::Dispatch(Event& e) {
    // The tool tip asks its owner, the control, on some systems.
    if (e.Message() == WM_NOTIFY && AnswerTip(reinterpret_cast<const NMHDR*>(e.lParam()))) {
        EventReturnValue(0);
        return 1;
    }
    return Control::Dispatch(e);
}

LRESULT CALLBACK TabControl::ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                        DWORD_PTR ref) {
    if (msg == WM_NOTIFY) {
        auto* self = reinterpret_cast<TabControl*>(ref);
        const auto* header = reinterpret_cast<const NMHDR*>(lp);
        if (self->AnswerTip(header))
            return 0;
        if (header && header->hwndFrom == self->Handle() && header->code == TCN_SELCHANGE) {
            const int i = static_cast<int>(SendMessageW(self->Handle(), TCM_GETCURSEL, 0, 0));
            try {
                RecoveryPoint recovery;
                self->ShowPage(i);
            } catch (...) {
                // A page that failed to come up: the selection event goes on.
            }
        }
    } else if (msg == WM_NCDESTROY) {
        auto* self = reinterpret_cast<TabControl*>(ref);
        RemoveWindowSubclass(hwnd, &TabControl::ParentProc, reinterpret_cast<UINT_PTR>(self));
        self->parent_ = nullptr;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

TabControl* SelectedTabControl(const ControlNotifyEvent& e) {
    const NMHDR* h = e.Header();
    if (!h || h->code != TCN_SELCHANGE)
        return nullptr;
    return dynamic_cast<TabControl*>(e.Control());
}

}  // namespace kp
