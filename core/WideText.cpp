#include "core/WideText.h"

#include <cstdlib>
#include <limits>

#include "core/Unicode.h"

std::string utf8FromUtf16(const SQLWCHAR* text, std::size_t units) {
  if (text == nullptr || units == 0) return std::string();
  constexpr std::size_t most = std::numeric_limits<SQLINTEGER>::max() / 4;
  SQLINTEGER bytes = 0;
  char* utf8 = utf16ToUtf8(text, static_cast<SQLINTEGER>(units < most ? units : most), &bytes);
  if (utf8 == nullptr) return std::string();
  std::string result(utf8, static_cast<std::size_t>(bytes));
  std::free(utf8);
  return result;
}

std::vector<SQLWCHAR> utf16FromUtf8(const std::string& text) {
  SQLINTEGER units = utf8StringToUtf16(text, nullptr, 0);
  std::vector<SQLWCHAR> result(static_cast<std::size_t>(units) + 1);
  utf8StringToUtf16(text, result.data(), static_cast<SQLINTEGER>(result.size()));
  return result;
}
