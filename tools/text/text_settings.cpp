#include "tools/text/text_settings.h"

#include <string>

#include "engine/persist.h"
#include "tools/text/text_resources.h"

namespace textsettings {

namespace {

CPersist Settings() {
    return CPersist(textres::LoadString(textres::IDS_SETTINGS_KEY));
}

std::string CustomColorName(int index) {
    return "CustomColor" + std::to_string(index);
}

COLORREF g_customColors[kCustomColorCount] = {};

}  // namespace

void LoadSavedSettings(CTextObject* text) {
    if (text == nullptr)
        return;
    const CPersist p = Settings();
    text->Facename = p.LoadStringA("SavedFaceName", textres::LoadString(textres::IDS_DEFAULT_FACE));
    text->Stylename = p.LoadStringA("SavedStyleName", "");
    text->Fontsize = p.LoadInt("SavedSize", 12);
    text->TextColor = p.LoadDWord("SavedColor", 0);
    text->Weight = p.LoadInt("SavedWeight", 400);
    text->Strikeout = p.LoadInt("SavedStrikeout", 0);
    text->Underline = p.LoadInt("SavedUnderline", 0);
    text->Italic = p.LoadInt("SavedItalic", 0);
    text->Bold = p.LoadInt("SavedBold", 0);
}

void ApplySavedSettings(CTextObject* text) {
    if (text == nullptr || !text->Facename.empty())
        return;
    LoadSavedSettings(text);
    if (text->Facename.empty())
        text->Facename = textres::LoadString(textres::IDS_DEFAULT_FACE);
    if (text->Fontsize <= 0)
        text->Fontsize = 12;
    if (text->Weight <= 0)
        text->Weight = 400;
}

void SaveSettings(const CTextObject* text) {
    if (text == nullptr)
        return;
    CPersist p = Settings();
    p.SetString("SavedFaceName", text->Facename.c_str());
    p.SetString("SavedStyleName", text->Stylename.c_str());
    p.SetInt("SavedSize", text->Fontsize);
    p.SetDWord("SavedColor", text->TextColor);
    p.SetInt("SavedWeight", text->Weight);
    p.SetInt("SavedStrikeout", text->Strikeout);
    p.SetInt("SavedUnderline", text->Underline);
    p.SetInt("SavedItalic", text->Italic);
    p.SetInt("SavedBold", text->Bold);
}

COLORREF* CustomColors() {
    return g_customColors;
}

void LoadCustomColors() {
    const CPersist p = Settings();
    for (int i = 0; i < kCustomColorCount; ++i) {
        g_customColors[i] = p.LoadDWord(CustomColorName(i).c_str(), 0);
    }
}

void SaveCustomColors() {
    CPersist p = Settings();
    for (int i = 0; i < kCustomColorCount; ++i) {
        p.SetInt(CustomColorName(i).c_str(), static_cast<int>(g_customColors[i]));
    }
}

}  // namespace textsettings
