// The New Template dialog: the paper list of the page styles (in style
// order) and, below it, the properties form of a preview page of the
// selected style. The form's confirm and cancel buttons reach the dialog as
// commands 1025 and 1026.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

class CPageStyleManager;
class CTemplatePage;
class CWindowHostWidget;
class QComboBox;
class QDialogButtonBox;
namespace platform {
class Window;
}

class CNewTemplateDlg : public QDialog {
    Q_OBJECT
  public:
    CNewTemplateDlg(CPageStyleManager* manager, QWidget* parent = nullptr);
    ~CNewTemplateDlg() override;

    QComboBox* GetPaperList() const { return paperList_; }
    int GetSelectedIndex() const { return selected_; }
    const std::string& GetSelectedName() const { return selectedName_; }
    CTemplatePage* GetPreviewPage() const { return preview_; }
    // Whether the preview page supplied its own properties form.
    bool HasPropertiesForm() const { return form_ != nullptr; }
    // Commands 1025 (confirm) and 1026 (cancel).
    bool OnCommand(unsigned id);
    // The entry preselected for a last paper name: that name, else "Letter",
    // else the first.
    static int PreselectIndex(const std::vector<std::string>& names, const std::string& last);

  private:
    void OnSelectionChanged(int index);
    void DestroyPreview();

    class DialogWindow;
    CPageStyleManager* manager_;
    QComboBox* paperList_ = nullptr;
    CWindowHostWidget* formHost_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    std::unique_ptr<DialogWindow> dialogWindow_;
    CTemplatePage* preview_ = nullptr;
    platform::Window* form_ = nullptr;
    int selected_ = -1;
    std::string selectedName_;
};
