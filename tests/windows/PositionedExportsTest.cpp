// The module's SQLBulkOperations and SQLSetPos called directly against the development server:
// rows added from bound rowsets in both layouts, and positioning and refreshing within the rowset
// of a static result, which leave the next fetch as it would have been.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "tests/windows/LoadedDriver.h"

namespace {

using windowstest::Cell;
using windowstest::Diagnostic;
using windowstest::utf16;
using Rows = std::vector<std::vector<Cell>>;

SQLPOINTER integer(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(value); }

constexpr std::size_t kMaxRows = 3;
constexpr std::size_t kTextUnits = 32;
// Not a status the driver writes: an element it must leave alone keeps it.
constexpr SQLUSMALLINT kUntouched = 99;

enum class Route { bulkOperations, setPosUnderLock };
enum class Layout { columnWise, rowWiseWithOffset };

// How a text value is given: its length, SQL_NTS, a NULL indicator, or SQL_COLUMN_IGNORE.
enum class Given { counted, terminated, null, ignored };

// One rowset row in the row-wise layout.
struct RowBuffer {
  SQLINTEGER id;
  SQLLEN idIndicator;
  SQLWCHAR name[kTextUnits];
  SQLLEN nameIndicator;
  SQLCHAR note[kTextUnits];
  SQLLEN noteIndicator;
};

// The three columns id, name (SQL_C_WCHAR) and note (SQL_C_CHAR) of a rowset, bound column-wise,
// or row-wise behind a bind offset of one row.
class BoundRows {
 public:
  explicit BoundRows(Layout layout) : rowWise_(layout == Layout::rowWiseWithOffset) {}

  SQLINTEGER& id(std::size_t row) { return rowWise_ ? rows_[row + 1].id : ids_[row]; }
  SQLLEN& idIndicator(std::size_t row) {
    return rowWise_ ? rows_[row + 1].idIndicator : idIndicators_[row];
  }
  SQLWCHAR* name(std::size_t row) { return rowWise_ ? rows_[row + 1].name : names_[row]; }
  SQLLEN& nameIndicator(std::size_t row) {
    return rowWise_ ? rows_[row + 1].nameIndicator : nameIndicators_[row];
  }
  SQLCHAR* note(std::size_t row) { return rowWise_ ? rows_[row + 1].note : notes_[row]; }
  SQLLEN& noteIndicator(std::size_t row) {
    return rowWise_ ? rows_[row + 1].noteIndicator : noteIndicators_[row];
  }

  template <typename Odbc>
  void bind(Odbc& odbc, SQLHSTMT stmt) {
    if (rowWise_) {
      ASSERT_EQ(odbc.SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_TYPE, integer(sizeof(RowBuffer)), 0),
                SQL_SUCCESS);
      ASSERT_EQ(odbc.SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_OFFSET_PTR, &offset_, 0), SQL_SUCCESS);
      ASSERT_EQ(odbc.SQLBindCol(stmt, 1, SQL_C_SLONG, &rows_[0].id, 0, &rows_[0].idIndicator),
                SQL_SUCCESS);
      ASSERT_EQ(odbc.SQLBindCol(stmt, 2, SQL_C_WCHAR, rows_[0].name, sizeof rows_[0].name,
                                &rows_[0].nameIndicator),
                SQL_SUCCESS);
      ASSERT_EQ(odbc.SQLBindCol(stmt, 3, SQL_C_CHAR, rows_[0].note, sizeof rows_[0].note,
                                &rows_[0].noteIndicator),
                SQL_SUCCESS);
      return;
    }
    ASSERT_EQ(odbc.SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_TYPE, integer(SQL_BIND_BY_COLUMN), 0),
              SQL_SUCCESS);
    ASSERT_EQ(odbc.SQLBindCol(stmt, 1, SQL_C_SLONG, ids_, 0, idIndicators_), SQL_SUCCESS);
    ASSERT_EQ(odbc.SQLBindCol(stmt, 2, SQL_C_WCHAR, names_, sizeof names_[0], nameIndicators_),
              SQL_SUCCESS);
    ASSERT_EQ(odbc.SQLBindCol(stmt, 3, SQL_C_CHAR, notes_, sizeof notes_[0], noteIndicators_),
              SQL_SUCCESS);
  }

 private:
  bool rowWise_;
  std::array<RowBuffer, kMaxRows + 1> rows_{};
  SQLLEN offset_ = sizeof(RowBuffer);
  SQLINTEGER ids_[kMaxRows] = {};
  SQLLEN idIndicators_[kMaxRows] = {};
  SQLWCHAR names_[kMaxRows][kTextUnits] = {};
  SQLLEN nameIndicators_[kMaxRows] = {};
  SQLCHAR notes_[kMaxRows][kTextUnits] = {};
  SQLLEN noteIndicators_[kMaxRows] = {};
};

// One row as the application fills it for adding, and what becomes of it.
struct AddedRow {
  SQLINTEGER id;
  std::u16string name;
  Given nameGiven;
  std::string note;
  Given noteGiven;
  bool ignored = false;  // SQL_ROW_IGNORE in the row operation array
  bool fails = false;    // its id is taken
};

// A counted value is followed by text that is not part of it.
template <typename Text>
SQLLEN fillText(void* buffer, const Text& value, Given given) {
  using Unit = typename Text::value_type;
  Text stored = value;
  if (given == Given::counted) stored += static_cast<Unit>('#');
  std::memcpy(buffer, stored.c_str(), (stored.size() + 1) * sizeof(Unit));
  switch (given) {
    case Given::counted:
      return static_cast<SQLLEN>(value.size() * sizeof(Unit));
    case Given::terminated:
      return SQL_NTS;
    case Given::null:
      return SQL_NULL_DATA;
    case Given::ignored:
      return SQL_COLUMN_IGNORE;
  }
  return 0;
}

Cell storedText(const std::u16string& value, Given given, const char16_t* columnDefault) {
  if (given == Given::null) return std::nullopt;
  if (given == Given::ignored) return columnDefault ? Cell(columnDefault) : std::nullopt;
  return value;
}

class PositionedExports : public windowstest::ConnectedDriverTest {
 protected:
  void SetUp() override {
    ConnectedDriverTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    ASSERT_NO_FATAL_FAILURE(
        run(u"create table w (id integer primary key, name text, note text default 'dflt')"));
    ASSERT_NO_FATAL_FAILURE(run(u"create table ten (id integer, label text)"));
    for (int id = 1; id <= 10; ++id) {
      const std::u16string row = utf16(std::to_string(id));
      if (id <= 6) {
        ASSERT_NO_FATAL_FAILURE(run(u"insert into w (id, name) values (" + row + u", 'seed')"));
      }
      ASSERT_NO_FATAL_FAILURE(run(u"insert into ten values (" + row + u", '" + label(id) + u"')"));
    }
  }

  static std::u16string label(int id) { return u"Zeile " + utf16(std::to_string(id)) + u" \u2713"; }

  SQLRETURN setAttr(SQLINTEGER attribute, SQLPOINTER value) {
    return odbc.SQLSetStmtAttr(stmt, attribute, value, 0);
  }
};

class AddedRows : public PositionedExports,
                  public ::testing::WithParamInterface<std::tuple<Route, Layout>> {};

TEST_P(AddedRows, ReachTheTableWithTheirStatusesAndTheResultFetchesOn) {
  const Route route = std::get<0>(GetParam());
  const Layout layout = std::get<1>(GetParam());
  const std::u16string quoted = u"O'Brien \\ ? -- \"x\"";
  const struct {
    const char* title;
    std::vector<AddedRow> rows;
  } cases[] = {
      {"counted and terminated wide text, a NULL",
       {{100, u"caf\u00e9 \u00fc", Given::counted, "one", Given::terminated},
        {101, u"\u03a9mega \U0001F600", Given::terminated, "", Given::null}}},
      {"quotes, a backslash, a marker and a comment in the values",
       {{110, quoted, Given::counted, "x'); drop table w; --", Given::counted},
        {111, u"", Given::null, "?", Given::terminated},
        {112, u"\u201cq\u201d", Given::terminated, "it's", Given::counted}}},
      {"an ignored row and an ignored column",
       {{120, u"eins", Given::terminated, "n1", Given::terminated},
        {121, u"zwei", Given::terminated, "n2", Given::terminated, true},
        {122, u"drei", Given::counted, "n3", Given::ignored}}},
      {"a taken key on row 2 of 3",
       {{130, u"a", Given::terminated, "n", Given::terminated},
        {1, u"b", Given::terminated, "n", Given::terminated, false, true},
        {132, u"\u00e7", Given::terminated, "n", Given::terminated}}},
      {"taken keys on every row",
       {{2, u"a", Given::terminated, "n", Given::terminated, false, true},
        {3, u"b", Given::terminated, "n", Given::terminated, false, true}}},
  };

  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    const std::size_t size = c.rows.size();
    BoundRows bound(layout);
    SQLUSMALLINT statuses[kMaxRows] = {};
    SQLUSMALLINT operations[kMaxRows] = {};
    ASSERT_EQ(setAttr(SQL_ATTR_ROW_ARRAY_SIZE, integer(size)), SQL_SUCCESS);
    ASSERT_EQ(setAttr(SQL_ATTR_ROW_STATUS_PTR, statuses), SQL_SUCCESS);
    if (route == Route::setPosUnderLock) {
      ASSERT_EQ(setAttr(SQL_ATTR_CURSOR_TYPE, integer(SQL_CURSOR_STATIC)), SQL_SUCCESS);
      ASSERT_EQ(setAttr(SQL_ATTR_CONCURRENCY, integer(SQL_CONCUR_LOCK)), SQL_SUCCESS);
      SQLULEN concurrency = 0;
      ASSERT_EQ(odbc.SQLGetStmtAttr(stmt, SQL_ATTR_CONCURRENCY, &concurrency, 0, nullptr),
                SQL_SUCCESS);
      ASSERT_EQ(concurrency, SQLULEN{SQL_CONCUR_LOCK});
    }
    std::u16string select = u"select id, name, note from w where id < 100 order by id";
    ASSERT_EQ(odbc.SQLExecDirectW(stmt, windowstest::wide(select), SQL_NTS), SQL_SUCCESS);
    ASSERT_NO_FATAL_FAILURE(bound.bind(odbc, stmt));
    ASSERT_EQ(odbc.SQLFetchScroll(stmt, SQL_FETCH_NEXT, 0), SQL_SUCCESS);
    ASSERT_EQ(bound.id(0), 1);

    Rows expected;
    std::vector<SQLUSMALLINT> expectedStatuses;
    for (std::size_t i = 0; i < size; ++i) {
      const AddedRow& row = c.rows[i];
      bound.id(i) = row.id;
      bound.idIndicator(i) = 0;
      bound.nameIndicator(i) = fillText(bound.name(i), row.name, row.nameGiven);
      bound.noteIndicator(i) = fillText(bound.note(i), row.note, row.noteGiven);
      operations[i] = row.ignored ? SQL_ROW_IGNORE : SQL_ROW_PROCEED;
      statuses[i] = kUntouched;
      expectedStatuses.push_back(row.ignored ? kUntouched
                                             : (row.fails ? SQL_ROW_ERROR : SQL_ROW_ADDED));
      if (row.ignored || row.fails) continue;
      expected.push_back(
          {utf16(std::to_string(row.id)), storedText(row.name, row.nameGiven, nullptr),
           storedText(std::u16string(row.note.begin(), row.note.end()), row.noteGiven, u"dflt")});
    }
    ASSERT_EQ(setAttr(SQL_ATTR_ROW_OPERATION_PTR, operations), SQL_SUCCESS);
    const SQLRETURN rc = route == Route::bulkOperations
                             ? odbc.SQLBulkOperations(stmt, SQL_ADD)
                             : odbc.SQLSetPos(stmt, 0, SQL_ADD, SQL_LOCK_NO_CHANGE);
    const std::vector<Diagnostic> records = diagnostics(stmt);
    ASSERT_EQ(setAttr(SQL_ATTR_ROW_OPERATION_PTR, nullptr), SQL_SUCCESS);
    std::size_t failures = 0;
    for (std::size_t i = 0; i < size; ++i) {
      EXPECT_EQ(statuses[i], expectedStatuses[i]) << "row " << i + 1;
      if (!c.rows[i].fails) continue;
      ++failures;
      bool warned = false;
      bool serverRecord = false;
      for (const Diagnostic& record : records) {
        if (record.rowNumber != static_cast<SQLLEN>(i + 1)) continue;
        (record.state == "01S01" ? warned : serverRecord) = true;
      }
      EXPECT_TRUE(warned) << "01S01 for row " << i + 1;
      EXPECT_TRUE(serverRecord) << "the server's record for row " << i + 1;
    }
    EXPECT_EQ(rc, failures == 0      ? SQL_SUCCESS
                  : failures == size ? SQL_ERROR
                                     : SQL_SUCCESS_WITH_INFO);

    // The result reads on from where it stood.
    ASSERT_EQ(odbc.SQLFetchScroll(stmt, SQL_FETCH_NEXT, 0), SQL_SUCCESS);
    EXPECT_EQ(bound.id(0), static_cast<SQLINTEGER>(size + 1));
    EXPECT_EQ(statuses[0], SQL_ROW_SUCCESS);
    ASSERT_EQ(odbc.SQLCloseCursor(stmt), SQL_SUCCESS);

    EXPECT_EQ(query(u"select id, name, note from w where id >= 100 order by id", {1, 2, 3}),
              expected);
    EXPECT_EQ(query(u"select id, name, note from w where id < 4", {1, 2, 3}),
              (Rows{{u"1", u"seed", u"dflt"}, {u"2", u"seed", u"dflt"}, {u"3", u"seed", u"dflt"}}));
    ASSERT_NO_FATAL_FAILURE(run(u"delete from w where id >= 100"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    RoutesAndLayouts, AddedRows,
    ::testing::Combine(::testing::Values(Route::bulkOperations, Route::setPosUnderLock),
                       ::testing::Values(Layout::columnWise, Layout::rowWiseWithOffset)),
    [](const ::testing::TestParamInfo<std::tuple<Route, Layout>>& info) {
      return std::string(std::get<0>(info.param) == Route::bulkOperations ? "BulkOperations"
                                                                          : "SetPosUnderLock") +
             (std::get<1>(info.param) == Layout::columnWise ? "ColumnWise" : "RowWiseWithOffset");
    });

TEST_F(PositionedExports, AddsToATableNamedOutsideAsciiThroughItsColumnNames) {
  ASSERT_NO_FATAL_FAILURE(
      run(u"create table \"caf\u00e9\" (\"na\u00efve\" integer, \"\u03a9 mega\" text)"));
  std::u16string select = u"select \"na\u00efve\", \"\u03a9 mega\" from \"caf\u00e9\"";
  ASSERT_EQ(odbc.SQLExecDirectW(stmt, windowstest::wide(select), SQL_NTS), SQL_SUCCESS);
  SQLINTEGER numbers[2] = {7, 8};
  SQLWCHAR texts[2][8] = {};
  SQLLEN lengths[2] = {SQL_NTS, SQL_NTS};
  std::memcpy(texts[0], u"\u00e9t\u00e9", 4 * sizeof(SQLWCHAR));
  std::memcpy(texts[1], u"\U0001F600", 3 * sizeof(SQLWCHAR));
  ASSERT_EQ(setAttr(SQL_ATTR_ROW_ARRAY_SIZE, integer(2)), SQL_SUCCESS);
  ASSERT_EQ(odbc.SQLBindCol(stmt, 1, SQL_C_SLONG, numbers, 0, nullptr), SQL_SUCCESS);
  ASSERT_EQ(odbc.SQLBindCol(stmt, 2, SQL_C_WCHAR, texts, sizeof texts[0], lengths), SQL_SUCCESS);
  ASSERT_EQ(odbc.SQLBulkOperations(stmt, SQL_ADD), SQL_SUCCESS) << firstState(stmt);
  ASSERT_EQ(odbc.SQLCloseCursor(stmt), SQL_SUCCESS);
  EXPECT_EQ(query(select + u" order by 1", {1, 2}),
            (Rows{{u"7", u"\u00e9t\u00e9"}, {u"8", u"\U0001F600"}}));
}

// Data at execution gathers one value a column, which cannot serve a rowset.
TEST_F(PositionedExports, DataAtExecutionIsRefusedBeforeAnyRowIsSent) {
  for (const SQLLEN indicator : {SQLLEN{SQL_DATA_AT_EXEC}, SQLLEN{SQL_LEN_DATA_AT_EXEC(5)}}) {
    SCOPED_TRACE(indicator);
    std::u16string select = u"select id, name from w";
    ASSERT_EQ(odbc.SQLExecDirectW(stmt, windowstest::wide(select), SQL_NTS), SQL_SUCCESS);
    SQLINTEGER ids[2] = {50, 51};
    SQLCHAR names[2][8] = {{'a'}, {'b'}};
    SQLLEN lengths[2] = {SQL_NTS, indicator};
    ASSERT_EQ(setAttr(SQL_ATTR_ROW_ARRAY_SIZE, integer(2)), SQL_SUCCESS);
    ASSERT_EQ(odbc.SQLBindCol(stmt, 1, SQL_C_SLONG, ids, 0, nullptr), SQL_SUCCESS);
    ASSERT_EQ(odbc.SQLBindCol(stmt, 2, SQL_C_CHAR, names, sizeof names[0], lengths), SQL_SUCCESS);
    EXPECT_EQ(odbc.SQLBulkOperations(stmt, SQL_ADD), SQL_ERROR);
    EXPECT_EQ(firstState(stmt), "HYC00");
    ASSERT_EQ(odbc.SQLCloseCursor(stmt), SQL_SUCCESS);
    EXPECT_EQ(query(u"select count(*) from w", {1}), (Rows{{u"6"}}));
  }
}

// SQL_C_CHAR text is in the application's code page both ways: a row fetched that way and added
// again keeps its characters.
TEST_F(PositionedExports, NarrowTextFetchedAndAddedAgainKeepsItsCharacters) {
  ASSERT_NO_FATAL_FAILURE(run(u"update w set name = 'caf\u00e9' where id = 1"));
  std::u16string select = u"select id, name from w where id = 1";
  ASSERT_EQ(odbc.SQLExecDirectW(stmt, windowstest::wide(select), SQL_NTS), SQL_SUCCESS);
  SQLINTEGER id = 0;
  SQLCHAR name[16] = {};
  SQLLEN nameLength = 0;
  ASSERT_EQ(odbc.SQLBindCol(stmt, 1, SQL_C_SLONG, &id, 0, nullptr), SQL_SUCCESS);
  ASSERT_EQ(odbc.SQLBindCol(stmt, 2, SQL_C_CHAR, name, sizeof name, &nameLength), SQL_SUCCESS);
  ASSERT_EQ(odbc.SQLFetchScroll(stmt, SQL_FETCH_NEXT, 0), SQL_SUCCESS);
  id = 40;
  ASSERT_EQ(odbc.SQLBulkOperations(stmt, SQL_ADD), SQL_SUCCESS) << firstState(stmt);
  ASSERT_EQ(odbc.SQLCloseCursor(stmt), SQL_SUCCESS);
  EXPECT_EQ(query(u"select name from w where id = 40", {1}), (Rows{{u"caf\u00e9"}}));
}

// What the bound buffers show after a fetch.
struct Rowset {
  std::vector<SQLINTEGER> ids;
  std::vector<SQLUSMALLINT> statuses;
  SQLULEN fetched;
  bool operator==(const Rowset& other) const {
    return ids == other.ids && statuses == other.statuses && fetched == other.fetched;
  }
};

void PrintTo(const Rowset& rowset, std::ostream* out) {
  *out << "ids";
  for (SQLINTEGER id : rowset.ids) *out << ' ' << id;
  *out << ", statuses";
  for (SQLUSMALLINT status : rowset.statuses) *out << ' ' << status;
  *out << ", fetched " << rowset.fetched;
}

// A static result of ten rows read three at a time, id bound, the label read by SQLGetData.
class RowsetOfTen : public PositionedExports {
 protected:
  void open(SQLULEN concurrency = SQL_CONCUR_READ_ONLY) {
    odbc.SQLFreeStmt(stmt, SQL_CLOSE);
    ASSERT_EQ(setAttr(SQL_ATTR_CURSOR_TYPE, integer(SQL_CURSOR_STATIC)), SQL_SUCCESS);
    ASSERT_EQ(setAttr(SQL_ATTR_CONCURRENCY, integer(concurrency)), SQL_SUCCESS);
    ASSERT_EQ(setAttr(SQL_ATTR_ROW_ARRAY_SIZE, integer(3)), SQL_SUCCESS);
    ASSERT_EQ(setAttr(SQL_ATTR_ROW_STATUS_PTR, statuses), SQL_SUCCESS);
    ASSERT_EQ(setAttr(SQL_ATTR_ROWS_FETCHED_PTR, &fetched), SQL_SUCCESS);
    std::u16string select = u"select id, label from ten order by id";
    ASSERT_EQ(odbc.SQLExecDirectW(stmt, windowstest::wide(select), SQL_NTS), SQL_SUCCESS);
    ASSERT_EQ(odbc.SQLBindCol(stmt, 1, SQL_C_SLONG, ids, 0, nullptr), SQL_SUCCESS);
  }

  // The ids of the rows the fetch delivered; the elements after them are not written.
  Rowset rowset() const {
    return {std::vector<SQLINTEGER>(ids, ids + std::min<SQLULEN>(fetched, 3)),
            {statuses[0], statuses[1], statuses[2]},
            fetched};
  }

  void overwriteBuffers() {
    for (std::size_t i = 0; i < 3; ++i) {
      ids[i] = -1;
      statuses[i] = kUntouched;
    }
  }

  Cell currentLabel() { return cellText(stmt, 2); }

  SQLINTEGER ids[3] = {};
  SQLUSMALLINT statuses[3] = {};
  SQLULEN fetched = 0;
};

TEST_F(RowsetOfTen, PositionAndRefreshLeaveTheNextFetchAsItWas) {
  const struct {
    SQLUSMALLINT operation;
    SQLSETPOSIROW row;
  } operations[] = {{SQL_POSITION, 1}, {SQL_POSITION, 2}, {SQL_POSITION, 3},
                    {SQL_REFRESH, 0},  {SQL_REFRESH, 1},  {SQL_REFRESH, 3}};
  const struct {
    SQLSMALLINT orientation;
    SQLLEN offset;
    SQLINTEGER firstId;
  } fetches[] = {{SQL_FETCH_NEXT, 0, 7},     {SQL_FETCH_PRIOR, 0, 1},
                 {SQL_FETCH_RELATIVE, 1, 5}, {SQL_FETCH_RELATIVE, -1, 3},
                 {SQL_FETCH_ABSOLUTE, 9, 9}, {SQL_FETCH_FIRST, 0, 1},
                 {SQL_FETCH_LAST, 0, 8}};
  ASSERT_NO_FATAL_FAILURE(open());
  const Rowset standing{{4, 5, 6}, {SQL_ROW_SUCCESS, SQL_ROW_SUCCESS, SQL_ROW_SUCCESS}, 3};
  for (const auto& fetch : fetches) {
    ASSERT_EQ(odbc.SQLFetchScroll(stmt, SQL_FETCH_ABSOLUTE, 4), SQL_SUCCESS);
    ASSERT_TRUE(SQL_SUCCEEDED(odbc.SQLFetchScroll(stmt, fetch.orientation, fetch.offset)));
    const Rowset without = rowset();
    ASSERT_EQ(without.ids[0], fetch.firstId);

    for (const auto& operation : operations) {
      SCOPED_TRACE(
          std::string(operation.operation == SQL_POSITION ? "SQL_POSITION " : "SQL_REFRESH ") +
          std::to_string(operation.row) + ", then orientation " +
          std::to_string(fetch.orientation) + " " + std::to_string(fetch.offset));
      ASSERT_EQ(odbc.SQLFetchScroll(stmt, SQL_FETCH_ABSOLUTE, 4), SQL_SUCCESS);
      const bool refresh = operation.operation == SQL_REFRESH;
      if (refresh) overwriteBuffers();
      ASSERT_EQ(odbc.SQLSetPos(stmt, operation.row, operation.operation, SQL_LOCK_NO_CHANGE),
                SQL_SUCCESS)
          << firstState(stmt);

      Rowset after = standing;
      if (refresh && operation.row != 0) {
        after.ids = {-1, -1, -1};
        after.statuses = {kUntouched, kUntouched, kUntouched};
        after.ids[operation.row - 1] = static_cast<SQLINTEGER>(3 + operation.row);
        after.statuses[operation.row - 1] = SQL_ROW_SUCCESS;
      }
      EXPECT_EQ(rowset(), after);
      // The positioned row is current; after refreshing every row, the rowset's last row.
      const int current = 3 + static_cast<int>(operation.row == 0 ? 3 : operation.row);
      EXPECT_EQ(currentLabel(), label(current));

      ASSERT_TRUE(SQL_SUCCEEDED(odbc.SQLFetchScroll(stmt, fetch.orientation, fetch.offset)));
      EXPECT_EQ(rowset(), without);
    }
  }
}

TEST_F(RowsetOfTen, RowsOutsideTheRowsetAndChangesAreRefused) {
  ASSERT_NO_FATAL_FAILURE(open());
  EXPECT_EQ(odbc.SQLSetPos(stmt, 1, SQL_POSITION, SQL_LOCK_NO_CHANGE), SQL_ERROR);
  EXPECT_EQ(firstState(stmt), "24000");

  const struct {
    SQLLEN absolute;  // the rowset fetched first
    SQLSETPOSIROW row;
    SQLUSMALLINT operation;
    const char* state;
  } cases[] = {
      {4, 0, SQL_POSITION, "HY109"},
      {4, 4, SQL_POSITION, "HY107"},
      {4, 4, SQL_REFRESH, "HY107"},
      // The last rowset holds rows 9 and 10 only.
      {9, 3, SQL_POSITION, "HY109"},
      {9, 3, SQL_REFRESH, "HY109"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.absolute) + ": row " + std::to_string(c.row) + ", operation " +
                 std::to_string(c.operation));
    ASSERT_TRUE(SQL_SUCCEEDED(odbc.SQLFetchScroll(stmt, SQL_FETCH_ABSOLUTE, c.absolute)));
    const Rowset before = rowset();
    EXPECT_EQ(odbc.SQLSetPos(stmt, c.row, c.operation, SQL_LOCK_NO_CHANGE), SQL_ERROR);
    EXPECT_EQ(firstState(stmt), c.state);
    EXPECT_EQ(rowset(), before);
  }

  const struct {
    SQLULEN concurrency;
    SQLUSMALLINT operation;
    SQLSETPOSIROW row;
    const char* state;
    const char16_t* message;
  } changes[] = {
      {SQL_CONCUR_READ_ONLY, SQL_UPDATE, 2, "HY092", u""},
      {SQL_CONCUR_READ_ONLY, SQL_DELETE, 2, "HY092", u""},
      {SQL_CONCUR_READ_ONLY, SQL_ADD, 2, "HY092", u""},
      {SQL_CONCUR_LOCK, SQL_UPDATE, 2, "HYC00", u"Cursor does not support updating rows"},
      {SQL_CONCUR_LOCK, SQL_DELETE, 2, "HYC00", u"Cursor does not support deleting rows"},
      // Nothing is read beyond the application's arrays.
      {SQL_CONCUR_LOCK, SQL_ADD, 4, "HY107", u""},
  };
  for (const auto& c : changes) {
    SCOPED_TRACE(std::string(c.state) + ", operation " + std::to_string(c.operation));
    ASSERT_NO_FATAL_FAILURE(open(c.concurrency));
    ASSERT_EQ(odbc.SQLFetchScroll(stmt, SQL_FETCH_ABSOLUTE, 4), SQL_SUCCESS);
    ids[1] = 50;
    EXPECT_EQ(odbc.SQLSetPos(stmt, c.row, c.operation, SQL_LOCK_NO_CHANGE), SQL_ERROR);
    const std::vector<Diagnostic> records = diagnostics(stmt);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].state, c.state);
    EXPECT_NE(records[0].message.find(c.message), std::u16string::npos);
    EXPECT_EQ(statuses[1], SQL_ROW_SUCCESS);
  }
  Rows table;
  for (int id = 1; id <= 10; ++id) table.push_back({utf16(std::to_string(id)), label(id)});
  EXPECT_EQ(query(u"select id, label from ten order by id", {1, 2}), table);
}

}  // namespace
