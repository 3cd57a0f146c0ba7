// CStylePage: the page object of a page-style module. It carries the page
// properties of a template (paper, orientation, image handling, background
// colour, author), writes the whole template as an XML tree, recognises and
// loads the templates of its own paper, copies and pastes areas through the
// clipboard, and keeps the undo history as whole-template snapshots.
//
// Every page-style module is built from this one class; the paper comes from
// the module's PageVariant.
#pragma once

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/xml_tree.h"
#include "framework/template_page.h"
#include "pagestyle/page_variant.h"

// Most snapshots the undo history keeps.
inline constexpr int MAX_UNDO_STATES = 100;
// Offset of each repeated paste into the same page: 3 mm in internal units.
inline constexpr double PASTE_OFFSET = 300.0;

class CStylePage : public CTemplatePage {
  public:
    explicit CStylePage(const PageVariant& variant);
    ~CStylePage() override;

    // ---- the page style's operations (slots of CTemplatePage) -----------------
    void CopyPageSettings(const CTemplatePage* from) override;
    void GetMenuStrings(std::vector<std::string>& labels, std::vector<std::string>& extraLabels,
                        std::vector<PageMenuHandler>& extraHandlers) override;
    CXMLTreeNode* WriteXML() override;
    BOOL CreateFromXML(CXMLTreeNode* root, PendingToolFn pendingTool, ChangedFn changed,
                       MarginsFn margins, platform::Window* parent) override;
    void GetPaperName(char* buf, int len) override;
    void GetPaperSizeText(char* buf, int len) override;
    void GetMarginsText(char* buf, int len) override;
    BOOL CreatePage(PendingToolFn pendingTool, ChangedFn changed, MarginsFn margins,
                    platform::Window* parent) override;
    void GetPropertyText(int which, char* buf, int len) override;
    int Checkpoint() override;
    void Cut() override;
    void Copy() override;
    void Paste() override;
    int RestoreState(BOOL undo) override;
    void DrawBackground(platform::DC* dc) override;

    // ---- helpers --------------------------------------------------------------
    int GetUndoStateCount() const { return static_cast<int>(undoList.size()); }
    // The clipboard format of templates: the host's, registered on demand
    // when there is no host.
    UINT TemplateClipboardFormat();

    // ---- fields, in order ---------------------------------------------------------
    std::string author;
    int autoRotate = 0;
    int autoFill = 0;
    int orientation = ORIENTATION_PORTRAIT;
    int useBGColor = 0;
    COLORREF color = 0xFFFFFF;
    int pasteCount = 0;
    int clipboardSource = -1;
    std::vector<std::unique_ptr<CXMLTreeNode>> undoList;
    int undoPos = -1;

  protected:
    BOOL OnCommand(UINT id, platform::LPARAM lParam) override;

  private:
    // The clipboard tree of the selection, or NULL when a node cannot be
    // made. Draws a new clipboardSource.
    CXMLTreeNode* BuildClipboardTree();
    // Puts the text of a clipboard tree on the clipboard (and deletes the
    // tree).
    void OfferClipboardTree(CXMLTreeNode* tree);
    // Appends to `group` the Tool subtree of every member of first's link
    // ring that is on the page and not yet in `written` (and selected, with
    // selectedOnly), in ring order from `first`; records them in `written`.
    // At most one step per area, so a damaged ring cannot loop for ever.
    // False when a subtree cannot be made.
    bool WriteRing(CTemplateTool* first, bool selectedOnly,
                   std::unordered_set<CTemplateTool*>& written, CXMLTreeNode* group);
    // Recreates the areas of a ToolList node (each Group one link ring).
    void LoadToolList(CXMLTreeNode* toolList, bool placeWindows);
    // Applies the page properties of a snapshot; true when one changed.
    bool RestoreProperties(CXMLTreeNode* properties);

    const PageVariant variant_;
};

// Text helpers shared by the page style's sources.
namespace stylepage {

// Copies at most len - 1 bytes and a terminating zero (nothing for len < 1).
void CopyText(const char* text, char* buf, int len);
// The ten boolean words, without regard to case: 1, 0, or -1 for any other
// text.
int ParseBool(const char* text);
// A measurement: the leading number of the text and the first of the unit
// suffixes "RL", "IN", "MM" found anywhere in it. False when the text has no
// number or no suffix.
bool ParseMeasurement(const char* text, double* value, int* unit);

}  // namespace stylepage
