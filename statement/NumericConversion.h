#pragma once
// Server text into the numeric C types: the integers of every width and sign, SQL_C_BIT,
// SQL_C_FLOAT and SQL_C_DOUBLE.
//
// The text is read leniently, as the C library reads numbers: leading blanks and one sign, then
// the longest number at the start, "[sign]digits[.digits][e[sign]digits]" ("12abc" is 12, "7 see"
// is 7, no number at all is 0). Integer targets and SQL_C_BIT take its whole part exactly, the
// exponent applied to the digits ("1e3" is 1000, "2.5e1" 25); real targets round it to the
// nearest double, then float. A value outside the target's range answers "22003" and writes
// nothing (a float's range ends where the value would round to infinity), a fraction dropped on
// the way to an integer answers "01S07" with the value written. SQL_C_BIT is 1 for anything
// whose whole part is not 0. Nothing depends on the C library's locale.
#include <cstddef>
#include <string>

#include "platform/Odbc.h"
#include "statement/ConversionOutcome.h"

// Writes exactly the C type's size at target, which needs no alignment (nothing when it is
// null: only the outcome is wanted). With `trace` given, it
// receives " to " + the target's name + ": " + the value written.
ConversionOutcome convertToNumber(SQLSMALLINT cType, const char* text, std::size_t length,
                                  void* target, std::string* trace);
