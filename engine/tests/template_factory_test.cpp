#include "engine/template_factory.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "engine/xml_parser.h"
#include "engine/xml_tree.h"
#include "platform/debug_output.h"

namespace {

constexpr const char kLatin1Declaration[] = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";

class TemplateFactoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "cv-xml-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::string cmd = "rm -rf '" + dir_ + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
    }

    // Writes `head`, then `middle` `repeat` times, then `tail`, without ever
    // holding the whole file in memory.
    std::string WriteFile(const std::string& name, const std::string& head,
                          const std::string& middle = "", long repeat = 0,
                          const std::string& tail = "") {
        std::string path = dir_ + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out << head;
        for (long i = 0; i < repeat; ++i)
            out << middle;
        out << tail;
        return path;
    }

    std::string dir_;
};

std::string Xml(const CXMLTree& tree) {
    std::unique_ptr<char[]> text(tree.GetXML());
    return text ? std::string(text.get()) : std::string("<null>");
}

std::string Content(const CXMLTreeNode* node) {
    return XMLNodeContent(node, 4096);
}

std::string Attributes(const CXMLTreeNode* node) {
    return XMLNodeAttributes(node, 4096);
}

#ifdef __SANITIZE_ADDRESS__
constexpr auto kTimeLimit = std::chrono::seconds(5);  // instrumented code runs slower
#else
constexpr auto kTimeLimit = std::chrono::seconds(1);
#endif

long StatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t n = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':')
            return std::strtol(line.c_str() + n + 1, nullptr, 10);
    }
    return -1;
}

// How much memory `work` takes at its peak, in KiB. It runs in a child
// process whose peak starts at what it holds when it begins, so the figure
// belongs to this one call and not to the largest of all calls so far; -1
// when it cannot be told.
long PeakExtraKiB(const std::function<void()>& work) {
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const long before = StatusKiB("VmRSS");
        work();
        const long peak = StatusKiB("VmHWM");
        const long extra = before < 0 || peak < 0 ? -1 : peak - before;
        const bool sent = ::write(fds[1], &extra, sizeof extra) == sizeof extra;
        ::_exit(sent ? 0 : 1);
    }
    ::close(fds[1]);
    long extra = -1;
    if (pid < 0 || ::read(fds[0], &extra, sizeof extra) != sizeof extra)
        extra = -1;
    ::close(fds[0]);
    int status = 0;
    if (pid > 0 && (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)))
        extra = -1;
    return extra;
}

const char kTemplate[] =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
    "<Template>\n"
    "\t<Version>1.5</Version>\n"
    "\t<Page>\n"
    "\t\t<Name>Hagaki</Name>\n"
    "\t\t<Properties>\n"
    "\t\t\t<String id=\"Author\">Ren\xE9 &amp; Co &#8364; \x80</String>\n"
    "\t\t\t<String id=\"Width\">148.000000MM</String>\n"
    "\t\t\t<Bool id=\"AutoFill\">TRUE</Bool>\n"
    "\t\t</Properties>\n"
    "\t\t<Content></Content>\n"
    "\t</Page>\n"
    "\t<ToolList>\n"
    "\t\t<Group>\n"
    "\t\t\t<Tool>\n"
    "\t\t\t\t<Name>Text</Name>\n"
    "\t\t\t\t<Content>\n"
    "\t\t\t\t\t<String id=\"Text\">a&amp;b&lt;c&gt;\\p\\d</String>\n"
    "\t\t\t\t</Content>\n"
    "\t\t\t</Tool>\n"
    "\t\t</Group>\n"
    "\t</ToolList>\n"
    "</Template>\n";

TEST_F(TemplateFactoryTest, LoadsATemplateFileReadingLatin1AsWindows1252) {
    CXMLTree tree;
    ASSERT_TRUE(CTemplateFactory::LoadXML(WriteFile("t.xml", kTemplate).c_str(), &tree));
    CXMLTreeNode* root = tree.GetRoot();
    ASSERT_NE(root, nullptr);
    char name[64];
    root->GetName(name, sizeof name);
    EXPECT_STREQ(name, "Template");
    EXPECT_EQ(root->GetNumChildren(), 3);
    EXPECT_EQ(Content(root), "");  // indentation is not content
    EXPECT_EQ(Content(root->FindName("Version")), "1.5");
    CXMLTreeNode* props = root->FindName("Page")->FindName("Properties");
    ASSERT_NE(props, nullptr);
    CXMLTreeNode* author = props->GetFirstChild();
    EXPECT_EQ(Attributes(author), "id=\"Author\"");
    // 0xE9 is é, the reference and the Windows-1252 byte 0x80 are both €.
    EXPECT_EQ(Content(author), "Ren\xC3\xA9 & Co \xE2\x82\xAC \xE2\x82\xAC");
    CXMLTreeNode* text =
        root->FindName("ToolList")->FindName("Group")->FindName("Tool")->FindName("Content");
    EXPECT_EQ(Content(text->GetFirstChild()), "a&b<c>\\p\\d");
}

TEST_F(TemplateFactoryTest, WriteParseWriteIsStable) {
    CXMLTree tree;
    ASSERT_TRUE(CTemplateFactory::LoadXML(WriteFile("t.xml", kTemplate).c_str(), &tree));
    tree.SetTopTag(kLatin1Declaration);
    const std::string first = Xml(tree);
    // The euro signs come out as references, é as a Latin-1 byte.
    EXPECT_NE(first.find("Ren\xE9 &amp; Co &#8364; &#8364;"), std::string::npos);
    EXPECT_NE(first.find("a&amp;b&lt;c&gt;\\p\\d"), std::string::npos);

    CXMLTree again;
    ASSERT_TRUE(CTemplateFactory::LoadXML(WriteFile("again.xml", first).c_str(), &again));
    again.SetTopTag(kLatin1Declaration);
    EXPECT_EQ(Xml(again), first);

    // A tree built by the node makers survives the same way, in UTF-8 too.
    for (const char* top : {kLatin1Declaration, ""}) {
        SCOPED_TRACE(top);
        CXMLTree built(NewNode("Template", "", "", nullptr));
        built.GetRoot()->AddChild(
            NewStringNode("Text", "x < y && \xE2\x82\xAC \xC2\x85 &amp; \r\n", nullptr));
        CXMLTreeNode* mixed = NewNode("Mixed", "a=\"1\"", "lead", built.GetRoot());
        NewNode("Child", "", "", mixed);
        built.SetTopTag(top);
        const std::string text = Xml(built);
        CXMLTree parsed;
        ASSERT_TRUE(CTemplateFactory::LoadXML(WriteFile("built.xml", text).c_str(), &parsed));
        parsed.SetTopTag(top);
        EXPECT_EQ(Xml(parsed), text);
        EXPECT_EQ(Content(parsed.GetRoot()->GetFirstChild()),
                  "x < y && \xE2\x82\xAC \xC2\x85 & \r\n");
    }
}

TEST_F(TemplateFactoryTest, ReadsOtherEncodingsAndAttributes) {
    struct Case {
        const char* label;
        std::string bytes;
        const char* content;
    } cases[] = {
        {"utf-8 without declaration", "<x>\xE2\x82\xAC</x>", "\xE2\x82\xAC"},
        {"utf-8 bom", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?><x>\xC3\xA9</x>",
         "\xC3\xA9"},
        {"windows-1252 declared", "<?xml version='1.0' encoding='windows-1252'?><x>\x93q\x94</x>",
         "\xE2\x80\x9Cq\xE2\x80\x9D"},
        {"utf-16le bom", std::string("\xFF\xFE<\0x\0>\0\xAC\x20<\0/\0x\0>\0", 18), "\xE2\x82\xAC"},
        {"cdata", "<x><![CDATA[a<b&c]]></x>", "a<b&c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        CXMLTree tree;
        ASSERT_TRUE(CTemplateFactory::LoadXML(WriteFile("e.xml", c.bytes).c_str(), &tree));
        EXPECT_EQ(Content(tree.GetRoot()), c.content);
    }

    CXMLTree tree;
    ASSERT_TRUE(CTemplateFactory::LoadXML(
        WriteFile("a.xml", "<String id='Width'  b=\"x&amp;&quot;&lt;\" c=\"&#10;\">v</String>")
            .c_str(),
        &tree));
    EXPECT_EQ(Attributes(tree.GetRoot()), "id=\"Width\" b=\"x&amp;&quot;&lt;\" c=\"&#10;\"");
}

TEST_F(TemplateFactoryTest, HostileAndBrokenFilesFailCleanly) {
    const std::string laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">"
        "<!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
        "<!ENTITY lol2 \"&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;\">"
        "<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">"
        "<!ENTITY lol4 \"&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;\">"
        "<!ENTITY lol5 \"&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;\">"
        "<!ENTITY lol6 \"&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;\">"
        "<!ENTITY lol7 \"&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;\">"
        "<!ENTITY lol8 \"&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;\">"
        "<!ENTITY lol9 \"&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;\">"
        "]><lolz>&lol9;</lolz>";
    struct Case {
        const char* label;
        const char* reason;  // as reported to the debug output
        std::string head;
        std::string middle;
        long repeat;
        std::string tail;
    } cases[] = {
        {"malformed", "mismatched tag", "<Template><Page></Template>", "", 0, ""},
        {"not xml", "syntax error", "This is not XML at all.\n", "", 0, ""},
        {"binary", "invalid token", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "", 0, ""},
        {"empty", "no element found", "", "", 0, ""},
        {"truncated", "unclosed token", std::string(kTemplate).substr(0, 300), "", 0, ""},
        {"two roots", "junk after document element", "<a></a><b></b>", "", 0, ""},
        {"undeclared entity", "undefined entity", "<a>&nbsp;</a>", "", 0, ""},
        {"nul byte", "invalid token", std::string("<a>x\0y</a>", 10), "", 0, ""},
        {"billion laughs", "document type", laughs, "", 0, ""},
        {"quadratic blow-up", "document type",
         "<!DOCTYPE x [<!ENTITY a \"" + std::string(50000, 'a') + "\">]><x>", "&a;", 50000, "</x>"},
        {"parameter-entity bomb", "document type",
         "<!DOCTYPE x [<!ENTITY % a \"aaaaaaaaaaaaaaaaaaaa\">"
         "<!ENTITY % b \"%a;%a;%a;%a;%a;%a;%a;%a;%a;%a;%a;%a;%a;%a;%a;%a;\">"
         "<!ENTITY % c \"%b;%b;%b;%b;%b;%b;%b;%b;%b;%b;%b;%b;%b;%b;%b;%b;\">"
         "<!ENTITY % d \"%c;%c;%c;%c;%c;%c;%c;%c;%c;%c;%c;%c;%c;%c;%c;%c;\">"
         "<!ENTITY e \"%d;%d;%d;%d;%d;%d;%d;%d;\">]><x>&e;</x>",
         "", 0, ""},
        {"external entity", "document type",
         "<!DOCTYPE x [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><x>&e;</x>", "", 0, ""},
        {"external dtd", "document type", "<!DOCTYPE x SYSTEM \"file:///etc/passwd\"><x>&e;</x>",
         "", 0, ""},
        {"100000-deep nesting", "nested too deeply", "", "<a>", 100000, ""},
        {"50000 attributes", "too many attributes", "", "", 0, ""},  // filled in below
        {"a million elements", "too many elements", "<a>", "<b/>", 1000000, "</a>"},
        {"10 MB text node", "text too long", "<a>", std::string(1 << 20, 't'), 10, "</a>"},
        {"invalid utf-8", "invalid token",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xC3\x28</a>", "", 0, ""},
        {"overlong utf-8", "invalid token", "<a>\xC0\xAF</a>", "", 0, ""},
        {"utf-8 surrogate", "invalid token", "<a>\xED\xA0\x80</a>", "", 0, ""},
        {"utf-16 declared on 8-bit bytes", "encoding specified in XML declaration is incorrect",
         "<?xml version=\"1.0\" encoding=\"UTF-16\"?><a/>", "", 0, ""},
        {"latin-1 declared after a utf-8 bom", "contradicts",
         "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a/>", "", 0, ""},
        {"unknown encoding", "unknown encoding",
         "<?xml version=\"1.0\" encoding=\"x-klingon\"?><a/>", "", 0, ""},
    };
    for (Case& c : cases) {
        if (std::string(c.label) == "50000 attributes") {
            std::string attributes;
            for (int i = 0; i < 50000; ++i)
                attributes += " a" + std::to_string(i) + "=\"v\"";
            c.head = "<a" + attributes + "/>";
        }
    }

    platform::ScopedDebugCapture capture;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        capture.Clear();
        const std::string path = WriteFile("hostile.xml", c.head, c.middle, c.repeat, c.tail);
        CXMLTree tree(NewNode("Previous", "", "", nullptr));
        CXMLTreeNode* previous = tree.GetRoot();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(CTemplateFactory::LoadXML(path.c_str(), &tree));
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_LT(elapsed, kTimeLimit);
#ifndef __SANITIZE_ADDRESS__  // the sanitizer's own bookkeeping dwarfs the figure
        const long extra = PeakExtraKiB([&] {
            CXMLTree scratch;
            CTemplateFactory::LoadXML(path.c_str(), &scratch);
        });
        EXPECT_GE(extra, 0);
        EXPECT_LT(extra, 64 * 1024);
#endif
        EXPECT_EQ(tree.GetRoot(), previous);  // no partial tree, nothing replaced
        EXPECT_TRUE(capture.Contains(c.reason)) << capture.text();
        EXPECT_FALSE(capture.Contains("root:"));  // /etc/passwd was never read
        std::remove(path.c_str());
    }
}

TEST(XMLParseLimits, EachLimitHoldsAtItsBoundary) {
    struct Case {
        const char* label;
        std::size_t XMLParseLimits::*limit;
        std::size_t value;
        std::string fits;
        std::string exceeds;
        const char* reason;
    } cases[] = {
        {"depth", &XMLParseLimits::maxDepth, 3, "<a><b><c/></b></a>", "<a><b><c><d/></c></b></a>",
         "nested too deeply"},
        {"attributes", &XMLParseLimits::maxAttributes, 2, "<a x='1' y='2'/>",
         "<a x='1' y='2' z='3'/>", "too many attributes"},
        {"attribute text", &XMLParseLimits::maxAttributeBytes, 11, "<a x='1' y='2'/>",
         "<a x='1' y='23'/>", "attribute text too long"},
        {"text", &XMLParseLimits::maxTextBytes, 4, "<a>12<b/>34</a>", "<a>12<b/>345</a>",
         "text too long"},
        {"elements", &XMLParseLimits::maxNodes, 2, "<a><b/></a>", "<a><b/><c/></a>",
         "too many elements"},
        {"tree memory", &XMLParseLimits::maxTreeBytes, 4096, "<a>" + std::string(200, 'x') + "</a>",
         "<a><![CDATA[" + std::string(1000, '&') + "]]></a>", "document too large"},
        {"input", &XMLParseLimits::maxInputBytes, 11, "<a>1234</a>", "<a>12345</a>",
         "document too large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        XMLParseLimits limits;
        limits.*c.limit = c.value;
        {
            XMLTreeBuilder builder(XMLTreeBuilder::Input::kDocument, limits);
            builder.Feed(c.fits.data(), c.fits.size());
            std::unique_ptr<CXMLTreeNode> root(builder.Finish());
            EXPECT_NE(root, nullptr) << builder.Error();
        }
        XMLTreeBuilder builder(XMLTreeBuilder::Input::kDocument, limits);
        builder.Feed(c.exceeds.data(), c.exceeds.size());
        EXPECT_EQ(builder.Finish(), nullptr);
        EXPECT_NE(builder.Error().find(c.reason), std::string::npos) << builder.Error();
    }
}

TEST_F(TemplateFactoryTest, FilesThatCannotBeReadFail) {
    CXMLTree tree;
    EXPECT_FALSE(CTemplateFactory::LoadXML((dir_ + "/missing.xml").c_str(), &tree));
    EXPECT_FALSE(CTemplateFactory::LoadXML(dir_.c_str(), &tree));  // a folder
    const std::string fifo = dir_ + "/fifo.xml";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(CTemplateFactory::LoadXML(fifo.c_str(), &tree));  // must not block
    EXPECT_FALSE(CTemplateFactory::LoadXML(nullptr, &tree));
    EXPECT_FALSE(CTemplateFactory::LoadXML(WriteFile("ok.xml", "<a/>").c_str(), nullptr));
    EXPECT_EQ(tree.GetRoot(), nullptr);
}

// A template is saved with an ISO-8859-1 declaration, where names cannot use
// character references: whatever opens must save and reopen identically, so
// names above U+00FF are refused at open with a reason naming them.
TEST_F(TemplateFactoryTest, NamesATemplateCannotStoreAreRefusedAtOpen) {
    const std::string latin1 = kLatin1Declaration;
    // Latin-1 text as UTF-16LE with its byte-order mark.
    auto Utf16 = [](std::string_view latin1Text) {
        std::string out = "\xFF\xFE";
        for (char c : latin1Text) {
            out += c;
            out += '\0';
        }
        return out;
    };
    struct Case {
        const char* label;
        std::string bytes;
        bool opens;
    } cases[] = {
        {"Latin-1 letters in names", latin1 + "<Caf\xE9 \xE9t\xE9=\"1\"><x/></Caf\xE9>", true},
        {"UTF-8 Latin-1 letters in names", "<Caf\xC3\xA9 a=\"\xE2\x82\xAC\"/>", true},
        {"Windows-1252 S caron in an element name", latin1 + "<\x8Aign/>", false},
        {"Windows-1252 oe in an attribute name", latin1 + "<x c\x9Cur=\"1\"/>", false},
        {"UTF-8 Greek element name", "<a><\xCE\xA9/></a>", false},
        // Accepted in UTF-16 names but not in Latin-1 ones, so not read back.
        {"UTF-16 ordinal indicator in an attribute name", Utf16("<a \xAA=\"1\"/>"), false},
        {"UTF-16 micro sign in an element name", Utf16("<\xB5s/>"), false},
        {"UTF-16 Latin-1 letter in an element name", Utf16("<\xE9t\xE9/>"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        CXMLTree tree;
        std::string error;
        const std::string path = WriteFile("names.xml", c.bytes);
        ASSERT_EQ(CTemplateFactory::LoadXML(path.c_str(), &tree, &error), c.opens ? TRUE : FALSE);
        if (!c.opens) {
            EXPECT_NE(error.find("cannot store"), std::string::npos) << error;
            EXPECT_EQ(tree.GetRoot(), nullptr);
            continue;
        }
        tree.SetTopTag(kLatin1Declaration);
        const std::string saved = Xml(tree);
        ASSERT_FALSE(saved.empty());
        CXMLTree again;
        ASSERT_TRUE(CTemplateFactory::LoadXML(WriteFile("again.xml", saved).c_str(), &again));
        again.SetTopTag(kLatin1Declaration);
        EXPECT_EQ(Xml(again), saved);
    }
    // Pasted areas are saved with the template too.
    CXMLTree pasted;
    EXPECT_FALSE(CTemplateFactory::LoadToolListXMLString("<Group><\xCE\xA9/></Group>", &pasted));
    EXPECT_TRUE(CTemplateFactory::LoadToolListXMLString("<Group><\xC3\xA9/></Group>", &pasted));
}

TEST_F(TemplateFactoryTest, FailedOpensSayWhy) {
    const std::string fifo = dir_ + "/pipe.xml";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        const char* reason;
    } cases[] = {
        {dir_ + "/missing.xml", "No such file"},
        {fifo, "not a regular file"},
        {WriteFile("broken.xml", "<a><b></a>"), "line 1: mismatched tag"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        CXMLTree tree;
        std::string error;
        EXPECT_FALSE(CTemplateFactory::LoadXML(c.path.c_str(), &tree, &error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(ToolListText, GroupsBecomeChildrenOfAToolListRoot) {
    const char* text =
        "<Group>\n\t<Tool>\n\t\t<Name>Text</Name>\n\t</Tool>\n</Group>\n"
        "<Group>\n\t<Tool><Name>Image</Name></Tool>\n\t<Tool><Name>Text</Name></Tool>\n</Group>";
    CXMLTree tree;
    ASSERT_TRUE(CTemplateFactory::LoadToolListXMLString(text, &tree));
    CXMLTreeNode* root = tree.GetRoot();
    char name[64];
    root->GetName(name, sizeof name);
    EXPECT_STREQ(name, "ToolList");
    ASSERT_EQ(root->GetNumChildren(), 2);
    EXPECT_EQ(root->GetFirstChild()->GetNumChildren(), 1);
    EXPECT_EQ(root->GetFirstChild()->GetNextSibling()->GetNumChildren(), 2);
    EXPECT_EQ(Content(root->GetFirstChild()->GetFirstChild()->FindName("Name")), "Text");

    // Loading again replaces the root.
    ASSERT_TRUE(CTemplateFactory::LoadToolListXMLString("", &tree));
    EXPECT_EQ(tree.GetRoot()->GetNumChildren(), 0);
}

TEST(ToolListText, TextsThatAreNotAToolListFail) {
    const char* refused[] = {
        "<Group>",                                   // unclosed
        "<Group></Tool>",                            // mismatched
        "</ToolList><ToolList>",                     // tries to leave the wrapper
        "</ToolList><!--",                           // likewise
        "<?xml version=\"1.0\"?><Group/>",           // a declaration is not content
        "<!DOCTYPE x [<!ENTITY a \"b\">]><Group/>",  // no DTD
        "<Group>&e;</Group>",                        // undeclared entity
        "<Group>\xC3\x28</Group>",                   // invalid UTF-8
    };
    platform::ScopedDebugCapture capture;
    for (const char* text : refused) {
        SCOPED_TRACE(text);
        CXMLTree tree(NewNode("Previous", "", "", nullptr));
        CXMLTreeNode* previous = tree.GetRoot();
        EXPECT_FALSE(CTemplateFactory::LoadToolListXMLString(text, &tree));
        EXPECT_EQ(tree.GetRoot(), previous);
    }
    CXMLTree tree;
    EXPECT_FALSE(CTemplateFactory::LoadToolListXMLString(nullptr, &tree));
}

TEST(ToolListText, ClipboardRoundTrip) {
    // The clipboard text is written with an empty top tag; the part from the
    // first Group is read back as a tool list.
    CXMLTreeNode* root = NewNode("ClipboardXML", "", "", nullptr);
    NewNode("Width", "", "1200.000000", root);
    CXMLTreeNode* group = NewNode("Group", "", "", root);
    CXMLTreeNode* tool = NewNode("Tool", "", "", group);
    NewNode("Name", "", "Text", tool);
    NewStringNode("Text", "\xE2\x82\xAC & more", tool);
    CXMLTree clip(root);
    clip.SetTopTag("");
    const std::string text = Xml(clip);
    const std::size_t from = text.find("<Group>");
    const std::size_t to = text.find("</ClipboardXML>");
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    CXMLTree tree;
    ASSERT_TRUE(
        CTemplateFactory::LoadToolListXMLString(text.substr(from, to - from).c_str(), &tree));
    CXMLTreeNode* readTool = tree.GetRoot()->FindName("Group")->FindName("Tool");
    ASSERT_NE(readTool, nullptr);
    EXPECT_EQ(Content(readTool->FindName("String")), "\xE2\x82\xAC & more");
}

}  // namespace
