#pragma once
// The fixed file version of an executable or DLL, read from its version resource.
#include <string>

namespace platform {

// "%d.%d.%d.%d" of the file's version words, or "" when the file has no version resource.
std::string fileVersionText(const char* path);

}  // namespace platform
