// Operations whose bodies are still being written; each answers "HYC00" (optional feature not
// implemented) or an empty answer until its own file replaces it.
#include <string>

#include "statement/Descriptor.h"
#include "statement/Statement.h"

SQLRETURN Statement::setPos(SQLSETPOSIROW, SQLUSMALLINT, SQLUSMALLINT) { return post("HYC00"); }

SQLRETURN Statement::bulkOperations(SQLUSMALLINT) { return post("HYC00"); }

SQLRETURN Statement::insertRow(SQLUINTEGER, SQLUSMALLINT) { return post("HYC00"); }

SQLRETURN Statement::deleteRow(SQLULEN, SQLUSMALLINT) { return post("HYC00"); }

SQLRETURN Statement::updateRow(SQLULEN, SQLUSMALLINT) { return post("HYC00"); }

std::string Statement::tableNameFromQuery(const std::string&) { return std::string(); }
