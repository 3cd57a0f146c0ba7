// The Designer's dialogs that tests must be able to answer: message boxes,
// the file dialogs and the help viewer. The Qt forms are the default; a test
// installs its own implementation to script the answers.
#pragma once

#include <string>
#include <vector>

#include "platform/types.h"

class QDialog;
class QWidget;

class DesignerUi {
  public:
    virtual ~DesignerUi() = default;
    // A message box with the application title as caption; MB_ type flags,
    // returns IDOK, IDYES, IDNO, IDCANCEL...
    virtual int MessageBox(QWidget* parent, const std::string& text, UINT type) = 0;
    // The "Save Template As" dialog starting in `folder` with `name`; false
    // on cancel, else the chosen folder and name.
    virtual bool SaveTemplateAs(QWidget* parent, const std::string& folder, const std::string& name,
                                std::string* outFolder, std::string* outName) = 0;
    // Template files to open, chosen starting in `folder` (empty: cancelled).
    virtual std::vector<std::string> OpenTemplates(QWidget* parent, const std::string& folder) = 0;
    // Opens a help file with the desktop's handler; false when it could not.
    virtual bool OpenHelpFile(const std::string& path) = 0;
    // Runs a modal dialog (New Template, About); returns its result code.
    virtual int RunDialog(QDialog* dialog);

    // The implementation in use (the Qt one unless a test installed one).
    static DesignerUi* Get();
    // Installs `ui` (null: back to the Qt one); returns the previous one.
    static DesignerUi* Set(DesignerUi* ui);
};
