// The text tool's settings kept from one run to the next in the Designer's
// registry key: the last font chosen in the font chooser and the colour
// chooser's 16 custom colours (one table shared by every text area).
#pragma once

#include "engine/text_object.h"
#include "platform/types.h"

namespace textsettings {

inline constexpr int kCustomColorCount = 16;

// Loads the saved font into the record's Facename, Stylename, Fontsize,
// TextColor, Weight, Strikeout, Underline, Italic and Bold; each missing
// value takes its default ("Arial", "", 12, black, 400, 0, 0, 0, 0).
void LoadSavedSettings(CTextObject* text);
// For a record without a face name: loads the saved font, then makes sure the
// face is set ("Arial"), the size positive (12) and the weight positive
// (400). A record that has a face name is left alone.
void ApplySavedSettings(CTextObject* text);
// Writes the record's font as the saved font.
void SaveSettings(const CTextObject* text);

// The shared table of custom colours.
COLORREF* CustomColors();
// Loads all 16 from the registry (missing ones are 0) / writes all 16 back.
void LoadCustomColors();
void SaveCustomColors();

}  // namespace textsettings
