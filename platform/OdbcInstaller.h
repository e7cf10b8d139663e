#pragma once
// The ODBC installer: profile strings of "ODBC.INI" and "ODBCINST.INI", the configuration mode
// that chooses between user and system data sources, and DSN registration. POSIX links unixODBC's
// libodbcinst; Windows binds odbccp32.dll on first use, so that loading the driver never fails
// for want of it. Every function answers failure (0, false) when the installer is unavailable.
#include "platform/Mutex.h"
#include "platform/Odbc.h"

namespace platform {

// Both forms answer the number of characters placed in the buffer, without the terminator.
int getPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                            char* buffer, int bufferSize, const char* file);
int getPrivateProfileStringW(const SQLWCHAR* section, const SQLWCHAR* key,
                             const SQLWCHAR* defaultValue, SQLWCHAR* buffer, int bufferSize,
                             const SQLWCHAR* file);
bool writePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* file);
bool writePrivateProfileStringW(const SQLWCHAR* section, const SQLWCHAR* key,
                                const SQLWCHAR* value, const SQLWCHAR* file);

// ODBC_BOTH_DSN (0), ODBC_USER_DSN (1) or ODBC_SYSTEM_DSN (2).
bool getConfigMode(unsigned short& mode);
bool setConfigMode(unsigned short mode);

bool writeDsnToIniW(const SQLWCHAR* dsn, const SQLWCHAR* driver);
bool removeDsnFromIniW(const SQLWCHAR* dsn);
// Answers an ODBC return code (SQL_SUCCESS, or SQL_ERROR when the error cannot be posted).
short postInstallerErrorW(unsigned long errorCode, const SQLWCHAR* message);

// The configuration mode is process-wide installer state: whoever switches it, reads or writes in
// that mode and switches it back holds this lock for the whole sequence.
Mutex& configModeMutex();

}  // namespace platform
