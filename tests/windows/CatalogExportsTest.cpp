// The module's catalog exports called directly against the development server: names outside
// ASCII and names and patterns that would break or change the server's SQL if written into it
// as they stand, given as NUL-terminated and as counted texts, wide and narrow.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/windows/LoadedDriver.h"

namespace {

using windowstest::Cell;
using windowstest::utf8;
using windowstest::wide;

// How a name reaches the export.
enum class Form { wideTerminated, wideCounted, narrowTerminated, narrowCounted };

const Form kForms[] = {Form::wideTerminated, Form::wideCounted, Form::narrowTerminated,
                       Form::narrowCounted};

const char* formName(Form form) {
  switch (form) {
    case Form::wideTerminated:
      return "wide, SQL_NTS";
    case Form::wideCounted:
      return "wide, counted";
    case Form::narrowTerminated:
      return "narrow, SQL_NTS";
    case Form::narrowCounted:
      return "narrow, counted";
  }
  return "";
}

// A name argument in one form. A counted name is followed by text that is not part of it.
class NameArgument {
 public:
  NameArgument(Form form, const std::u16string& name) : form_(form) {
    const bool counted = form == Form::wideCounted || form == Form::narrowCounted;
    if (isWide()) {
      wide_ = name + (counted ? u"%junk" : u"");
      length_ = counted ? static_cast<SQLSMALLINT>(name.size()) : SQLSMALLINT{SQL_NTS};
    } else {
      narrow_ = utf8(name);
      length_ = counted ? static_cast<SQLSMALLINT>(narrow_.size()) : SQLSMALLINT{SQL_NTS};
      if (counted) narrow_ += "%junk";
    }
  }

  bool isWide() const { return form_ == Form::wideTerminated || form_ == Form::wideCounted; }
  SQLWCHAR* wideText() { return wide(wide_); }
  SQLCHAR* narrowText() { return windowstest::narrow(narrow_); }
  SQLSMALLINT length() const { return length_; }

 private:
  Form form_;
  std::u16string wide_;
  std::string narrow_;
  SQLSMALLINT length_ = 0;
};

std::vector<std::u16string> sorted(std::vector<std::u16string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

// The fixture's tables, as the server lists them.
const std::vector<std::u16string> kTables = {u"O'Brien", u"a\"b",       u"caf\u00e9",
                                             u"t",       u"\u03a9mega", u"\U0001F600"};

class CatalogExports : public windowstest::ConnectedDriverTest {
 protected:
  void SetUp() override {
    ConnectedDriverTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    for (const char16_t* sql : {
             u"create table t (id integer)",
             u"insert into t values (1)",
             u"create table \"O'Brien\" (id integer primary key)",
             u"create table \"a\"\"b\" (\"c\"\"d\" text)",
             u"create index \"i\"\"x\" on \"a\"\"b\" (\"c\"\"d\")",
             u"create table \"caf\u00e9\" (\"na\u00efve\" integer primary key, \"\u03a9mega\" "
             u"text, "
             u"\"\U0001F600\" text)",
             u"create table \"\u03a9mega\" (x integer)",
             u"create table \"\U0001F600\" (x integer)",
             u"create index \"\u00edndice_\u03a9\" on \"caf\u00e9\" (\"\u03a9mega\")",
             u"create unique index \"u\"\"\U0001F600\" on \"caf\u00e9\" (\"\U0001F600\")",
         }) {
      ASSERT_NO_FATAL_FAILURE(run(sql));
    }
  }

  // TABLE_NAME of every row SQLTables gives for the pattern (every type).
  std::vector<std::u16string> tables(Form form, const std::u16string& pattern) {
    NameArgument name(form, pattern);
    const SQLRETURN rc = name.isWide()
                             ? odbc.SQLTablesW(stmt, nullptr, 0, nullptr, 0, name.wideText(),
                                               name.length(), nullptr, 0)
                             : odbc.SQLTables(stmt, nullptr, 0, nullptr, 0, name.narrowText(),
                                              name.length(), nullptr, 0);
    EXPECT_EQ(rc, SQL_SUCCESS) << firstState(stmt);
    return column(readRows(stmt, {3}), 0);
  }

  // TABLE_NAME and COLUMN_NAME of every row SQLColumns gives.
  std::vector<std::vector<Cell>> columns(Form form, const std::u16string& table,
                                         const std::u16string& pattern) {
    NameArgument tableName(form, table);
    NameArgument columnName(form, pattern);
    const SQLRETURN rc =
        tableName.isWide()
            ? odbc.SQLColumnsW(stmt, nullptr, 0, nullptr, 0, tableName.wideText(),
                               tableName.length(), columnName.wideText(), columnName.length())
            : odbc.SQLColumns(stmt, nullptr, 0, nullptr, 0, tableName.narrowText(),
                              tableName.length(), columnName.narrowText(), columnName.length());
    EXPECT_EQ(rc, SQL_SUCCESS) << firstState(stmt);
    return readRows(stmt, {3, 4});
  }

  static std::vector<std::u16string> column(const std::vector<std::vector<Cell>>& rows,
                                            std::size_t index) {
    std::vector<std::u16string> values;
    for (const auto& row : rows) values.push_back(row[index].value_or(u"<NULL>"));
    return values;
  }

  // Nothing the calls were given ran on the server: every table stands, with its row.
  void expectFixtureStands() {
    std::u16string types = u"TABLE";
    ASSERT_EQ(odbc.SQLTablesW(stmt, nullptr, 0, nullptr, 0, nullptr, 0, wide(types), SQL_NTS),
              SQL_SUCCESS);
    EXPECT_EQ(sorted(column(readRows(stmt, {3}), 0)), sorted(kTables));
    EXPECT_EQ(query(u"select count(*) from t", {1}), (std::vector<std::vector<Cell>>{{u"1"}}));
  }
};

TEST_F(CatalogExports, TablesMatchesPatternsAsPatternsAndNothingMore) {
  struct Case {
    std::u16string pattern;
    std::vector<std::u16string> expected;
  };
  std::vector<std::u16string> everyTable = kTables;
  everyTable.push_back(u"sqlite_master");
  const Case cases[] = {
      {u"O'Brien", {u"O'Brien"}},
      {u"a\"b", {u"a\"b"}},
      {u"x\"); DROP TABLE t; --", {}},
      {u"' OR 1=1 --", {}},
      {u"%", everyTable},
      // One character, one of four UTF-8 bytes included.
      {u"_", {u"t", u"\U0001F600"}},
      {u"o'b%", {u"O'Brien"}},
      {u"caf\u00e9", {u"caf\u00e9"}},
      {u"caf_", {u"caf\u00e9"}},
      {u"%mega", {u"\u03a9mega"}},
      {u"\U0001F600", {u"\U0001F600"}},
  };
  for (Form form : kForms) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(formName(form)) + ": " + utf8(c.pattern));
      EXPECT_EQ(sorted(tables(form, c.pattern)), sorted(c.expected));
    }
  }
  expectFixtureStands();
}

TEST_F(CatalogExports, ColumnsTakesTheTableByItsExactName) {
  struct Case {
    std::u16string table;
    std::u16string pattern;
    std::vector<std::u16string> expected;
  };
  const std::vector<std::u16string> cafeColumns = {u"na\u00efve", u"\u03a9mega", u"\U0001F600"};
  const Case cases[] = {
      {u"caf\u00e9", u"%", cafeColumns},
      {u"caf\u00e9", u"", cafeColumns},
      {u"caf\u00e9", u"\u03a9mega", {u"\u03a9mega"}},
      // ASCII letters in either case; the others as they are.
      {u"caf\u00e9", u"NA\u00efVE", {u"na\u00efve"}},
      {u"caf\u00e9", u"\U0001F600", {u"\U0001F600"}},
      {u"O'Brien", u"%", {u"id"}},
      {u"a\"b", u"%", {u"c\"d"}},
      {u"a\"b", u"c\"d", {u"c\"d"}},
      {u"\U0001F600", u"%", {u"x"}},
      {u"x\"); DROP TABLE t; --", u"%", {}},
      {u"' OR 1=1 --", u"%", {}},
      {u"%", u"%", {}},
      {u"_", u"%", {}},
      {u"o'b%", u"%", {}},
  };
  for (Form form : kForms) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(formName(form)) + ": " + utf8(c.table) + ", " + utf8(c.pattern));
      const std::vector<std::vector<Cell>> rows = columns(form, c.table, c.pattern);
      EXPECT_EQ(column(rows, 1), c.expected);
      for (const std::u16string& table : column(rows, 0)) EXPECT_EQ(table, c.table);
    }
  }
  expectFixtureStands();
}

TEST_F(CatalogExports, KeysIndexesAndRowIdsOnlyOfTheTableNamed) {
  struct Case {
    std::u16string table;
    std::vector<std::u16string> key;
    std::vector<std::u16string> indexes;
    bool exists;
  };
  const Case cases[] = {
      {u"O'Brien", {u"id"}, {}, true},
      {u"a\"b", {}, {u"i\"x"}, true},
      {u"caf\u00e9", {u"na\u00efve"}, {u"u\"\U0001F600", u"\u00edndice_\u03a9"}, true},
      {u"\U0001F600", {}, {}, true},
      {u"x\"); DROP TABLE t; --", {}, {}, false},
      {u"' OR 1=1 --", {}, {}, false},
      // Table names, not patterns.
      {u"%", {}, {}, false},
      {u"_", {}, {}, false},
      {u"o'b%", {}, {}, false},
  };
  const std::vector<std::vector<Cell>> rowId = {{u"ROWID"}};
  for (Form form : {Form::wideTerminated, Form::wideCounted}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(formName(form)) + ": " + utf8(c.table));
      NameArgument table(form, c.table);
      ASSERT_EQ(
          odbc.SQLPrimaryKeysW(stmt, nullptr, 0, nullptr, 0, table.wideText(), table.length()),
          SQL_SUCCESS);
      EXPECT_EQ(column(readRows(stmt, {4}), 0), c.key);
      ASSERT_EQ(odbc.SQLStatisticsW(stmt, nullptr, 0, nullptr, 0, table.wideText(), table.length(),
                                    SQL_INDEX_ALL, SQL_QUICK),
                SQL_SUCCESS);
      EXPECT_EQ(sorted(column(readRows(stmt, {6}), 0)), sorted(c.indexes));
      ASSERT_EQ(
          odbc.SQLSpecialColumnsW(stmt, SQL_BEST_ROWID, nullptr, 0, nullptr, 0, table.wideText(),
                                  table.length(), SQL_SCOPE_SESSION, SQL_NULLABLE),
          SQL_SUCCESS);
      EXPECT_EQ(readRows(stmt, {2}), c.exists ? rowId : std::vector<std::vector<Cell>>{});
    }
  }
  expectFixtureStands();
}

TEST_F(CatalogExports, IndexesKeysAndTypesOfATableNamedOutsideAscii) {
  std::u16string table = u"caf\u00e9";
  ASSERT_EQ(odbc.SQLStatisticsW(stmt, nullptr, 0, nullptr, 0, wide(table), SQL_NTS, SQL_INDEX_ALL,
                                SQL_QUICK),
            SQL_SUCCESS)
      << firstState(stmt);
  // TABLE_NAME, NON_UNIQUE, INDEX_NAME, COLUMN_NAME; in the server's index order.
  std::vector<std::vector<Cell>> indexes = readRows(stmt, {3, 4, 6, 9});
  std::sort(indexes.begin(), indexes.end());
  EXPECT_EQ(indexes, (std::vector<std::vector<Cell>>{
                         {table, u"0", u"u\"\U0001F600", u"\U0001F600"},
                         {table, u"1", u"\u00edndice_\u03a9", u"\u03a9mega"},
                     }));

  ASSERT_EQ(odbc.SQLStatisticsW(stmt, nullptr, 0, nullptr, 0, wide(table), SQL_NTS,
                                SQL_INDEX_UNIQUE, SQL_QUICK),
            SQL_SUCCESS);
  EXPECT_EQ(column(readRows(stmt, {6}), 0), (std::vector<std::u16string>{u"u\"\U0001F600"}));

  // The rowid alias is the key: no index of its own, so no key name.
  ASSERT_EQ(odbc.SQLPrimaryKeysW(stmt, nullptr, 0, nullptr, 0, wide(table), SQL_NTS), SQL_SUCCESS)
      << firstState(stmt);
  EXPECT_EQ(readRows(stmt, {3, 4, 5, 6}),
            (std::vector<std::vector<Cell>>{{table, u"na\u00efve", u"1", std::nullopt}}));

  ASSERT_EQ(odbc.SQLGetTypeInfoW(stmt, SQL_ALL_TYPES), SQL_SUCCESS);
  SQLSMALLINT count = 0;
  ASSERT_EQ(odbc.SQLNumResultCols(stmt, &count), SQL_SUCCESS);
  ASSERT_EQ(count, 19);
  std::vector<SQLUSMALLINT> every(19);
  for (SQLUSMALLINT n = 0; n < 19; ++n) every[n] = static_cast<SQLUSMALLINT>(n + 1);
  const std::vector<std::vector<Cell>> wideTypes = readRows(stmt, every);
  EXPECT_FALSE(wideTypes.empty());
  ASSERT_EQ(odbc.SQLGetTypeInfo(stmt, SQL_ALL_TYPES), SQL_SUCCESS);
  EXPECT_EQ(readRows(stmt, every), wideTypes);
}

}  // namespace
