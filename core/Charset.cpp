#include "core/Charset.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <cwchar>

#include "core/TextUtilities.h"
#include "core/Unicode.h"
#include "platform/CodePage.h"

std::uint32_t charsetCode(const std::string& name) {
  if (!name.empty()) {
    if (compareStringNoCase(name, "UTF-8") == 0) return utf8Charset;
    if (compareStringNoCase(name, "LATIN-1") == 0) return latin1Charset;
  }
  const std::uint32_t system = platform::systemCodePage();
  return system == platform::utf8CodePage ? utf8Charset : system;
}

namespace {

struct Moved {
  std::size_t bytes = 0;
  std::size_t characters = 0;
  std::size_t sourceBytes = 0;
  bool cut = false;
};

// UTF-8 into the code page, a bounded run of characters at a time, so that no text needs a
// buffer of its own size and the source bytes behind every written character stay known.
Moved convertUtf8(char* destination, std::size_t room, std::uint32_t codePage, const char* source,
                  std::size_t length) {
  constexpr std::size_t runCharacters = 128;
  char16_t units[2 * runCharacters];
  std::size_t unitsAfter[runCharacters];
  std::size_t sourceAfter[runCharacters];
  Moved moved;
  while (moved.sourceBytes < length) {
    std::size_t characters = 0;
    std::size_t unitCount = 0;
    for (std::size_t at = moved.sourceBytes; characters < runCharacters && at < length;) {
      const Utf8Character c = nextUtf8Character(source + at, length - at);
      at += c.bytes;
      unitCount += encodeUtf16(c.codePoint, units + unitCount);
      unitsAfter[characters] = unitCount;
      sourceAfter[characters] = at;
      ++characters;
    }
    const platform::CodePageOutput out = platform::utf16ToCodePage(
        codePage, units, unitCount, destination + moved.bytes, room - moved.bytes);
    if (!out.ok) return Moved();
    moved.bytes += out.bytes;
    std::size_t taken = 0;
    while (taken < characters && unitsAfter[taken] <= out.units) ++taken;
    moved.characters += taken;
    if (taken > 0) moved.sourceBytes = sourceAfter[taken - 1];
    if (taken < characters) {
      moved.cut = true;
      break;
    }
  }
  return moved;
}

Moved copyBytes(char* destination, std::size_t room, const char* source, std::size_t length) {
  Moved moved;
  moved.cut = length > room;
  moved.bytes = moved.cut ? room : length;
  std::memcpy(destination, source, moved.bytes);
  moved.characters = moved.bytes;
  moved.sourceBytes = moved.bytes;
  return moved;
}

void store(std::uint32_t* out, std::size_t value) {
  if (out != nullptr) *out = static_cast<std::uint32_t>(value);
}

}  // namespace

SQLINTEGER convertUtf8ToCodePage(char* destination, SQLINTEGER destinationLength,
                                 std::uint32_t* truncated, std::uint32_t* outputCharacters,
                                 std::uint32_t* sourceBytesConsumed, std::uint32_t targetCodePage,
                                 const char* source, SQLINTEGER sourceLength,
                                 std::uint32_t textEncoding) {
  store(truncated, 0);
  store(outputCharacters, 0);
  store(sourceBytesConsumed, 0);
  if (source == nullptr) return 0;
  std::size_t length = 0;
  if (sourceLength == SQL_NTS) {
    length = std::strlen(source);
  } else if (sourceLength > 0) {
    length = static_cast<std::size_t>(sourceLength);
  }
  if (destination == nullptr || destinationLength < 1) return static_cast<SQLINTEGER>(length);
  const std::size_t room = static_cast<std::size_t>(destinationLength) - 1;
  const Moved moved = textEncoding == utf8Charset && targetCodePage != utf8Charset
                          ? convertUtf8(destination, room, targetCodePage, source, length)
                          : copyBytes(destination, room, source, length);
  destination[moved.bytes] = '\0';
  store(truncated, moved.cut ? 1 : 0);
  store(outputCharacters, moved.characters);
  store(sourceBytesConsumed, moved.sourceBytes);
  return static_cast<SQLINTEGER>(moved.bytes);
}

std::string convertCodePageToUtf8(const char* text, std::size_t bytes, std::uint32_t codePage) {
  // No code page takes less than a byte for a UTF-16 unit.
  std::u16string wide(bytes, u'\0');
  wide.resize(platform::codePageToUtf16(codePage, text, bytes, &wide[0], wide.size()));
  if (wide.empty()) return std::string(text, bytes);
  SQLINTEGER length = 0;
  const std::unique_ptr<char, decltype(&std::free)> utf8(
      utf16ToUtf8(reinterpret_cast<const SQLWCHAR*>(wide.data()),
                  static_cast<SQLINTEGER>(wide.size()), &length),
      &std::free);
  if (utf8 == nullptr) throw std::bad_alloc();
  return std::string(utf8.get(), static_cast<std::size_t>(length));
}

FittingCharacters countFittingCharacters(const char* text, std::size_t byteLimit,
                                         std::size_t characterLimit) {
  constexpr std::size_t longestCharacter = 6;
  FittingCharacters fitting;
  std::mbstate_t state{};
  while (fitting.characters < characterLimit && text[fitting.bytes] != '\0') {
    std::size_t bytes = std::mbrlen(text + fitting.bytes, longestCharacter, &state);
    if (bytes == static_cast<std::size_t>(-1) || bytes == static_cast<std::size_t>(-2)) {
      bytes = 1;
      state = std::mbstate_t{};
    }
    if (fitting.bytes + bytes > byteLimit) break;
    fitting.bytes += bytes;
    ++fitting.characters;
  }
  return fitting;
}
