#pragma once
// The preview window: pages through rendered pages, scaled to the window.
//
// The window shows one page on a white sheet with a shadow, the page number
// as "Seite n von m" and buttons "<< &Zurück", "&Weiter >>", "&Drucken"
// (only when printing from the preview is allowed), "&Speichern..." (only
// with export) and "&Schließen". Keys: Page Down, Right arrow and Space for
// the next page, Page Up and Left arrow for the one before, Home and End,
// Escape closes. The caption is "Druckvorschau - " and the job title.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/report/pages.h"

namespace kp {

class Window;

// Control ids of the preview window, for the UI driver.
inline constexpr int kPreviewPrevId = 101;
inline constexpr int kPreviewNextId = 102;
inline constexpr int kPreviewPrintId = 103;
inline constexpr int kPreviewSaveId = 104;
inline constexpr int kPreviewCloseId = IDCANCEL;
inline constexpr int kPreviewPageTextId = 105;

// The page shown, with its rules kept apart from the window.
class PreviewPager {
  public:
    explicit PreviewPager(int count) : count_(count < 0 ? 0 : count) {}
    int Count() const { return count_; }
    int Page() const { return page_; }  // 1-based; 0 without pages
    bool Next();                        // false at the last page
    bool Previous();                    // false at the first page
    bool First();
    bool Last();
    bool CanNext() const { return page_ < count_; }
    bool CanPrevious() const { return page_ > 1; }
    // "Seite 2 von 3", or "Keine Seite" without pages.
    std::string Text() const;

  private:
    int count_;
    int page_ = count_ > 0 ? 1 : 0;
};

// Where a page of the paper's size goes inside a client area: as large as
// fits with a border, centred, keeping the paper's proportions.
RECT FitPage(SIZE paper, RECT client, int border);

class PreviewWindow {
  public:
    // The window over the pages; hidden until Show or RunModal.
    // onPrint, when set, prints from the preview (the window closes first).
    PreviewWindow(Window* owner, std::string jobTitle, PageSet pages,
                  std::function<void()> onPrint = {}, bool withExport = false);
    ~PreviewWindow();
    PreviewWindow(const PreviewWindow&) = delete;
    PreviewWindow& operator=(const PreviewWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    void Show();
    // Shows the window with its owner disabled and returns when it is closed.
    void RunModal();
    int Page() const { return pager_.Page(); }
    int PageCount() const { return pager_.Count(); }
    void GoTo(int page);

  private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void Layout();
    void Paint();
    void Refresh();
    void SaveShownPage();

    HWND ownerHwnd_ = nullptr;
    std::string title_;
    PageSet pages_;
    PreviewPager pager_;
    std::function<void()> onPrint_;
    bool withExport_;
    bool printAsked_ = false;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
};

}  // namespace kp
