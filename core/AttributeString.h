#pragma once
// Attribute strings: SQLDriverConnect connection strings ("KEY=value;KEY=value") and installer
// attribute lists (entries each ended by a NUL, the list by an empty entry).
//
// A text is an attribute list exactly when its length is given (not SQL_NTS), it holds a NUL
// before that length, and no ";" stands before that NUL; any other text is a connection string,
// read up to the given length or its first NUL, whichever comes first. A negative length other
// than SQL_NTS gives an empty text.
//
// Connection strings follow the ODBC grammar: entries are separated by ";", empty entries are
// skipped, blanks are kept, and a value that starts with "{" runs to its closing "}" ("}}" inside
// stands for one "}"), so a ";" inside braces does not end the entry. Keys match ignoring ASCII
// case when followed by "=", blanks around them left out; the first matching entry wins. One outer pair of braces is taken
// off the values of every key but DRIVER, whose value is answered as written.
#include <string>

#include "platform/Odbc.h"

// The keyword's value, "" when absent.
std::string attributeValue(const char* text, SQLINTEGER length, const char* keyword);
std::string connectionStringValue(const std::string& text, const char* keyword);
// UTF-16 text and keyword; the value as UTF-8.
std::string attributeValueW(const SQLWCHAR* text, SQLINTEGER length, const SQLWCHAR* keyword);
// UTF-8 text up to its first NUL, UTF-16 keyword.
std::string connectionStringValueUtf8(const std::string& text, const SQLWCHAR* keyword);

// SQL_NTS: the text as it is. A given length: every non-empty entry followed by ";".
std::string normalizeConnectionString(const char* text, SQLINTEGER length);
std::string normalizeConnectionStringW(const SQLWCHAR* text, SQLINTEGER length);

// A key that names a password (PWD or PASSWORD, any case, blanks around it left out): no trace,
// log or message shows its value, and the installer never stores it.
bool isSecretKey(const std::u16string& key);

// Every entry followed by ";", with each entry of a password key written as its key and "=****;",
// braced value and all. For the trace.
std::string maskPasswordInConnectionString(const char* text, SQLINTEGER length);
std::string maskPasswordInConnectionStringW(const SQLWCHAR* text, SQLINTEGER length);
