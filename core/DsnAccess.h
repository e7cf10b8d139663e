#pragma once
// Keys of a data source in "ODBC.INI", read in the scope that defines the data source: a DSN
// defined as a system DSN is read as one, even when a user DSN of the same name exists.
#include <string>

#include "platform/Odbc.h"

// Sets the installer's configuration mode for reading this DSN (ODBC_SYSTEM_DSN when the system
// scope defines it, else ODBC_USER_DSN) and answers the mode in force before. The caller holds
// platform::configModeMutex() until it has put that mode back.
unsigned short selectDsnConfigMode(const std::string& dsn);
unsigned short selectDsnConfigModeW(const SQLWCHAR* dsn);

// The key's value, at most 1023 bytes (the installer's buffer), "" when absent. The
// configuration mode is what it was before when they return.
std::string readDsnValue(const std::string& dsn, const char* key);
// The DSN name and the answer in UTF-8, the key in UTF-16.
std::string readDsnValueW(const std::string& dsn, const SQLWCHAR* key);
