#pragma once
// Plain value types of the GUI layer and the one conversion between the
// library's coordinates and Windows' coordinates.
//
// The library measures positions from the lower-left corner of a container
// (a window's client area, or the screen for windows without an owner
// window), with y growing upwards. Windows measures from the top-left with y
// growing downwards. Every conversion goes through CoordinateSpace.
#include <cstdint>

namespace kp {

struct Point {
    int x = 0;
    int y = 0;
    Point() = default;
    Point(int x_, int y_) : x(x_), y(y_) {}
    friend bool operator==(const Point&, const Point&) = default;
};

struct Dimension {
    int width = 0;
    int height = 0;
    Dimension() = default;
    Dimension(int w, int h) : width(w), height(h) {}
    friend bool operator==(const Dimension&, const Dimension&) = default;
};

// A rectangle given by its lower-left corner and its extent.
struct BoundingBox {
    Point origin;
    Dimension extent;
    BoundingBox() = default;
    BoundingBox(Point o, Dimension e) : origin(o), extent(e) {}
    int Left() const { return origin.x; }
    int Bottom() const { return origin.y; }
    int Right() const { return origin.x + extent.width; }
    int Top() const { return origin.y + extent.height; }
    friend bool operator==(const BoundingBox&, const BoundingBox&) = default;
};

// A closed range of integers (progress bars, scroll ranges).
struct Range {
    int min = 0;
    int max = 0;
    Range() = default;
    Range(int lo, int hi) : min(lo), max(hi) {}
    friend bool operator==(const Range&, const Range&) = default;
};

// A text selection in characters: start and finish (finish exclusive).
struct Selection {
    int start = 0;
    int finish = 0;
    Selection() = default;
    Selection(int s, int f) : start(s), finish(f) {}
    bool Empty() const { return start == finish; }
    friend bool operator==(const Selection&, const Selection&) = default;
};

// A Windows rectangle in a container's top-down pixel coordinates
// (right and bottom exclusive), without depending on the Windows headers.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Converts between the two coordinate systems within one container of the
// given height in pixels.
//
// Rectangles convert by their edges: a window whose bottom edge lies on the
// container's bottom edge has origin y 0. Points convert by pixels: the
// lowest pixel row of the container is y 0, so the lower-left pixel of a
// window at origin (0, 0) is the point (0, 0) in both readings.
class CoordinateSpace {
  public:
    explicit CoordinateSpace(int containerHeight) : height_(containerHeight) {}
    int ContainerHeight() const { return height_; }

    BoundingBox ToLibrary(const PixelRect& r) const {
        return BoundingBox(Point(r.left, height_ - r.bottom), Dimension(r.Width(), r.Height()));
    }
    PixelRect ToWindows(const BoundingBox& b) const {
        PixelRect r;
        r.left = b.origin.x;
        r.right = b.origin.x + b.extent.width;
        r.bottom = height_ - b.origin.y;
        r.top = r.bottom - b.extent.height;
        return r;
    }
    Point PointToLibrary(int x, int y) const { return Point(x, height_ - 1 - y); }
    Point PointToWindows(const Point& p) const { return Point(p.x, height_ - 1 - p.y); }

  private:
    int height_;
};

}  // namespace kp
