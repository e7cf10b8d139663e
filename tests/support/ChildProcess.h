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

// The driver's trace file checked as the C it is written as: wrapped between the ODBC headers with
// `int main(void) {` and `return 0; }` in `replay`, given to `cc -std=c11 -Werror -fsyntax-only`.
// Answers the compiler's messages; `status` receives its exit status.
std::string compileTrace(const std::string& trace, const std::string& replay, int& status);

}  // namespace testsupport
#endif
