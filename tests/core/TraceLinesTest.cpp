#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "core/TraceLines.h"
#include "core/TraceWriter.h"
#include "platform/Mutex.h"
#include "platform/Odbc.h"

namespace {

const void* at(std::uintptr_t address) { return reinterpret_cast<const void*>(address); }

TEST(TraceLines, EnterRcAndExitLines) {
  const std::string stamp = R"(\d+-\d+-\d+ \d+:\d+:\d+\.\d+)";
  EXPECT_TRUE(std::regex_match(enterLine(), std::regex("// ENTER: " + stamp))) << enterLine();
  EXPECT_EQ(returnCodeLine(SQL_NO_DATA), "// rc: SQL_NO_DATA");
  EXPECT_EQ(returnCodeLine(7), "// rc: 7");
  const std::string exit = exitLine(SQL_ERROR);
  EXPECT_TRUE(std::regex_match(exit, std::regex("// EXIT: " + stamp + "  rc: SQL_ERROR"))) << exit;
}

TEST(TraceLines, DeclarationsAndCallsNameBuffersByAddress) {
  const void* dbc = at(0x34A2B0);
  const void* value = at(0x7FFE0010);
  const void* length = at(0x7FFE0020);
  EXPECT_EQ(variableName("dbc", dbc), "dbc000000000034A2B0");
  EXPECT_EQ(declarationLine("SQLHANDLE", "dbc", dbc), "SQLHANDLE dbc000000000034A2B0;");
  EXPECT_EQ(declarationLine("SQLSMALLINT", "len", length, "0"),
            "SQLSMALLINT len000000007FFE0020 = 0;");
  EXPECT_EQ(arrayDeclarationLine("char", "value", value, "256"),
            "char value000000007FFE0010[256];");
  EXPECT_EQ(callLine("SQLGetInfo", {variableName("dbc", dbc), "SQL_DRIVER_NAME",
                                    bufferArgument("value", value), "256",
                                    outArgument("len", length)}),
            "rc = SQLGetInfo(dbc000000000034A2B0, SQL_DRIVER_NAME, value000000007FFE0010, 256, "
            "&len000000007FFE0020);");
  EXPECT_EQ(callLine("SQLGetInfo", {bufferArgument("value", nullptr), outArgument("len", nullptr)}),
            "rc = SQLGetInfo(NULL, NULL);");
  EXPECT_EQ(callLine("SQLFetch", {}), "rc = SQLFetch();");
  EXPECT_EQ(outValueLine("*len", "6"), "// *len: 6");
}

std::string fileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

#ifdef _WIN32
const std::string newline = "\r\n";
#else
const std::string newline = "\n";
#endif

// Lines reach the file whole and at once: each is flushed with its end of line. The trace is C,
// so nothing inside a line may end it early or join the next line to it.
TEST(TraceLines, WriterEndsAndFlushesEveryLine) {
  const std::string path = testing::TempDir() + "trace_lines_test.log";
  std::remove(path.c_str());
  platform::Mutex mutex;
  TraceWriter writer(mutex);
  ASSERT_TRUE(writer.open(path));
  writer.writeLine(returnCodeLine(SQL_SUCCESS));
  writer.writeLine(outValueLine("value", "two\nlines\r"));
  writer.writeLine("// msg: C:\\dir\\");
  writer.writeLine("// msg: what?" "?/");
  EXPECT_EQ(fileText(path), "// rc: SQL_SUCCESS" + newline + "// value: two\\nlines\\r" + newline +
                                "// msg: C:\\dir\\." + newline + "// msg: what?" "?/." + newline);
  std::remove(path.c_str());
}

// Each variable of the replay is declared once per file, also by writers of other environments
// open on the same file; a name taken by another type or size gets a suffix.
TEST(TraceLines, VariablesAreDeclaredOncePerFile) {
  const std::string path = testing::TempDir() + "trace_declarations_test.log";
  std::remove(path.c_str());
  platform::Mutex first;
  platform::Mutex second;
  TraceWriter one(first);
  TraceWriter other(second);
  ASSERT_TRUE(one.open(path));
  ASSERT_TRUE(other.open(path));
  EXPECT_EQ(one.declare("SQLRETURN", "rc", "", "SQL_SUCCESS"), "rc");
  EXPECT_EQ(other.declare("SQLRETURN", "rc", "", "SQL_SUCCESS"), "rc");
  EXPECT_EQ(one.declare("SQLSMALLINT", "len1", "", "0"), "len1");
  EXPECT_EQ(other.declare("SQLLEN", "len1", "", "0"), "len1_2");
  EXPECT_EQ(one.declare("SQLLEN", "len1", "", "0"), "len1_2");
  EXPECT_EQ(one.declare("char", "value1", "8", ""), "value1");
  EXPECT_EQ(one.declare("char", "value1", "9", ""), "value1_2");
  EXPECT_EQ(fileText(path), "#include <stddef.h>" + newline + "SQLRETURN rc = SQL_SUCCESS;" + newline + "SQLSMALLINT len1 = 0;" +
                                newline + "SQLLEN len1_2 = 0;" + newline + "char value1[8];" +
                                newline + "char value1_2[9];" + newline);
  std::remove(path.c_str());
}

}  // namespace
