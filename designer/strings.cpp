#include "designer/strings.h"

#include <unordered_map>

#include "designer/resource_ids.h"
#include "framework/designer_keys.h"

namespace {

const std::unordered_map<unsigned, const char*>& Table() {
    static const std::unordered_map<unsigned, const char*> table = {
        {IDS_REGISTRY_KEY, designer_keys::kKey},
        {IDS_DIRECTORY_TREE, "Directory Tree"},
        {IDS_TEMPLATE_VIEW, "Template View"},
        {IDS_COMPANY_KEY, "ZYN Systems"},
        {IDS_NO_PAGE_STYLES,
         "The Template Designer cannot find any installed page styles.\n\nRe-install Corvantis "
         "and try again."},
        {IDS_NO_AREA_TOOLS,
         "The Template Designer cannot find any installed area tools.\n\nRe-install Corvantis "
         "and try again."},
        {IDS_TEMPLATE_NOT_SUPPORTED,
         "This template is not currently supported\nby the available plugins."},
        {IDS_LINK_REFUSED,
         "You attempted to link more than one image.\n\nAn image can be linked to more than one "
         "text area\nbut mutliple images cannot be linked together."},
        {IDS_XML_TOP_TAG, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"},
        {IDS_INVALID_FILE_NAME, "The file name you have entered is invalid."},
        {IDS_ASK_OVERWRITE, "The file \"%s\" already exists. Do you wish to overwrite it?"},
        {IDS_READ_ONLY,
         "Cannot save the file \"%s\". The file exists and is marked Read-Only.  Save the file "
         "with another file name or to another location."},
        {IDS_APP_TITLE, "Corvantis Template Designer"},
        {IDS_DOCUMENT_TYPE,
         "\nUntitled\nCorvantis Templates\nCorvantis Templates (*.xml)\n.xml\n"
         "CorvantisTemplateDesigner.Document\nCorvantis Template"},
        {IDS_IDLE, "Ready"},
    };
    return table;
}

}  // namespace

const char* LoadDesignerString(unsigned id) {
    auto it = Table().find(id);
    return it == Table().end() ? "" : it->second;
}

std::string FormatString(const char* text, const std::string& arg) {
    std::string s = text;
    std::size_t at = s.find("%s");
    if (at != std::string::npos)
        s.replace(at, 2, arg);
    return s;
}
