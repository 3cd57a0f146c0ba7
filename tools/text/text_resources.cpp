#include "tools/text/text_resources.h"

#include <cstddef>
#include <iterator>
#include <memory>
#include <mutex>

#include "framework/designer_keys.h"
namespace text_res {
extern const unsigned char text_icon_png[];
extern const std::size_t text_icon_png_size;
extern const unsigned char text_cursor_png[];
extern const std::size_t text_cursor_png_size;
extern const unsigned char placeholder_png[];
extern const std::size_t placeholder_png_size;
extern const unsigned char rotate_0_png[];
extern const std::size_t rotate_0_png_size;
extern const unsigned char rotate_90_png[];
extern const std::size_t rotate_90_png_size;
extern const unsigned char rotate_180_png[];
extern const std::size_t rotate_180_png_size;
extern const unsigned char rotate_270_png[];
extern const std::size_t rotate_270_png_size;
}  // namespace text_res

namespace textres {

namespace {

struct StringEntry {
    int id;
    const char* text;
};

constexpr StringEntry kStrings[] = {
    {IDS_TOOL_NAME, "Text"},
    {IDS_MENU_PROPERTIES, "&Properties..."},
    {IDS_MENU_FORWARD, "Move Forward"},
    {IDS_MENU_BACKWARD, "Move Back"},
    {IDS_MENU_TO_FRONT, "Move to Front"},
    {IDS_MENU_TO_BACK, "Move to Back"},
    {IDS_JUSTIFY_LEFT, "Left justify"},
    {IDS_JUSTIFY_CENTER, "Center text"},
    {IDS_JUSTIFY_RIGHT, "Right justify"},
    {10, "%f"},
    {11, "%e"},
    {12, "%x"},
    {13, "%y"},
    {14, "%p"},
    {15, "%c"},
    {16, "%d"},
    {17, "%t"},
    {18, "%q"},
    {19, "%a"},
    {20, "%o"},
    {21, "%k"},
    {IDS_DEFAULT_FACE, "Arial"},
    {IDS_FORMAT_PAGE_COUNT, "%n"},
    {IDS_SETTINGS_KEY, designer_keys::kKey},
};

struct ImageEntry {
    int id;
    const unsigned char* data;
    const std::size_t* size;
};

const ImageEntry kImages[] = {
    {IDI_TOOL, text_res::text_icon_png, &text_res::text_icon_png_size},
    {IDB_PLACEHOLDER, text_res::placeholder_png, &text_res::placeholder_png_size},
    {IDI_ROTATE_NONE, text_res::rotate_0_png, &text_res::rotate_0_png_size},
    {IDI_ROTATE_90, text_res::rotate_90_png, &text_res::rotate_90_png_size},
    {IDI_ROTATE_180, text_res::rotate_180_png, &text_res::rotate_180_png_size},
    {IDI_ROTATE_270, text_res::rotate_270_png, &text_res::rotate_270_png_size},
    {IDC_TOOL, text_res::text_cursor_png, &text_res::text_cursor_png_size},
};

const ImageEntry* FindImage(int id) {
    for (const ImageEntry& e : kImages) {
        if (e.id == id)
            return &e;
    }
    return nullptr;
}

// Icons and cursors live as long as the module: handles given out stay valid
// however many areas come and go.
struct Shared {
    std::unique_ptr<platform::Cursor> images[std::size(kImages)];
};

Shared& SharedImages() {
    static Shared shared;
    return shared;
}

const platform::Cursor* SharedCursor(int id, platform::Point hotSpot) {
    const ImageEntry* e = FindImage(id);
    if (e == nullptr)
        return nullptr;
    static std::once_flag once[std::size(kImages)];
    const std::size_t index = static_cast<std::size_t>(e - kImages);
    std::call_once(once[index], [&] {
        SharedImages().images[index] = platform::Cursor::FromPng(e->data, *e->size, hotSpot);
    });
    return SharedImages().images[index].get();
}

}  // namespace

const char* LoadString(int id) {
    for (const StringEntry& e : kStrings) {
        if (e.id == id)
            return e.text;
    }
    return "";
}

platform::HICON LoadIcon(int id) {
    if (id == IDC_TOOL)
        return nullptr;
    return SharedCursor(id, {});
}

platform::HCURSOR LoadCursor(int id) {
    if (id != IDC_TOOL)
        return nullptr;
    return SharedCursor(id, {8, 8});  // the crosshair's centre
}

platform::Bitmap LoadBitmap(int id) {
    platform::Bitmap bitmap;
    const ImageEntry* e = FindImage(id);
    if (e != nullptr)
        bitmap.LoadPng(e->data, *e->size);
    return bitmap;
}

}  // namespace textres
