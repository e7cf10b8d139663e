#pragma once
// Server text into SQL_DATE_STRUCT, SQL_TIME_STRUCT and SQL_TIMESTAMP_STRUCT, by ODBC's rules
// for converting SQL data to C data.
//
// The text is read by its shape: "yyyy-mm-dd", "hh:mm[:ss[.f]]" or "yyyy-mm-dd hh:mm[:ss[.f]]"
// (a "T" may stand for the blanks), with blanks around it, each part within its calendar range
// and missing seconds 0; the first nine digits of the fraction are nanoseconds (".5" is
// 500000000). A date becomes a timestamp at midnight, a time a timestamp of today, a timestamp a
// date or a time without the rest ("01S07" when the rest is not zero, as for fraction digits
// beyond the ninth). A date has no time and a time no date: "22018", as for any text of another
// shape. Columns of a numeric, bit, binary, interval or GUID type, a date column into a time and
// a time column into a date answer "07006".
#include <cstddef>
#include <string>

#include "platform/Odbc.h"
#include "statement/ConversionOutcome.h"

// `sqlType` is the column's concise type. Writes exactly the structure's size at target (nothing
// when it is null), which needs no alignment, whatever the buffer length. With `trace` given, it
// receives " to " + the target's name + ": " + the value written.
ConversionOutcome convertToDateTime(SQLSMALLINT cType, SQLSMALLINT sqlType, const char* text,
                                    std::size_t length, void* target, std::string* trace);
