#include "setup/SetupText.h"

#include <vector>

#include "core/Unicode.h"
#include "core/WideText.h"
#ifdef _WIN32
#include "platform/LocalizedStrings.h"
#include "platform/ModuleInfo.h"
#else
#include "setup/posix/CompiledTexts.h"
#endif

std::u16string utf16Text(const std::string& utf8) {
  const std::vector<SQLWCHAR> units = utf16FromUtf8(utf8);
  return std::u16string(units.begin(), units.end() - 1);
}

std::string utf8Text(const std::u16string& utf16) {
  return utf8FromUtf16(reinterpret_cast<const SQLWCHAR*>(utf16.data()), utf16.size());
}

std::u16string wideText(const SQLWCHAR* text) {
  if (!text) return std::u16string();
  return std::u16string(text, text + utf16Length(text));
}

std::u16string localizedText(unsigned id) {
#ifdef _WIN32
  SQLWCHAR buffer[1024];
  const int length = platform::loadLocalizedString(platform::moduleHandle(), id, buffer);
  return std::u16string(buffer, buffer + (length > 0 ? length : 0));
#else
  return compiledText(id);
#endif
}

std::u16string formatText(const std::u16string& pattern,
                          std::initializer_list<std::u16string> arguments) {
  std::u16string result;
  auto next = arguments.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == u'%' && i + 1 < pattern.size() && pattern[i + 1] == u's' &&
        next != arguments.end()) {
      result += *next++;
      ++i;
    } else {
      result += pattern[i];
    }
  }
  return result;
}

std::u16string decimalText(long long value) { return utf16Text(std::to_string(value)); }
