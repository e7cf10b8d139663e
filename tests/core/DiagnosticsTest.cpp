#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/DiagnosticHeader.h"
#include "core/DiagnosticTexts.h"
#include "core/Environment.h"
#ifndef _WIN32
#include "tests/support/TempOdbcIni.h"
#endif

namespace {

constexpr char canary = '#';

class Diagnostics : public ::testing::Test {
 protected:
  // On POSIX the preferences come from an empty private odbcinst.ini, so nothing is traced.
  static std::unique_ptr<Environment> makeEnvironment() {
    return std::make_unique<Environment>("KarvellODBC", "karvod64.dll", "Karvell ODBC", "Ferrow",
                                         nullptr);
  }

  // The state of record n, read through SQL_DIAG_SQLSTATE.
  static std::string stateOf(const DiagnosticHeader& header, SQLSMALLINT n) {
    char state[6] = {};
    SQLSMALLINT length = 0;
    EXPECT_EQ(header.getDiagField(n, SQL_DIAG_SQLSTATE, state, sizeof state, &length), SQL_SUCCESS);
    EXPECT_EQ(length, 5);
    return state;
  }

  static std::string messageOf(const DiagnosticHeader& header, SQLSMALLINT n) {
    char message[256];
    SQLSMALLINT length = 0;
    EXPECT_EQ(header.getDiagRec(n, nullptr, nullptr, message, sizeof message, &length),
              SQL_SUCCESS);
    EXPECT_EQ(length, static_cast<SQLSMALLINT>(std::strlen(message)));
    return message;
  }

#ifndef _WIN32
  testsupport::TempOdbcIni ini_;
#endif
};

TEST_F(Diagnostics, PostPutsTheNewestFirstAndPostLastAppends) {
  auto environment = makeEnvironment();
  DiagnosticHeader& header = environment->diagnostics();
  EXPECT_TRUE(header.isEmpty());
  header.post("01004", 0, "", -1, -1);
  header.post("HY000", 0, "", -1, -1);
  header.postLast("08S01", 0, "", -1, -1);
  header.post("HY010", 0, "", -1, -1);
  EXPECT_EQ(stateOf(header, 1), "HY010");
  EXPECT_EQ(stateOf(header, 2), "HY000");
  EXPECT_EQ(stateOf(header, 3), "01004");
  EXPECT_EQ(stateOf(header, 4), "08S01");
  SQLINTEGER count = 0;
  EXPECT_EQ(header.getDiagField(0, SQL_DIAG_NUMBER, &count, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(count, 4);
  header.clear();
  EXPECT_TRUE(header.isEmpty());
  EXPECT_EQ(header.getDiagField(0, SQL_DIAG_NUMBER, &count, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(count, 0);
}

// The outcomes of a parameter array's sets may arrive out of their order; the records do not.
TEST_F(Diagnostics, RecordsPostedInRowOrderStandInTheOrderOfTheirRows) {
  auto environment = makeEnvironment();
  DiagnosticHeader& header = environment->diagnostics();
  header.post("01000", 0, "", -1, -1);
  header.postInRowOrder("22018", 0, "", -1, 3);
  header.postInRowOrder("HY000", 0, "", -1, 2);
  header.postInRowOrder("08S01", 0, "", -1, 5);
  header.postInRowOrder("01004", 0, "", -1, 3);
  header.postInRowOrder("HY010", 0, "", -1, 1);
  const std::vector<std::pair<std::string, SQLLEN>> expected = {
      {"01000", -1}, {"HY010", 1}, {"HY000", 2}, {"22018", 3}, {"01004", 3}, {"08S01", 5}};
  for (std::size_t k = 0; k < expected.size(); ++k) {
    const auto number = static_cast<SQLSMALLINT>(k + 1);
    SQLLEN row = 0;
    header.getDiagField(number, SQL_DIAG_ROW_NUMBER, &row, 0, nullptr);
    EXPECT_EQ(stateOf(header, number), expected[k].first) << "record " << number;
    EXPECT_EQ(row, expected[k].second) << "record " << number;
  }
}

// Records move rather than copy wherever the list grows.
static_assert(std::is_nothrow_move_constructible_v<DiagnosticRecord>);
static_assert(std::is_nothrow_move_assignable_v<DiagnosticRecord>);

TEST_F(Diagnostics, AFetchFullOfWarningsKeepsEveryRecordInOrder) {
  // As a rowset of 20,000 cells that all warn posts them; the rows number the records.
  auto environment = makeEnvironment();
  DiagnosticHeader& header = environment->diagnostics();
  constexpr SQLLEN kRecords = 20000;
  for (SQLLEN row = 1; row <= kRecords; ++row) header.post("01004", 0, "", 1, row);
  header.postLast("01S01", 0, "", -1, -1);
  SQLINTEGER count = 0;
  header.getDiagField(0, SQL_DIAG_NUMBER, &count, 0, nullptr);
  EXPECT_EQ(count, kRecords + 1);
  for (SQLSMALLINT number : {1, 2, 10000, 20000}) {
    SQLLEN row = 0;
    header.getDiagField(number, SQL_DIAG_ROW_NUMBER, &row, 0, nullptr);
    EXPECT_EQ(row, kRecords + 1 - number);
  }
  EXPECT_EQ(stateOf(header, static_cast<SQLSMALLINT>(kRecords + 1)), "01S01");
}

TEST_F(Diagnostics, MessagesCarryMakerAndComponentAndFallBackToTheStandardText) {
  auto environment = makeEnvironment();
  DiagnosticHeader& header = environment->diagnostics();
  header.post("HY000", 7, "Server said no", -1, -1);
  header.post("HY009", 0, "", -1, -1);
  header.post("ZZ999", 0, "", -1, -1);
  EXPECT_EQ(messageOf(header, 1), "[Ferrow][Karvell ODBC] ");
  EXPECT_EQ(messageOf(header, 2), "[Ferrow][Karvell ODBC] Invalid use of null pointer");
  EXPECT_EQ(messageOf(header, 3), "[Ferrow][Karvell ODBC] Server said no");

  char message[64];
  SQLSMALLINT length = 0;
  EXPECT_EQ(header.getDiagRecWithComponent("Karvell", 2, nullptr, nullptr, message, sizeof message,
                                           &length),
            SQL_SUCCESS);
  EXPECT_STREQ(message, "[Ferrow][Karvell] Invalid use of null pointer");

  // SQL_DIAG_MESSAGE_TEXT has no prefix.
  EXPECT_EQ(header.getDiagField(2, SQL_DIAG_MESSAGE_TEXT, message, sizeof message, &length),
            SQL_SUCCESS);
  EXPECT_STREQ(message, "Invalid use of null pointer");
  EXPECT_EQ(length, 27);
  EXPECT_EQ(header.getDiagField(3, SQL_DIAG_MESSAGE_TEXT, message, sizeof message, &length),
            SQL_SUCCESS);
  EXPECT_STREQ(message, "Server said no");

  char state[6];
  SQLINTEGER native = 0;
  EXPECT_EQ(header.getDiagRec(3, state, &native, nullptr, 0, nullptr), SQL_SUCCESS);
  EXPECT_STREQ(state, "HY000");
  EXPECT_EQ(native, 7);
}

TEST_F(Diagnostics, RecordNumbersOutsideTheListWriteNothing) {
  auto environment = makeEnvironment();
  DiagnosticHeader& header = environment->diagnostics();
  char state[8];
  char message[16];
  SQLINTEGER native = -5;
  SQLSMALLINT length = -5;
  EXPECT_EQ(header.getDiagRec(1, state, &native, message, sizeof message, &length), SQL_NO_DATA);
  header.post("HY001", 1, "", -1, -1);
  header.post("HY001", 2, "", -1, -1);
  struct Case {
    SQLSMALLINT number;
    SQLRETURN result;
  };
  for (const Case c : {Case{-1, SQL_ERROR}, Case{0, SQL_ERROR}, Case{3, SQL_NO_DATA},
                       Case{-32768, SQL_ERROR}, Case{32767, SQL_NO_DATA}}) {
    SCOPED_TRACE(c.number);
    std::memset(state, canary, sizeof state);
    std::memset(message, canary, sizeof message);
    EXPECT_EQ(header.getDiagRec(c.number, state, &native, message, sizeof message, &length),
              c.result);
    EXPECT_EQ(state[0], canary);
    EXPECT_EQ(message[0], canary);
    EXPECT_EQ(native, -5);
    EXPECT_EQ(length, -5);
  }
  EXPECT_EQ(header.getDiagRec(2, state, &native, message, sizeof message, &length),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(native, 1);
  EXPECT_EQ(header.getDiagRec(2, state, &native, message, -1, &length), SQL_ERROR);
}

TEST_F(Diagnostics, ALongMessageIsCutWithANulAndItsFullLength) {
  auto environment = makeEnvironment();
  DiagnosticHeader& header = environment->diagnostics();
  header.post("HY010", 0, "", -1, -1);
  const std::string full = "[Ferrow][Karvell ODBC] Function sequence error";  // 46 bytes
  for (SQLSMALLINT bufferLength : {0, 1, 10, 46, 47}) {
    SCOPED_TRACE(bufferLength);
    char message[64];
    std::memset(message, canary, sizeof message);
    SQLSMALLINT length = 0;
    const SQLRETURN rc = header.getDiagRec(1, nullptr, nullptr, message, bufferLength, &length);
    EXPECT_EQ(length, 46);
    if (bufferLength == 47) {
      EXPECT_EQ(rc, SQL_SUCCESS);
      EXPECT_STREQ(message, full.c_str());
    } else {
      EXPECT_EQ(rc, SQL_SUCCESS_WITH_INFO);
      if (bufferLength > 0) {
        EXPECT_EQ(std::string(message), full.substr(0, bufferLength - 1));
      }
      EXPECT_EQ(message[bufferLength], canary);
    }
  }
}

TEST_F(Diagnostics, TheStateBufferGetsFiveCharactersAndANul) {
  auto environment = makeEnvironment();
  DiagnosticHeader& header = environment->diagnostics();
  header.post("HY0001234", 0, "", -1, -1);
  char state[8];
  std::memset(state, canary, sizeof state);
  EXPECT_EQ(header.getDiagRec(1, state, nullptr, nullptr, 0, nullptr), SQL_SUCCESS);
  EXPECT_STREQ(state, "HY000");
  EXPECT_EQ(state[6], canary);
}

// Each integer field is written with its ODBC width, and not a byte more.
TEST_F(Diagnostics, FieldsAreWrittenWithTheirWidths) {
  auto environment = makeEnvironment();
  DiagnosticHeader& header = environment->diagnostics();
  header.post("42S02", -12345, "no such table", 3, 0x123456789LL);
  struct Case {
    SQLSMALLINT record;
    SQLSMALLINT identifier;
    std::size_t width;
    long long value;
  };
  const Case cases[] = {
      {0, SQL_DIAG_NUMBER, 4, 1},
      {0, SQL_DIAG_CURSOR_ROW_COUNT, 8, 0},
      {0, SQL_DIAG_ROW_COUNT, 8, 0},
      {0, SQL_DIAG_DYNAMIC_FUNCTION_CODE, 4, 0},
      {1, SQL_DIAG_NATIVE, 4, -12345},
      {1, SQL_DIAG_COLUMN_NUMBER, 4, 3},
      {1, SQL_DIAG_ROW_NUMBER, 8, 0x123456789LL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.identifier);
    unsigned char buffer[16];
    std::memset(buffer, canary, sizeof buffer);
    EXPECT_EQ(header.getDiagField(c.record, c.identifier, buffer, 0, nullptr), SQL_SUCCESS);
    for (std::size_t i = c.width; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], canary) << i;
    if (c.width == 4) {
      SQLINTEGER value;
      std::memcpy(&value, buffer, 4);
      EXPECT_EQ(value, c.value);
    } else {
      SQLLEN value;
      std::memcpy(&value, buffer, 8);
      EXPECT_EQ(value, c.value);
    }
  }
  static_assert(sizeof(SQLLEN) == 8, "64-bit row numbers");
}

TEST_F(Diagnostics, StringFieldsAndUnansweredIdentifiers) {
  auto environment = makeEnvironment();
  DiagnosticHeader& header = environment->diagnostics();
  header.post("HY000", 0, "", -1, -1);
  char text[32];
  SQLSMALLINT length = -1;
  EXPECT_EQ(header.getDiagField(0, SQL_DIAG_DYNAMIC_FUNCTION, text, sizeof text, &length),
            SQL_SUCCESS);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(length, 0);
  EXPECT_EQ(header.getDiagField(1, SQL_DIAG_MESSAGE_TEXT, text, 6, &length), SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(text, "Gener");
  EXPECT_EQ(length, 13);
  EXPECT_EQ(header.getDiagField(1, SQL_DIAG_MESSAGE_TEXT, text, -1, &length), SQL_ERROR);

  // A header field asked of a record, a record field of the header, and SQL_DIAG_RETURNCODE.
  for (const auto& asked :
       {std::make_pair(1, SQL_DIAG_NUMBER), std::make_pair(0, SQL_DIAG_SQLSTATE),
        std::make_pair(1, SQL_DIAG_RETURNCODE), std::make_pair(0, SQL_DIAG_RETURNCODE)}) {
    std::memset(text, canary, sizeof text);
    length = -7;
    EXPECT_EQ(header.getDiagField(static_cast<SQLSMALLINT>(asked.first), asked.second, text,
                                  sizeof text, &length),
              SQL_SUCCESS);
    EXPECT_EQ(text[0], canary);
    EXPECT_EQ(length, -7);
  }
  EXPECT_EQ(header.getDiagField(2, SQL_DIAG_SQLSTATE, text, sizeof text, &length), SQL_NO_DATA);
  EXPECT_EQ(header.getDiagField(-1, SQL_DIAG_SQLSTATE, text, sizeof text, &length), SQL_ERROR);
}

TEST_F(Diagnostics, ClassAndSubclassOrigins) {
  auto environment = makeEnvironment();
  DiagnosticHeader& header = environment->diagnostics();
  struct Case {
    const char* state;
    const char* classOrigin;
    const char* subclassOrigin;
  };
  const Case cases[] = {
      {"IM002", "ODBC 3.0", "ODBC 3.0"}, {"HY000", "ISO 9075", "ISO 9075"},
      {"IM009", "ODBC 3.0", "ISO 9075"}, {"01S02", "ISO 9075", "ODBC 3.0"},
      {"HYT01", "ISO 9075", "ODBC 3.0"}, {"HY096", "ISO 9075", "ISO 9075"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    header.clear();
    header.post(c.state, 0, "", -1, -1);
    char origin[16];
    SQLSMALLINT length = 0;
    EXPECT_EQ(header.getDiagField(1, SQL_DIAG_CLASS_ORIGIN, origin, sizeof origin, &length),
              SQL_SUCCESS);
    EXPECT_STREQ(origin, c.classOrigin);
    EXPECT_EQ(length, 8);
    EXPECT_EQ(header.getDiagField(1, SQL_DIAG_SUBCLASS_ORIGIN, origin, sizeof origin, &length),
              SQL_SUCCESS);
    EXPECT_STREQ(origin, c.subclassOrigin);
  }
}

TEST_F(Diagnostics, CopyRecordsKeepsTheOrder) {
  auto environment = makeEnvironment();
  DiagnosticHeader& source = environment->diagnostics();
  source.post("01004", 0, "", -1, -1);
  source.post("HY000", 0, "", -1, -1);
  DiagnosticHeader copy(environment.get());
  copy.post("24000", 0, "", -1, -1);
  copy.copyRecords(source);
  EXPECT_EQ(stateOf(copy, 1), "HY000");
  EXPECT_EQ(stateOf(copy, 2), "01004");
  EXPECT_EQ(copy.getDiagRec(3, nullptr, nullptr, nullptr, 0, nullptr), SQL_NO_DATA);
}

TEST_F(Diagnostics, SqlErrorReturnsTheNewestAndRemovesAll) {
  auto environment = makeEnvironment();
  environment->diagnostics().post("01004", 0, "", -1, -1);
  environment->diagnostics().post("HY024", 0, "", -1, -1);
  char state[6];
  char message[128];
  SQLSMALLINT length = 0;
  EXPECT_EQ(environment->error(state, nullptr, message, sizeof message, &length), SQL_SUCCESS);
  EXPECT_STREQ(state, "HY024");
  EXPECT_STREQ(message, "[Ferrow][Karvell ODBC] Invalid attribute value");
  EXPECT_EQ(environment->error(state, nullptr, message, sizeof message, &length), SQL_NO_DATA);
}

// An environment that traces into a file of the test's choosing.
class TracingEnvironment : public Environment {
 public:
  explicit TracingEnvironment(const std::string& path)
      : Environment("KarvellODBC", "karvod64.dll", "Karvell ODBC", "Ferrow", nullptr),
        writer_(mutex_) {
    EXPECT_TRUE(writer_.open(path));
  }
  bool isTracing() const override { return true; }
  TraceWriter& traceStream() override { return writer_; }

 private:
  platform::Mutex mutex_;
  TraceWriter writer_;
};

TEST_F(Diagnostics, PostsAreTracedWithTheMessageAsPosted) {
  const std::string path = ::testing::TempDir() + "karvod-diagnostics-trace.log";
  std::remove(path.c_str());
  {
    TracingEnvironment environment(path);
    environment.diagnostics().post("08S01", 10054, "Connection reset", -1, -1);
    environment.diagnostics().postLast("HY000", 0, "", -1, -1);
  }
  std::ifstream file(path);
  std::stringstream content;
  content << file.rdbuf();
  file.close();
  std::remove(path.c_str());
  EXPECT_EQ(content.str(),
            "// diagnostic: state: 08S01  code: 10054  msg: Connection reset\n"
            "// diagnostic: state: HY000  code: 0  msg: \n");
}

struct StandardText {
  const char* state;
  const char* text;
};

// Every SQLSTATE of ODBC 3.x, in the standard's order, with its text.
const StandardText standardTexts[] = {
    {"01000", "General warning"},
    {"01001", "Cursor operation conflict"},
    {"01002", "Disconnect error"},
    {"01003", "NULL value eliminated in set function"},
    {"01004", "String data, right-truncated"},
    {"01006", "Privilege not revoked"},
    {"01007", "Privilege not granted"},
    {"01S00", "Invalid connection string attribute"},
    {"01S01", "Error in row"},
    {"01S02", "Option value changed"},
    {"01S06", "Attempt to fetch before the result set returned the first rowset"},
    {"01S07", "Fractional truncation"},
    {"01S08", "Error saving File DSN"},
    {"01S09", "Invalid keyword"},
    {"07001", "Wrong number of parameters"},
    {"07002", "COUNT field incorrect"},
    {"07005", "Prepared statement not a cursor-specification"},
    {"07006", "Restricted data type attribute violation"},
    {"07009", "Invalid descriptor index"},
    {"07S01", "Invalid use of default parameter"},
    {"08001", "Client unable to establish connection"},
    {"08002", "Connection name in use"},
    {"08003", "Connection does not exist"},
    {"08004", "Server rejected the connection"},
    {"08007", "Connection failure during transaction"},
    {"08S01", "Communication link failure"},
    {"21S01", "Insert value list does not match column list"},
    {"21S02", "Degree of derived table does not match column list"},
    {"22001", "String data, right-truncated"},
    {"22002", "Indicator variable required but not supplied"},
    {"22003", "Numeric value out of range"},
    {"22007", "Invalid datetime format"},
    {"22008", "Datetime field overflow"},
    {"22012", "Division by zero"},
    {"22015", "Interval field overflow"},
    {"22018", "Invalid character value for cast specification"},
    {"22019", "Invalid escape character"},
    {"22025", "Invalid escape sequence"},
    {"22026", "String data, length mismatch"},
    {"23000", "Integrity constraint violation"},
    {"24000", "Invalid cursor state"},
    {"25000", "Invalid transaction state"},
    {"25S01", "Transaction state"},
    {"25S02", "Transaction is still active"},
    {"25S03", "Transaction is rolled back"},
    {"28000", "Invalid authorization specification"},
    {"34000", "Invalid cursor name"},
    {"3C000", "Duplicate cursor name"},
    {"3D000", "Invalid catalog name"},
    {"3F000", "Invalid schema name"},
    {"40001", "Serialization failure"},
    {"40002", "Integrity constraint violation"},
    {"40003", "Statement completion unknown"},
    {"42000", "Syntax error or access violation"},
    {"42S01", "Base table or view already exists"},
    {"42S02", "Base table or view not found"},
    {"42S11", "Index already exists"},
    {"42S12", "Index not found"},
    {"42S21", "Column already exists"},
    {"42S22", "Column not found"},
    {"44000", "WITH CHECK OPTION violation"},
    {"HY000", "General error"},
    {"HY001", "Memory allocation error"},
    {"HY003", "Invalid application buffer type"},
    {"HY004", "Invalid SQL data type"},
    {"HY007", "Associated statement is not prepared"},
    {"HY008", "Operation canceled"},
    {"HY009", "Invalid use of null pointer"},
    {"HY010", "Function sequence error"},
    {"HY011", "Attribute cannot be set now"},
    {"HY012", "Invalid transaction operation code"},
    {"HY013", "Memory management error"},
    {"HY014", "Limit on the number of handles exceeded"},
    {"HY015", "No cursor name available"},
    {"HY016", "Cannot modify an implementation row descriptor"},
    {"HY017", "Invalid use of an automatically allocated descriptor handle"},
    {"HY018", "Server declined cancel request"},
    {"HY019", "Non-character and non-binary data sent in pieces"},
    {"HY020", "Attempt to concatenate a null value"},
    {"HY021", "Inconsistent descriptor information"},
    {"HY024", "Invalid attribute value"},
    {"HY090", "Invalid string or buffer length"},
    {"HY091", "Invalid descriptor field identifier"},
    {"HY092", "Invalid attribute/option identifier"},
    {"HY095", "Function type out of range"},
    {"HY096", "Invalid information type"},
    {"HY097", "Column type out of range"},
    {"HY098", "Scope type out of range"},
    {"HY099", "Nullable type out of range"},
    {"HY100", "Uniqueness option type out of range"},
    {"HY101", "Accuracy option type out of range"},
    {"HY103", "Invalid retrieval code"},
    {"HY104", "Invalid precision or scale value"},
    {"HY105", "Invalid parameter type"},
    {"HY106", "Fetch type out of range"},
    {"HY107", "Row value out of range"},
    {"HY109", "Invalid cursor position"},
    {"HY110", "Invalid driver completion"},
    {"HY111", "Invalid bookmark value"},
    {"HYC00", "Optional feature not implemented"},
    {"HYT00", "Timeout expired"},
    {"HYT01", "Connection timeout expired"},
    {"IM001", "Driver does not support this function"},
    {"IM002", "Data source name not found and no default driver specified"},
    {"IM003", "Specified driver could not be loaded"},
    {"IM004", "Driver's SQLAllocHandle on SQL_HANDLE_ENV failed"},
    {"IM005", "Driver's SQLAllocHandle on SQL_HANDLE_DBC failed"},
    {"IM006", "Driver's SQLSetConnectAttr failed"},
    {"IM007", "No data source or driver specified; dialog prohibited"},
    {"IM008", "Dialog failed"},
    {"IM009", "Unable to load translation DLL"},
    {"IM010", "Data source name too long"},
    {"IM011", "Driver name too long"},
    {"IM012", "DRIVER keyword syntax error"},
    {"IM013", "Trace file error"},
    {"IM014", "Invalid name of File DSN"},
    {"IM015", "Corrupt file data source"},
};

TEST(StandardMessageForState, KnowsEveryOdbcState) {
  EXPECT_EQ(sizeof standardTexts / sizeof standardTexts[0], 117u);
  for (const StandardText& row : standardTexts) {
    EXPECT_STREQ(standardMessageForState(row.state), row.text) << row.state;
  }
  EXPECT_STREQ(standardMessageForState("hy000"), "");
  EXPECT_STREQ(standardMessageForState("HY00"), "");
  EXPECT_STREQ(standardMessageForState("HY0000"), "");
  EXPECT_STREQ(standardMessageForState(""), "");
}

TEST(DynamicFunctionText, KnowsTheOdbcCodes) {
  EXPECT_STREQ(dynamicFunctionText(SQL_DIAG_ALTER_DOMAIN), "ALTER DOMAIN");
  EXPECT_STREQ(dynamicFunctionText(SQL_DIAG_CREATE_INDEX), "CREATE INDEX");
  EXPECT_STREQ(dynamicFunctionText(SQL_DIAG_DROP_INDEX), "DROP INDEX");
  EXPECT_STREQ(dynamicFunctionText(SQL_DIAG_DYNAMIC_UPDATE_CURSOR), "DYNAMIC UPDATE CURSOR");
  EXPECT_STREQ(dynamicFunctionText(SQL_DIAG_UPDATE_WHERE), "UPDATE WHERE");
  EXPECT_STREQ(dynamicFunctionText(SQL_DIAG_UNKNOWN_STATEMENT), "");
  EXPECT_STREQ(dynamicFunctionText(999), "");
}

}  // namespace
