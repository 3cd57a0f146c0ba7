// CTextTool: a text area. It holds the area's text record (CTextObject) and
// the placeholder image drawn while it shows no content, writes and reads its
// `Tool` subtree of the template XML, draws itself for the page and checks
// the link rule "a text area is linked with an image area".
#pragma once

#include <string>
#include <vector>

#include "engine/text_object.h"
#include "framework/template_tool.h"
#include "platform/dc.h"

class CTextTool : public CTemplateTool {
  public:
    // Runs the Text Properties dialog for `tool` on copies of its record and
    // rectangle; TRUE when the user confirmed (the copies then hold the
    // result). Installed by the dialogs; without one EditProperties does
    // nothing.
    using PropertiesRunner = BOOL (*)(CTextTool* tool, CTextObject* text, ToolRect* rect);
    static void SetPropertiesRunner(PropertiesRunner runner);

    // 2.0 x 1.5 inches at (0, 0); content off; white background that is
    // filled once content is on.
    CTextTool();
    ~CTextTool() override;

    // ---- CTemplateTool overrides, in slot order ------------------------------
    platform::HICON GetToolIcon() override;
    platform::HCURSOR GetToolCursor() override;
    void GetMenuStrings(std::vector<std::string>& labels, std::vector<std::string>& extraLabels,
                        std::vector<ToolMenuHandler>& extraHandlers) override;
    CXMLTreeNode* WriteXML() override;
    BOOL ReadXML(CXMLTreeNode* node) override;
    void GetToolName(char* buf, int len) override;
    void Draw(platform::DC* dc) override;
    void DrawOutline(platform::DC* dc) override;
    void DrawLinkLine(platform::DC* dc) override;
    void EditProperties() override;
    BOOL IsLinkValid() override;
    BOOL IsTextTool() override;

    // ---- helpers ---------------------------------------------------------------
    // Takes a confirmed dialog's record and rectangle: a changed record is
    // copied (with the fallback font when it has text but no face), the
    // rectangle goes through SetToolRect; on any change the window moves,
    // the page is marked modified and repainted. TRUE when something changed.
    BOOL ApplyProperties(const CTextObject& text, const ToolRect& r);

    // The font size passed on for drawing `points` at `pixelsPerUnit` on a
    // device of `vres` dots per inch: the height in tenths of internal units
    // scaled to tenths of pixels, back to points, at least 0.2 points, then
    // whole points (so 0 below one point). Integer steps as documented.
    static int ScreenFontSize(int points, double pixelsPerUnit, int vres);

    // The page's pixels per internal unit: the larger of the page window's
    // width over the paper width and height over paper height (0 without a
    // page or for an empty paper).
    double PageScale();

    // ---- fields ----------------------------------------------------------------
    CTextObject textObject;
    platform::Bitmap placeholder;  // 16 x 16

  private:
    void DrawPlaceholder(platform::DC* dc, const platform::Rect& r);
};
