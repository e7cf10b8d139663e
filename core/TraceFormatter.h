#pragma once
// The small pieces every line of the C-replay trace is built from: the time stamp, addresses,
// quoted strings, lengths, the ODBC names of enumerations and the numbers behind application
// pointers. Each function answers a new text and writes nothing.
//
// Application memory is read with care: a null pointer reads "NULL", a number is read at the
// width the application declared it with, and a string is never read past the length it comes
// with.
#include <string>

#include "platform/Odbc.h"

// Local date and time as year-month-day hour:minute:second.microseconds, every number in plain
// decimal without padding ("2012-3-3 9:5:7.4051"), from a single clock reading.
std::string traceTimestamp();

// The ODBC name of a value of each subject, through constantName over the subject's table.
// Callers pass their own type; it widens with its sign.
std::string handleTypeName(SQLINTEGER handleType);
std::string returnCodeName(SQLINTEGER returnCode);
std::string envAttrName(SQLINTEGER attribute);
std::string connectAttrName(SQLINTEGER attribute);
std::string infoTypeName(SQLINTEGER infoType);
std::string stmtAttrName(SQLINTEGER attribute);
std::string descFieldName(SQLINTEGER field);
std::string driverCompletionName(SQLINTEGER completion);
std::string sqlTypeName(SQLINTEGER sqlType);
std::string cTypeName(SQLINTEGER cType);
std::string paramTypeName(SQLINTEGER paramType);
std::string diagFieldName(SQLINTEGER field);
std::string fetchOrientationName(SQLINTEGER orientation);
std::string completionTypeName(SQLINTEGER completionType);
std::string setPosOperationName(SQLINTEGER operation);
std::string lockTypeName(SQLINTEGER lockType);
std::string bulkOperationName(SQLINTEGER operation);
std::string identifierTypeName(SQLINTEGER identifierType);
std::string scopeName(SQLINTEGER scope);
std::string nullableName(SQLINTEGER nullable);
std::string indexUniqueName(SQLINTEGER unique);
std::string accuracyName(SQLINTEGER accuracy);
std::string freeStmtOptionName(SQLINTEGER option);

// SQL_IS_POINTER .. SQL_IS_SMALLINT by name, any other buffer length as a number.
std::string bufferLengthName(SQLINTEGER bufferLength);
// "SQL_ALL_TYPES" for 0, else sqlTypeName.
std::string sqlTypeNameOrAll(SQLSMALLINT sqlType);
// "SQL_API_ALL_FUNCTIONS" for 0, "SQL_API_ODBC3_ALL_FUNCTIONS" for 999, else the SQL_API_ name.
std::string functionIdName(SQLUSMALLINT functionId);
// "SQL_NTS" for SQL_NTS, else the number.
std::string lengthOrNts(SQLINTEGER length);

// The bytes of a string that comes with a length: at most `length` bytes, ending early at a NUL;
// SQL_NTS reads up to the NUL; a null pointer and any other negative length give "".
std::string boundedText(const char* text, SQLINTEGER length);
// The same for UTF-16 text whose length counts bytes (SQL_NTS: up to the NUL unit), as UTF-8.
std::string boundedWideText(const SQLWCHAR* text, SQLINTEGER byteLength);

// The text as a C string literal: between double quotes, with quotes, backslashes and question
// marks escaped and control bytes as octal escapes, so that the replay compiles whatever the text
// holds (a line break in it would otherwise end a comment line early and leave the rest as code).
std::string cLiteral(const std::string& text);

// cLiteral of the text, or "NULL" for a null pointer. The first form reads up to the NUL, the second as boundedText: use
// it for every string that comes with a length, and for output buffers (with the buffer's
// length, since a buffer the driver did not fill holds no NUL).
std::string quotedStringOrNull(const char* text);
std::string quotedStringOrNull(const char* text, SQLINTEGER length);

// The number pointed to, or "NULL".
std::string smallIntPointerValue(const SQLSMALLINT* value);
std::string integerPointerValue(const SQLINTEGER* value);
std::string lengthPointerValue(const SQLLEN* value);
std::string lengthPointerValue(const SQLULEN* value);

// An address as the trace writes it after a variable's word: 16 upper-case hexadecimal digits,
// zero-padded, no prefix ("dbc" + traceAddress(handle)).
std::string traceAddress(const void* address);
// "0x" + traceAddress: an address written as a value.
std::string hexPointerText(const void* address);

// A length or indicator argument: "NULL" for a null pointer; a pointer whose own value is 1 to
// 65,534 is a length passed in place of a pointer and is written as that number without being
// read; otherwise the SQLLEN it points to, by its SQL_NTS, SQL_NULL_DATA ... name,
// "SQL_LEN_DATA_AT_EXEC( n )" for a data-at-execution length, or as a number.
std::string formatLengthIndicator(const SQLLEN* indicator);

// The output of SQLGetFunctions: for SQL_API_ALL_FUNCTIONS the names of the non-zero entries
// of the 100-entry array, for SQL_API_ODBC3_ALL_FUNCTIONS the names of the SQL_API_ rows whose
// bit is set in the SQL_API_ODBC3_ALL_FUNCTIONS_SIZE-word bitmap, joined by " | " ("" when
// none); for any other id the single entry as SQL_TRUE or SQL_FALSE.
std::string formatSupportedFunctions(SQLUSMALLINT functionId, const SQLUSMALLINT* supported);
