#include "designer/dialog_frame.h"

#include <QDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <algorithm>

int DialogTitleWidth(const QString& title, const QWidget* dialog) {
    QFont font = dialog != nullptr ? dialog->font() : QFont();
    font.setBold(true);
    const QFontMetrics metrics(font);
    // The window icon and the title buttons are about a line high each,
    // with margins on both sides of the text and the frame's borders. Some
    // window managers show a minimise and a maximise button on every window
    // whatever the window asks for, so room is left for them too: eight line
    // heights.
    return metrics.horizontalAdvance(title) + 8 * metrics.height();
}

void SetDialogFrame(QDialog* dialog) {
    if (dialog == nullptr)
        return;
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const int width = DialogTitleWidth(dialog->windowTitle(), dialog);
    // A message box fixes its own size from its layout when shown: the width
    // goes into the layout as a spacer across all its columns.
    if (qobject_cast<QMessageBox*>(dialog) != nullptr) {
        if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout())) {
            grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                          grid->rowCount(), 0, 1, std::max(grid->columnCount(), 1));
            return;
        }
    }
    dialog->setMinimumWidth(std::max(dialog->minimumWidth(), width));
}
