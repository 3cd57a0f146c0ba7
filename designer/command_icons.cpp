#include "designer/command_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "designer/resource_ids.h"

namespace {

constexpr int kW = 16;
constexpr int kH = 15;

void Page(QPainter& p, int x, int y, int w, int h) {
    p.setPen(QColor(40, 40, 40));
    p.setBrush(Qt::white);
    p.drawRect(x, y, w, h);
}

void Bar(QPainter& p, int x, int y, int w, int h, QColor c = QColor(40, 90, 200)) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRect(x, y, w, h);
}

void Line(QPainter& p, int x0, int y0, int x1, int y1, QColor c = QColor(20, 20, 20)) {
    p.setPen(QPen(c, 1));
    p.drawLine(x0, y0, x1, y1);
}

}  // namespace

QIcon CommandIcon(unsigned id) {
    QPixmap pm(kW, kH);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    switch (id) {
        case ID_FILE_NEW:
            Page(p, 3, 1, 9, 12);
            Line(p, 9, 1, 12, 4);
            break;
        case ID_FILE_OPEN:
            Bar(p, 1, 4, 13, 9, QColor(230, 190, 70));
            Bar(p, 1, 2, 6, 2, QColor(200, 160, 50));
            break;
        case ID_FILE_SAVE:
            Bar(p, 2, 1, 12, 13, QColor(60, 80, 150));
            Bar(p, 4, 1, 8, 5, Qt::white);
            Bar(p, 5, 9, 6, 5, QColor(200, 200, 200));
            break;
        case ID_EDIT_CUT:
            p.setPen(QPen(QColor(30, 30, 30), 1));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(2, 9, 4, 4);
            p.drawEllipse(9, 9, 4, 4);
            Line(p, 5, 9, 10, 1);
            Line(p, 10, 9, 5, 1);
            break;
        case ID_EDIT_COPY:
            Page(p, 1, 1, 8, 9);
            Page(p, 6, 4, 8, 10);
            break;
        case ID_EDIT_PASTE:
            Bar(p, 2, 2, 10, 12, QColor(170, 120, 60));
            Page(p, 6, 5, 8, 9);
            break;
        case ID_EDIT_UNDO:
        case ID_EDIT_REDO: {
            QPainterPath path;
            bool undo = id == ID_EDIT_UNDO;
            path.moveTo(undo ? 13 : 2, 12);
            path.cubicTo(undo ? 14 : 1, 3, undo ? 6 : 9, 3, undo ? 4 : 11, 6);
            p.setPen(QPen(QColor(30, 100, 30), 2));
            p.drawPath(path);
            Bar(p, undo ? 1 : 10, 4, 5, 5, QColor(30, 100, 30));
            break;
        }
        case ID_EDIT_LINK:
            p.setPen(QPen(QColor(40, 40, 40), 2));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(1, 5, 8, 5, 2, 2);
            p.drawRoundedRect(7, 5, 8, 5, 2, 2);
            break;
        case ID_HELP_CONTENTS:
            p.setPen(QColor(20, 60, 160));
            p.setFont(QFont("DejaVu Sans", 10, QFont::Bold));
            p.drawText(QRect(0, 0, kW, kH), Qt::AlignCenter, "?");
            break;
        case ID_ALIGN_LEFT:
            Line(p, 1, 0, 1, 14);
            Bar(p, 2, 2, 11, 4);
            Bar(p, 2, 9, 7, 4);
            break;
        case ID_ALIGN_RIGHT:
            Line(p, 14, 0, 14, 14);
            Bar(p, 3, 2, 11, 4);
            Bar(p, 7, 9, 7, 4);
            break;
        case ID_ALIGN_TOP:
            Line(p, 0, 1, 15, 1);
            Bar(p, 2, 2, 4, 11);
            Bar(p, 9, 2, 4, 7);
            break;
        case ID_ALIGN_BOTTOM:
            Line(p, 0, 13, 15, 13);
            Bar(p, 2, 2, 4, 11);
            Bar(p, 9, 6, 4, 7);
            break;
        case ID_CENTER_VERTICAL:
            Line(p, 0, 7, 15, 7, QColor(200, 40, 40));
            Bar(p, 4, 3, 8, 9);
            break;
        case ID_CENTER_HORIZONTAL:
            Line(p, 7, 0, 7, 14, QColor(200, 40, 40));
            Bar(p, 3, 3, 9, 9);
            break;
        case ID_SPACE_ACROSS:
            Bar(p, 0, 4, 3, 7);
            Bar(p, 6, 4, 3, 7);
            Bar(p, 12, 4, 3, 7);
            break;
        case ID_SPACE_DOWN:
            Bar(p, 4, 0, 7, 3);
            Bar(p, 4, 6, 7, 3);
            Bar(p, 4, 12, 7, 3);
            break;
        case ID_SAME_WIDTH:
            Bar(p, 2, 2, 11, 4);
            Bar(p, 2, 9, 11, 4, QColor(120, 150, 220));
            break;
        case ID_SAME_HEIGHT:
            Bar(p, 2, 1, 4, 13);
            Bar(p, 9, 1, 4, 13, QColor(120, 150, 220));
            break;
        case ID_SAME_SIZE:
            Bar(p, 1, 1, 6, 6);
            Bar(p, 8, 8, 6, 6, QColor(120, 150, 220));
            break;
        case ID_TOOLS_GRID:
            p.setPen(QColor(90, 90, 90));
            for (int i = 1; i < kW; i += 4)
                p.drawLine(i, 0, i, kH - 1);
            for (int j = 1; j < kH; j += 4)
                p.drawLine(0, j, kW - 1, j);
            break;
        case ID_TOOLS_MARGINS:
            Page(p, 1, 0, 13, 14);
            p.setPen(QPen(QColor(200, 40, 40), 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(3, 2, 9, 10);
            break;
        default:
            Page(p, 2, 1, 11, 12);
            break;
    }
    p.end();
    return QIcon(pm);
}
