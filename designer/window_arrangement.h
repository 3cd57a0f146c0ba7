// Window > Cascade: how the template windows are laid over each other in the
// main frame's window area.
#pragma once

#include <QRect>
#include <vector>

class QMdiArea;

// The places of `count` cascaded windows in `area` (the window area's own
// coordinates), first (bottom) to last (top). Each window is three quarters
// of the area's width and height, but never smaller than `minimum` nor larger
// than the area; each lies `step` pixels (a title bar's height) lower and to
// the right of the one before. A window that would reach past the area's
// right or bottom edge starts the cascade again at the top left.
std::vector<QRect> CascadeRects(const QRect& area, int count, int step, const QSize& minimum);

// Cascades the template windows of `mdi` that are not minimised: maximised
// ones become normal, the active window ends on top and stays active.
void CascadeTemplateWindows(QMdiArea* mdi);
