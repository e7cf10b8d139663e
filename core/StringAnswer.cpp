#include "core/StringAnswer.h"

#include "core/AppBuffer.h"

namespace {

void post(DiagnosticHeader& diagnostics, const char* sqlState) {
  diagnostics.post(sqlState, 0, "", SQL_NO_COLUMN_NUMBER, SQL_NO_ROW_NUMBER);
}

template <typename Length, typename Copy>
SQLRETURN answer(DiagnosticHeader& diagnostics, const std::string& text, void* buffer,
                 SQLINTEGER bufferLength, Length* length, Copy copy) {
  if (buffer != nullptr && bufferLength < 0) {
    post(diagnostics, "HY090");
    return SQL_ERROR;
  }
  const SQLRETURN rc = copy(buffer, length, text, bufferLength, true);
  if (rc == SQL_SUCCESS_WITH_INFO) post(diagnostics, "01004");
  return rc;
}

}  // namespace

SQLRETURN answerString(DiagnosticHeader& diagnostics, const std::string& text, void* buffer,
                       SQLINTEGER bufferLength, SQLINTEGER* length) {
  return answer(diagnostics, text, buffer, bufferLength, length, copyStringToAppBuffer);
}

SQLRETURN answerString(DiagnosticHeader& diagnostics, const std::string& text, void* buffer,
                       SQLINTEGER bufferLength, SQLSMALLINT* length) {
  return answer(diagnostics, text, buffer, bufferLength, length, copyStringToAppBufferSmallInt);
}
