#pragma once
// The ODBC headers of the build platform. mingw's need the Windows types first; on both, SQLWCHAR
// is one UTF-16 unit.
#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

static_assert(sizeof(SQLWCHAR) == 2, "SQLWCHAR must be a UTF-16 unit");
