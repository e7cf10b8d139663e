// The SQLGetTypeInfo rows of the types the server offers.
#include <iterator>
#include <optional>

#include "backend/KarvellStatement.h"

namespace {

// One SQLGetTypeInfo row; null texts and absent numbers are SQL NULL. Every row is nullable,
// has no fixed precision and scale and no interval precision.
struct TypeRow {
  const char* typeName;
  SQLSMALLINT dataType;
  SQLINTEGER columnSize;
  const char* literalPrefix;
  const char* literalSuffix;
  const char* createParams;
  SQLSMALLINT caseSensitive;
  SQLSMALLINT searchable;
  OptionalShort unsignedAttribute;
  OptionalShort autoUniqueValue;
  OptionalShort minimumScale;
  OptionalShort maximumScale;
  SQLSMALLINT sqlDataType;
  OptionalShort sqlDatetimeSub;
  OptionalInt numPrecRadix;
  const char* localTypeName;
};

// -13824 is the server's unbounded size, 0xFFFFCA00 read as a signed number. The CHAR row
// reports VARCHAR's code, and the date and time rows the ODBC 2 codes, whatever the
// application's version: applications have come to expect these rows as they are. The
// timestamp's size and scale admit nine fractional digits, the server's precision: applications
// cut the fraction of the values they bind to what this row admits.
constexpr auto N = std::nullopt;
const TypeRow typeRows[] = {
    {"CHAR", 12, -13824, "'", "'", "length", 1, 3, N, N, N, N, 12, N, N, "char"},
    {"VARCHAR", 12, -13824, "'", "'", "length", 1, 3, N, N, N, N, 12, N, N, "varchar"},
    {"DECIMAL", 3, 10, nullptr, nullptr, "precision,scale", 0, 2, 0, 0, 0, 15, 3, N, 10,
     "decimal"},
    {"NUMERIC", 2, 10, nullptr, nullptr, "precision,scale", 0, 2, 0, 0, 0, 15, 2, N, 10,
     "numeric"},
    {"SMALLINT", 5, 5, nullptr, nullptr, nullptr, 0, 2, 0, 0, N, N, 5, N, 10, "smallint"},
    {"INT", 4, 10, nullptr, nullptr, nullptr, 0, 2, 0, 0, 0, 0, 4, N, 10, "int"},
    {"FLOAT", 7, 7, nullptr, nullptr, nullptr, 0, 2, 0, 0, N, N, 7, N, 10, "float"},
    {"DOUBLE", 6, 15, nullptr, nullptr, nullptr, 0, 2, 0, 0, N, N, 6, N, 2, "double"},
    {"DOUBLE", 8, 15, nullptr, nullptr, nullptr, 0, 2, 0, 0, N, N, 8, N, 10, "double"},
    {"BIT", -7, 1, nullptr, nullptr, nullptr, 0, 2, 0, 0, N, N, -7, N, N, "bit"},
    {"TINYINT", -6, 5, nullptr, nullptr, nullptr, 0, 2, 0, 0, N, N, -6, N, 10, "tinyint"},
    {"BIGINT", -5, 19, nullptr, nullptr, nullptr, 0, 2, 0, 0, N, N, -5, N, 10, "bigint"},
    {"BLOB", -4, -13824, "X'", "'", nullptr, 0, 3, 0, 0, N, N, -4, N, N, "blob"},
    {"DATE", 9, 10, "{d '", "'}", nullptr, 0, 2, N, N, N, N, 9, 1, N, "date"},
    {"TIME", 10, 8, "{t '", "'}", "length", 0, 2, N, N, N, N, 9, 2, N, "time"},
    {"TIMESTAMP", 11, 29, "{ts '", "'}", "length", 0, 2, N, N, 0, 9, 9, 3, N, "timestamp"},
};

enum Row : std::size_t {
  Char, Varchar, Decimal, Numeric, Smallint, Integer, Real, Float, Double, Bit, Tinyint,
  Bigint, LongVarbinary, Date, Time, Timestamp, RowCount
};
static_assert(std::size(typeRows) == RowCount, "one row a type");

OptionalText text(const char* value) { return value ? OptionalText(value) : std::nullopt; }

}  // namespace

SQLRETURN KarvellStatement::addTypeRow(std::size_t index) {
  const TypeRow& row = typeRows[index];
  return addTypeInfoRow(text(row.typeName), row.dataType, row.columnSize, text(row.literalPrefix),
                        text(row.literalSuffix), text(row.createParams), SQL_NULLABLE,
                        row.caseSensitive, row.searchable, row.unsignedAttribute, SQLSMALLINT{0},
                        row.autoUniqueValue, text(row.localTypeName), row.minimumScale,
                        row.maximumScale, row.sqlDataType, row.sqlDatetimeSub, row.numPrecRadix,
                        std::nullopt);
}

SQLRETURN KarvellStatement::addTypeInfoChar() { return addTypeRow(Char); }
SQLRETURN KarvellStatement::addTypeInfoVarchar() { return addTypeRow(Varchar); }
SQLRETURN KarvellStatement::addTypeInfoDecimal() { return addTypeRow(Decimal); }
SQLRETURN KarvellStatement::addTypeInfoNumeric() { return addTypeRow(Numeric); }
SQLRETURN KarvellStatement::addTypeInfoSmallint() { return addTypeRow(Smallint); }
SQLRETURN KarvellStatement::addTypeInfoInteger() { return addTypeRow(Integer); }
SQLRETURN KarvellStatement::addTypeInfoReal() { return addTypeRow(Real); }
SQLRETURN KarvellStatement::addTypeInfoFloat() { return addTypeRow(Float); }
SQLRETURN KarvellStatement::addTypeInfoDouble() { return addTypeRow(Double); }
SQLRETURN KarvellStatement::addTypeInfoBit() { return addTypeRow(Bit); }
SQLRETURN KarvellStatement::addTypeInfoTinyint() { return addTypeRow(Tinyint); }
SQLRETURN KarvellStatement::addTypeInfoBigint() { return addTypeRow(Bigint); }
SQLRETURN KarvellStatement::addTypeInfoLongVarbinary() { return addTypeRow(LongVarbinary); }
SQLRETURN KarvellStatement::addTypeInfoDate() { return addTypeRow(Date); }
SQLRETURN KarvellStatement::addTypeInfoTime() { return addTypeRow(Time); }
SQLRETURN KarvellStatement::addTypeInfoTimestamp() { return addTypeRow(Timestamp); }
