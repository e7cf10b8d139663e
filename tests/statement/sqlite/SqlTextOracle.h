#pragma once
// SQL texts built from the bytes that decide where a parameter marker can stand
// (the three quotes, brackets, "--", "/*", "*/", CR, LF, "?", letters and
// blanks), each one statement that SQLite prepares, and the check that the
// driver reads them as SQLite does: the scanner counts the markers SQLite
// counts, and with hostile values substituted for them SQLite sees exactly one
// statement whose columns read back as SQLite's own binding of the same values
// gives them. Shared by the seeded test and the fuzz target, which feed the
// choices from a random engine and from the fuzzer's bytes.
#include <sqlite3.h>

#include <cstddef>
#include <string>
#include <vector>

#include "core/Environment.h"
#include "statement/Statement.h"
#include "tests/support/RecordingConnection.h"

namespace sqltext {

// A source of decisions: each answer lies in [0, n).
class Choices {
 public:
  virtual ~Choices() = default;
  virtual unsigned pick(unsigned n) = 0;
};

struct GeneratedText {
  std::string sql;
  std::vector<std::string> values;  // one per marker the statement holds, in order
};

GeneratedText generateText(Choices& choices);

// Prepares the generated texts in SQLite and substitutes their values through a
// Statement.
class Oracle {
 public:
  Oracle();
  ~Oracle();
  Oracle(const Oracle&) = delete;
  Oracle& operator=(const Oracle&) = delete;

  // "" when the driver and SQLite agree on the text, else what differs.
  std::string check(const GeneratedText& text);

 private:
  // The one row the text gives with the values bound by SQLite, or "" with
  // `error` set.
  bool runOnce(const std::string& sql, const std::vector<std::string>& values,
               std::vector<std::string>& row, std::string& error);
  std::string substituted(const GeneratedText& text, std::string& error);

  sqlite3* db_ = nullptr;
  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC scanner oracle", "Ferrow",
                           nullptr};
  testsupport::RecordingConnection connection_{&environment_};
  Statement statement_{&connection_};
};

}  // namespace sqltext
