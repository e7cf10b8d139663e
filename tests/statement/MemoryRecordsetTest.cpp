#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Environment.h"
#include "statement/Descriptor.h"
#include "statement/MemoryRecordset.h"
#include "statement/Statement.h"
#include "tests/support/RecordingConnection.h"

namespace {

constexpr SQLLEN kUnwritten = 77;

class MemoryRecordsetTest : public ::testing::Test {
 protected:
  Descriptor& ird() { return *statement_.impRowDesc(); }

  // Result columns with value arrays of `elements` entries, the bookmark record's included, as
  // the result shapes give them; every entry starts as kUnwritten.
  void describe(int columns, SQLULEN elements = 1) {
    for (int c = 1; c <= columns; ++c) {
      ird().addRecord("c" + std::to_string(c), SQL_VARCHAR, SQL_NULLABLE, false);
    }
    for (SQLSMALLINT c = 0; c <= columns; ++c) {
      DescriptorRecord& record = *ird().getRecord(c);
      auto* indicators = static_cast<SQLLEN*>(std::malloc(elements * sizeof(SQLLEN)));
      auto* lengths = static_cast<SQLLEN*>(std::malloc(elements * sizeof(SQLLEN)));
      auto* data = static_cast<const char**>(std::malloc(elements * sizeof(const char*)));
      for (SQLULEN e = 0; e < elements; ++e) {
        indicators[e] = kUnwritten;
        lengths[e] = kUnwritten;
        data[e] = nullptr;
      }
      record.setIndicatorPtr(indicators);
      record.setOctetLengthPtr(lengths);
      record.setDataPtr(data);
    }
  }

  // Element e of a column as "text/length/indicator", "NULL/length/indicator" for a null text.
  std::string bound(SQLSMALLINT column, SQLULEN element = 0) {
    const DescriptorRecord& record = *ird().getRecord(column);
    const char* text = static_cast<const char**>(record.getDataPtr())[element];
    const SQLLEN length = record.getOctetLengthPtr()[element];
    const std::string value =
        text == nullptr ? "NULL" : std::string(text, static_cast<std::size_t>(std::max<SQLLEN>(length, 0)));
    return value + "/" + std::to_string(length) + "/" +
           std::to_string(record.getIndicatorPtr()[element]);
  }

  void addRows(int count) {
    for (int r = 1; r <= count; ++r) {
      rows_.addRow();
      rows_.setCellString(1, "r" + std::to_string(r));
    }
  }

  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC row source test", "Ferrow",
                           nullptr};
  testsupport::RecordingConnection connection_{&environment_};
  Statement statement_{&connection_};
  MemoryRecordset rows_{&statement_};
};

enum class Move { next, previous, relative, absolute, first, last };

struct MoveCase {
  SQLULEN rows;
  SQLULEN from;  // reached with absolute(); 0 and rows + 1 with next()
  Move move;
  SQLLEN argument;
  SQLRETURN answer;
  SQLULEN rowNumber;
};

TEST_F(MemoryRecordsetTest, MovesFollowTheTable) {
  constexpr SQLLEN kMax = std::numeric_limits<SQLLEN>::max();
  constexpr SQLLEN kMin = std::numeric_limits<SQLLEN>::min();
  const MoveCase cases[] = {
      {3, 0, Move::next, 0, SQL_SUCCESS, 1},
      {3, 2, Move::next, 0, SQL_SUCCESS, 3},
      {3, 3, Move::next, 0, SQL_NO_DATA, 4},
      {3, 4, Move::next, 0, SQL_NO_DATA, 4},
      {3, 3, Move::previous, 0, SQL_SUCCESS, 2},
      {3, 1, Move::previous, 0, SQL_NO_DATA, 0},
      {3, 4, Move::previous, 0, SQL_SUCCESS, 3},
      {3, 2, Move::relative, 1, SQL_SUCCESS, 3},
      {3, 2, Move::relative, 0, SQL_SUCCESS, 2},
      {3, 2, Move::relative, -5, SQL_NO_DATA, 0},
      {3, 2, Move::relative, -2, SQL_NO_DATA, 0},
      {3, 2, Move::relative, 5, SQL_NO_DATA, 3},
      {3, 2, Move::relative, kMax, SQL_NO_DATA, 3},
      {3, 2, Move::relative, kMin, SQL_NO_DATA, 0},
      {3, 4, Move::relative, kMax, SQL_NO_DATA, 3},
      {3, 2, Move::absolute, 0, SQL_NO_DATA, 0},
      {3, 2, Move::absolute, -1, SQL_NO_DATA, 0},
      {3, 2, Move::absolute, 4, SQL_NO_DATA, 3},
      {3, 0, Move::absolute, 3, SQL_SUCCESS, 3},
      {3, 0, Move::absolute, kMin, SQL_NO_DATA, 0},
      {3, 2, Move::first, 0, SQL_SUCCESS, 1},
      {3, 0, Move::last, 0, SQL_SUCCESS, 3},
      {0, 0, Move::first, 0, SQL_NO_DATA, 1},
      {0, 0, Move::last, 0, SQL_NO_DATA, 0},
      {0, 0, Move::next, 0, SQL_NO_DATA, 1},
      {0, 0, Move::absolute, 1, SQL_NO_DATA, 0},
  };
  describe(1);
  for (const MoveCase& c : cases) {
    SCOPED_TRACE("rows " + std::to_string(c.rows) + " from " + std::to_string(c.from) +
                 " move " + std::to_string(static_cast<int>(c.move)) + " argument " +
                 std::to_string(c.argument));
    rows_.close();
    addRows(static_cast<int>(c.rows));
    while (rows_.rowNumber() < c.from) rows_.next();
    ASSERT_EQ(rows_.rowNumber(), c.from);
    SQLRETURN answer = SQL_ERROR;
    switch (c.move) {
      case Move::next: answer = rows_.next(); break;
      case Move::previous: answer = rows_.previous(); break;
      case Move::relative: answer = rows_.relative(c.argument); break;
      case Move::absolute: answer = rows_.absolute(c.argument); break;
      case Move::first: answer = rows_.first(); break;
      case Move::last: answer = rows_.last(); break;
    }
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(rows_.rowNumber(), c.rowNumber);
  }
}

TEST_F(MemoryRecordsetTest, CloseDropsTheRowsAndStandsBeforeTheFirst) {
  describe(1);
  addRows(3);
  rows_.last();
  rows_.close();
  EXPECT_EQ(rows_.rowNumber(), 0u);
  EXPECT_EQ(rows_.rowCount(), 0u);
  EXPECT_EQ(rows_.next(), SQL_NO_DATA);
}

TEST_F(MemoryRecordsetTest, BindRowHandsOutCellsNullsAndTheBookmark) {
  describe(3);
  rows_.addRow();
  rows_.setCellString(1, "abc");
  rows_.setCellString(2, std::string("a\0b", 3));  // binary bytes keep their NUL
  rows_.addRow();
  rows_.setCellString(1, "");
  rows_.setCellString(3, "x");
  ASSERT_EQ(rows_.next(), SQL_SUCCESS);
  ASSERT_EQ(rows_.bindRow(0, SQL_RD_ON), SQL_SUCCESS);
  EXPECT_EQ(bound(0), "2/1/0");  // the row number plus one
  EXPECT_EQ(bound(1), "abc/3/0");
  EXPECT_EQ(bound(2), std::string("a\0b/3/0", 7));
  EXPECT_EQ(bound(3), "NULL/0/-1");

  ASSERT_EQ(rows_.next(), SQL_SUCCESS);
  rows_.bindRow(0, SQL_RD_ON);
  EXPECT_EQ(bound(0), "3/1/0");
  EXPECT_EQ(bound(1), "/0/0");  // empty, not NULL
  EXPECT_EQ(bound(2), "NULL/0/-1");
  EXPECT_EQ(bound(3), "x/1/0");
}

TEST_F(MemoryRecordsetTest, RetrieveDataOffStillBindsTheCells) {
  describe(2);
  rows_.addRow();
  rows_.setCellString(1, "kept");
  rows_.first();
  rows_.bindRow(0, SQL_RD_OFF);
  EXPECT_EQ(bound(0), "2/1/0");
  EXPECT_EQ(bound(1), "kept/4/0");
  EXPECT_EQ(bound(2), "NULL/0/-1");
}

TEST_F(MemoryRecordsetTest, ColumnsPastAShortRowBindAsNull) {
  describe(1);
  rows_.addRow();  // one cell: the result had one column then
  rows_.setCellString(1, "only");
  ird().addRecord("late", SQL_VARCHAR, SQL_NULLABLE, false);
  DescriptorRecord& late = *ird().getRecord(2);
  late.setIndicatorPtr(static_cast<SQLLEN*>(std::malloc(sizeof(SQLLEN))));
  late.setOctetLengthPtr(static_cast<SQLLEN*>(std::malloc(sizeof(SQLLEN))));
  late.setDataPtr(std::malloc(sizeof(const char*)));
  rows_.setCellString(2, "ignored");  // the row has no second cell
  rows_.first();
  rows_.bindRow(0, SQL_RD_ON);
  EXPECT_EQ(bound(1), "only/4/0");
  EXPECT_EQ(bound(2), "NULL/0/-1");
}

TEST_F(MemoryRecordsetTest, BindRowWritesOnlyItsElementAndOnlyOnARow) {
  describe(1, 3);
  addRows(2);
  rows_.bindRow(1, SQL_RD_ON);  // before the first row
  EXPECT_EQ(bound(1, 1), "NULL/77/77");
  rows_.absolute(2);
  rows_.bindRow(1, SQL_RD_ON);
  EXPECT_EQ(bound(1, 0), "NULL/77/77");
  EXPECT_EQ(bound(1, 1), "r2/2/0");
  EXPECT_EQ(bound(0, 1), "3/1/0");
  EXPECT_EQ(bound(1, 2), "NULL/77/77");
  rows_.next();  // after the last row
  rows_.bindRow(2, SQL_RD_ON);
  EXPECT_EQ(bound(1, 2), "NULL/77/77");
}

TEST_F(MemoryRecordsetTest, BoundCellsStayValidWhileRowsAreAdded) {
  describe(1);
  rows_.addRow();
  rows_.setCellString(1, "first");
  rows_.first();
  rows_.bindRow(0, SQL_RD_ON);
  const char* text = static_cast<const char**>(ird().getRecord(1)->getDataPtr())[0];
  const std::string big(10000, 'b');
  for (int r = 0; r < 1000; ++r) {
    rows_.addRow();
    rows_.setCellString(1, big);
  }
  EXPECT_STREQ(text, "first");
  EXPECT_EQ(rows_.rowCount(), 1001u);
}

TEST_F(MemoryRecordsetTest, SettersWithoutARowOrBeyondItChangeNothing) {
  describe(2);
  rows_.setCellString(1, "no row");
  rows_.setCellInt(1, 5);
  EXPECT_EQ(rows_.rowCount(), 0u);
  rows_.addRow();
  rows_.setCellString(0, "column 0");
  rows_.setCellString(3, "column 3");
  rows_.first();
  rows_.bindRow(0, SQL_RD_ON);
  EXPECT_EQ(bound(1), "NULL/0/-1");
  EXPECT_EQ(bound(2), "NULL/0/-1");
}

// A global locale whose decimal separator is a comma, as a host application may set; restored
// when the test ends.
class CommaLocale {
 public:
  CommaLocale() : previous_(std::locale()), previousC_(std::setlocale(LC_ALL, nullptr)) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
      try {
        std::locale::global(std::locale(name));
        std::setlocale(LC_ALL, name);
        active_ = true;
        return;
      } catch (const std::runtime_error&) {
      }
    }
  }
  ~CommaLocale() {
    std::locale::global(previous_);
    std::setlocale(LC_ALL, previousC_.c_str());
  }
  bool active() const { return active_; }

 private:
  std::locale previous_;
  std::string previousC_;
  bool active_ = false;
};

TEST_F(MemoryRecordsetTest, TypedSettersWriteTheClassicFormUnderAGermanLocale) {
  const CommaLocale german;
  if (!german.active()) GTEST_SKIP() << "no German locale here (generate de_DE.UTF-8)";
  std::ostringstream stream;
  stream << 0.5;
  ASSERT_EQ(stream.str(), "0,5") << "the locale does not show";

  describe(9);
  rows_.addRow();
  rows_.setCellDouble(1, 0.5);
  rows_.setCellDouble(2, 1234567.0);
  rows_.setCellDouble(3, -0.000012345678);
  rows_.setCellInt(4, -12);
  rows_.setCellInt(5, 1234567);
  rows_.setCellShort(6, 5);
  rows_.setCellShort(7, std::numeric_limits<SQLSMALLINT>::min());
  rows_.setCellChar(8, 'x');
  rows_.setCellDouble(9, std::nullopt);
  rows_.first();
  rows_.bindRow(0, SQL_RD_ON);
  EXPECT_EQ(bound(1), "0.5/3/0");
  EXPECT_EQ(bound(2), "1.23457e+06/11/0");
  EXPECT_EQ(bound(3), "-1.23457e-05/12/0");
  EXPECT_EQ(bound(4), "-12/3/0");
  EXPECT_EQ(bound(5), "1234567/7/0");
  EXPECT_EQ(bound(6), "5/1/0");
  EXPECT_EQ(bound(7), "-32768/6/0");
  EXPECT_EQ(bound(8), "x/1/0");
  EXPECT_EQ(bound(9), "NULL/0/-1");
}

TEST_F(MemoryRecordsetTest, AbsentTypedValuesAreNull) {
  describe(4);
  rows_.addRow();
  for (SQLUSMALLINT c = 1; c <= 4; ++c) rows_.setCellString(c, "set");
  rows_.setCellInt(1, std::nullopt);
  rows_.setCellShort(2, std::nullopt);
  rows_.setCellChar(3, std::nullopt);
  rows_.setCellString(4, std::nullopt);
  rows_.first();
  rows_.bindRow(0, SQL_RD_ON);
  for (SQLSMALLINT c = 1; c <= 4; ++c) EXPECT_EQ(bound(c), "NULL/0/-1") << c;
}

}  // namespace
