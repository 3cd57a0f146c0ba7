// Integer points, sizes and rectangles in device pixels, with the usual
// desktop-graphics conventions: x grows to the right, y grows downwards, and a
// rectangle's right and bottom edges are exclusive (a rectangle from (0,0) to
// (10,5) covers columns 0..9 and rows 0..4, Width() 10, Height() 5).
#pragma once

#include <algorithm>

namespace platform {

struct Size {
    int cx = 0;
    int cy = 0;

    constexpr Size() = default;
    constexpr Size(int w, int h) : cx(w), cy(h) {}
    friend constexpr bool operator==(const Size&, const Size&) = default;
};

struct Point {
    int x = 0;
    int y = 0;

    constexpr Point() = default;
    constexpr Point(int px, int py) : x(px), y(py) {}

    constexpr void Offset(int dx, int dy) {
        x += dx;
        y += dy;
    }
    constexpr Point operator+(const Point& o) const { return {x + o.x, y + o.y}; }
    constexpr Point operator-(const Point& o) const { return {x - o.x, y - o.y}; }
    constexpr Point& operator+=(const Point& o) {
        x += o.x;
        y += o.y;
        return *this;
    }
    constexpr Point& operator-=(const Point& o) {
        x -= o.x;
        y -= o.y;
        return *this;
    }
    friend constexpr bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr Rect() = default;
    constexpr Rect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
    constexpr Rect(Point topLeft, Size size)
        : left(topLeft.x),
          top(topLeft.y),
          right(topLeft.x + size.cx),
          bottom(topLeft.y + size.cy) {}
    constexpr Rect(Point topLeft, Point bottomRight)
        : left(topLeft.x), top(topLeft.y), right(bottomRight.x), bottom(bottomRight.y) {}

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr Size GetSize() const { return {Width(), Height()}; }
    constexpr Point TopLeft() const { return {left, top}; }
    constexpr Point BottomRight() const { return {right, bottom}; }
    // Integer centre, rounding towards the top left.
    constexpr Point CenterPoint() const {
        return {left + (right - left) / 2, top + (bottom - top) / 2};
    }

    // Empty when it covers no pixel: zero or negative width or height.
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    // All four coordinates zero.
    constexpr bool IsNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    // Left and top inclusive, right and bottom exclusive.
    constexpr bool PtInRect(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }

    constexpr void SetRect(int l, int t, int r, int b) {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    constexpr void SetRectEmpty() { *this = Rect(); }

    constexpr void Offset(int dx, int dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    constexpr void Offset(Point d) { Offset(d.x, d.y); }
    // Grows each side outwards (negative values shrink).
    constexpr void Inflate(int dx, int dy) {
        left -= dx;
        right += dx;
        top -= dy;
        bottom += dy;
    }
    constexpr void Inflate(int l, int t, int r, int b) {
        left -= l;
        top -= t;
        right += r;
        bottom += b;
    }
    constexpr void Deflate(int dx, int dy) { Inflate(-dx, -dy); }
    constexpr void Deflate(int l, int t, int r, int b) { Inflate(-l, -t, -r, -b); }

    // Swaps coordinates so that left <= right and top <= bottom.
    constexpr void Normalize() {
        if (left > right)
            std::swap(left, right);
        if (top > bottom)
            std::swap(top, bottom);
    }
    constexpr Rect Normalized() const {
        Rect r = *this;
        r.Normalize();
        return r;
    }

    // Sets this rectangle to the intersection of a and b; an empty result
    // becomes all zero. Returns whether the intersection is non-empty.
    constexpr bool Intersect(const Rect& a, const Rect& b) {
        Rect r(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom));
        if (r.IsEmpty()) {
            SetRectEmpty();
            return false;
        }
        *this = r;
        return true;
    }
    // Intersection of this rectangle with another (all zero when empty).
    constexpr Rect Intersected(const Rect& o) const {
        Rect r;
        r.Intersect(*this, o);
        return r;
    }
    // Smallest rectangle holding both; an empty operand is ignored. Returns
    // whether the result is non-empty.
    constexpr bool Union(const Rect& a, const Rect& b) {
        if (a.IsEmpty() && b.IsEmpty()) {
            SetRectEmpty();
            return false;
        }
        if (a.IsEmpty()) {
            *this = b;
        } else if (b.IsEmpty()) {
            *this = a;
        } else {
            *this = Rect(std::min(a.left, b.left), std::min(a.top, b.top),
                         std::max(a.right, b.right), std::max(a.bottom, b.bottom));
        }
        return true;
    }
    constexpr Rect United(const Rect& o) const {
        Rect r;
        r.Union(*this, o);
        return r;
    }

    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// Free-function spellings of the same operations, for code that prefers them.
constexpr bool PtInRect(const Rect& r, Point p) {
    return r.PtInRect(p);
}
constexpr bool IsRectEmpty(const Rect& r) {
    return r.IsEmpty();
}
constexpr bool IntersectRect(Rect* dst, const Rect& a, const Rect& b) {
    return dst ? dst->Intersect(a, b) : !a.Intersected(b).IsEmpty();
}
constexpr bool UnionRect(Rect* dst, const Rect& a, const Rect& b) {
    return dst ? dst->Union(a, b) : !a.United(b).IsEmpty();
}
constexpr void OffsetRect(Rect* r, int dx, int dy) {
    if (r)
        r->Offset(dx, dy);
}
constexpr void InflateRect(Rect* r, int dx, int dy) {
    if (r)
        r->Inflate(dx, dy);
}

}  // namespace platform
