#pragma once
// What the driver knows of each C type an application may name: how the conversion treats its
// values, how many bytes one value takes in a bound array, and the conversion trace's name for
// it. All of it comes from one table, so that a new C type is one row there.
#include "platform/Odbc.h"

enum class CTypeClass {
  unconverted,  // no conversion into it ("07006"), or no C type the driver knows
  piecewise,    // character and binary data: SQL_C_CHAR, SQL_C_WCHAR, SQL_C_BINARY
  number,       // the integers of every width and sign, SQL_C_BIT, SQL_C_FLOAT, SQL_C_DOUBLE
  dateTime,     // the date, time and timestamp structures
};

CTypeClass cTypeClass(SQLSMALLINT cType);
bool isPiecewiseCType(SQLSMALLINT cType);
bool isNumericCType(SQLSMALLINT cType);
bool isDateTimeCType(SQLSMALLINT cType);

// How many bytes one element of an application buffer of the C type occupies, the stride of a
// column-wise bound array. The character and binary types take the buffer length (a negative
// one counts as 0), every other type the size of its value or structure; an unknown type takes
// 1. SQL_C_DEFAULT has no size of its own: callers resolve it to the column's C type first.
SQLLEN cTypeElementSize(SQLSMALLINT cType, SQLLEN bufferLength);

// Bytes of one value of a fixed-length C type (the numbers, structures and intervals); 0 for
// character and binary data, whose length the application tells, and for an unknown type.
SQLLEN cTypeFixedSize(SQLSMALLINT cType);

// The numeric conversion's trace label, " to " + a name + ": ", one name for the types that
// share a width and sign (" to SQL_C_LONG: " for SQL_C_LONG and SQL_C_SLONG); "" for the types
// that are no number.
const char* cTypeTraceLabel(SQLSMALLINT cType);
