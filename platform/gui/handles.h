#pragma once
// Ownership of Windows handles, and the library's live count of them.
//
// Every handle the library creates and must release (GDI objects, icons,
// cursors, menus, accelerator tables, windows bound to objects) is counted
// while it lives, so that tests can show that destroying a window gives back
// everything it took. The system's own resource counter of Windows is no help
// here: under Wine it always answers 0.
#include <windows.h>

#include <utility>

namespace kp {

enum class HandleKind { Gdi, Icon, Cursor, Menu, Accelerator, Window, Count_ };

struct HandleCounts {
    long gdi = 0;
    long icon = 0;
    long cursor = 0;
    long menu = 0;
    long accelerator = 0;
    long window = 0;
    long Total() const { return gdi + icon + cursor + menu + accelerator + window; }
};

HandleCounts LiveHandles();

// Book-keeping for the owners below (and for the window map).
void CountHandleCreated(HandleKind kind);
void CountHandleReleased(HandleKind kind);

// An owned GDI object (font, brush, pen, bitmap, region): deleted when the
// owner goes, counted while it lives.
template <class H>
class GdiHandle {
  public:
    GdiHandle() = default;
    explicit GdiHandle(H h) : h_(h) {
        if (h_)
            CountHandleCreated(HandleKind::Gdi);
    }
    ~GdiHandle() { Reset(); }
    GdiHandle(GdiHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    GdiHandle& operator=(GdiHandle&& o) noexcept {
        if (this != &o) {
            Reset();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    GdiHandle(const GdiHandle&) = delete;
    GdiHandle& operator=(const GdiHandle&) = delete;

    H Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void Reset(H h = nullptr) {
        if (h_) {
            DeleteObject(h_);
            CountHandleReleased(HandleKind::Gdi);
        }
        h_ = h;
        if (h_)
            CountHandleCreated(HandleKind::Gdi);
    }

  private:
    H h_ = nullptr;
};

// The device context of one paint (BeginPaint ... EndPaint).
class PaintDC {
  public:
    explicit PaintDC(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
    ~PaintDC() {
        if (dc_)
            EndPaint(hwnd_, &ps_);
    }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Handle() const { return dc_; }
    const RECT& Area() const { return ps_.rcPaint; }

  private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// A window's client device context outside painting (GetDC ... ReleaseDC);
// a null window gives the screen's.
class ClientDC {
  public:
    explicit ClientDC(HWND hwnd = nullptr) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~ClientDC() {
        if (dc_)
            ReleaseDC(hwnd_, dc_);
    }
    ClientDC(const ClientDC&) = delete;
    ClientDC& operator=(const ClientDC&) = delete;
    HDC Handle() const { return dc_; }

  private:
    HWND hwnd_;
    HDC dc_;
};

// A device context made by CreateDC or CreateCompatibleDC, deleted at the end.
class OwnedDC {
  public:
    explicit OwnedDC(HDC dc) : dc_(dc) {}
    ~OwnedDC() {
        if (dc_)
            DeleteDC(dc_);
    }
    OwnedDC(const OwnedDC&) = delete;
    OwnedDC& operator=(const OwnedDC&) = delete;
    HDC Get() const { return dc_; }

  private:
    HDC dc_;
};

// Selects an object into a device context and puts the previous one back.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~SelectedObject() {
        if (old_)
            SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace kp
