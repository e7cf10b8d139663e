#include "api/WideOut.h"

#include "core/Unicode.h"

namespace api {

SQLINTEGER WideOut::deliverText(const std::string& text) {
  const SQLINTEGER capacity = unit_ == WideUnit::Bytes ? bufferLength_ / 2 : bufferLength_;
  SQLINTEGER units = 0;
  if (buffer_ != nullptr && capacity > 0) {
    units = utf8StringToUtf16(text, buffer_, capacity);
    cut_ = units >= capacity;
  } else {
    units = utf8StringToUtf16(text, nullptr, 0);
    // A buffer of one byte holds not even the NUL.
    cut_ = buffer_ != nullptr && bufferLength_ > 0 && !text.empty();
  }
  return unit_ == WideUnit::Bytes ? 2 * units : units;
}

SQLRETURN WideOut::refuse(DiagnosticHeader* diagnostics) {
  if (diagnostics != nullptr) {
    diagnostics->clear();
    diagnostics->post("HY090", 0, "", SQL_NO_COLUMN_NUMBER, SQL_NO_ROW_NUMBER);
  }
  return SQL_ERROR;
}

}  // namespace api
