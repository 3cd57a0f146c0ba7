#include "designer/window_arrangement.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <algorithm>

std::vector<QRect> CascadeRects(const QRect& area, int count, int step, const QSize& minimum) {
    std::vector<QRect> rects;
    if (count <= 0 || area.isEmpty())
        return rects;
    step = std::max(step, 1);
    const int width =
        std::min(area.width(), std::max(minimum.width(), static_cast<int>(area.width() * 3L / 4)));
    const int height = std::min(
        area.height(), std::max(minimum.height(), static_cast<int>(area.height() * 3L / 4)));
    rects.reserve(static_cast<size_t>(count));
    int offset = 0;
    for (int i = 0; i < count; ++i) {
        if (offset > 0 && (offset + width > area.width() || offset + height > area.height()))
            offset = 0;
        rects.emplace_back(area.left() + offset, area.top() + offset, width, height);
        offset += step;
    }
    return rects;
}

void CascadeTemplateWindows(QMdiArea* mdi) {
    if (mdi == nullptr)
        return;
    QMdiSubWindow* active = mdi->activeSubWindow();
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : mdi->subWindowList(QMdiArea::StackingOrder)) {
        if (w->isVisible() && !w->isMinimized() && w != active)
            windows.push_back(w);
    }
    if (active != nullptr && active->isVisible() && !active->isMinimized())
        windows.push_back(active);
    if (windows.empty())
        return;
    // A maximised window shows all of them maximised: back to normal first.
    for (QMdiSubWindow* w : windows) {
        if (w->isMaximized())
            w->showNormal();
    }
    QSize minimum(0, 0);
    for (QMdiSubWindow* w : windows)
        minimum = minimum.expandedTo(w->minimumSizeHint()).expandedTo(w->minimumSize());
    const int step = mdi->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows.back());
    const std::vector<QRect> rects =
        CascadeRects(mdi->viewport()->rect(), static_cast<int>(windows.size()), step, minimum);
    for (size_t i = 0; i < windows.size(); ++i) {
        windows[i]->setGeometry(rects[i]);
        windows[i]->raise();
    }
    if (active != nullptr)
        mdi->setActiveSubWindow(active);
}
