#pragma once
// Drawing objects. Each owns its Windows handle: the handle goes with the
// object, or earlier with Destroy. They derive from the run-time's Object so
// that they can be kept in the value stores.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/handles.h"
#include "platform/gui/resource.h"
#include "platform/runtime/usual.h"

namespace kp {

// A colour of red, green and blue; converts to and from the Windows colour
// value 0x00BBGGRR.
class Color {
  public:
    Color() = default;
    Color(uint8_t red, uint8_t green, uint8_t blue) : r_(red), g_(green), b_(blue) {}
    static Color FromColorRef(COLORREF c) {
        return Color(GetRValue(c), GetGValue(c), GetBValue(c));
    }
    static Color System(int sysColorIndex) { return FromColorRef(GetSysColor(sysColorIndex)); }

    uint8_t Red() const { return r_; }
    uint8_t Green() const { return g_; }
    uint8_t Blue() const { return b_; }
    COLORREF ColorRef() const { return RGB(r_, g_, b_); }
    friend bool operator==(const Color&, const Color&) = default;

  private:
    uint8_t r_ = 0, g_ = 0, b_ = 0;
};

class Brush : public Object {
  public:
    explicit Brush(kp::Color color);
    Symbol ClassName() const override;

    HBRUSH Handle() const { return handle_.Get(); }
    const kp::Color& Color() const { return color_; }
    void Destroy() { handle_.Reset(); }

  private:
    kp::Color color_;
    GdiHandle<HBRUSH> handle_;
};

class Pen : public Object {
  public:
    explicit Pen(kp::Color color, int width = 1, int style = PS_SOLID);
    Symbol ClassName() const override;

    HPEN Handle() const { return handle_.Get(); }
    void Destroy() { handle_.Reset(); }

  private:
    GdiHandle<HPEN> handle_;
};

// A font of a face and a size in points. The Windows font is made on first
// use for the screen, or for a given device with Create; after a change of an
// attribute the next use makes it anew. Fonts made before stay valid until the
// object goes or Destroy, since controls may still be drawing with them.
class Font : public Object {
  public:
    Font(int points, std::string face);
    Symbol ClassName() const override;

    HFONT Handle();        // made for the screen when needed
    HFONT Create(HDC dc);  // made anew for that device
    void Destroy();

    int PointSize() const { return points_; }
    const std::string& FaceName() const { return face_; }
    bool Bold() const { return weight_ >= FW_BOLD; }
    void Bold(bool on) { Weight(on ? FW_BOLD : FW_NORMAL); }
    int Weight() const { return weight_; }
    void Weight(int w);
    bool Italic() const { return italic_; }
    void Italic(bool on);
    bool Underline() const { return underline_; }
    void Underline(bool on);
    bool StrikeOut() const { return strikeOut_; }
    void StrikeOut(bool on);
    void PointSize(int points);
    void FaceName(std::string face);

  private:
    int points_;
    std::string face_;
    int weight_ = FW_NORMAL;
    bool italic_ = false;
    bool underline_ = false;
    bool strikeOut_ = false;
    void Retire();
    GdiHandle<HFONT> handle_;
    std::vector<GdiHandle<HFONT>> retired_;
};

// Mouse pointer shapes: a standard one (IDC_ARROW, IDC_WAIT ...) or one from
// a resource.
class Pointer : public Object {
  public:
    explicit Pointer(LPCWSTR standard = IDC_ARROW);
    explicit Pointer(const ResourceID& id);
    ~Pointer() override;
    Pointer(const Pointer&) = delete;
    Pointer& operator=(const Pointer&) = delete;
    Symbol ClassName() const override;

    HCURSOR Handle() const { return handle_; }
    void Destroy();

  private:
    HCURSOR handle_ = nullptr;
    bool owned_ = false;
};

class Icon : public Object {
  public:
    // Loads an icon resource at the system's large (or small) icon size.
    explicit Icon(const ResourceID& id, bool small = false);
    // A standard icon (IDI_APPLICATION ...), shared: never destroyed.
    static std::shared_ptr<Icon> Standard(LPCWSTR id);
    ~Icon() override;
    Icon(const Icon&) = delete;
    Icon& operator=(const Icon&) = delete;
    Symbol ClassName() const override;

    HICON Handle() const { return handle_; }
    void Destroy();

  private:
    Icon() = default;
    HICON handle_ = nullptr;
    bool owned_ = false;
};

}  // namespace kp
