#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/DiagnosticHeader.h"
#include "core/Environment.h"
#include "statement/DescriptorRecord.h"
#include "tests/statement/TakeState.h"
#include "tests/support/RecordingConnection.h"

namespace {

constexpr DescriptorType kExplicit = DescriptorType::explicitlyAllocated;
constexpr DescriptorType kApd = DescriptorType::applicationParameter;
constexpr DescriptorType kArd = DescriptorType::applicationRow;
constexpr DescriptorType kIpd = DescriptorType::implementationParameter;
constexpr DescriptorType kIrd = DescriptorType::implementationRow;

SQLPOINTER asValue(SQLLEN value) { return reinterpret_cast<SQLPOINTER>(value); }

class DescriptorRecordTest : public ::testing::Test {
 protected:
  // A record as a descriptor's setCount makes it, or as the back end describes a column.
  DescriptorRecord& record(DescriptorType type, SQLSMALLINT sqlType = SQL_VARCHAR,
                           const std::string& name = "", const std::string& typeName = "") {
    records_.emplace_back(std::make_unique<DescriptorRecord>(
        type, connection_, diagnostics_, name, sqlType, typeName, SQL_NULLABLE_UNKNOWN, false));
    return *records_.back();
  }

  std::string takeState() { return testsupport::takeState(diagnostics_); }

  // A section that no odbcinst.ini holds, so nothing is traced.
  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC record test", "Ferrow", nullptr};
  testsupport::RecordingConnection connection_{&environment_};
  DiagnosticHeader diagnostics_{&environment_};
  std::vector<std::unique_ptr<DescriptorRecord>> records_;
};

TEST_F(DescriptorRecordTest, ConstructionAppliesTheTypeDefaults) {
  struct Case {
    SQLSMALLINT sqlType;
    SQLLEN displaySize;
    SQLSMALLINT precision;
    SQLINTEGER radix;
    SQLSMALLINT fixedPrecScale;
    SQLINTEGER caseSensitive;
  };
  const Case cases[] = {
      {SQL_INTEGER, 28, 10, 10, SQL_TRUE, SQL_FALSE},
      {SQL_SMALLINT, 7, 5, 10, SQL_TRUE, SQL_FALSE},
      {SQL_VARCHAR, 255, 0, 0, SQL_FALSE, SQL_TRUE},
      {SQL_CHAR, 255, 0, 0, SQL_FALSE, SQL_TRUE},
      {SQL_DOUBLE, 255, 0, 0, SQL_FALSE, SQL_FALSE},
      {SQL_LONGVARCHAR, 255, 0, 0, SQL_FALSE, SQL_FALSE},
      {SQL_TYPE_TIMESTAMP, 255, 0, 0, SQL_FALSE, SQL_FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sqlType);
    const DescriptorRecord& r = record(kIrd, c.sqlType);
    EXPECT_EQ(r.getDisplaySize(), c.displaySize);
    EXPECT_EQ(r.getPrecision(), c.precision);
    EXPECT_EQ(r.getNumPrecRadix(), c.radix);
    EXPECT_EQ(r.getFixedPrecScale(), c.fixedPrecScale);
    EXPECT_EQ(r.getCaseSensitive(), c.caseSensitive);
    EXPECT_EQ(r.getScale(), 0);
    EXPECT_EQ(r.getType(), c.sqlType);
    EXPECT_EQ(r.getConciseType(), c.sqlType);
  }

  DescriptorRecord column(kIrd, connection_, diagnostics_, "price", SQL_DECIMAL, "currency",
                          SQL_NULLABLE, true);
  EXPECT_EQ(column.getName(), "price");
  EXPECT_EQ(column.getLabel(), "price");
  EXPECT_EQ(column.getTypeName(), "currency");
  EXPECT_EQ(column.getLocalTypeName(), "currency");
  EXPECT_EQ(column.getNullable(), SQL_NULLABLE);
  EXPECT_EQ(column.getUnsigned(), SQL_TRUE);
  EXPECT_EQ(column.getLength(), 255u);
  EXPECT_EQ(column.getOctetLength(), 0);
  EXPECT_EQ(column.getDataPtr(), nullptr);
  EXPECT_EQ(column.nextByte(), 0u);
}

TEST_F(DescriptorRecordTest, DefaultCTypeIsTheConnections) {
  const DescriptorRecord& r = record(kIrd);
  EXPECT_EQ(r.defaultCType(SQL_WVARCHAR), SQL_C_WCHAR);
  EXPECT_EQ(r.defaultCType(SQL_INTEGER), SQL_C_SLONG);
  EXPECT_EQ(r.defaultCType(SQL_TYPE_TIMESTAMP), SQL_C_TYPE_TIMESTAMP);
}

TEST_F(DescriptorRecordTest, ConciseTypeDerivesTypeAndIntervalCode) {
  struct Case {
    SQLSMALLINT concise;
    SQLSMALLINT type;
    SQLSMALLINT code;
  };
  const Case cases[] = {
      {SQL_TYPE_DATE, SQL_DATETIME, SQL_CODE_DATE},
      {SQL_TYPE_TIME, SQL_DATETIME, SQL_CODE_TIME},
      {SQL_TYPE_TIMESTAMP, SQL_DATETIME, SQL_CODE_TIMESTAMP},
      {SQL_DATE, SQL_DATETIME, SQL_CODE_DATE},  // the ODBC 2 forms keep their number
      {SQL_TIME, SQL_DATETIME, SQL_CODE_TIME},
      {SQL_TIMESTAMP, SQL_DATETIME, SQL_CODE_TIMESTAMP},
      {SQL_INTERVAL_YEAR, SQL_INTERVAL, SQL_CODE_YEAR},
      {SQL_INTERVAL_DAY, SQL_INTERVAL, SQL_CODE_DAY},
      {SQL_INTERVAL_MINUTE_TO_SECOND, SQL_INTERVAL, SQL_CODE_MINUTE_TO_SECOND},
      {SQL_INTEGER, SQL_INTEGER, 0},
      {SQL_C_WCHAR, SQL_C_WCHAR, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.concise);
    DescriptorRecord& r = record(kArd);
    ASSERT_EQ(r.setField(SQL_DESC_CONCISE_TYPE, asValue(c.concise), 0), SQL_SUCCESS);
    EXPECT_EQ(r.getConciseType(), c.concise);
    EXPECT_EQ(r.getType(), c.type);
    EXPECT_EQ(r.getDatetimeIntervalCode(), c.code);
  }
}

TEST_F(DescriptorRecordTest, TypeThenIntervalCodeDerivesTheConciseType) {
  struct Case {
    SQLSMALLINT type;
    SQLSMALLINT code;
    SQLSMALLINT concise;
  };
  const Case cases[] = {
      {SQL_DATETIME, 0, SQL_DATETIME},
      {SQL_DATETIME, SQL_CODE_DATE, SQL_TYPE_DATE},
      {SQL_DATETIME, SQL_CODE_TIME, SQL_TYPE_TIME},
      {SQL_DATETIME, SQL_CODE_TIMESTAMP, SQL_TYPE_TIMESTAMP},
      {SQL_DATETIME, 7, SQL_DATETIME},  // no such date-time code: nothing to derive
      {SQL_INTERVAL, SQL_CODE_YEAR, SQL_INTERVAL_YEAR},
      {SQL_INTERVAL, SQL_CODE_DAY_TO_SECOND, SQL_INTERVAL_DAY_TO_SECOND},
      {SQL_INTERVAL, SQL_CODE_MINUTE_TO_SECOND, SQL_INTERVAL_MINUTE_TO_SECOND},
      {SQL_INTERVAL, 14, SQL_INTERVAL},
      {SQL_INTEGER, SQL_CODE_TIME, SQL_INTEGER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type << "+" << c.code);
    DescriptorRecord& r = record(kApd);
    ASSERT_EQ(r.setField(SQL_DESC_TYPE, asValue(c.type), 0), SQL_SUCCESS);
    EXPECT_EQ(r.getConciseType(), c.type);
    EXPECT_EQ(r.getDatetimeIntervalCode(), 0);
    ASSERT_EQ(r.setField(SQL_DESC_DATETIME_INTERVAL_CODE, asValue(c.code), 0), SQL_SUCCESS);
    EXPECT_EQ(r.getType(), c.type);
    EXPECT_EQ(r.getDatetimeIntervalCode(), c.code);
    EXPECT_EQ(r.getConciseType(), c.concise);
  }

  // Setting TYPE again starts over.
  DescriptorRecord& r = record(kArd);
  r.setConciseType(SQL_TYPE_TIMESTAMP);
  r.setType(SQL_INTEGER);
  EXPECT_EQ(r.getConciseType(), SQL_INTEGER);
  EXPECT_EQ(r.getDatetimeIntervalCode(), 0);
}

TEST_F(DescriptorRecordTest, SetDescRecBindsATimestampThatConvertsAsATimestamp) {
  DescriptorRecord& r = record(kArd);
  SQL_TIMESTAMP_STRUCT value{};
  SQLLEN length = 0;
  SQLLEN indicator = 0;
  EXPECT_EQ(r.setDescRec(SQL_DATETIME, SQL_CODE_TIMESTAMP, sizeof value, 0, 3, &value, &length,
                         &indicator),
            SQL_SUCCESS);
  EXPECT_EQ(r.getConciseType(), SQL_TYPE_TIMESTAMP);
  EXPECT_EQ(r.getType(), SQL_DATETIME);
  EXPECT_EQ(r.getDatetimeIntervalCode(), SQL_CODE_TIMESTAMP);
  EXPECT_EQ(r.getOctetLength(), static_cast<SQLLEN>(sizeof value));  // the buffer length
  EXPECT_EQ(r.getScale(), 3);
  EXPECT_EQ(r.getDataPtr(), &value);
  EXPECT_EQ(r.getOctetLengthPtr(), &length);
  EXPECT_EQ(r.getIndicatorPtr(), &indicator);
  EXPECT_EQ(takeState(), "");
}

TEST_F(DescriptorRecordTest, SetDescRecByDescriptorKind) {
  char buffer[8];
  SQLLEN length = 0;

  // An implementation parameter record takes the type; its pointers are the driver's, which
  // the record owns.
  DescriptorRecord& parameter = record(kIpd);
  auto* driverLength = static_cast<SQLLEN*>(std::calloc(1, sizeof(SQLLEN)));
  parameter.setOctetLengthPtr(driverLength);
  EXPECT_EQ(parameter.setDescRec(SQL_DECIMAL, 0, 20, 12, 4, buffer, &length, &length), SQL_SUCCESS);
  EXPECT_EQ(parameter.getConciseType(), SQL_DECIMAL);
  EXPECT_EQ(parameter.getPrecision(), 12);
  EXPECT_EQ(parameter.getScale(), 4);
  EXPECT_EQ(parameter.getOctetLength(), 20);
  EXPECT_EQ(parameter.getDataPtr(), nullptr);
  EXPECT_EQ(parameter.getOctetLengthPtr(), driverLength);
  EXPECT_EQ(parameter.getIndicatorPtr(), nullptr);
  EXPECT_EQ(takeState(), "");

  // An implementation row record is described by the driver only: the first step is refused.
  DescriptorRecord& column = record(kIrd, SQL_INTEGER);
  EXPECT_EQ(column.setDescRec(SQL_CHAR, 0, 20, 0, 0, buffer, &length, nullptr), SQL_ERROR);
  EXPECT_EQ(takeState(), "HY091");
  EXPECT_EQ(column.getType(), SQL_INTEGER);
  EXPECT_EQ(column.getOctetLength(), 0);
}

TEST_F(DescriptorRecordTest, FieldsAreSettableAndReadableByDescriptorKind) {
  struct Case {
    SQLSMALLINT fieldId;
    DescriptorType kind;
    bool settable;
    bool readable;
  };
  const Case cases[] = {
      {SQL_DESC_DISPLAY_SIZE, kArd, false, false},
      {SQL_DESC_DISPLAY_SIZE, kIrd, false, true},
      {SQL_DESC_DISPLAY_SIZE, kExplicit, false, true},
      {SQL_DESC_CONCISE_TYPE, kIrd, false, true},
      {SQL_DESC_CONCISE_TYPE, kIpd, true, true},
      {SQL_DESC_DATA_PTR, kApd, true, true},
      {SQL_DESC_DATA_PTR, kIpd, false, false},
      {SQL_DESC_DATA_PTR, kIrd, false, false},
      {SQL_DESC_NAME, kArd, false, false},
      {SQL_DESC_NAME, kIpd, true, true},
      {SQL_DESC_NULLABLE, kArd, false, false},
      {SQL_DESC_NULLABLE, kExplicit, false, true},
      {SQL_DESC_NULLABLE, kIpd, false, true},
      {SQL_DESC_PARAMETER_TYPE, kIpd, true, true},
      {SQL_DESC_PARAMETER_TYPE, kApd, false, false},
      {SQL_DESC_PARAMETER_TYPE, kIrd, false, false},
      {SQL_DESC_UNNAMED, kIpd, true, true},
      {SQL_DESC_UNNAMED, kIrd, false, true},
      {SQL_DESC_AUTO_UNIQUE_VALUE, kExplicit, false, true},
      {SQL_DESC_AUTO_UNIQUE_VALUE, kIpd, false, false},
      {SQL_DESC_CASE_SENSITIVE, kIpd, false, true},
      {SQL_DESC_LENGTH, kIrd, false, true},
      {SQL_DESC_OCTET_LENGTH, kArd, true, true},
      {SQL_DESC_BASE_TABLE_NAME, kIpd, false, false},
      {SQL_DESC_LOCAL_TYPE_NAME, kIpd, false, true},
      {SQL_DESC_ROWVER, kArd, false, false},
      // Identifiers that name no record field: a header field, an ODBC 2 column attribute and
      // a number ODBC does not define.
      {SQL_DESC_ARRAY_SIZE, kArd, false, false},
      {SQL_COLUMN_LENGTH, kIrd, false, false},
      {4321, kExplicit, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "field " << c.fieldId << " kind " << static_cast<int>(c.kind));
    DescriptorRecord& r = record(c.kind);
    const SQLPOINTER value = c.fieldId == SQL_DESC_NAME ? const_cast<char*>("n") : asValue(1);
    EXPECT_EQ(r.setField(c.fieldId, value, SQL_NTS), c.settable ? SQL_SUCCESS : SQL_ERROR);
    EXPECT_EQ(takeState(), c.settable ? "" : "HY091");

    std::array<unsigned char, 16> out{};
    SQLINTEGER length = 0;
    EXPECT_EQ(r.getField(c.fieldId, out.data(), out.size(), &length),
              c.readable ? SQL_SUCCESS : SQL_ERROR);
    EXPECT_EQ(takeState(), c.readable ? "" : "HY091");
  }
}

TEST_F(DescriptorRecordTest, GetFieldWritesEachFieldWithItsWidth) {
  struct Case {
    SQLSMALLINT fieldId;
    SQLLEN value;  // set through setField, or -1 for the read-only fields (read as their default)
    std::size_t width;
  };
  const Case cases[] = {
      {SQL_DESC_CONCISE_TYPE, SQL_C_SBIGINT, sizeof(SQLSMALLINT)},
      {SQL_DESC_TYPE, SQL_C_DOUBLE, sizeof(SQLSMALLINT)},
      {SQL_DESC_DATETIME_INTERVAL_PRECISION, 70000, sizeof(SQLINTEGER)},
      {SQL_DESC_LENGTH, 5000000000, sizeof(SQLULEN)},
      {SQL_DESC_OCTET_LENGTH, -4000000000, sizeof(SQLLEN)},
      {SQL_DESC_NUM_PREC_RADIX, 2, sizeof(SQLINTEGER)},
      {SQL_DESC_PRECISION, 38, sizeof(SQLSMALLINT)},
      {SQL_DESC_SCALE, -2, sizeof(SQLSMALLINT)},
      {SQL_DESC_PARAMETER_TYPE, SQL_PARAM_OUTPUT, sizeof(SQLSMALLINT)},
      {SQL_DESC_UNNAMED, SQL_UNNAMED, sizeof(SQLSMALLINT)},
      {SQL_DESC_DISPLAY_SIZE, -1, sizeof(SQLLEN)},
      {SQL_DESC_CASE_SENSITIVE, -1, sizeof(SQLINTEGER)},
      {SQL_DESC_AUTO_UNIQUE_VALUE, -1, sizeof(SQLINTEGER)},
      {SQL_DESC_NULLABLE, -1, sizeof(SQLSMALLINT)},
      {SQL_DESC_FIXED_PREC_SCALE, -1, sizeof(SQLSMALLINT)},
      {SQL_DESC_UNSIGNED, -1, sizeof(SQLSMALLINT)},
      {SQL_DESC_SEARCHABLE, -1, sizeof(SQLSMALLINT)},
      {SQL_DESC_UPDATABLE, -1, sizeof(SQLSMALLINT)},
      {SQL_DESC_ROWVER, -1, sizeof(SQLSMALLINT)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fieldId);
    DescriptorRecord& r = record(kExplicit, SQL_VARCHAR);
    if (c.value != -1) {
      ASSERT_EQ(r.setField(c.fieldId, asValue(c.value), 0), SQL_SUCCESS);
    }
    std::array<unsigned char, 16> out;
    out.fill(0xAB);
    ASSERT_EQ(r.getField(c.fieldId, out.data(), 0, nullptr), SQL_SUCCESS);
    for (std::size_t i = c.width; i < out.size(); ++i) ASSERT_EQ(out[i], 0xAB) << "byte " << i;
    if (c.value == -1) continue;
    SQLLEN read = 0;
    if (c.width == sizeof(SQLSMALLINT)) {
      SQLSMALLINT v;
      std::memcpy(&v, out.data(), sizeof v);
      read = v;
    } else if (c.width == sizeof(SQLINTEGER)) {
      SQLINTEGER v;
      std::memcpy(&v, out.data(), sizeof v);
      read = v;
    } else {
      std::memcpy(&read, out.data(), sizeof read);
    }
    EXPECT_EQ(read, c.value);
  }

  // The three pointers of an application record.
  DescriptorRecord& bound = record(kArd);
  SQLLEN word = 0;
  ASSERT_EQ(bound.setField(SQL_DESC_INDICATOR_PTR, &word, 0), SQL_SUCCESS);
  SQLLEN* pointer = nullptr;
  ASSERT_EQ(bound.getField(SQL_DESC_INDICATOR_PTR, &pointer, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(pointer, &word);
}

TEST_F(DescriptorRecordTest, SettingOtherFieldsUnbindsOnlyApplicationRecords) {
  int target = 0;
  SQLLEN word = 0;
  DescriptorRecord& r = record(kArd);
  ASSERT_EQ(r.setField(SQL_DESC_DATA_PTR, &target, 0), SQL_SUCCESS);
  ASSERT_EQ(r.setField(SQL_DESC_INDICATOR_PTR, &word, 0), SQL_SUCCESS);
  ASSERT_EQ(r.setField(SQL_DESC_OCTET_LENGTH_PTR, &word, 0), SQL_SUCCESS);
  EXPECT_EQ(r.getDataPtr(), &target);
  ASSERT_EQ(r.setField(SQL_DESC_SCALE, asValue(2), 0), SQL_SUCCESS);
  EXPECT_EQ(r.getDataPtr(), nullptr);
  EXPECT_EQ(r.getIndicatorPtr(), &word);

  // A refused field unbinds too.
  r.setDataPtr(&target);
  EXPECT_EQ(r.setField(SQL_DESC_DISPLAY_SIZE, asValue(5), 0), SQL_ERROR);
  EXPECT_EQ(r.getDataPtr(), nullptr);
  takeState();

  // The arrays of implementation records belong to the driver and stay.
  for (DescriptorType kind : {kIpd, kIrd}) {
    DescriptorRecord& imp = record(kind);
    void* data = std::malloc(sizeof(char*));
    auto* indicators = static_cast<SQLLEN*>(std::malloc(sizeof(SQLLEN)));
    auto* lengths = static_cast<SQLLEN*>(std::malloc(sizeof(SQLLEN)));
    imp.setDataPtr(data);
    imp.setIndicatorPtr(indicators);
    imp.setOctetLengthPtr(lengths);
    imp.setField(SQL_DESC_NAME, const_cast<char*>("x"), SQL_NTS);
    imp.setField(SQL_DESC_PRECISION, asValue(4), 0);
    imp.setField(SQL_DESC_AUTO_UNIQUE_VALUE, asValue(1), 0);
    EXPECT_EQ(imp.getDataPtr(), data);
    EXPECT_EQ(imp.getIndicatorPtr(), indicators);
    EXPECT_EQ(imp.getOctetLengthPtr(), lengths);
    takeState();
  }
}

TEST_F(DescriptorRecordTest, RadixOtherThanZeroTwoOrTenIsRefused) {
  DescriptorRecord& r = record(kApd);
  ASSERT_EQ(r.setField(SQL_DESC_NUM_PREC_RADIX, asValue(10), 0), SQL_SUCCESS);
  EXPECT_EQ(r.setField(SQL_DESC_NUM_PREC_RADIX, asValue(8), 0), SQL_ERROR);
  EXPECT_EQ(takeState(), "HY092");
  EXPECT_EQ(r.getNumPrecRadix(), 10);
  EXPECT_EQ(r.setField(SQL_DESC_NUM_PREC_RADIX, asValue(0), 0), SQL_SUCCESS);
  EXPECT_EQ(r.getNumPrecRadix(), 0);
}

TEST_F(DescriptorRecordTest, NameIsSetWithItsLengthAndReadByTheOutputStringRule) {
  DescriptorRecord& r = record(kIpd);
  const char text[] = {'a', 'b', 'c', 'd', 'e', 'f'};  // no terminator
  ASSERT_EQ(r.setField(SQL_DESC_NAME, const_cast<char*>(text), 6), SQL_SUCCESS);
  EXPECT_EQ(r.getName(), "abcdef");
  ASSERT_EQ(r.setField(SQL_DESC_NAME, const_cast<char*>("price"), SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(r.getName(), "price");
  EXPECT_EQ(r.setField(SQL_DESC_NAME, const_cast<char*>("x"), -7), SQL_ERROR);
  EXPECT_EQ(takeState(), "HY090");
  EXPECT_EQ(r.getName(), "price");
  ASSERT_EQ(r.setField(SQL_DESC_NAME, nullptr, SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(r.getName(), "");
  r.setName("price");

  struct Case {
    SQLINTEGER bufferLength;
    SQLRETURN rc;
    const char* written;  // the buffer's bytes up to and with the NUL; null: untouched
    const char* state;
  };
  const Case cases[] = {
      {6, SQL_SUCCESS, "price", ""},
      {16, SQL_SUCCESS, "price", ""},
      {5, SQL_SUCCESS_WITH_INFO, "pric", "01004"},
      {1, SQL_SUCCESS_WITH_INFO, "", "01004"},
      {0, SQL_SUCCESS_WITH_INFO, nullptr, "01004"},
      {-1, SQL_ERROR, nullptr, "HY090"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bufferLength);
    char buffer[17];
    std::memset(buffer, '#', sizeof buffer);
    SQLINTEGER length = -99;
    EXPECT_EQ(r.getField(SQL_DESC_NAME, buffer, c.bufferLength, &length), c.rc);
    EXPECT_EQ(takeState(), c.state);
    if (c.written != nullptr) {
      EXPECT_STREQ(buffer, c.written);
      EXPECT_EQ(buffer[std::strlen(c.written) + 1], '#');
    } else {
      EXPECT_EQ(buffer[0], '#');
    }
    EXPECT_EQ(length, c.rc == SQL_ERROR ? -99 : 5);
  }

  SQLINTEGER length = 0;
  EXPECT_EQ(r.getField(SQL_DESC_NAME, nullptr, 0, &length), SQL_SUCCESS);
  EXPECT_EQ(length, 5);
}

TEST_F(DescriptorRecordTest, GetDescRecReportsTheRecord) {
  DescriptorRecord column(kIrd, connection_, diagnostics_, "price", SQL_INTEGER, "int",
                          SQL_NO_NULLS, false);
  column.setOctetLength(4);
  SQLCHAR name[3];
  SQLSMALLINT nameLength = 0, type = 0, subType = -1, precision = 0, scale = -1, nullable = -1;
  SQLLEN length = 0;
  EXPECT_EQ(column.getDescRec(name, sizeof name, &nameLength, &type, &subType, &length, &precision,
                              &scale, &nullable),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(takeState(), "01004");
  EXPECT_STREQ(reinterpret_cast<char*>(name), "pr");
  EXPECT_EQ(nameLength, 5);
  EXPECT_EQ(type, SQL_INTEGER);
  EXPECT_EQ(subType, 0);
  EXPECT_EQ(length, 4);
  EXPECT_EQ(precision, 10);
  EXPECT_EQ(scale, 0);
  EXPECT_EQ(nullable, SQL_NO_NULLS);

  EXPECT_EQ(
      column.getDescRec(nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
      SQL_SUCCESS);

  // An application record has no NULLABLE: it is left alone and the call succeeds.
  DescriptorRecord& bound = record(kArd);
  SQLLEN word = 0;
  ASSERT_EQ(bound.setDescRec(SQL_C_CHAR, 0, 64, 0, 0, name, &word, &word), SQL_SUCCESS);
  SQLCHAR empty[4] = {'#', '#', '#', '#'};
  nullable = 77;
  EXPECT_EQ(bound.getDescRec(empty, sizeof empty, &nameLength, &type, &subType, &length, &precision,
                             &scale, &nullable),
            SQL_SUCCESS);
  EXPECT_EQ(empty[0], '\0');
  EXPECT_EQ(nameLength, 0);
  EXPECT_EQ(type, SQL_C_CHAR);
  EXPECT_EQ(length, 64);
  EXPECT_EQ(nullable, 77);
  EXPECT_EQ(takeState(), "");

  EXPECT_EQ(
      bound.getDescRec(empty, -1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
      SQL_ERROR);
  EXPECT_EQ(takeState(), "HY090");
}

TEST_F(DescriptorRecordTest, ColumnSizeAndDecimalDigitsFollowTheType) {
  struct Case {
    SQLSMALLINT conciseType;
    SQLULEN length;
    SQLSMALLINT precision;
    SQLSMALLINT scale;
    SQLULEN columnSize;
    SQLSMALLINT decimalDigits;
  };
  const Case cases[] = {
      {SQL_VARCHAR, 40, 0, 2, 40, 2},
      {SQL_WCHAR, 10, 3, 0, 10, 0},
      {SQL_INTEGER, 255, 10, 0, 10, 0},
      {SQL_DECIMAL, 255, 12, 3, 12, 3},
      {SQL_VARBINARY, 16, 0, 5, 16, 0},
      {SQL_BIT, 1, 0, 4, 1, 0},
      {SQL_TYPE_TIMESTAMP, 19, 3, 3, 19, 0},
      {SQL_INTERVAL_DAY_TO_SECOND, 20, 6, 2, 20, 6},
      {SQL_INTERVAL_SECOND, 12, 3, 0, 12, 3},
      {SQL_INTERVAL_DAY, 10, 6, 2, 10, 0},
      {SQL_GUID, 36, 0, 1, 36, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.conciseType);
    DescriptorRecord& r = record(kIrd);
    r.setConciseType(c.conciseType);
    r.setLength(c.length);
    r.setPrecision(c.precision);
    r.setScale(c.scale);
    SQLULEN size = 0;
    SQLSMALLINT digits = -1;
    EXPECT_EQ(r.getColumnSizeAndDigits(&size, &digits), SQL_SUCCESS);
    EXPECT_EQ(size, c.columnSize);
    EXPECT_EQ(digits, c.decimalDigits);
  }
}

}  // namespace
