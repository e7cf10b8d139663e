#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/DiagnosticHeader.h"
#include "core/Environment.h"
#include "statement/Descriptor.h"
#include "tests/statement/ResultColumns.h"
#include "tests/statement/TakeState.h"
#include "tests/support/RecordingConnection.h"
#include "tests/support/TracedEnvironment.h"

namespace {

constexpr DescriptorType kExplicit = DescriptorType::explicitlyAllocated;
constexpr DescriptorType kApd = DescriptorType::applicationParameter;
constexpr DescriptorType kArd = DescriptorType::applicationRow;
constexpr DescriptorType kIpd = DescriptorType::implementationParameter;
constexpr DescriptorType kIrd = DescriptorType::implementationRow;
constexpr DescriptorType kAllKinds[] = {kExplicit, kApd, kArd, kIpd, kIrd};

SQLPOINTER asValue(SQLLEN value) { return reinterpret_cast<SQLPOINTER>(value); }

constexpr SQLLEN kUnset = -777;

class DescriptorTest : public ::testing::Test {
 protected:
  std::unique_ptr<Descriptor> make(DescriptorType type) {
    return std::make_unique<Descriptor>(&connection_, type);
  }

  static std::string takeState(Descriptor& descriptor) {
    return testsupport::takeState(descriptor.diagnostics());
  }

  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC descriptor test", "Ferrow",
                           nullptr};
  testsupport::RecordingConnection connection_{&environment_};
};

TEST_F(DescriptorTest, NewDescriptorsHoldTheHeaderDefaults) {
  for (DescriptorType kind : kAllKinds) {
    SCOPED_TRACE(static_cast<int>(kind));
    const std::unique_ptr<Descriptor> d = make(kind);
    EXPECT_EQ(d->getCount(), 0);
    EXPECT_NE(d->getRecord(0), nullptr);
    EXPECT_EQ(d->getRecord(1), nullptr);
    EXPECT_EQ(d->getArraySize(), 1u);
    EXPECT_EQ(d->getBindType(), SQL_BIND_BY_COLUMN);
    EXPECT_EQ(d->getArrayStatusPtr(), nullptr);
    EXPECT_EQ(d->getBindOffsetPtr(), nullptr);
    EXPECT_EQ(d->getRowsProcessedPtr(), nullptr);
    EXPECT_EQ(d->getAllocType(), kind == kExplicit ? SQL_DESC_ALLOC_USER : SQL_DESC_ALLOC_AUTO);
    EXPECT_EQ(d->getType(), kind);
    EXPECT_EQ(d->isImplementation(), kind == kIpd || kind == kIrd);
  }
}

TEST_F(DescriptorTest, HeaderFieldsBySettingAndReadingKind) {
  SQLUSMALLINT statuses[2];
  SQLLEN offset = 0;
  SQLULEN processed = 0;
  struct Case {
    SQLSMALLINT field;
    SQLPOINTER value;
    const char* setRefusedOn;  // kinds as letters: E explicit, P APD, A ARD, I IPD, R IRD
    const char* getRefusedOn;
  };
  const Case cases[] = {
      {SQL_DESC_ARRAY_SIZE, asValue(5), "IR", "IR"},
      {SQL_DESC_ARRAY_STATUS_PTR, statuses, "", ""},
      {SQL_DESC_BIND_OFFSET_PTR, &offset, "IR", "IR"},
      {SQL_DESC_BIND_TYPE, asValue(40), "IR", "IR"},
      {SQL_DESC_ROWS_PROCESSED_PTR, &processed, "PA", "PA"},
      {SQL_DESC_COUNT, asValue(2), "R", ""},
      {SQL_DESC_ALLOC_TYPE, asValue(SQL_DESC_ALLOC_USER), "EPAIR", ""},
  };
  const char letters[] = {'E', 'P', 'A', 'I', 'R'};
  for (const Case& c : cases) {
    for (DescriptorType kind : kAllKinds) {
      SCOPED_TRACE(testing::Message() << "field " << c.field << " kind " << static_cast<int>(kind));
      const char letter = letters[static_cast<int>(kind)];
      const std::unique_ptr<Descriptor> d = make(kind);
      const bool setRefused = std::strchr(c.setRefusedOn, letter) != nullptr;
      EXPECT_EQ(d->setField(0, c.field, c.value, 0), setRefused ? SQL_ERROR : SQL_SUCCESS);
      // The row implementation descriptor is the server's to describe.
      EXPECT_EQ(takeState(*d), !setRefused ? "" : kind == kIrd ? "HY016" : "HY091");

      const bool getRefused = std::strchr(c.getRefusedOn, letter) != nullptr;
      SQLULEN read = 0xDEAD;
      SQLINTEGER length = -5;
      EXPECT_EQ(d->getField(0, c.field, &read, sizeof read, &length),
                getRefused ? SQL_ERROR : SQL_SUCCESS);
      EXPECT_EQ(takeState(*d), getRefused ? "HY091" : "");
      EXPECT_EQ(length, -5) << "header fields report no length";
      if (!setRefused && !getRefused) {
        // Each field comes back with its own width.
        SQLULEN expected = 0xDEAD;
        switch (c.field) {
          case SQL_DESC_BIND_TYPE:
            expected = (0xDEADull & ~0xFFFFFFFFull) | 40;
            break;
          case SQL_DESC_COUNT:
            expected = (0xDEADull & ~0xFFFFull) | 2;
            break;
          default:
            expected = reinterpret_cast<SQLULEN>(c.value);
        }
        EXPECT_EQ(read, expected);
      }
    }
  }
  const std::unique_ptr<Descriptor> d = make(kExplicit);
  SQLSMALLINT allocType = 0;
  EXPECT_EQ(d->getField(0, SQL_DESC_ALLOC_TYPE, &allocType, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(allocType, SQL_DESC_ALLOC_USER);
}

TEST_F(DescriptorTest, RecordFieldsGrowTheCountAndHeaderFieldsDoNot) {
  const std::unique_ptr<Descriptor> d = make(kArd);
  ASSERT_EQ(d->setField(5, SQL_DESC_CONCISE_TYPE, asValue(SQL_C_SLONG), 0), SQL_SUCCESS);
  EXPECT_EQ(d->getCount(), 5);
  for (SQLSMALLINT n = 1; n <= 4; ++n) {
    EXPECT_EQ(d->getRecord(n)->getConciseType(), SQL_VARCHAR);
    EXPECT_EQ(d->getRecord(n)->getNullable(), SQL_NULLABLE_UNKNOWN);
  }
  EXPECT_EQ(d->getRecord(5)->getConciseType(), SQL_C_SLONG);

  // A header field ignores the record number.
  EXPECT_EQ(d->setField(9, SQL_DESC_ARRAY_SIZE, asValue(3), 0), SQL_SUCCESS);
  EXPECT_EQ(d->getCount(), 5);
  SQLULEN arraySize = 0;
  EXPECT_EQ(d->getField(9, SQL_DESC_ARRAY_SIZE, &arraySize, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(arraySize, 3u);

  // A refused record field has raised COUNT all the same.
  EXPECT_EQ(d->setField(7, SQL_DESC_DISPLAY_SIZE, asValue(3), 0), SQL_ERROR);
  EXPECT_EQ(takeState(*d), "HY091");
  EXPECT_EQ(d->getCount(), 7);

  // An identifier that names no field is refused before any record is looked at.
  EXPECT_EQ(d->setField(9, 4321, asValue(3), 0), SQL_ERROR);
  EXPECT_EQ(takeState(*d), "HY091");
  EXPECT_EQ(d->getCount(), 7);
  SQLLEN unread = 0;
  EXPECT_EQ(d->getField(9, 4321, &unread, 0, nullptr), SQL_ERROR);
  EXPECT_EQ(takeState(*d), "HY091");

  // Reading a record above COUNT finds no data; one below 0 is refused.
  SQLSMALLINT type = 0;
  EXPECT_EQ(d->getField(8, SQL_DESC_TYPE, &type, 0, nullptr), SQL_NO_DATA);
  EXPECT_EQ(takeState(*d), "");
  EXPECT_EQ(d->getField(-1, SQL_DESC_TYPE, &type, 0, nullptr), SQL_ERROR);
  EXPECT_EQ(takeState(*d), "07009");
  EXPECT_EQ(d->setField(-1, SQL_DESC_TYPE, asValue(SQL_C_CHAR), 0), SQL_ERROR);
  EXPECT_EQ(takeState(*d), "07009");
  EXPECT_EQ(d->getCount(), 7);
}

TEST_F(DescriptorTest, RecordNumbersAndImplementationRowSetsByKind) {
  enum class Call { getField, getDescRec, setField, setDescRec };
  struct Case {
    DescriptorType kind;
    Call call;
    SQLSMALLINT record;
    SQLSMALLINT field;  // for the field forms
    SQLRETURN rc;
    const char* state;
  };
  const Case cases[] = {
      // Past COUNT (2): no data, so that tools can walk the records until it.
      {kArd, Call::getField, 3, SQL_DESC_TYPE, SQL_NO_DATA, ""},
      {kIrd, Call::getField, 3, SQL_DESC_NAME, SQL_NO_DATA, ""},
      {kIpd, Call::getDescRec, 3, 0, SQL_NO_DATA, ""},
      {kExplicit, Call::getDescRec, 3, 0, SQL_NO_DATA, ""},
      {kIrd, Call::getDescRec, 2, 0, SQL_SUCCESS, ""},
      {kArd, Call::getField, -1, SQL_DESC_TYPE, SQL_ERROR, "07009"},
      // A parameter has no bookmark record.
      {kIpd, Call::getField, 0, SQL_DESC_TYPE, SQL_ERROR, "07009"},
      {kIpd, Call::getDescRec, 0, 0, SQL_ERROR, "07009"},
      {kIpd, Call::setField, 0, SQL_DESC_TYPE, SQL_ERROR, "07009"},
      {kIpd, Call::getField, 0, SQL_DESC_COUNT, SQL_SUCCESS, ""},
      {kApd, Call::getField, 0, SQL_DESC_TYPE, SQL_SUCCESS, ""},
      {kIrd, Call::getField, 0, SQL_DESC_TYPE, SQL_SUCCESS, ""},
      // The row implementation descriptor takes only where the fetch reports to.
      {kIrd, Call::setField, 1, SQL_DESC_NAME, SQL_ERROR, "HY016"},
      {kIrd, Call::setField, 1, SQL_DESC_TYPE, SQL_ERROR, "HY016"},
      {kIrd, Call::setField, 5, SQL_DESC_TYPE, SQL_ERROR, "HY016"},
      {kIrd, Call::setField, 0, SQL_DESC_COUNT, SQL_ERROR, "HY016"},
      {kIrd, Call::setField, 0, SQL_DESC_ARRAY_SIZE, SQL_ERROR, "HY016"},
      {kIrd, Call::setField, 0, SQL_DESC_ARRAY_STATUS_PTR, SQL_SUCCESS, ""},
      {kIrd, Call::setField, 0, SQL_DESC_ROWS_PROCESSED_PTR, SQL_SUCCESS, ""},
      {kIrd, Call::setDescRec, 1, 0, SQL_ERROR, "HY016"},
      {kIpd, Call::setField, 1, SQL_DESC_NAME, SQL_SUCCESS, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "kind " << static_cast<int>(c.kind) << " call " << static_cast<int>(c.call)
                 << " record " << c.record << " field " << c.field);
    const std::unique_ptr<Descriptor> d = make(c.kind);
    if (c.kind == kIrd) {
      d->addRecord("a", SQL_INTEGER, SQL_NULLABLE, false);
      d->addRecord("b", SQL_VARCHAR, SQL_NULLABLE, false);
    } else {
      ASSERT_EQ(d->setCount(2), SQL_SUCCESS);
    }
    SQLULEN value = 0;
    SQLCHAR name[8];
    SQLRETURN rc = SQL_ERROR;
    switch (c.call) {
      case Call::getField:
        rc = d->getField(c.record, c.field, &value, sizeof value, nullptr);
        break;
      case Call::getDescRec:
        rc = d->getDescRec(c.record, name, sizeof name, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr);
        break;
      case Call::setField:
        rc =
            d->setField(c.record, c.field,
                        c.field == SQL_DESC_NAME ? static_cast<SQLPOINTER>(name) : &value, SQL_NTS);
        break;
      case Call::setDescRec:
        rc = d->setDescRec(c.record, SQL_CHAR, 0, 8, 0, 0, nullptr, nullptr, nullptr);
        break;
    }
    EXPECT_EQ(rc, c.rc);
    EXPECT_EQ(takeState(*d), c.state);
    EXPECT_EQ(d->getCount(), 2) << "the records stay as they were";
  }
}

// An application descriptor's array size of 0 is refused and the size kept, whatever serves as
// the rows' or the parameters' descriptor.
TEST_F(DescriptorTest, ArraySizeZeroIsRefused) {
  for (DescriptorType kind : {kExplicit, kApd, kArd}) {
    SCOPED_TRACE(static_cast<int>(kind));
    const std::unique_ptr<Descriptor> d = make(kind);
    ASSERT_EQ(d->setField(0, SQL_DESC_ARRAY_SIZE, asValue(5), 0), SQL_SUCCESS);
    EXPECT_EQ(d->setField(0, SQL_DESC_ARRAY_SIZE, asValue(0), 0), SQL_ERROR);
    EXPECT_EQ(takeState(*d), "HY024");
    EXPECT_EQ(d->getArraySize(), 5u);
  }
}

TEST_F(DescriptorTest, SettingTheTypeGivesItsFieldsTheirDefaults) {
  struct Case {
    SQLSMALLINT field;  // SQL_DESC_TYPE or SQL_DESC_CONCISE_TYPE
    SQLSMALLINT type;
    SQLSMALLINT code;  // set after the type when not 0
    SQLULEN length;
    SQLSMALLINT precision;
    SQLSMALLINT scale;
    SQLINTEGER intervalPrecision;
  };
  // What the record held before: LENGTH 99, PRECISION 7, SCALE 3, interval precision 5.
  const Case cases[] = {
      {SQL_DESC_TYPE, SQL_CHAR, 0, 1, 0, 3, 5},
      {SQL_DESC_CONCISE_TYPE, SQL_VARCHAR, 0, 1, 0, 3, 5},
      {SQL_DESC_CONCISE_TYPE, SQL_WLONGVARCHAR, 0, 1, 0, 3, 5},
      {SQL_DESC_TYPE, SQL_DECIMAL, 0, 99, 10, 0, 5},
      {SQL_DESC_CONCISE_TYPE, SQL_NUMERIC, 0, 99, 10, 0, 5},
      {SQL_DESC_TYPE, SQL_FLOAT, 0, 99, 15, 3, 5},
      {SQL_DESC_CONCISE_TYPE, SQL_TYPE_TIMESTAMP, 0, 99, 6, 3, 5},
      {SQL_DESC_CONCISE_TYPE, SQL_TYPE_DATE, 0, 99, 0, 3, 5},
      {SQL_DESC_TYPE, SQL_DATETIME, SQL_CODE_TIMESTAMP, 99, 6, 3, 5},
      {SQL_DESC_TYPE, SQL_DATETIME, SQL_CODE_TIME, 99, 0, 3, 5},
      {SQL_DESC_CONCISE_TYPE, SQL_INTERVAL_DAY_TO_SECOND, 0, 99, 6, 3, 2},
      {SQL_DESC_CONCISE_TYPE, SQL_INTERVAL_YEAR, 0, 99, 7, 3, 2},
      {SQL_DESC_TYPE, SQL_INTERVAL, SQL_CODE_MINUTE_TO_SECOND, 99, 6, 3, 2},
      // Types without defaults leave the fields alone.
      {SQL_DESC_CONCISE_TYPE, SQL_INTEGER, 0, 99, 7, 3, 5},
      {SQL_DESC_CONCISE_TYPE, SQL_C_BINARY, 0, 99, 7, 3, 5},
  };
  for (DescriptorType kind : {kArd, kIpd, kExplicit}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << " type " << c.type
                                      << " code " << c.code);
      const std::unique_ptr<Descriptor> d = make(kind);
      ASSERT_EQ(d->setField(1, SQL_DESC_LENGTH, asValue(99), 0), SQL_SUCCESS);
      ASSERT_EQ(d->setField(1, SQL_DESC_PRECISION, asValue(7), 0), SQL_SUCCESS);
      ASSERT_EQ(d->setField(1, SQL_DESC_SCALE, asValue(3), 0), SQL_SUCCESS);
      ASSERT_EQ(d->setField(1, SQL_DESC_DATETIME_INTERVAL_PRECISION, asValue(5), 0), SQL_SUCCESS);
      ASSERT_EQ(d->setField(1, c.field, asValue(c.type), 0), SQL_SUCCESS);
      if (c.code != 0) {
        ASSERT_EQ(d->setField(1, SQL_DESC_DATETIME_INTERVAL_CODE, asValue(c.code), 0), SQL_SUCCESS);
      }
      const DescriptorRecord& r = *d->getRecord(1);
      EXPECT_EQ(r.getLength(), c.length);
      EXPECT_EQ(r.getPrecision(), c.precision);
      EXPECT_EQ(r.getScale(), c.scale);
      EXPECT_EQ(r.getDatetimeIntervalPrecision(), c.intervalPrecision);
    }
  }
  // SQLSetDescRec sets the type first, so that its own precision and scale stand.
  const std::unique_ptr<Descriptor> ard = make(kArd);
  ASSERT_EQ(ard->setDescRec(1, SQL_DECIMAL, 0, 20, 12, 4, nullptr, nullptr, nullptr), SQL_SUCCESS);
  EXPECT_EQ(ard->getRecord(1)->getPrecision(), 12);
  EXPECT_EQ(ard->getRecord(1)->getScale(), 4);
}

TEST_F(DescriptorTest, CountShrinksGrowsAndRefusesWhatIsNoCount) {
  const std::unique_ptr<Descriptor> d = make(kApd);
  ASSERT_EQ(d->setField(0, SQL_DESC_COUNT, asValue(5), 0), SQL_SUCCESS);
  d->getRecord(2)->setName("second");
  EXPECT_EQ(d->setField(0, SQL_DESC_COUNT, asValue(2), 0), SQL_SUCCESS);
  EXPECT_EQ(d->getCount(), 2);
  EXPECT_EQ(d->getRecord(3), nullptr);
  EXPECT_EQ(d->getRecord(2)->getName(), "second");
  EXPECT_EQ(d->setField(0, SQL_DESC_COUNT, asValue(0), 0), SQL_SUCCESS);
  EXPECT_EQ(d->getCount(), 0);
  EXPECT_NE(d->getRecord(0), nullptr);

  // Values that are no count are refused whole, never cut to 16 bits.
  for (SQLLEN count : {SQLLEN{-1}, SQLLEN{32768}, SQLLEN{65537}}) {
    SCOPED_TRACE(count);
    EXPECT_EQ(d->setField(0, SQL_DESC_COUNT, asValue(count), 0), SQL_ERROR);
    EXPECT_EQ(takeState(*d), "07009");
    EXPECT_EQ(d->getCount(), 0);
  }
  EXPECT_EQ(d->setCount(-3), SQL_ERROR);
  EXPECT_EQ(takeState(*d), "07009");
  EXPECT_NE(d->getRecord(0), nullptr);

  // The row implementation descriptor's COUNT is the result's: it reads but never changes.
  const std::unique_ptr<Descriptor> ird = make(kIrd);
  ird->addRecord("id", SQL_INTEGER, SQL_NO_NULLS, false);
  ird->addRecord("name", SQL_VARCHAR, SQL_NULLABLE, false);
  EXPECT_EQ(ird->setField(0, SQL_DESC_COUNT, asValue(1), 0), SQL_ERROR);
  EXPECT_EQ(takeState(*ird), "HY016");
  SQLSMALLINT count = 0;
  EXPECT_EQ(ird->getField(0, SQL_DESC_COUNT, &count, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(count, 2);
}

TEST_F(DescriptorTest, AddedRecordsDescribeTheResult) {
  const std::unique_ptr<Descriptor> ird = make(kIrd);
  DescriptorRecord& id = *ird->addRecord("id", SQL_INTEGER, SQL_NO_NULLS, true);
  DescriptorRecord& name =
      *ird->addRecordWithTypeName("name", SQL_VARCHAR, "text", SQL_NULLABLE, false);
  EXPECT_EQ(ird->getCount(), 2);
  EXPECT_EQ(ird->getRecord(1), &id);
  EXPECT_EQ(ird->getRecord(2), &name);
  EXPECT_EQ(id.getDisplaySize(), 28);  // the type defaults
  EXPECT_EQ(id.getPrecision(), 10);
  EXPECT_EQ(id.getUnsigned(), SQL_TRUE);
  EXPECT_EQ(id.getTypeName(), "");
  EXPECT_EQ(name.getTypeName(), "text");
  EXPECT_EQ(name.getCaseSensitive(), SQL_TRUE);
  ird->clearRecords();
  EXPECT_EQ(ird->getCount(), 0);
}

TEST_F(DescriptorTest, NoRecordBeyondWhatCountCanHold) {
  const std::unique_ptr<Descriptor> ird = make(kIrd);
  for (int column = 1; column <= Descriptor::maximumCount; ++column) {
    ASSERT_NE(ird->addRecord("c", SQL_INTEGER, SQL_NULLABLE, false), nullptr) << column;
  }
  EXPECT_EQ(ird->addRecord("c", SQL_INTEGER, SQL_NULLABLE, false), nullptr);
  EXPECT_EQ(ird->addRecordWithTypeName("c", SQL_INTEGER, "int", SQL_NULLABLE, false), nullptr);
  EXPECT_EQ(ird->getCount(), 32767);
  SQLSMALLINT count = 0;
  EXPECT_EQ(ird->getField(0, SQL_DESC_COUNT, &count, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(count, 32767);
}

TEST_F(DescriptorTest, TypeAndIntervalCodeDeriveTheConciseType) {
  const std::unique_ptr<Descriptor> d = make(kArd);
  struct Case {
    SQLSMALLINT type;
    SQLSMALLINT code;
    SQLSMALLINT concise;
  };
  const Case cases[] = {
      {SQL_DATETIME, SQL_CODE_DATE, SQL_TYPE_DATE},
      {SQL_DATETIME, SQL_CODE_TIME, SQL_TYPE_TIME},
      {SQL_DATETIME, SQL_CODE_TIMESTAMP, SQL_TYPE_TIMESTAMP},
      {SQL_INTERVAL, SQL_CODE_DAY_TO_SECOND, SQL_INTERVAL_DAY_TO_SECOND},
      {SQL_INTEGER, 0, SQL_INTEGER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.concise);
    ASSERT_EQ(d->setField(1, SQL_DESC_TYPE, asValue(c.type), 0), SQL_SUCCESS);
    ASSERT_EQ(d->setField(1, SQL_DESC_DATETIME_INTERVAL_CODE, asValue(c.code), 0), SQL_SUCCESS);
    SQLSMALLINT concise = 0;
    ASSERT_EQ(d->getField(1, SQL_DESC_CONCISE_TYPE, &concise, 0, nullptr), SQL_SUCCESS);
    EXPECT_EQ(concise, c.concise);
  }
}

TEST_F(DescriptorTest, DescRecByRecordNumber) {
  const std::unique_ptr<Descriptor> ard = make(kArd);
  char buffer[16];
  SQLLEN word = 0;
  // Binding through SQLSetDescRec raises COUNT as SQLSetDescField does.
  ASSERT_EQ(ard->setDescRec(1, SQL_C_CHAR, 0, 16, 0, 0, buffer, &word, &word), SQL_SUCCESS);
  EXPECT_EQ(ard->getCount(), 1);
  EXPECT_EQ(ard->getRecord(1)->getDataPtr(), buffer);
  EXPECT_EQ(ard->setDescRec(-1, SQL_C_CHAR, 0, 16, 0, 0, buffer, &word, &word), SQL_ERROR);
  EXPECT_EQ(takeState(*ard), "07009");
  const std::unique_ptr<Descriptor> ird = make(kIrd);
  EXPECT_EQ(ird->setDescRec(1, SQL_CHAR, 0, 16, 0, 0, nullptr, nullptr, nullptr), SQL_ERROR);
  EXPECT_EQ(takeState(*ird), "HY016");
  EXPECT_EQ(ird->getCount(), 0);

  // An application record has no NULLABLE; the call reports the rest and succeeds.
  SQLCHAR name[8] = "x";
  SQLSMALLINT nameLength = -1, type = 0, subType = -1, precision = -1, scale = -1;
  SQLSMALLINT nullable = 77;
  SQLLEN length = 0;
  EXPECT_EQ(ard->getDescRec(1, name, sizeof name, &nameLength, &type, &subType, &length, &precision,
                            &scale, &nullable),
            SQL_SUCCESS);
  EXPECT_EQ(type, SQL_C_CHAR);
  EXPECT_EQ(length, 16);
  EXPECT_EQ(nullable, 77);
  EXPECT_EQ(ard->getDescRec(2, name, sizeof name, &nameLength, &type, &subType, &length, &precision,
                            &scale, &nullable),
            SQL_NO_DATA);
  EXPECT_EQ(takeState(*ard), "");
  EXPECT_EQ(ard->getDescRec(-1, name, sizeof name, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr),
            SQL_ERROR);
  EXPECT_EQ(takeState(*ard), "07009");
}

TEST_F(DescriptorTest, ElementAddressesForColumnAndRowWiseBinding) {
  const std::unique_ptr<Descriptor> d = make(kArd);
  char base[1];
  const auto offsetOf = [&](SQLSMALLINT cType, SQLULEN row, SQLLEN bufferLength) {
    return static_cast<char*>(d->elementAddress(base, cType, row, bufferLength)) - base;
  };
  EXPECT_EQ(offsetOf(SQL_C_SLONG, 3, 0), 12);
  EXPECT_EQ(offsetOf(SQL_C_TYPE_TIMESTAMP, 3, 0), 48);
  EXPECT_EQ(offsetOf(SQL_C_CHAR, 3, 21), 63);
  EXPECT_EQ(offsetOf(SQL_C_WCHAR, 2, 10), 20);
  EXPECT_EQ(offsetOf(SQL_C_DOUBLE, 2, 100), 16);
  EXPECT_EQ(offsetOf(SQL_C_NUMERIC, 3, 0), 57);
  EXPECT_EQ(offsetOf(SQL_C_GUID, 3, 0), 48);
  EXPECT_EQ(offsetOf(SQL_C_INTERVAL_DAY_TO_SECOND, 3, 0), 84);
  EXPECT_EQ(
      reinterpret_cast<char*>(d->lengthElementAddress(reinterpret_cast<SQLLEN*>(base), 3)) - base,
      24);
  EXPECT_EQ(d->elementAddress(nullptr, SQL_C_SLONG, 3, 0), nullptr);
  EXPECT_EQ(d->lengthElementAddress(nullptr, 3), nullptr);

  SQLLEN offset = 1000;
  d->setBindOffsetPtr(&offset);
  EXPECT_EQ(offsetOf(SQL_C_SLONG, 3, 0), 1012);
  d->setBindType(40);
  for (SQLSMALLINT cType : {SQL_C_SLONG, SQL_C_TYPE_TIMESTAMP, SQL_C_CHAR, SQL_C_NUMERIC}) {
    EXPECT_EQ(offsetOf(cType, 3, 7), 1120);
  }
  EXPECT_EQ(
      reinterpret_cast<char*>(d->lengthElementAddress(reinterpret_cast<SQLLEN*>(base), 3)) - base,
      1120);
}

// A result of three columns (id INTEGER, name VARCHAR, seen TIMESTAMP) and its rows, fetched
// one rowset row at a time through row 0 of the row implementation descriptor.
class ConvertRowTest : public DescriptorTest {
 protected:
  ConvertRowTest() {
    result_.add(SQL_INTEGER);
    result_.add(SQL_VARCHAR);
    result_.add(SQL_TYPE_TIMESTAMP);
  }

  // Brings rowset row k into the application's buffers.
  SQLRETURN fetchRow(SQLULEN k, const char* id, const char* name, const char* seen,
                     SQLUINTEGER retrieveData = SQL_RD_ON) {
    result_.set(1, 0, id ? std::optional<std::string>(id) : std::nullopt);
    result_.set(2, 0, name ? std::optional<std::string>(name) : std::nullopt);
    result_.set(3, 0, seen ? std::optional<std::string>(seen) : std::nullopt);
    std::vector<Descriptor::BoundRecord> bound;
    ard_->findBoundRecords(retrieveData, bound);
    return ard_->convertBoundRow(k, bound, result_.ird(), 0, 0, diagnostics_);
  }

  // SQLBindCol: the C type, OCTET_LENGTH and LENGTH, the length and indicator word, the data.
  void bind(SQLSMALLINT column, SQLSMALLINT cType, void* data, SQLLEN bufferLength,
            SQLLEN* lengths) {
    ASSERT_EQ(ard_->setField(column, SQL_DESC_CONCISE_TYPE, asValue(cType), 0), SQL_SUCCESS);
    ASSERT_EQ(ard_->setField(column, SQL_DESC_OCTET_LENGTH, asValue(bufferLength), 0), SQL_SUCCESS);
    ASSERT_EQ(ard_->setField(column, SQL_DESC_LENGTH, asValue(bufferLength), 0), SQL_SUCCESS);
    ASSERT_EQ(ard_->setField(column, SQL_DESC_INDICATOR_PTR, lengths, 0), SQL_SUCCESS);
    ASSERT_EQ(ard_->setField(column, SQL_DESC_OCTET_LENGTH_PTR, lengths, 0), SQL_SUCCESS);
    ASSERT_EQ(ard_->setField(column, SQL_DESC_DATA_PTR, data, 0), SQL_SUCCESS);
  }

  testsupport::ResultColumns result_{connection_, 1};
  std::unique_ptr<Descriptor> ard_ = make(kArd);
  DiagnosticHeader diagnostics_{&environment_};
};

TEST_F(ConvertRowTest, ColumnWiseArraysReceiveEachRowInItsElement) {
  // Arrays of exactly three elements on the heap, so that a byte beyond the last one is caught.
  constexpr SQLULEN rows = 3;
  auto ids = std::make_unique<SQLINTEGER[]>(rows);
  auto names = std::make_unique<char[]>(rows * 6);
  auto seen = std::make_unique<SQL_TIMESTAMP_STRUCT[]>(rows);
  auto idLengths = std::make_unique<SQLLEN[]>(rows);
  auto nameLengths = std::make_unique<SQLLEN[]>(rows);
  auto seenLengths = std::make_unique<SQLLEN[]>(rows);
  // The integer's buffer length says 8, as applications pass sizeof of something larger; only
  // four bytes per element may be written.
  bind(1, SQL_C_SLONG, ids.get(), 8, idLengths.get());
  bind(2, SQL_C_CHAR, names.get(), 6, nameLengths.get());
  bind(3, SQL_C_TYPE_TIMESTAMP, seen.get(), 0, seenLengths.get());

  EXPECT_EQ(fetchRow(0, "1", "ann", "2012-05-06 07:08:09.5"), SQL_SUCCESS);
  EXPECT_EQ(fetchRow(1, "2", "bartholomew", nullptr), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(testsupport::takeState(diagnostics_), "01004");
  EXPECT_EQ(fetchRow(2, "2147483647", "", "2000-01-01"), SQL_SUCCESS);

  EXPECT_EQ(ids[0], 1);
  EXPECT_EQ(ids[1], 2);
  EXPECT_EQ(ids[2], 2147483647);
  EXPECT_EQ(idLengths[2], 4);
  EXPECT_STREQ(&names[0], "ann");
  EXPECT_STREQ(&names[6], "barth");
  EXPECT_EQ(nameLengths[1], 11);
  EXPECT_STREQ(&names[12], "");
  EXPECT_EQ(nameLengths[2], 0);
  EXPECT_EQ(seen[0].fraction, 500000000u);
  EXPECT_EQ(seenLengths[1], SQL_NULL_DATA);
  EXPECT_EQ(seen[2].year, 2000);
  EXPECT_EQ(seen[2].hour, 0);
}

TEST_F(ConvertRowTest, RowWiseStructuresWithABindOffset) {
  struct Row {
    SQLINTEGER id;
    SQLLEN idLength;
    char name[8];
    SQLLEN nameLength;
  };
  // Two rowsets' worth of rows; the offset moves the binding to the second.
  auto rows = std::make_unique<Row[]>(4);
  std::memset(rows.get(), 0x5A, 4 * sizeof(Row));
  SQLLEN offset = 0;
  ard_->setBindType(sizeof(Row));
  ard_->setBindOffsetPtr(&offset);
  bind(1, SQL_C_SLONG, &rows[0].id, 0, &rows[0].idLength);
  bind(2, SQL_C_CHAR, rows[0].name, sizeof rows[0].name, &rows[0].nameLength);

  EXPECT_EQ(fetchRow(0, "10", "ten", nullptr), SQL_SUCCESS);
  EXPECT_EQ(fetchRow(1, "11", "eleven", nullptr), SQL_SUCCESS);
  offset = 2 * sizeof(Row);
  EXPECT_EQ(fetchRow(0, "12", "twelve", nullptr), SQL_SUCCESS);
  EXPECT_EQ(fetchRow(1, "13", "thirteen", nullptr), SQL_SUCCESS_WITH_INFO);

  const SQLINTEGER ids[] = {10, 11, 12, 13};
  const char* const names[] = {"ten", "eleven", "twelve", "thirtee"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(rows[i].id, ids[i]);
    EXPECT_EQ(rows[i].idLength, 4);
    EXPECT_STREQ(rows[i].name, names[i]);
  }
  EXPECT_EQ(rows[3].nameLength, 8);
}

TEST_F(ConvertRowTest, DefaultTypesResolveBeforeTheElementIsFound) {
  // SQL_C_DEFAULT of an INTEGER column is SQL_C_SLONG: four-byte elements.
  auto ids = std::make_unique<SQLINTEGER[]>(2);
  auto lengths = std::make_unique<SQLLEN[]>(2);
  bind(1, SQL_C_DEFAULT, ids.get(), 0, lengths.get());
  fetchRow(0, "7", "a", nullptr);
  fetchRow(1, "8", "b", nullptr);
  EXPECT_EQ(ids[0], 7);
  EXPECT_EQ(ids[1], 8);
}

TEST_F(ConvertRowTest, DescRecBindsATimestampThatConvertsAsATimestamp) {
  SQL_TIMESTAMP_STRUCT value{};
  SQLLEN length = 0;
  ASSERT_EQ(ard_->setCount(3), SQL_SUCCESS);
  ASSERT_EQ(ard_->setDescRec(3, SQL_DATETIME, SQL_CODE_TIMESTAMP, sizeof value, 0, 0, &value,
                             &length, &length),
            SQL_SUCCESS);
  EXPECT_EQ(fetchRow(0, "1", "a", "2012-05-06 07:08:09.123456"), SQL_SUCCESS);
  EXPECT_EQ(value.year, 2012);
  EXPECT_EQ(value.second, 9);
  EXPECT_EQ(value.fraction, 123456000u);
  EXPECT_EQ(length, 16);
}

TEST_F(ConvertRowTest, TheBufferLengthIsTheOctetLength) {
  // SQLSetDescRec gives OCTET_LENGTH 4 and LENGTH the type's default 1: a buffer of four bytes on
  // the heap receives three characters and the terminator, nothing beyond.
  auto name = std::make_unique<char[]>(4);
  SQLLEN length = 0;
  ASSERT_EQ(ard_->setDescRec(2, SQL_C_CHAR, 0, 4, 0, 0, name.get(), &length, &length), SQL_SUCCESS);
  ASSERT_EQ(ard_->getRecord(2)->getLength(), 1u);
  EXPECT_EQ(fetchRow(0, "1", "abcdef", nullptr), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(testsupport::takeState(diagnostics_), "01004");
  EXPECT_STREQ(name.get(), "abc");
  EXPECT_EQ(length, 6);
}

TEST_F(ConvertRowTest, ColumnsBoundForTheirLengthAloneReceiveIt) {
  // No data pointer: the length of a number, of a text and of a date, and NULL's indicator.
  SQLLEN idLength = kUnset, nameLength = kUnset, seenLength = kUnset;
  ASSERT_EQ(ard_->setField(1, SQL_DESC_CONCISE_TYPE, asValue(SQL_C_SLONG), 0), SQL_SUCCESS);
  ASSERT_EQ(ard_->setField(1, SQL_DESC_INDICATOR_PTR, &idLength, 0), SQL_SUCCESS);
  ASSERT_EQ(ard_->setField(2, SQL_DESC_CONCISE_TYPE, asValue(SQL_C_CHAR), 0), SQL_SUCCESS);
  ASSERT_EQ(ard_->setField(2, SQL_DESC_OCTET_LENGTH_PTR, &nameLength, 0), SQL_SUCCESS);
  ASSERT_EQ(ard_->setField(3, SQL_DESC_CONCISE_TYPE, asValue(SQL_C_TYPE_DATE), 0), SQL_SUCCESS);
  ASSERT_EQ(ard_->setField(3, SQL_DESC_INDICATOR_PTR, &seenLength, 0), SQL_SUCCESS);
  ASSERT_EQ(ard_->setField(3, SQL_DESC_OCTET_LENGTH_PTR, &seenLength, 0), SQL_SUCCESS);
  EXPECT_EQ(fetchRow(0, "7", "abcdef", "2012-05-06 00:00:00"), SQL_SUCCESS);
  EXPECT_EQ(idLength, 0);  // the indicator word alone
  EXPECT_EQ(nameLength, 6);
  EXPECT_EQ(seenLength, 6);
  EXPECT_EQ(fetchRow(0, nullptr, "abc", nullptr), SQL_SUCCESS);
  EXPECT_EQ(idLength, SQL_NULL_DATA);
  EXPECT_EQ(nameLength, 3);
  EXPECT_EQ(seenLength, SQL_NULL_DATA);
}

TEST_F(ConvertRowTest, RetrieveDataOffConvertsOnlyTheBookmark) {
  SQLINTEGER bookmark = 0;
  SQLINTEGER id = -1;
  SQLLEN bookmarkLength = 0;
  SQLLEN idLength = 0;
  bind(0, SQL_C_SLONG, &bookmark, 4, &bookmarkLength);
  bind(1, SQL_C_SLONG, &id, 4, &idLength);
  result_.set(0, 0, std::string("4"));
  EXPECT_EQ(fetchRow(0, "9", "a", nullptr, SQL_RD_OFF), SQL_SUCCESS);
  EXPECT_EQ(bookmark, 4);
  EXPECT_EQ(id, -1);
  EXPECT_EQ(fetchRow(0, "9", "a", nullptr, SQL_RD_ON), SQL_SUCCESS);
  EXPECT_EQ(id, 9);
}

TEST_F(ConvertRowTest, FailedColumnsAreRowErrorsAndTheOthersStillConvert) {
  SQLINTEGER id = 0;
  char name[8] = "";
  SQLLEN nameLength = 0;
  // No length or indicator word for the id, and a column the result does not have.
  bind(1, SQL_C_SLONG, &id, 4, nullptr);
  bind(2, SQL_C_CHAR, name, sizeof name, &nameLength);
  bind(4, SQL_C_CHAR, name, sizeof name, &nameLength);
  EXPECT_EQ(fetchRow(0, nullptr, "ok", "2012-05-06"), SQL_ERROR);
  EXPECT_STREQ(name, "ok");
  // Newest first: the missing column 4, then the NULL of column 1, both of rowset row 1.
  const std::pair<const char*, SQLINTEGER> expected[] = {{"07009", 4}, {"22002", 1}};
  for (SQLSMALLINT n = 1; n <= 2; ++n) {
    char state[6] = {};
    SQLINTEGER column = 0;
    SQLLEN row = 0;
    diagnostics_.getDiagField(n, SQL_DIAG_SQLSTATE, state, sizeof state, nullptr);
    diagnostics_.getDiagField(n, SQL_DIAG_COLUMN_NUMBER, &column, 0, nullptr);
    diagnostics_.getDiagField(n, SQL_DIAG_ROW_NUMBER, &row, 0, nullptr);
    EXPECT_STREQ(state, expected[n - 1].first);
    EXPECT_EQ(column, expected[n - 1].second);
    EXPECT_EQ(row, 1);
  }
}

TEST_F(DescriptorTest, CopyDescCopiesHeaderAndRecords) {
  SQLUSMALLINT statuses[4];
  SQLLEN offset = 0;
  SQLULEN processed = 0;
  SQLINTEGER id = 0;
  SQLLEN idLength = 0;
  const std::unique_ptr<Descriptor> ard = make(kArd);
  ard->setArraySize(4);
  ard->setArrayStatusPtr(statuses);
  ard->setBindOffsetPtr(&offset);
  ard->setBindType(24);
  ard->setRowsProcessedPtr(&processed);
  ASSERT_EQ(ard->setDescRec(0, SQL_C_SLONG, 0, 4, 0, 0, &id, &idLength, &idLength), SQL_SUCCESS);
  ASSERT_EQ(ard->setField(2, SQL_DESC_CONCISE_TYPE, asValue(SQL_C_TYPE_DATE), 0), SQL_SUCCESS);
  ASSERT_EQ(ard->setField(2, SQL_DESC_DATA_PTR, &id, 0), SQL_SUCCESS);

  const std::unique_ptr<Descriptor> target = make(kExplicit);
  target->setCount(6);
  ASSERT_EQ(target->copy(*ard), SQL_SUCCESS);
  EXPECT_EQ(target->getCount(), 2);
  EXPECT_EQ(target->getArraySize(), 4u);
  EXPECT_EQ(target->getArrayStatusPtr(), statuses);
  EXPECT_EQ(target->getBindOffsetPtr(), &offset);
  EXPECT_EQ(target->getBindType(), 24);
  EXPECT_EQ(target->getRowsProcessedPtr(), &processed);
  EXPECT_EQ(target->getAllocType(), SQL_DESC_ALLOC_USER);
  EXPECT_EQ(target->getRecord(0)->getDataPtr(), &id);
  EXPECT_EQ(target->getRecord(0)->getIndicatorPtr(), &idLength);
  EXPECT_EQ(target->getRecord(0)->getOctetLength(), 4);
  EXPECT_EQ(target->getRecord(2)->getConciseType(), SQL_C_TYPE_DATE);
  EXPECT_EQ(target->getRecord(2)->getType(), SQL_DATETIME);
  EXPECT_EQ(target->getRecord(2)->getDataPtr(), &id);
  // The copy is the target's own: changing it leaves the source alone.
  target->getRecord(2)->setConciseType(SQL_C_CHAR);
  EXPECT_EQ(ard->getRecord(2)->getConciseType(), SQL_C_TYPE_DATE);
  EXPECT_EQ(target->copy(*target), SQL_SUCCESS);
  EXPECT_EQ(target->getCount(), 2);
}

TEST_F(DescriptorTest, CopyDescNeverHandsOverTheDriversArrays) {
  testsupport::ResultColumns result(connection_, 1);
  result.add(SQL_INTEGER).setName("id");
  result.set(1, 0, std::string("5"));

  // Row implementation descriptor into an application one: the fields, not the arrays.
  const std::unique_ptr<Descriptor> ard = make(kArd);
  ASSERT_EQ(ard->copy(result.ird()), SQL_SUCCESS);
  EXPECT_EQ(ard->getCount(), 1);
  EXPECT_EQ(ard->getRecord(1)->getName(), "id");
  EXPECT_EQ(ard->getRecord(1)->getConciseType(), SQL_INTEGER);
  EXPECT_EQ(ard->getRecord(1)->getDataPtr(), nullptr);
  EXPECT_EQ(ard->getRecord(1)->getIndicatorPtr(), nullptr);
  EXPECT_EQ(ard->getRecord(1)->getOctetLengthPtr(), nullptr);

  // Application pointers never become arrays the implementation descriptor would free.
  SQLINTEGER value = 0;
  SQLLEN length = 0;
  const std::unique_ptr<Descriptor> apd = make(kApd);
  ASSERT_EQ(apd->setCount(1), SQL_SUCCESS);
  ASSERT_EQ(apd->setDescRec(1, SQL_C_SLONG, 0, 4, 0, 0, &value, &length, &length), SQL_SUCCESS);
  const std::unique_ptr<Descriptor> ipd = make(kIpd);
  ipd->setCount(1);
  ipd->setDataPtr(1, std::malloc(8));
  ASSERT_EQ(ipd->copy(*apd), SQL_SUCCESS);
  EXPECT_EQ(ipd->getRecord(1)->getConciseType(), SQL_C_SLONG);
  EXPECT_EQ(ipd->getRecord(1)->getDataPtr(), nullptr);
  EXPECT_EQ(ipd->getRecord(1)->getIndicatorPtr(), nullptr);
}

TEST_F(DescriptorTest, CopyDescRefusals) {
  const std::unique_ptr<Descriptor> ard = make(kArd);
  const std::unique_ptr<Descriptor> ird = make(kIrd);
  EXPECT_EQ(ird->copy(*ard), SQL_ERROR);
  EXPECT_EQ(takeState(*ird), "HY016");
  // A row implementation descriptor without columns belongs to a statement without a result.
  EXPECT_EQ(ard->copy(*ird), SQL_ERROR);
  EXPECT_EQ(takeState(*ard), "HY007");
  ird->addRecord("id", SQL_INTEGER, SQL_NULLABLE, false);
  EXPECT_EQ(ard->copy(*ird), SQL_SUCCESS);
}

TEST_F(DescriptorTest, DriverArraysAreReleasedAndApplicationBuffersKept) {
  // Setting fields keeps the arrays of an implementation descriptor; freeDataBuffers and the
  // descriptor's end release them (a leak or a bad free fails under the sanitizers).
  const std::unique_ptr<Descriptor> ipd = make(kIpd);
  ipd->setCount(2);
  ipd->setDataPtr(1, std::malloc(16));
  ipd->setIndicatorPtr(1, static_cast<SQLLEN*>(std::malloc(sizeof(SQLLEN))));
  ipd->setDataPtr(2, std::malloc(4));
  ipd->setDataPtr(2, std::malloc(8));  // replaces, and frees, the first
  ASSERT_EQ(ipd->setField(1, SQL_DESC_PRECISION, asValue(4), 0), SQL_SUCCESS);
  ASSERT_EQ(ipd->setField(1, SQL_DESC_TYPE, asValue(SQL_VARCHAR), 0), SQL_SUCCESS);
  EXPECT_NE(ipd->getRecord(1)->getDataPtr(), nullptr);
  EXPECT_NE(ipd->getRecord(1)->getIndicatorPtr(), nullptr);
  ipd->freeDataBuffers();
  EXPECT_EQ(ipd->getRecord(1)->getDataPtr(), nullptr);
  EXPECT_EQ(ipd->getRecord(1)->getIndicatorPtr(), nullptr);
  EXPECT_EQ(ipd->getRecord(2)->getDataPtr(), nullptr);
  ipd->setDataPtr(1, std::malloc(3));

  SQLINTEGER value = 0;
  const std::unique_ptr<Descriptor> apd = make(kApd);
  apd->setCount(1);
  apd->setDataPtr(1, &value);
  apd->freeDataBuffers();
  EXPECT_EQ(apd->getRecord(1)->getDataPtr(), &value);
  EXPECT_EQ(apd->setDataPtr(2, &value), SQL_ERROR);
  EXPECT_EQ(takeState(*apd), "07009");
}

TEST_F(DescriptorTest, ResetNextBytesStartsEveryColumnAgain) {
  const std::unique_ptr<Descriptor> ird = make(kIrd);
  ird->addRecord("a", SQL_VARCHAR, SQL_NULLABLE, false)->setNextByte(5);
  ird->addRecord("b", SQL_VARCHAR, SQL_NULLABLE, false)->setNextByte(9);
  ird->resetNextBytes();
  EXPECT_EQ(ird->getRecord(1)->nextByte(), 0u);
  EXPECT_EQ(ird->getRecord(2)->nextByte(), 0u);
}

TEST_F(DescriptorTest, DiagnosticsNameTheConnection) {
  ASSERT_EQ(connection_.connectToDsn("orders", "ann", ""), SQL_SUCCESS);
  const std::unique_ptr<Descriptor> d = make(kExplicit);
  d->setField(0, SQL_DESC_ALLOC_TYPE, asValue(1), 0);
  char state[6] = {};
  char message[128] = {};
  SQLINTEGER native = -1;
  SQLSMALLINT length = 0;
  ASSERT_EQ(d->getDiagRec(1, state, &native, message, sizeof message, &length), SQL_SUCCESS);
  EXPECT_STREQ(state, "HY091");
  EXPECT_EQ(native, 0);
  EXPECT_EQ(std::string(message).rfind("[Ferrow][", 0), 0u) << message;
  char name[32] = {};
  SQLSMALLINT nameLength = 0;
  EXPECT_EQ(d->getDiagField(1, SQL_DIAG_CONNECTION_NAME, name, sizeof name, &nameLength),
            SQL_SUCCESS);
  EXPECT_STREQ(name, "orders");
  EXPECT_EQ(d->getDiagField(1, SQL_DIAG_SERVER_NAME, name, sizeof name, &nameLength), SQL_SUCCESS);
  EXPECT_STREQ(name, "orders");
  EXPECT_EQ(d->getConnection(), &connection_);
}

TEST_F(DescriptorTest, TraceShowsSizeChangesAndConversions) {
  testsupport::TracedEnvironment traced;
  testsupport::RecordingConnection connection(&traced.environment());
  Descriptor ard(&connection, kArd);
  ard.setCount(2);
  testsupport::ResultColumns result(connection, 1);
  result.add(SQL_INTEGER);
  result.add(SQL_VARCHAR);
  result.set(1, 0, std::string("42"));
  result.set(2, 0, std::string("abcdef"));
  SQLINTEGER value = 0;
  SQLLEN length = 0;
  SQLLEN indicator = 0;
  char text[4];
  ard.setDescRec(1, SQL_C_SLONG, 0, 4, 0, 0, &value, &length, &indicator);
  ard.setDescRec(2, SQL_C_CHAR, 0, sizeof text, 0, 0, text, &length, &length);
  DiagnosticHeader diagnostics(&traced.environment());
  std::vector<Descriptor::BoundRecord> bound;
  ard.findBoundRecords(SQL_RD_ON, bound);
  ASSERT_EQ(ard.convertBoundRow(0, bound, result.ird(), 0, 0, diagnostics), SQL_SUCCESS_WITH_INFO);
  const std::vector<std::string> lines = traced.lines();
  // Each line in this order, others between them.
  const std::vector<std::string> expected = {
      "// changing size from 1 to 3",
      "// ---> converting imp column: 1",
      "// buffer length: 4",
      "// indicator value: 0",
      "// ---> 42 to SQL_C_LONG: 42",
      "// length value: 4",
      "// ---> converting imp column: 2",
      "// calculated len: 3",
      "// no conversion ",
      "// ---> |abcdef| to SQL_C_CHAR: |abc|",
      "// bytesRemaining: 6  nextByte: 3 impOctetLength: 6",
      "// length value: 6",
  };
  std::size_t next = 0;
  for (const std::string& line : lines) {
    if (next < expected.size() && line == expected[next]) ++next;
  }
  EXPECT_EQ(next, expected.size()) << "missing or out of order: " << expected[next];
}

}  // namespace
