// The area-tool palette down the left edge of the main frame: one exclusive
// check button per area tool (id 500 + tool index). The checked button is
// the armed tool; tool 0 is the resting choice, armed again after each
// placement unless the palette is locked (a double click on a button, or Ctrl
// held when a drag from a button is let go over the page).
#pragma once

#include <QToolBar>
#include <QToolButton>
#include <vector>

#include "platform/geometry.h"
#include "platform/types.h"

class CMainFrame;
class CTemplateTool;
class CToolManager;
class QButtonGroup;

class CAreaToolButton : public QToolButton {
    Q_OBJECT
  public:
    CAreaToolButton(class CAreaToolBar* bar, int toolIndex);
    int toolIndex() const { return toolIndex_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    CAreaToolBar* bar_;
    int toolIndex_;
};

class CAreaToolBar : public QToolBar {
    Q_OBJECT
  public:
    CAreaToolBar(CMainFrame* frame, CToolManager* tools);
    ~CAreaToolBar() override;

    // Makes one button per area tool and checks tool 0; false when the tool
    // manager has no tools.
    bool Build();

    // The callback behind PendingToolFn: the armed tool's index (-1 when no
    // button is checked); re-arms tool 0 unless locked.
    int TakeArmedTool(int* out);
    // The armed tool without re-arming (-1 for none).
    int ArmedTool() const;
    bool IsLocked() const { return locked_ != 0; }
    CAreaToolButton* ButtonOf(int toolIndex) const;
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }

    // The palette's mouse handling, in global (screen) coordinates.
    void PressButton(int toolIndex);
    void DoubleClickButton(int toolIndex);
    // While dragging: the cursor shown for the pointer at `global`.
    QCursor DragCursorAt(int toolIndex, const QPoint& global) const;
    // Letting go at `global`: places an area when the point is over the
    // active page; Ctrl locks the tool. True when an area was placed.
    bool DropAt(int toolIndex, const QPoint& global, bool ctrl);

  private:
    CMainFrame* frame_;
    CToolManager* tools_;
    QButtonGroup* group_ = nullptr;
    std::vector<CAreaToolButton*> buttons_;
    std::vector<CTemplateTool*> objects_;  // one area per tool, alive with the palette
    DWORD locked_ = 0;
};
