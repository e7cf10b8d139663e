#pragma once
// The descriptor fields whose values are text, which the wide exports convert.
#include "platform/Odbc.h"

namespace api {

inline bool isTextDescriptorField(SQLINTEGER field) {
  switch (field) {
    case SQL_DESC_TYPE_NAME:
    case SQL_DESC_TABLE_NAME:
    case SQL_DESC_SCHEMA_NAME:
    case SQL_DESC_CATALOG_NAME:
    case SQL_DESC_LABEL:
    case SQL_DESC_BASE_COLUMN_NAME:
    case SQL_DESC_BASE_TABLE_NAME:
    case SQL_DESC_LITERAL_PREFIX:
    case SQL_DESC_LITERAL_SUFFIX:
    case SQL_DESC_LOCAL_TYPE_NAME:
    case SQL_DESC_NAME:
      return true;
    default:
      return false;
  }
}

}  // namespace api
