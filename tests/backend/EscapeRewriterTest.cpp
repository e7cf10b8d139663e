// ODBC escapes rewritten into the server's dialect.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "backend/EscapeRewriter.h"

namespace {

std::string rewritten(std::string sql) {
  rewriteEscapes(sql);
  return sql;
}

TEST(EscapeRewriterTest, EscapesBecomeTheServersLiterals) {
  struct Case {
    const char* sql;
    const char* sent;
  };
  const Case cases[] = {
      {"SELECT * FROM t WHERE d = {12/31/99}", "SELECT * FROM t WHERE d = DATE '1999-12-31'"},
      {"SELECT {1/2/05}", "SELECT DATE '2005-1-2'"},
      {"{1/2/79}", "DATE '2079-1-2'"},
      {"{1/2/80}", "DATE '1980-1-2'"},
      {"{ 12/31/2012\t}", "DATE '2012-12-31'"},
      {"{d '2012-01-31'}", "'2012-01-31'"},
      {"{D '2012-01-31'}", "'2012-01-31'"},
      {"{t '10:30:00'}", "'10:30:00'"},
      {"{ts '2012-01-31 10:30:00'}", "'2012-01-31 10:30:00'"},
      {"{fn UCASE(name)}", "UCASE(name)"},
      {"SELECT * FROM {oj a LEFT OUTER JOIN b ON a.x = b.x}",
       "SELECT * FROM a LEFT OUTER JOIN b ON a.x = b.x"},
      {"{10:30}", "TIME '10:30'"},
      {"{10:30:15}", "TIME '10:30:15'"},
      {"{12/31/2012 10:30}", "TIMESTAMP '2012-12-31 10:30'"},
      {"{12/31/2012 10:30:05}", "TIMESTAMP '2012-12-31 10:30:05'"},
      {"{2012-3-7 10:04:09}", "TIMESTAMP '2012-3-7 10:04:09'"},
      {"{1/2/80 1:2}", "TIMESTAMP '1980-1-2 1:2'"},
      {"{1/2/79 1:2:3}", "TIMESTAMP '2079-1-2 1:2:3'"},
      {"{1/2/2005}{3/4/2006}", "DATE '2005-1-2'DATE '2006-3-4'"},
      // The LIKE escape character becomes the ESCAPE clause; a backslash in it ends nothing.
      {"SELECT a FROM t WHERE a LIKE 'x\\_%' {escape '\\'}",
       "SELECT a FROM t WHERE a LIKE 'x\\_%' ESCAPE '\\'"},
      {"WHERE a LIKE 'x!%' {ESCAPE '!'} AND b = {d '2012-01-31'}",
       "WHERE a LIKE 'x!%' ESCAPE '!' AND b = '2012-01-31'"},
      {"SELECT '{escape ''!''}'", "SELECT '{escape ''!''}'"},
      // Quoted text and comments go through as written.
      {"SELECT '{1/2/2005}'", "SELECT '{1/2/2005}'"},
      {"SELECT '{d ''x''}', {1/2/2005}", "SELECT '{d ''x''}', DATE '2005-1-2'"},
      {"SELECT \"{10:30}\" FROM t", "SELECT \"{10:30}\" FROM t"},
      {"SELECT {fn UCASE('a}b')} }", "SELECT UCASE('a}b') "},
      {"-- {1/2/2005}\nSELECT 1", "-- {1/2/2005}\nSELECT 1"},
      // A backslash is an ordinary byte: the literal ends at the next quote.
      {"SELECT 'a\\', {1/2/2005}", "SELECT 'a\\', DATE '2005-1-2'"},
      {"SELECT 'a\\', '{1/2/2005}'", "SELECT 'a\\', '{1/2/2005}'"},
      {"{x {1/2/2005} {y} {1:2}", "{x DATE '2005-1-2' {y TIME '1:2'"},
      // Prefixes need their blank; a "}" outside quotes always goes.
      {"{d'2012-01-01'}", "{d'2012-01-01'"},
      {"SELECT 1 }", "SELECT 1 }"},
      {"SELECT {fn f()} }", "SELECT f() "},
      {"SELECT '}' }", "SELECT '}' }"},
      {"SELECT 1", "SELECT 1"},
      {"{1/2/20055}", "{1/2/20055"},
  };
  for (const Case& c : cases) EXPECT_EQ(rewritten(c.sql), c.sent) << c.sql;
}

TEST(EscapeRewriterTest, TenMegabyteTextsAreRewrittenInLinearTime) {
  const std::string filler(10u << 20, 'x');
  const auto start = std::chrono::steady_clock::now();
  // Compared with EXPECT_TRUE: a failure must not print ten megabytes.
  EXPECT_TRUE(rewritten("SELECT '" + filler + "{1/2/2005}' , {1/2/2005}") ==
              "SELECT '" + filler + "{1/2/2005}' , DATE '2005-1-2'");
  EXPECT_TRUE(rewritten("SELECT " + filler + " {fn UCASE(a)} {10:30}") ==
              "SELECT " + filler + " UCASE(a) TIME '10:30'");
  const std::string quoted = "'" + filler + "{d 'x'}";
  EXPECT_TRUE(rewritten(quoted) == quoted) << "unterminated quote: nothing outside it";
  const std::string braces(1u << 20, '{');
  EXPECT_TRUE(rewritten(braces + "1:2}") == braces.substr(1) + "TIME '1:2'");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

#ifndef _WIN32
// The expressions against Python's own regular expressions, on texts without quotes (where the
// whole text is rewritten).
TEST(EscapeRewriterTest, ExpressionsAgreeWithPythonsRe) {
  const std::vector<std::string> inputs = {
      "{12/31/99}", "{1/2/05}", "{ 1/2/2005 }", "{10:30}", "{1:2:3}", "{12/31/2012 10:30}",
      "{12/31/2012\n10:30:59}", "{2012-03-07 10:04:09}", "{2012-3-7 1:4}", "{1/2/80 1:2}",
      "{1/2/79 1:2:3}", "{1/2/3}", "{123/1/2005}", "{1/2/2005 10}", "{1/2/2005}{3:4}",
      "{\r\t1/2/99\n}", "{fn NOW()} {d 2012} {9:99:99}", "LIKE 'a!_' {escape '!'} {1:2}"};
  const std::string dir = ::testing::TempDir();
  const std::string inPath = dir + "karvod-escapes-in.bin";
  const std::string outPath = dir + "karvod-escapes-out.bin";
  const std::string scriptPath = dir + "karvod-escapes.py";
  {
    std::ofstream in(inPath, std::ios::binary);
    for (const std::string& input : inputs) in << input << '\0';
  }
  {
    std::ofstream script(scriptPath);
    script << R"PY(import re, sys
W = '[ \n\r\t]*'
D = '([0-9]{1,2})/([0-9]{1,2})/'
T = '([0-9]{1,2}):([0-9]{1,2})(:[0-9]{1,2})?'
passes = [
 ('[{]' + W + D + '([0-9]{4})' + W + '[}]', "DATE '\\g<3>-\\g<1>-\\g<2>'"),
 ('[{]' + W + D + '([8-9][0-9])' + W + '[}]', "DATE '19\\g<3>-\\g<1>-\\g<2>'"),
 ('[{]' + W + D + '([0-7][0-9])' + W + '[}]', "DATE '20\\g<3>-\\g<1>-\\g<2>'"),
 ('[{]' + W + T + W + '[}]', "TIME '\\g<1>:\\g<2>\\g<3>'"),
 ('[{]' + W + D + '([0-9]{4})' + W + T + W + '[}]', "TIMESTAMP '\\g<3>-\\g<1>-\\g<2> \\g<4>:\\g<5>\\g<6>'}"),
 ('[{]' + W + '([0-9]{4})-([0-9]{1,2})-([0-9]{1,2})' + W + T + W + '[}]', "TIMESTAMP '\\g<1>-\\g<2>-\\g<3> \\g<4>:\\g<5>\\g<6>'}"),
 ('[{]' + W + D + '([8-9][0-9])' + W + T + W + '[}]', "TIMESTAMP '19\\g<3>-\\g<1>-\\g<2> \\g<4>:\\g<5>\\g<6>'"),
 ('[{]' + W + D + '([0-7][0-9])' + W + T + W + '[}]', "TIMESTAMP '20\\g<3>-\\g<1>-\\g<2> \\g<4>:\\g<5>\\g<6>'"),
]
texts = open(sys.argv[1], 'rb').read().decode().split('\0')[:-1]
out = []
for t in texts:
    for p in ('{ts ', '{d ', '{t ', '{fn ', '{oj '):
        t = t.replace(p, '')
    t = t.replace('{escape ', 'ESCAPE ')
    for pattern, replacement in passes:
        t = re.sub(pattern, replacement, t)
    out.append(t.replace('}', ''))
open(sys.argv[2], 'wb').write('\0'.join(out).encode() + b'\0')
)PY";
  }
  const std::string command = "python3 " + scriptPath + " " + inPath + " " + outPath;
  if (std::system(command.c_str()) != 0) GTEST_SKIP() << "python3 is not available";
  std::ifstream out(outPath, std::ios::binary);
  std::vector<std::string> expected;
  for (std::string line; std::getline(out, line, '\0');) expected.push_back(line);
  ASSERT_EQ(expected.size(), inputs.size());
  for (std::size_t i = 0; i < inputs.size(); ++i)
    EXPECT_EQ(rewritten(inputs[i]), expected[i]) << inputs[i];
  std::remove(inPath.c_str());
  std::remove(outPath.c_str());
  std::remove(scriptPath.c_str());
}
#endif

}  // namespace
