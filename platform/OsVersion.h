#pragma once
// The operating system and processor the driver runs on, as the trace's "// OS: " line shows them.
#include <string>

namespace platform {

// Windows: "Windows " + major.minor.build; POSIX: the kernel's name and release ("Linux 6.1.0").
// "(unknown version)" follows the system's name when the version cannot be read.
std::string osVersionText();

inline const char* platformName() { return "x86_64"; }

// The major version of Windows (0 elsewhere), and whether a visual theme is active: the
// registry's "ThemeActive" under the current user's ThemeManager reads "1" (never elsewhere).
unsigned osMajorVersion();
bool visualThemeActive();

}  // namespace platform
