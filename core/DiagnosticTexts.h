#pragma once
// The standard texts of ODBC's SQLSTATEs and dynamic-function codes.
#include <string>

#include "platform/Odbc.h"

// The ODBC 3.x text of the state (exact, case-sensitive match), "" for a state ODBC does not
// define.
const char* standardMessageForState(const std::string& sqlState);

// The SQL_DIAG_DYNAMIC_FUNCTION text of the code, "" when unknown.
const char* dynamicFunctionText(SQLINTEGER code);
