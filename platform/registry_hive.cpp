// The in-memory hive and its ".reg" text: keys in tree order with their
// values, the line-by-line parser and the writer.
#include "platform/registry_hive.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/ascii.h"
#include "platform/debug_output.h"

namespace platform {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";

using ascii::EqualsNoCase;
using ascii::StartsWithNoCase;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = ascii::ToLower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool ParseHexNumber(std::string_view s, DWORD* out) {
    if (s.empty() || s.size() > 8)
        return false;
    DWORD v = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0)
            return false;
        v = (v << 4) | static_cast<DWORD>(d);
    }
    *out = v;
    return true;
}

// "01,02,ab" (white space around bytes and one trailing comma allowed).
bool ParseHexBytes(std::string_view s, std::vector<BYTE>* out) {
    out->clear();
    s = Trim(s);
    if (s.empty())
        return true;
    std::size_t pos = 0;
    while (pos <= s.size()) {
        std::size_t end = s.find(',', pos);
        if (end == std::string_view::npos)
            end = s.size();
        std::string_view tok = Trim(s.substr(pos, end - pos));
        if (tok.empty()) {
            // Only a trailing comma may leave an empty place.
            if (end != s.size() || pos == 0)
                return false;
            break;
        }
        if (tok.size() > 2)
            return false;
        int hi = HexDigit(tok[0]);
        int lo = tok.size() == 2 ? HexDigit(tok[1]) : 0;
        if (hi < 0 || lo < 0)
            return false;
        out->push_back(static_cast<BYTE>(tok.size() == 2 ? (hi << 4) | lo : hi));
        pos = end + 1;
    }
    return true;
}

// A quoted text starting at s[pos] == '"'; \\ and \" are escapes. On success
// pos is just past the closing quote.
bool ParseQuoted(std::string_view s, std::size_t& pos, std::string* out) {
    out->clear();
    ++pos;
    while (pos < s.size()) {
        char c = s[pos];
        if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"')) {
            out->push_back(s[pos + 1]);
            pos += 2;
        } else if (c == '"') {
            ++pos;
            return true;
        } else {
            out->push_back(c);
            ++pos;
        }
    }
    return false;
}

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char c : text) {
        if (c == '\\' || c == '"')
            out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

void AppendHexBytes(std::string& out, const BYTE* data, std::size_t n) {
    static const char digits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0)
            out.push_back(',');
        out.push_back(digits[data[i] >> 4]);
        out.push_back(digits[data[i] & 0xF]);
    }
}

const char* ShortRootName(const std::string& rootName) {
    if (EqualsNoCase(rootName, "HKEY_CURRENT_USER"))
        return "HKCU";
    if (EqualsNoCase(rootName, "HKEY_LOCAL_MACHINE"))
        return "HKLM";
    return "";
}

}  // namespace

// ---------------------------------------------------------------------------
// Names and paths

bool RegHive::ValidName(std::string_view name) {
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

bool RegHive::NormalizePath(std::string_view in, std::string* out) {
    out->clear();
    std::size_t pos = 0;
    while (pos <= in.size()) {
        std::size_t end = in.find('\\', pos);
        if (end == std::string_view::npos)
            end = in.size();
        std::string_view part = in.substr(pos, end - pos);
        if (!part.empty()) {
            if (!ValidName(part))
                return false;
            if (!out->empty())
                out->push_back('\\');
            out->append(part);
        }
        pos = end + 1;
    }
    return true;
}

// ---------------------------------------------------------------------------
// RegHive

bool RegHive::PathLess::operator()(const std::string& a, const std::string& b) const {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int ca = a[i] == '\\' ? 0 : static_cast<unsigned char>(a[i]) + 1;
        int cb = b[i] == '\\' ? 0 : static_cast<unsigned char>(b[i]) + 1;
        if (ca != cb)
            return ca < cb;
    }
    return a.size() < b.size();
}

RegHive::RegHive() {
    keys_.emplace(std::string(), Key{});
}

const RegHive::Key* RegHive::FindKey(std::string_view path) const {
    auto it = keys_.find(ascii::Lower(path));
    return it == keys_.end() ? nullptr : &it->second;
}

RegHive::Key* RegHive::FindKeyMutable(std::string_view path) {
    auto it = keys_.find(ascii::Lower(path));
    return it == keys_.end() ? nullptr : &it->second;
}

bool RegHive::CreateKey(std::string_view path) {
    if (path.empty())
        return false;
    bool created = false;
    std::size_t pos = 0;
    while (true) {
        std::size_t end = path.find('\\', pos);
        std::string_view prefix = path.substr(0, end);
        auto [it, inserted] = keys_.try_emplace(ascii::Lower(prefix));
        if (inserted) {
            it->second.path = std::string(prefix);
            created = (end == std::string_view::npos);
        }
        if (end == std::string_view::npos)
            break;
        pos = end + 1;
    }
    return created;
}

bool RegHive::HasSubKeys(std::string_view path) const {
    if (path.empty())
        return keys_.size() > 1;
    std::string lower = ascii::Lower(path);
    auto it = keys_.upper_bound(lower);
    return it != keys_.end() && it->first.size() > lower.size() &&
           it->first.compare(0, lower.size(), lower) == 0 && it->first[lower.size()] == '\\';
}

bool RegHive::DeleteKey(std::string_view path) {
    if (path.empty() || HasSubKeys(path))
        return false;
    return keys_.erase(ascii::Lower(path)) > 0;
}

const RegHive::Value* RegHive::FindValue(std::string_view path, std::string_view name) const {
    const Key* key = FindKey(path);
    if (key == nullptr)
        return nullptr;
    auto it = key->index.find(ascii::Lower(name));
    return it == key->index.end() ? nullptr : &key->values[it->second];
}

void RegHive::SetValueIn(Key& key, std::string_view name, DWORD type, std::vector<BYTE> data) {
    auto [it, inserted] = key.index.try_emplace(ascii::Lower(name), key.values.size());
    if (inserted) {
        key.values.push_back(Value{std::string(name), type, std::move(data)});
    } else {
        Value& v = key.values[it->second];
        v.type = type;
        v.data = std::move(data);
    }
}

void RegHive::SetValue(std::string_view path, std::string_view name, DWORD type,
                       std::vector<BYTE> data) {
    CreateKey(path);
    SetValueIn(*FindKeyMutable(path), name, type, std::move(data));
}

bool RegHive::DeleteValue(std::string_view path, std::string_view name) {
    Key* key = FindKeyMutable(path);
    if (key == nullptr)
        return false;
    auto it = key->index.find(ascii::Lower(name));
    if (it == key->index.end())
        return false;
    std::size_t at = it->second;
    key->values.erase(key->values.begin() + static_cast<std::ptrdiff_t>(at));
    key->index.erase(it);
    for (auto& entry : key->index) {
        if (entry.second > at)
            --entry.second;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Parsing

// Reads hive text line by line: blank lines up to the header, then key
// lines, value lines (with the continuation lines of long hex data) and
// comments, each kind of line in a step of its own. A line that cannot be
// understood is reported to the debug output and skipped.
class RegHiveParser {
  public:
    RegHiveParser(std::string_view text, const std::string& fileName, const std::string& rootName,
                  RegHive* hive)
        : text_(text),
          fileName_(fileName),
          rootName_(rootName),
          shortRoot_(ShortRootName(rootName)),
          hive_(hive) {}

    RegHive::ParseStatus Run(std::size_t* badLines);

  private:
    enum class Header { kFound, kNone, kWrong };

    bool NextLine(std::string_view* line);
    void Report(std::size_t line, const char* why);
    // Skips blank lines up to the first other line, which must be the header.
    Header ReadHeader();
    void Line(std::string_view t);
    // "[ROOT\path]": makes the key current; after a bad key line no key is.
    void KeyLine(std::string_view t);
    // "name"=data or @=data: sets a value of the current key.
    void ValueLine(std::string_view t);
    // The value name into name_ and the data text after '='; the reason when
    // the line does not have that form.
    const char* SplitValueLine(std::string_view t, std::string_view* data);
    // Hex data ending in '\' goes on over the next lines: joins them (without
    // the '\') into joined_. False when the run breaks off; a line that starts
    // a key or a value ends it and is read again as a line of its own.
    bool JoinContinuation(std::string_view first);
    // The value's type and bytes (into bytes_) from its data text; the reason
    // when the data cannot be read.
    const char* ParseData(std::string_view data, DWORD* type);
    const char* ParseStringData(std::string_view data);
    const char* ParseDwordData(std::string_view data);
    const char* ParseHexData(std::string_view data, DWORD* type);

    std::string_view text_;
    const std::string& fileName_;
    const std::string& rootName_;
    const char* shortRoot_;
    RegHive* hive_;
    std::size_t pos_ = 0, lineNo_ = 0, bad_ = 0;
    RegHive::Key* current_ = nullptr;
    // Buffers reused from line to line.
    std::string name_, str_, joined_, keyPath_;
    std::vector<BYTE> bytes_;
};

bool RegHiveParser::NextLine(std::string_view* line) {
    if (pos_ >= text_.size())
        return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos)
        end = text_.size();
    *line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    ++lineNo_;
    return true;
}

void RegHiveParser::Report(std::size_t line, const char* why) {
    ++bad_;
    DebugOutput::Printf("registry: %s:%zu: %s", fileName_.c_str(), line, why);
}

RegHive::ParseStatus RegHiveParser::Run(std::size_t* badLines) {
    *hive_ = RegHive();
    if (badLines != nullptr)
        *badLines = 0;
    if (text_.substr(0, 3) == "\xEF\xBB\xBF")
        pos_ = 3;
    switch (ReadHeader()) {
        case Header::kWrong:
            return RegHive::ParseStatus::kNotAHive;
        case Header::kNone:
            return RegHive::ParseStatus::kHive;  // empty text: an empty hive
        case Header::kFound:
            break;
    }
    std::string_view line;
    while (NextLine(&line))
        Line(Trim(line));
    if (badLines != nullptr)
        *badLines = bad_;
    return RegHive::ParseStatus::kHive;
}

RegHiveParser::Header RegHiveParser::ReadHeader() {
    std::string_view line;
    while (NextLine(&line)) {
        std::string_view t = Trim(line);
        if (t.empty())
            continue;
        return t == kHeader || t == kOldHeader ? Header::kFound : Header::kWrong;
    }
    return Header::kNone;
}

void RegHiveParser::Line(std::string_view t) {
    if (t.empty() || t[0] == ';')
        return;
    if (t.find('\0') != std::string_view::npos) {
        Report(lineNo_, "binary data in a text line");
        return;
    }
    if (t[0] == '[') {
        KeyLine(t);
    } else if (t[0] == '"' || t[0] == '@') {
        ValueLine(t);
    } else {
        Report(lineNo_, "unrecognised line");
    }
}

void RegHiveParser::KeyLine(std::string_view t) {
    current_ = nullptr;
    if (t.back() != ']') {
        Report(lineNo_, "key line without a closing ']'");
        return;
    }
    std::string_view inner = t.substr(1, t.size() - 2);
    if (!inner.empty() && inner[0] == '-') {
        Report(lineNo_, "a key deletion has no place in a hive file");
        return;
    }
    std::size_t slash = inner.find('\\');
    std::string_view root = inner.substr(0, slash);
    std::string_view rest =
        slash == std::string_view::npos ? std::string_view() : inner.substr(slash + 1);
    if (!EqualsNoCase(root, rootName_) && !EqualsNoCase(root, shortRoot_)) {
        Report(lineNo_, "key outside this hive's root");
        return;
    }
    if (!RegHive::NormalizePath(rest, &keyPath_)) {
        Report(lineNo_, "invalid key name");
        return;
    }
    hive_->CreateKey(keyPath_);
    current_ = hive_->FindKeyMutable(keyPath_);
}

void RegHiveParser::ValueLine(std::string_view t) {
    const std::size_t valueLine = lineNo_;
    std::string_view data;
    if (const char* why = SplitValueLine(t, &data)) {
        Report(valueLine, why);
        return;
    }
    if (StartsWithNoCase(data, "hex") && data.back() == '\\') {
        if (!JoinContinuation(data)) {
            Report(valueLine, "hex data breaks off");
            return;
        }
        data = joined_;
    }
    if (current_ == nullptr) {
        Report(valueLine, "value outside a valid key");
        return;
    }
    if (!RegHive::ValidName(name_)) {
        Report(valueLine, "invalid value name");
        return;
    }
    DWORD type = REG_NONE;
    if (const char* why = ParseData(data, &type)) {
        Report(valueLine, why);
        return;
    }
    RegHive::SetValueIn(*current_, name_, type, bytes_);
}

const char* RegHiveParser::SplitValueLine(std::string_view t, std::string_view* data) {
    std::size_t p = 0;
    if (t[0] == '@') {
        name_.clear();
        p = 1;
    } else if (!ParseQuoted(t, p, &name_)) {
        return "unterminated value name";
    }
    while (p < t.size() && (t[p] == ' ' || t[p] == '\t'))
        ++p;
    if (p >= t.size() || t[p] != '=')
        return "missing '=' after the value name";
    *data = Trim(t.substr(p + 1));
    return nullptr;
}

bool RegHiveParser::JoinContinuation(std::string_view first) {
    joined_.assign(first.substr(0, first.size() - 1));
    std::string_view more;
    while (true) {
        // A line that starts a key or a value ends a truncated run.
        std::size_t savedPos = pos_, savedLine = lineNo_;
        if (!NextLine(&more))
            return false;
        std::string_view m = Trim(more);
        if (!m.empty() && (m[0] == '[' || m[0] == '"' || m[0] == '@')) {
            pos_ = savedPos;
            lineNo_ = savedLine;
            return false;
        }
        if (m.empty() || m.back() != '\\') {
            joined_.append(m);
            return true;
        }
        joined_.append(m.substr(0, m.size() - 1));
    }
}

const char* RegHiveParser::ParseData(std::string_view data, DWORD* type) {
    if (!data.empty() && data[0] == '"') {
        *type = REG_SZ;
        return ParseStringData(data);
    }
    if (StartsWithNoCase(data, "dword:")) {
        *type = REG_DWORD;
        return ParseDwordData(data);
    }
    if (StartsWithNoCase(data, "hex"))
        return ParseHexData(data, type);
    return "unrecognised value data";
}

const char* RegHiveParser::ParseStringData(std::string_view data) {
    std::size_t q = 0;
    if (!ParseQuoted(data, q, &str_))
        return "unterminated string value";
    if (q != data.size())
        return "text after the string value";
    bytes_.assign(str_.begin(), str_.end());
    return nullptr;
}

const char* RegHiveParser::ParseDwordData(std::string_view data) {
    DWORD v = 0;
    if (!ParseHexNumber(Trim(data.substr(6)), &v))
        return "bad dword value";
    bytes_ = {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16),
              static_cast<BYTE>(v >> 24)};
    return nullptr;
}

const char* RegHiveParser::ParseHexData(std::string_view data, DWORD* type) {
    *type = REG_BINARY;
    std::string_view body;
    if (StartsWithNoCase(data, "hex:")) {
        body = data.substr(4);
    } else if (StartsWithNoCase(data, "hex(")) {
        std::size_t close = data.find("):");
        if (close == std::string_view::npos || !ParseHexNumber(data.substr(4, close - 4), type))
            return "bad hex value type";
        body = data.substr(close + 2);
    } else {
        return "unrecognised value data";
    }
    if (!ParseHexBytes(body, &bytes_))
        return "bad hex value";
    if (*type == REG_SZ) {
        // Text written as bytes: up to its terminating zero.
        auto zero = std::find(bytes_.begin(), bytes_.end(), BYTE{0});
        bytes_.erase(zero, bytes_.end());
    }
    return nullptr;
}

RegHive::ParseStatus RegHive::Parse(std::string_view text, const std::string& fileName,
                                    const std::string& rootName, RegHive* hive,
                                    std::size_t* badLines) {
    return RegHiveParser(text, fileName, rootName, hive).Run(badLines);
}

// ---------------------------------------------------------------------------
// Writing

std::string RegHive::Write(const std::string& rootName) const {
    std::string out;
    out.reserve(64 + keys_.size() * 64);
    out.append(kHeader);
    out.push_back('\n');
    for (const auto& [lower, key] : keys_) {
        if (key.path.empty() && key.values.empty())
            continue;
        out.append("\n[");
        out.append(rootName);
        if (!key.path.empty()) {
            out.push_back('\\');
            out.append(key.path);
        }
        out.append("]\n");
        for (const Value& v : key.values) {
            if (v.name.empty()) {
                out.push_back('@');
            } else {
                AppendQuoted(out, v.name);
            }
            out.push_back('=');
            if (v.type == REG_SZ) {
                bool plain = std::none_of(v.data.begin(), v.data.end(),
                                          [](BYTE b) { return b < 0x20 || b == 0x7F; });
                if (plain) {
                    AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(v.data.data()),
                                                       v.data.size()));
                } else {
                    // Line breaks and other control characters: the text as
                    // bytes with its terminating zero.
                    out.append("hex(1):");
                    AppendHexBytes(out, v.data.data(), v.data.size());
                    out.append(v.data.empty() ? "00" : ",00");
                }
            } else if (v.type == REG_DWORD && v.data.size() == 4) {
                char buf[16];
                DWORD d = v.data[0] | (DWORD{v.data[1]} << 8) | (DWORD{v.data[2]} << 16) |
                          (DWORD{v.data[3]} << 24);
                std::snprintf(buf, sizeof buf, "dword:%08x", d);
                out.append(buf);
            } else {
                if (v.type == REG_BINARY) {
                    out.append("hex:");
                } else {
                    char buf[24];
                    std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
                    out.append(buf);
                }
                AppendHexBytes(out, v.data.data(), v.data.size());
            }
            out.push_back('\n');
        }
    }
    return out;
}

}  // namespace platform
