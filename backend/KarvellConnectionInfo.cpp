// What the connection tells applications about the server: SQLGetInfo answers and the
// functions it supports.
#include <vector>

#include "backend/KarvellConnection.h"


#define KARVELL_DEFINE_INFO_ANSWER(name, kind, value) \
  Info##kind KarvellConnection::getInfo##name() { return value; }
KARVELL_INFO_ANSWERS(KARVELL_DEFINE_INFO_ANSWER)
#undef KARVELL_DEFINE_INFO_ANSWER

// The base list without SQLForeignKeys, SQLProcedureColumns and SQLProcedures, which this
// server does not answer: 68 entries.
const std::vector<SQLUSMALLINT>& KarvellConnection::supportedFunctions() {
  static const std::vector<SQLUSMALLINT> functions = [this] {
    std::vector<SQLUSMALLINT> list;
    for (std::size_t i = 0; i < Connection::supportedFunctionCount(); ++i) {
      const SQLUSMALLINT id = Connection::supportedFunctionId(i);
      if (id != SQL_API_SQLFOREIGNKEYS && id != SQL_API_SQLPROCEDURECOLUMNS &&
          id != SQL_API_SQLPROCEDURES)
        list.push_back(id);
    }
    return list;
  }();
  return functions;
}

std::size_t KarvellConnection::supportedFunctionCount() { return supportedFunctions().size(); }

SQLUSMALLINT KarvellConnection::supportedFunctionId(std::size_t index) {
  return supportedFunctions()[index];
}
