#include "designer/app_icon.h"

#include <QApplication>

// The resource is compiled into the static designer library: registered
// explicitly (once, when the icon is first built), as the linker would drop
// its unreferenced initialiser (outside any namespace, as Q_INIT_RESOURCE
// requires).
static void RegisterResources() {
    Q_INIT_RESOURCE(app_icon);
}

QIcon ProductIcon() {
    // Built once and shared (QIcon is implicitly shared), so every template
    // window reuses the images already decoded instead of reading them
    // again. Never destroyed: it must not outlive the application object's
    // image handling at exit.
    static const QIcon* const icon = [] {
        RegisterResources();
        auto* made = new QIcon;
        for (int size : {16, 32, 48, 64, 128})
            made->addFile(QString(":/designer/app_icon/corvantis-designer-%1.png").arg(size),
                          QSize(size, size));
        return made;
    }();
    return *icon;
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
