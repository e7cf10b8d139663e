#include "core/Unicode.h"

#include <cstdlib>
#include <cstring>

namespace {

char* appendUtf8(char* out, char32_t c) {
  if (c < 0x80) {
    *out++ = static_cast<char>(c);
  } else if (c < 0x800) {
    *out++ = static_cast<char>(0xC0 | c >> 6);
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out++ = static_cast<char>(0xE0 | c >> 12);
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | c >> 18);
    *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

}  // namespace

Utf8Character nextUtf8Character(const char* text, std::size_t available) {
  const auto byte = [text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return {lead, 1};
  std::size_t length;
  char32_t codePoint;
  // The range the second byte must lie in; it excludes overlong forms, surrogates and values
  // above U+10FFFF.
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {replacementCharacter, 1};
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (i >= available) return {replacementCharacter, i};
    const unsigned char next = byte(i);
    if (next < low || next > high) return {replacementCharacter, i};
    codePoint = codePoint << 6 | (next & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  return {codePoint, length};
}

std::size_t utf16LengthOfUtf8(const char* text, std::size_t length) {
  std::size_t units = 0;
  for (std::size_t at = 0; at < length;) {
    const Utf8Character c = nextUtf8Character(text + at, length - at);
    units += utf16UnitsOf(c.codePoint);
    at += c.bytes;
  }
  return units;
}

std::size_t utf16Length(const SQLWCHAR* text) {
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  return length;
}

char* encodeUtf16AsUtf8(const SQLWCHAR* text, SQLINTEGER length, SQLUINTEGER* byteLength) {
  if (text == nullptr) {
    if (byteLength != nullptr) *byteLength = static_cast<SQLUINTEGER>(-1);
    return nullptr;
  }
  std::size_t units = 0;
  if (length == SQL_NTS) {
    units = utf16Length(text);
  } else if (length > 0) {
    units = static_cast<std::size_t>(length);
  }
  // Three bytes a unit is the most any unit or pair needs.
  char* result = static_cast<char*>(std::malloc(3 * units + 1));
  if (result == nullptr) return nullptr;
  char* out = result;
  for (std::size_t i = 0; i < units && text[i] != 0; ++i) {
    char32_t c = text[i];
    if (isHighSurrogate(c) && i + 1 < units && isLowSurrogate(text[i + 1])) {
      c = combineSurrogates(c, text[i + 1]);
      ++i;
    } else if (isSurrogate(c)) {
      c = replacementCharacter;
    }
    out = appendUtf8(out, c);
  }
  *out = '\0';
  if (byteLength != nullptr) *byteLength = static_cast<SQLUINTEGER>(out - result);
  return result;
}

char* utf16ToUtf8(const SQLWCHAR* text, SQLINTEGER length, SQLINTEGER* byteLength) {
  SQLUINTEGER bytes = 0;
  char* result = encodeUtf16AsUtf8(text, length, &bytes);
  if (byteLength != nullptr && (result != nullptr || text == nullptr)) {
    *byteLength = static_cast<SQLINTEGER>(bytes);
  }
  return result;
}

char* utf16ToUtf8Int(const SQLWCHAR* text, SQLINTEGER length, SQLUINTEGER* byteLength) {
  return encodeUtf16AsUtf8(text, length, byteLength);
}

SQLINTEGER decodeUtf8ToUtf16(const char* text, SQLINTEGER length, SQLWCHAR* buffer,
                             SQLINTEGER capacity) {
  if (text == nullptr) return 0;
  const std::size_t bytes = length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
  // Room for units before the terminator; once a character does not fit, none after it is
  // written either.
  std::size_t room = buffer != nullptr && capacity > 0 ? static_cast<std::size_t>(capacity) - 1 : 0;
  std::size_t written = 0;
  std::size_t needed = 0;
  for (std::size_t at = 0; at < bytes && text[at] != '\0';) {
    const Utf8Character c = nextUtf8Character(text + at, bytes - at);
    at += c.bytes;
    const std::size_t units = utf16UnitsOf(c.codePoint);
    needed += units;
    if (written + units > room) {
      room = written;
      continue;
    }
    written += encodeUtf16(c.codePoint, buffer + written);
  }
  if (buffer != nullptr && capacity > 0) buffer[written] = 0;
  return static_cast<SQLINTEGER>(needed);
}

SQLINTEGER utf8ToUtf16(const char* text, SQLINTEGER length, SQLWCHAR* buffer, SQLINTEGER capacity) {
  return decodeUtf8ToUtf16(text, length, buffer, capacity);
}

SQLINTEGER utf8StringToUtf16(const std::string& text, SQLWCHAR* buffer, SQLINTEGER capacity) {
  return decodeUtf8ToUtf16(text.data(), static_cast<SQLINTEGER>(text.size()), buffer, capacity);
}
