#pragma once
// The newest state posted on a diagnostics header, "" when there is none; the header is cleared.
#include <string>

#include "core/DiagnosticHeader.h"

namespace testsupport {

inline std::string takeState(DiagnosticHeader& diagnostics) {
  SQLINTEGER count = 0;
  diagnostics.getDiagField(0, SQL_DIAG_NUMBER, &count, 0, nullptr);
  std::string state;
  if (count > 0) {
    char buffer[6] = {};
    SQLSMALLINT length = 0;
    diagnostics.getDiagField(1, SQL_DIAG_SQLSTATE, buffer, sizeof buffer, &length);
    state = buffer;
  }
  diagnostics.clear();
  return state;
}

}  // namespace testsupport
