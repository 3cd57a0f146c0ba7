// corvantis-designer: the Template Designer.
#include <QApplication>

#include "designer/caller_link.h"
#include "designer/designer_app.h"

int main(int argc, char** argv) {
    // Before Qt opens the display connection: -C may only name a descriptor
    // the caller handed over.
    NoteInheritedDescriptors();
    QApplication qt(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    CDesignerApp app;
    if (!app.InitInstance(args))
        return 1;
    int rc = qt.exec();
    app.ExitInstance();
    return rc;
}
