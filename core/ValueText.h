#pragma once
// Values written as decimal text, without padding ("2024-3-7 9:5:0").
#include <string>

#include "platform/Odbc.h"

std::string intToString(SQLINTEGER value);
// Six significant digits, the stream's default format, independent of the global locale.
std::string doubleToString(double value);
// A one-character text of the byte.
std::string charToString(const unsigned char* byte);
std::string dateToString(const SQL_DATE_STRUCT& date);
std::string timeToString(const SQL_TIME_STRUCT& time);
// The fraction is not written.
std::string timestampToString(const SQL_TIMESTAMP_STRUCT& timestamp);
