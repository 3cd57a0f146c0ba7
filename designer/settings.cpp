#include "designer/settings.h"

#include <cmath>
#include <cstring>

#include "designer/strings.h"
#include "framework/designer_keys.h"
#include "framework/plugin_managers.h"
#include "framework/reg_key_pair.h"
#include "platform/registry.h"

using namespace platform;

namespace {

void PutInt(std::vector<BYTE>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<BYTE>(v >> (8 * i)));
}
std::uint32_t GetInt(const std::vector<BYTE>& in, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
    return v;
}
void PutDouble(std::vector<BYTE>& out, double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, 8);
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<BYTE>(bits >> (8 * i)));
}
double GetDouble(const std::vector<BYTE>& in, std::size_t at) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= static_cast<std::uint64_t>(in[at + i]) << (8 * i);
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

HKEY OpenUserKey(REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, designer_keys::kKey, 0, access, &key) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

std::optional<std::vector<BYTE>> ReadRaw(const char* name, DWORD wantType) {
    HKEY key = OpenUserKey(KEY_READ);
    if (!key)
        return std::nullopt;
    DWORD type = 0, size = 0;
    std::optional<std::vector<BYTE>> result;
    if (RegQueryValueEx(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == wantType) {
        std::vector<BYTE> data(size);
        if (RegQueryValueEx(key, name, nullptr, &type, data.data(), &size) == ERROR_SUCCESS) {
            data.resize(size);
            result = std::move(data);
        }
    }
    RegCloseKey(key);
    return result;
}

bool WriteRaw(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, designer_keys::kKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                       KEY_WRITE | KEY_READ, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    bool ok = RegSetValueEx(key, name, 0, type, data, size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

}  // namespace

std::vector<BYTE> EncodePlacement(const WindowPlacement& p) {
    std::vector<BYTE> out;
    for (std::uint32_t v : {p.length, p.flags, p.showCmd, static_cast<std::uint32_t>(p.minX),
                            static_cast<std::uint32_t>(p.minY), static_cast<std::uint32_t>(p.maxX),
                            static_cast<std::uint32_t>(p.maxY), static_cast<std::uint32_t>(p.left),
                            static_cast<std::uint32_t>(p.top), static_cast<std::uint32_t>(p.right),
                            static_cast<std::uint32_t>(p.bottom)}) {
        PutInt(out, v);
    }
    return out;
}

std::optional<WindowPlacement> DecodePlacement(const std::vector<BYTE>& data) {
    if (data.size() != kPlacementSize || GetInt(data, 0) != kPlacementSize)
        return std::nullopt;
    WindowPlacement p;
    p.length = GetInt(data, 0);
    p.flags = GetInt(data, 4);
    p.showCmd = GetInt(data, 8);
    p.minX = static_cast<std::int32_t>(GetInt(data, 12));
    p.minY = static_cast<std::int32_t>(GetInt(data, 16));
    p.maxX = static_cast<std::int32_t>(GetInt(data, 20));
    p.maxY = static_cast<std::int32_t>(GetInt(data, 24));
    p.left = static_cast<std::int32_t>(GetInt(data, 28));
    p.top = static_cast<std::int32_t>(GetInt(data, 32));
    p.right = static_cast<std::int32_t>(GetInt(data, 36));
    p.bottom = static_cast<std::int32_t>(GetInt(data, 40));
    return p;
}

WindowPlacement PlacementToRestore(WindowPlacement p) {
    if (p.showCmd == kShowMinimized || p.showCmd == kMinimize)
        p.showCmd = kShowNormal;
    return p;
}

std::vector<BYTE> EncodeGridDim(const PaperSize& grid) {
    std::vector<BYTE> out;
    PutDouble(out, grid.width);
    PutDouble(out, grid.height);
    PutInt(out, static_cast<std::uint32_t>(grid.unit));
    PutInt(out, 0);
    return out;
}

std::optional<PaperSize> DecodeGridDim(const std::vector<BYTE>& data) {
    if (data.size() != kGridDimSize)
        return std::nullopt;
    PaperSize grid;
    grid.width = GetDouble(data, 0);
    grid.height = GetDouble(data, 8);
    grid.unit = static_cast<int>(GetInt(data, 16));
    // A damaged value must not give the page a grid it cannot draw.
    if (!std::isfinite(grid.width) || !std::isfinite(grid.height) || grid.width < 0 ||
        grid.height < 0 || !IsValidUnit(grid.unit)) {
        return std::nullopt;
    }
    return grid;
}

std::vector<BYTE> EncodePaneSizes(const PaneSizes& s) {
    std::vector<BYTE> out;
    for (const auto& pair : {s.horizontal, s.vertical, s.floating}) {
        PutInt(out, static_cast<std::uint32_t>(pair[0]));
        PutInt(out, static_cast<std::uint32_t>(pair[1]));
    }
    return out;
}

std::optional<PaneSizes> DecodePaneSizes(const std::vector<BYTE>& data) {
    if (data.size() != kPaneSizesSize)
        return std::nullopt;
    PaneSizes s;
    std::array<std::int32_t, 2>* pairs[] = {&s.horizontal, &s.vertical, &s.floating};
    for (int i = 0; i < 3; ++i) {
        (*pairs[i])[0] = static_cast<std::int32_t>(GetInt(data, i * 8));
        (*pairs[i])[1] = static_cast<std::int32_t>(GetInt(data, i * 8 + 4));
    }
    return s;
}

namespace user_settings {

std::optional<DWORD> ReadDWord(const char* name) {
    auto raw = ReadRaw(name, REG_DWORD);
    if (!raw || raw->size() != 4)
        return std::nullopt;
    return GetInt(*raw, 0);
}

std::optional<std::string> ReadString(const char* name) {
    auto raw = ReadRaw(name, REG_SZ);
    if (!raw)
        return std::nullopt;
    std::string s(raw->begin(), raw->end());
    std::size_t zero = s.find('\0');
    if (zero != std::string::npos)
        s.resize(zero);
    return s;
}

std::optional<std::vector<BYTE>> ReadBinary(const char* name) {
    return ReadRaw(name, REG_BINARY);
}

bool WriteDWord(const char* name, DWORD value) {
    return WriteRaw(name, REG_DWORD, &value, sizeof value);
}

bool WriteString(const char* name, const std::string& value) {
    return WriteRaw(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

bool WriteBinary(const char* name, const std::vector<BYTE>& data) {
    return WriteRaw(name, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
}

bool KeyExists() {
    HKEY key = OpenUserKey(KEY_READ);
    if (!key)
        return false;
    RegCloseKey(key);
    return true;
}

std::string ReadFolder(const char* name) {
    RegKeyPair pair(designer_keys::kKey, HKEY_LOCAL_MACHINE, HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER,
                    HKEY_CURRENT_USER);
    char buffer[261] = {};
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    if (pair.ReadValue(name, buffer, &size, &type) != ERROR_SUCCESS || type != REG_SZ)
        return {};
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

}  // namespace user_settings

void EditingSettings::Load(CPageStyleManager& manager, std::string& currentPrinter) {
    using namespace user_settings;
    if (auto v = ReadDWord("UseGrid"))
        manager.UseGrid = *v;
    if (auto v = ReadDWord("GridVisible"))
        manager.GridVisible = *v;
    if (auto raw = ReadBinary("GridDim")) {
        if (auto grid = DecodeGridDim(*raw))
            manager.gridDim = *grid;
    }
    if (auto v = ReadDWord("ShowZOrder"))
        manager.toolManager.ShowZOrder = *v;
    if (auto v = ReadString("CurrentPrinter"))
        currentPrinter = v->substr(0, 260);
    if (auto v = ReadDWord("UseMargin"))
        manager.UseMargin = *v;
    if (auto v = ReadDWord("ShowMargin"))
        manager.ShowMargin = *v;
}

void EditingSettings::Save(const CPageStyleManager& manager, const std::string& currentPrinter) {
    using namespace user_settings;
    WriteDWord("UseGrid", manager.UseGrid);
    WriteDWord("GridVisible", manager.GridVisible);
    WriteBinary("GridDim", EncodeGridDim(manager.gridDim));
    WriteDWord("ShowZOrder", manager.toolManager.ShowZOrder);
    WriteString("CurrentPrinter", currentPrinter);
    WriteDWord("UseMargin", manager.UseMargin);
    WriteDWord("ShowMargin", manager.ShowMargin);
}

std::array<std::string, kRecentCount> LoadRecentTemplates() {
    std::array<std::string, kRecentCount> recent;
    for (int i = 0; i < kRecentCount; ++i) {
        std::string name = "MRU_Template_" + std::to_string(i + 1);
        if (auto v = user_settings::ReadString(name.c_str()))
            recent[i] = v->substr(0, 260);
    }
    return recent;
}

void SaveRecentTemplates(const std::array<std::string, kRecentCount>& recent) {
    for (int i = 0; i < kRecentCount; ++i) {
        std::string name = "MRU_Template_" + std::to_string(i + 1);
        user_settings::WriteString(name.c_str(), recent[i]);
    }
}

void AddRecentTemplate(std::array<std::string, kRecentCount>& recent, const std::string& path) {
    if (path.empty())
        return;
    std::vector<std::string> list{path};
    for (const auto& entry : recent) {
        if (!entry.empty() && entry != path)
            list.push_back(entry);
    }
    for (int i = 0; i < kRecentCount; ++i) {
        recent[i] = i < static_cast<int>(list.size()) ? list[i] : std::string();
    }
}
