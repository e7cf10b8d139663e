#pragma once
// Charset codes and the conversion of server text into the application's code page.
//
// A charset code is a Windows code page number, except 1: the driver's own tag for UTF-8, which
// is never handed to the system. 1252 is Windows Latin-1.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Odbc.h"

constexpr std::uint32_t utf8Charset = 1;
constexpr std::uint32_t latin1Charset = 1252;

// Any non-empty beginning of "UTF-8" (ignoring case) gives 1, of "LATIN-1" gives 1252; anything
// else, the empty name included, gives the system's code page (1 where that is UTF-8).
std::uint32_t charsetCode(const std::string& name);

// Moves `sourceLength` bytes of text (SQL_NTS: up to the NUL) in the `textEncoding` charset into
// `destination`. UTF-8 text bound for another code page is converted; any other pairing is
// copied as it is. What does not fit in destinationLength-1 bytes is cut after the last whole
// character (after the last byte when copying), the result is NUL-terminated and `truncated`
// is set. Answers the bytes written; with a null destination or destinationLength < 1 nothing is
// written and the answer is the source length. Out-values (each may be null): `truncated`, the
// characters written (`outputCharacters`), the source bytes they came from
// (`sourceBytesConsumed`; a piecewise read continues there).
SQLINTEGER convertUtf8ToCodePage(char* destination, SQLINTEGER destinationLength,
                                 std::uint32_t* truncated, std::uint32_t* outputCharacters,
                                 std::uint32_t* sourceBytesConsumed, std::uint32_t targetCodePage,
                                 const char* source, SQLINTEGER sourceLength,
                                 std::uint32_t textEncoding);

// The `bytes` bytes of text in `codePage` as UTF-8, NULs included. Text of a code page the system
// does not know is answered as it is.
std::string convertCodePageToUtf8(const char* text, std::size_t bytes, std::uint32_t codePage);

struct FittingCharacters {
  std::size_t bytes = 0;
  std::size_t characters = 0;
};

// How many whole characters of the NUL-terminated multibyte text (the C library's current
// locale, at most 6 bytes a character) fit within both limits, and the bytes they take. A byte
// that starts no valid character counts as one character.
FittingCharacters countFittingCharacters(const char* text, std::size_t byteLimit,
                                         std::size_t characterLimit);
