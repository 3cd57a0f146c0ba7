#include "designer/dialogs/new_template_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "designer/resource_ids.h"
#include "designer/settings.h"
#include "designer/window_host_widget.h"
#include "framework/plugin_managers.h"
#include "framework/template_page.h"

using namespace platform;

// The dialog's window in the platform's tree: parent of the properties form,
// receiver of its commands.
class CNewTemplateDlg::DialogWindow : public Window {
  public:
    explicit DialogWindow(CNewTemplateDlg* dlg) : dlg_(dlg) {}
    ~DialogWindow() override { DestroyWindow(); }
    BOOL OnCommand(UINT id, LPARAM) override { return dlg_->OnCommand(id) ? TRUE : FALSE; }

  private:
    CNewTemplateDlg* dlg_;
};

int CNewTemplateDlg::PreselectIndex(const std::vector<std::string>& names,
                                    const std::string& last) {
    for (const std::string& wanted : {last, std::string("Letter")}) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (!wanted.empty() && names[i] == wanted)
                return static_cast<int>(i);
        }
    }
    return names.empty() ? -1 : 0;
}

CNewTemplateDlg::CNewTemplateDlg(CPageStyleManager* manager, QWidget* parent)
    : QDialog(parent), manager_(manager) {
    setWindowTitle("New Template");
    setObjectName("NewTemplateDialog");
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel("Paper &size:", this);
    paperList_ = new QComboBox(this);
    paperList_->setObjectName("PaperSize1005");
    label->setBuddy(paperList_);
    layout->addWidget(label);
    layout->addWidget(paperList_);
    formHost_ = new CWindowHostWidget(this);
    formHost_->setObjectName("PropertiesForm");
    formHost_->setMinimumSize(0, 0);
    layout->addWidget(formHost_);
    // Stand-in confirm and cancel buttons while the page has no form of its
    // own; they send the same commands as the form's.
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, [this] { OnCommand(ID_NEW_TEMPLATE_OK); });
    connect(buttons_, &QDialogButtonBox::rejected, this,
            [this] { OnCommand(ID_NEW_TEMPLATE_CANCEL); });
    layout->addWidget(buttons_);

    dialogWindow_ = std::make_unique<DialogWindow>(this);
    dialogWindow_->Create("New Template", WS_CHILD | WS_VISIBLE, Rect(0, 0, 0, 0),
                          formHost_->root());

    std::vector<std::string> names;
    for (int i = 0; manager_ && i < manager_->GetPageStyleCount(); ++i) {
        std::string name;
        manager_->GetPaperNameOf(i, name);
        names.push_back(name);
        paperList_->addItem(QString::fromStdString(name));
    }
    std::string last = user_settings::ReadString("LastNewPageStyle").value_or("Letter");
    int pre = PreselectIndex(names, last);
    paperList_->setCurrentIndex(pre);
    connect(paperList_, &QComboBox::currentIndexChanged, this,
            [this](int index) { OnSelectionChanged(index); });
    OnSelectionChanged(pre);
}

CNewTemplateDlg::~CNewTemplateDlg() {
    DestroyPreview();
}

void CNewTemplateDlg::DestroyPreview() {
    if (preview_) {
        preview_->DestroyPropertiesView();
        form_ = nullptr;
        if (manager_)
            manager_->DestroyPageObject(preview_);
        preview_ = nullptr;
    }
}

void CNewTemplateDlg::OnSelectionChanged(int index) {
    DestroyPreview();
    selected_ = index;
    selectedName_ = index >= 0 ? paperList_->itemText(index).toStdString() : std::string();
    if (index < 0 || !manager_)
        return;
    preview_ = manager_->CreatePageObject(index);
    if (!preview_) {
        formHost_->setFixedSize(0, 0);
        buttons_->show();
        return;
    }
    Point at(0, 0);
    form_ = preview_->CreatePropertiesView(dialogWindow_.get(), &at);
    if (form_) {
        Rect r = form_->GetRectInParent();
        int w = std::max(at.x, r.right);
        int h = std::max(at.y, r.bottom);
        dialogWindow_->MoveWindow(0, 0, w, h);
        formHost_->setFixedSize(w, h);
        buttons_->hide();
    } else {
        formHost_->setFixedSize(0, 0);
        buttons_->show();
    }
    adjustSize();
}

bool CNewTemplateDlg::OnCommand(unsigned id) {
    if (id == ID_NEW_TEMPLATE_OK) {
        selected_ = paperList_->currentIndex();
        selectedName_ = selected_ >= 0 ? paperList_->itemText(selected_).toStdString() : "";
        accept();
        return true;
    }
    if (id == ID_NEW_TEMPLATE_CANCEL) {
        reject();
        return true;
    }
    return false;
}
