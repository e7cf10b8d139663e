#pragma once
// The application that loaded the driver, as the trace and the server's client type name it.
#include <string>

namespace platform {

// name: the executable's file name without its directory. version: its file version as four
// numbers joined by "." (Windows version resource), "" when it has none and always on POSIX.
void readHostApplication(std::string& name, std::string& version);

}  // namespace platform
