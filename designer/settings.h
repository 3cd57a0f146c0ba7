// The Designer's own settings in the current user's hive, with the binary
// layouts of the window placement, the grid step and the pane sizes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/units.h"
#include "platform/types.h"

class CPageStyleManager;

// Show commands of a window placement.
inline constexpr std::uint32_t kShowNormal = 1;
inline constexpr std::uint32_t kShowMinimized = 2;
inline constexpr std::uint32_t kShowMaximized = 3;
inline constexpr std::uint32_t kMinimize = 6;

// The frame's placement: the 44-byte record of "WindowPosition" (length
// field 44, flags, show command, minimised position, maximised position,
// normal rectangle; all 32-bit, little-endian).
struct WindowPlacement {
    std::uint32_t length = 44;
    std::uint32_t flags = 0;
    std::uint32_t showCmd = kShowNormal;
    std::int32_t minX = -1, minY = -1;
    std::int32_t maxX = -1, maxY = -1;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;

    bool operator==(const WindowPlacement&) const = default;
};
inline constexpr std::size_t kPlacementSize = 44;
std::vector<BYTE> EncodePlacement(const WindowPlacement& p);
// Nullopt unless the data is 44 bytes with the length field 44.
std::optional<WindowPlacement> DecodePlacement(const std::vector<BYTE>& data);
// A placement saved while minimised reopens normal.
WindowPlacement PlacementToRestore(WindowPlacement p);

// "GridDim": width and height (64-bit floats, 1/100 mm), unit code (32-bit),
// 4 bytes of padding.
inline constexpr std::size_t kGridDimSize = 24;
std::vector<BYTE> EncodeGridDim(const PaperSize& grid);
// Nullopt unless the data is 24 bytes holding finite, non-negative lengths.
std::optional<PaperSize> DecodeGridDim(const std::vector<BYTE>& data);

// "ControlBar-<id>": three (width, height) pairs of 32-bit integers, for
// docked horizontally, docked vertically and floating.
struct PaneSizes {
    std::array<std::int32_t, 2> horizontal{200, 150};
    std::array<std::int32_t, 2> vertical{200, 150};
    std::array<std::int32_t, 2> floating{200, 150};
    bool operator==(const PaneSizes&) const = default;
};
inline constexpr std::size_t kPaneSizesSize = 24;
std::vector<BYTE> EncodePaneSizes(const PaneSizes& s);
std::optional<PaneSizes> DecodePaneSizes(const std::vector<BYTE>& data);

// Values of the Designer's key in the user's hive. Reads open the key each
// time and give nullopt when the key or value is missing or of another type;
// writes create the key when it is missing.
namespace user_settings {
std::optional<DWORD> ReadDWord(const char* name);
std::optional<std::string> ReadString(const char* name);
std::optional<std::vector<BYTE>> ReadBinary(const char* name);
bool WriteDWord(const char* name, DWORD value);
bool WriteString(const char* name, const std::string& value);
bool WriteBinary(const char* name, const std::vector<BYTE>& data);
// Whether the Designer's key exists in the user's hive.
bool KeyExists();
// A string of the Designer's key read machine first, then user ("PageDir",
// "ToolDir", "TemplateDir"); empty when missing.
std::string ReadFolder(const char* name);
}  // namespace user_settings

// The shared editing settings, read at frame creation ("UseGrid",
// "GridVisible", "GridDim", "ShowZOrder", "CurrentPrinter", "UseMargin",
// "ShowMargin", in that order) and written at frame destruction. A value
// that cannot be read keeps what `manager` holds.
struct EditingSettings {
    static void Load(CPageStyleManager& manager, std::string& currentPrinter);
    static void Save(const CPageStyleManager& manager, const std::string& currentPrinter);
};

// The recent templates "MRU_Template_1" ... "MRU_Template_5".
inline constexpr int kRecentCount = 5;
std::array<std::string, kRecentCount> LoadRecentTemplates();
void SaveRecentTemplates(const std::array<std::string, kRecentCount>& recent);
// Puts `path` at the top, removing an equal entry further down.
void AddRecentTemplate(std::array<std::string, kRecentCount>& recent, const std::string& path);
