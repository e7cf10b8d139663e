#pragma once
// Text and values handed to and taken from the application's buffers, with ODBC's length
// conventions.
//
// Output copies: a text of L bytes goes into a buffer of B bytes. When it fits (L < B, or L <= B
// without the terminator) it is copied whole, with a NUL when `terminate` is set. Otherwise the
// application gets the first B-1 bytes and a NUL (B bytes without the terminator), and nothing
// when B <= 0. The length pointer, when given, always receives the full length L (the 16-bit forms
// stop at 32767). The result is SQL_SUCCESS_WITH_INFO when a buffer was given and the text did not
// fit in it, else SQL_SUCCESS; the copies post nothing, so callers decide about "01004" (and about
// "HY090" for a negative B). A null buffer only reports the length.
#include <cstring>
#include <string>

#include "platform/Odbc.h"

SQLRETURN copyToAppBuffer(void* buffer, SQLINTEGER* length, const char* text,
                          SQLINTEGER bufferLength, bool terminate);
SQLRETURN copyToAppBufferSmallInt(void* buffer, SQLSMALLINT* length, const char* text,
                                  SQLINTEGER bufferLength, bool terminate);
SQLRETURN copyStringToAppBuffer(void* buffer, SQLINTEGER* length, const std::string& text,
                                SQLINTEGER bufferLength, bool terminate);
SQLRETURN copyStringToAppBufferSmallInt(void* buffer, SQLSMALLINT* length, const std::string& text,
                                        SQLINTEGER bufferLength, bool terminate);

// The application's text of `length` bytes, or up to its NUL for SQL_NTS. A null pointer, and
// any other negative length, give "".
std::string stringFromSqlChars(const void* text, SQLINTEGER length);

// Writes the value at the application's address byte by byte, so that any char array will do
// whatever its alignment; a null address writes nothing.
template <typename T>
void storeAppValue(void* target, T value) {
  if (target != nullptr) std::memcpy(target, &value, sizeof value);
}

// Reads a value from the application's (non-null) address byte by byte, likewise.
template <typename T>
T loadAppValue(const void* source) {
  T value;
  std::memcpy(&value, source, sizeof value);
  return value;
}
