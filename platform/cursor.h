// Cursor and icon handles. Standard cursors are shared singletons that live
// for the whole process; image cursors and icons are made from a bitmap or
// embedded PNG data a module supplies and freed with DestroyCursor /
// DestroyIcon. The host decides how a cursor looks on screen (a Qt cursor
// shape, or just a record in the headless host).
#pragma once

#include <cstddef>
#include <memory>

#include "platform/dc.h"
#include "platform/geometry.h"

namespace platform {

enum class StandardCursor {
    Arrow,
    IBeam,
    Wait,
    Cross,
    SizeNWSE,  // top-left / bottom-right corner
    SizeNESW,  // top-right / bottom-left corner
    SizeWE,    // left / right edge
    SizeNS,    // top / bottom edge
    SizeAll,   // four-arrow move
    No,        // not allowed
    Hand,
    AppStarting,
};

class Cursor {
  public:
    // The shared standard cursor of a shape (never null).
    static const Cursor* Standard(StandardCursor shape);
    // A cursor (or icon) showing a copy of the image; null for an empty image.
    static std::unique_ptr<Cursor> FromImage(const Bitmap& image, Point hotSpot = {});
    // The same from PNG data; null when the data is not a readable PNG.
    static std::unique_ptr<Cursor> FromPng(const void* data, std::size_t size, Point hotSpot = {});

    bool IsStandard() const { return !image_; }
    StandardCursor shape() const { return shape_; }
    // The image of an image cursor, null for a standard one.
    const Bitmap* image() const { return image_.get(); }
    Point hotSpot() const { return hotSpot_; }

  private:
    Cursor() = default;
    StandardCursor shape_ = StandardCursor::Arrow;
    std::unique_ptr<Bitmap> image_;
    Point hotSpot_;
};

using HCURSOR = const Cursor*;
// HICON (an image with no hot spot) is declared in platform/dc.h as the same type.

// Standard cursor ids for LoadCursor.
inline constexpr StandardCursor IDC_ARROW = StandardCursor::Arrow;
inline constexpr StandardCursor IDC_IBEAM = StandardCursor::IBeam;
inline constexpr StandardCursor IDC_WAIT = StandardCursor::Wait;
inline constexpr StandardCursor IDC_CROSS = StandardCursor::Cross;
inline constexpr StandardCursor IDC_SIZENWSE = StandardCursor::SizeNWSE;
inline constexpr StandardCursor IDC_SIZENESW = StandardCursor::SizeNESW;
inline constexpr StandardCursor IDC_SIZEWE = StandardCursor::SizeWE;
inline constexpr StandardCursor IDC_SIZENS = StandardCursor::SizeNS;
inline constexpr StandardCursor IDC_SIZEALL = StandardCursor::SizeAll;
inline constexpr StandardCursor IDC_NO = StandardCursor::No;
inline constexpr StandardCursor IDC_HAND = StandardCursor::Hand;
inline constexpr StandardCursor IDC_APPSTARTING = StandardCursor::AppStarting;

// The standard cursor of a shape.
HCURSOR LoadCursor(StandardCursor id);
// An image cursor or icon made from PNG data; null for unreadable data. Free
// it with DestroyCursor / DestroyIcon.
HCURSOR CreateCursorFromPng(const void* data, std::size_t size, Point hotSpot = {});
HICON CreateIconFromPng(const void* data, std::size_t size);
HICON CreateIconFromImage(const Bitmap& image);
// Frees an image cursor or icon; standard cursors and null are ignored.
BOOL DestroyCursor(HCURSOR cursor);
BOOL DestroyIcon(HICON icon);

// Shows the cursor through the host of the window manager that is handling
// input (the most recently active one); returns the previous cursor.
HCURSOR SetCursor(HCURSOR cursor);
// The cursor last set through SetCursor (arrow before any).
HCURSOR GetCursor();

}  // namespace platform
