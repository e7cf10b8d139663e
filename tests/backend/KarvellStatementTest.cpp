// Result description and the forward-only row source, on cursors built locally (no server), and
// the SQLGetTypeInfo rows.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "backend/DriverFactories.h"
#include "backend/KarvellConnection.h"
#include "backend/KarvellRecordset.h"
#include "backend/KarvellStatement.h"
#include "client/kvl.h"
#include "core/Environment.h"
#include "statement/Descriptor.h"
#include "statement/DescriptorRecord.h"
#include "statement/MemoryRecordset.h"
#include "tests/support/TypeInformationRows.h"
#ifndef _WIN32
#include "tests/support/TempOdbcIni.h"
#endif

namespace {

// A statement whose result comes from a local cursor.
class LocalCursorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    environment_.reset(createEnvironment());
    connection_ = std::make_unique<KarvellConnection>(environment_.get());
  }

  // A cursor of the given column types named c1, c2, ..., with rows of texts ("\x01" for NULL).
  static KvlCursor* cursor(const std::vector<int>& types,
                           const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::string> names;
    std::vector<const char*> namePointers;
    for (std::size_t c = 0; c < types.size(); ++c) names.push_back("c" + std::to_string(c + 1));
    for (const std::string& name : names) namePointers.push_back(name.c_str());
    KvlCursor* made = kvl_cursor_create(nullptr, 8, static_cast<int>(types.size()), types.data(),
                                        namePointers.data());
    for (const auto& row : rows) {
      std::vector<const void*> values;
      std::vector<int> lengths;
      for (const std::string& value : row) {
        const bool null = value == "\x01";
        values.push_back(null ? nullptr : value.data());
        lengths.push_back(null ? -1 : static_cast<int>(value.size()));
      }
      EXPECT_EQ(kvl_cursor_add_row(made, values.data(), lengths.data()), 1);
    }
    return made;
  }

  std::unique_ptr<KarvellStatement> statement() {
    return std::make_unique<KarvellStatement>(connection_.get());
  }

#ifndef _WIN32
  testsupport::TempOdbcIni ini_;
#endif
  std::unique_ptr<Environment> environment_;
  std::unique_ptr<KarvellConnection> connection_;
};

TEST_F(LocalCursorTest, ServerTypeCodesAreDescribed) {
  struct Expected {
    int code;
    SQLSMALLINT odbc3;
    SQLSMALLINT odbc2;
    SQLSMALLINT wide;  // with the unicode text types, ODBC 3
    const char* typeName;
    SQLULEN length;
    SQLSMALLINT precision;
    SQLSMALLINT scale;
    SQLSMALLINT isUnsigned;
  };
  const Expected expected[] = {
      {1, SQL_BIGINT, SQL_BIGINT, SQL_BIGINT, "int", 19, 19, 0, SQL_FALSE},
      {2, SQL_DOUBLE, SQL_DOUBLE, SQL_DOUBLE, "double", 15, 15, 0, SQL_FALSE},
      // Text of a result in hand is described by its values: one character when it has none.
      {3, SQL_VARCHAR, SQL_VARCHAR, SQL_WVARCHAR, "text", 1, 0, 0, SQL_TRUE},
      {4, SQL_LONGVARBINARY, SQL_LONGVARBINARY, SQL_LONGVARBINARY, "blob", 1000000000, 0, 0,
       SQL_TRUE},
      {5, SQL_BIT, SQL_BIT, SQL_BIT, "boolean", 1, 1, 0, SQL_TRUE},
      {6, SQL_TYPE_DATE, SQL_DATE, SQL_TYPE_DATE, "date", 10, 0, 0, SQL_TRUE},
      {7, SQL_TYPE_TIME, SQL_TIME, SQL_TYPE_TIME, "time", 8, 0, 0, SQL_TRUE},
      {8, SQL_TYPE_TIMESTAMP, SQL_TIMESTAMP, SQL_TYPE_TIMESTAMP, "timestamp", 19, 0, 0, SQL_TRUE},
      {9, SQL_FLOAT, SQL_FLOAT, SQL_FLOAT, "currency", 15, 15, 0, SQL_FALSE},
      {12, SQL_VARCHAR, SQL_VARCHAR, SQL_WVARCHAR, "text", 1, 0, 0, SQL_TRUE},
  };
  std::vector<int> codes;
  for (const Expected& e : expected) codes.push_back(e.code);
  for (const int variant : {0, 1, 2}) {  // ODBC 3, ODBC 2, ODBC 3 with the wide types
    SCOPED_TRACE(variant);
    environment_->setOdbcVersion(variant == 1 ? SQL_OV_ODBC2 : SQL_OV_ODBC3);
    connection_->setUnicodeTextTypes(variant == 2);
    auto stmt = statement();
    // Described twice: the second description replaces the first.
    ASSERT_EQ(stmt->describeResult(cursor(codes, {})), SQL_SUCCESS);
    ASSERT_EQ(stmt->describeResult(cursor(codes, {})), SQL_SUCCESS);
    const Descriptor& ird = *stmt->impRowDesc();
    ASSERT_EQ(ird.getCount(), static_cast<SQLSMALLINT>(std::size(expected)));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
      const Expected& e = expected[i];
      SCOPED_TRACE(e.code);
      const DescriptorRecord& record = *ird.getRecord(static_cast<SQLSMALLINT>(i + 1));
      EXPECT_EQ(record.getName(), "c" + std::to_string(i + 1));
      EXPECT_EQ(record.getConciseType(), variant == 0 ? e.odbc3 : variant == 1 ? e.odbc2 : e.wide);
      EXPECT_EQ(record.getTypeName(), e.typeName);
      EXPECT_EQ(record.getLength(), e.length);
      EXPECT_EQ(record.getPrecision(), e.precision);
      EXPECT_EQ(record.getScale(), e.scale);
      EXPECT_EQ(record.getUnsigned(), e.isUnsigned);
      EXPECT_EQ(record.getNullable(), SQL_NULLABLE);
    }
    SQLLEN rowCount = 0;
    EXPECT_EQ(stmt->rowCount(&rowCount), SQL_SUCCESS);
    EXPECT_EQ(rowCount, -1);
  }
}

// The longest value of each text column, in the bytes SQL_C_CHAR receives (UTF-16 units with
// the wide types), so that a buffer of the column size and a terminator holds every value.
TEST_F(LocalCursorTest, TextColumnsAreDescribedByTheirLongestValue) {
  const std::string euro = "\xE2\x82\xAC";        // 1 character, 3 bytes, 1 UTF-16 unit
  const std::string smiley = "\xF0\x9F\x98\x80";  // 1 character, 4 bytes, 2 UTF-16 units
  const std::string nul("a\0b", 3);
  const std::vector<std::vector<std::string>> rows = {
      {"ab", euro + euro + "x", "\x01", "", smiley + smiley, nul, "7"},
      {"abcde", "\x01", "\x01", "", "z", "", "12"},
      {"", euro, "\x01", "", "\x01", "\x01", "3"},
  };
  const struct {
    SQLULEN bytes;
    SQLULEN units;
  } expected[] = {
      {5, 5},  // ASCII
      {7, 3},  // multibyte: bytes narrow, units wide
      {1, 1},  // NULL in every row
      {1, 1},  // empty in every row
      {8, 4},  // outside the BMP: two units each when wide
      {3, 3},  // a NUL inside counts as a character
  };
  for (const bool wide : {false, true}) {
    SCOPED_TRACE(wide);
    connection_->setUnicodeTextTypes(wide);
    auto stmt = statement();
    ASSERT_EQ(stmt->describeResult(cursor({3, 3, 3, 3, 3, 3, 1}, rows)), SQL_SUCCESS);
    const Descriptor& ird = *stmt->impRowDesc();
    for (std::size_t i = 0; i < std::size(expected); ++i) {
      SCOPED_TRACE(i + 1);
      const DescriptorRecord& record = *ird.getRecord(static_cast<SQLSMALLINT>(i + 1));
      const SQLULEN size = wide ? expected[i].units : expected[i].bytes;
      EXPECT_EQ(record.getConciseType(), wide ? SQL_WVARCHAR : SQL_VARCHAR);
      EXPECT_EQ(record.getLength(), size);
      EXPECT_EQ(record.getOctetLength(), static_cast<SQLLEN>(wide ? 2 * size : size));
      EXPECT_EQ(record.getDisplaySize(), static_cast<SQLLEN>(size));
      EXPECT_EQ(record.getTypeName(), "text");
    }
    // Numbers keep their own description.
    EXPECT_EQ(ird.getRecord(7)->getConciseType(), SQL_BIGINT);
  }
  // Text SQL_C_CHAR delivers in another code page is measured there: a euro is one byte of
  // Windows Latin-1.
  connection_->setUnicodeTextTypes(false);
  connection_->setReceiveEncoding("LATIN-1");
  auto stmt = statement();
  ASSERT_EQ(stmt->describeResult(cursor({3, 3, 3, 3, 3, 3, 1}, rows)), SQL_SUCCESS);
  EXPECT_EQ(stmt->impRowDesc()->getRecord(2)->getLength(), 3u);
}

TEST_F(LocalCursorTest, RowSourceHandsOutTheCursorsBytes) {
  const std::string blob("a\0b\0", 4);
  auto stmt = statement();
  ASSERT_EQ(stmt->setStmtAttr(SQL_ATTR_USE_BOOKMARKS, reinterpret_cast<SQLPOINTER>(SQL_UB_VARIABLE),
                              0),
            SQL_SUCCESS);
  ASSERT_EQ(stmt->describeResult(cursor({3, 4, 3}, {{"x", blob, "\x01"}, {"", "\x01", "yz"}})),
            SQL_SUCCESS);
  Recordset* rows = stmt->recordset();
  ASSERT_NE(dynamic_cast<KarvellRecordset*>(rows), nullptr);
  const Descriptor& ird = *stmt->impRowDesc();
  for (SQLSMALLINT column = 0; column <= 3; ++column) {
    const DescriptorRecord& record = *ird.getRecord(column);
    ASSERT_NE(record.getDataPtr(), nullptr) << column;
    ASSERT_NE(record.getIndicatorPtr(), nullptr) << column;
    ASSERT_NE(record.getOctetLengthPtr(), nullptr) << column;
  }
  const auto cell = [&ird](SQLSMALLINT column) {
    const DescriptorRecord& record = *ird.getRecord(column);
    const char* data = static_cast<const char**>(record.getDataPtr())[0];
    const SQLLEN indicator = record.getIndicatorPtr()[0];
    const SQLLEN length = record.getOctetLengthPtr()[0];
    if (indicator == SQL_NULL_DATA) {
      EXPECT_EQ(data, nullptr);
      EXPECT_EQ(length, 0);
      return std::string("NULL");
    }
    EXPECT_NE(data, nullptr);
    return std::string(data, static_cast<std::size_t>(length));
  };
  ASSERT_EQ(rows->next(), SQL_SUCCESS);
  rows->bindRow(0, SQL_RD_ON);
  EXPECT_EQ(cell(0), "1");
  EXPECT_EQ(cell(1), "x");
  EXPECT_EQ(cell(2), blob);
  EXPECT_EQ(cell(3), "NULL");
  ASSERT_EQ(rows->next(), SQL_SUCCESS);
  rows->bindRow(0, SQL_RD_ON);
  EXPECT_EQ(cell(0), "2");
  EXPECT_EQ(cell(1), "") << "empty, not NULL";
  EXPECT_EQ(cell(2), "NULL");
  EXPECT_EQ(cell(3), "yz");
  EXPECT_EQ(rows->next(), SQL_NO_DATA);
  EXPECT_EQ(rows->next(), SQL_NO_DATA);
  for (const SQLRETURN refused : {rows->previous(), rows->first(), rows->last(),
                                  rows->absolute(1), rows->relative(1)})
    EXPECT_EQ(refused, SQL_ERROR);

  // An empty result is at its end at once.
  ASSERT_EQ(stmt->describeResult(cursor({1}, {})), SQL_SUCCESS);
  EXPECT_EQ(stmt->recordset()->next(), SQL_NO_DATA);
  EXPECT_EQ(stmt->recordset()->rowNumber(), 0u);
}

TEST_F(LocalCursorTest, FreeingTheCursorDetachesTheRowSource) {
  for (const SQLUSMALLINT option : {SQL_CLOSE, SQL_DROP}) {
    auto stmt = statement();
    ASSERT_EQ(stmt->describeResult(cursor({3}, {{"a"}, {"b"}})), SQL_SUCCESS);
    Recordset* rows = stmt->recordset();
    ASSERT_EQ(rows->next(), SQL_SUCCESS);
    ASSERT_EQ(stmt->freeStmt(option), SQL_SUCCESS);
    EXPECT_EQ(stmt->serverCursor(), nullptr);
    if (stmt->recordset() != nullptr) {
      EXPECT_EQ(stmt->recordset()->next(), SQL_NO_DATA) << option;
      EXPECT_EQ(stmt->recordset()->bindRow(0, SQL_RD_ON), SQL_SUCCESS);
    }
  }
  auto stmt = statement();
  ASSERT_EQ(stmt->describeResult(cursor({3}, {{"a"}})), SQL_SUCCESS);
  ASSERT_EQ(stmt->closeCursor(), SQL_SUCCESS);
  EXPECT_EQ(stmt->serverCursor(), nullptr);
  ASSERT_NE(stmt->recordset(), nullptr);
  EXPECT_EQ(stmt->recordset()->next(), SQL_NO_DATA);
  // A statement deleted with its cursor (as at disconnect) frees it: ASan tells otherwise.
  ASSERT_EQ(stmt->describeResult(cursor({3}, {{"a"}})), SQL_SUCCESS);
}

TEST_F(LocalCursorTest, StaticCursorCopiesTheRowsAndFreesTheCursor) {
  auto stmt = statement();
  ASSERT_EQ(stmt->setStmtAttr(SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC),
                              0),
            SQL_SUCCESS);
  const std::string blob("\0\x27\xFF", 3);
  ASSERT_EQ(stmt->describeResult(cursor({3, 4}, {{"a", blob}, {"\x01", ""}})), SQL_SUCCESS);
  EXPECT_EQ(stmt->serverCursor(), nullptr);
  auto* rows = dynamic_cast<MemoryRecordset*>(stmt->recordset());
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->rowCount(), 2u);
  const DescriptorRecord& second = *stmt->impRowDesc()->getRecord(2);
  ASSERT_EQ(rows->absolute(1), SQL_SUCCESS);
  rows->bindRow(0, SQL_RD_ON);
  EXPECT_EQ(std::string(static_cast<const char**>(second.getDataPtr())[0],
                        static_cast<std::size_t>(second.getOctetLengthPtr()[0])),
            blob);
  ASSERT_EQ(rows->absolute(2), SQL_SUCCESS);
  rows->bindRow(0, SQL_RD_ON);
  EXPECT_EQ(stmt->impRowDesc()->getRecord(1)->getIndicatorPtr()[0], SQL_NULL_DATA);
  EXPECT_EQ(second.getIndicatorPtr()[0], 0);
  EXPECT_EQ(second.getOctetLengthPtr()[0], 0);
}

TEST_F(LocalCursorTest, RowWiseParameterBindingIsRefused) {
  auto stmt = statement();
  EXPECT_EQ(stmt->setStmtAttr(SQL_ATTR_PARAM_BIND_TYPE, reinterpret_cast<SQLPOINTER>(16), 0),
            SQL_ERROR);
  char state[6] = {};
  SQLINTEGER native = 1;
  char message[256] = {};
  ASSERT_EQ(stmt->getDiagRec(1, state, &native, message, sizeof message, nullptr), SQL_SUCCESS);
  EXPECT_STREQ(state, "S1092");
  EXPECT_NE(std::strstr(message, "Invalid attribute/option identifier"), nullptr);
  EXPECT_EQ(stmt->setStmtAttr(SQL_ATTR_PARAM_BIND_TYPE, SQL_PARAM_BIND_BY_COLUMN, 0),
            SQL_SUCCESS);
  // Not connected: nothing is sent.
  EXPECT_EQ(stmt->execDirect("SELECT 1", SQL_NTS), SQL_ERROR);
  ASSERT_EQ(stmt->getDiagRec(1, state, &native, message, sizeof message, nullptr), SQL_SUCCESS);
  EXPECT_STREQ(state, "08S01");
}

// Exposes the type-information rows of a statement.
class TypeRowStatement : public KarvellStatement {
 public:
  using KarvellStatement::KarvellStatement;

  // Every row of SQL_ALL_TYPES, cells as texts ("NULL" for NULL).
  std::vector<std::vector<std::string>> allTypes() {
    for (int column = 1; column <= 19; ++column)
      ird_->addRecord("c" + std::to_string(column), SQL_VARCHAR, SQL_NULLABLE, true);
    giveRowBuffers();
    auto* rows = new MemoryRecordset(this);
    installRecordset(rows);
    addAllTypeInfo();
    std::vector<std::vector<std::string>> table;
    while (rows->next() == SQL_SUCCESS) {
      rows->bindRow(0, SQL_RD_ON);
      std::vector<std::string> row;
      for (SQLSMALLINT column = 1; column <= 19; ++column) {
        const DescriptorRecord& record = *ird_->getRecord(column);
        const char* data = static_cast<const char**>(record.getDataPtr())[0];
        row.push_back(data ? std::string(data, static_cast<std::size_t>(
                                                   record.getOctetLengthPtr()[0]))
                           : "NULL");
      }
      table.push_back(row);
    }
    return table;
  }
};

// The rows an ODBC 3 application reads: each DATA_TYPE is what SQLColumns gives a column declared
// with the row's name.
TEST_F(LocalCursorTest, SixteenTypeRows) {
  TypeRowStatement stmt(connection_.get());
  EXPECT_EQ(stmt.allTypes(), testsupport::odbc3TypeRows());
}

}  // namespace
