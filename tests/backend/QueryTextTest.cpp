// Which texts return rows and so go to the server as queries.
#include <gtest/gtest.h>

#include "backend/QueryText.h"

namespace {

TEST(QueryTextTest, RowReturningTextsAreQueries) {
  struct Case {
    const char* sql;
    bool query;
  };
  const Case cases[] = {
      {"SELECT 1", true},
      {"  select\n*from t", true},
      {"SELECT*FROM t", true},
      {"show tables", true},
      {"SHOW INFO", true},
      {"PRAGMA table_info(t)", true},
      {"pragma cache_size=100", false},
      {"PRAGMA table_info('a=b')", false},
      {"WITH x AS (SELECT 1) SELECT * FROM x", true},
      {"VALUES (1)", true},
      {"EXPLAIN SELECT 1", true},
      {"explain query plan select 1", true},
      {"(SELECT 1)", true},
      {"  ( select 1 ) union select 2", true},
      {"-- comment\nSELECT 1", true},
      {"/* c */ SELECT 1", true},
      {"\xEF\xBB\xBFSELECT 1", true},
      {" \xEF\xBB\xBF -- c\n (SELECT 1)", true},
      {"INSERT INTO t VALUES (1)", false},
      {"UPDATE t SET a = 1", false},
      {"CREATE TABLE selection(x)", false},
      {"selected", false},
      {"SELECTION", false},
      {"withdraw", false},
      {"", false},
      {"   ", false},
      {"-- only a comment", false},
      {"'SELECT'", false},
  };
  for (const Case& c : cases) EXPECT_EQ(isQueryText(c.sql), c.query) << c.sql;
}

}  // namespace
