#include "core/TextUtilities.h"

#include <cstdio>
#include <cstring>

namespace {

char foldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

int compareNoCase(const char* a, const char* b) {
  if (a == nullptr) a = "";
  if (b == nullptr) b = "";
  const std::size_t lengthA = std::strlen(a);
  const std::size_t lengthB = std::strlen(b);
  if (lengthA != lengthB) return lengthA > lengthB ? 1 : -1;
  return compareNoCaseN(a, b, lengthA);
}

int compareNoCaseN(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (foldCase(a[i]) != foldCase(b[i])) return 1;
    if (a[i] == '\0') break;
  }
  return 0;
}

int compareStringNoCase(const std::string& text, const std::string& other) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto mine = static_cast<signed char>(foldCase(text[i]));
    const auto theirs = static_cast<signed char>(i < other.size() ? foldCase(other[i]) : '\0');
    if (mine != theirs) return mine > theirs ? -1 : 1;
  }
  return 0;
}

const char* findCharOrEnd(const char* s, char c) {
  while (*s != '\0' && *s != c) ++s;
  return s;
}

const char* findChar(const char* s, char c) {
  const char* found = findCharOrEnd(s, c);
  return *found == c ? found : nullptr;
}

std::size_t copyStringBounded(char* destination, const char* source, std::size_t size) {
  const std::size_t length = std::strlen(source);
  if (length < size) {
    std::memcpy(destination, source, length + 1);
    return length;
  }
  if (size > 0) {
    std::memcpy(destination, source, size - 1);
    destination[size - 1] = '\0';
  }
  return size;
}

char* formatIntDecimal(int value, char* buffer, std::size_t size, int) {
  if (size > 0) std::snprintf(buffer, size, "%d", value);
  return buffer;
}

const char* findSubstring(const char* haystack, const char* needle) {
  return std::strstr(haystack, needle);
}

char* tokenizeString(char* s, const char* delimiters, char** save) {
  if (s == nullptr) s = *save;
  if (s == nullptr) return nullptr;
  s += std::strspn(s, delimiters);
  if (*s == '\0') {
    *save = nullptr;
    return nullptr;
  }
  char* end = s + std::strcspn(s, delimiters);
  if (*end == '\0') {
    *save = nullptr;
  } else {
    *end = '\0';
    *save = end + 1;
  }
  return s;
}

std::string stripLineBreaks(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (const char c : text) {
    if (c != '\r' && c != '\n') result += c;
  }
  return result;
}

bool isAsciiSpace(char c) {
  // The "C" locale's spaces, whatever locale the application set.
  return c == ' ' || (c >= '\t' && c <= '\r');
}
