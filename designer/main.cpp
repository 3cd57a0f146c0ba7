// corvantis-designer: the Template Designer.
#include <QApplication>

#include "designer/designer_app.h"

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    CDesignerApp app;
    if (!app.InitInstance(args))
        return 1;
    int rc = qt.exec();
    app.ExitInstance();
    return rc;
}
