// The product's icon on the Designer's windows, and the mark of a modified
// template in its window's title.
#pragma once

#include <QIcon>
#include <QString>
#include <string>

// The Designer's icon, 16 to 128 pixels (a page with a framed photo area).
QIcon ProductIcon();
// Makes the product icon the application's: every window and dialog without
// an icon of its own shows it.
void InstallProductIcon();
// The title of a template window: the document's title, followed by "*"
// while the template has changes that are not saved.
QString TemplateWindowTitle(const std::string& title, bool modified);
