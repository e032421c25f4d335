#include "printing/PrinterUnits.h"

#include <cmath>

namespace kp {

namespace {

constexpr double kCmPerInch = 2.54;
constexpr double kMmPerInch = 25.4;

// a / b, or 0 when there is nothing to divide by (no printer, no font).
double Ratio(double a, double b) {
    return b == 0 ? 0.0 : a / b;
}

void PutLE(uint8_t* p, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    p[0] = static_cast<uint8_t>(u);
    p[1] = static_cast<uint8_t>(u >> 8);
    p[2] = static_cast<uint8_t>(u >> 16);
    p[3] = static_cast<uint8_t>(u >> 24);
}

int32_t GetLE(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                uint32_t(p[3]) << 24);
}

}  // namespace

bool IsUnitOfMeasure(int code) {
    return code >= UOM_INCH && code <= UOM_LOGICAL;
}

long UnitConverter::ToLogical(double value, Axis axis) const {
    const int ppi = PixelsPerInch(axis);
    double logical = value;
    switch (unit_) {
        case UOM_INCH:
            logical = value * ppi;
            break;
        case UOM_CM:
            logical = value * ppi / kCmPerInch;
            break;
        case UOM_MM:
            logical = value * ppi / kMmPerInch;
            break;
        case UOM_CHAR:
            logical = value * Cell(axis);
            break;
        default:
            break;  // logical units
    }
    return std::lround(logical);
}

double UnitConverter::FromLogical(double logical, Axis axis) const {
    const int ppi = PixelsPerInch(axis);
    switch (unit_) {
        case UOM_INCH:
            return Ratio(logical, ppi);
        case UOM_CM:
            return Ratio(logical, ppi) * kCmPerInch;
        case UOM_MM:
            return Ratio(logical, ppi) * kMmPerInch;
        case UOM_CHAR:
            return Ratio(logical, Cell(axis));
        default:
            return logical;
    }
}

double UnitConverter::ToInches(double value, Axis axis) const {
    const int ppi = PixelsPerInch(axis);
    switch (unit_) {
        case UOM_INCH:
            return value;
        case UOM_CM:
            return value / kCmPerInch;
        case UOM_MM:
            return value / kMmPerInch;
        case UOM_CHAR:
            return Ratio(value * Cell(axis), ppi);
        default:
            return Ratio(value, ppi);
    }
}

double UnitConverter::FromInches(double inches, Axis axis) const {
    const int ppi = PixelsPerInch(axis);
    switch (unit_) {
        case UOM_INCH:
            return inches;
        case UOM_CM:
            return inches * kCmPerInch;
        case UOM_MM:
            return inches * kMmPerInch;
        case UOM_CHAR:
            return Ratio(inches * ppi, Cell(axis));
        default:
            return static_cast<double>(std::lround(inches * ppi));
    }
}

int FontHeightFor(double points, int ppiY) {
    return -static_cast<int>(std::lround(points * ppiY / 72.0));
}

int CharacterWidthFor(int averageWidth, bool proportional) {
    return proportional ? averageWidth + averageWidth / 2 : averageWidth;
}

uint32_t TextAlignFlags(int alignment) {
    // TA_TOP = 0, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6.
    switch (alignment) {
        case 2:
            return 2;
        case 1:
            return 6;
        default:
            return 0;
    }
}

int DrawTextAlignment(int alignment) {
    return alignment == 1 || alignment == 2 || alignment == 4 ? alignment : 0;
}

std::array<uint8_t, 24> TextBoxComment::Bytes() const {
    std::array<uint8_t, 24> b{};
    const int32_t v[6] = {marker, alignment, column, row, width, height};
    for (int i = 0; i < 6; ++i)
        PutLE(b.data() + 4 * i, v[i]);
    return b;
}

bool TextBoxComment::Parse(const uint8_t* data, uint32_t size, TextBoxComment& out) {
    if (data == nullptr || size != 24)
        return false;
    const int32_t marker = GetLE(data);
    if (marker != COMMENT_TEXT_START && marker != COMMENT_TEXT_END)
        return false;
    out.marker = marker;
    out.alignment = GetLE(data + 4);
    out.column = GetLE(data + 8);
    out.row = GetLE(data + 12);
    out.width = GetLE(data + 16);
    out.height = GetLE(data + 20);
    return true;
}

std::array<uint8_t, 8> BitmapComment(int32_t row) {
    std::array<uint8_t, 8> b{};
    PutLE(b.data(), COMMENT_BITMAP);
    PutLE(b.data() + 4, row);
    return b;
}

long TextWidthEstimate(const UnitConverter& conv, double avgCharWidthInUnit, long length) {
    return conv.ToLogical(avgCharWidthInUnit * static_cast<double>(length), Axis::Horizontal) + 1;
}

}  // namespace kp
