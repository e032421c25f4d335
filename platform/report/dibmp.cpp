#include "platform/report/dibmp.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/runtime/utf8.h"

namespace kp {

namespace {

template <class T>
bool ReadAt(const std::vector<uint8_t>& b, size_t at, T& out) {
    if (at > b.size() || sizeof(T) > b.size() - at)
        return false;
    std::memcpy(&out, b.data() + at, sizeof(T));
    return true;
}

const BITMAPINFOHEADER& Header(const std::vector<uint8_t>& info) {
    return *reinterpret_cast<const BITMAPINFOHEADER*>(info.data());
}

int DpiOf(LONG perMetre) {
    // 0.0254 m to the inch; files without a resolution count as 96.
    return perMetre > 0 ? static_cast<int>(std::lround(perMetre * 0.0254)) : 96;
}

}  // namespace

bool DIBMP::LoadFromFile(const std::string& path) {
    info_.clear();
    bits_.clear();
    HANDLE f = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    std::vector<uint8_t> bytes;
    bool ok = GetFileSizeEx(f, &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 30);
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
             read == bytes.size();
    }
    CloseHandle(f);
    return ok && LoadFromBytes(bytes);
}

bool DIBMP::LoadFromBytes(const std::vector<uint8_t>& file) {
    info_.clear();
    bits_.clear();
    BITMAPFILEHEADER fh{};
    if (!ReadAt(file, 0, fh) || fh.bfType != 0x4D42)
        return false;
    BITMAPINFOHEADER ih{};
    const size_t infoAt = sizeof(BITMAPFILEHEADER);
    if (!ReadAt(file, infoAt, ih) || ih.biSize < sizeof(BITMAPINFOHEADER) ||
        ih.biSize > file.size() - infoAt)
        return false;
    const int bpp = ih.biBitCount;
    if (ih.biWidth <= 0 || ih.biHeight == 0 || ih.biHeight == LONG_MIN || ih.biPlanes != 1 ||
        ih.biWidth > 65535 || std::abs(ih.biHeight) > 65535)
        return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return false;
    const DWORD comp = ih.biCompression;
    const bool rle = comp == BI_RLE8 || comp == BI_RLE4;
    if (!(comp == BI_RGB || comp == BI_BITFIELDS || (comp == BI_RLE8 && bpp == 8) ||
          (comp == BI_RLE4 && bpp == 4)))
        return false;
    if (rle && ih.biHeight < 0)
        return false;
    if (comp == BI_BITFIELDS && bpp != 16 && bpp != 32)
        return false;

    // What follows the header: three masks for bit fields (inside larger
    // headers already), then the colour table.
    size_t masks = 0;
    if (comp == BI_BITFIELDS)
        masks = 3 * sizeof(DWORD);
    size_t colours = 0;
    if (bpp <= 8)
        colours = ih.biClrUsed ? ih.biClrUsed : (1u << bpp);
    else
        colours = ih.biClrUsed;
    if (colours > 256)
        return false;
    const size_t masksAt = ih.biSize == sizeof(BITMAPINFOHEADER)
                               ? infoAt + ih.biSize
                               : infoAt + sizeof(BITMAPINFOHEADER);
    const size_t tableAt = infoAt + ih.biSize + (ih.biSize == sizeof(BITMAPINFOHEADER) ? masks : 0);
    const size_t tableBytes = colours * sizeof(RGBQUAD);
    if (tableAt > file.size() || tableBytes > file.size() - tableAt)
        return false;
    if (masks && masksAt + masks > file.size())
        return false;

    // The pixels.
    if (fh.bfOffBits >= file.size() || fh.bfOffBits < tableAt)
        return false;
    const size_t available = file.size() - fh.bfOffBits;
    const uint64_t stride = ((static_cast<uint64_t>(ih.biWidth) * bpp + 31) / 32) * 4;
    const uint64_t need =
        rle ? ih.biSizeImage : stride * static_cast<uint64_t>(std::abs(ih.biHeight));
    if (need == 0 || need > available)
        return false;

    BITMAPINFOHEADER h = ih;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biClrUsed = static_cast<DWORD>(colours);
    h.biSizeImage = static_cast<DWORD>(need);
    info_.resize(sizeof(BITMAPINFOHEADER) + masks + tableBytes);
    std::memcpy(info_.data(), &h, sizeof(h));
    if (masks)
        std::memcpy(info_.data() + sizeof(h), file.data() + masksAt, masks);
    if (tableBytes)
        std::memcpy(info_.data() + sizeof(h) + masks, file.data() + tableAt, tableBytes);
    bits_.assign(file.begin() + fh.bfOffBits,
                 file.begin() + fh.bfOffBits + static_cast<long>(need));
    return true;
}

int DIBMP::Width() const {
    return IsLoaded() ? Header(info_).biWidth : 0;
}

int DIBMP::Height() const {
    return IsLoaded() ? std::abs(Header(info_).biHeight) : 0;
}

int DIBMP::DpiX() const {
    return IsLoaded() ? DpiOf(Header(info_).biXPelsPerMeter) : 0;
}

int DIBMP::DpiY() const {
    return IsLoaded() ? DpiOf(Header(info_).biYPelsPerMeter) : 0;
}

bool DIBMP::DrawDIB(HDC dc, int row, int col, int height, int width, int vOffset, int hOffset,
                    bool keepAspect) const {
    if (!dc || !IsLoaded() || height < 0 || width < 0)
        return false;
    const int bw = Width();
    const int bh = Height();
    if (height == 0 && width == 0) {
        const int devX = GetDeviceCaps(dc, LOGPIXELSX);
        const int devY = GetDeviceCaps(dc, LOGPIXELSY);
        width = devX > 0 ? MulDiv(bw, devX, DpiX()) : bw;
        height = devY > 0 ? MulDiv(bh, devY, DpiY()) : bh;
    } else if (height == 0) {
        height = MulDiv(width, bh, bw);
    } else if (width == 0) {
        width = MulDiv(height, bw, bh);
    } else if (keepAspect) {
        // The largest picture of the same proportions inside the box.
        const int fitW = MulDiv(height, bw, bh);
        if (fitW <= width)
            width = fitW;
        else
            height = MulDiv(width, bh, bw);
    }
    if (width <= 0 || height <= 0)
        return false;
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    const int lines =
        StretchDIBits(dc, col + hOffset, row + vOffset, width, height, 0, 0, bw, bh, bits_.data(),
                      reinterpret_cast<const BITMAPINFO*>(info_.data()), DIB_RGB_COLORS, SRCCOPY);
    if (oldMode)
        SetStretchBltMode(dc, oldMode);
    return lines != 0 && lines != static_cast<int>(GDI_ERROR);
}

}  // namespace kp
