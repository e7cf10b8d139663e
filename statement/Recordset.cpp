#include "statement/Recordset.h"

Recordset::Recordset(Statement* statement) : statement_(statement) {}

Recordset::~Recordset() = default;

void Recordset::close() {}

SQLRETURN Recordset::next() { return SQL_SUCCESS; }

SQLRETURN Recordset::previous() { return relative(-1); }

SQLRETURN Recordset::relative(SQLLEN) { return SQL_ERROR; }

SQLRETURN Recordset::absolute(SQLLEN) { return SQL_ERROR; }

SQLRETURN Recordset::first() { return SQL_ERROR; }

SQLRETURN Recordset::last() { return SQL_ERROR; }

SQLULEN Recordset::rowNumber() const { return rowNumber_; }

SQLRETURN Recordset::bindRow(SQLULEN, SQLUINTEGER) { return SQL_SUCCESS; }
