#include "tests/support/ProjectVersion.h"

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace testsupport {

std::string projectVersion() {
  const char* source = std::getenv("KARVOD_SOURCE_DIR");
  if (source == nullptr) return "";
#ifdef _WIN32
  // A Unix path, which Wine reaches through drive Z:.
  std::ifstream file(std::string("Z:") + source + "/CMakeLists.txt");
#else
  std::ifstream file(std::string(source) + "/CMakeLists.txt");
#endif
  std::stringstream content;
  content << file.rdbuf();
  const std::string text = content.str();
  std::smatch match;
  std::regex_search(text, match, std::regex(R"(project\([^)]*VERSION (\d+\.\d+\.\d+\.\d+))"));
  return match.size() > 1 ? match[1].str() : "";
}

}  // namespace testsupport
