#pragma once
// A string that an ODBC function hands back in the application's buffer: NUL-terminated within
// the buffer, its full length reported. A text that does not fit answers SQL_SUCCESS_WITH_INFO
// with "01004" posted; a negative buffer length with a buffer given posts "HY090" and answers
// SQL_ERROR, writing nothing.
#include <string>

#include "core/DiagnosticHeader.h"
#include "platform/Odbc.h"

SQLRETURN answerString(DiagnosticHeader& diagnostics, const std::string& text, void* buffer,
                       SQLINTEGER bufferLength, SQLINTEGER* length);
SQLRETURN answerString(DiagnosticHeader& diagnostics, const std::string& text, void* buffer,
                       SQLINTEGER bufferLength, SQLSMALLINT* length);
