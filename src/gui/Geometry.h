#pragma once
// Points, rectangles and colours of the Mirda framework. Coordinates are 64-bit floating-point pixels;
// a rectangle's right and bottom edges count as inside.

#include <algorithm>
#include <cstdint>

namespace Mirda {

struct CPoint {
    double x = 0.0;
    double y = 0.0;

    constexpr CPoint() = default;
    constexpr CPoint(double px, double py) : x(px), y(py) {}

    constexpr CPoint& offset(double dx, double dy) {
        x += dx;
        y += dy;
        return *this;
    }
    constexpr CPoint operator+(const CPoint& o) const { return {x + o.x, y + o.y}; }
    constexpr CPoint operator-(const CPoint& o) const { return {x - o.x, y - o.y}; }
    constexpr bool operator==(const CPoint&) const = default;
};

struct CRect {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;

    constexpr CRect() = default;
    constexpr CRect(double l, double t, double r, double b) : left(l), top(t), right(r), bottom(b) {}
    static constexpr CRect fromSize(double x, double y, double w, double h) { return {x, y, x + w, y + h}; }

    constexpr double width() const { return right - left; }
    constexpr double height() const { return bottom - top; }
    constexpr CPoint topLeft() const { return {left, top}; }
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }

    constexpr bool pointInside(const CPoint& p) const {
        return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
    }
    // True when `inner` lies completely within this rectangle.
    constexpr bool rectInside(const CRect& inner) const {
        return inner.left >= left && inner.top >= top && inner.right <= right && inner.bottom <= bottom;
    }
    constexpr bool rectOverlap(const CRect& o) const {
        return o.right >= left && o.left <= right && o.bottom >= top && o.top <= bottom;
    }
    constexpr CRect& offset(double dx, double dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    constexpr CRect& moveTo(double x, double y) { return offset(x - left, y - top); }
    // Intersection; an empty result keeps left <= right and top <= bottom.
    constexpr CRect& bound(const CRect& o) {
        left = std::max(left, o.left);
        top = std::max(top, o.top);
        right = std::max(left, std::min(right, o.right));
        bottom = std::max(top, std::min(bottom, o.bottom));
        return *this;
    }
    constexpr CRect& unite(const CRect& o) {
        left = std::min(left, o.left);
        top = std::min(top, o.top);
        right = std::max(right, o.right);
        bottom = std::max(bottom, o.bottom);
        return *this;
    }
    constexpr CRect& inset(double dx, double dy) {
        left += dx;
        right -= dx;
        top += dy;
        bottom -= dy;
        return *this;
    }
    constexpr bool operator==(const CRect&) const = default;
};

struct CColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;
    constexpr bool operator==(const CColor&) const = default;
};

inline constexpr CColor kWhiteCColor{255, 255, 255, 255};
inline constexpr CColor kBlackCColor{0, 0, 0, 255};
inline constexpr CColor kTransparentCColor{255, 255, 255, 0};
inline constexpr CColor kGreyCColor{127, 127, 127, 255};
inline constexpr CColor kRedCColor{255, 0, 0, 255};

// Mouse button and modifier word passed with every mouse event.
enum MouseButtons : int32_t {
    kLButton = 0x2,
    kMButton = 0x4,
    kRButton = 0x8,
    kShift = 0x10,
    kControl = 0x20,
    kAlt = 0x40,
    kButton4 = 0x100,
    kButton5 = 0x200,
    kDoubleClick = 0x400,
    kModifierMask = 0xF0,
};

// Answers of the mouse handlers.
enum MouseResult : int32_t {
    kMouseNotImplemented = 0,
    kMouseHandled = 1,
    kMouseNotHandled = 2,
    kMouseHandledNoFollow = 3,
};

} // namespace Mirda
