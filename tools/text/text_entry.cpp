// The text tool's entry points: the only symbols the module exports.
#include <new>

#include "framework/plugin_managers.h"
#include "tools/text/text_tool.h"

CV_EXPORT CTemplateTool* NewTool() {
    try {
        return new CTextTool();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

CV_EXPORT void DeleteTool(CTemplateTool* tool) {
    delete tool;
}
