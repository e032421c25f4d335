#pragma once
// TabControl: a row of tabs, each with a name, a caption, an optional image
// and tip text, and a page: a window object (usually a sub-form) that covers
// the control's display area while its tab is selected.
//
// A page is either handed over with its tab, or made when its tab is first
// selected by the page factory the owner sets (given the tab's name); the tab
// control keeps the pages it holds and destroys them with itself.
//
// When the user selects a tab, the control first shows that tab's page (and
// hides the previous one), then the selection arrives at the owner as a
// control notification event (ControlNotify, code TCN_SELCHANGE); forms turn
// it into their TabSelect. Selecting in code (SelectTab) shows the page
// without an event.
//
// Tab positions are 1-based; image numbers are 1-based positions in the
// image list, 0 meaning no image.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/control.h"

namespace kp {

class Icon;

// A list of equally sized images (the Windows image list), owned.
class ImageList {
  public:
    ImageList(int width = 16, int height = 16);
    ~ImageList();
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;

    HIMAGELIST Handle() const { return handle_; }
    // Adds an image; returns its 1-based number, 0 on failure.
    int Add(const kp::Icon& icon);
    int Count() const;

  private:
    HIMAGELIST handle_ = nullptr;
};

class TabControl : public Control {
  public:
    using PageMaker = std::function<std::unique_ptr<Window>(Symbol tabName)>;

    TabControl(Window* owner, const ResourceID& id);
    TabControl(Window* owner, int id, Point origin, Dimension size,
               DWORD style = TCS_TOOLTIPS | WS_TABSTOP | WS_VISIBLE);
    ~TabControl() override;
    Symbol ClassName() const override;

    // Adds a tab at the end; false when the name is null or already used.
    // Without a page the page factory makes it on first selection.
    bool AppendTab(Symbol name, const std::string& caption, std::unique_ptr<Window> page = nullptr,
                   int image = 0);
    int TabCount() const { return static_cast<int>(tabs_.size()); }
    int GetTabIndex(Symbol name) const;  // 1-based position, 0 when absent
    Symbol GetTabName(int position) const;
    std::string TabCaption(Symbol name) const;

    void SetTabImage(Symbol name, int image);
    int TabImage(Symbol name) const;
    void AddTipText(Symbol name, const std::string& text);
    std::string TipText(Symbol name) const;

    // Selects the tab and shows its page (making it when needed); false when
    // there is no such tab.
    bool SelectTab(Symbol name);
    Symbol SelectedTab() const;
    // The page shown now; null when the selected tab has none (yet).
    Window* CurrentPage() const { return current_; }
    Window* GetTabPage(Symbol name) const;

    void PageFactory(PageMaker factory) { factory_ = std::move(factory); }
    std::shared_ptr<kp::ImageList> ImageList() const { return images_; }
    void ImageList(std::shared_ptr<kp::ImageList> images);

    // The area a page covers, in the pixels of the control's parent client.
    RECT PageArea() const;

    LRESULT Dispatch(Event& e) override;

  private:
    struct Tab {
        Symbol name;
        std::unique_ptr<Window> page;
        std::string tip;
        int image = 0;
    };

    void Prepare();
    int Find(Symbol name) const;  // 0-based, -1 when absent
    void ShowPage(int index);
    // Answers a tool tip's request for a tab's text; true when it was ours.
    bool AnswerTip(const NMHDR* header);
    static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR ref);

    std::vector<Tab> tabs_;
    Window* current_ = nullptr;
    HWND parent_ = nullptr;  // where the control's notifications go
    PageMaker factory_;
    std::shared_ptr<kp::ImageList> images_;
    std::wstring tipBuffer_;  // the text a tool tip is showing
};

// The tab control of a selection event, or null when the event is no tab
// selection.
TabControl* SelectedTabControl(const ControlNotifyEvent& e);

}  // namespace kp
