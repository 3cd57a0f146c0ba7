// The two entry points of a page-style module.
#include <new>

#include "pagestyle/style_page.h"

CV_EXPORT CTemplatePage* NewKanvo() {
    try {
        return new (std::nothrow) CStylePage(kPageVariant);
    } catch (...) {
        return nullptr;
    }
}

CV_EXPORT void DeleteKanvo(CTemplatePage* page) {
    delete page;
}
