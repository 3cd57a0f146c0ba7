#include "designer/designer_ui.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "designer/dialog_frame.h"
#include "designer/resource_ids.h"
#include "designer/strings.h"
#include "platform/message_box.h"

using namespace platform;

namespace {

class QtDesignerUi : public DesignerUi {
  public:
    int MessageBox(QWidget* parent, const std::string& text, UINT type) override {
        QMessageBox box(parent);
        box.setWindowTitle(LoadDesignerString(IDS_APP_TITLE));
        box.setText(QString::fromStdString(text));
        switch (type & MB_ICONMASK) {
            case MB_ICONHAND:
                box.setIcon(QMessageBox::Critical);
                break;
            case MB_ICONQUESTION:
                box.setIcon(QMessageBox::Question);
                break;
            case MB_ICONEXCLAMATION:
                box.setIcon(QMessageBox::Warning);
                break;
            case MB_ICONASTERISK:
                box.setIcon(QMessageBox::Information);
                break;
            default:
                break;
        }
        struct Button {
            QMessageBox::StandardButton qt;
            int answer;
        };
        std::vector<Button> buttons;
        switch (type & MB_TYPEMASK) {
            case MB_OKCANCEL:
                buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
                break;
            case MB_ABORTRETRYIGNORE:
                buttons = {{QMessageBox::Abort, IDABORT},
                           {QMessageBox::Retry, IDRETRY},
                           {QMessageBox::Ignore, IDIGNORE}};
                break;
            case MB_YESNOCANCEL:
                buttons = {{QMessageBox::Yes, IDYES},
                           {QMessageBox::No, IDNO},
                           {QMessageBox::Cancel, IDCANCEL}};
                break;
            case MB_YESNO:
                buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
                break;
            case MB_RETRYCANCEL:
                buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
                break;
            default:
                buttons = {{QMessageBox::Ok, IDOK}};
                break;
        }
        QMessageBox::StandardButtons set;
        for (const Button& b : buttons)
            set |= b.qt;
        box.setStandardButtons(set);
        std::size_t def = (type & MB_DEFMASK) >> 8;
        if (def < buttons.size())
            box.setDefaultButton(buttons[def].qt);
        SetDialogFrame(&box);
        int chosen = box.exec();
        for (const Button& b : buttons) {
            if (chosen == b.qt)
                return b.answer;
        }
        // Closed with the window's close box: the cancelling answer.
        return DefaultMessageBoxAnswer(type) == IDOK && buttons.size() == 1 ? IDOK : IDCANCEL;
    }

    bool SaveTemplateAs(QWidget* parent, const std::string& folder, const std::string& name,
                        std::string* outFolder, std::string* outName) override {
        QString start = QString::fromStdString(folder.empty() ? name : folder + "/" + name);
        QString path = QFileDialog::getSaveFileName(parent, "Save Template As", start,
                                                    "Corvantis Templates (*.xml)", nullptr,
                                                    QFileDialog::DontConfirmOverwrite);
        if (path.isEmpty())
            return false;
        QFileInfo info(path);
        *outFolder = info.absolutePath().toStdString();
        *outName = info.fileName().toStdString();
        return true;
    }

    std::vector<std::string> OpenTemplates(QWidget* parent, const std::string& folder) override {
        QStringList paths =
            QFileDialog::getOpenFileNames(parent, "Open Template", QString::fromStdString(folder),
                                          "Corvantis Templates (*.xml *.XML)");
        std::vector<std::string> out;
        for (const QString& p : paths)
            out.push_back(p.toStdString());
        return out;
    }

    bool OpenHelpFile(const std::string& path) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    }
};

QtDesignerUi& QtUi() {
    static QtDesignerUi ui;
    return ui;
}

DesignerUi* g_ui = nullptr;

}  // namespace

int DesignerUi::RunDialog(QDialog* dialog) {
    SetDialogFrame(dialog);
    return dialog->exec();
}

DesignerUi* DesignerUi::Get() {
    return g_ui ? g_ui : &QtUi();
}

DesignerUi* DesignerUi::Set(DesignerUi* ui) {
    DesignerUi* old = g_ui;
    g_ui = ui;
    return old;
}
