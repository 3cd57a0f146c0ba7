// Template parsing: template files and tool-list texts into XML trees.
#pragma once

#include <string>

#include "engine/xml_tree.h"
#include "platform/types.h"

class CTemplateFactory {
  public:
    // Parses the XML file at `path` into `tree`. On success the tree's
    // previous root is deleted and replaced by the file's root element; on
    // failure (unreadable file, malformed or hostile XML) FALSE is returned
    // and the tree is left as it was. The reason goes to the debug output
    // and, when `error` is given, into it as a sentence for the user
    // (without the file name). A document is refused when an element or
    // attribute name holds a character above U+00FF: a template is saved
    // with an ISO-8859-1 declaration, where such a name cannot be written.
    static BOOL LoadXML(const char* path, CXMLTree* tree, std::string* error = nullptr);

    // Parses a UTF-8 text holding a sequence of elements (the `Group`
    // elements of a tool list) into `tree`, under a new root named
    // `ToolList`. Same success and failure rules as LoadXML (names above
    // U+00FF refused too, since pasted areas are saved with the template).
    static BOOL LoadToolListXMLString(const char* text, CXMLTree* tree);
};
