// The page base class: the page object a page-style module creates derives
// from CTemplatePage. The page is a child window of the Designer's template
// view; it keeps its areas (CTemplateTool) in an array whose order is the
// z-order (index 0 on top), draws them, and implements the editing of areas:
// placing, moving, deleting, stacking, linking and arranging.
//
// The virtual operations below are the contract between modules: they are
// declared in their fixed slot order, after the window's own virtual
// operations. New operations may only be added at the end; the message
// handler overrides in the protected section reuse the window's slots.
//
// Lengths are internal units of 1/100 mm (framework/units.h). The page
// window's pixel size follows the view; the unit conversions below relate
// the two.
#pragma once

#include <string>
#include <vector>

#include "framework/page_callbacks.h"
#include "framework/units.h"
#include "platform/dc.h"
#include "platform/geometry.h"
#include "platform/types.h"
#include "platform/window.h"

class CPageStyleManager;
class CTemplateTool;
class CXMLTreeNode;

// The tool array: pointers to the areas, allocated from the global heap.
using ToolArray = CTemplateTool**;

class CTemplatePage : public platform::Window {
  public:
    CTemplatePage();
    // Destroys every area through the tool manager and the properties view.
    ~CTemplatePage() override;

    // ---- slot 1 onwards: the contract between modules ----------------------
    virtual void EditProperties();
    virtual void CopyPageSettings(const CTemplatePage* from) = 0;
    // Exactly five labels: properties, link, cut, copy, paste; extra labels
    // and handlers pair up (at most 16).
    virtual void GetMenuStrings(std::vector<std::string>& labels,
                                std::vector<std::string>& extraLabels,
                                std::vector<PageMenuHandler>& extraHandlers) = 0;
    virtual CXMLTreeNode* WriteXML() = 0;
    virtual BOOL CreateFromXML(CXMLTreeNode* root, PendingToolFn pendingTool, ChangedFn changed,
                               MarginsFn margins, platform::Window* parent) = 0;
    virtual void GetPaperName(char* buf, int len) = 0;
    virtual void GetPaperSizeText(char* buf, int len) = 0;
    virtual void GetMarginsText(char* buf, int len) = 0;
    // The rectangle for a new area clicked at `click` (page pixels): the
    // area's default size, kept inside the printable area. FALSE for a NULL
    // area.
    virtual BOOL PlaceNewTool(CTemplateTool* tool, ToolRect* out, const platform::Point* click);
    // Stores the callbacks and creates the page window (visible child of
    // `parent`, text = paper name).
    virtual BOOL CreatePage(PendingToolFn pendingTool, ChangedFn changed, MarginsFn margins,
                            platform::Window* parent);
    // Draws the page off-screen (background, grid, margins, areas, outlines)
    // and copies it to the window.
    virtual void PaintPage();
    virtual void GetPropertyText(int which, char* buf, int len);
    virtual platform::Window* CreatePropertiesView(platform::Window* parent, platform::Point* at);
    virtual void DestroyPropertiesView();
    virtual CPageStyleManager* GetHost();
    // Centres the page in a cx x cy parent (-1: the parent's client size),
    // 90% of the limiting dimension, keeping the paper's proportions.
    virtual void FitToParent(int cx, int cy);
    virtual int GetToolCount();
    virtual int GetSelectedCount();
    virtual void DeleteSelection();
    virtual BOOL AddTool(CTemplateTool* tool);
    virtual BOOL RemoveTool(CTemplateTool* tool);
    virtual void DeleteAllTools();
    // Tells the Designer (changedFn) and records an undo state (Checkpoint);
    // returns Checkpoint's result.
    virtual int SetModified();
    virtual int QueryPendingTool(int* out);
    virtual BOOL UpdateMargins();
    virtual CTemplateTool* GetToolAt(int index);
    virtual int GetToolIndex(CTemplateTool* tool);
    virtual int GetGroupFirstIndexAt(int index);
    virtual int GetGroupFirstIndex(CTemplateTool* tool);
    virtual CTemplateTool* GetGroupFirstAt(int index);
    virtual CTemplateTool* GetGroupFirst(CTemplateTool* tool);
    virtual int GetGroupLastIndexAt(int index);
    virtual int GetGroupLastIndex(CTemplateTool* tool);
    virtual CTemplateTool* GetGroupLastAt(int index);
    virtual CTemplateTool* GetGroupLast(CTemplateTool* tool);
    virtual int CollectGroupAt(int index, std::vector<CTemplateTool*>& out);
    // Appends the ring members, from GetGroupFirst along the next links;
    // returns the new size of `out`.
    virtual int CollectGroup(CTemplateTool* tool, std::vector<CTemplateTool*>& out);
    virtual int GetGroupSizeAt(int index);
    virtual int GetGroupSize(CTemplateTool* tool);
    virtual BOOL IsInGroup(CTemplateTool* a, CTemplateTool* b);
    virtual int GetGroupCount();
    // Arrange commands; each returns its final SetModified's result (0 when
    // it did nothing).
    virtual int SpaceDownEvenly();
    virtual int SpaceAcrossEvenly();
    virtual int CenterVertically();
    virtual int CenterHorizontally();
    virtual int MakeSameSize();
    virtual int MakeSameWidth();
    virtual int MakeSameHeight();
    virtual int AlignRight();
    virtual int AlignLeft();
    virtual int AlignTop();
    virtual int AlignBottom();
    // Restacks the area windows in array order (index 0 on top).
    virtual void ApplyZOrder();
    virtual double GetUnitsPerPixelX();
    virtual double GetUnitsPerPixelY();
    virtual double GetPixelsPerUnitX();
    virtual double GetPixelsPerUnitY();
    // Stacking moves of the area's whole group.
    virtual void MoveBackward(CTemplateTool* tool);
    virtual void MoveForward(CTemplateTool* tool);
    virtual void MoveToBack(CTemplateTool* tool);
    virtual void MoveToFront(CTemplateTool* tool);
    // Whether a point (page client pixels) is inside the printable area.
    virtual BOOL IsInPrintableArea(int x, int y);
    // Moves the selection by (dx, dy) pixels, kept inside the printable area
    // and, with `snap` under the grid setting, onto the grid. Marks nothing
    // modified. Returns the number of areas moved.
    virtual int MoveSelection(int dx, int dy, BOOL snap);
    virtual int OnArrowKey(UINT virtualKey);
    virtual int CommitMove();
    virtual int Undo();
    virtual int Redo();
    virtual int Checkpoint();
    virtual void Cut();
    virtual void Copy();
    virtual void Paste();
    virtual int RestoreState(BOOL undo);
    virtual void GetSelectionBounds(double* minX, double* minY, double* maxX, double* maxY);
    virtual void DrawBackground(platform::DC* dc);
    virtual void DrawMargins(platform::DC* dc);
    virtual void DrawGrid(platform::DC* dc);
    virtual void DrawTools(platform::DC* dc);
    virtual void DrawToolFrames(platform::DC* dc);

    // ---- non-virtual operations the Designer also calls -----------------------
    // Links or unlinks the selected image and text areas; FALSE (nothing
    // changed) when the selection breaks the rule "one image with any number
    // of texts".
    BOOL ToggleLink();
    BOOL CanToggleLink();
    // The page's left-button-down handling (the window handler
    // OnLButtonDown does the same): places an area of the armed area tool
    // at a point in page client pixels.
    void PlaceToolAt(platform::Point point, UINT keyFlags = 0);

    // ---- helpers (not part of the slot contract) ---------------------------
    // The printable rectangle (paper minus activeMargins) and the shown
    // margins' rectangle in page client pixels.
    platform::Rect GetPrintableRect();
    platform::Rect GetShownMarginsRect();
    // A length in units as pixels: floor(units x pixelsPerUnit + 0.5).
    int UnitsToPixelsX(double units);
    int UnitsToPixelsY(double units);

    // ---- fields, in order ----------------------------------------------------
    PaperSize paper;
    MarginRect activeMargins;
    MarginRect shownMargins;
    int canUndo = 0;
    int canRedo = 0;
    int recordingSuspended = 0;
    // The properties pane; owned (allocated with new), destroyed with the page.
    platform::Window* propertiesView = nullptr;
    CPageStyleManager* host = nullptr;
    ToolArray tools = nullptr;
    int toolCount = 0;
    ChangedFn changedFn = nullptr;
    PendingToolFn pendingToolFn = nullptr;
    MarginsFn marginsFn = nullptr;
    PageMenuHandler extraMenuHandlers[MAX_EXTRA_MENU_ITEMS] = {};

  protected:
    // ---- message handlers (window slots) -------------------------------------
    void OnPaint(platform::DC* dc) override;
    BOOL OnEraseBkgnd(platform::DC* dc) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnLButtonDown(UINT keyFlags, platform::Point point) override;
    void OnLButtonDblClk(UINT keyFlags, platform::Point point) override;
    void OnContextMenu(platform::Window* window, platform::Point screenPoint) override;
    BOOL OnCommand(UINT id, platform::LPARAM lParam) override;

  private:
    // Replaces the array order (same tools, new order) and restacks.
    void ReorderTools(const std::vector<CTemplateTool*>& order);
    // The drawing target while OnPaint runs (PaintPage draws there).
    platform::DC* paintDC_ = nullptr;
};
