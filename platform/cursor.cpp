// Cursor and icon handles.
#include "platform/cursor.h"

#include <array>

#include "platform/message_box.h"
#include "platform/window.h"
#include "platform/window_host.h"

namespace platform {

namespace {
HCURSOR g_current = nullptr;
}

const Cursor* Cursor::Standard(StandardCursor shape) {
    static std::array<Cursor, static_cast<size_t>(StandardCursor::AppStarting) + 1> cursors = [] {
        std::array<Cursor, static_cast<size_t>(StandardCursor::AppStarting) + 1> a{};
        for (size_t i = 0; i < a.size(); ++i)
            a[i].shape_ = static_cast<StandardCursor>(i);
        return a;
    }();
    size_t index = static_cast<size_t>(shape);
    if (index >= cursors.size())
        index = 0;
    return &cursors[index];
}

std::unique_ptr<Cursor> Cursor::FromImage(const Bitmap& image, Point hotSpot) {
    if (image.IsEmpty())
        return nullptr;
    std::unique_ptr<Cursor> c(new Cursor());
    c->image_ = std::make_unique<Bitmap>(image.Clone());
    c->hotSpot_ = hotSpot;
    return c;
}

std::unique_ptr<Cursor> Cursor::FromPng(const void* data, std::size_t size, Point hotSpot) {
    Bitmap image;
    if (!image.LoadPng(data, size))
        return nullptr;
    std::unique_ptr<Cursor> c(new Cursor());
    c->image_ = std::make_unique<Bitmap>(std::move(image));
    c->hotSpot_ = hotSpot;
    return c;
}

HCURSOR LoadCursor(StandardCursor id) {
    return Cursor::Standard(id);
}

HCURSOR CreateCursorFromPng(const void* data, std::size_t size, Point hotSpot) {
    return Cursor::FromPng(data, size, hotSpot).release();
}

HICON CreateIconFromPng(const void* data, std::size_t size) {
    return Cursor::FromPng(data, size).release();
}

HICON CreateIconFromImage(const Bitmap& image) {
    return Cursor::FromImage(image).release();
}

BOOL DestroyCursor(HCURSOR cursor) {
    if (!cursor || cursor->IsStandard())
        return FALSE;
    if (g_current == cursor)
        g_current = nullptr;
    delete cursor;
    return TRUE;
}

BOOL DestroyIcon(HICON icon) {
    return DestroyCursor(icon);
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR old = GetCursor();
    g_current = cursor;
    WindowHost* host = nullptr;
    if (WindowManager* m = WindowManager::Active())
        host = m->GetHost();
    if (!host)
        host = GetDefaultHost();
    if (host)
        host->SetHostCursor(cursor ? cursor : LoadCursor(IDC_ARROW));
    return old;
}

HCURSOR GetCursor() {
    return g_current ? g_current : LoadCursor(IDC_ARROW);
}

}  // namespace platform
