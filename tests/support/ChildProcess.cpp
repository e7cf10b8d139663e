#include "tests/support/ChildProcess.h"

#ifndef _WIN32
#include <cstdio>
#include <fstream>
#include <sstream>

namespace testsupport {

std::string commandOutput(const std::string& command, int& status) {
  std::string text;
  status = -1;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  status = pclose(pipe);
  return text;
}

std::string sanitizerPreload(const std::string& module) {
  int status = 0;
  std::istringstream lines(commandOutput("ldd " + module, status));
  std::string preload;
  for (std::string line; std::getline(lines, line);) {
    if (line.find("libasan") == std::string::npos && line.find("libubsan") == std::string::npos) {
      continue;
    }
    const std::size_t arrow = line.find("=> ");
    const std::size_t end = line.find(" (");
    if (arrow == std::string::npos || end == std::string::npos) continue;
    preload += (preload.empty() ? "" : ":") + line.substr(arrow + 3, end - arrow - 3);
  }
  return preload;
}

std::string compileTrace(const std::string& trace, const std::string& replay, int& status) {
  {
    std::ofstream file(replay);
    file << "#include <sql.h>\n#include <sqlext.h>\n#include <sqlucode.h>\nint main(void) {\n";
    std::ifstream lines(trace);
    file << lines.rdbuf() << "return 0; }\n";
  }
  return commandOutput("cc -std=c11 -Werror -fsyntax-only -x c " + replay + " 2>&1", status);
}

}  // namespace testsupport
#endif
