// The SQLGetTypeInfo rows of the types the server offers.
#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>

#include "backend/KarvellStatement.h"

namespace {

// One SQLGetTypeInfo row; null texts and absent numbers are SQL NULL. Every row is nullable,
// has no fixed precision and scale and no interval precision. DATA_TYPE, SQL_DATA_TYPE,
// SQL_DATETIME_SUB and NUM_PREC_RADIX are those SQLColumns gives a column declared with the type
// name, and so is COLUMN_SIZE where the row leaves it absent: only the types whose size a
// declaration chooses, or that hold more than a column tells, give their own.
struct TypeRow {
  const char* typeName;
  OptionalInt columnSize;
  const char* literalPrefix;
  const char* literalSuffix;
  const char* createParams;
  SQLSMALLINT caseSensitive;
  SQLSMALLINT searchable;
  OptionalShort unsignedAttribute;
  OptionalShort autoUniqueValue;
  OptionalShort minimumScale;
  OptionalShort maximumScale;
  const char* localTypeName;
};

// Texts and blobs hold more than COLUMN_SIZE, a signed 32-bit number, can tell: they report its
// largest value. The timestamp's size and scale admit nine fractional digits, the server's
// precision: applications cut the fraction of the values they bind to what this row admits.
constexpr SQLINTEGER unbounded = std::numeric_limits<SQLINTEGER>::max();
static_assert(serverVarcharCapacity > static_cast<std::uint32_t>(unbounded),
              "the server's texts are longer than COLUMN_SIZE tells");
constexpr auto N = std::nullopt;
const TypeRow typeRows[] = {
    {"CHAR", unbounded, "'", "'", "length", 1, 3, N, N, N, N, "char"},
    {"VARCHAR", unbounded, "'", "'", "length", 1, 3, N, N, N, N, "varchar"},
    {"DECIMAL", 10, nullptr, nullptr, "precision,scale", 0, 2, 0, 0, 0, 15, "decimal"},
    {"NUMERIC", 10, nullptr, nullptr, "precision,scale", 0, 2, 0, 0, 0, 15, "numeric"},
    {"SMALLINT", N, nullptr, nullptr, nullptr, 0, 2, 0, 0, 0, 0, "smallint"},
    {"INT", N, nullptr, nullptr, nullptr, 0, 2, 0, 0, 0, 0, "int"},
    {"REAL", N, nullptr, nullptr, nullptr, 0, 2, 0, 0, N, N, "real"},
    {"FLOAT", N, nullptr, nullptr, nullptr, 0, 2, 0, 0, N, N, "float"},
    {"DOUBLE", N, nullptr, nullptr, nullptr, 0, 2, 0, 0, N, N, "double"},
    {"BOOLEAN", N, nullptr, nullptr, nullptr, 0, 2, 0, 0, 0, 0, "boolean"},
    {"TINYINT", N, nullptr, nullptr, nullptr, 0, 2, 0, 0, 0, 0, "tinyint"},
    {"BIGINT", N, nullptr, nullptr, nullptr, 0, 2, 0, 0, 0, 0, "bigint"},
    {"BLOB", unbounded, "X'", "'", nullptr, 0, 3, 0, 0, N, N, "blob"},
    {"DATE", N, "{d '", "'}", nullptr, 0, 2, N, N, N, N, "date"},
    {"TIME", N, "{t '", "'}", "length", 0, 2, N, N, 0, 0, "time"},
    {"TIMESTAMP", 29, "{ts '", "'}", "length", 0, 2, N, N, 0, 9, "timestamp"},
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
  const DeclaredType type = mapDeclaredType(row.typeName);
  const SQLINTEGER columnSize = row.columnSize.value_or(static_cast<SQLINTEGER>(type.columnSize));
  return addTypeInfoRow(text(row.typeName), type.sqlType, columnSize, text(row.literalPrefix),
                        text(row.literalSuffix), text(row.createParams), SQL_NULLABLE,
                        row.caseSensitive, row.searchable, row.unsignedAttribute, SQLSMALLINT{0},
                        row.autoUniqueValue, text(row.localTypeName), row.minimumScale,
                        row.maximumScale, type.verboseType, type.datetimeSub,
                        type.radix ? OptionalInt(*type.radix) : std::nullopt, std::nullopt);
}

SQLRETURN KarvellStatement::addTextTypeRow(std::size_t index, SQLSMALLINT requested) {
  // The character rows are listed under the narrow or the wide types, as the connection
  // describes its text.
  if (mapDeclaredType(typeRows[index].typeName).sqlType != requested) return SQL_SUCCESS;
  return addTypeRow(index);
}

SQLRETURN KarvellStatement::addTypeInfoChar() { return addTextTypeRow(Char, SQL_CHAR); }
SQLRETURN KarvellStatement::addTypeInfoVarchar() { return addTextTypeRow(Varchar, SQL_VARCHAR); }
SQLRETURN KarvellStatement::addTypeInfoWChar() { return addTextTypeRow(Char, SQL_WCHAR); }
SQLRETURN KarvellStatement::addTypeInfoWVarchar() { return addTextTypeRow(Varchar, SQL_WVARCHAR); }
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
