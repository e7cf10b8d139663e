#pragma once
// Character and binary values handed to the application in pieces: SQL_C_CHAR, SQL_C_WCHAR and
// SQL_C_BINARY, read by one SQLGetData call after another or whole by a fetch.
//
// Each call fills the buffer up to its terminator (BufferLength-1 bytes, or BufferLength/2-1
// UTF-16 units; binary data fills the buffer), cutting a UTF-8 sequence or a surrogate pair where
// the room ends (text converted to another code page goes in whole characters), and reports the
// length of everything from the piece on in the application's unit: bytes of its code page,
// twice the UTF-16 units, or bytes.
// A piece that leaves some of the value answers "01004". A buffer too small for any data (or no
// buffer) receives nothing, only that length, and the position stays; it, too, answers "01004"
// unless its length is 0, which asks for the length alone.
#include <cstddef>
#include <cstdint>

#include "platform/Odbc.h"
#include "statement/ConversionOutcome.h"

// The charsets the text meets (charset codes, core/Charset.h).
struct TextEncodings {
  std::uint32_t server;       // of the text as the server sent it
  std::uint32_t application;  // SQL_C_CHAR is delivered in; UTF-8 text is converted to it
};

// The application-side length of what a piece left of a value, so that a long value read in
// many pieces is counted once, not once a piece. It belongs to the value's column.
struct PieceRemainder {
  const char* text = nullptr;
  SQLULEN position = 0;
  SQLSMALLINT cType = 0;
  SQLLEN length = 0;
  bool lowHalfDue = false;  // the piece ended in the high half of a surrogate pair
};

// The next piece of the `length` bytes of text. `position` (at most `length`) counts the source
// bytes returned before; it advances by those this piece takes, and becomes length + 1 once the
// whole value has been returned, after which the caller answers SQL_NO_DATA (so an empty value,
// too, is returned exactly once). BufferLength must not be negative.
ConversionOutcome convertPiece(SQLSMALLINT cType, const char* text, std::size_t length,
                               void* target, SQLLEN bufferLength, SQLULEN& position,
                               const TextEncodings& encodings, PieceRemainder& remainder);

// A number, date, time or timestamp as text: ODBC hands it over whole, never in pieces. When the
// text does not fit (BufferLength-1 bytes, BufferLength/2-1 UTF-16 units, BufferLength bytes of
// binary), only the digits of a fraction that ends it may be cut ("1234.5" as "1234", a
// timestamp without its last fractional digits), which answers "01004" with the whole text's
// length; when more would have to go, "22003" and nothing is written. No target or a buffer
// length of 0 only measures, as convertPiece does. Any other answer returns the value whole:
// `position` becomes length + 1.
ConversionOutcome convertValueText(SQLSMALLINT cType, const char* text, std::size_t length,
                                   void* target, SQLLEN bufferLength, SQLULEN& position,
                                   const TextEncodings& encodings, PieceRemainder& remainder);

// The bytes of a `length`-byte value that SQL_ATTR_MAX_LENGTH lets through (0: no limit): at most
// `maxLength`, and for UTF-8 text (`utf8`) no character cut in two.
std::size_t lengthWithinMaximum(const char* text, std::size_t length, SQLULEN maxLength, bool utf8);
