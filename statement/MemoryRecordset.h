#pragma once
// A result held whole in memory: catalog results, SQLGetTypeInfo and scrollable server results.
// Rows are appended one at a time (addRow, then the cell setters on the last row) and read in any
// order afterwards.
//
// Cells are byte strings with a length, so binary values pass unchanged; an absent cell is SQL
// NULL. All of them live in one arena: filling the result allocates a logarithmic number of
// blocks, never one per cell, and the pointers bindRow hands out stay valid until close, however
// many rows are added meanwhile.
//
// The row number is 1-based: 0 stands before the first row and row count + 1 after the last.
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/Odbc.h"
#include "statement/ByteArena.h"
#include "statement/Recordset.h"

class MemoryRecordset : public Recordset {
 public:
  explicit MemoryRecordset(Statement* statement);

  // Back before the first row, every row dropped.
  void close() override;
  SQLRETURN next() override;
  SQLRETURN relative(SQLLEN offset) override;
  SQLRETURN absolute(SQLLEN row) override;
  SQLRETURN first() override;
  SQLRETURN last() override;
  // Writes the current row into element rowIndex of the statement's IRD arrays: each column's
  // own bytes (no copy), length and indicator, SQL_NULL_DATA for a NULL cell and for columns past
  // a short row. Column 0 gets the bookmark, the row number plus one as text, which stays valid
  // until the next bindRow. Nothing is written off the rows. SQL_ATTR_RETRIEVE_DATA does not
  // matter here: the conversion skips the columns it excludes.
  SQLRETURN bindRow(SQLULEN rowIndex, SQLUINTEGER retrieveData) override;

  // Appends a row of as many NULL cells as the statement's IRD has columns.
  SQLRETURN addRow();
  // Cell `column` (1-based) of the last row. A setter without a row, or with a column the row
  // does not have, changes nothing. Numbers are written in the classic C format whatever the
  // process's locale: plain decimal integers; doubles as printf's "%g" does.
  void setCellString(SQLUSMALLINT column, std::optional<std::string_view> value);
  void setCellChar(SQLUSMALLINT column, std::optional<char> value);
  void setCellDouble(SQLUSMALLINT column, std::optional<double> value);
  void setCellShort(SQLUSMALLINT column, std::optional<SQLSMALLINT> value);
  void setCellInt(SQLUSMALLINT column, std::optional<SQLINTEGER> value);

  SQLULEN rowCount() const;

 private:
  struct Cell {
    const char* bytes;  // null for SQL NULL
    SQLLEN length;
  };

  // The answer of a move to `row`, kept within 0 and the row count.
  SQLRETURN moveTo(SQLLEN row);
  Cell* lastRowCell(SQLUSMALLINT column);
  template <typename Number>
  void setCellNumber(SQLUSMALLINT column, std::optional<Number> value);

  ByteArena arena_;
  std::vector<Cell> cells_;
  // Index in cells_ of each row's first cell; a row ends where the next one starts.
  std::vector<std::size_t> rowStarts_;
  // Room for the bookmark text of the row last bound.
  char bookmark_[24] = {};
};
