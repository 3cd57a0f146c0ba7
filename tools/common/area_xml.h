// XML helpers shared by the area tools: the `Properties` element with an
// area's rectangle, and the forgiving number and truth-value readers used on
// template text (which may come from anywhere).
#pragma once

#include <string>
#include <string_view>

#include "engine/xml_tree.h"
#include "framework/number_text.h"
#include "framework/units.h"
#include "platform/types.h"

class CXMLTreeNode;

namespace areaxml {

// Buffer sizes for texts fetched from the tree: names, attribute texts,
// numbers and tool names; and long string values (text, face and style names).
inline constexpr int kShortText = 1024;
inline constexpr int kLongText = 65536;

// The node's name, attribute text or content, cut to `len` - 1 bytes.
inline std::string NameOf(const CXMLTreeNode* node, int len = kShortText) {
    return XMLNodeName(node, len);
}
inline std::string AttributesOf(const CXMLTreeNode* node, int len = kShortText) {
    return XMLNodeAttributes(node, len);
}
inline std::string ContentOf(const CXMLTreeNode* node, int len = kShortText) {
    return XMLNodeContent(node, len);
}

// Locale-independent number text, shared with the page styles.
using ::FormatLength;
using ::ParseDecimal;
using ::ParseInteger;

// "Y", "T", "YES", "TRUE", "1" give 1; "N", "F", "NO", "FALSE", "0" give 0
// (any case); anything else gives -1.
int ParseTruth(std::string_view text);

// Appends `Properties` with the four `String` lengths XPos, YPos, Width and
// Height to `tool`. Null when a node cannot be made (nothing is left behind).
CXMLTreeNode* WriteProperties(const ToolRect& rect, CXMLTreeNode* tool);
// Reads the lengths of a `Properties` element: only `String` children with
// exactly id="XPos", id="YPos", id="Width" or id="Height" count. The unit
// starts as inches; each value with a suffix ("RL", "IN", "MM", looked for in
// this order) sets it, so the last such value decides the unit of all four;
// missing lengths read as 0.
ToolRect ReadProperties(const CXMLTreeNode* properties);

// Whether `tool` is a `Tool` element whose `Name` child holds exactly `name`.
bool IsToolNamed(const CXMLTreeNode* tool, const char* name);

}  // namespace areaxml
