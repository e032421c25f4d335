// Bitmaps and wrapped text on a device context.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/report/dibmp.h"
#include "platform/report/pages.h"
#include "platform/report/rpdrawtext.h"

namespace kp {
namespace {

// A w by h 24-bit bitmap file, every pixel of one colour.
std::vector<uint8_t> BmpFile(int w, int h, COLORREF colour) {
    const int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof(ih);
    ih.biWidth = w;
    ih.biHeight = h;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(stride * h);
    std::vector<uint8_t> out(fh.bfSize, 0);
    std::memcpy(out.data(), &fh, sizeof(fh));
    std::memcpy(out.data() + sizeof(fh), &ih, sizeof(ih));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = out.data() + fh.bfOffBits + y * stride + x * 3;
            p[0] = GetBValue(colour);
            p[1] = GetGValue(colour);
            p[2] = GetRValue(colour);
        }
    return out;
}

BITMAPINFOHEADER& InfoOf(std::vector<uint8_t>& file) {
    return *reinterpret_cast<BITMAPINFOHEADER*>(file.data() + sizeof(BITMAPFILEHEADER));
}

// A white 32-bit picture to draw on.
class Canvas {
  public:
    Canvas(int w, int h) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
        old_ = SelectObject(dc_, bmp_);
        RECT r{0, 0, w, h};
        FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bmp_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

  private:
    HDC dc_;
    HBITMAP bmp_;
    HGDIOBJ old_;
    void* bits_ = nullptr;
};

TEST(Dibmp, LoadsAndDrawsAtPositionAndSize) {
    DIBMP bmp;
    ASSERT_TRUE(bmp.LoadFromBytes(BmpFile(2, 2, RGB(255, 0, 0))));
    EXPECT_EQ(bmp.Width(), 2);
    EXPECT_EQ(bmp.Height(), 2);
    EXPECT_EQ(bmp.DpiX(), 96);
    Canvas canvas(40, 40);
    // Box at row 5, column 10, 4 by 8, moved by the offsets (2 down, 1 right).
    ASSERT_TRUE(bmp.DrawDIB(canvas.dc(), 5, 10, 4, 8, 2, 1));
    EXPECT_EQ(canvas.At(11, 7), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(18, 10), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(19, 7), RGB(255, 255, 255));   // right of the box
    EXPECT_EQ(canvas.At(11, 11), RGB(255, 255, 255));  // below it
    EXPECT_EQ(canvas.At(10, 6), RGB(255, 255, 255));   // the offsets moved it
}

TEST(Dibmp, KeepsProportionsWhenOneSideOrTheAspectIsAsked) {
    DIBMP bmp;
    ASSERT_TRUE(bmp.LoadFromBytes(BmpFile(4, 2, RGB(0, 0, 255))));
    Canvas canvas(40, 40);
    // Width 0 follows the height: 10 high makes 20 wide.
    ASSERT_TRUE(bmp.DrawDIB(canvas.dc(), 0, 0, 10, 0));
    EXPECT_EQ(canvas.At(19, 9), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(20, 9), RGB(255, 255, 255));
    // A 30 by 30 box with the aspect kept: 30 wide, 15 high.
    Canvas other(40, 40);
    ASSERT_TRUE(bmp.DrawDIB(other.dc(), 0, 0, 30, 30, 0, 0, true));
    EXPECT_EQ(other.At(29, 14), RGB(0, 0, 255));
    EXPECT_EQ(other.At(29, 16), RGB(255, 255, 255));
}

TEST(Dibmp, RefusesDamagedFilesWithoutReadingPastThem) {
    DIBMP bmp;
    std::vector<uint8_t> good = BmpFile(3, 3, RGB(0, 255, 0));
    ASSERT_TRUE(bmp.LoadFromBytes(good));

    std::vector<uint8_t> cut(good.begin(), good.end() - 4);
    EXPECT_FALSE(bmp.LoadFromBytes(cut));
    EXPECT_FALSE(bmp.IsLoaded());
    EXPECT_FALSE(bmp.DrawDIB(GetDC(nullptr), 0, 0));

    std::vector<uint8_t> headerOnly(good.begin(), good.begin() + 20);
    EXPECT_FALSE(bmp.LoadFromBytes(headerOnly));
    EXPECT_FALSE(bmp.LoadFromBytes({}));

    std::vector<uint8_t> magic = good;
    magic[0] = 'X';
    EXPECT_FALSE(bmp.LoadFromBytes(magic));

    std::vector<uint8_t> offset = good;
    reinterpret_cast<BITMAPFILEHEADER*>(offset.data())->bfOffBits = 0x7FFFFFF0;
    EXPECT_FALSE(bmp.LoadFromBytes(offset));

    std::vector<uint8_t> tall = good;
    InfoOf(tall).biHeight = 60000;  // far more rows than the file holds
    EXPECT_FALSE(bmp.LoadFromBytes(tall));

    std::vector<uint8_t> wide = good;
    InfoOf(wide).biWidth = 0x7FFFFFFF;
    EXPECT_FALSE(bmp.LoadFromBytes(wide));

    std::vector<uint8_t> palette = good;
    InfoOf(palette).biBitCount = 8;
    InfoOf(palette).biClrUsed = 100000;
    EXPECT_FALSE(bmp.LoadFromBytes(palette));

    std::vector<uint8_t> depth = good;
    InfoOf(depth).biBitCount = 7;
    EXPECT_FALSE(bmp.LoadFromBytes(depth));

    EXPECT_FALSE(bmp.LoadFromFile("C:\\gibt\\es\\nicht.bmp"));
}

class TextDC {
  public:
    TextDC() : dc_(CreateCompatibleDC(nullptr)) {
        font_ = CreateFontW(-16, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
        old_ = SelectObject(dc_, font_);
        GetTextMetricsW(dc_, &tm_);
    }
    ~TextDC() {
        SelectObject(dc_, old_);
        DeleteObject(font_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    int LineHeight() const { return tm_.tmHeight; }

  private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ old_;
    TEXTMETRICW tm_{};
};

RpDrawTextParams Block(HDC dc, const std::string& text, RECT box) {
    RpDrawTextParams p;
    p.text = text.data();
    p.length = static_cast<int32_t>(text.size());
    p.left = box.left;
    p.top = box.top;
    p.right = box.right;
    p.bottom = box.bottom;
    p.printerDC = dc;
    p.currentDC = dc;
    return p;
}

TEST(RpDrawText, MeasuresWrappedTextAndHonoursTheLineLimit) {
    TextDC t;
    const std::string shortText = "Kurz";
    RpDrawTextParams one = Block(t.dc(), shortText, {10, 20, 600, 20});
    EXPECT_EQ(rpDrawText(one), t.LineHeight());
    EXPECT_EQ(one.bottomReached, 20 + t.LineHeight());

    const std::string longText =
        "Sehr geehrte Damen und Herren, anbei erhalten Sie die Unterlagen zu Ihrem Vertrag.";
    RpDrawTextParams wrapped = Block(t.dc(), longText, {0, 0, 120, 0});
    const int h = rpDrawText(wrapped);
    EXPECT_GE(h, 3 * t.LineHeight());
    EXPECT_EQ(wrapped.bottomReached, h);

    RpParagraph oneLine;
    oneLine.maxLines = 1;
    RpDrawTextParams limited = Block(t.dc(), longText, {0, 0, 120, 0});
    limited.paragraph = &oneLine;
    EXPECT_EQ(rpDrawText(limited), t.LineHeight());

    // Without wrapping the text stays on one line.
    RpDrawTextParams noWrap = Block(t.dc(), longText, {0, 0, 120, 0});
    noWrap.wordWrap = 0;
    EXPECT_EQ(rpDrawText(noWrap), t.LineHeight());
}

TEST(RpDrawText, DoesNothingWithoutTextBoxOrDeviceContext) {
    TextDC t;
    const std::string text = "Text";
    RpDrawTextParams empty = Block(t.dc(), "", {0, 5, 100, 50});
    empty.text = text.data();
    empty.length = 0;
    EXPECT_EQ(rpDrawText(empty), 0);
    EXPECT_EQ(empty.bottomReached, 5);
    RpDrawTextParams narrow = Block(t.dc(), text, {100, 5, 100, 50});
    EXPECT_EQ(rpDrawText(narrow), 0);
    RpDrawTextParams noDc = Block(nullptr, text, {0, 5, 100, 50});
    EXPECT_EQ(rpDrawText(noDc), 0);
}

TEST(RpDrawText, DrawsAlignedIntoThePrinterDeviceContext) {
    TextDC t;
    HDC meta = CreateEnhMetaFileW(t.dc(), nullptr, nullptr, nullptr);
    ASSERT_NE(meta, nullptr);
    SelectObject(meta, GetCurrentObject(t.dc(), OBJ_FONT));
    const std::string text = "Mitte";
    RpParagraph centre;
    centre.alignment = kRpAlignCentre;
    RpDrawTextParams p = Block(meta, text, {100, 40, 500, 200});
    p.currentDC = t.dc();
    p.paragraph = &centre;
    p.draw = 1;
    EXPECT_EQ(rpDrawText(p), t.LineHeight());
    EnhMetafile page(CloseEnhMetaFile(meta));
    auto texts = ReadPageTexts(page.Get());
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Mitte");
    SIZE size{};
    GetTextExtentPoint32W(t.dc(), L"Mitte", 5, &size);
    EXPECT_NEAR(texts[0].at.x, 100 + (400 - size.cx) / 2, 2);
    EXPECT_EQ(texts[0].at.y, 40);
}

}  // namespace
}  // namespace kp
