#include "printing/RpPrinter.h"

#include <utility>

#include "platform/report/dibmp.h"
#include "platform/report/rpdrawtext.h"
#include "platform/report/rtf.h"
#include "platform/gui/handles.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace {

// Selects an object into a device context and puts the stock object back
// when it goes, so that the owned pen or brush is free to be deleted.
class StockRestore {
  public:
    StockRestore(HDC dc, HGDIOBJ obj, int stock) : dc_(dc), stock_(stock) {
        if (dc_ && obj)
            SelectObject(dc_, obj);
    }
    ~StockRestore() {
        if (dc_)
            SelectObject(dc_, GetStockObject(stock_));
    }
    StockRestore(const StockRestore&) = delete;
    StockRestore& operator=(const StockRestore&) = delete;

  private:
    HDC dc_;
    int stock_;
};

// Pen of DrawLine, DrawRectangle and DrawEllipse: a dashed style at width
// 1 becomes a one-pixel cosmetic pen (width 0), which Windows draws dashed.
GdiHandle<HPEN> MakePen(int width, int style, Color color) {
    const int w = (style == PS_SOLID || width != 1) ? width : 0;
    return GdiHandle<HPEN>(CreatePen(style, w, color.ColorRef()));
}

long CharCount(const std::string& text) {
    return static_cast<long>(Utf8ToWide(text).size());
}

}  // namespace

RpPrinter::RpPrinter(Window* owner, PrintReport* report) : PtrDevice(owner, report) {
    NoSelection(true);
    CreateTheFont();
}

RpPrinter::RpPrinter(Window* owner, PrintReport* report, std::unique_ptr<PrinterLink> printer)
    : PtrDevice(owner, report, std::move(printer)) {
    NoSelection(true);
    CreateTheFont();
}

RpPrinter::~RpPrinter() = default;

UnitConverter RpPrinter::Converter() const {
    return UnitConverter(unit_, DeviceMetrics{LogPixelsX(), LogPixelsY(), charWidth_, charHeight_});
}

// --- font

RpPrinter& RpPrinter::SetFont(const std::string& face, double pointSize, bool bold, bool italic,
                              bool underline, int orientation, int escapement) {
    face_ = face;
    pointSize_ = pointSize;
    bold_ = bold;
    italic_ = italic;
    underline_ = underline;
    orientation_ = orientation;
    escapement_ = escapement;
    CreateTheFont();
    return *this;
}

void RpPrinter::CreateTheFont() {
    const std::wstring face = Utf8ToWide(face_);
    GdiHandle<HFONT> font(CreateFontW(
        FontHeightFor(pointSize_, LogPixelsY()), 0, escapement_, orientation_,
        bold_ ? FW_BOLD : FW_NORMAL, italic_ ? 255 : 0, underline_ ? 255 : 0, 0, DEFAULT_CHARSET,
        OUT_TT_PRECIS, CLIP_TT_ALWAYS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
    // Outside a job there is no device context: measure on a temporary one
    // of the printer (none without a printer: the cell stays 0).
    std::unique_ptr<OwnedDC> temporary;
    HDC dc = CurrentDC();
    if (dc == nullptr) {
        temporary = std::make_unique<OwnedDC>(CreatePrinterDC());
        dc = temporary->Get();
        if (dc && font)
            SelectObject(dc, font.Get());
    } else if (font) {
        SelectObject(dc, font.Get());
        if (PrinterDC() && PrinterDC() != dc)
            SelectObject(PrinterDC(), font.Get());
    }
    font_ = std::move(font);  // the previous font is no longer selected anywhere

    charWidth_ = 0;
    charHeight_ = 0;
    TEXTMETRICW tm{};
    if (dc && font_ && GetTextMetricsW(dc, &tm)) {
        // TMPF_FIXED_PITCH set means a variable-pitch font (sic, Windows).
        charWidth_ = CharacterWidthFor(tm.tmAveCharWidth, (tm.tmPitchAndFamily & TMPF_FIXED_PITCH));
        charHeight_ = tm.tmHeight + tm.tmExternalLeading;
    }
    if (temporary && temporary->Get())
        SelectObject(temporary->Get(), GetStockObject(SYSTEM_FONT));
}

void RpPrinter::SelectFontIntoDCs() {
    if (!font_)
        return;
    if (CurrentDC())
        SelectObject(CurrentDC(), font_.Get());
    if (PrinterDC() && PrinterDC() != CurrentDC())
        SelectObject(PrinterDC(), font_.Get());
}

void RpPrinter::UnitOfMeasure(int code) {
    if (IsUnitOfMeasure(code))
        unit_ = code;
}

// --- measures

double RpPrinter::AvgCharWidth() const {
    return Converter().FromLogical(charWidth_, Axis::Horizontal);
}

double RpPrinter::AvgCharHeight() const {
    return Converter().FromLogical(charHeight_, Axis::Vertical);
}

double RpPrinter::PrintAreaWidth() const {
    return Converter().FromLogical(LogPrintAreaWidth(), Axis::Horizontal);
}

double RpPrinter::PrintAreaLength() const {
    return Converter().FromLogical(LogPrintAreaLength(), Axis::Vertical);
}

double RpPrinter::GetTextLength(const std::string& text) const {
    if (!IsActive() || CurrentDC() == nullptr)
        return 0;
    const std::wstring w = Utf8ToWide(text);
    SIZE size{};
    if (!GetTextExtentPoint32W(CurrentDC(), w.c_str(), static_cast<int>(w.size()), &size))
        return 0;
    return Converter().FromLogical(size.cx, Axis::Horizontal);
}

std::string RpPrinter::GetTextFace() const {
    if (!(InPrint() || InPreview()) || CurrentDC() == nullptr)
        return {};
    wchar_t face[80] = {};
    const int n = ::GetTextFaceW(CurrentDC(), 80, face);
    return n > 0 ? WideToUtf8(face) : std::string();
}

// --- margins

double RpPrinter::TopMargin() const {
    return Converter().FromInches(PtrDevice::TopMargin(), Axis::Vertical);
}
void RpPrinter::TopMargin(double value) {
    PtrDevice::TopMargin(Converter().ToInches(value, Axis::Vertical));
}
double RpPrinter::LeftMargin() const {
    return Converter().FromInches(PtrDevice::LeftMargin(), Axis::Horizontal);
}
void RpPrinter::LeftMargin(double value) {
    PtrDevice::LeftMargin(Converter().ToInches(value, Axis::Horizontal));
}
double RpPrinter::BottomMargin() const {
    return Converter().FromInches(PtrDevice::BottomMargin(), Axis::Vertical);
}
void RpPrinter::BottomMargin(double value) {
    PtrDevice::BottomMargin(Converter().ToInches(value, Axis::Vertical));
}
double RpPrinter::RightMargin() const {
    return Converter().FromInches(PtrDevice::RightMargin(), Axis::Horizontal);
}
void RpPrinter::RightMargin(double value) {
    PtrDevice::RightMargin(Converter().ToInches(value, Axis::Horizontal));
}

// --- print position

double RpPrinter::PRow() const {
    return Converter().FromLogical(row_, Axis::Vertical);
}
void RpPrinter::PRow(double value) {
    row_ = Converter().ToLogical(value, Axis::Vertical);
}
double RpPrinter::PCol() const {
    return Converter().FromLogical(col_, Axis::Horizontal);
}
void RpPrinter::PCol(double value) {
    col_ = Converter().ToLogical(value, Axis::Horizontal);
}

long RpPrinter::RowToLog(OptNum row) const {
    return row ? Converter().ToLogical(*row, Axis::Vertical) : row_;
}

long RpPrinter::ColToLog(OptNum col) const {
    return col ? Converter().ToLogical(*col, Axis::Horizontal) : col_;
}

// --- page hooks

int RpPrinter::CallPrintSetPage(int page) {
    row_ = 0;
    col_ = 0;
    SelectFontIntoDCs();
    return PtrDevice::CallPrintSetPage(page);
}

void RpPrinter::CallPrintPageHeader() {
    row_ = 0;
    col_ = 0;
    PtrDevice::CallPrintPageHeader();
}

// --- drawing

void RpPrinter::WriteComment(const void* data, UINT size) const {
    if (PrinterDC())
        GdiComment(PrinterDC(), size, static_cast<const BYTE*>(data));
}

RpPrinter& RpPrinter::TextOut(OptNum row, OptNum col, const std::string& text, int alignment,
                              Color textColor, std::optional<Color> background) {
    HDC dc = PrinterDC();
    if (!IsActive() || dc == nullptr)
        return *this;
    const UnitConverter conv = Converter();
    const long r = RowToLog(row);
    const long c = ColToLog(col);

    SetTextColor(dc, textColor.ColorRef());
    if (background) {
        SetBkColor(dc, background->ColorRef());
        SetBkMode(dc, OPAQUE);
    } else {
        SetBkMode(dc, TRANSPARENT);
    }
    const uint32_t flags = TextAlignFlags(alignment);
    SetTextAlign(dc, flags);

    TextBoxComment comment;
    comment.alignment = static_cast<int32_t>(flags);
    comment.column = c;
    comment.row = r;
    comment.width = TextWidthEstimate(conv, AvgCharWidth(), CharCount(text));
    comment.height = 2 * charHeight_ + 1;
    const auto start = comment.Bytes();
    WriteComment(start.data(), start.size());
    const std::wstring w = Utf8ToWide(text);
    ::TextOutW(dc, c, r, w.c_str(), static_cast<int>(w.size()));
    comment.marker = COMMENT_TEXT_END;
    const auto end = comment.Bytes();
    WriteComment(end.data(), end.size());
    SetBkMode(dc, TRANSPARENT);

    row_ = r;
    PCol(conv.FromLogical(c, Axis::Horizontal) + GetTextLength(text));
    return *this;
}

RpPrinter& RpPrinter::DrawText(OptNum row, OptNum col, const std::string& text, OptNum height,
                               OptNum width, int alignment, int /*unused*/,
                               std::optional<Color> background, bool wholeLines) {
    if (!IsActive() || PrinterDC() == nullptr)
        return *this;
    const UnitConverter conv = Converter();
    const double rowU = row ? *row : PRow();
    const double colU = col ? *col : PCol();
    const double heightU = height ? *height : AvgCharHeight();
    const double widthU = width ? *width : AvgCharWidth() * CharCount(text);

    if (background) {
        DrawRectangle(rowU, colU, rowU + heightU, colU + widthU, 1, PS_SOLID, *background, -1,
                      *background);
    }

    const long r = conv.ToLogical(rowU, Axis::Vertical);
    const long c = conv.ToLogical(colU, Axis::Horizontal);
    long h = conv.ToLogical(heightU, Axis::Vertical) + 1;
    const long w = conv.ToLogical(widthU, Axis::Horizontal) + 1;
    const int align = DrawTextAlignment(alignment);

    // The blocks live for both calls; each call fills its own.
    RpParagraph paragraph;
    paragraph.alignment = align;
    paragraph.maxLines = 99999;
    RpFontChoice fontChoice;
    fontChoice.useSelectedFont = 1;
    RpDrawTextParams p;
    p.text = text.data();
    p.length = static_cast<int32_t>(text.size());
    p.version = 1;
    p.left = c;
    p.top = r;
    p.right = c + w;
    p.bottom = r + h;
    p.printerDC = PrinterDC();
    p.currentDC = CurrentDC();
    p.third = ThirdHandle();
    p.draw = 0;
    p.wordWrap = wholeLines ? 0 : 1;
    p.paragraph = &paragraph;
    p.font = &fontChoice;
    rpDrawText(p);

    h = charHeight_ + (p.bottomReached - r);
    p.left = c;
    p.top = r;
    p.right = c + w;
    p.bottom = r + h;
    p.draw = 1;

    TextBoxComment comment;
    comment.alignment = align;
    comment.column = c;
    comment.row = r;
    comment.width = w;
    comment.height = h;
    const auto start = comment.Bytes();
    WriteComment(start.data(), start.size());
    rpDrawText(p);
    comment.marker = COMMENT_TEXT_END;
    const auto end = comment.Bytes();
    WriteComment(end.data(), end.size());

    row_ = p.bottom - charHeight_ - 1;
    col_ = p.right - 1;
    return *this;
}

RpPrinter& RpPrinter::DrawLine(OptNum row1, OptNum col1, OptNum row2, OptNum col2, int penWidth,
                               int penStyle, Color penColor) {
    HDC dc = PrinterDC();
    if (!IsActive() || dc == nullptr)
        return *this;
    const long r1 = RowToLog(row1), c1 = ColToLog(col1);
    const long r2 = RowToLog(row2), c2 = ColToLog(col2);
    GdiHandle<HPEN> pen = MakePen(penWidth, penStyle, penColor);
    {
        StockRestore selected(dc, pen.Get(), BLACK_PEN);
        MoveToEx(dc, c1, r1, nullptr);
        LineTo(dc, c2, r2);
    }
    return *this;
}

RpPrinter& RpPrinter::DrawRectangle(OptNum top, OptNum left, OptNum bottom, OptNum right,
                                    int penWidth, int penStyle, Color penColor,
                                    std::optional<int> brushStyle,
                                    std::optional<Color> brushColor) {
    return DrawShape(Shape::Rectangle, top, left, bottom, right, penWidth, penStyle, penColor,
                     brushStyle, brushColor);
}

RpPrinter& RpPrinter::DrawEllipse(OptNum top, OptNum left, OptNum bottom, OptNum right,
                                  int penWidth, int penStyle, Color penColor,
                                  std::optional<int> brushStyle, std::optional<Color> brushColor) {
    return DrawShape(Shape::Ellipse, top, left, bottom, right, penWidth, penStyle, penColor,
                     brushStyle, brushColor);
}

RpPrinter& RpPrinter::DrawShape(Shape shape, OptNum top, OptNum left, OptNum bottom, OptNum right,
                                int penWidth, int penStyle, Color penColor,
                                std::optional<int> brushStyle, std::optional<Color> brushColor) {
    HDC dc = PrinterDC();
    if (!IsActive() || dc == nullptr)
        return *this;
    const long t = RowToLog(top);
    const long l = ColToLog(left);
    const long b = RowToLog(bottom) + 1;
    const long r = ColToLog(right) + 1;

    GdiHandle<HPEN> pen = MakePen(penWidth, penStyle, penColor);
    GdiHandle<HBRUSH> brush;
    HBRUSH use = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
    if (brushStyle) {
        const COLORREF colour = brushColor.value_or(DefaultBrushColor()).ColorRef();
        if (*brushStyle == -1) {
            brush.Reset(CreateSolidBrush(colour));
        } else if (*brushStyle >= HS_HORIZONTAL && *brushStyle <= HS_DIAGCROSS) {
            brush.Reset(CreateHatchBrush(*brushStyle, colour));
        }
        // -2 and anything else: hollow.
        if (brush)
            use = brush.Get();
    }
    {
        StockRestore penSelected(dc, pen.Get(), BLACK_PEN);
        StockRestore brushSelected(dc, use, WHITE_BRUSH);
        if (shape == Shape::Rectangle)
            Rectangle(dc, l, t, r, b);
        else
            Ellipse(dc, l, t, r, b);
    }
    return *this;
}

RpPrinter& RpPrinter::DrawBMP(OptNum row, OptNum col, const std::string& fileName, OptNum height,
                              OptNum width, OptNum vOffset, OptNum hOffset, bool keepAspect) {
    DIBMP bitmap;
    if (bitmap.LoadFromFile(fileName))
        DrawBMP(row, col, bitmap, height, width, vOffset, hOffset, keepAspect);
    return *this;
}

RpPrinter& RpPrinter::DrawBMP(OptNum row, OptNum col, const DIBMP& bitmap, OptNum height,
                              OptNum width, OptNum vOffset, OptNum hOffset, bool keepAspect) {
    if (!IsActive() || PrinterDC() == nullptr)
        return *this;
    const UnitConverter conv = Converter();
    const long r = RowToLog(row);
    const long c = ColToLog(col);
    const auto v = [&](OptNum x) { return x ? conv.ToLogical(*x, Axis::Vertical) : 0L; };
    const auto h = [&](OptNum x) { return x ? conv.ToLogical(*x, Axis::Horizontal) : 0L; };
    const auto comment = BitmapComment(r);
    WriteComment(comment.data(), comment.size());
    bitmap.DrawDIB(PrinterDC(), r, c, v(height), h(width), v(vOffset), h(hOffset), keepAspect);
    return *this;
}

RpPrinter& RpPrinter::DrawRTF(OptNum row, OptNum col, const std::string& fileName, OptNum height,
                              OptNum width, long firstChar) {
    RTF document;
    if (document.LoadRTFFromFile(fileName))
        DrawRTF(row, col, document, height, width, firstChar, true);
    return *this;
}

RpPrinter& RpPrinter::DrawRTF(OptNum row, OptNum col, RTF& document, OptNum height, OptNum width,
                              long firstChar, bool draw) {
    if (!IsActive())
        return *this;
    const UnitConverter conv = Converter();
    const long r = RowToLog(row);
    const long c = ColToLog(col);
    const long h = height ? conv.ToLogical(*height, Axis::Vertical) : LogPrintAreaLength() - r;
    const long w = width ? conv.ToLogical(*width, Axis::Horizontal) : LogPrintAreaWidth() - c;
    document.DrawText(*this, r, c, h, w, firstChar, draw);
    return *this;
}

}  // namespace kp
