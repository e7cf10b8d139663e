#pragma once
// Installer attribute lists in UTF-16: "key=value" entries, each ended by a NUL, the list by an
// empty entry.
#include <string>
#include <utility>
#include <vector>

// The entries of a list up to its empty entry, split at each entry's first "=" (an entry without
// one is all key). A null list has none.
std::vector<std::pair<std::u16string, std::u16string>> attributeEntries(const char16_t* list);

// The same list as a connection string: "key=value;" entries, braced where a value needs it.
std::string attributesAsConnectionString(const char16_t* list);

// The first occurrence of the character in a NUL-terminated text, or null.
const char16_t* findWideChar(const char16_t* text, char16_t character);
