#pragma once
// Scalar functions the driver advertises to applications that SQLite does not have itself.
struct sqlite3;

namespace devserver {

// UCASE, LCASE, RAND, NOW and CHARACTER_LENGTH; false when SQLite refuses one.
bool registerSqlFunctions(sqlite3* db);

}  // namespace devserver
