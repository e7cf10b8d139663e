// Every wide export that answers a string, over texts whose last characters take one to four
// UTF-8 bytes and one or two UTF-16 units, into buffers around the text's size: each answers the
// text cut to the buffer's units less one with a NUL (never half a surrogate pair), the whole
// length in its unit, and SQL_SUCCESS_WITH_INFO exactly when it cut.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/WideText.h"
#include "tests/api/ApiFixture.h"

namespace apitest {
namespace {

enum class Unit { Characters, Bytes };

struct ExportCase {
  const char* name;
  Unit unit;
  // A diagnostic export, which reports a cut without adding a record.
  bool readsDiagnostics;
};

class WideOutput : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    stmt = newStatement();
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DESC, dbc, &desc), SQL_SUCCESS);
  }

  // Makes the export answer `text` and calls it: the answer it gives, and through `length` the
  // length it reports, in its unit. `expected` receives the whole text it answers.
  SQLRETURN call(const std::string& exportName, const std::string& text, SQLPOINTER buffer,
                 SQLINTEGER bufferLength, SQLINTEGER& length, std::string& expected) {
    const std::vector<SQLWCHAR> wide = utf16FromUtf8(text);
    auto* wideText = const_cast<SQLWCHAR*>(wide.data());
    SQLSMALLINT shortLength = -99;
    SQLINTEGER longLength = -99;
    const auto small = static_cast<SQLSMALLINT>(bufferLength);
    expected = text;
    SQLRETURN rc = SQL_ERROR;
    bool shortForm = true;
    if (exportName == "SQLGetCursorNameW") {
      EXPECT_EQ(SQLSetCursorNameW(stmt, wideText, SQL_NTS), SQL_SUCCESS);
      rc = SQLGetCursorNameW(stmt, static_cast<SQLWCHAR*>(buffer), small, &shortLength);
    } else if (exportName == "SQLNativeSqlW") {
      shortForm = false;
      rc = SQLNativeSqlW(dbc, wideText, SQL_NTS, static_cast<SQLWCHAR*>(buffer), bufferLength,
                         &longLength);
    } else if (exportName == "SQLGetDescRecW") {
      EXPECT_EQ(SQLSetDescFieldW(desc, 1, SQL_DESC_NAME, wideText, SQL_NTS), SQL_SUCCESS);
      rc = SQLGetDescRecW(desc, 1, static_cast<SQLWCHAR*>(buffer), small, &shortLength, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr);
    } else if (exportName == "SQLGetDescFieldW") {
      shortForm = false;
      EXPECT_EQ(SQLSetDescFieldW(desc, 1, SQL_DESC_NAME, wideText, SQL_NTS), SQL_SUCCESS);
      rc = SQLGetDescFieldW(desc, 1, SQL_DESC_NAME, buffer, bufferLength, &longLength);
    } else if (exportName == "SQLDescribeColW") {
      statementOf(stmt).describeColumn(text);
      rc = SQLDescribeColW(stmt, 1, static_cast<SQLWCHAR*>(buffer), small, &shortLength, nullptr,
                           nullptr, nullptr, nullptr);
    } else if (exportName == "SQLColAttributeW" || exportName == "SQLColAttributesW") {
      statementOf(stmt).describeColumn(text);
      rc = exportName == "SQLColAttributeW"
               ? SQLColAttributeW(stmt, 1, SQL_DESC_NAME, buffer, small, &shortLength, nullptr)
               : SQLColAttributesW(stmt, 1, SQL_COLUMN_NAME, buffer, small, &shortLength,
                                   nullptr);
    } else if (exportName == "SQLGetInfoW") {
      connection->dbmsName = text;
      rc = SQLGetInfoW(dbc, SQL_DBMS_NAME, buffer, small, &shortLength);
    } else if (exportName == "SQLGetConnectAttrW") {
      shortForm = false;
      EXPECT_EQ(SQLSetConnectAttrW(dbc, SQL_ATTR_CURRENT_CATALOG, wideText, SQL_NTS),
                SQL_SUCCESS);
      rc = SQLGetConnectAttrW(dbc, SQL_ATTR_CURRENT_CATALOG, buffer, bufferLength, &longLength);
    } else if (exportName == "SQLGetDiagRecW" || exportName == "SQLGetDiagFieldW") {
      DiagnosticHeader& diagnostics = statementOf(stmt).diagnostics();
      diagnostics.clear();
      diagnostics.post("HY000", 7, text.c_str(), SQL_NO_COLUMN_NUMBER, SQL_NO_ROW_NUMBER);
      if (exportName == "SQLGetDiagRecW") {
        // The record's message carries its origin in front of the posted text.
        char whole[2048] = {};
        EXPECT_EQ(SQLGetDiagRec(SQL_HANDLE_STMT, stmt, 1, nullptr, nullptr,
                                reinterpret_cast<SQLCHAR*>(whole), sizeof whole, nullptr),
                  SQL_SUCCESS);
        expected = whole;
        SQLWCHAR state[6] = {};
        rc = SQLGetDiagRecW(SQL_HANDLE_STMT, stmt, 1, state, nullptr,
                            static_cast<SQLWCHAR*>(buffer), small, &shortLength);
        if (SQL_SUCCEEDED(rc)) {
          EXPECT_EQ(utf8FromUtf16(state, 6), "HY000");
        }
      } else {
        rc = SQLGetDiagFieldW(SQL_HANDLE_STMT, stmt, 1, SQL_DIAG_MESSAGE_TEXT, buffer, small,
                              &shortLength);
      }
    } else {
      ADD_FAILURE() << "no such case " << exportName;
    }
    length = shortForm ? shortLength : longLength;
    return rc;
  }

  // True when the handle that answered holds a "01004" record.
  bool warnedOfTruncation(const std::string& exportName) {
    SQLSMALLINT type = SQL_HANDLE_STMT;
    SQLHANDLE handle = stmt;
    if (exportName == "SQLNativeSqlW" || exportName == "SQLGetInfoW" ||
        exportName == "SQLGetConnectAttrW") {
      type = SQL_HANDLE_DBC;
      handle = dbc;
    } else if (exportName == "SQLGetDescRecW" || exportName == "SQLGetDescFieldW") {
      type = SQL_HANDLE_DESC;
      handle = desc;
    }
    for (const std::string& state : states(type, handle)) {
      if (state == "01004") return true;
    }
    return false;
  }

  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLHDESC desc = SQL_NULL_HDESC;
};

const ExportCase exportCases[] = {
    {"SQLGetCursorNameW", Unit::Characters, false}, {"SQLNativeSqlW", Unit::Characters, false},
    {"SQLGetDescRecW", Unit::Characters, false},    {"SQLDescribeColW", Unit::Characters, false},
    {"SQLGetDiagRecW", Unit::Characters, true},     {"SQLGetInfoW", Unit::Bytes, false},
    {"SQLGetConnectAttrW", Unit::Bytes, false},     {"SQLGetDescFieldW", Unit::Bytes, false},
    {"SQLColAttributeW", Unit::Bytes, false},       {"SQLColAttributesW", Unit::Bytes, false},
    {"SQLGetDiagFieldW", Unit::Bytes, true},
};

// Last characters of one, two, three and four UTF-8 bytes; the last takes a surrogate pair.
const char* const texts[] = {"cursor_ab", "caf\xc3\xa9", "pri\xe2\x82\xac", "x\xf0\x9f\x98\x80y\xf0\x9f\x98\x80"};

constexpr unsigned char canary = 0xAB;

// The units a buffer of `capacity` units holds of the text: at most capacity-1, never half a
// pair.
std::vector<SQLWCHAR> expectedUnits(const std::vector<SQLWCHAR>& whole, SQLINTEGER capacity) {
  std::size_t take = std::min<std::size_t>(whole.size(), static_cast<std::size_t>(capacity - 1));
  if (take > 0 && take < whole.size() && whole[take - 1] >= 0xD800 && whole[take - 1] < 0xDC00) {
    --take;
  }
  return std::vector<SQLWCHAR>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(take));
}

TEST_F(WideOutput, EveryExportCutsAtItsBufferAndReportsTheWholeLength) {
  for (const ExportCase& c : exportCases) {
    for (const char* text : texts) {
      std::string whole;
      SQLINTEGER length = 0;
      // First the whole answer, to know its units.
      std::vector<SQLWCHAR> large(4096, 0);
      ASSERT_EQ(call(c.name, text, large.data(), 8000, length, whole), SQL_SUCCESS) << c.name;
      std::vector<SQLWCHAR> units = utf16FromUtf8(whole);
      units.pop_back();
      const auto n = static_cast<SQLINTEGER>(units.size());
      const SQLINTEGER wholeLength = c.unit == Unit::Bytes ? 2 * n : n;
      EXPECT_EQ(length, wholeLength) << c.name << " " << text;
      EXPECT_EQ(std::vector<SQLWCHAR>(large.data(), large.data() + n), units) << c.name;

      std::vector<SQLINTEGER> bufferLengths;
      for (const SQLINTEGER capacity : {SQLINTEGER{1}, n - 1, n, n + 1}) {
        bufferLengths.push_back(c.unit == Unit::Bytes ? 2 * capacity : capacity);
      }
      if (c.unit == Unit::Bytes) {
        bufferLengths.push_back(1);
        bufferLengths.push_back(2 * n + 1);
        bufferLengths.push_back(2 * n - 1);
      }
      for (const SQLINTEGER bufferLength : bufferLengths) {
        SCOPED_TRACE(std::string(c.name) + " \"" + text + "\" buffer " +
                     std::to_string(bufferLength));
        const SQLINTEGER bytes = c.unit == Unit::Bytes ? bufferLength : 2 * bufferLength;
        std::vector<unsigned char> buffer(static_cast<std::size_t>(bytes) + 16, canary);
        std::string answered;
        length = -5;
        const SQLRETURN rc = call(c.name, text, buffer.data(), bufferLength, length, answered);
        const SQLINTEGER capacity = c.unit == Unit::Bytes ? bufferLength / 2 : bufferLength;
        EXPECT_EQ(length, wholeLength);
        std::size_t written = 0;
        if (capacity >= 1) {
          const std::vector<SQLWCHAR> expected = expectedUnits(units, capacity);
          std::vector<SQLWCHAR> got(expected.size() + 1);
          std::memcpy(got.data(), buffer.data(), got.size() * sizeof(SQLWCHAR));
          std::vector<SQLWCHAR> withNul = expected;
          withNul.push_back(0);
          EXPECT_EQ(got, withNul);
          written = withNul.size() * sizeof(SQLWCHAR);
        }
        for (std::size_t at = written; at < buffer.size(); ++at) {
          ASSERT_EQ(buffer[at], canary) << "byte " << at << " written";
        }
        const bool cut = capacity < n + 1;
        EXPECT_EQ(rc, cut ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS);
        if (!c.readsDiagnostics) {
          EXPECT_EQ(warnedOfTruncation(c.name), cut);
        }
      }
    }
  }
}

TEST_F(WideOutput, ANullOrEmptyBufferOnlyReportsTheLength) {
  for (const ExportCase& c : exportCases) {
    SCOPED_TRACE(c.name);
    std::string whole;
    SQLINTEGER length = -5;
    EXPECT_EQ(call(c.name, "abc", nullptr, 0, length, whole), SQL_SUCCESS);
    const auto n = static_cast<SQLINTEGER>(utf16FromUtf8(whole).size() - 1);
    EXPECT_EQ(length, c.unit == Unit::Bytes ? 2 * n : n);
    unsigned char buffer[4] = {canary, canary, canary, canary};
    length = -5;
    EXPECT_EQ(call(c.name, "abc", buffer, 0, length, whole), SQL_SUCCESS);
    EXPECT_EQ(length, c.unit == Unit::Bytes ? 2 * n : n);
    EXPECT_EQ(buffer[0], canary);
  }
}

TEST_F(WideOutput, ANegativeBufferLengthWritesNothing) {
  for (const ExportCase& c : exportCases) {
    SCOPED_TRACE(c.name);
    std::string whole;
    SQLINTEGER length = -5;
    unsigned char buffer[8] = {canary, canary, canary, canary, canary, canary, canary, canary};
    EXPECT_EQ(call(c.name, "abc", buffer, -1, length, whole), SQL_ERROR);
    EXPECT_EQ(buffer[0], canary);
    EXPECT_EQ(length, -99);
  }
}

}  // namespace
}  // namespace apitest
