#include "designer/strings.h"

#include <unordered_map>

#include "designer/resource_ids.h"

namespace {

const std::unordered_map<unsigned, const char*>& Table() {
    static const std::unordered_map<unsigned, const char*> table = {
        {IDS_REGISTRY_KEY, kDesignerKey},
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
        // Command prompts: status-bar text, then "\n" and the tooltip.
        {ID_FILE_NEW, "Create a new template\nNew"},
        {ID_FILE_OPEN, "Open selected template(s)\nOpen"},
        {ID_FILE_CLOSE, "Close the active template\nClose"},
        {ID_FILE_SAVE, "Save the active template\nSave"},
        {ID_FILE_SAVE_AS, "Save the active template with a new name\nSave As"},
        {ID_EDIT_COPY, "Copy the selected tools and put them on the Clipboard\nCopy"},
        {ID_EDIT_CUT, "Cut the selected tools and put them on the Clipboard\nCut"},
        {ID_EDIT_PASTE, "Insert Clipboard contents\nPaste"},
        {ID_EDIT_SELECT_ALL, "Select all the tools in the page\nSelect All"},
        {ID_EDIT_UNDO, "Undo the last action\nUndo"},
        {ID_EDIT_REDO, "Redo the previously undone action\nRedo"},
        {ID_APP_EXIT, "Exit the Designer back to Corvantis; prompts to save templates\nExit"},
        {ID_ALIGN_LEFT,
         "Aligns the left edges of the selected tools with the tool in focus\nAlign Left"},
        {ID_ALIGN_RIGHT,
         "Aligns the right edges of the selected tools with the tool in focus\nAlign Right"},
        {ID_ALIGN_TOP,
         "Aligns the top edges of the selected tools with the tool in focus\nAlign Top"},
        {ID_ALIGN_BOTTOM,
         "Aligns the bottom edges of the selected tools with the tool in focus\nAlign Bottom"},
        {ID_SAME_WIDTH,
         "Resizes the selected tools to have the same width as the tool in focus\nMake Same "
         "Width"},
        {ID_SAME_HEIGHT,
         "Resizes the selected tools to have the same height as the tool in focus\nMake Same "
         "Height"},
        {ID_SAME_SIZE,
         "Resizes the selected tools to have the same size as the tool in focus\nMake Same Size"},
        {ID_CENTER_VERTICAL,
         "Centers the selected tools vertically within the page\nCenter Vertically"},
        {ID_CENTER_HORIZONTAL,
         "Centers the selected tools horizontally within the page\nCenter Horizontally"},
        {ID_SPACE_DOWN, "Evenly spaces the tools vertically\nSpace Down"},
        {ID_SPACE_ACROSS, "Evenly spaces the tools horizontally\nSpace Across"},
        {ID_EDIT_SELECT_NONE, "Unselects any selected tools in the page"},
        {ID_FILE_IMPORT, "Imports templates from a TPF file\nImport Templates"},
        {ID_FILE_EXPORT, "Exports templates to a TPF file\nExport Templates"},
        {ID_EDIT_LINK, "Links or unlinks image areas with one or more text areas\nLink"},
        {ID_TOOLS_GRID, "Set the grid properties\nSet Grid"},
        {ID_TOOLS_PAGE_PROPERTIES,
         "Set the properties of the current page template\nSet Properties"},
        {ID_TOOLS_SHOW_ORDER,
         "Shows the relative Order of the tools on the template page\nShow Order"},
        {ID_WINDOW_CLOSE_ALL, "Closes all open templates\nClose All"},
        {ID_HELP_CONTENTS, "Help documentation for Corvantis Template Designer\nHelp "},
        {ID_TOOLS_MARGINS, "Shows the printable area for selected printer\nShow Margins"},
    };
    return table;
}

}  // namespace

const char* LoadDesignerString(unsigned id) {
    auto it = Table().find(id);
    return it == Table().end() ? "" : it->second;
}

std::string CommandPrompt(unsigned id) {
    std::string text = LoadDesignerString(id);
    return text.substr(0, text.find('\n'));
}

std::string CommandTooltip(unsigned id) {
    std::string text = LoadDesignerString(id);
    std::size_t nl = text.rfind('\n');
    return nl == std::string::npos ? std::string() : text.substr(nl + 1);
}

std::string FormatString(const char* text, const std::string& arg) {
    std::string s = text;
    std::size_t at = s.find("%s");
    if (at != std::string::npos)
        s.replace(at, 2, arg);
    return s;
}
