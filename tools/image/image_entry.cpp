// The image tool's entry points: the only symbols the module exports.
#include <new>

#include "framework/plugin_managers.h"
#include "tools/image/image_tool.h"

CV_EXPORT CTemplateTool* NewTool() {
    try {
        return new CImageArea();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

CV_EXPORT void DeleteTool(CTemplateTool* tool) {
    delete tool;
}
