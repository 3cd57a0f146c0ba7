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

BOOL CTemplateFactory::LoadXML(const char* path, CXMLTree* tree) {
    if (path == nullptr || tree == nullptr)
        return FALSE;
    // Only regular files: a FIFO or a device would block or never end.
    int fd = -1;
    switch (platform::OpenRegularFile(path, &fd)) {
        case platform::OpenStatus::kFailed:
            platform::DebugOutput::Printf("XML: %s: %s", path, std::strerror(errno));
            return FALSE;
        case platform::OpenStatus::kNotRegular:
            platform::DebugOutput::Printf("XML: %s: not a regular file", path);
            return FALSE;
        case platform::OpenStatus::kOpened:
            break;
    }
    XMLTreeBuilder builder;
    char buffer[64 * 1024];
    bool ok = true;
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            platform::DebugOutput::Printf("XML: %s: %s", path, std::strerror(errno));
            ok = false;
            break;
        }
        if (n == 0)
            break;
        ok = builder.Feed(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (!ok) {
        if (!builder.Error().empty()) {
            platform::DebugOutput::Printf("XML: %s: %s", path, builder.Error().c_str());
        }
        return FALSE;
    }
    CXMLTreeNode* root = builder.Finish();
    if (root == nullptr) {
        platform::DebugOutput::Printf("XML: %s: %s", path, builder.Error().c_str());
        return FALSE;
    }
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
    XMLTreeBuilder builder(XMLTreeBuilder::Input::kUtf8Text);
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
