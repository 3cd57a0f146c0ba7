// The menu that shows and hides the frame's panes and toolbars (the main
// window's standard one, QMainWindow::createPopupMenu): besides the toolbars
// and the pane titles it is offered on the menu bar and the status bar, which
// are always there, so panes and toolbars that were all hidden — also in an
// earlier session — can be shown again.
#pragma once

class QMainWindow;

void OfferPaneMenu(QMainWindow* frame);
