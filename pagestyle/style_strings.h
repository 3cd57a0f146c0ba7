// The string table of every page-style module, by the documented ids.
#pragma once

// String ids used by the page style.
enum StyleStringId : int {
    IDS_PORTRAIT = 3,
    IDS_LANDSCAPE = 4,
    IDS_PROPERTIES = 23,
    IDS_CUT = 24,
    IDS_COPY = 25,
    IDS_PASTE = 26,
    IDS_LINK_TOOLS = 27,
    IDS_AUTOFILL_YES = 28,
    IDS_AUTOROTATE_YES = 29,
    IDS_AUTOFILL_NO = 30,
    IDS_AUTOROTATE_NO = 31,
    IDS_PAPER_SIZE = 32,
    IDS_PAPER_NAME = 33,
    IDS_SELECTION_TOO_LARGE = 34,
    IDS_LINK_FAILED = 35,
    IDS_PAPER_SIZE_FORMAT = 37,
    IDS_MARGINS_FORMAT = 38,
    IDS_PAPER_MARGINS = 39,
};

// The text of string `id`; an empty text for an id the table does not hold.
const char* StyleString(int id);
