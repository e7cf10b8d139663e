#include "api/CallFrame.h"

#include "core/TraceFormatter.h"

namespace api {

void CallTrace::line(const std::string& text) const { environment_->traceStream().writeLine(text); }

std::string CallTrace::variable(const char* cType, const char* word, const void* address,
                                const std::string& initialValue) const {
  return environment_->traceStream().declare(cType, variableName(word, address), "",
                                             initialValue);
}

std::string CallTrace::array(const char* cType, const char* word, const void* address,
                             SQLLEN size) const {
  return environment_->traceStream().declare(cType, variableName(word, address),
                                             std::to_string(size > 0 ? size : 1), "");
}

void CallTrace::returnCodeVariable() const {
  environment_->traceStream().declare("SQLRETURN", "rc", "", "SQL_SUCCESS");
}

std::string CallTrace::handle(const char* word, const void* handle) const {
  if (handle == nullptr) return "NULL";
  return environment_->traceStream().declare("SQLHANDLE", variableName(word, handle), "", "");
}

std::string CallTrace::addressOf(const std::string& variable, const void* pointer) {
  return pointer == nullptr ? "NULL" : "&" + variable;
}

std::string narrowTextArgument(const void* text, SQLINTEGER length) {
  if (text == nullptr) return "NULL";
  return "(SQLCHAR *) " + quotedStringOrNull(static_cast<const char*>(text), length);
}

std::string wideTextArgument(const char* utf8) {
  return utf8 == nullptr ? "NULL" : "(SQLWCHAR *) u" + cLiteral(utf8);
}

SQLRETURN failure(DiagnosticHeader* diagnostics, const char* sqlState) noexcept {
  if (diagnostics != nullptr) {
    try {
      diagnostics->post(sqlState, 0, "", SQL_NO_COLUMN_NUMBER, SQL_NO_ROW_NUMBER);
    } catch (...) {
      // No memory even for the record: the return code alone reports the failure.
    }
  }
  return SQL_ERROR;
}

SQLRETURN currentFailure(DiagnosticHeader* diagnostics) noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return failure(diagnostics, "HY001");
  } catch (...) {
    return failure(diagnostics, "HY000");
  }
}

}  // namespace api
