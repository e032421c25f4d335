#pragma once
// Rendered pages: one enhanced metafile per page, at the printer's
// resolution, as the preview shows them and tests read them back.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace kp {

// An owned enhanced metafile.
class EnhMetafile {
  public:
    EnhMetafile() = default;
    explicit EnhMetafile(HENHMETAFILE h) : h_(h) {}
    ~EnhMetafile() { Reset(); }
    EnhMetafile(EnhMetafile&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    EnhMetafile& operator=(EnhMetafile&& o) noexcept {
        if (this != &o) {
            Reset();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    EnhMetafile(const EnhMetafile&) = delete;
    EnhMetafile& operator=(const EnhMetafile&) = delete;
    HENHMETAFILE Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void Reset() {
        if (h_)
            DeleteEnhMetaFile(h_);
        h_ = nullptr;
    }

  private:
    HENHMETAFILE h_ = nullptr;
};

// The pages of one job and the page they were laid out for.
struct PageSet {
    std::vector<EnhMetafile> pages;
    SIZE pagePixels{};    // the paper in device pixels
    POINT printOrigin{};  // where the printable area starts on the paper, device pixels
    SIZE printable{};     // the printable area (each page's frame), device pixels
    int dpiX = 0;
    int dpiY = 0;
    int Count() const { return static_cast<int>(pages.size()); }
};

// One record of a page, as tests look at it.
struct PageRecord {
    DWORD type = 0;           // EMR_...
    std::vector<BYTE> bytes;  // the whole record
};

// The records of a page in order.
std::vector<PageRecord> ReadPageRecords(HENHMETAFILE page);
// The device comments (GdiComment) of a page, their data only, in order.
std::vector<std::vector<BYTE>> ReadPageComments(HENHMETAFILE page);
// The text a page writes (ExtTextOut records), one entry per call, UTF-8,
// with the reference point of each call in logical units.
struct PageText {
    std::string text;
    POINT at{};
};
std::vector<PageText> ReadPageTexts(HENHMETAFILE page);

// Saves a page as an .emf file; false when it cannot be written.
bool SavePage(HENHMETAFILE page, const std::string& path);

}  // namespace kp
