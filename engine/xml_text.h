// Character-level helpers of the XML tree: UTF-8, Windows-1252, XML names,
// escaping and the byte encodings the writer produces.
//
// Texts inside a tree are UTF-8 in "markup form": a '&' that begins one of
// the five predefined entities or a character reference stands for that
// character, any other '&' (and every '<' and '>') stands for itself. This
// lets callers hand in text that is already escaped without it being escaped
// twice, while text read from a file round-trips unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace xmltext {

// How the writer turns the tree's UTF-8 into bytes; chosen from the encoding
// named in the document's top tag.
enum class OutputEncoding {
    kUtf8,    // UTF-8 (no declaration, or UTF-8 declared)
    kLatin1,  // Latin-1 bytes, C1 controls and non-Latin-1 as references
    kAscii,   // ASCII, everything else as references (any other encoding)
};

// The encoding named by `encoding="..."` in an XML declaration, or an empty
// string when `text` does not start with a declaration naming one.
std::string DeclaredEncoding(std::string_view text);
OutputEncoding EncodingForTopTag(std::string_view topTag);
// True for the names that mean Latin-1 or Windows-1252 (any case).
bool IsLatin1Name(std::string_view encoding);

// Unicode value of a Windows-1252 byte. The five bytes that Windows-1252
// leaves undefined map to the C1 control of the same value.
char32_t Windows1252ToUnicode(unsigned char byte);

// Reads one character at `pos` and advances `pos`. A byte that does not start
// a well-formed UTF-8 sequence is taken as a Windows-1252 byte, so text handed
// in by a caller in a legacy 8-bit encoding is kept rather than lost.
char32_t NextChar(std::string_view s, std::size_t& pos);
bool IsValidUtf8(std::string_view s);
void AppendUtf8(std::string& out, char32_t c);

// Characters allowed in an XML 1.0 document.
bool IsXmlChar(char32_t c);
// Names the tree accepts from callers: ASCII letters, digits, '_', ':', '-',
// '.' and the Latin-1 letters; not starting with a digit, '-' or '.'.
bool IsValidName(std::string_view name);

// When `s[pos]` is '&' beginning a predefined entity (amp, lt, gt, quot,
// apos) or a character reference to a character allowed in XML, returns the
// reference's length and stores the character; otherwise returns 0.
std::size_t ReferenceAt(std::string_view s, std::size_t pos, char32_t* value);

// Decoded text -> markup form (what the parser stores). In attribute values
// the double quote and the white-space characters are escaped as well.
std::string ToMarkup(std::string_view text, bool attributeValue);
// Markup form -> decoded text (what GetContent hands out).
std::string FromMarkup(std::string_view markup);

// Appends markup-form text to a document being written: escapes '<', '>' and
// every '&' that does not begin a reference, writes a carriage return as a
// reference, drops characters XML cannot carry, and encodes the rest for
// `encoding`. In an attribute value '"', tab and line feed become references.
void AppendEscaped(std::string& out, std::string_view markup, OutputEncoding encoding,
                   bool attributeValue);
// Appends a name (element or attribute) for `encoding`; false when a
// character of the name cannot be written in that encoding. For Latin-1 a
// non-ASCII character must be a Latin-1 letter or U+00B7, the only ones a
// Latin-1 document may use in names, so that what is written reads back.
bool AppendName(std::string& out, std::string_view name, OutputEncoding encoding);

// One name="value" pair of an attribute text; the value in markup form,
// without its quotes.
struct Attribute {
    std::string_view name;
    std::string_view value;
};
// Splits an attribute text (pairs name="value" or name='value' separated by
// white space). False when the text is not of that form or a name repeats.
bool SplitAttributes(std::string_view text, std::vector<Attribute>* out);

}  // namespace xmltext
