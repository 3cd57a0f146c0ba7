// CTextObject: the text record of a text area — its preset content and how
// it is drawn (font, colours, justification, rotation, background). Text
// areas of templates own one each, layout documents carry one per text
// instance, and CDraw::DrawTextA draws one into a box.
//
// A plain value: copied with the usual copy operations and compared field by
// field. The fields are public because the text tool, its dialogs and the
// page renderer read and write them directly.
#pragma once

#include <string>

#include "platform/types.h"

class CTextObject {
  public:
    // A fresh record: content off, no face name (so a new text area picks up
    // the last font the user chose), 12 points, normal weight, black text on
    // a white background that is not filled, no rotation, left-justified.
    CTextObject() = default;

    bool operator==(const CTextObject&) const = default;

    // Whether a renderer has anything to draw for this record: content is
    // switched on and there is text to show or a background to fill.
    BOOL HasContent() const;

    // ---- fields, in order ----------------------------------------------------
    int UseTextData = 0;     // 1: the area carries preset content
    std::string Facename;    // font face; empty: not chosen yet
    std::string Stylename;   // style as the font chooser names it; may be empty
    int Fontsize = 12;       // points
    COLORREF TextColor = 0;  // 0x00BBGGRR
    int Weight = 400;        // 400 normal, 700 bold
    int Strikeout = 0;
    int Underline = 0;
    int Italic = 0;
    int Bold = 0;  // 1 exactly when Weight is 700
    COLORREF BGColor = 0xFFFFFF;
    int Rotate = 0;      // degrees: 0, 90, 180 or 270 (counter-clockwise)
    int UseBGColor = 0;  // 1: the box is filled with BGColor
    std::string Text;    // lines separated by "\r\n"; UTF-8
    int Justify = 0;     // 0 left, 1 centred, 2 right
};
