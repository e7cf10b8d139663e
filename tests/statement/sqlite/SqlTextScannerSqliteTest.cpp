// The scanner against SQLite's own lexer, which the server runs the text on:
// texts that SQLite prepares as one statement must hold the markers it counts,
// and the values the driver writes into them must read back as SQLite's binding
// of the same values gives them.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "tests/statement/sqlite/SqlTextOracle.h"

namespace {

class EngineChoices : public sqltext::Choices {
 public:
  explicit EngineChoices(std::uint64_t seed) : engine_(seed) {}
  unsigned pick(unsigned n) override { return static_cast<unsigned>(engine_() % n); }

 private:
  std::mt19937_64 engine_;
};

// Control bytes written out, so that a failing text can be read and pasted
// back.
std::string visible(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

TEST(SqlTextScannerSqlite, TextsWhereScannersCommonlyDisagreeWithTheServer) {
  const sqltext::GeneratedText cases[] = {
      {"SELECT 'safe' -- note\r, ?", {}},
      {"SELECT ? -- note\r, ?\n, ?", {"x\n; SELECT 2; --", "'"}},
      {"SELECT ? /* -- */, ? -- /*\n, ?", {"--", "/*", "*/"}},
      {"SELECT 'it''s ?', \"a\"\"?\" AS x, ? `b``?`", {"\\'"}},
      {"SELECT ? [it's ?], ? [--]", {"'", "\r\n;"}},
      {"SELECT ?'a', ?\"b\", ?[c], ?`d`", {"''", "'", "\\", ";"}},
      {"SELECT ? /*/ ? */", {"*/; SELECT 2"}},
      {"SELECT ? /* ? ", {"x"}},
      {"SELECT ?; -- ?\r?", {"; DELETE FROM victim"}},
  };
  sqltext::Oracle oracle;
  for (const sqltext::GeneratedText& c : cases) {
    EXPECT_EQ(oracle.check(c), "") << visible(c.sql);
  }
}

TEST(SqlTextScannerSqlite, GeneratedTextsReadAsSqliteReadsThem) {
  constexpr std::uint64_t seed = 20261211;
  constexpr int texts = 20000;
  EngineChoices choices(seed);
  sqltext::Oracle oracle;
  int failures = 0;
  for (int k = 0; k < texts; ++k) {
    const sqltext::GeneratedText text = sqltext::generateText(choices);
    const std::string difference = oracle.check(text);
    if (difference.empty()) continue;
    if (++failures <= 5)
      ADD_FAILURE() << "text " << k << " " << visible(text.sql) << ": " << visible(difference);
  }
  EXPECT_EQ(failures, 0) << "of " << texts << " texts from seed " << seed;
}

}  // namespace
