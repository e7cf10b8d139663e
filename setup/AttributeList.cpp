#include "setup/AttributeList.h"

#include "backend/ConnectionStringEntry.h"
#include "setup/SetupText.h"

std::vector<std::pair<std::u16string, std::u16string>> attributeEntries(const char16_t* list) {
  std::vector<std::pair<std::u16string, std::u16string>> entries;
  for (const char16_t* entry = list; entry && *entry;) {
    const std::u16string text(entry);
    const std::size_t equals = text.find(u'=');
    if (equals == std::u16string::npos) {
      entries.emplace_back(text, std::u16string());
    } else {
      entries.emplace_back(text.substr(0, equals), text.substr(equals + 1));
    }
    entry += text.size() + 1;
  }
  return entries;
}

std::string attributesAsConnectionString(const char16_t* list) {
  std::string connectionString;
  for (const auto& entry : attributeEntries(list)) {
    connectionString +=
        connectionStringEntry(utf8Text(entry.first).c_str(), utf8Text(entry.second)) + ";";
  }
  return connectionString;
}

const char16_t* findWideChar(const char16_t* text, char16_t character) {
  for (; *text; ++text) {
    if (*text == character) return text;
  }
  return nullptr;
}
