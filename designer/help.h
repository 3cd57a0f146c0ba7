// The user guide the Help command opens when no help file was given with -H.
#pragma once

#include <string>

// The guide installed with the program at `programPath`:
// <prefix>/share/doc/corvantis/user-guide.html for a program in <prefix>/bin.
// "" when that file is not there.
std::string InstalledUserGuide(const std::string& programPath);

// The guide installed with the running program ("" when there is none).
std::string InstalledUserGuide();
