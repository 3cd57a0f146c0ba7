#include "tools/common/area_xml.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/xml_tree.h"

namespace areaxml {

namespace {

using Getter = BOOL (CXMLTreeNode::*)(char*, int) const;

std::string Fetch(const CXMLTreeNode* node, Getter get, int len) {
    if (node == nullptr || len < 1)
        return {};
    std::vector<char> buf(static_cast<size_t>(len), '\0');
    (node->*get)(buf.data(), len);
    buf.back() = '\0';
    return std::string(buf.data());
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Length of the decimal number at the start of `s` (after the caller skipped
// white space); 0 when there is none.
size_t DecimalLength(std::string_view s, bool allowFraction) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i, ++digits;
    if (allowFraction && i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (allowFraction && i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        size_t expDigits = 0;
        while (j < s.size() && IsDigit(s[j]))
            ++j, ++expDigits;
        if (expDigits > 0)
            i = j;
    }
    return i;
}

std::string_view SkipSpace(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsSpace(s[i]))
        ++i;
    return s.substr(i);
}

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

std::string NameOf(const CXMLTreeNode* node, int len) {
    return Fetch(node, &CXMLTreeNode::GetName, len);
}
std::string AttributesOf(const CXMLTreeNode* node, int len) {
    return Fetch(node, &CXMLTreeNode::GetAttributes, len);
}
std::string ContentOf(const CXMLTreeNode* node, int len) {
    return Fetch(node, &CXMLTreeNode::GetContent, len);
}

std::string FormatLength(double internalValue, int unit) {
    double value = ToDisplayUnits(internalValue, unit);
    if (!std::isfinite(value))
        value = 0;
    char buf[400];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
    std::string out = ec == std::errc() ? std::string(buf, end) : std::string("0.000000");
    out += UnitSuffix(unit);
    return out;
}

double ParseDecimal(std::string_view text) {
    std::string_view s = SkipSpace(text);
    size_t n = DecimalLength(s, true);
    if (n == 0)
        return 0;
    const char* first = s.data();
    if (*first == '+')
        ++first;  // from_chars takes no plus sign
    double value = 0;
    auto [ptr, ec] = std::from_chars(first, s.data() + n, value, std::chars_format::general);
    (void)ptr;
    if (ec != std::errc() || !std::isfinite(value))
        return 0;
    return value;
}

int ParseInteger(std::string_view text) {
    std::string_view s = SkipSpace(text);
    size_t n = DecimalLength(s, false);
    if (n == 0)
        return 0;
    bool negative = s[0] == '-';
    size_t i = (s[0] == '+' || s[0] == '-') ? 1 : 0;
    long long value = 0;
    for (; i < n; ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            break;  // held below
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

int ParseTruth(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
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
