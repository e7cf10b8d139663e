#pragma once
// The driver's version as the build declares it: the four-part VERSION of project() in the
// root CMakeLists.txt (found through KARVOD_SOURCE_DIR); "" when it cannot be read.
#include <string>

namespace testsupport {

std::string projectVersion();

}  // namespace testsupport
