// CDraw: the engine's drawing object. It is initialised on a device context
// and draws text records (CTextObject) into boxes on it. The Designer's text
// areas make one per draw on the page's off-screen context; the page
// renderer of layout documents uses the same call, so nothing here depends
// on a user-interface toolkit: text is laid out with Pango (fonts found
// through fontconfig, so "Arial" resolves to a metric-compatible face) and
// reaches the device context as an alpha-blended image.
#pragma once

#include "engine/text_object.h"
#include "platform/dc.h"
#include "platform/types.h"

class CDraw {
  public:
    CDraw() = default;
    ~CDraw() = default;
    CDraw(const CDraw&) = delete;
    CDraw& operator=(const CDraw&) = delete;

    // Draws on `dc` from now on (not owned). FALSE, and not initialised, for
    // a null DC or one with nothing to draw on. The drawing size becomes the
    // size of the DC's surface.
    BOOL Init(platform::DC* dc);
    // Forgets the device context.
    void Release();
    // The device context given to Init; null when not initialised.
    platform::DC* GetDC() const { return dc_; }
    // Vertical resolution of the device context in dots per inch; 96 (the
    // default resolution of a DC) when not initialised, so it is never 0.
    int GetVRes() const;

    // The size of the drawing (pixels from the DC's origin) that Clear fills;
    // negative sizes count as 0.
    void SetSize(int width, int height);
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    // Fills the drawing with a colour (white when none is given). FALSE when
    // not initialised.
    BOOL Clear(COLORREF color = 0xFFFFFF);

    // Draws `text`'s Text inside the box (x, y, w, h) in logical pixels of
    // `dc` (the DC given to Init when null):
    //   - face Facename ("Arial" when empty) in the style Stylename when the
    //     face has a style of that name, else with Weight and Italic;
    //     Fontsize points at the DC's vertical resolution; underline,
    //     strike-out and TextColor;
    //   - lines broken at "\r\n" and wrapped at words to the box width,
    //     each line aligned by Justify (0 left, 1 centred, 2 right), the
    //     block starting at the top of the box;
    //   - turned by Rotate degrees counter-clockwise (90, 180 or 270; other
    //     values draw unturned); for 90 and 270 the lines run along the box's
    //     height;
    //   - clipped to the box and the DC's clip.
    // No background is filled. A size of 0 or less, an empty box or an
    // empty text draws nothing. FALSE when there is no DC or no record.
    BOOL DrawTextA(int x, int y, int w, int h, const CTextObject* text, platform::DC* dc = nullptr);

  private:
    platform::DC* dc_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};
