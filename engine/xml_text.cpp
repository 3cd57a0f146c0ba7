#include "engine/xml_text.h"

#include <algorithm>
#include <cstdio>

#include "platform/ascii.h"

namespace xmltext {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

using platform::ascii::EqualsNoCase;

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

void AppendReference(std::string& out, char32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "&#%u;", static_cast<unsigned>(c));
    out += buf;
}

bool IsLatin1Letter(char32_t c) {
    return (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0xFF);
}

bool IsNameStart(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' ||
           IsLatin1Letter(c);
}

bool IsNameRest(char32_t c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == 0xB7;
}

}  // namespace

std::string DeclaredEncoding(std::string_view text) {
    if (text.size() < 6 || text.substr(0, 5) != "<?xml" || !IsSpace(text[5]))
        return {};
    std::size_t end = text.find("?>");
    if (end == std::string_view::npos)
        return {};
    std::string_view decl = text.substr(0, end);
    std::size_t pos = decl.find("encoding");
    if (pos == std::string_view::npos)
        return {};
    pos += 8;
    while (pos < decl.size() && IsSpace(decl[pos]))
        ++pos;
    if (pos >= decl.size() || decl[pos] != '=')
        return {};
    ++pos;
    while (pos < decl.size() && IsSpace(decl[pos]))
        ++pos;
    if (pos >= decl.size() || (decl[pos] != '"' && decl[pos] != '\''))
        return {};
    char quote = decl[pos++];
    std::size_t close = decl.find(quote, pos);
    if (close == std::string_view::npos)
        return {};
    return std::string(decl.substr(pos, close - pos));
}

bool IsLatin1Name(std::string_view encoding) {
    static const char* const kNames[] = {
        "ISO-8859-1",  "ISO8859-1",    "ISO_8859-1", "ISO_8859-1:1987", "LATIN1",
        "LATIN-1",     "L1",           "ISO-IR-100", "CP819",           "IBM819",
        "CSISOLATIN1", "WINDOWS-1252", "CP1252",     "X-CP1252"};
    for (const char* name : kNames) {
        if (EqualsNoCase(encoding, name))
            return true;
    }
    return false;
}

OutputEncoding EncodingForTopTag(std::string_view topTag) {
    std::string encoding = DeclaredEncoding(topTag);
    if (encoding.empty() || EqualsNoCase(encoding, "UTF-8") || EqualsNoCase(encoding, "UTF8")) {
        return OutputEncoding::kUtf8;
    }
    if (IsLatin1Name(encoding))
        return OutputEncoding::kLatin1;
    return OutputEncoding::kAscii;
}

char32_t Windows1252ToUnicode(unsigned char byte) {
    static const char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (byte >= 0x80 && byte <= 0x9F)
        return kHigh[byte - 0x80];
    return byte;
}

char32_t NextChar(std::string_view s, std::size_t& pos) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    std::size_t need = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    char32_t c = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        c = b0 & 0x0F;
        if (b0 == 0xE0)
            lo = 0xA0;  // no overlong forms
        if (b0 == 0xED)
            hi = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        c = b0 & 0x07;
        if (b0 == 0xF0)
            lo = 0x90;
        if (b0 == 0xF4)
            hi = 0x8F;  // nothing above U+10FFFF
    }
    bool ok = need > 0 && pos + need < s.size();
    if (ok) {
        const auto b1 = static_cast<unsigned char>(s[pos + 1]);
        ok = b1 >= lo && b1 <= hi;
        for (std::size_t i = 2; ok && i <= need; ++i) {
            ok = IsContinuation(static_cast<unsigned char>(s[pos + i]));
        }
    }
    if (!ok) {
        ++pos;
        return Windows1252ToUnicode(b0);
    }
    for (std::size_t i = 1; i <= need; ++i) {
        c = (c << 6) | (static_cast<unsigned char>(s[pos + i]) & 0x3F);
    }
    pos += need + 1;
    return c;
}

bool IsValidUtf8(std::string_view s) {
    std::size_t pos = 0;
    while (pos < s.size()) {
        const auto b0 = static_cast<unsigned char>(s[pos]);
        std::size_t before = pos;
        NextChar(s, pos);
        // A non-ASCII lead byte consumed alone was not a valid sequence.
        if (b0 >= 0x80 && pos == before + 1)
            return false;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool IsValidName(std::string_view name) {
    if (name.empty() || !IsValidUtf8(name))
        return false;
    std::size_t pos = 0;
    if (!IsNameStart(NextChar(name, pos)))
        return false;
    while (pos < name.size()) {
        if (!IsNameRest(NextChar(name, pos)))
            return false;
    }
    return true;
}

std::size_t ReferenceAt(std::string_view s, std::size_t pos, char32_t* value) {
    if (pos >= s.size() || s[pos] != '&')
        return 0;
    std::string_view rest = s.substr(pos + 1);
    static const struct {
        std::string_view name;
        char32_t value;
    } kEntities[] = {{"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"quot;", '"'}, {"apos;", '\''}};
    for (const auto& e : kEntities) {
        if (rest.substr(0, e.name.size()) == e.name) {
            if (value)
                *value = e.value;
            return 1 + e.name.size();
        }
    }
    if (rest.empty() || rest[0] != '#')
        return 0;
    std::size_t i = 1;
    bool hex = i < rest.size() && rest[i] == 'x';
    if (hex)
        ++i;
    std::size_t digitsStart = i;
    char32_t c = 0;
    while (i < rest.size() && rest[i] != ';') {
        char d = rest[i];
        unsigned digit;
        if (d >= '0' && d <= '9') {
            digit = static_cast<unsigned>(d - '0');
        } else if (hex && ((d >= 'a' && d <= 'f') || (d >= 'A' && d <= 'F'))) {
            digit = static_cast<unsigned>(platform::ascii::ToLower(d) - 'a' + 10);
        } else {
            return 0;
        }
        c = c * (hex ? 16 : 10) + digit;
        if (c > 0x10FFFF)
            return 0;
        ++i;
    }
    if (i == digitsStart || i >= rest.size() || !IsXmlChar(c))
        return 0;
    if (value)
        *value = c;
    return 1 + i + 1;
}

std::string ToMarkup(std::string_view text, bool attributeValue) {
    const std::string_view special =
        attributeValue ? std::string_view("&<>\r\"\t\n", 7) : std::string_view("&<>\r", 4);
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (true) {
        const std::size_t next = text.find_first_of(special, pos);
        out.append(text.substr(pos, next == std::string_view::npos ? next : next - pos));
        if (next == std::string_view::npos)
            break;
        switch (text[next]) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '\r':
                out += "&#13;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\t':
                out += "&#9;";
                break;
            default:
                out += "&#10;";
                break;
        }
        pos = next + 1;
    }
    return out;
}

std::string FromMarkup(std::string_view markup) {
    std::string out;
    out.reserve(markup.size());
    for (std::size_t pos = 0; pos < markup.size();) {
        char32_t c;
        std::size_t len = markup[pos] == '&' ? ReferenceAt(markup, pos, &c) : 0;
        if (len > 0) {
            AppendUtf8(out, c);
            pos += len;
        } else {
            out += markup[pos++];
        }
    }
    return out;
}

void AppendEscaped(std::string& out, std::string_view markup, OutputEncoding encoding,
                   bool attributeValue) {
    for (std::size_t pos = 0; pos < markup.size();) {
        const char b = markup[pos];
        if (b == '&') {
            std::size_t len = ReferenceAt(markup, pos, nullptr);
            if (len > 0) {
                out.append(markup.substr(pos, len));
                pos += len;
            } else {
                out += "&amp;";
                ++pos;
            }
            continue;
        }
        if (b == '<' || b == '>') {
            out += b == '<' ? "&lt;" : "&gt;";
            ++pos;
            continue;
        }
        const char32_t c = NextChar(markup, pos);
        if (c == '\r' || (attributeValue && (c == '\t' || c == '\n'))) {
            AppendReference(out, c);
        } else if (attributeValue && c == '"') {
            out += "&quot;";
        } else if (!IsXmlChar(c)) {
            // Control characters cannot be carried by XML 1.0 at all, not even
            // as references; writing them would make the document unreadable.
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (encoding == OutputEncoding::kUtf8) {
            AppendUtf8(out, c);
        } else if (encoding == OutputEncoding::kLatin1 && c >= 0xA0 && c <= 0xFF) {
            out += static_cast<char>(c);
        } else {
            AppendReference(out, c);
        }
    }
}

bool AppendName(std::string& out, std::string_view name, OutputEncoding encoding) {
    if (!IsValidUtf8(name))
        return false;
    for (std::size_t pos = 0; pos < name.size();) {
        const char32_t c = NextChar(name, pos);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (encoding == OutputEncoding::kUtf8) {
            AppendUtf8(out, c);
        } else if (encoding == OutputEncoding::kLatin1 && (IsLatin1Letter(c) || c == 0xB7)) {
            out += static_cast<char>(c);
        } else {
            return false;  // names cannot use references
        }
    }
    return true;
}

bool SplitAttributes(std::string_view text, std::vector<Attribute>* out) {
    std::vector<Attribute> result;
    std::size_t pos = 0;
    const std::size_t n = text.size();
    while (true) {
        while (pos < n && IsSpace(text[pos]))
            ++pos;
        if (pos >= n)
            break;
        std::size_t start = pos;
        while (pos < n && !IsSpace(text[pos]) && text[pos] != '=' && text[pos] != '"' &&
               text[pos] != '\'' && text[pos] != '<' && text[pos] != '>' && text[pos] != '&') {
            ++pos;
        }
        if (pos == start)
            return false;
        std::string_view name = text.substr(start, pos - start);
        while (pos < n && IsSpace(text[pos]))
            ++pos;
        if (pos >= n || text[pos] != '=')
            return false;
        ++pos;
        while (pos < n && IsSpace(text[pos]))
            ++pos;
        if (pos >= n || (text[pos] != '"' && text[pos] != '\''))
            return false;
        const char quote = text[pos++];
        std::size_t close = text.find(quote, pos);
        if (close == std::string_view::npos)
            return false;
        result.push_back({name, text.substr(pos, close - pos)});
        pos = close + 1;
        if (pos < n && !IsSpace(text[pos]))
            return false;
    }
    std::vector<std::string_view> names;
    names.reserve(result.size());
    for (const Attribute& a : result)
        names.push_back(a.name);
    std::sort(names.begin(), names.end());
    if (std::adjacent_find(names.begin(), names.end()) != names.end())
        return false;
    if (out)
        *out = std::move(result);
    return true;
}

}  // namespace xmltext
