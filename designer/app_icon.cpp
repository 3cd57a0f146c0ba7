#include "designer/app_icon.h"

#include <QApplication>

// The resource is compiled into the static designer library: registered
// explicitly, as the linker would drop its unreferenced initialiser (outside
// any namespace, as Q_INIT_RESOURCE requires).
static void RegisterResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(app_icon);
        return true;
    }();
    (void)registered;
}

QIcon ProductIcon() {
    RegisterResources();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addFile(QString(":/designer/app_icon/corvantis-designer-%1.png").arg(size),
                     QSize(size, size));
    return icon;
}

void InstallProductIcon() {
    QApplication::setWindowIcon(ProductIcon());
}

QString TemplateWindowTitle(const std::string& title, bool modified) {
    QString text = QString::fromStdString(title);
    if (modified)
        text += QLatin1Char('*');
    return text;
}
