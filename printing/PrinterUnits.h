#pragma once
// The printer device's arithmetic without a device: units of measure,
// the font height and character cell rules, the device comments that mark
// each text box in the output, and the alignment codes. RpPrinter feeds it
// the device's figures; tests call it with made-up ones.
//
// A device that is not there (no printer: 0 pixels per inch, or a font with
// a character width of 0) never divides by zero: a conversion that would
// divide by 0 gives 0.
#include <array>
#include <cstdint>

namespace kp {

// The codes of the `UnitOfMeasure` assign.
inline constexpr int UOM_INCH = 1;
inline constexpr int UOM_CM = 2;
inline constexpr int UOM_MM = 3;
inline constexpr int UOM_CHAR = 4;     // character cells of the current font
inline constexpr int UOM_LOGICAL = 5;  // the device's own logical units

bool IsUnitOfMeasure(int code);

enum class Axis { Horizontal, Vertical };

// What a conversion needs to know of the device and its current font.
struct DeviceMetrics {
    int ppiX = 0;        // logical pixels per inch, horizontal
    int ppiY = 0;        // and vertical
    int charWidth = 0;   // character cell of the current font, logical units
    int charHeight = 0;  // line height of the current font, logical units
};

class UnitConverter {
  public:
    UnitConverter(int unit, const DeviceMetrics& m) : unit_(unit), m_(m) {}

    // Unit -> logical units, rounded half away from zero.
    long ToLogical(double value, Axis axis) const;
    // Logical units -> unit, not rounded.
    double FromLogical(double logical, Axis axis) const;
    // Unit -> inches (the base device keeps its margins in inches).
    double ToInches(double value, Axis axis) const;
    // Inches -> unit; logical units come out rounded to whole units.
    double FromInches(double inches, Axis axis) const;

  private:
    int PixelsPerInch(Axis a) const { return a == Axis::Horizontal ? m_.ppiX : m_.ppiY; }
    int Cell(Axis a) const { return a == Axis::Horizontal ? m_.charWidth : m_.charHeight; }

    int unit_;
    DeviceMetrics m_;
};

// The height to ask of CreateFont for a font of `points` on a device with
// `ppiY` vertical pixels per inch: negative, so that Windows matches the
// character height rather than the cell height. Rounded.
int FontHeightFor(double points, int ppiY);

// The character width the device uses for character cells: the font's
// average width, widened by half of it (rounded down) for a proportional
// font, whose wide letters the average understates.
int CharacterWidthFor(int averageWidth, bool proportional);

// Windows' text alignment flags for a TextOut alignment code: 2 right,
// 1 centred, anything else left; always at the top. Same values as TA_*.
uint32_t TextAlignFlags(int alignment);

// DrawText's alignment code: 1, 2 and 4 pass, anything else becomes 0.
int DrawTextAlignment(int alignment);

// The device comments written around every text the device outputs, so a
// reader of the output (preview, export) can find each text's box. Six
// little-endian 32-bit values: marker, alignment, column, row, width,
// height. A bitmap is announced by two values: marker and row.
inline constexpr int32_t COMMENT_TEXT_START = 65534;
inline constexpr int32_t COMMENT_TEXT_END = 65535;
inline constexpr int32_t COMMENT_BITMAP = 999999;

struct TextBoxComment {
    int32_t marker = COMMENT_TEXT_START;
    int32_t alignment = 0;
    int32_t column = 0;
    int32_t row = 0;
    int32_t width = 0;
    int32_t height = 0;

    std::array<uint8_t, 24> Bytes() const;
    // Reads a comment back; false unless `size` is 24 and the marker is a
    // text marker.
    static bool Parse(const uint8_t* data, uint32_t size, TextBoxComment& out);
};

std::array<uint8_t, 8> BitmapComment(int32_t row);

// TextOut's width estimate for the comment: `length` characters of the
// average width (in the unit), in logical units, plus 1.
long TextWidthEstimate(const UnitConverter& conv, double avgCharWidthInUnit, long length);

}  // namespace kp
