#pragma once
// What one conversion of a server value into an application buffer did.
#include <cstddef>
#include <cstring>

#include "platform/Odbc.h"

struct ConversionOutcome {
  // SQL_SUCCESS, SQL_SUCCESS_WITH_INFO (with its warning), SQL_ERROR (with its state) or, for a
  // value already returned whole, SQL_NO_DATA.
  SQLRETURN rc = SQL_SUCCESS;
  // The state to post with rc; null for none.
  const char* sqlState = nullptr;
  // The length or indicator the application receives when rc succeeded.
  SQLLEN length = 0;
};

inline ConversionOutcome conversionFailure(const char* sqlState) {
  return {SQL_ERROR, sqlState, 0};
}

// A fixed-size value copied to the application's target, which needs no alignment and may be
// null (a column bound for its length alone); a part of the source dropped on the way answers
// "01S07".
inline ConversionOutcome storeFixedValue(const void* value, std::size_t size, bool partDropped,
                                         void* target) {
  if (target != nullptr) std::memcpy(target, value, size);
  const auto length = static_cast<SQLLEN>(size);
  if (partDropped) return {SQL_SUCCESS_WITH_INFO, "01S07", length};
  return {SQL_SUCCESS, nullptr, length};
}
