#pragma once
// Classes of ODBC SQL type codes.
#include "platform/Odbc.h"

bool isTextType(SQLSMALLINT type);     // the narrow and wide character types
bool isNumericType(SQLSMALLINT type);  // exact and approximate numbers, not SQL_BIT
bool isBinaryType(SQLSMALLINT type);
bool isDateTimeType(SQLSMALLINT type);  // the ODBC 3 date, time and timestamp types
bool isIntervalType(SQLSMALLINT type);
bool isSqlType(SQLSMALLINT type);  // any SQL type ODBC defines, the ODBC 2 date-time codes too
