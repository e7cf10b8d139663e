#include "core/DiagnosticRecord.h"

namespace {

const char* const odbcOrigin = "ODBC 3.0";
const char* const isoOrigin = "ISO 9075";

// The subclasses that ODBC, not the SQL standard, defines.
constexpr const char* odbcSubclasses[] = {
    "01S00", "01S01", "01S02", "01S06", "01S07", "07S01", "08S01", "21S01", "21S02",
    "25S01", "25S02", "25S03", "42S01", "42S02", "42S11", "42S12", "42S21", "42S22",
    "HY095", "HY097", "HY098", "HY099", "HY100", "HY101", "HY105", "HY107", "HY109",
    "HY110", "HY111", "HYT00", "HYT01", "IM001", "IM002", "IM003", "IM004", "IM005",
    "IM006", "IM007", "IM008", "IM010", "IM011", "IM012",
};

}  // namespace

DiagnosticRecord::DiagnosticRecord(const char* sqlState, SQLINTEGER nativeError,
                                   const char* messageText, SQLINTEGER columnNumber,
                                   SQLLEN rowNumber)
    : state_(sqlState != nullptr ? sqlState : ""),
      nativeError_(nativeError),
      message_(messageText != nullptr ? messageText : ""),
      columnNumber_(columnNumber),
      rowNumber_(rowNumber) {}

const std::string& DiagnosticRecord::sqlState() const { return state_; }

SQLINTEGER DiagnosticRecord::nativeError() const { return nativeError_; }

const std::string& DiagnosticRecord::messageText() const { return message_; }

SQLINTEGER DiagnosticRecord::columnNumber() const { return columnNumber_; }

SQLLEN DiagnosticRecord::rowNumber() const { return rowNumber_; }

const char* DiagnosticRecord::classOrigin() const {
  return state_.compare(0, 2, "IM") == 0 ? odbcOrigin : isoOrigin;
}

const char* DiagnosticRecord::subclassOrigin() const {
  for (const char* subclass : odbcSubclasses) {
    if (state_ == subclass) return odbcOrigin;
  }
  return isoOrigin;
}
