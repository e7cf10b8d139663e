// Which texts return rows and so go to the server as queries.
#include <gtest/gtest.h>

#include "backend/QueryText.h"

namespace {

TEST(QueryTextTest, RowReturningTextsAreQueries) {
  struct Case {
    const char* sql;
    bool query;
    bool nestable;  // is described by running it as "SELECT * FROM (sql) LIMIT 0"
  };
  const Case cases[] = {
      {"SELECT 1", true, true},
      {"  select\n*from t", true, true},
      {"SELECT*FROM t", true, true},
      {"show tables", true, false},
      {"SHOW INFO", true, false},
      {"PRAGMA table_info(t)", true, false},
      {"pragma cache_size=100", false, false},
      {"PRAGMA table_info('a=b')", false, false},
      {"WITH x AS (SELECT 1) SELECT * FROM x", true, true},
      {"VALUES (1)", true, true},
      {"EXPLAIN SELECT 1", true, false},
      {"explain query plan select 1", true, false},
      {"(SELECT 1)", true, true},
      {"  ( select 1 ) union select 2", true, true},
      {"-- comment\nSELECT 1", true, true},
      {"/* c */ SELECT 1", true, true},
      {"\xEF\xBB\xBFSELECT 1", true, true},
      {" \xEF\xBB\xBF -- c\n (SELECT 1)", true, true},
      {"INSERT INTO t VALUES (1)", false, false},
      {"UPDATE t SET a = 1", false, false},
      {"CREATE TABLE selection(x)", false, false},
      {"selected", false, false},
      {"SELECTION", false, false},
      {"withdraw", false, false},
      {"", false, false},
      {"   ", false, false},
      {"-- only a comment", false, false},
      {"'SELECT'", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isQueryText(c.sql), c.query) << c.sql;
    EXPECT_EQ(!describingQuery(c.sql).empty(), c.nestable) << c.sql;
  }
}

TEST(QueryTextTest, ADescribingQueryNestsTheTextFromItsFirstWord) {
  EXPECT_EQ(describingQuery("SELECT a FROM t"), "SELECT * FROM (\nSELECT a FROM t\n) LIMIT 0");
  EXPECT_EQ(describingQuery("\xEF\xBB\xBF -- c\n select 1 ; \n"),
            "SELECT * FROM (\nselect 1\n) LIMIT 0");
  EXPECT_EQ(describingQuery("SELECT 1 -- trailing"), "SELECT * FROM (\nSELECT 1 -- trailing\n) LIMIT 0");
}

}  // namespace
