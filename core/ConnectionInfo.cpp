// SQLGetInfo: the router from info types to the connection's answer operations, and the base
// answers. InfoItems.h holds the list that the router, the declarations and these definitions are
// made from.
#include "core/AppBuffer.h"
#include "core/Connection.h"
#include "core/DriverIdentity.h"
#include "core/StringAnswer.h"
#include "platform/ModuleInfo.h"

namespace {

// Numbers are copied byte-wise: the application's buffer need not be aligned for them.
template <typename Number>
SQLRETURN writeNumber(Number answer, SQLPOINTER value, SQLSMALLINT* length) {
  storeAppValue(value, answer);
  if (length != nullptr) *length = static_cast<SQLSMALLINT>(sizeof answer);
  return SQL_SUCCESS;
}

}  // namespace

SQLRETURN Connection::getInfo(SQLUSMALLINT infoType, SQLPOINTER value, SQLSMALLINT bufferLength,
                              SQLSMALLINT* stringLength) {
  diagnostics_.clear();
  switch (infoType) {
#define KARVOD_ROUTE_U16(name) return writeNumber<InfoU16>(getInfo##name(), value, stringLength)
#define KARVOD_ROUTE_U32(name) return writeNumber<InfoU32>(getInfo##name(), value, stringLength)
#define KARVOD_ROUTE_Text(name) \
  return answerString(diagnostics_, getInfo##name(), value, bufferLength, stringLength)
#define KARVOD_ROUTE_INFO(name, type, kind, base) \
  case type:                                      \
    KARVOD_ROUTE_##kind(name);
    KARVOD_INFO_ITEMS(KARVOD_ROUTE_INFO)
#undef KARVOD_ROUTE_INFO
#undef KARVOD_ROUTE_Text
#undef KARVOD_ROUTE_U32
#undef KARVOD_ROUTE_U16
    default:
      // The Driver Manager answers the types that concern it (SQL_ODBC_VER, the handles); any
      // other type that reaches the driver is one it does not know, and the failure says so.
      if (stringLength != nullptr) *stringLength = 0;
      diagnostics_.post("HY096", 0, "", SQL_NO_COLUMN_NUMBER, SQL_NO_ROW_NUMBER);
      return SQL_ERROR;
  }
}

#define KARVOD_DEFINE_INFO_ANSWER(name, type, kind, base) \
  Info##kind Connection::getInfo##name() { return base; }
KARVOD_INFO_ITEMS(KARVOD_DEFINE_INFO_ANSWER)
#undef KARVOD_DEFINE_INFO_ANSWER
