#include "engine/template_factory.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "engine/xml_parser.h"
#include "platform/debug_output.h"
#include "platform/files.h"

namespace {

void Install(CXMLTree* tree, CXMLTreeNode* root) {
    delete tree->SetRoot(root);
}

}  // namespace

BOOL CTemplateFactory::LoadXML(const char* path, CXMLTree* tree, std::string* error) {
    if (path == nullptr || tree == nullptr)
        return FALSE;
    // Every failure goes to the debug output with the path, and to the
    // caller as a sentence without it.
    auto fail = [&](const std::string& reason) {
        platform::DebugOutput::Printf("XML: %s: %s", path, reason.c_str());
        if (error != nullptr)
            *error = reason;
        return FALSE;
    };
    // Only regular files: a FIFO or a device would block or never end.
    int fd = -1;
    switch (platform::OpenRegularFile(path, &fd)) {
        case platform::OpenStatus::kFailed:
            return fail(std::strerror(errno));
        case platform::OpenStatus::kNotRegular:
            return fail("not a regular file");
        case platform::OpenStatus::kOpened:
            break;
    }
    XMLParseLimits limits;
    limits.latin1NamesOnly = true;
    XMLTreeBuilder builder(XMLTreeBuilder::Input::kDocument, limits);
    char buffer[64 * 1024];
    bool ok = true;
    std::string readError;
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            readError = std::strerror(errno);
            ok = false;
            break;
        }
        if (n == 0)
            break;
        ok = builder.Feed(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (!readError.empty())
        return fail(readError);
    CXMLTreeNode* root = ok ? builder.Finish() : nullptr;
    if (root == nullptr)
        return fail(builder.Error().empty() ? "not a well-formed XML document" : builder.Error());
    Install(tree, root);
    return TRUE;
}

BOOL CTemplateFactory::LoadToolListXMLString(const char* text, CXMLTree* tree) {
    if (text == nullptr || tree == nullptr)
        return FALSE;
    // The text is a sequence of elements, not a document; it is parsed as
    // the content of a ToolList element. Anything in the text that tried to
    // close that element early leaves a document that does not parse.
    static const char kOpen[] = "<ToolList>";
    static const char kClose[] = "</ToolList>";
    XMLParseLimits limits;
    limits.latin1NamesOnly = true;
    XMLTreeBuilder builder(XMLTreeBuilder::Input::kUtf8Text, limits);
    if (!builder.Feed(kOpen, sizeof kOpen - 1) || !builder.Feed(text, std::strlen(text)) ||
        !builder.Feed(kClose, sizeof kClose - 1)) {
        platform::DebugOutput::Printf("XML: tool list: %s", builder.Error().c_str());
        return FALSE;
    }
    CXMLTreeNode* root = builder.Finish();
    if (root == nullptr) {
        platform::DebugOutput::Printf("XML: tool list: %s", builder.Error().c_str());
        return FALSE;
    }
    Install(tree, root);
    return TRUE;
}
