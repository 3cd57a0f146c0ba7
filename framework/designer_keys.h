// The Template Designer's registry key and the names of the values under it
// that more than one module reads: the page styles' and area tools' folders
// (read by the plug-in managers) and the template library's root folder.
#pragma once

namespace designer_keys {

// Under HKEY_LOCAL_MACHINE (install-time settings) and HKEY_CURRENT_USER
// (the user's own).
inline constexpr const char* kKey = "Software\\ZYN Systems\\Corvantis\\Template Designer";

// Folder of the page-style modules (*.pge).
inline constexpr const char* kPageDir = "PageDir";
// Folder of the area-tool modules (*.tol).
inline constexpr const char* kToolDir = "ToolDir";
// Root folder of the template library.
inline constexpr const char* kTemplateDir = "TemplateDir";

}  // namespace designer_keys
