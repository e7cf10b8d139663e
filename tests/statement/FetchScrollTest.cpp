#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/Environment.h"
#include "statement/Statement.h"
#include "tests/statement/TakeState.h"
#include "tests/support/ScriptedConnection.h"

namespace {

constexpr SQLUSMALLINT kUntouchedStatus = 0xEEEE;
constexpr SQLULEN kUntouchedCount = 999;

// A result of numbered rows (column 1 holds the row number) behind a static cursor, with column
// 1 bound column-wise at the given rowset size and the rows-fetched and status pointers set.
class ScrollTest : public ::testing::Test {
 protected:
  void open(SQLULEN rowCount, SQLULEN rowsetSize, SQLULEN cursorType = SQL_CURSOR_STATIC) {
    connection_.answer.columns = {"n"};
    for (SQLULEN row = 1; row <= rowCount; ++row) {
      connection_.answer.rows.push_back({std::to_string(row)});
    }
    ASSERT_TRUE(SQL_SUCCEEDED(
        statement_.setStmtAttr(SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(cursorType), 0)));
    rowsetSize_ = rowsetSize;
    values_.assign(rowsetSize, 0);
    indicators_.assign(rowsetSize, 0);
    statuses_.assign(rowsetSize, kUntouchedStatus);
    ASSERT_EQ(statement_.setStmtAttr(SQL_ATTR_ROW_ARRAY_SIZE,
                                     reinterpret_cast<SQLPOINTER>(rowsetSize), 0),
              SQL_SUCCESS);
    ASSERT_EQ(statement_.setStmtAttr(SQL_ATTR_ROW_STATUS_PTR, statuses_.data(), 0), SQL_SUCCESS);
    ASSERT_EQ(statement_.setStmtAttr(SQL_ATTR_ROWS_FETCHED_PTR, &fetched_, 0), SQL_SUCCESS);
    ASSERT_EQ(statement_.bindCol(1, SQL_C_SLONG, values_.data(), 0, indicators_.data()),
              SQL_SUCCESS);
    ASSERT_EQ(statement_.execDirect("select n", SQL_NTS), SQL_SUCCESS);
  }

  // The rows the last fetch delivered, by their numbers, with the statuses checked.
  std::vector<SQLINTEGER> rowset() {
    std::vector<SQLINTEGER> rows(values_.begin(), values_.begin() + fetched_);
    for (SQLULEN k = 0; k < rowsetSize_; ++k) {
      EXPECT_EQ(statuses_[k], k < fetched_ ? SQL_ROW_SUCCESS : SQL_ROW_NOROW) << "element " << k;
    }
    return rows;
  }

  void untouch() {
    fetched_ = kUntouchedCount;
    statuses_.assign(rowsetSize_, kUntouchedStatus);
  }

  std::string takeState() { return testsupport::takeState(statement_.diagnostics()); }

  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC fetch test", "Ferrow", nullptr};
  testsupport::ScriptedConnection connection_{&environment_};
  std::unique_ptr<Statement> ownStatement_{connection_.createStatement()};
  Statement& statement_ = *ownStatement_;
  SQLULEN rowsetSize_ = 1;
  std::vector<SQLINTEGER> values_;
  std::vector<SQLLEN> indicators_;
  std::vector<SQLUSMALLINT> statuses_;
  SQLULEN fetched_ = 0;
};

enum Outcome { OK, EARLY, END };
constexpr SQLSMALLINT kNext = SQL_FETCH_NEXT, kPrior = SQL_FETCH_PRIOR, kFirst = SQL_FETCH_FIRST,
                      kLast = SQL_FETCH_LAST, kAbsolute = SQL_FETCH_ABSOLUTE,
                      kRelative = SQL_FETCH_RELATIVE;

// One fetch and what it must give: the rowset starting at row `first` with `rows` rows (EARLY:
// the same with "01S06", the rowset asked for began before the first row), or SQL_NO_DATA.
struct Step {
  SQLSMALLINT orientation;
  SQLLEN offset;
  Outcome outcome;
  SQLINTEGER first = 0;
  SQLINTEGER rows = 0;
};

struct ScrollCase {
  const char* name;  // also the test's name
  SQLULEN rowCount;
  SQLULEN rowsetSize;
  std::vector<Step> steps;
};

void PrintTo(const ScrollCase& scrollCase, std::ostream* out) { *out << scrollCase.name; }

// Expected rowsets written out from ODBC's SQLFetchScroll positioning tables. Each case starts
// on a fresh result; a step gives the rowset it must deliver (first row, rows) or SQL_NO_DATA.
// clang-format off
const ScrollCase scrollCases[] = {
    {"TenRowsRowsetOne", 10, 1,
     {{kNext, 0, OK, 1, 1}, {kNext, 0, OK, 2, 1}, {kPrior, 0, OK, 1, 1}, {kPrior, 0, END},
      {kPrior, 0, END}, {kNext, 0, OK, 1, 1}, {kFirst, 0, OK, 1, 1}, {kLast, 0, OK, 10, 1},
      {kNext, 0, END}, {kNext, 0, END}, {kPrior, 0, OK, 10, 1}, {kAbsolute, 3, OK, 3, 1},
      {kAbsolute, -1, OK, 10, 1}, {kAbsolute, -3, OK, 8, 1}, {kAbsolute, 0, END},
      {kNext, 0, OK, 1, 1}, {kAbsolute, -11, END}, {kNext, 0, OK, 1, 1}, {kAbsolute, 11, END},
      {kPrior, 0, OK, 10, 1}, {kAbsolute, 5, OK, 5, 1}, {kRelative, 2, OK, 7, 1},
      {kRelative, -2, OK, 5, 1}, {kRelative, 0, OK, 5, 1}, {kRelative, 6, END},
      {kRelative, 2, END}, {kRelative, -2, OK, 9, 1}, {kRelative, -9, END}, {kRelative, -1, END},
      {kRelative, 3, OK, 3, 1}, {kRelative, -2, OK, 1, 1}, {kRelative, -1, END},
      {kNext, 0, OK, 1, 1}}},
    {"TenRowsRowsetThree", 10, 3,
     {{kNext, 0, OK, 1, 3}, {kNext, 0, OK, 4, 3}, {kPrior, 0, OK, 1, 3}, {kPrior, 0, END},
      {kNext, 0, OK, 1, 3}, {kNext, 0, OK, 4, 3}, {kNext, 0, OK, 7, 3}, {kNext, 0, OK, 10, 1},
      {kNext, 0, END}, {kPrior, 0, OK, 8, 3}, {kAbsolute, 2, OK, 2, 3}, {kPrior, 0, EARLY, 1, 3},
      {kLast, 0, OK, 8, 3}, {kNext, 0, END}, {kAbsolute, 9, OK, 9, 2}, {kRelative, 0, OK, 9, 2},
      {kNext, 0, END}, {kAbsolute, -1, OK, 10, 1}, {kAbsolute, -3, OK, 8, 3}, {kAbsolute, 0, END},
      {kNext, 0, OK, 1, 3}, {kAbsolute, -11, END}, {kNext, 0, OK, 1, 3},
      {kAbsolute, -10, OK, 1, 3}, {kAbsolute, 11, END}, {kPrior, 0, OK, 8, 3},
      {kAbsolute, 4, OK, 4, 3}, {kRelative, 2, OK, 6, 3}, {kRelative, -2, OK, 4, 3},
      {kRelative, -5, END}, {kNext, 0, OK, 1, 3}, {kAbsolute, 3, OK, 3, 3},
      {kRelative, -3, EARLY, 1, 3}, {kRelative, 1, OK, 2, 3}, {kRelative, 20, END},
      {kRelative, -2, OK, 9, 2}, {kRelative, -20, END}, {kNext, 0, OK, 1, 3},
      {kFirst, 0, OK, 1, 3}}},
    {"TwoRowsRowsetOne", 2, 1,
     {{kNext, 0, OK, 1, 1}, {kNext, 0, OK, 2, 1}, {kNext, 0, END}, {kPrior, 0, OK, 2, 1},
      {kPrior, 0, OK, 1, 1}, {kPrior, 0, END}, {kLast, 0, OK, 2, 1}, {kAbsolute, -2, OK, 1, 1},
      {kAbsolute, -3, END}, {kNext, 0, OK, 1, 1}, {kAbsolute, 3, END}, {kPrior, 0, OK, 2, 1},
      {kRelative, -1, OK, 1, 1}, {kRelative, 2, END}, {kRelative, -2, OK, 1, 1},
      {kRelative, -1, END}, {kRelative, 1, OK, 1, 1}}},
    {"TwoRowsRowsetThree", 2, 3,
     {{kNext, 0, OK, 1, 2}, {kNext, 0, END}, {kPrior, 0, EARLY, 1, 2}, {kLast, 0, OK, 1, 2},
      {kAbsolute, -1, OK, 2, 1}, {kAbsolute, -3, EARLY, 1, 2}, {kAbsolute, -4, END},
      {kNext, 0, OK, 1, 2}, {kAbsolute, 0, END}, {kPrior, 0, END}, {kNext, 0, OK, 1, 2},
      {kRelative, 1, OK, 2, 1}, {kRelative, -1, OK, 1, 2}, {kAbsolute, 2, OK, 2, 1},
      {kRelative, -2, EARLY, 1, 2}, {kRelative, 2, END}, {kFirst, 0, OK, 1, 2},
      {kAbsolute, 3, END}}},
    {"NoRowsRowsetThree", 0, 3,
     {{kFirst, 0, END}, {kLast, 0, END}, {kNext, 0, END}, {kPrior, 0, END}, {kAbsolute, -1, END},
      {kAbsolute, 1, END}, {kRelative, 1, END}}},
};
// clang-format on

class ScrollTableTest : public ScrollTest, public ::testing::WithParamInterface<ScrollCase> {};

TEST_P(ScrollTableTest, DeliversTheRowsetsOfTheOdbcTables) {
  const ScrollCase& scrollCase = GetParam();
  open(scrollCase.rowCount, scrollCase.rowsetSize);
  int number = 0;
  for (const Step& step : scrollCase.steps) {
    SCOPED_TRACE("step " + std::to_string(++number) + ": orientation " +
                 std::to_string(step.orientation) + ", offset " + std::to_string(step.offset));
    untouch();
    const SQLRETURN rc = statement_.fetchScroll(step.orientation, step.offset);
    if (step.outcome == END) {
      EXPECT_EQ(rc, SQL_NO_DATA);
      EXPECT_EQ(takeState(), "");
      EXPECT_EQ(fetched_, kUntouchedCount);
      EXPECT_EQ(statuses_[0], kUntouchedStatus);
      continue;
    }
    EXPECT_EQ(rc, step.outcome == EARLY ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS);
    EXPECT_EQ(takeState(), step.outcome == EARLY ? "01S06" : "");
    std::vector<SQLINTEGER> expected;
    for (SQLINTEGER row = step.first; row < step.first + step.rows; ++row) expected.push_back(row);
    EXPECT_EQ(rowset(), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ScrollTableTest, ::testing::ValuesIn(scrollCases),
                         [](const ::testing::TestParamInfo<ScrollCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(ScrollTest, ForwardOnlyCursorsFetchOnlyForward) {
  open(3, 1, SQL_CURSOR_FORWARD_ONLY);
  for (SQLSMALLINT orientation : {kFirst, kLast, kPrior, kAbsolute, kRelative,
                                  static_cast<SQLSMALLINT>(SQL_FETCH_BOOKMARK)}) {
    SCOPED_TRACE(orientation);
    EXPECT_EQ(statement_.fetchScroll(orientation, 1), SQL_ERROR);
    EXPECT_EQ(takeState(), "HY106");
  }
  EXPECT_EQ(statement_.fetch(), SQL_SUCCESS);
  EXPECT_EQ(rowset(), std::vector<SQLINTEGER>{1});
  EXPECT_EQ(statement_.fetch(), SQL_SUCCESS);
  EXPECT_EQ(rowset(), std::vector<SQLINTEGER>{2});
}

TEST_F(ScrollTest, AnUnknownOrientationFetchesNothing) {
  open(3, 1);
  untouch();
  EXPECT_EQ(statement_.fetchScroll(7, 0), SQL_SUCCESS);
  EXPECT_EQ(fetched_, kUntouchedCount);
  EXPECT_EQ(statement_.fetch(), SQL_SUCCESS);
  EXPECT_EQ(rowset(), std::vector<SQLINTEGER>{1});
}

TEST_F(ScrollTest, FetchingNeedsAnOpenResult) {
  EXPECT_EQ(statement_.fetch(), SQL_ERROR);
  EXPECT_EQ(takeState(), "24000");
  open(3, 1);
  EXPECT_EQ(statement_.fetch(), SQL_SUCCESS);
  ASSERT_EQ(statement_.closeCursor(), SQL_SUCCESS);
  // The closed row source stays installed, but there is no result to fetch from.
  EXPECT_EQ(statement_.fetchScroll(SQL_FETCH_FIRST, 0), SQL_ERROR);
  EXPECT_EQ(takeState(), "24000");
}

TEST_F(ScrollTest, ABookmarkReadFromARowFetchesThatRow) {
  ASSERT_EQ(statement_.setStmtAttr(SQL_ATTR_USE_BOOKMARKS,
                                   reinterpret_cast<SQLPOINTER>(SQL_UB_VARIABLE), 0),
            SQL_SUCCESS);
  open(10, 3);
  SQLBIGINT bookmarks[3] = {};
  SQLLEN bookmarkLengths[3] = {};
  ASSERT_EQ(statement_.bindCol(0, SQL_C_SBIGINT, bookmarks, 0, bookmarkLengths), SQL_SUCCESS);
  ASSERT_EQ(statement_.fetchScroll(kAbsolute, 5), SQL_SUCCESS);
  SQLBIGINT sixth = bookmarks[1];
  ASSERT_EQ(statement_.setStmtAttr(SQL_ATTR_FETCH_BOOKMARK_PTR, &sixth, 0), SQL_SUCCESS);
  ASSERT_EQ(statement_.fetchScroll(kFirst, 0), SQL_SUCCESS);

  struct {
    SQLLEN offset;
    std::vector<SQLINTEGER> rows;  // empty: SQL_NO_DATA
    std::vector<SQLINTEGER> next;  // what a following SQL_FETCH_NEXT gives
  } const cases[] = {
      {0, {6, 7, 8}, {9, 10}},      {2, {8, 9, 10}, {}}, {4, {10}, {}},
      {-5, {1, 2, 3}, {4, 5, 6}},   {5, {}, {}},  // past the end
      {-6, {}, {1, 2, 3}},                        // before the start
      {-1 - sixth, {8, 9, 10}, {}},               // bookmark + offset = -1 asks for the last rowset
  };
  for (const auto& step : cases) {
    SCOPED_TRACE(step.offset);
    EXPECT_EQ(statement_.fetchScroll(SQL_FETCH_BOOKMARK, step.offset),
              step.rows.empty() ? SQL_NO_DATA : SQL_SUCCESS);
    if (!step.rows.empty()) {
      EXPECT_EQ(rowset(), step.rows);
    }
    EXPECT_EQ(statement_.fetch(), step.next.empty() ? SQL_NO_DATA : SQL_SUCCESS);
    if (!step.next.empty()) {
      EXPECT_EQ(rowset(), step.next);
    }
  }
}

TEST_F(ScrollTest, BookmarkFetchesNeedBookmarksAndABookmark) {
  open(3, 1);
  SQLBIGINT bookmark = 2;
  EXPECT_EQ(statement_.fetchScroll(SQL_FETCH_BOOKMARK, 0), SQL_ERROR);
  EXPECT_EQ(takeState(), "HY111");
  ASSERT_EQ(statement_.setStmtAttr(SQL_ATTR_FETCH_BOOKMARK_PTR, &bookmark, 0), SQL_SUCCESS);
  EXPECT_EQ(statement_.fetchScroll(SQL_FETCH_BOOKMARK, 0), SQL_ERROR);
  EXPECT_EQ(takeState(), "HY111");
}

TEST_F(ScrollTest, ExtendedFetchUsesTheCallersPointersForOneCall) {
  ASSERT_EQ(statement_.setStmtAttr(SQL_ATTR_USE_BOOKMARKS,
                                   reinterpret_cast<SQLPOINTER>(SQL_UB_VARIABLE), 0),
            SQL_SUCCESS);
  open(5, 3);
  SQLBIGINT bookmarks[3] = {};
  ASSERT_EQ(statement_.bindCol(0, SQL_C_SBIGINT, bookmarks, 0, nullptr), SQL_SUCCESS);
  SQLULEN count = 0;
  SQLUSMALLINT status[3] = {9, 9, 9};
  untouch();
  EXPECT_EQ(statement_.extendedFetch(SQL_FETCH_NEXT, 0, &count, status), SQL_SUCCESS);
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(std::vector<SQLUSMALLINT>(status, status + 3), std::vector<SQLUSMALLINT>(3, 0));
  EXPECT_EQ(fetched_, kUntouchedCount);
  EXPECT_EQ(statuses_[0], kUntouchedStatus);
  EXPECT_EQ(std::vector<SQLINTEGER>(values_.begin(), values_.end()),
            (std::vector<SQLINTEGER>{1, 2, 3}));

  // The row argument is the offset, or the bookmark itself.
  EXPECT_EQ(statement_.extendedFetch(SQL_FETCH_ABSOLUTE, 4, &count, status), SQL_SUCCESS);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(std::vector<SQLUSMALLINT>(status, status + 3),
            (std::vector<SQLUSMALLINT>{SQL_ROW_SUCCESS, SQL_ROW_SUCCESS, SQL_ROW_NOROW}));
  const SQLBIGINT fifth = bookmarks[1];
  EXPECT_EQ(statement_.extendedFetch(SQL_FETCH_FIRST, 0, &count, status), SQL_SUCCESS);
  EXPECT_EQ(statement_.extendedFetch(SQL_FETCH_BOOKMARK, fifth, &count, status), SQL_SUCCESS);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(values_[0], 5);

  SQLPOINTER pointer = nullptr;
  statement_.getStmtAttr(SQL_ATTR_ROWS_FETCHED_PTR, &pointer, 0, nullptr);
  EXPECT_EQ(pointer, &fetched_);
  statement_.getStmtAttr(SQL_ATTR_ROW_STATUS_PTR, &pointer, 0, nullptr);
  EXPECT_EQ(pointer, statuses_.data());
  statement_.getStmtAttr(SQL_ATTR_FETCH_BOOKMARK_PTR, &pointer, 0, nullptr);
  EXPECT_EQ(pointer, nullptr);
  EXPECT_EQ(fetched_, kUntouchedCount);
}

TEST_F(ScrollTest, ExtendedFetchKeepsWhatTheFetchPosted) {
  open(3, 1, SQL_CURSOR_FORWARD_ONLY);
  SQLULEN count = 0;
  SQLUSMALLINT status = 0;
  EXPECT_EQ(statement_.extendedFetch(SQL_FETCH_FIRST, 0, &count, &status), SQL_ERROR);
  EXPECT_EQ(takeState(), "HY106");
}

}  // namespace
