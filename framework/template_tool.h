// The area base class: every area (a `Tool` element of a template) on a page
// is an object of a class derived from CTemplateTool, made by an area-tool
// module and destroyed through the tool manager. Each area is a child window
// of its page; the page draws it (areas paint nothing of their own).
//
// The virtual operations below are the contract between modules: they are
// declared in their fixed slot order, after the window's own virtual
// operations. New operations may only be added at the end; the message
// handler overrides in the protected section reuse the window's slots.
//
// Lengths are internal units of 1/100 mm (framework/units.h); pixels appear
// only where windows are placed, drawn and tracked.
#pragma once

#include <string>
#include <vector>

#include "framework/page_callbacks.h"
#include "framework/units.h"
#include "platform/cursor.h"
#include "platform/dc.h"
#include "platform/geometry.h"
#include "platform/types.h"
#include "platform/window.h"

class CTemplatePage;
class CToolManager;
class CXMLTreeNode;

// Selection and tracking flags of an area.
inline constexpr int TOOL_SELECTED = 0x01;
inline constexpr int TOOL_FOCUS = 0x02;     // the reference area of the arrange commands
inline constexpr int TOOL_PRESSED = 0x04;   // left button held on the area
inline constexpr int TOOL_SIZING = 0x08;    // resize in progress
inline constexpr int TOOL_DRAGGING = 0x10;  // drag in progress

// The private message through which an area moves its window: wParam holds x
// in its low and y in its high 32 bits, lParam the width and the height the
// same way (full integers: nothing wraps past 32767 pixels).
inline constexpr UINT WM_TOOL_REPOSITION = platform::WM_USER + 32;  // 1056

// SetSelection modes.
inline constexpr int SELECT_ON = 0;
inline constexpr int SELECT_OFF = 1;
inline constexpr int SELECT_TOGGLE = 2;

// Distance from a printable edge (internal units, 2 mm) under which
// FitToMargins pulls a side onto it.
inline constexpr double MARGIN_PULL_DISTANCE = 200.0;
// Pixels the mouse must travel from the press point before a drag starts
// (more than this many).
inline constexpr int DRAG_THRESHOLD_PIXELS = 5;

class CTemplateTool : public platform::Window {
  public:
    CTemplateTool();
    // Leaves the link ring, so that no other area keeps a pointer to this one,
    // and leaves the page's array if it is still there.
    ~CTemplateTool() override;

    // ---- slot 1 onwards: the contract between modules ----------------------
    virtual platform::HICON GetToolIcon() = 0;
    virtual platform::HCURSOR GetToolCursor() = 0;
    // Exactly five labels: properties, to front, to back, forward, backward.
    virtual void GetMenuStrings(std::vector<std::string>& labels,
                                std::vector<std::string>& extraLabels,
                                std::vector<ToolMenuHandler>& extraHandlers) = 0;
    // The area's "Tool" subtree, or NULL.
    virtual CXMLTreeNode* WriteXML() = 0;
    // FALSE when the node is not this area tool's.
    virtual BOOL ReadXML(CXMLTreeNode* node) = 0;
    virtual void GetToolName(char* buf, int len) = 0;
    // Takes `rect` (when given), creates the area's window as a visible child
    // of `page`, adds the area to the page and makes it the only selection.
    // FALSE when the window cannot be made (the caller destroys the area).
    virtual BOOL AttachToPage(const ToolRect* rect, CTemplatePage* page);
    virtual void Draw(platform::DC* dc);
    // DrawLinkLine, then DrawOrderNumber.
    virtual void DrawOutline(platform::DC* dc);
    virtual void DrawLinkLine(platform::DC* dc);
    virtual void DrawOrderNumber(platform::DC* dc);
    virtual void EditProperties();
    // Places the window where `rect` says, through WM_TOOL_REPOSITION.
    virtual void UpdateWindowPos();
    // The window rectangle in page client pixels; all zero without a page.
    virtual void GetRectInPage(platform::Rect* r);
    // mode SELECT_ON, SELECT_OFF or SELECT_TOGGLE; keepOthers leaves the
    // other areas' selection as it is.
    virtual void SetSelection(int mode, BOOL keepOthers);
    // Refuses (FALSE) an unchanged, empty or off-paper rectangle; shortens
    // the width and height to the paper.
    virtual BOOL SetToolRect(ToolRect r);
    virtual CToolManager* GetToolManager();
    virtual platform::HICON CacheToolIcon();
    virtual platform::HICON GetCachedIcon();
    virtual BOOL DrawToolIcon(platform::DC* dc, int x, int y);
    virtual BOOL DrawToolIconOn(platform::Window* wnd, int x, int y);
    // Stores the flags and applies the selection bit; returns the old flags.
    virtual int SetSelectionFlags(int newFlags);
    virtual int GetSelectionFlags();
    // Swaps x with y and width with height (the page turned).
    virtual void TransposeRect();
    // Snaps the sides that the sizing edge code moves (0: all four) to the
    // grid, keeping the area inside the printable area.
    virtual void SnapToGrid(int edge);
    // Pulls the sides that the edge code moves (0: all four) onto the
    // printable edges when closer than 2 mm.
    virtual void FitToMargins(int edge);
    // Leaves the current ring and joins `other`'s right after it (NULL: only
    // leaves).
    virtual void LinkTo(CTemplateTool* other);
    virtual BOOL IsLinkValid();
    // Unlinks every other member of the ring.
    virtual void UnlinkAll();
    virtual void Unlink();
    virtual CTemplateTool* GetPrevLinked();
    virtual CTemplateTool* GetNextLinked();
    virtual BOOL IsImageTool();
    virtual BOOL IsTextTool();
    virtual BOOL IsLinked();
    // Whether `other` is another member of this area's ring.
    virtual BOOL IsLinkedWith(CTemplateTool* other);
    // Resize tracking in page client pixels: snaps (or clamps) the sides
    // that the edge code moves to the grid (or the printable rectangle).
    virtual void SnapTrackRect(int edge, platform::Rect* r);
    virtual void ClampTrackRect(int edge, platform::Rect* r);
    // Whether the mouse (area client pixels) is far enough from the press
    // point for the selection to follow under the grid, or to start a drag.
    virtual BOOL PassedSnapThreshold(int x, int y);
    virtual BOOL PassedDragThreshold(int x, int y);

    // ---- helpers (not part of the slot contract) ---------------------------
    CTemplatePage* GetPage() const { return page; }
    // Applies the last sizing rectangle to `rect` (the end of a resize).
    void ApplyResize();

    // ---- fields, in order ----------------------------------------------------
    ToolRect rect;
    CToolManager* toolManager = nullptr;
    CTemplatePage* page = nullptr;
    int sizingEdge = 0;
    int pressX = 0;
    int pressY = 0;
    platform::HICON icon = nullptr;
    platform::HCURSOR cursor = nullptr;
    int flags = 0;
    ToolMenuHandler extraMenuHandlers[MAX_EXTRA_MENU_ITEMS] = {};
    CTemplateTool* linkPrev;
    CTemplateTool* linkNext;
    platform::Rect sizingStartRect;  // page client pixels
    platform::Rect sizingLastRect;   // page client pixels

  protected:
    // ---- message handlers (window slots) -------------------------------------
    void OnPaint(platform::DC* dc) override;
    BOOL OnEraseBkgnd(platform::DC* dc) override;
    void OnLButtonDown(UINT keyFlags, platform::Point point) override;
    void OnMouseMove(UINT keyFlags, platform::Point point) override;
    void OnLButtonUp(UINT keyFlags, platform::Point point) override;
    void OnLButtonDblClk(UINT keyFlags, platform::Point point) override;
    void OnCaptureChanged(platform::Window* newCapture) override;
    BOOL OnSetCursor(platform::Window* window, UINT hitTest, UINT message) override;
    void OnNcLButtonDown(UINT hitTest, platform::Point screenPoint) override;
    void OnSizing(UINT edge, platform::Rect* r) override;
    void OnContextMenu(platform::Window* window, platform::Point screenPoint) override;
    BOOL OnCommand(UINT id, platform::LPARAM lParam) override;
    platform::LRESULT OnMessage(UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override;
};
