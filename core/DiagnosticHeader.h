#pragma once
// The diagnostics area of one handle: its records, newest first, and the header fields.
//
// Message texts read through getDiagRec carry the prefix "[" maker "][" component "] "; an
// empty posted message reads as the state's standard text. Reading never removes records.
// A header takes no lock: it is used on the thread that calls into its handle.
#include <deque>
#include <string>

#include "core/DiagnosticRecord.h"
#include "platform/Odbc.h"

class Environment;

class DiagnosticHeader {
 public:
  // The owner supplies the trace, the display name and the maker name; for an environment
  // handle it is the environment itself.
  explicit DiagnosticHeader(Environment* owner);
  virtual ~DiagnosticHeader() = default;
  DiagnosticHeader(const DiagnosticHeader&) = delete;
  DiagnosticHeader& operator=(const DiagnosticHeader&) = delete;

  // The new record becomes record 1; older records move one number up. Posting, at either end,
  // takes constant time however many records the handle holds.
  virtual void post(const char* sqlState, SQLINTEGER nativeError, const char* messageText,
                    SQLINTEGER columnNumber, SQLLEN rowNumber);
  // The new record becomes the highest number.
  virtual void postLast(const char* sqlState, SQLINTEGER nativeError, const char* messageText,
                        SQLINTEGER columnNumber, SQLLEN rowNumber);
  // The new record follows every record of its row and of the rows before it, and precedes
  // those of later rows, so that the records of a parameter array stand in the order of its sets
  // however their outcomes arrive (a row number below 1 stands last, as postLast puts it).
  virtual void postInRowOrder(const char* sqlState, SQLINTEGER nativeError,
                              const char* messageText, SQLINTEGER columnNumber, SQLLEN rowNumber);
  virtual void clear();
  virtual bool isEmpty() const;

  // SQLGetDiagRec. Record numbers below 1 and a negative buffer length answer SQL_ERROR, numbers
  // above the count SQL_NO_DATA; both write nothing. The state buffer (may be null) gets at most
  // five characters and a NUL; the message is copied as copyStringToAppBufferSmallInt does, and
  // SQL_SUCCESS_WITH_INFO says it was cut (no record is posted for that).
  virtual SQLRETURN getDiagRecWithComponent(const char* component, SQLSMALLINT recordNumber,
                                            char* sqlState, SQLINTEGER* nativeError,
                                            char* messageText, SQLSMALLINT bufferLength,
                                            SQLSMALLINT* textLength) const;
  // getDiagRecWithComponent with the owner's display name.
  virtual SQLRETURN getDiagRec(SQLSMALLINT recordNumber, char* sqlState, SQLINTEGER* nativeError,
                               char* messageText, SQLSMALLINT bufferLength,
                               SQLSMALLINT* textLength) const;
  // SQLGetDiagField. Record 0 answers the header fields, 1..count the record fields (the
  // message without the prefix). Integers are written with their ODBC width: SQLLEN for the
  // row counts and the row number, SQLINTEGER for the others. Strings are copied as
  // copyStringToAppBufferSmallInt does (SQL_SUCCESS_WITH_INFO when cut; SQL_ERROR for a negative
  // buffer length). A negative record number answers SQL_ERROR, one above the count
  // SQL_NO_DATA; an identifier the record number does not answer writes nothing and answers
  // SQL_SUCCESS.
  virtual SQLRETURN getDiagField(SQLSMALLINT recordNumber, SQLSMALLINT identifier, void* value,
                                 SQLSMALLINT bufferLength, SQLSMALLINT* stringLength) const;
  virtual SQLLEN cursorRowCount() const;
  virtual SQLINTEGER dynamicFunctionCode() const;
  virtual std::string dynamicFunction() const;
  virtual SQLLEN rowCount() const;
  // Replaces the records by copies of the other header's, in the same order.
  virtual void copyRecords(const DiagnosticHeader& other);
  // Appends copies of the other header's records, in its order, each with the given row number.
  virtual void appendRecords(const DiagnosticHeader& other, SQLLEN rowNumber);

 private:
  void trace(const DiagnosticRecord& record) const;

  Environment* owner_;
  std::deque<DiagnosticRecord> records_;
  SQLLEN cursorRowCount_ = 0;
  SQLINTEGER dynamicFunctionCode_ = 0;
  SQLLEN rowCount_ = 0;
};
