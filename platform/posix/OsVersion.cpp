#include "platform/OsVersion.h"

#include <sys/utsname.h>

namespace platform {

std::string osVersionText() {
  utsname system{};
  if (uname(&system) != 0) return "Linux (unknown version)";
  return std::string(system.sysname) + " " + system.release;
}

unsigned osMajorVersion() { return 0; }

bool visualThemeActive() { return false; }

}  // namespace platform
