#include "statement/PiecewiseText.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "core/Charset.h"
#include "core/TextUtilities.h"
#include "core/Unicode.h"

namespace {

SQLINTEGER clampedLength(std::size_t length) {
  return static_cast<SQLINTEGER>(
      std::min<std::size_t>(length, std::numeric_limits<SQLINTEGER>::max()));
}

// Bytes or UTF-16 units written and source bytes taken by one piece.
struct Piece {
  std::size_t sourceBytes = 0;
  SQLLEN written = 0;  // in bytes
};

// Fills the room with UTF-16 units. A character of two units that meets the last unit of room
// leaves its high half there (`lowHalfDue` becomes true) and its low half opens the next piece
// (`lowHalfDue` given true): applications such as pyodbc take a cut piece to fill the buffer up to
// its terminator, and one unit left empty would have them misplace the rest of the value.
Piece wideCharacters(const char* text, std::size_t length, void* target, SQLLEN bufferLength,
                     bool& lowHalfDue) {
  const auto room = static_cast<std::size_t>(bufferLength / 2) - 1;
  auto* out = static_cast<unsigned char*>(target);
  std::size_t units = 0;
  Piece piece;
  bool highHalfGone = lowHalfDue;
  lowHalfDue = false;
  // The target needs no alignment: each character goes through a local copy.
  char16_t encoded[2];
  while (piece.sourceBytes < length) {
    const Utf8Character c = nextUtf8Character(text + piece.sourceBytes, length - piece.sourceBytes);
    std::size_t count = encodeUtf16(c.codePoint, encoded);
    const char16_t* from = encoded;
    if (highHalfGone) {
      ++from;
      --count;
    }
    if (units + count > room) {
      if (units < room) {
        std::memcpy(out + 2 * units, from, sizeof(char16_t));
        ++units;
        highHalfGone = true;
      }
      lowHalfDue = highHalfGone;
      break;
    }
    std::memcpy(out + 2 * units, from, count * sizeof(char16_t));
    units += count;
    piece.sourceBytes += c.bytes;
    highHalfGone = false;
  }
  piece.written = static_cast<SQLLEN>(2 * units);
  std::memset(out + 2 * units, 0, sizeof(char16_t));
  return piece;
}

Piece codePageCharacters(const char* text, std::size_t length, void* target, SQLLEN bufferLength,
                         const TextEncodings& encodings) {
  std::uint32_t consumed = 0;
  Piece piece;
  piece.written = convertUtf8ToCodePage(
      static_cast<char*>(target), clampedLength(static_cast<std::size_t>(bufferLength)), nullptr,
      nullptr, &consumed, encodings.application, text, clampedLength(length), encodings.server);
  piece.sourceBytes = consumed;
  return piece;
}

Piece plainCharacters(const char* text, std::size_t length, void* target, SQLLEN bufferLength) {
  // BufferLength - 1 bytes, a UTF-8 sequence cut where it must: the application puts the pieces
  // back together by the buffer's length.
  const std::size_t take = std::min(length, static_cast<std::size_t>(bufferLength) - 1);
  auto* out = static_cast<char*>(target);
  std::memcpy(out, text, take);
  out[take] = '\0';
  return {take, static_cast<SQLLEN>(take)};
}

// Whether the text goes through the application's code page on its way to SQL_C_CHAR.
bool convertsToCodePage(SQLSMALLINT cType, const TextEncodings& encodings) {
  return cType == SQL_C_CHAR && encodings.server == utf8Charset &&
         encodings.application != utf8Charset;
}

// What the text needs in the application's unit once it is converted (bytes; two a UTF-16
// unit).
SQLLEN convertedLength(SQLSMALLINT cType, const char* text, std::size_t length,
                       const TextEncodings& encodings) {
  if (cType == SQL_C_WCHAR) return static_cast<SQLLEN>(2 * utf16LengthOfUtf8(text, length));
  if (!convertsToCodePage(cType, encodings)) return static_cast<SQLLEN>(length);
  SQLLEN total = 0;
  char scratch[256];
  while (length > 0) {
    std::uint32_t consumed = 0;
    total +=
        convertUtf8ToCodePage(scratch, sizeof scratch, nullptr, nullptr, &consumed,
                              encodings.application, text, clampedLength(length), encodings.server);
    if (consumed == 0) break;
    text += consumed;
    length -= consumed;
  }
  return total;
}

// Bytes of the fraction that ends the text: a point behind a digit and the digits after it.
std::size_t trailingFraction(const char* text, std::size_t length) {
  std::size_t point = length;
  while (point > 0 && isAsciiDigit(text[point - 1])) --point;
  if (point < 2 || text[point - 1] != '.' || !isAsciiDigit(text[point - 2])) return 0;
  return length - (point - 1);
}

// Only the piece just before can have left what is remembered for a later position of the same
// text; at position 0 a new value may stand where an old one stood.
bool remembers(const PieceRemainder& remainder, SQLSMALLINT cType, const char* text,
               SQLULEN position) {
  return position != 0 && remainder.text == text && remainder.position == position &&
         remainder.cType == cType;
}

}  // namespace

ConversionOutcome convertPiece(SQLSMALLINT cType, const char* text, std::size_t length,
                               void* target, SQLLEN bufferLength, SQLULEN& position,
                               const TextEncodings& encodings, PieceRemainder& remainder) {
  const char* rest = text + position;
  const std::size_t restBytes = length - static_cast<std::size_t>(position);
  const bool wide = cType == SQL_C_WCHAR;
  const bool converts = convertsToCodePage(cType, encodings);
  const bool counted = wide || converts;
  if (target == nullptr || bufferLength < (wide ? 2 : 1)) {
    // No room for data: only the length, and the piece stays where it is. A buffer length of 0
    // asks for just that; a byte given for wide text holds none of it.
    SQLLEN total = static_cast<SQLLEN>(restBytes);
    if (counted) {
      total = remembers(remainder, cType, text, position)
                  ? remainder.length
                  : convertedLength(cType, rest, restBytes, encodings);
    }
    if (target != nullptr && bufferLength > 0 && restBytes > 0) {
      return {SQL_SUCCESS_WITH_INFO, "01004", total};
    }
    return {SQL_SUCCESS, nullptr, total};
  }
  Piece piece;
  bool lowHalfDue = false;
  if (cType == SQL_C_BINARY) {
    piece.sourceBytes = std::min(restBytes, static_cast<std::size_t>(bufferLength));
    std::memcpy(target, rest, piece.sourceBytes);
    piece.written = static_cast<SQLLEN>(piece.sourceBytes);
  } else if (wide) {
    lowHalfDue = remembers(remainder, cType, text, position) && remainder.lowHalfDue;
    piece = wideCharacters(rest, restBytes, target, bufferLength, lowHalfDue);
  } else if (converts) {
    piece = codePageCharacters(rest, restBytes, target, bufferLength, encodings);
  } else {
    piece = plainCharacters(rest, restBytes, target, bufferLength);
  }
  const bool cut = piece.sourceBytes < restBytes;
  SQLLEN total = static_cast<SQLLEN>(restBytes);
  if (counted) {
    if (!cut) {
      total = piece.written;
    } else {
      total = remembers(remainder, cType, text, position)
                  ? remainder.length
                  : piece.written - (lowHalfDue ? 2 : 0) +
                        convertedLength(cType, rest + piece.sourceBytes,
                                        restBytes - piece.sourceBytes, encodings);
      remainder = {text, position + piece.sourceBytes, cType, total - piece.written, lowHalfDue};
    }
  }
  if (!cut) {
    position = length + 1;
    return {SQL_SUCCESS, nullptr, total};
  }
  position += piece.sourceBytes;
  return {SQL_SUCCESS_WITH_INFO, "01004", total};
}

ConversionOutcome convertValueText(SQLSMALLINT cType, const char* text, std::size_t length,
                                   void* target, SQLLEN bufferLength, SQLULEN& position,
                                   const TextEncodings& encodings, PieceRemainder& remainder) {
  if (target == nullptr || bufferLength == 0) {
    return convertPiece(cType, text, length, target, bufferLength, position, encodings, remainder);
  }
  // Room and needs in the application's bytes; the fraction's digits are one unit each.
  const SQLLEN unit = cType == SQL_C_WCHAR ? 2 : 1;
  const SQLLEN room = cType == SQL_C_BINARY ? bufferLength : (bufferLength / unit - 1) * unit;
  const SQLLEN needed = convertedLength(cType, text, length, encodings);
  std::size_t kept = length;
  if (needed > room) {
    const std::size_t fraction = cType == SQL_C_BINARY ? 0 : trailingFraction(text, length);
    const SQLLEN whole = needed - static_cast<SQLLEN>(fraction) * unit;
    if (whole > room) return conversionFailure("22003");
    // The point stays only with a digit behind it.
    const auto fractionRoom = static_cast<std::size_t>((room - whole) / unit);
    kept = length - fraction + (fractionRoom >= 2 ? fractionRoom : 0);
  }
  SQLULEN start = 0;
  ConversionOutcome outcome =
      convertPiece(cType, text, kept, target, bufferLength, start, encodings, remainder);
  position = length + 1;
  if (kept < length) {
    outcome = {SQL_SUCCESS_WITH_INFO, "01004", needed};
  }
  return outcome;
}

std::size_t lengthWithinMaximum(const char* text, std::size_t length, SQLULEN maxLength,
                                bool utf8) {
  if (maxLength == 0 || length <= maxLength) return length;
  auto cut = static_cast<std::size_t>(maxLength);
  // A continuation byte left out means its character goes whole.
  if (utf8) {
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  }
  return cut;
}
