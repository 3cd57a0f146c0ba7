#include "platform/registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/ascii.h"
#include "platform/debug_output.h"
#include "platform/files.h"
#include "platform/module.h"

namespace platform {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";

using ascii::EqualsNoCase;
using ascii::StartsWithNoCase;

// Names may hold any byte but control characters, which the file format
// cannot carry on one line.
bool ValidName(std::string_view name) {
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

// A key path with single '\' between non-empty names. False for a path with
// a name that may not be stored.
bool NormalizePath(std::string_view in, std::string* out) {
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

std::string JoinKeyPath(const std::string& parent, const std::string& sub) {
    if (parent.empty())
        return sub;
    if (sub.empty())
        return parent;
    return parent + '\\' + sub;
}

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

RegHive::ParseStatus RegHive::Parse(std::string_view text, const std::string& fileName,
                                    const std::string& rootName, RegHive* hive,
                                    std::size_t* badLines) {
    *hive = RegHive();
    std::size_t bad = 0;
    if (badLines != nullptr)
        *badLines = 0;
    auto report = [&](std::size_t line, const char* why) {
        ++bad;
        DebugOutput::Printf("registry: %s:%zu: %s", fileName.c_str(), line, why);
    };

    std::size_t pos = 0, lineNo = 0;
    auto nextLine = [&](std::string_view* line) {
        if (pos >= text.size())
            return false;
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        *line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        return true;
    };
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        pos = 3;

    std::string_view line;
    bool header = false;
    while (nextLine(&line)) {
        std::string_view t = Trim(line);
        if (t.empty())
            continue;
        if (t != kHeader && t != kOldHeader)
            return ParseStatus::kNotAHive;
        header = true;
        break;
    }
    if (!header)
        return ParseStatus::kHive;  // empty text: an empty hive

    const char* shortRoot = ShortRootName(rootName);
    Key* current = nullptr;
    std::string name, str, joined, keyPath;
    std::vector<BYTE> bytes;
    while (nextLine(&line)) {
        std::string_view t = Trim(line);
        if (t.empty() || t[0] == ';')
            continue;
        if (t.find('\0') != std::string_view::npos) {
            report(lineNo, "binary data in a text line");
            continue;
        }
        if (t[0] == '[') {
            current = nullptr;
            if (t.back() != ']') {
                report(lineNo, "key line without a closing ']'");
                continue;
            }
            std::string_view inner = t.substr(1, t.size() - 2);
            if (!inner.empty() && inner[0] == '-') {
                report(lineNo, "a key deletion has no place in a hive file");
                continue;
            }
            std::size_t slash = inner.find('\\');
            std::string_view root = inner.substr(0, slash);
            std::string_view rest =
                slash == std::string_view::npos ? std::string_view() : inner.substr(slash + 1);
            if (!EqualsNoCase(root, rootName) && !EqualsNoCase(root, shortRoot)) {
                report(lineNo, "key outside this hive's root");
                continue;
            }
            if (!NormalizePath(rest, &keyPath)) {
                report(lineNo, "invalid key name");
                continue;
            }
            hive->CreateKey(keyPath);
            current = hive->FindKeyMutable(keyPath);
            continue;
        }
        if (t[0] != '"' && t[0] != '@') {
            report(lineNo, "unrecognised line");
            continue;
        }
        std::size_t valueLine = lineNo;
        std::size_t p = 0;
        if (t[0] == '@') {
            name.clear();
            p = 1;
        } else if (!ParseQuoted(t, p, &name)) {
            report(valueLine, "unterminated value name");
            continue;
        }
        while (p < t.size() && (t[p] == ' ' || t[p] == '\t'))
            ++p;
        if (p >= t.size() || t[p] != '=') {
            report(valueLine, "missing '=' after the value name");
            continue;
        }
        std::string_view data = Trim(t.substr(p + 1));
        // Long hex data continues on the next lines after a trailing '\'.
        if (StartsWithNoCase(data, "hex") && !data.empty() && data.back() == '\\') {
            joined.assign(data.substr(0, data.size() - 1));
            bool complete = false;
            std::string_view more;
            while (true) {
                // A line that starts a key or a value ends a truncated run.
                std::size_t savedPos = pos, savedLine = lineNo;
                if (!nextLine(&more))
                    break;
                std::string_view m = Trim(more);
                if (!m.empty() && (m[0] == '[' || m[0] == '"' || m[0] == '@')) {
                    pos = savedPos;
                    lineNo = savedLine;
                    break;
                }
                if (!m.empty() && m.back() == '\\') {
                    joined.append(m.substr(0, m.size() - 1));
                } else {
                    joined.append(m);
                    complete = true;
                    break;
                }
            }
            if (!complete) {
                report(valueLine, "hex data breaks off");
                continue;
            }
            data = joined;
        }
        if (current == nullptr) {
            report(valueLine, "value outside a valid key");
            continue;
        }
        if (!ValidName(name)) {
            report(valueLine, "invalid value name");
            continue;
        }
        if (!data.empty() && data[0] == '"') {
            std::size_t q = 0;
            if (!ParseQuoted(data, q, &str)) {
                report(valueLine, "unterminated string value");
                continue;
            }
            if (q != data.size()) {
                report(valueLine, "text after the string value");
                continue;
            }
            SetValueIn(*current, name, REG_SZ, std::vector<BYTE>(str.begin(), str.end()));
        } else if (StartsWithNoCase(data, "dword:")) {
            DWORD v = 0;
            if (!ParseHexNumber(Trim(data.substr(6)), &v)) {
                report(valueLine, "bad dword value");
                continue;
            }
            SetValueIn(*current, name, REG_DWORD,
                       {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16),
                        static_cast<BYTE>(v >> 24)});
        } else if (StartsWithNoCase(data, "hex")) {
            DWORD type = REG_BINARY;
            std::string_view body;
            if (StartsWithNoCase(data, "hex:")) {
                body = data.substr(4);
            } else if (StartsWithNoCase(data, "hex(")) {
                std::size_t close = data.find("):");
                if (close == std::string_view::npos ||
                    !ParseHexNumber(data.substr(4, close - 4), &type)) {
                    report(valueLine, "bad hex value type");
                    continue;
                }
                body = data.substr(close + 2);
            } else {
                report(valueLine, "unrecognised value data");
                continue;
            }
            if (!ParseHexBytes(body, &bytes)) {
                report(valueLine, "bad hex value");
                continue;
            }
            if (type == REG_SZ) {
                // Text written as bytes: up to its terminating zero.
                auto zero = std::find(bytes.begin(), bytes.end(), BYTE{0});
                bytes.erase(zero, bytes.end());
            }
            SetValueIn(*current, name, type, bytes);
        } else {
            report(valueLine, "unrecognised value data");
        }
    }
    if (badLines != nullptr)
        *badLines = bad;
    return ParseStatus::kHive;
}

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

// ---------------------------------------------------------------------------
// Hive files

namespace {

struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    long mtimeSec = 0, mtimeNsec = 0, ctimeSec = 0, ctimeNsec = 0;
    bool operator==(const FileId&) const = default;
};

FileId IdOf(const struct stat& st) {
    FileId id;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    id.size = st.st_size;
    id.mtimeSec = st.st_mtim.tv_sec;
    id.mtimeNsec = st.st_mtim.tv_nsec;
    id.ctimeSec = st.st_ctim.tv_sec;
    id.ctimeNsec = st.st_ctim.tv_nsec;
    return id;
}

int HiveIndex(HKEY root) {
    if (root == HKEY_CURRENT_USER)
        return 0;
    if (root == HKEY_LOCAL_MACHINE)
        return 1;
    return -1;
}

HKEY RootOfIndex(int index) {
    return index == 0 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

std::string ParentFolder(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool FolderWritable(const std::string& folder) {
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// The file that a write replaces: the target of a symbolic link, else the
// path itself.
std::string WriteTarget(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr)
        return path;
    std::string target = real;
    std::free(real);
    return target;
}

bool PathWritable(const std::string& hivePath) {
    if (hivePath.empty())
        return false;
    std::string path = WriteTarget(hivePath);
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || IsReadOnly(path))
            return false;
    }
    // The folder, or the nearest parent that exists when folders are missing.
    std::string folder = ParentFolder(path);
    while (::stat(folder.c_str(), &st) != 0 && errno == ENOENT && folder != "/" && folder != ".") {
        folder = ParentFolder(folder);
    }
    return FolderWritable(folder);
}

bool MakeFolders(const std::string& folder, mode_t mode) {
    struct stat st;
    if (::stat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    std::string parent = ParentFolder(folder);
    if (parent != folder && !MakeFolders(parent, mode))
        return false;
    return ::mkdir(folder.c_str(), mode) == 0 || errno == EEXIST;
}

bool ReadWholeFile(int fd, std::string* out) {
    out->clear();
    char buf[65536];
    while (true) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        out->append(buf, static_cast<std::size_t>(n));
    }
}

bool WriteWholeFile(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A name beside the hive for a copy kept aside, not yet in use.
std::string CorruptName(const std::string& path) {
    std::string name = path + ".corrupt";
    for (int i = 1; i < 1000 && FileExists(name); ++i) {
        name = path + ".corrupt." + std::to_string(i);
    }
    return name;
}

// Keeps the file's present text under `copy`: a hard link when the file
// system allows one, else a plain copy.
bool KeepCopy(const std::string& path, const std::string& copy) {
    if (::linkat(AT_FDCWD, path.c_str(), AT_FDCWD, copy.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        return true;
    }
    int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    std::string text;
    bool ok = ReadWholeFile(in, &text);
    ::close(in);
    int out = ok ? ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600) : -1;
    if (out < 0)
        return false;
    ok = WriteWholeFile(out, text) && ::fsync(out) == 0;
    ::close(out);
    return ok;
}

class LockFile {
  public:
    // Takes the hive's advisory lock; errno tells why when it fails.
    explicit LockFile(const std::string& hivePath) {
        fd_ = ::open((hivePath + ".lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0)
            return;
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~LockFile() {
        if (fd_ >= 0)
            ::close(fd_);  // closing releases the lock
    }
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;
    bool ok() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

LONG ErrnoToResult(int err) {
    return (err == EACCES || err == EPERM || err == EROFS) ? ERROR_ACCESS_DENIED : ERROR_CANTWRITE;
}

struct HiveState {
    std::string path;             // the file the contents below came from
    bool known = false;           // contents reflect the file as identified by `id`
    bool exists = false;          // the file was there
    bool corruptInPlace = false;  // not a hive, and it could not be moved aside
    bool hadBadLines = false;     // the last read skipped lines
    mode_t mode = 0;
    FileId id;
    // The file last read or written stays open so that its inode number
    // cannot be reused by a newer file, which keeps the change test sound.
    int heldFd = -1;
    RegHive data;

    void Forget() {
        if (heldFd >= 0)
            ::close(heldFd);
        heldFd = -1;
        known = exists = corruptInPlace = hadBadLines = false;
        id = FileId{};
        data = RegHive();
    }
};

struct Handle {
    int hive;
    std::string path;
    REGSAM access;
};

class RegistryImpl {
  public:
    std::mutex mu;

    // A key handle and a sub-key path below it: the hive, the full key path
    // and the handle's access. `badPath` is the answer for a sub-key path
    // that names no key (with `needSubKey`, also for an empty one).
    LONG ResolveSubKey(HKEY key, const char* subKey, LONG badPath, bool needSubKey, int* hive,
                       std::string* full, REGSAM* access) {
        std::string parent, sub;
        if (LONG r = ResolveHandle(key, hive, &parent, access); r != ERROR_SUCCESS)
            return r;
        if (!NormalizePath(subKey != nullptr ? subKey : "", &sub) || (needSubKey && sub.empty()))
            return badPath;
        *full = JoinKeyPath(parent, sub);
        return ERROR_SUCCESS;
    }

    LONG ResolveHandle(HKEY key, int* hive, std::string* path, REGSAM* access) {
        int root = HiveIndex(key);
        if (root >= 0) {
            *hive = root;
            path->clear();
            *access = KEY_ALL_ACCESS;
            return ERROR_SUCCESS;
        }
        auto it = handles_.find(reinterpret_cast<std::uintptr_t>(key));
        if (key == nullptr || it == handles_.end())
            return ERROR_INVALID_HANDLE;
        *hive = it->second.hive;
        *path = it->second.path;
        *access = it->second.access;
        return ERROR_SUCCESS;
    }

    HKEY NewHandle(int hive, std::string path, REGSAM access) {
        std::uintptr_t id = next_++;
        handles_.emplace(id, Handle{hive, std::move(path), access});
        return reinterpret_cast<HKEY>(id);
    }

    LONG CloseHandle(HKEY key) {
        if (HiveIndex(key) >= 0)
            return ERROR_SUCCESS;
        return handles_.erase(reinterpret_cast<std::uintptr_t>(key)) > 0 ? ERROR_SUCCESS
                                                                         : ERROR_INVALID_HANDLE;
    }

    // Brings the hive up to date with its file. With the lock held, a file
    // that cannot be read gives an error so that it is never overwritten.
    LONG Load(int index, bool locked) {
        HiveState& h = hives_[index];
        std::string path = Registry::HivePath(RootOfIndex(index));
        if (path != h.path) {
            h.Forget();
            h.path = path;
        }
        struct stat st;
        if (path.empty() || ::stat(path.c_str(), &st) != 0) {
            if (!(h.known && !h.exists))
                h.Forget();
            h.known = true;
            return ERROR_SUCCESS;
        }
        if (h.known && h.exists && IdOf(st) == h.id)
            return ERROR_SUCCESS;

        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        std::string text;
        if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !ReadWholeFile(fd, &text)) {
            int err = errno;
            if (fd >= 0)
                ::close(fd);
            DebugOutput::Printf("registry: %s: cannot be read (%s)", path.c_str(),
                                std::strerror(err));
            h.Forget();
            return locked ? ErrnoToResult(err) : ERROR_SUCCESS;
        }
        h.Forget();
        std::size_t bad = 0;
        RegHive::ParseStatus status =
            RegHive::Parse(text, path, Registry::RootName(RootOfIndex(index)), &h.data, &bad);
        h.heldFd = fd;
        h.id = IdOf(st);
        h.mode = st.st_mode & 07777;
        h.known = h.exists = true;
        h.hadBadLines = bad > 0;
        if (status == RegHive::ParseStatus::kNotAHive) {
            h.corruptInPlace = true;
            MoveCorruptAside(index, locked);
        }
        return ERROR_SUCCESS;
    }

    // A file that is not a hive at all is renamed aside, so that nothing is
    // lost and the hive reads as empty. Done under the lock and only while
    // the file is still the one that was read.
    bool MoveCorruptAside(int index, bool locked) {
        HiveState& h = hives_[index];
        std::optional<LockFile> lock;
        if (!locked) {
            lock.emplace(h.path);
            if (!lock->ok()) {
                DebugOutput::Printf(
                    "registry: %s is not a registry hive; it is read as empty "
                    "and left in place",
                    h.path.c_str());
                return false;
            }
        }
        struct stat st;
        if (::stat(h.path.c_str(), &st) != 0 || st.st_dev != h.id.dev || st.st_ino != h.id.ino) {
            // Replaced meanwhile: read the new file next time.
            h.Forget();
            return true;
        }
        std::string aside = CorruptName(h.path);
        if (::rename(h.path.c_str(), aside.c_str()) != 0) {
            DebugOutput::Printf(
                "registry: %s is not a registry hive; it is read as empty and "
                "could not be moved aside (%s)",
                h.path.c_str(), std::strerror(errno));
            return false;
        }
        DebugOutput::Printf(
            "registry: %s is not a registry hive; it was moved to %s and the "
            "hive starts empty",
            h.path.c_str(), aside.c_str());
        h.Forget();
        h.known = true;  // the file is gone now
        return true;
    }

    // Applies one change to the hive as it is on disk now and writes it back.
    // `change` returns a result code and sets `changed` when there is
    // something to write.
    LONG Mutate(int index, const std::function<LONG(RegHive&, bool*)>& change) {
        HKEY root = RootOfIndex(index);
        std::string path = Registry::HivePath(root);
        if (path.empty())
            return ERROR_CANTWRITE;
        if (!PathWritable(path))
            return ERROR_ACCESS_DENIED;
        if (!MakeFolders(ParentFolder(path), index == 0 ? 0700 : 0755)) {
            return ErrnoToResult(errno);
        }
        LockFile lock(path);
        if (!lock.ok())
            return ErrnoToResult(errno);
        LONG r = Load(index, true);
        if (r != ERROR_SUCCESS)
            return r;
        HiveState& h = hives_[index];
        if (h.corruptInPlace && !MoveCorruptAside(index, true))
            return ERROR_CANTWRITE;

        bool changed = false;
        r = change(h.data, &changed);
        if (r != ERROR_SUCCESS || !changed)
            return r;
        r = Commit(index);
        if (r != ERROR_SUCCESS)
            h.Forget();  // memory now differs from the file
        return r;
    }

    LONG Commit(int index) {
        HiveState& h = hives_[index];
        if (h.exists && h.hadBadLines) {
            // Lines that could not be read are dropped by this write; keep the
            // previous text beside the hive.
            std::string aside = CorruptName(h.path);
            if (KeepCopy(h.path, aside)) {
                DebugOutput::Printf(
                    "registry: %s had lines that could not be read; its "
                    "previous text is kept as %s",
                    h.path.c_str(), aside.c_str());
            }
        }
        std::string text = h.data.Write(Registry::RootName(RootOfIndex(index)));
        // A hive that is a symbolic link is replaced at the link's target, so
        // the link stays.
        std::string target = WriteTarget(h.path);
        std::string temp = target + ".tmp.XXXXXX";
        int fd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (fd < 0)
            return ErrnoToResult(errno);
        mode_t mode = h.exists ? h.mode : (index == 0 ? 0600 : 0644);
        struct stat st;
        bool ok = ::fchmod(fd, mode) == 0 && WriteWholeFile(fd, text) && ::fsync(fd) == 0 &&
                  ::rename(temp.c_str(), target.c_str()) == 0;
        if (!ok) {
            int err = errno;
            ::close(fd);
            ::unlink(temp.c_str());
            return ErrnoToResult(err);
        }
        if (h.heldFd >= 0)
            ::close(h.heldFd);
        h.heldFd = fd;
        if (::fstat(fd, &st) == 0) {
            h.id = IdOf(st);
            h.mode = st.st_mode & 07777;
            h.known = h.exists = true;
        } else {
            h.known = false;
        }
        h.hadBadLines = false;
        h.corruptInPlace = false;
        return ERROR_SUCCESS;
    }

    HiveState& hive(int index) { return hives_[index]; }

  private:
    HiveState hives_[2];
    std::unordered_map<std::uintptr_t, Handle> handles_;
    std::uintptr_t next_ = 0x100;
};

// Never destroyed, so that handles closed from static destructors stay safe.
RegistryImpl& Impl() {
    static RegistryImpl* impl = new RegistryImpl;
    return *impl;
}

constexpr REGSAM kWriteAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

}  // namespace

// ---------------------------------------------------------------------------
// Registry

std::string Registry::HivePath(HKEY root) {
    auto env = [](const char* name) -> std::string {
        const char* v = std::getenv(name);
        return v != nullptr ? std::string(v) : std::string();
    };
    if (root == HKEY_LOCAL_MACHINE) {
        std::string path = env("CORVANTIS_MACHINE_REGISTRY");
        if (!path.empty())
            return path;
        // <prefix>/lib/libcvplatform.so → <prefix>/etc/corvantis/machine.reg
        std::string lib = Module::PathOfAddress(reinterpret_cast<const void*>(&RegOpenKeyEx));
        if (lib.empty() || lib.find('/') == std::string::npos) {
            return "/etc/corvantis/machine.reg";
        }
        std::string prefix = ParentFolder(ParentFolder(lib));
        if (prefix == "/")
            prefix.clear();
        return prefix + "/etc/corvantis/machine.reg";
    }
    if (root == HKEY_CURRENT_USER) {
        std::string path = env("CORVANTIS_USER_REGISTRY");
        if (!path.empty())
            return path;
        std::string config = env("XDG_CONFIG_HOME");
        if (config.empty() || config[0] != '/') {
            std::string home = env("HOME");
            if (home.empty()) {
                if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir) {
                    home = pw->pw_dir;
                }
            }
            if (home.empty())
                return std::string();
            config = home + "/.config";
        }
        return config + "/corvantis/user.reg";
    }
    return std::string();
}

bool Registry::IsHiveWritable(HKEY root) {
    return PathWritable(HivePath(root));
}

const char* Registry::RootName(HKEY root) {
    if (root == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (root == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    return "";
}

// ---------------------------------------------------------------------------
// The Win32-style calls

LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD /*options*/, REGSAM samDesired,
                  HKEY* result) {
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;  // a caller that ignores the result code gets no handle
    RegistryImpl& reg = Impl();
    std::lock_guard<std::mutex> guard(reg.mu);
    int hive;
    std::string full;
    REGSAM access;
    if (LONG r = reg.ResolveSubKey(key, subKey, ERROR_FILE_NOT_FOUND, false, &hive, &full, &access);
        r != ERROR_SUCCESS)
        return r;
    reg.Load(hive, false);
    if (reg.hive(hive).data.FindKey(full) == nullptr)
        return ERROR_FILE_NOT_FOUND;
    if ((samDesired & kWriteAccess) && !Registry::IsHiveWritable(RootOfIndex(hive))) {
        return ERROR_ACCESS_DENIED;
    }
    *result = reg.NewHandle(hive, std::move(full), samDesired);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD /*reserved*/, char* /*keyClass*/,
                    DWORD /*options*/, REGSAM samDesired, const void* /*security*/, HKEY* result,
                    DWORD* disposition) {
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;  // a caller that ignores the result code gets no handle
    RegistryImpl& reg = Impl();
    std::lock_guard<std::mutex> guard(reg.mu);
    int hive;
    std::string full;
    REGSAM access;
    if (LONG r =
            reg.ResolveSubKey(key, subKey, ERROR_INVALID_PARAMETER, false, &hive, &full, &access);
        r != ERROR_SUCCESS)
        return r;
    bool writable = Registry::IsHiveWritable(RootOfIndex(hive));
    reg.Load(hive, false);
    if (reg.hive(hive).data.FindKey(full) != nullptr) {
        if ((samDesired & kWriteAccess) && !writable)
            return ERROR_ACCESS_DENIED;
        *result = reg.NewHandle(hive, std::move(full), samDesired);
        if (disposition != nullptr)
            *disposition = REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    }
    if (!(access & KEY_CREATE_SUB_KEY) || !writable)
        return ERROR_ACCESS_DENIED;
    bool created = false;
    LONG r = reg.Mutate(hive, [&](RegHive& data, bool* changed) {
        created = *changed = data.CreateKey(full);
        return ERROR_SUCCESS;
    });
    if (r != ERROR_SUCCESS)
        return r;
    *result = reg.NewHandle(hive, std::move(full), samDesired);
    if (disposition != nullptr) {
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* /*reserved*/, DWORD* type, void* data,
                     DWORD* size) {
    RegistryImpl& reg = Impl();
    std::lock_guard<std::mutex> guard(reg.mu);
    int hive;
    std::string path;
    REGSAM access;
    if (LONG r = reg.ResolveHandle(key, &hive, &path, &access); r != ERROR_SUCCESS)
        return r;
    if (!(access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    if (data != nullptr && size == nullptr)
        return ERROR_INVALID_PARAMETER;
    reg.Load(hive, false);
    const RegHive::Value* v =
        reg.hive(hive).data.FindValue(path, valueName != nullptr ? valueName : "");
    if (v == nullptr)
        return ERROR_FILE_NOT_FOUND;
    std::size_t needed = v->data.size() + (v->type == REG_SZ ? 1 : 0);
    if (needed > 0xFFFFFFFFu)
        return ERROR_MORE_DATA;
    if (type != nullptr)
        *type = v->type;
    if (size == nullptr)
        return ERROR_SUCCESS;
    if (data == nullptr) {
        *size = static_cast<DWORD>(needed);
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = static_cast<DWORD>(needed);
        return ERROR_MORE_DATA;
    }
    if (!v->data.empty())
        std::memcpy(data, v->data.data(), v->data.size());
    if (v->type == REG_SZ)
        static_cast<BYTE*>(data)[v->data.size()] = 0;
    *size = static_cast<DWORD>(needed);
    return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY key, const char* valueName, DWORD /*reserved*/, DWORD type,
                   const void* data, DWORD size) {
    RegistryImpl& reg = Impl();
    std::lock_guard<std::mutex> guard(reg.mu);
    int hive;
    std::string path;
    REGSAM access;
    if (reg.ResolveHandle(key, &hive, &path, &access) != ERROR_SUCCESS ||
        !(access & KEY_SET_VALUE)) {
        return ERROR_CANTWRITE;
    }
    std::string name = valueName != nullptr ? valueName : "";
    if (!ValidName(name) || (data == nullptr && size > 0))
        return ERROR_INVALID_PARAMETER;
    const BYTE* bytes = static_cast<const BYTE*>(data);
    std::vector<BYTE> value;
    if (type == REG_SZ) {
        std::size_t n = size > 0 ? ::strnlen(reinterpret_cast<const char*>(bytes), size) : 0;
        value.assign(bytes, bytes + n);
    } else {
        if (type == REG_DWORD && size != 4)
            return ERROR_INVALID_PARAMETER;
        if (size > 0)
            value.assign(bytes, bytes + size);
    }
    return reg.Mutate(hive, [&](RegHive& hiveData, bool* changed) {
        const RegHive::Value* old = hiveData.FindValue(path, name);
        if (old != nullptr && old->type == type && old->data == value)
            return ERROR_SUCCESS;
        hiveData.SetValue(path, name, type, std::move(value));
        *changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValue(HKEY key, const char* valueName) {
    RegistryImpl& reg = Impl();
    std::lock_guard<std::mutex> guard(reg.mu);
    int hive;
    std::string path;
    REGSAM access;
    if (reg.ResolveHandle(key, &hive, &path, &access) != ERROR_SUCCESS ||
        !(access & KEY_SET_VALUE)) {
        return ERROR_CANTWRITE;
    }
    std::string name = valueName != nullptr ? valueName : "";
    return reg.Mutate(hive, [&](RegHive& hiveData, bool* changed) {
        *changed = hiveData.DeleteValue(path, name);
        return *changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegDeleteKey(HKEY key, const char* subKey) {
    RegistryImpl& reg = Impl();
    std::lock_guard<std::mutex> guard(reg.mu);
    int hive;
    std::string full;
    REGSAM access;
    if (LONG r =
            reg.ResolveSubKey(key, subKey, ERROR_INVALID_PARAMETER, true, &hive, &full, &access);
        r != ERROR_SUCCESS)
        return r;
    if (!(access & kWriteAccess) || !Registry::IsHiveWritable(RootOfIndex(hive))) {
        return ERROR_ACCESS_DENIED;
    }
    return reg.Mutate(hive, [&](RegHive& data, bool* changed) {
        if (data.FindKey(full) == nullptr)
            return ERROR_FILE_NOT_FOUND;
        if (data.HasSubKeys(full))
            return ERROR_ACCESS_DENIED;
        *changed = data.DeleteKey(full);
        return ERROR_SUCCESS;
    });
}

LONG RegCloseKey(HKEY key) {
    RegistryImpl& reg = Impl();
    std::lock_guard<std::mutex> guard(reg.mu);
    return reg.CloseHandle(key);
}

}  // namespace platform
