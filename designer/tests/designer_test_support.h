// Test support for the Designer's Qt tests: private hives naming the test
// plug-in folders, a scripted stand-in for the dialogs, and a started
// Designer.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "designer/child_frame.h"
#include "designer/designer_app.h"
#include "designer/designer_ui.h"
#include "designer/dialogs/new_template_dlg.h"
#include "designer/main_frame.h"
#include "designer/template_document.h"
#include "designer/xml_editor_view.h"
#include "platform/message_box.h"
#include "platform/testing/temp_hives.h"

class ScriptedUi : public DesignerUi {
  public:
    struct Box {
        std::string text;
        UINT type;
    };
    int MessageBox(QWidget*, const std::string& text, UINT type) override {
        boxes.push_back({text, type});
        if (answers.empty())
            return platform::DefaultMessageBoxAnswer(type);
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    bool SaveTemplateAs(QWidget*, const std::string& folder, const std::string& name,
                        std::string* outFolder, std::string* outName) override {
        saveDialogs.push_back(folder + "|" + name);
        if (saveAnswers.empty())
            return false;
        std::string path = saveAnswers.front();
        saveAnswers.pop_front();
        SplitTemplatePath(path, outFolder, outName);
        return true;
    }
    std::vector<std::string> OpenTemplates(QWidget*, const std::string&) override {
        return openAnswers;
    }
    bool OpenHelpFile(const std::string& path) override {
        helpOpened.push_back(path);
        return helpOpens;
    }
    int RunDialog(QDialog* dialog) override {
        ++dialogsRun;
        if (auto* dlg = qobject_cast<CNewTemplateDlg*>(dialog)) {
            if (newTemplate)
                return newTemplate(dlg);
            return QDialog::Rejected;
        }
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            dialogTexts.push_back(label->text().toStdString());
        }
        dialogTitles.push_back(dialog->windowTitle().toStdString());
        return QDialog::Rejected;
    }

    std::vector<Box> boxes;
    std::deque<int> answers;
    std::vector<std::string> saveDialogs;
    std::deque<std::string> saveAnswers;
    std::vector<std::string> openAnswers;
    std::vector<std::string> helpOpened;
    bool helpOpens = true;
    std::function<int(CNewTemplateDlg*)> newTemplate;
    int dialogsRun = 0;
    std::vector<std::string> dialogTexts;
    std::vector<std::string> dialogTitles;
};

// Chooses a paper in the New Template dialog and confirms with command 1025.
inline std::function<int(CNewTemplateDlg*)> ChoosePaper(const std::string& name) {
    return [name](CNewTemplateDlg* dlg) {
        int index = dlg->GetPaperList()->findText(QString::fromStdString(name));
        if (index < 0)
            return int(QDialog::Rejected);
        dlg->GetPaperList()->setCurrentIndex(index);
        dlg->OnCommand(1025);
        return dlg->result();
    };
}

// The whole content of the file at `path` ("" when it cannot be read).
inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class DesignerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        templates_ = hives_.Dir() + "/templates";
        std::filesystem::create_directories(templates_);
        WriteMachineHive(std::string(CV_DESIGNER_FIXTURES) + "/pagestyles",
                         std::string(CV_DESIGNER_FIXTURES) + "/tools");
        previousUi_ = DesignerUi::Set(&ui_);
    }
    void TearDown() override {
        if (app_ && app_->GetMainFrame()) {
            // Nothing may ask questions while the test ends.
            for (CChildFrame* child : frame()->GetChildren()) {
                child->GetDocument()->SetModifiedFlag(false);
            }
        }
        app_.reset();
        QApplication::processEvents();
        DesignerUi::Set(previousUi_);
    }

    // Points the machine hive at the staging folder's real page styles and
    // area tools; false (with a failure) when they have not been built.
    bool UseStagedModules() {
        const std::string pages = std::string(CV_STAGE_DIR) + "/lib/corvantis/pagestyles";
        const std::string tools = std::string(CV_STAGE_DIR) + "/lib/corvantis/tools";
        for (const std::string& module :
             {pages + "/Letter.pge", tools + "/Text.tol", tools + "/Image.tol"}) {
            if (!std::filesystem::exists(module)) {
                ADD_FAILURE() << "not staged: " << module;
                return false;
            }
        }
        WriteMachineHive(pages, tools);
        return true;
    }

    void WriteMachineHive(const std::string& pageDir, const std::string& toolDir) {
        std::string text =
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_LOCAL_MACHINE\\Software\\ZYN Systems\\Corvantis\\Template Designer]\n"
            "\"PageDir\"=\"" +
            pageDir +
            "\"\n"
            "\"ToolDir\"=\"" +
            toolDir +
            "\"\n"
            "\"TemplateDir\"=\"" +
            templates_ + "\"\n";
        hives_.WriteMachine(text);
    }

    // Starts the Designer; with `newPaper` the first New Template dialog
    // chooses that paper, else it is cancelled.
    bool Start(std::vector<std::string> args = {}, const std::string& newPaper = "",
               std::unique_ptr<CallerLink> link = nullptr) {
        app_ = std::make_unique<CDesignerApp>();
        if (link)
            app_->SetCallerLink(std::move(link));
        ui_.newTemplate = newPaper.empty() ? nullptr : ChoosePaper(newPaper);
        bool ok = app_->InitInstance(args);
        QApplication::processEvents();
        return ok;
    }

    CMainFrame* frame() { return app_->GetMainFrame(); }
    CChildFrame* NewTemplate(const std::string& paper = "Letter") {
        ui_.newTemplate = ChoosePaper(paper);
        CChildFrame* child = app_->OnFileNew();
        QApplication::processEvents();
        return child;
    }
    std::string TemplatePath(const std::string& name) const { return templates_ + "/" + name; }

    platform::TempHives hives_;
    ScriptedUi ui_;
    DesignerUi* previousUi_ = nullptr;
    std::string templates_;
    std::unique_ptr<CDesignerApp> app_;
};
