#include "core/AttributeString.h"

#include <cstddef>
#include <limits>
#include <type_traits>
#include <vector>

#include "core/WideText.h"

namespace {

constexpr std::size_t unbounded = std::numeric_limits<std::size_t>::max();

// The text of one call, narrow or UTF-16, with its form decided.
template <typename Char>
struct Text {
  const Char* data = nullptr;
  std::size_t size = 0;
  bool attributeList = false;
};

template <typename Char>
char32_t unit(Char c) {
  return static_cast<char32_t>(static_cast<std::make_unsigned_t<Char>>(c));
}

char32_t upper(char32_t c) { return c >= U'a' && c <= U'z' ? c - (U'a' - U'A') : c; }

template <typename Char>
std::size_t lengthToNul(const Char* text, std::size_t limit) {
  std::size_t length = 0;
  while (length < limit && text[length] != 0) ++length;
  return length;
}

template <typename Char>
Text<Char> textOfLength(const Char* text, std::size_t length) {
  const std::size_t first = lengthToNul(text, length);
  bool list = first < length;
  for (std::size_t i = 0; list && i < first; ++i) list = text[i] != ';';
  return {text, list ? length : first, list};
}

template <typename Char>
Text<Char> textOf(const Char* text, SQLINTEGER length) {
  if (text == nullptr || (length < 0 && length != SQL_NTS)) return {};
  if (length == SQL_NTS) return {text, lengthToNul(text, unbounded), false};
  return textOfLength(text, static_cast<std::size_t>(length));
}

template <typename Char, typename PrefixChar>
bool startsWithNoCase(const Char* text, std::size_t length, const PrefixChar* prefix,
                      std::size_t prefixLength) {
  if (length < prefixLength) return false;
  for (std::size_t i = 0; i < prefixLength; ++i) {
    if (upper(unit(text[i])) != upper(unit(prefix[i]))) return false;
  }
  return true;
}

bool isBlank(char32_t c) { return c == U' ' || c == U'\t'; }

// Where the entry's key begins and ends, blanks around it left out, and where its value begins
// (one past the "="); false for an entry without "=".
template <typename Char>
bool splitEntry(const Char* entry, std::size_t length, std::size_t& keyBegin,
                std::size_t& keyEnd, std::size_t& valueBegin) {
  std::size_t equals = 0;
  while (equals < length && entry[equals] != '=') ++equals;
  if (equals == length) return false;
  keyBegin = 0;
  while (keyBegin < equals && isBlank(unit(entry[keyBegin]))) ++keyBegin;
  keyEnd = equals;
  while (keyEnd > keyBegin && isBlank(unit(entry[keyEnd - 1]))) --keyEnd;
  valueBegin = equals + 1;
  return true;
}

template <typename Char, typename KeyChar>
bool keyMatches(const Char* key, std::size_t length, const KeyChar* other, std::size_t otherLength) {
  return length == otherLength && startsWithNoCase(key, length, other, otherLength);
}

// The keys whose values no writer may show: the trace, the logs, the messages and what the
// installer stores.
constexpr const char* secretKeys[] = {"PWD", "PASSWORD"};

template <typename Char>
bool isSecret(const Char* key, std::size_t length) {
  for (const char* secret : secretKeys) {
    if (keyMatches(key, length, secret, lengthToNul(secret, unbounded))) return true;
  }
  return false;
}

// Index of the closing brace of the braced value that opens at text[open], or `size` when it is
// not closed; "}}" is an escaped brace, not the end.
template <typename Char>
std::size_t closingBrace(const Char* text, std::size_t open, std::size_t size) {
  for (std::size_t i = open + 1; i < size; ++i) {
    if (text[i] != '}') continue;
    if (i + 1 < size && text[i + 1] == '}') {
      ++i;
      continue;
    }
    return i;
  }
  return size;
}

// End (the ";" or the text's end) of the connection-string entry that starts at `begin`.
template <typename Char>
std::size_t entryEnd(const Char* text, std::size_t begin, std::size_t size) {
  std::size_t i = begin;
  while (i < size && text[i] != '=' && text[i] != ';') ++i;
  if (i + 1 < size && text[i] == '=' && text[i + 1] == '{') i = closingBrace(text, i + 1, size);
  while (i < size && text[i] != ';') ++i;
  return i;
}

// Calls visit(entry, length) for each non-empty entry in order until it answers true.
template <typename Char, typename Visit>
void forEachEntry(const Text<Char>& text, Visit visit) {
  std::size_t at = 0;
  while (at < text.size) {
    std::size_t end = 0;
    if (text.attributeList) {
      end = at + lengthToNul(text.data + at, text.size - at);
      if (end == at) return;  // the empty entry ends the list
    } else {
      end = entryEnd(text.data, at, text.size);
    }
    if (end > at && visit(text.data + at, end - at)) return;
    at = end + 1;
  }
}

std::string toUtf8(const char* text, std::size_t length) { return std::string(text, length); }
std::string toUtf8(const SQLWCHAR* text, std::size_t length) {
  return utf8FromUtf16(text, length);
}

// A value written as exactly one braced part loses its braces and its "}}" escapes; any other
// value is answered as written.
template <typename Char>
std::string valueText(const Char* value, std::size_t length, bool stripBraces) {
  if (stripBraces && length >= 2 && value[0] == '{' &&
      closingBrace(value, 0, length) == length - 1) {
    std::vector<Char> inner;
    inner.reserve(length - 2);
    for (std::size_t i = 1; i + 1 < length; ++i) {
      inner.push_back(value[i]);
      if (value[i] == '}') ++i;
    }
    return toUtf8(inner.data(), inner.size());
  }
  return toUtf8(value, length);
}

template <typename Char, typename KeyChar>
std::string findValue(const Text<Char>& text, const KeyChar* keyword) {
  if (keyword == nullptr) return std::string();
  const std::size_t keyLength = lengthToNul(keyword, unbounded);
  const bool driver = keyLength == 6 && startsWithNoCase(keyword, keyLength, "DRIVER", 6);
  std::string value;
  forEachEntry(text, [&](const Char* entry, std::size_t length) {
    std::size_t keyBegin = 0, keyEnd = 0, valueBegin = 0;
    if (!splitEntry(entry, length, keyBegin, keyEnd, valueBegin) ||
        !keyMatches(entry + keyBegin, keyEnd - keyBegin, keyword, keyLength))
      return false;
    value = valueText(entry + valueBegin, length - valueBegin, !driver);
    return true;
  });
  return value;
}

template <typename Char>
std::string joinEntries(const Text<Char>& text, bool maskPasswords) {
  std::string joined;
  forEachEntry(text, [&](const Char* entry, std::size_t length) {
    std::size_t keyBegin = 0, keyEnd = 0, valueBegin = 0;
    if (maskPasswords && splitEntry(entry, length, keyBegin, keyEnd, valueBegin) &&
        isSecret(entry + keyBegin, keyEnd - keyBegin)) {
      for (std::size_t i = keyBegin; i < keyEnd; ++i) joined += static_cast<char>(upper(unit(entry[i])));
      joined += "=****;";
    } else {
      joined += toUtf8(entry, length);
      joined += ';';
    }
    return false;
  });
  return joined;
}

}  // namespace

bool isSecretKey(const std::u16string& key) {
  std::size_t begin = 0, end = key.size();
  while (begin < end && isBlank(key[begin])) ++begin;
  while (end > begin && isBlank(key[end - 1])) --end;
  return isSecret(key.data() + begin, end - begin);
}

std::string attributeValue(const char* text, SQLINTEGER length, const char* keyword) {
  return findValue(textOf(text, length), keyword);
}

std::string connectionStringValue(const std::string& text, const char* keyword) {
  return findValue(textOfLength(text.data(), text.size()), keyword);
}

std::string attributeValueW(const SQLWCHAR* text, SQLINTEGER length, const SQLWCHAR* keyword) {
  return findValue(textOf(text, length), keyword);
}

std::string connectionStringValueUtf8(const std::string& text, const SQLWCHAR* keyword) {
  if (keyword == nullptr) return std::string();
  const std::string utf8Keyword = utf8FromUtf16(keyword, lengthToNul(keyword, unbounded));
  return findValue(textOf(text.c_str(), SQL_NTS), utf8Keyword.c_str());
}

std::string normalizeConnectionString(const char* text, SQLINTEGER length) {
  if (text == nullptr) return std::string();
  if (length == SQL_NTS) return std::string(text);
  return joinEntries(textOf(text, length), false);
}

std::string normalizeConnectionStringW(const SQLWCHAR* text, SQLINTEGER length) {
  if (text == nullptr) return std::string();
  if (length == SQL_NTS) return utf8FromUtf16(text, lengthToNul(text, unbounded));
  return joinEntries(textOf(text, length), false);
}

std::string maskPasswordInConnectionString(const char* text, SQLINTEGER length) {
  return joinEntries(textOf(text, length), true);
}

std::string maskPasswordInConnectionStringW(const SQLWCHAR* text, SQLINTEGER length) {
  return joinEntries(textOf(text, length), true);
}
