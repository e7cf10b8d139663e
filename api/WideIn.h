#pragma once
// A UTF-16 text that a wide export takes, as the UTF-8 the driver works in: an owned,
// NUL-terminated copy and its byte count, at 32 bits so that no statement text is cut short.
#include <cstdlib>

#include "platform/Odbc.h"

namespace api {

class WideIn {
 public:
  // `length` counts UTF-16 units; SQL_NTS reads up to the NUL unit, and so does -4, which some
  // applications pass for it. A null text stays null.
  WideIn(const SQLWCHAR* text, SQLINTEGER length);
  ~WideIn() { std::free(text_); }
  WideIn(const WideIn&) = delete;
  WideIn& operator=(const WideIn&) = delete;

  // The conversion could not allocate its copy.
  bool failed() const { return failed_; }
  // A negative length other than SQL_NTS (and -4) was given.
  bool invalidLength() const { return invalidLength_; }

  const char* text() const { return text_; }
  // Bytes of the copy (SQL_NTS for a null text).
  SQLINTEGER length() const { return length_; }
  // The same for operations whose lengths are 16-bit: a longer copy is passed as SQL_NTS, which
  // its NUL makes exact.
  SQLSMALLINT shortLength() const;

 private:
  char* text_ = nullptr;
  SQLINTEGER length_ = SQL_NTS;
  bool failed_ = false;
  bool invalidLength_ = false;
};

}  // namespace api
