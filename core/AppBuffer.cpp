#include "core/AppBuffer.h"

#include <cstring>
#include <limits>

namespace {

// Copies what fits and answers whether the application got the whole text.
bool copyOut(void* buffer, const char* text, std::size_t length, SQLINTEGER bufferLength,
             bool terminate) {
  if (buffer == nullptr) return false;
  if (bufferLength <= 0) return true;
  const std::size_t room = static_cast<std::size_t>(bufferLength) - (terminate ? 1 : 0);
  const bool cut = length > room;
  const std::size_t copied = cut ? room : length;
  char* out = static_cast<char*>(buffer);
  std::memcpy(out, text, copied);
  if (terminate) out[copied] = '\0';
  return cut;
}

// Reports the full length, as far as the length type reaches.
template <typename Length>
SQLRETURN copyReporting(void* buffer, Length* length, const char* text, std::size_t textLength,
                        SQLINTEGER bufferLength, bool terminate) {
  if (length != nullptr) {
    constexpr std::size_t most = std::numeric_limits<Length>::max();
    *length = static_cast<Length>(textLength < most ? textLength : most);
  }
  return copyOut(buffer, text, textLength, bufferLength, terminate) ? SQL_SUCCESS_WITH_INFO
                                                                    : SQL_SUCCESS;
}

const char* orEmpty(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

SQLRETURN copyToAppBuffer(void* buffer, SQLINTEGER* length, const char* text,
                          SQLINTEGER bufferLength, bool terminate) {
  text = orEmpty(text);
  return copyReporting(buffer, length, text, std::strlen(text), bufferLength, terminate);
}

SQLRETURN copyToAppBufferSmallInt(void* buffer, SQLSMALLINT* length, const char* text,
                                  SQLINTEGER bufferLength, bool terminate) {
  text = orEmpty(text);
  return copyReporting(buffer, length, text, std::strlen(text), bufferLength, terminate);
}

SQLRETURN copyStringToAppBuffer(void* buffer, SQLINTEGER* length, const std::string& text,
                                SQLINTEGER bufferLength, bool terminate) {
  return copyReporting(buffer, length, text.data(), text.size(), bufferLength, terminate);
}

SQLRETURN copyStringToAppBufferSmallInt(void* buffer, SQLSMALLINT* length, const std::string& text,
                                        SQLINTEGER bufferLength, bool terminate) {
  return copyReporting(buffer, length, text.data(), text.size(), bufferLength, terminate);
}

std::string stringFromSqlChars(const void* text, SQLINTEGER length) {
  if (text == nullptr) return std::string();
  const char* chars = static_cast<const char*>(text);
  if (length == SQL_NTS) return std::string(chars);
  if (length < 0) return std::string();
  return std::string(chars, static_cast<std::size_t>(length));
}
