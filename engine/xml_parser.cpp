#include "engine/xml_parser.h"

#include <expat.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#include "engine/xml_text.h"

namespace {

constexpr const char kWindows1252[] = "windows-1252";
// How much of the document start is examined for a BOM and the declaration.
constexpr std::size_t kPrologBytes = 1024;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view Trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsSpace(s[b]))
        ++b;
    while (e > b && IsSpace(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

int XMLCALL UnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
    if (name == nullptr || !xmltext::IsLatin1Name(name))
        return XML_STATUS_ERROR;
    for (int i = 0; i < 256; ++i) {
        info->map[i] =
            static_cast<int>(xmltext::Windows1252ToUnicode(static_cast<unsigned char>(i)));
    }
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

}  // namespace

struct XMLTreeBuilder::Impl {
    struct Open {
        CXMLTreeNode* node;
        std::string text;     // content collected so far
        std::string pending;  // text since the last child
        bool hasChildren = false;
    };

    XMLTreeBuilder* owner;
    Input input;
    XMLParseLimits limits;
    XML_Parser parser = nullptr;
    std::string prolog;  // document start held until the encoding is known
    bool failed = false;
    bool finished = false;
    std::size_t inputBytes = 0;
    std::size_t treeBytes = 0;
    std::size_t nodes = 0;
    CXMLTreeNode* root = nullptr;
    std::vector<Open> open;

    Impl(XMLTreeBuilder* o, Input in, const XMLParseLimits& l) : owner(o), input(in), limits(l) {}

    ~Impl() {
        if (parser != nullptr)
            XML_ParserFree(parser);
        delete root;
    }

    void Fail(const std::string& reason) {
        if (failed)
            return;
        failed = true;
        std::string where;
        if (parser != nullptr) {
            where = "line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ": ";
            XML_StopParser(parser, XML_FALSE);
        }
        owner->error_ = where + reason;
    }

    bool Charge(std::size_t bytes) {
        treeBytes += bytes;
        if (treeBytes > limits.maxTreeBytes) {
            Fail("document too large");
            return false;
        }
        return true;
    }

    // Creates the expat parser once the start of the document is known.
    bool Start() {
        const char* encoding = nullptr;
        if (input == Input::kUtf8Text) {
            encoding = "UTF-8";
        } else {
            std::string_view head = prolog;
            const bool utf8Bom = head.substr(0, 3) == "\xEF\xBB\xBF";
            if (utf8Bom)
                head.remove_prefix(3);
            const std::string declared = xmltext::DeclaredEncoding(head);
            if (utf8Bom && !declared.empty() && xmltext::IsLatin1Name(declared)) {
                Fail("the encoding declaration contradicts the UTF-8 byte-order mark");
                return false;
            }
            // Latin-1 is read as its superset Windows-1252, as browsers do,
            // so files made on Windows keep their euro signs and curly quotes.
            if (!utf8Bom && xmltext::IsLatin1Name(declared))
                encoding = kWindows1252;
        }
        parser = XML_ParserCreate(encoding);
        if (parser == nullptr) {
            Fail("out of memory");
            return false;
        }
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &Impl::OnStart, &Impl::OnEnd);
        XML_SetCharacterDataHandler(parser, &Impl::OnText);
        XML_SetStartDoctypeDeclHandler(parser, &Impl::OnDoctype);
        XML_SetEntityDeclHandler(parser, &Impl::OnEntityDecl);
        XML_SetExternalEntityRefHandler(parser, &Impl::OnExternalEntity);
        XML_SetUnknownEncodingHandler(parser, &UnknownEncoding, nullptr);
        XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
#ifdef XML_DTD
        XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser, 10.0f);
        XML_SetBillionLaughsAttackProtectionActivationThreshold(parser, 1u << 20);
#endif
        return true;
    }

    bool Parse(const char* data, std::size_t size, bool final) {
        if (failed)
            return false;
        while (true) {
            // Expat takes an int length; feed very large buffers in pieces.
            const std::size_t piece = size > (1u << 30) ? (1u << 30) : size;
            const bool last = final && piece == size;
            if (XML_Parse(parser, data, static_cast<int>(piece), last ? XML_TRUE : XML_FALSE) !=
                XML_STATUS_OK) {
                if (!failed)
                    Fail(XML_ErrorString(XML_GetErrorCode(parser)));
                return false;
            }
            if (failed)
                return false;
            data += piece;
            size -= piece;
            if (size == 0)
                return true;
        }
    }

    static Impl* Self(void* data) {
        return static_cast<Impl*>(data);
    }

    static void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*,
                                  int) {
        Self(data)->Fail("document type declarations are not accepted");
    }

    static void XMLCALL OnEntityDecl(void* data, const XML_Char*, int, const XML_Char*, int,
                                     const XML_Char*, const XML_Char*, const XML_Char*,
                                     const XML_Char*) {
        Self(data)->Fail("entity declarations are not accepted");
    }

    static int XMLCALL OnExternalEntity(XML_Parser parser, const XML_Char*, const XML_Char*,
                                        const XML_Char*, const XML_Char*) {
        Self(XML_GetUserData(parser))->Fail("external entities are not read");
        return XML_STATUS_ERROR;
    }

    static void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** atts) {
        Impl* self = Self(data);
        if (self->failed)
            return;
        try {
            self->StartElement(name, atts);
        } catch (const std::bad_alloc&) {
            self->Fail("out of memory");
        }
    }

    static void XMLCALL OnEnd(void* data, const XML_Char*) {
        Impl* self = Self(data);
        if (self->failed)
            return;
        try {
            self->EndElement();
        } catch (const std::bad_alloc&) {
            self->Fail("out of memory");
        }
    }

    static void XMLCALL OnText(void* data, const XML_Char* s, int len) {
        Impl* self = Self(data);
        if (self->failed || self->open.empty() || len <= 0)
            return;
        Open& top = self->open.back();
        if (top.text.size() + top.pending.size() + static_cast<std::size_t>(len) >
            self->limits.maxTextBytes) {
            self->Fail("element text too long");
            return;
        }
        if (!self->Charge(static_cast<std::size_t>(len)))
            return;
        try {
            top.pending.append(s, static_cast<std::size_t>(len));
        } catch (const std::bad_alloc&) {
            self->Fail("out of memory");
        }
    }

    void StartElement(const XML_Char* name, const XML_Char** atts) {
        if (open.size() >= limits.maxDepth) {
            Fail("elements nested too deeply");
            return;
        }
        if (++nodes > limits.maxNodes) {
            Fail("too many elements");
            return;
        }
        std::size_t count = 0;
        while (atts[2 * count] != nullptr)
            ++count;
        if (count > limits.maxAttributes) {
            Fail("too many attributes");
            return;
        }
        if (limits.latin1NamesOnly) {
            auto storable = [this](const XML_Char* n) {
                if (xmltext::IsValidName(n))
                    return true;
                Fail(std::string("the name \"") + n +
                     "\" uses a character that a template file cannot store");
                return false;
            };
            if (!storable(name))
                return;
            for (std::size_t i = 0; i < count; ++i) {
                if (!storable(atts[2 * i]))
                    return;
            }
        }
        std::string attributes;
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0)
                attributes += ' ';
            attributes += atts[2 * i];
            attributes += "=\"";
            attributes += xmltext::ToMarkup(atts[2 * i + 1], true);
            attributes += '"';
            if (attributes.size() > limits.maxAttributeBytes) {
                Fail("attribute text too long");
                return;
            }
        }
        CXMLTreeNode* node = MakeNode(name, std::move(attributes));
        if (node == nullptr) {
            Fail("out of memory");
            return;
        }
        if (open.empty()) {
            root = node;
        } else {
            Open& parent = open.back();
            parent.node->AddChild(node);
            parent.text += Trim(parent.pending);
            parent.pending.clear();
            parent.hasChildren = true;
        }
        if (!Charge(NodeBytes(node)))
            return;
        open.push_back({node, {}, {}, false});
    }

    void EndElement() {
        if (open.empty())
            return;
        Open& top = open.back();
        if (top.hasChildren) {
            top.text += Trim(top.pending);
        } else {
            top.text = std::move(top.pending);
        }
        std::string markup = xmltext::ToMarkup(top.text, false);
        if (markup.size() > top.text.size() && !Charge(markup.size() - top.text.size()))
            return;
        SetContent(top.node, std::move(markup));
        open.pop_back();
    }
};

CXMLTreeNode* XMLTreeBuilder::MakeNode(std::string name, std::string attributes) {
    return new (std::nothrow) CXMLTreeNode(std::move(name), std::move(attributes), {});
}

void XMLTreeBuilder::SetContent(CXMLTreeNode* node, std::string content) {
    node->content_ = std::move(content);
}

std::size_t XMLTreeBuilder::NodeBytes(const CXMLTreeNode* node) {
    // The node's own block plus allocator overhead, and the heap blocks of
    // strings too long to be held inside the string object.
    auto heap = [](const std::string& s) {
        return s.capacity() > std::string().capacity() ? s.capacity() + 1 : 0;
    };
    return sizeof(CXMLTreeNode) + 16 + heap(node->name_) + heap(node->attributes_);
}

XMLTreeBuilder::XMLTreeBuilder(Input input, const XMLParseLimits& limits)
    : impl_(new Impl(this, input, limits)) {}

XMLTreeBuilder::~XMLTreeBuilder() {
    delete impl_;
}

bool XMLTreeBuilder::Feed(const char* data, std::size_t size) {
    Impl& d = *impl_;
    if (d.failed)
        return false;
    if (d.finished) {
        d.Fail("document already finished");
        return false;
    }
    if (data == nullptr && size > 0) {
        d.Fail("no data");
        return false;
    }
    d.inputBytes += size;
    if (d.inputBytes > d.limits.maxInputBytes) {
        d.Fail("document too large");
        return false;
    }
    if (d.parser != nullptr)
        return d.Parse(data, size, false);
    try {
        d.prolog.append(data, size);
    } catch (const std::bad_alloc&) {
        d.Fail("out of memory");
        return false;
    }
    if (d.input == Input::kDocument && d.prolog.size() < kPrologBytes &&
        d.prolog.find("?>") == std::string::npos) {
        return true;  // wait for the end of the declaration
    }
    if (!d.Start())
        return false;
    std::string held = std::move(d.prolog);
    d.prolog.clear();
    return d.Parse(held.data(), held.size(), false);
}

CXMLTreeNode* XMLTreeBuilder::Finish() {
    Impl& d = *impl_;
    if (d.finished)
        return nullptr;
    d.finished = true;
    if (!d.failed) {
        bool ok;
        if (d.parser == nullptr) {
            ok = d.Start() && d.Parse(d.prolog.data(), d.prolog.size(), true);
        } else {
            ok = d.Parse(nullptr, 0, true);
        }
        if (ok && (d.root == nullptr || !d.open.empty()))
            d.Fail("no complete element");
    }
    if (d.failed) {
        d.open.clear();
        delete d.root;
        d.root = nullptr;
        return nullptr;
    }
    CXMLTreeNode* root = d.root;
    d.root = nullptr;
    return root;
}

CXMLTreeNode* ParseXMLDocument(const char* data, std::size_t size, std::string* error) {
    XMLTreeBuilder builder;
    builder.Feed(data, size);
    CXMLTreeNode* root = builder.Finish();
    if (root == nullptr && error != nullptr)
        *error = builder.Error();
    return root;
}
