#pragma once
// The rows SQLGetTypeInfo(SQL_ALL_TYPES) answers an ODBC 3 application, in their order: the back
// end's own tests and the tests through the Driver Manager hold the driver to the same table.
// The timestamp admits nine fractional digits; each DATA_TYPE is what SQLColumns gives a column
// declared with the row's name.
#include <string>
#include <vector>

namespace testsupport {

inline const std::vector<std::vector<std::string>>& odbc3TypeRows() {
  static const std::vector<std::vector<std::string>> rows = {
      {"CHAR", "1", "2147483647", "'", "'", "length", "1", "1", "3", "NULL", "0", "NULL", "char",
       "NULL", "NULL", "1", "NULL", "NULL", "NULL"},
      {"VARCHAR", "12", "2147483647", "'", "'", "length", "1", "1", "3", "NULL", "0", "NULL",
       "varchar", "NULL", "NULL", "12", "NULL", "NULL", "NULL"},
      {"DECIMAL", "3", "10", "NULL", "NULL", "precision,scale", "1", "0", "2", "0", "0", "0",
       "decimal", "0", "15", "3", "NULL", "10", "NULL"},
      {"NUMERIC", "2", "10", "NULL", "NULL", "precision,scale", "1", "0", "2", "0", "0", "0",
       "numeric", "0", "15", "2", "NULL", "10", "NULL"},
      {"SMALLINT", "5", "5", "NULL", "NULL", "NULL", "1", "0", "2", "0", "0", "0", "smallint", "0",
       "0", "5", "NULL", "10", "NULL"},
      {"INT", "4", "10", "NULL", "NULL", "NULL", "1", "0", "2", "0", "0", "0", "int", "0", "0", "4",
       "NULL", "10", "NULL"},
      {"REAL", "7", "7", "NULL", "NULL", "NULL", "1", "0", "2", "0", "0", "0", "real", "NULL",
       "NULL", "7", "NULL", "10", "NULL"},
      {"FLOAT", "6", "15", "NULL", "NULL", "NULL", "1", "0", "2", "0", "0", "0", "float", "NULL",
       "NULL", "6", "NULL", "10", "NULL"},
      {"DOUBLE", "8", "15", "NULL", "NULL", "NULL", "1", "0", "2", "0", "0", "0", "double", "NULL",
       "NULL", "8", "NULL", "10", "NULL"},
      {"BOOLEAN", "-7", "1", "NULL", "NULL", "NULL", "1", "0", "2", "0", "0", "0", "boolean", "0",
       "0", "-7", "NULL", "NULL", "NULL"},
      {"TINYINT", "-6", "3", "NULL", "NULL", "NULL", "1", "0", "2", "0", "0", "0", "tinyint", "0",
       "0", "-6", "NULL", "10", "NULL"},
      {"BIGINT", "-5", "19", "NULL", "NULL", "NULL", "1", "0", "2", "0", "0", "0", "bigint", "0",
       "0", "-5", "NULL", "10", "NULL"},
      {"BLOB", "-4", "2147483647", "X'", "'", "NULL", "1", "0", "3", "0", "0", "0", "blob", "NULL",
       "NULL", "-4", "NULL", "NULL", "NULL"},
      {"DATE", "91", "10", "{d '", "'}", "NULL", "1", "0", "2", "NULL", "0", "NULL", "date", "NULL",
       "NULL", "9", "1", "NULL", "NULL"},
      {"TIME", "92", "8", "{t '", "'}", "length", "1", "0", "2", "NULL", "0", "NULL", "time", "0",
       "0", "9", "2", "NULL", "NULL"},
      {"TIMESTAMP", "93", "29", "{ts '", "'}", "length", "1", "0", "2", "NULL", "0", "NULL",
       "timestamp", "0", "9", "9", "3", "NULL", "NULL"},
  };
  return rows;
}

}  // namespace testsupport
