#pragma once
// RpPrinter: the system's printer device. Callers place text, lines, boxes,
// bitmaps and RTF documents by row and column in a unit of measure of their
// choice; the device converts to its logical units, keeps one current font
// and a print position (PRow, PCol) that text output advances.
//
// Every drawing call does nothing unless the base device is printing,
// previewing or exporting, and returns the printer. Around each text it
// writes a device comment with the text's box (see PrinterUnits.h), so
// whoever reads the output can find the texts again.
//
// A missing row or column (std::nullopt) means the current PRow or PCol.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/gui/drawing.h"
#include "platform/gui/handles.h"
#include "platform/report/ptrdevice.h"
#include "printing/PrinterUnits.h"

namespace kp {

class DIBMP;
class RTF;

using OptNum = std::optional<double>;

class RpPrinter : public PtrDevice {
  public:
    // The device over the default printer of Windows, or over a given one.
    // Jobs go straight to the printer (NoSelection); the first font is
    // 12-point Arial.
    RpPrinter(Window* owner, PrintReport* report);
    RpPrinter(Window* owner, PrintReport* report, std::unique_ptr<PrinterLink> printer);
    ~RpPrinter() override;

    // The brush colour of DrawRectangle/DrawEllipse when a brush style is
    // given without a colour: the library's colour code 7, light grey.
    static Color DefaultBrushColor() { return Color(192, 192, 192); }

    // --- font
    RpPrinter& SetFont(const std::string& face, double pointSize, bool bold = false,
                       bool italic = false, bool underline = false, int orientation = 0,
                       int escapement = 0);
    const std::string& FaceName() const { return face_; }
    double PointSize() const { return pointSize_; }
    HFONT Font() const { return font_.Get(); }

    // --- unit of measure (UOM_*); codes outside 1..5 are ignored
    int UnitOfMeasure() const { return unit_; }
    void UnitOfMeasure(int code);

    // --- measures in the current unit
    double AvgCharWidth() const;
    double AvgCharHeight() const;
    double PrintAreaWidth() const;
    double PrintAreaLength() const;
    // The width of text in the current device context; 0 outside a job.
    double GetTextLength(const std::string& text) const;
    // The face of the font selected in the current device context; empty
    // unless printing or previewing.
    std::string GetTextFace() const;

    // --- margins in the current unit (the base device keeps inches)
    double TopMargin() const;
    void TopMargin(double value);
    double LeftMargin() const;
    void LeftMargin(double value);
    double BottomMargin() const;
    void BottomMargin(double value);
    double RightMargin() const;
    void RightMargin(double value);

    // --- print position
    double PRow() const;
    void PRow(double value);
    double PCol() const;
    void PCol(double value);
    double NextPRow() const { return PRow() + AvgCharHeight(); }
    // In logical units, as the device keeps them.
    long LogPRow() const { return row_; }
    long LogPCol() const { return col_; }
    // The character cell of the current font, logical units.
    int LogCharWidth() const { return charWidth_; }
    int LogCharHeight() const { return charHeight_; }

    // --- page hooks of the base device's loop
    int CallPrintSetPage(int page) override;
    void CallPrintPageHeader() override;

    // --- drawing
    // alignment 0 left, 1 centred on the column, 2 right-aligned; no
    // background colour leaves the background transparent.
    RpPrinter& TextOut(OptNum row, OptNum col, const std::string& text, int alignment = 0,
                       Color textColor = Color(), std::optional<Color> background = std::nullopt);
    // Text wrapped into a box of height by width (defaults: one line, the
    // text's estimated width). alignment 0 left, 1 centred, 2 right, 4
    // justified. The seventh argument has no effect. wholeLines (the ninth
    // argument) set: one output line per text line, no word wrap.
    RpPrinter& DrawText(OptNum row, OptNum col, const std::string& text, OptNum height = {},
                        OptNum width = {}, int alignment = 0, int unused = 0,
                        std::optional<Color> background = std::nullopt, bool wholeLines = false);
    // penStyle: Windows pen styles (0 solid, 1 dash, 2 dot, ...).
    RpPrinter& DrawLine(OptNum row1, OptNum col1, OptNum row2, OptNum col2, int penWidth = 1,
                        int penStyle = PS_SOLID, Color penColor = Color());
    // brushStyle: none = hollow inside; -2 hollow; -1 solid; 0..5 the Windows
    // hatches (horizontal, vertical, forward and backward diagonal, cross,
    // diagonal cross).
    RpPrinter& DrawRectangle(OptNum top, OptNum left, OptNum bottom, OptNum right, int penWidth = 1,
                             int penStyle = PS_SOLID, Color penColor = Color(),
                             std::optional<int> brushStyle = {},
                             std::optional<Color> brushColor = {});
    RpPrinter& DrawEllipse(OptNum top, OptNum left, OptNum bottom, OptNum right, int penWidth = 1,
                           int penStyle = PS_SOLID, Color penColor = Color(),
                           std::optional<int> brushStyle = {},
                           std::optional<Color> brushColor = {});
    // A bitmap from a file, or an already loaded one. Height and width 0
    // follow the picture (see DIBMP::DrawDIB); keepAspect is passed on.
    RpPrinter& DrawBMP(OptNum row, OptNum col, const std::string& fileName, OptNum height = {},
                       OptNum width = {}, OptNum vOffset = {}, OptNum hOffset = {},
                       bool keepAspect = false);
    RpPrinter& DrawBMP(OptNum row, OptNum col, const DIBMP& bitmap, OptNum height = {},
                       OptNum width = {}, OptNum vOffset = {}, OptNum hOffset = {},
                       bool keepAspect = false);
    // An RTF document from a file, or a loaded one from firstChar (1-based);
    // height and width default to the rest of the print area.
    RpPrinter& DrawRTF(OptNum row, OptNum col, const std::string& fileName, OptNum height = {},
                       OptNum width = {}, long firstChar = 1);
    RpPrinter& DrawRTF(OptNum row, OptNum col, RTF& document, OptNum height = {}, OptNum width = {},
                       long firstChar = 1, bool draw = true);

    // The conversions of the current unit on this device.
    UnitConverter Converter() const;

  private:
    enum class Shape { Rectangle, Ellipse };
    RpPrinter& DrawShape(Shape shape, OptNum top, OptNum left, OptNum bottom, OptNum right,
                         int penWidth, int penStyle, Color penColor, std::optional<int> brushStyle,
                         std::optional<Color> brushColor);
    void CreateTheFont();
    void SelectFontIntoDCs();
    void WriteComment(const void* data, UINT size) const;
    long RowToLog(OptNum row) const;
    long ColToLog(OptNum col) const;

    int unit_ = UOM_INCH;
    std::string face_ = "Arial";
    double pointSize_ = 12;
    bool bold_ = false;
    bool italic_ = false;
    bool underline_ = false;
    int escapement_ = 0;
    int orientation_ = 0;
    GdiHandle<HFONT> font_;
    int charWidth_ = 0;
    int charHeight_ = 0;
    long row_ = 0;
    long col_ = 0;
};

}  // namespace kp
