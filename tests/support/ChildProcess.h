#pragma once
// Running the tools a test drives (isql, python3, cc) as child processes. POSIX only.
#ifndef _WIN32
#include <string>

namespace testsupport {

// What the shell command wrote to stdout; `status` receives its exit status as pclose gives it.
std::string commandOutput(const std::string& command, int& status);

// The sanitizer runtimes the driver module was built with, as an LD_PRELOAD value, so that a
// host program built without them can load it; empty for a module built without them.
std::string sanitizerPreload(const std::string& module);

}  // namespace testsupport
#endif
