#pragma once
// DIBMP: a device-independent bitmap read from a .bmp file and drawn onto a
// device context at any size.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kp {

class DIBMP {
  public:
    // Reads a Windows bitmap file (uncompressed 1, 4, 8, 24 or 32 bits per
    // pixel, or RLE); false when the file is missing, damaged or of another
    // kind. A damaged file is never read past its end.
    bool LoadFromFile(const std::string& path);
    // The same from the bytes of such a file.
    bool LoadFromBytes(const std::vector<uint8_t>& file);
    bool IsLoaded() const { return !info_.empty(); }
    int Width() const;   // pixels
    int Height() const;  // pixels
    // Pixels per inch stored in the file (96 when it stores none).
    int DpiX() const;
    int DpiY() const;

    // Draws the picture into dc with its top-left corner at (col + hOffset,
    // row + vOffset), logical units. height and width give the size; one of
    // them 0 follows the other in the picture's proportions, both 0 give the
    // picture's own size at the device's resolution. keepAspect fits the
    // picture into height by width without distorting it. Returns false
    // when nothing was drawn.
    bool DrawDIB(HDC dc, int row, int col, int height = 0, int width = 0, int vOffset = 0,
                 int hOffset = 0, bool keepAspect = false) const;

  private:
    std::vector<uint8_t> info_;  // BITMAPINFOHEADER and colour table
    std::vector<uint8_t> bits_;
};

}  // namespace kp
