// The window frame of the Designer's dialogs and message boxes: a dialog
// window with a title, the system menu and a close button only (no minimise
// or maximise button), and at least as wide as its title needs so the
// window manager does not cut the title short.
#pragma once

#include <QString>

class QDialog;
class QWidget;

// The width a window needs to show `title` whole: the text in the title
// bar's font (the dialog's font in bold, as window managers draw titles) and
// room for the window icon, the title buttons and the frame.
int DialogTitleWidth(const QString& title, const QWidget* dialog);

// Gives `dialog` the dialog frame and the title's width as its least width.
// Call it when the title and contents are set, just before showing it (a
// message box lays itself out again whenever its contents change).
void SetDialogFrame(QDialog* dialog);
