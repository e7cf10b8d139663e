#include "tests/support/AsciiWide.h"

namespace testsupport {

std::vector<SQLWCHAR> asciiWide(const char* text) {
  std::vector<SQLWCHAR> result;
  for (; *text != '\0'; ++text) result.push_back(static_cast<SQLWCHAR>(*text));
  result.push_back(0);
  return result;
}

}  // namespace testsupport
