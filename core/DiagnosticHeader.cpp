#include "core/DiagnosticHeader.h"

#include <iterator>

#include "core/AppBuffer.h"
#include "core/DiagnosticTexts.h"
#include "core/Environment.h"

namespace {

// The message an application reads: the posted text, or the state's standard one.
const std::string& messageOf(const DiagnosticRecord& record, std::string& scratch) {
  if (!record.messageText().empty()) return record.messageText();
  scratch = standardMessageForState(record.sqlState());
  return scratch;
}

template <typename Value>
SQLRETURN storeValue(void* destination, Value value) {
  storeAppValue(destination, value);
  return SQL_SUCCESS;
}

SQLRETURN storeText(void* destination, const std::string& text, SQLSMALLINT bufferLength,
                    SQLSMALLINT* stringLength) {
  if (bufferLength < 0) return SQL_ERROR;
  return copyStringToAppBufferSmallInt(destination, stringLength, text, bufferLength, true);
}

}  // namespace

DiagnosticHeader::DiagnosticHeader(Environment* owner) : owner_(owner) {}

void DiagnosticHeader::post(const char* sqlState, SQLINTEGER nativeError, const char* messageText,
                            SQLINTEGER columnNumber, SQLLEN rowNumber) {
  records_.emplace_front(sqlState, nativeError, messageText, columnNumber, rowNumber);
  trace(records_.front());
}

void DiagnosticHeader::postLast(const char* sqlState, SQLINTEGER nativeError,
                                const char* messageText, SQLINTEGER columnNumber,
                                SQLLEN rowNumber) {
  records_.emplace_back(sqlState, nativeError, messageText, columnNumber, rowNumber);
  trace(records_.back());
}

void DiagnosticHeader::postInRowOrder(const char* sqlState, SQLINTEGER nativeError,
                                      const char* messageText, SQLINTEGER columnNumber,
                                      SQLLEN rowNumber) {
  auto at = records_.end();
  while (rowNumber > 0 && at != records_.begin() && std::prev(at)->rowNumber() > rowNumber) --at;
  trace(*records_.emplace(at, sqlState, nativeError, messageText, columnNumber, rowNumber));
}

void DiagnosticHeader::clear() {
  // Every call clears the diagnostics first, and mostly finds none: an empty deque's clear still
  // walks its nodes.
  if (!records_.empty()) records_.clear();
}

bool DiagnosticHeader::isEmpty() const { return records_.empty(); }

SQLRETURN DiagnosticHeader::getDiagRecWithComponent(const char* component, SQLSMALLINT recordNumber,
                                                    char* sqlState, SQLINTEGER* nativeError,
                                                    char* messageText, SQLSMALLINT bufferLength,
                                                    SQLSMALLINT* textLength) const {
  if (recordNumber < 1 || bufferLength < 0) return SQL_ERROR;
  if (static_cast<std::size_t>(recordNumber) > records_.size()) return SQL_NO_DATA;
  const DiagnosticRecord& record = records_[static_cast<std::size_t>(recordNumber) - 1];
  constexpr SQLINTEGER stateBufferLength = SQL_SQLSTATE_SIZE + 1;
  if (sqlState != nullptr) {
    copyStringToAppBuffer(sqlState, nullptr, record.sqlState(), stateBufferLength, true);
  }
  if (nativeError != nullptr) *nativeError = record.nativeError();
  std::string scratch;
  const std::string message = "[" + owner_->makerName() + "][" + (component ? component : "") +
                              "] " + messageOf(record, scratch);
  return copyStringToAppBufferSmallInt(messageText, textLength, message, bufferLength, true);
}

SQLRETURN DiagnosticHeader::getDiagRec(SQLSMALLINT recordNumber, char* sqlState,
                                       SQLINTEGER* nativeError, char* messageText,
                                       SQLSMALLINT bufferLength, SQLSMALLINT* textLength) const {
  return getDiagRecWithComponent(owner_->displayName().c_str(), recordNumber, sqlState, nativeError,
                                 messageText, bufferLength, textLength);
}

SQLRETURN DiagnosticHeader::getDiagField(SQLSMALLINT recordNumber, SQLSMALLINT identifier,
                                         void* value, SQLSMALLINT bufferLength,
                                         SQLSMALLINT* stringLength) const {
  if (recordNumber < 0) return SQL_ERROR;
  if (recordNumber == 0) {
    switch (identifier) {
      case SQL_DIAG_CURSOR_ROW_COUNT:
        return storeValue<SQLLEN>(value, cursorRowCount_);
      case SQL_DIAG_NUMBER:
        return storeValue<SQLINTEGER>(value, static_cast<SQLINTEGER>(records_.size()));
      case SQL_DIAG_ROW_COUNT:
        return storeValue<SQLLEN>(value, rowCount_);
      case SQL_DIAG_DYNAMIC_FUNCTION:
        return storeText(value, dynamicFunction(), bufferLength, stringLength);
      case SQL_DIAG_DYNAMIC_FUNCTION_CODE:
        return storeValue<SQLINTEGER>(value, dynamicFunctionCode_);
      default:
        return SQL_SUCCESS;
    }
  }
  if (static_cast<std::size_t>(recordNumber) > records_.size()) return SQL_NO_DATA;
  const DiagnosticRecord& record = records_[static_cast<std::size_t>(recordNumber) - 1];
  std::string scratch;
  switch (identifier) {
    case SQL_DIAG_SQLSTATE:
      return storeText(value, record.sqlState(), bufferLength, stringLength);
    case SQL_DIAG_NATIVE:
      return storeValue<SQLINTEGER>(value, record.nativeError());
    case SQL_DIAG_MESSAGE_TEXT:
      return storeText(value, messageOf(record, scratch), bufferLength, stringLength);
    case SQL_DIAG_CLASS_ORIGIN:
      return storeText(value, record.classOrigin(), bufferLength, stringLength);
    case SQL_DIAG_SUBCLASS_ORIGIN:
      return storeText(value, record.subclassOrigin(), bufferLength, stringLength);
    case SQL_DIAG_ROW_NUMBER:
      return storeValue<SQLLEN>(value, record.rowNumber());
    case SQL_DIAG_COLUMN_NUMBER:
      return storeValue<SQLINTEGER>(value, record.columnNumber());
    default:
      return SQL_SUCCESS;
  }
}

SQLLEN DiagnosticHeader::cursorRowCount() const { return cursorRowCount_; }

SQLINTEGER DiagnosticHeader::dynamicFunctionCode() const { return dynamicFunctionCode_; }

std::string DiagnosticHeader::dynamicFunction() const {
  return dynamicFunctionText(dynamicFunctionCode_);
}

SQLLEN DiagnosticHeader::rowCount() const { return rowCount_; }

void DiagnosticHeader::copyRecords(const DiagnosticHeader& other) { records_ = other.records_; }

void DiagnosticHeader::appendRecords(const DiagnosticHeader& other, SQLLEN rowNumber) {
  for (const DiagnosticRecord& record : other.records_) {
    postLast(record.sqlState().c_str(), record.nativeError(), record.messageText().c_str(),
             record.columnNumber(), rowNumber);
  }
}

void DiagnosticHeader::trace(const DiagnosticRecord& record) const {
  if (!owner_->isTracing()) return;
  owner_->traceStream().writeLine("// diagnostic: state: " + record.sqlState() +
                                  "  code: " + std::to_string(record.nativeError()) +
                                  "  msg: " + record.messageText());
}
