#include "core/SqlTypeClass.h"

bool isTextType(SQLSMALLINT type) {
  switch (type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
      return true;
    default:
      return false;
  }
}

bool isNumericType(SQLSMALLINT type) {
  return type == SQL_TINYINT || type == SQL_BIGINT || (type >= SQL_NUMERIC && type <= SQL_DOUBLE);
}

bool isBinaryType(SQLSMALLINT type) {
  return type == SQL_BINARY || type == SQL_VARBINARY || type == SQL_LONGVARBINARY;
}

bool isDateTimeType(SQLSMALLINT type) {
  return type == SQL_TYPE_DATE || type == SQL_TYPE_TIME || type == SQL_TYPE_TIMESTAMP;
}

bool isIntervalType(SQLSMALLINT type) {
  return type >= SQL_INTERVAL_YEAR && type <= SQL_INTERVAL_MINUTE_TO_SECOND;
}

bool isSqlType(SQLSMALLINT type) {
  return isTextType(type) || isNumericType(type) || isBinaryType(type) || isDateTimeType(type) ||
         isIntervalType(type) || type == SQL_BIT || type == SQL_GUID ||
         (type >= SQL_DATE && type <= SQL_TIMESTAMP);
}
