// CImageArea: an image area — the place where a layout brings a photograph.
// It is a rectangle and nothing more: its `Tool` subtree holds the name
// "Image" and the rectangle (in the same `Properties` form as text areas),
// and the Designer draws it as a framed placeholder with a picture icon.
// Text areas linked with it receive its photograph's information.
#pragma once

#include <string>
#include <vector>

#include "framework/template_tool.h"
#include "platform/dc.h"

class CImageArea : public CTemplateTool {
  public:
    // Runs a properties dialog on a copy of `tool`'s rectangle; TRUE when the
    // user confirmed (the copy then holds the result). Without one installed
    // EditProperties does nothing.
    using PropertiesRunner = BOOL (*)(CImageArea* tool, ToolRect* rect);
    static void SetPropertiesRunner(PropertiesRunner runner);

    // 3.0 x 2.0 inches at (0, 0).
    CImageArea();
    ~CImageArea() override;

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
    void EditProperties() override;
    BOOL IsImageTool() override;

    // A confirmed dialog's rectangle goes through SetToolRect; on a change
    // the window moves, the page is marked modified and repainted.
    BOOL ApplyProperties(const ToolRect& r);

    // Colours of the placeholder.
    static constexpr COLORREF kFillColor = RGB(236, 242, 248);
    static constexpr COLORREF kLineColor = RGB(150, 160, 175);
    static constexpr COLORREF kLabelColor = RGB(90, 100, 115);
};

namespace imageres {

// "Image", the name of the tool.
inline constexpr const char* kToolName = "Image";
// The 16 x 16 picture icon and the tool's cursor, shared by the module.
platform::HICON ToolIcon();
platform::HCURSOR ToolCursor();

}  // namespace imageres
