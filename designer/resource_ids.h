// Command, control and string identifiers of the Designer.
#pragma once

// File menu.
inline constexpr unsigned ID_FILE_NEW = 57600;
inline constexpr unsigned ID_FILE_OPEN = 57601;
inline constexpr unsigned ID_FILE_CLOSE = 57602;
inline constexpr unsigned ID_FILE_SAVE = 57603;
inline constexpr unsigned ID_FILE_SAVE_AS = 57604;
inline constexpr unsigned ID_FILE_IMPORT = 32797;
inline constexpr unsigned ID_FILE_EXPORT = 32798;
inline constexpr unsigned ID_FILE_MRU_FIRST = 32820;  // ... 32824
inline constexpr unsigned ID_APP_EXIT = 57665;
// Edit menu.
inline constexpr unsigned ID_EDIT_UNDO = 57643;
inline constexpr unsigned ID_EDIT_REDO = 57644;
inline constexpr unsigned ID_EDIT_CUT = 57635;
inline constexpr unsigned ID_EDIT_COPY = 57634;
inline constexpr unsigned ID_EDIT_PASTE = 57637;
inline constexpr unsigned ID_EDIT_LINK = 32801;
inline constexpr unsigned ID_EDIT_SELECT_ALL = 57642;
inline constexpr unsigned ID_EDIT_SELECT_NONE = 32794;
// Tools menu.
inline constexpr unsigned ID_TOOLS_GRID = 32802;
inline constexpr unsigned ID_TOOLS_PAGE_PROPERTIES = 32803;
inline constexpr unsigned ID_TOOLS_MARGINS = 32807;
inline constexpr unsigned ID_TOOLS_SHOW_ORDER = 32804;
// Window menu.
inline constexpr unsigned ID_WINDOW_CASCADE = 57650;
inline constexpr unsigned ID_WINDOW_TILE = 57651;
inline constexpr unsigned ID_WINDOW_ARRANGE = 57649;
inline constexpr unsigned ID_WINDOW_CLOSE_ALL = 32805;
// Help menu.
inline constexpr unsigned ID_HELP_CONTENTS = 32806;
inline constexpr unsigned ID_APP_ABOUT = 57664;
// Accelerator-only commands.
inline constexpr unsigned ID_EDIT_DELETE = 32775;
inline constexpr unsigned ID_VIEW_REFRESH = 32814;
// Arrange toolbar.
inline constexpr unsigned ID_ALIGN_LEFT = 32779;
inline constexpr unsigned ID_ALIGN_RIGHT = 32780;
inline constexpr unsigned ID_ALIGN_TOP = 32781;
inline constexpr unsigned ID_ALIGN_BOTTOM = 32782;
inline constexpr unsigned ID_SAME_WIDTH = 32783;
inline constexpr unsigned ID_SAME_HEIGHT = 32784;
inline constexpr unsigned ID_SAME_SIZE = 32785;
inline constexpr unsigned ID_CENTER_VERTICAL = 32786;
inline constexpr unsigned ID_CENTER_HORIZONTAL = 32787;
inline constexpr unsigned ID_SPACE_DOWN = 32790;
inline constexpr unsigned ID_SPACE_ACROSS = 32791;

// New Template dialog: the properties form's confirm and cancel commands.
inline constexpr unsigned ID_NEW_TEMPLATE_OK = 1025;
inline constexpr unsigned ID_NEW_TEMPLATE_CANCEL = 1026;
inline constexpr unsigned IDC_PAPER_SIZE = 1005;

// Area-tool palette buttons: 500 + tool index.
inline constexpr unsigned ID_AREA_TOOL_FIRST = 500;
inline constexpr unsigned ID_AREA_TOOL_LAST = 599;

// Status bar panes 1 to 4.
inline constexpr unsigned ID_INDICATOR_FIRST = 256;

// Docking panes.
inline constexpr unsigned ID_DIRECTORY_TREE_BAR = 59424;
inline constexpr unsigned ID_TEMPLATE_VIEW_BAR = 59425;

// Strings.
inline constexpr unsigned IDS_REGISTRY_KEY = 10000;
inline constexpr unsigned IDS_DIRECTORY_TREE = 10002;
inline constexpr unsigned IDS_TEMPLATE_VIEW = 10003;
inline constexpr unsigned IDS_COMPANY_KEY = 10006;
inline constexpr unsigned IDS_NO_PAGE_STYLES = 10011;
inline constexpr unsigned IDS_NO_AREA_TOOLS = 10012;
inline constexpr unsigned IDS_TEMPLATE_NOT_SUPPORTED = 10020;
inline constexpr unsigned IDS_LINK_REFUSED = 61446;
inline constexpr unsigned IDS_XML_TOP_TAG = 61447;
inline constexpr unsigned IDS_INVALID_FILE_NAME = 61464;
inline constexpr unsigned IDS_ASK_OVERWRITE = 61465;
inline constexpr unsigned IDS_READ_ONLY = 61466;
inline constexpr unsigned IDS_APP_TITLE = 57344;
inline constexpr unsigned IDS_DOCUMENT_TYPE = 129;
inline constexpr unsigned IDS_IDLE = 57345;  // "Ready"
