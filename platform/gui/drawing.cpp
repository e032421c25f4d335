#include "platform/gui/drawing.h"

#include <array>

#include "platform/runtime/utf8.h"

namespace kp {

// ---------------------------------------------------------------- counting

namespace {

std::array<long, static_cast<size_t>(HandleKind::Count_)>& Counts() {
    static std::array<long, static_cast<size_t>(HandleKind::Count_)> counts{};
    return counts;
}

}  // namespace

void CountHandleCreated(HandleKind kind) {
    ++Counts()[static_cast<size_t>(kind)];
}
void CountHandleReleased(HandleKind kind) {
    --Counts()[static_cast<size_t>(kind)];
}

HandleCounts LiveHandles() {
    const auto& c = Counts();
    HandleCounts h;
    h.gdi = c[static_cast<size_t>(HandleKind::Gdi)];
    h.icon = c[static_cast<size_t>(HandleKind::Icon)];
    h.cursor = c[static_cast<size_t>(HandleKind::Cursor)];
    h.menu = c[static_cast<size_t>(HandleKind::Menu)];
    h.accelerator = c[static_cast<size_t>(HandleKind::Accelerator)];
    h.window = c[static_cast<size_t>(HandleKind::Window)];
    return h;
}

// ---------------------------------------------------------------- resources

ResourceID::ResourceID(int id, HINSTANCE module) : id_(id), module_(module) {}

ResourceID::ResourceID(std::string_view name, HINSTANCE module)
    : name_(Utf8ToWide(name)), module_(module) {}

std::string ResourceID::Name() const {
    return name_.empty() ? "#" + std::to_string(id_) : WideToUtf8(name_);
}

LPCWSTR ResourceID::Ptr() const {
    return name_.empty() ? MAKEINTRESOURCEW(id_) : name_.c_str();
}

HINSTANCE ResourceID::Module() const {
    return module_ ? module_ : GetModuleHandleW(nullptr);
}

// ---------------------------------------------------------------- brushes, pens

Brush::Brush(kp::Color color) : color_(color), handle_(CreateSolidBrush(color.ColorRef())) {}
Symbol Brush::ClassName() const {
    return Symbol("BRUSH");
}

Pen::Pen(kp::Color color, int width, int style)
    : handle_(CreatePen(style, width, color.ColorRef())) {}
Symbol Pen::ClassName() const {
    return Symbol("PEN");
}

// ---------------------------------------------------------------- fonts

Font::Font(int points, std::string face) : points_(points), face_(std::move(face)) {}
Symbol Font::ClassName() const {
    return Symbol("FONT");
}

HFONT Font::Handle() {
    if (!handle_) {
        ClientDC screen;
        Create(screen.Handle());
    }
    return handle_.Get();
}

HFONT Font::Create(HDC dc) {
    LOGFONTW lf{};
    // Negative: the character height without internal leading, as point
    // sizes are meant.
    lf.lfHeight = -MulDiv(points_, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfWeight = weight_;
    lf.lfItalic = italic_;
    lf.lfUnderline = underline_;
    lf.lfStrikeOut = strikeOut_;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    std::wstring face = Utf8ToWide(face_);
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    Retire();
    handle_.Reset(CreateFontIndirectW(&lf));
    return handle_.Get();
}

void Font::Retire() {
    if (handle_)
        retired_.push_back(std::move(handle_));
}

void Font::Destroy() {
    handle_.Reset();
    retired_.clear();
}

void Font::Weight(int w) {
    if (w != weight_) {
        weight_ = w;
        Retire();
    }
}
void Font::Italic(bool on) {
    if (on != italic_) {
        italic_ = on;
        Retire();
    }
}
void Font::Underline(bool on) {
    if (on != underline_) {
        underline_ = on;
        Retire();
    }
}
void Font::StrikeOut(bool on) {
    if (on != strikeOut_) {
        strikeOut_ = on;
        Retire();
    }
}
void Font::PointSize(int points) {
    if (points != points_) {
        points_ = points;
        Retire();
    }
}
void Font::FaceName(std::string face) {
    if (face != face_) {
        face_ = std::move(face);
        Retire();
    }
}

// ---------------------------------------------------------------- pointers

Pointer::Pointer(LPCWSTR standard) : handle_(LoadCursorW(nullptr, standard)) {}

Pointer::Pointer(const ResourceID& id)
    : handle_(static_cast<HCURSOR>(
          LoadImageW(id.Module(), id.Ptr(), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE))),
      owned_(handle_ != nullptr) {
    if (owned_)
        CountHandleCreated(HandleKind::Cursor);
}

Pointer::~Pointer() {
    Destroy();
}
Symbol Pointer::ClassName() const {
    return Symbol("POINTER");
}

void Pointer::Destroy() {
    if (owned_ && handle_) {
        DestroyCursor(handle_);
        CountHandleReleased(HandleKind::Cursor);
    }
    handle_ = nullptr;
    owned_ = false;
}

// ---------------------------------------------------------------- icons

Icon::Icon(const ResourceID& id, bool small) {
    int cx = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    int cy = GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON);
    handle_ = static_cast<HICON>(LoadImageW(id.Module(), id.Ptr(), IMAGE_ICON, cx, cy, 0));
    owned_ = handle_ != nullptr;
    if (owned_)
        CountHandleCreated(HandleKind::Icon);
}

std::shared_ptr<Icon> Icon::Standard(LPCWSTR id) {
    std::shared_ptr<Icon> icon(new Icon());
    icon->handle_ = LoadIconW(nullptr, id);
    return icon;
}

Icon::~Icon() {
    Destroy();
}
Symbol Icon::ClassName() const {
    return Symbol("ICON");
}

void Icon::Destroy() {
    if (owned_ && handle_) {
        DestroyIcon(handle_);
        CountHandleReleased(HandleKind::Icon);
    }
    handle_ = nullptr;
    owned_ = false;
}

}  // namespace kp
