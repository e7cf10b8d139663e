#pragma once
// The row source behind a statement's result set. The statement moves it when
// it fetches and has it write the current row's values into element rowIndex of
// its implementation row descriptor's arrays (bindRow), from which the
// application row descriptor converts them.
//
// Moves answer 0 (on a row), SQL_NO_DATA (no row there) or SQL_ERROR (the move
// is not supported); they post no diagnostics. The base class supports no move
// but next, which it answers with 0.
#include "platform/Odbc.h"

class Statement;

class Recordset {
 public:
  // The statement owns the row source; the row source does not own the
  // statement.
  explicit Recordset(Statement* statement);
  virtual ~Recordset();
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  virtual void close();
  virtual SQLRETURN next();
  // relative(-1).
  virtual SQLRETURN previous();
  virtual SQLRETURN relative(SQLLEN offset);
  virtual SQLRETURN absolute(SQLLEN row);
  virtual SQLRETURN first();
  virtual SQLRETURN last();
  virtual SQLULEN rowNumber() const;
  // Writes the current row into element rowIndex of the IRD records' arrays;
  // retrieveData is the statement's SQL_ATTR_RETRIEVE_DATA.
  virtual SQLRETURN bindRow(SQLULEN rowIndex, SQLUINTEGER retrieveData);

 protected:
  Statement* statement_;
  SQLULEN rowNumber_ = 0;
};
