#pragma once
// One diagnostic record: what SQLGetDiagRec and SQLGetDiagField report about one failure or
// warning of a handle.
#include <string>

#include "platform/Odbc.h"

class DiagnosticRecord {
 public:
  // Null state and message count as "". Posters without a column or row pass -1
  // (SQL_NO_COLUMN_NUMBER, SQL_NO_ROW_NUMBER).
  DiagnosticRecord(const char* sqlState, SQLINTEGER nativeError, const char* messageText,
                   SQLINTEGER columnNumber, SQLLEN rowNumber);
  virtual ~DiagnosticRecord() = default;
  DiagnosticRecord(const DiagnosticRecord&) = default;
  DiagnosticRecord& operator=(const DiagnosticRecord&) = default;
  DiagnosticRecord(DiagnosticRecord&&) noexcept = default;
  DiagnosticRecord& operator=(DiagnosticRecord&&) noexcept = default;

  virtual const std::string& sqlState() const;
  virtual SQLINTEGER nativeError() const;
  // May be empty; the readers then report the state's standard text.
  virtual const std::string& messageText() const;
  virtual SQLINTEGER columnNumber() const;
  virtual SQLLEN rowNumber() const;
  // "ODBC 3.0" for the states ODBC defines, "ISO 9075" for those of the SQL standard.
  virtual const char* classOrigin() const;
  virtual const char* subclassOrigin() const;

 private:
  std::string state_;
  SQLINTEGER nativeError_;
  std::string message_;
  SQLINTEGER columnNumber_;
  SQLLEN rowNumber_;
};
