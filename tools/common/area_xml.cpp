#include "tools/common/area_xml.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/xml_tree.h"
#include "platform/ascii.h"

namespace areaxml {

namespace {

struct LengthSlot {
    const char* attributes;
    double ToolRect::*field;
};

constexpr LengthSlot kSlots[] = {
    {"id=\"XPos\"", &ToolRect::x},
    {"id=\"YPos\"", &ToolRect::y},
    {"id=\"Width\"", &ToolRect::width},
    {"id=\"Height\"", &ToolRect::height},
};

}  // namespace

int ParseTruth(std::string_view text) {
    const std::string upper = platform::ascii::Upper(text);
    for (const char* t : {"Y", "T", "YES", "TRUE", "1"}) {
        if (upper == t)
            return 1;
    }
    for (const char* f : {"N", "F", "NO", "FALSE", "0"}) {
        if (upper == f)
            return 0;
    }
    return -1;
}

CXMLTreeNode* WriteProperties(const ToolRect& rect, CXMLTreeNode* tool) {
    CXMLTreeNode* properties = NewNode("Properties", "", nullptr, tool);
    if (properties == nullptr)
        return nullptr;
    const struct {
        const char* id;
        double value;
    } lengths[] = {
        {"XPos", rect.x}, {"YPos", rect.y}, {"Width", rect.width}, {"Height", rect.height}};
    for (const auto& l : lengths) {
        if (NewStringNode(l.id, FormatLength(l.value, rect.unit).c_str(), properties) == nullptr) {
            delete properties;
            return nullptr;
        }
    }
    return properties;
}

ToolRect ReadProperties(const CXMLTreeNode* properties) {
    ToolRect lengths;  // display values until the unit is known
    int unit = UNIT_INCHES;
    for (const CXMLTreeNode* child = properties ? properties->GetFirstChild() : nullptr;
         child != nullptr; child = child->GetNextSibling()) {
        if (NameOf(child) != "String")
            continue;
        const std::string attributes = AttributesOf(child);
        for (const LengthSlot& slot : kSlots) {
            if (attributes != slot.attributes)
                continue;
            const std::string text = ContentOf(child);
            lengths.*slot.field = ParseDecimal(text);
            for (int code = 0; code < UNIT_COUNT; ++code) {
                if (text.find(UnitSuffixes[code]) != std::string::npos) {
                    unit = code;
                    break;
                }
            }
            break;
        }
    }
    ToolRect r;
    r.unit = unit;
    for (const LengthSlot& slot : kSlots) {
        double v = ToInternalUnits(lengths.*slot.field, unit);
        r.*slot.field = std::isfinite(v) ? v : 0;
    }
    return r;
}

bool IsToolNamed(const CXMLTreeNode* tool, const char* name) {
    if (tool == nullptr || NameOf(tool) != "Tool")
        return false;
    const CXMLTreeNode* nameNode = tool->FindName("Name");
    return nameNode != nullptr && ContentOf(nameNode) == name;
}

}  // namespace areaxml
