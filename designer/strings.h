// The Designer's string table: user-visible texts by their identifiers.
#pragma once

#include <string>

// The text of a string id; empty for an unknown id.
const char* LoadDesignerString(unsigned id);
// Replaces the first "%s" of a text with `arg`.
std::string FormatString(const char* text, const std::string& arg);

// The version shown in the about box.
inline constexpr const char* kDesignerVersion = "2.0.0.609";
