#pragma once
// Server text into the numeric C types: the integers of every width and sign, SQL_C_BIT,
// SQL_C_FLOAT and SQL_C_DOUBLE.
//
// The text is read leniently, as the C library reads numbers: leading blanks and one sign, then
// the longest number at the start ("12abc" is 12, no number at all is 0). Integer targets read
// it as a 64-bit integer, or as a double when it holds ".", "e" or "E" ("1e3" is 1000); a value
// outside the target's range answers "22003" and writes nothing, a fraction dropped on the way
// to an integer answers "01S07" with the value written. SQL_C_BIT is 1 for anything but 0.
// Nothing depends on the C library's locale.
#include <cstddef>
#include <string>

#include "platform/Odbc.h"
#include "statement/ConversionOutcome.h"

bool isNumericCType(SQLSMALLINT cType);

// Writes exactly the C type's size at target, which needs no alignment. With `trace` given, it
// receives " to " + the target's name + ": " + the value written.
ConversionOutcome convertToNumber(SQLSMALLINT cType, const char* text, std::size_t length,
                                  void* target, std::string* trace);
