#include "designer/pane_menu.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <memory>

void OfferPaneMenu(QMainWindow* frame) {
    if (frame == nullptr)
        return;
    for (QWidget* surface :
         {static_cast<QWidget*>(frame->menuBar()), static_cast<QWidget*>(frame->statusBar())}) {
        surface->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(surface, &QWidget::customContextMenuRequested, frame,
                         [frame, surface](const QPoint& at) {
                             std::unique_ptr<QMenu> menu(frame->createPopupMenu());
                             if (menu && !menu->isEmpty())
                                 menu->exec(surface->mapToGlobal(at));
                         });
    }
}
