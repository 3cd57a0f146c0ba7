#include "designer/help.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

std::string InstalledUserGuide(const std::string& programPath) {
    if (programPath.empty())
        return {};
    const QFileInfo program(QString::fromStdString(programPath));
    QDir prefix = program.absoluteDir();
    if (!prefix.cdUp())
        return {};
    const QFileInfo guide(prefix.filePath("share/doc/corvantis/user-guide.html"));
    if (!guide.isFile())
        return {};
    return QDir::cleanPath(guide.absoluteFilePath()).toStdString();
}

std::string InstalledUserGuide() {
    if (QCoreApplication::instance() == nullptr)
        return {};
    return InstalledUserGuide(QCoreApplication::applicationFilePath().toStdString());
}
