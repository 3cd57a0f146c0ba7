// A module with the entry points of a page style or an area tool, chosen at
// build time, whose create entry point makes no object. The loading tests
// copy it under the names a case needs.
#include "platform/types.h"

class CTemplatePage;
class CTemplateTool;

#if defined(CV_TEST_PAGE_ENTRY_POINTS)
CV_EXPORT CTemplatePage* NewKanvo() {
    return nullptr;
}
#if !defined(CV_TEST_CREATE_ONLY)
CV_EXPORT void DeleteKanvo(CTemplatePage*) {}
#endif
#endif

#if defined(CV_TEST_TOOL_ENTRY_POINTS)
CV_EXPORT CTemplateTool* NewTool() {
    return nullptr;
}
#if !defined(CV_TEST_CREATE_ONLY)
CV_EXPORT void DeleteTool(CTemplateTool*) {}
#endif
#endif
