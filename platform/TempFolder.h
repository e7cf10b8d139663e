#pragma once
// The user's folder for temporary files.
#include <string>

namespace platform {

// UTF-8, in its long form, ending in the path separator.
std::string temporaryFolder();

}  // namespace platform
