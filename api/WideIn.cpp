#include "api/WideIn.h"

#include <limits>

#include "core/Unicode.h"

namespace api {

namespace {

// What some applications pass as the length of a NUL-terminated wide text.
constexpr SQLINTEGER wideNts = -4;

}  // namespace

WideIn::WideIn(const SQLWCHAR* text, SQLINTEGER length) {
  if (length == wideNts) length = SQL_NTS;
  invalidLength_ = length < 0 && length != SQL_NTS;
  if (text == nullptr || invalidLength_) return;
  SQLUINTEGER bytes = 0;
  text_ = utf16ToUtf8Int(text, length, &bytes);
  failed_ = text_ == nullptr;
  if (!failed_) length_ = static_cast<SQLINTEGER>(bytes);
}

SQLSMALLINT WideIn::shortLength() const {
  if (length_ > std::numeric_limits<SQLSMALLINT>::max()) return SQL_NTS;
  return static_cast<SQLSMALLINT>(length_);
}

}  // namespace api
