#include "pagestyle/style_strings.h"

namespace {

struct Entry {
    int id;
    const char* text;
};

constexpr Entry kStrings[] = {
    {3, "Portrait"},
    {4, "Landscape"},
    {5, "Letter"},
    {7, "Legal"},
    {9, "4X6"},
    {11, "A4"},
    {13, "A6"},
    {15, "Hagaki"},
    {17, "NoteCard"},
    {19, "Tabloid"},
    {23, "&Properties..."},
    {24, "Cut"},
    {25, "Copy"},
    {26, "Paste"},
    {27, "[&Un]Link Tools"},
    {28, "Autofill: Yes"},
    {29, "Autorotate: Yes"},
    {30, "Autofill: No"},
    {31, "Autorotate: No"},
    {32, "Paper size:\t%s"},
    {33, "Paper name:\t%s"},
    {34, "The current selection is too large to fit on this page."},
    {35,
     "You attempted to link more than one image.\n\nAn image can be linked to more than one "
     "text area\nbut mutliple images cannot be linked together."},
    {36, "A3"},
    {37, "%0.1lf x %0.1lf %s"},
    {38, "\tTop:\t%0.3lf %s\n\tBottom:\t%0.3lf %s\n\tLeft:\t%0.3lf %s\n\tRight:\t%0.3lf %s"},
    {39, "Paper margins:\n%s"},
    {40, "89 X 127mm"},
    {41, "114 X 175mm"},
    {42, "127 X 178mm"},
    {43, "8X10"},
    {44, "5X7"},
};

}  // namespace

const char* StyleString(int id) {
    for (const Entry& e : kStrings) {
        if (e.id == id)
            return e.text;
    }
    return "";
}
