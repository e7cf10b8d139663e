#pragma once
// The driver's own UTF-16 <-> UTF-8 codec, used by every wide entry point. UTF-8 follows
// RFC 3629. Neither direction reads past the given length or the first NUL; a lone or cut
// surrogate, and invalid or cut UTF-8 (one U+FFFD per maximal ill-formed subpart), become U+FFFD.
#include <cstddef>
#include <string>

#include "platform/Odbc.h"
#include "platform/Utf16.h"

constexpr char32_t replacementCharacter = 0xFFFD;

using platform::isHighSurrogate;
using platform::isLowSurrogate;
using platform::isSurrogate;

// The code point of a high and a low surrogate.
constexpr char32_t combineSurrogates(char32_t high, char32_t low) {
  return 0x10000 + ((high & 0x3FF) << 10 | (low & 0x3FF));
}

// UTF-16 units a code point takes: 2, a surrogate pair, above U+FFFF.
constexpr std::size_t utf16UnitsOf(char32_t codePoint) { return codePoint >= 0x10000 ? 2 : 1; }

// Writes the code point's utf16UnitsOf units at `out`; answers how many.
template <typename Unit>
std::size_t encodeUtf16(char32_t codePoint, Unit* out) {
  if (codePoint < 0x10000) {
    out[0] = static_cast<Unit>(codePoint);
    return 1;
  }
  out[0] = static_cast<Unit>(0xD800 | (codePoint - 0x10000) >> 10);
  out[1] = static_cast<Unit>(0xDC00 | ((codePoint - 0x10000) & 0x3FF));
  return 2;
}

struct Utf8Character {
  char32_t codePoint;
  std::size_t bytes;
};

// The character that starts the `available` (at least 1) bytes. An ill-formed sequence gives
// U+FFFD and consumes its maximal subpart (at least one byte); a NUL byte is character 0.
Utf8Character nextUtf8Character(const char* text, std::size_t available);

// UTF-16 units the `length` bytes of UTF-8 decode to, NUL bytes included.
std::size_t utf16LengthOfUtf8(const char* text, std::size_t length);

// Units before the NUL.
std::size_t utf16Length(const SQLWCHAR* text);

// New NUL-terminated UTF-8 copy of `length` units (SQL_NTS: up to the NUL; any other negative
// length: empty), allocated with malloc for the caller to free. A null text gives null and a
// length of -1; a failed allocation gives null and leaves the length alone. The length out-value
// (may be null) is the byte count without the NUL.
char* encodeUtf16AsUtf8(const SQLWCHAR* text, SQLINTEGER length, SQLUINTEGER* byteLength);
char* utf16ToUtf8(const SQLWCHAR* text, SQLINTEGER length, SQLINTEGER* byteLength);
char* utf16ToUtf8Int(const SQLWCHAR* text, SQLINTEGER length, SQLUINTEGER* byteLength);

// Decodes `length` bytes (negative: up to the NUL) into `buffer`. With capacity > 0 the buffer
// always ends in a NUL: the text is cut to capacity-1 units when it needs more, never between
// the two halves of a surrogate pair. A null buffer or capacity <= 0 only counts. Answers the
// units the whole text needs, without the NUL; 0 for a null text.
SQLINTEGER decodeUtf8ToUtf16(const char* text, SQLINTEGER length, SQLWCHAR* buffer,
                             SQLINTEGER capacity);
SQLINTEGER utf8ToUtf16(const char* text, SQLINTEGER length, SQLWCHAR* buffer, SQLINTEGER capacity);
SQLINTEGER utf8StringToUtf16(const std::string& text, SQLWCHAR* buffer, SQLINTEGER capacity);
