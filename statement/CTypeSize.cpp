#include "statement/CTypeSize.h"

#include <cassert>

#include "core/SqlTypeClass.h"

SQLLEN cTypeElementSize(SQLSMALLINT cType, SQLLEN bufferLength) {
  assert(cType != SQL_C_DEFAULT);
  switch (cType) {
    case SQL_C_CHAR:
    case SQL_C_WCHAR:
    case SQL_C_BINARY:
      return bufferLength > 0 ? bufferLength : 0;
    case SQL_C_TINYINT:
    case SQL_C_STINYINT:
    case SQL_C_UTINYINT:
    case SQL_C_BIT:
      return sizeof(SQLCHAR);
    case SQL_C_SHORT:
    case SQL_C_SSHORT:
    case SQL_C_USHORT:
      return sizeof(SQLSMALLINT);
    case SQL_C_LONG:
    case SQL_C_SLONG:
    case SQL_C_ULONG:
      return sizeof(SQLINTEGER);
    case SQL_C_FLOAT:
      return sizeof(SQLREAL);
    case SQL_C_DOUBLE:
      return sizeof(SQLDOUBLE);
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
      return sizeof(SQLBIGINT);
    case SQL_C_DATE:
    case SQL_C_TYPE_DATE:
      return sizeof(SQL_DATE_STRUCT);
    case SQL_C_TIME:
    case SQL_C_TYPE_TIME:
      return sizeof(SQL_TIME_STRUCT);
    case SQL_C_TIMESTAMP:
    case SQL_C_TYPE_TIMESTAMP:
      return sizeof(SQL_TIMESTAMP_STRUCT);
    case SQL_C_NUMERIC:
      return sizeof(SQL_NUMERIC_STRUCT);
    case SQL_C_GUID:
      return sizeof(SQLGUID);
    default:
      return isIntervalType(cType) ? static_cast<SQLLEN>(sizeof(SQL_INTERVAL_STRUCT)) : 1;
  }
}
