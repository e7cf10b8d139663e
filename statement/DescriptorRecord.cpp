#include "statement/DescriptorRecord.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "core/AppBuffer.h"
#include "core/Charset.h"
#include "core/Connection.h"
#include "core/DiagnosticHeader.h"
#include "core/SqlTypeClass.h"
#include "core/StringAnswer.h"
#include "core/TraceFormatter.h"
#include "core/TraceWriter.h"
#include "statement/CTypeTable.h"
#include "statement/DateTimeConversion.h"
#include "statement/NumericConversion.h"

namespace {

// Descriptor kinds as bits, for the tables of which kinds may set and read a field.
enum KindBits : unsigned {
  kE = 1u << 0,
  kApd = 1u << 1,
  kArd = 1u << 2,
  kIpd = 1u << 3,
  kIrd = 1u << 4,
  kApplication = kE | kApd | kArd,
  kAllButIrd = kE | kApd | kArd | kIpd,
  kAll = kAllButIrd | kIrd,
};

unsigned kindBit(DescriptorType type) { return 1u << static_cast<unsigned>(type); }

struct FieldRule {
  SQLSMALLINT id;
  unsigned settable;
  unsigned readable;
};

constexpr FieldRule fieldRules[] = {
    {SQL_DESC_AUTO_UNIQUE_VALUE, 0, kE | kIrd},
    {SQL_DESC_BASE_COLUMN_NAME, 0, kE | kIrd},
    {SQL_DESC_BASE_TABLE_NAME, 0, kE | kIrd},
    {SQL_DESC_CASE_SENSITIVE, 0, kE | kIpd | kIrd},
    {SQL_DESC_CATALOG_NAME, 0, kE | kIrd},
    {SQL_DESC_CONCISE_TYPE, kAllButIrd, kAll},
    {SQL_DESC_DATA_PTR, kApplication, kApplication},
    {SQL_DESC_DATETIME_INTERVAL_CODE, kAllButIrd, kAll},
    {SQL_DESC_DATETIME_INTERVAL_PRECISION, kAllButIrd, kAll},
    {SQL_DESC_DISPLAY_SIZE, 0, kE | kIrd},
    {SQL_DESC_FIXED_PREC_SCALE, 0, kE | kIpd | kIrd},
    {SQL_DESC_INDICATOR_PTR, kApplication, kApplication},
    {SQL_DESC_LABEL, 0, kE | kIrd},
    {SQL_DESC_LENGTH, kAllButIrd, kAll},
    {SQL_DESC_LITERAL_PREFIX, 0, kE | kIrd},
    {SQL_DESC_LITERAL_SUFFIX, 0, kE | kIrd},
    {SQL_DESC_LOCAL_TYPE_NAME, 0, kE | kIpd | kIrd},
    {SQL_DESC_NAME, kE | kIpd, kE | kIpd | kIrd},
    {SQL_DESC_NULLABLE, 0, kE | kIpd | kIrd},
    {SQL_DESC_NUM_PREC_RADIX, kAllButIrd, kAll},
    {SQL_DESC_OCTET_LENGTH, kAllButIrd, kAll},
    {SQL_DESC_OCTET_LENGTH_PTR, kApplication, kApplication},
    {SQL_DESC_PARAMETER_TYPE, kE | kIpd, kE | kIpd},
    {SQL_DESC_PRECISION, kAllButIrd, kAll},
    {SQL_DESC_ROWVER, 0, kE | kIpd | kIrd},
    {SQL_DESC_SCALE, kAllButIrd, kAll},
    {SQL_DESC_SCHEMA_NAME, 0, kE | kIrd},
    {SQL_DESC_SEARCHABLE, 0, kE | kIrd},
    {SQL_DESC_TABLE_NAME, 0, kE | kIrd},
    {SQL_DESC_TYPE, kAllButIrd, kAll},
    {SQL_DESC_TYPE_NAME, 0, kE | kIrd},
    {SQL_DESC_UNNAMED, kE | kIpd, kE | kIpd | kIrd},
    {SQL_DESC_UNSIGNED, 0, kE | kIpd | kIrd},
    {SQL_DESC_UPDATABLE, 0, kE | kIrd},
};

const FieldRule* ruleFor(SQLSMALLINT fieldId) {
  for (const FieldRule& rule : fieldRules) {
    if (rule.id == fieldId) return &rule;
  }
  return nullptr;
}

bool isPointerField(SQLSMALLINT fieldId) {
  return fieldId == SQL_DESC_DATA_PTR || fieldId == SQL_DESC_INDICATOR_PTR ||
         fieldId == SQL_DESC_OCTET_LENGTH_PTR;
}

bool isApplication(DescriptorType type) { return (kindBit(type) & kApplication) != 0; }

// Integer field values travel in the pointer argument itself.
template <typename T>
T fromPointer(SQLPOINTER value) {
  return static_cast<T>(reinterpret_cast<SQLLEN>(value));
}

SQLPOINTER asPointer(SQLLEN value) { return reinterpret_cast<SQLPOINTER>(value); }

bool hasSeconds(SQLSMALLINT intervalType) {
  return intervalType == SQL_INTERVAL_SECOND || intervalType == SQL_INTERVAL_DAY_TO_SECOND ||
         intervalType == SQL_INTERVAL_HOUR_TO_SECOND ||
         intervalType == SQL_INTERVAL_MINUTE_TO_SECOND;
}

// Columns whose text is a number, a date, a time or a timestamp, which ODBC hands over as text
// whole, never in pieces.
bool isValueTextColumn(SQLSMALLINT sqlType) {
  return isNumericType(sqlType) || sqlType == SQL_BIT || isDateTimeType(sqlType) ||
         sqlType == SQL_DATE || sqlType == SQL_TIME || sqlType == SQL_TIMESTAMP;
}

std::string charsetText(std::uint32_t charset) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(charset));
  return text;
}

}  // namespace

DescriptorRecord::DescriptorRecord(DescriptorType descriptorType, Connection& connection,
                                   DiagnosticHeader& diagnostics, const std::string& name,
                                   SQLSMALLINT sqlType, const std::string& typeName,
                                   SQLSMALLINT nullable, bool isUnsigned)
    : descriptorType_(descriptorType), connection_(connection), diagnostics_(diagnostics) {
  fields_.conciseType = sqlType;
  fields_.label = name;
  fields_.localTypeName = typeName;
  fields_.name = name;
  fields_.nullable = nullable;
  fields_.type = sqlType;
  fields_.typeName = typeName;
  fields_.unsignedAttribute = isUnsigned ? SQL_TRUE : SQL_FALSE;
  applyTypeDefaults();
}

DescriptorRecord::~DescriptorRecord() { freeDataBuffers(); }

bool DescriptorRecord::isRecordField(SQLSMALLINT fieldId) { return ruleFor(fieldId) != nullptr; }

void DescriptorRecord::applyTypeDefaults() {
  switch (fields_.conciseType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
      fields_.caseSensitive = SQL_TRUE;
      fields_.displaySize = 255;
      break;
    case SQL_INTEGER:
      fields_.displaySize = 28;
      fields_.fixedPrecScale = SQL_TRUE;
      fields_.numPrecRadix = 10;
      fields_.precision = 10;
      fields_.scale = 0;
      break;
    case SQL_SMALLINT:
      fields_.displaySize = 7;
      fields_.fixedPrecScale = SQL_TRUE;
      fields_.numPrecRadix = 10;
      fields_.precision = 5;
      fields_.scale = 0;
      break;
    default:
      break;
  }
}

void DescriptorRecord::applySetTypeDefaults() {
  // The driver's precision of SQL_DECIMAL and SQL_NUMERIC, and of SQL_FLOAT, as its type
  // information gives them.
  constexpr SQLSMALLINT decimalPrecision = 10;
  constexpr SQLSMALLINT floatPrecision = 15;
  constexpr SQLSMALLINT secondsPrecision = 6;
  constexpr SQLINTEGER leadingPrecision = 2;
  switch (fields_.type) {
    case SQL_DATETIME:
      fields_.precision = fields_.datetimeIntervalCode == SQL_CODE_TIMESTAMP ? secondsPrecision : 0;
      break;
    case SQL_INTERVAL:
      fields_.datetimeIntervalPrecision = leadingPrecision;
      if (hasSeconds(fields_.conciseType)) fields_.precision = secondsPrecision;
      break;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
      fields_.precision = decimalPrecision;
      fields_.scale = 0;
      break;
    case SQL_FLOAT:
      fields_.precision = floatPrecision;
      break;
    default:
      if (isTextType(fields_.type)) {
        fields_.length = 1;
        fields_.precision = 0;
      }
      break;
  }
}

SQLRETURN DescriptorRecord::refuse(const char* sqlState) const {
  diagnostics_.post(sqlState, 0, "", -1, -1);
  return SQL_ERROR;
}

SQLRETURN DescriptorRecord::setField(SQLSMALLINT fieldId, SQLPOINTER value,
                                     SQLINTEGER bufferLength) {
  // ODBC unbinds an application record whose other fields change; the pointers of an
  // implementation record are the driver's own arrays and are never dropped here.
  if (!isPointerField(fieldId) && isApplication(descriptorType_)) unbind();
  const FieldRule* rule = ruleFor(fieldId);
  if (rule == nullptr || (rule->settable & kindBit(descriptorType_)) == 0) return refuse("HY091");
  switch (fieldId) {
    case SQL_DESC_CONCISE_TYPE:
      setConciseType(fromPointer<SQLSMALLINT>(value));
      applySetTypeDefaults();
      break;
    case SQL_DESC_DATA_PTR:
      setDataPtr(value);
      break;
    case SQL_DESC_DATETIME_INTERVAL_CODE:
      setDatetimeIntervalCode(fromPointer<SQLSMALLINT>(value));
      // The code completes the type of a date-time or interval record.
      if (fields_.type == SQL_DATETIME || fields_.type == SQL_INTERVAL) applySetTypeDefaults();
      break;
    case SQL_DESC_DATETIME_INTERVAL_PRECISION:
      setDatetimeIntervalPrecision(fromPointer<SQLINTEGER>(value));
      break;
    case SQL_DESC_INDICATOR_PTR:
      setIndicatorPtr(static_cast<SQLLEN*>(value));
      break;
    case SQL_DESC_LENGTH:
      setLength(reinterpret_cast<SQLULEN>(value));
      break;
    case SQL_DESC_NAME:
      return setNameField(value, bufferLength);
    case SQL_DESC_NUM_PREC_RADIX:
      return setNumPrecRadix(fromPointer<SQLINTEGER>(value));
    case SQL_DESC_OCTET_LENGTH:
      setOctetLength(fromPointer<SQLLEN>(value));
      break;
    case SQL_DESC_OCTET_LENGTH_PTR:
      setOctetLengthPtr(static_cast<SQLLEN*>(value));
      break;
    case SQL_DESC_PARAMETER_TYPE:
      setParameterType(fromPointer<SQLSMALLINT>(value));
      break;
    case SQL_DESC_PRECISION:
      setPrecision(fromPointer<SQLSMALLINT>(value));
      break;
    case SQL_DESC_SCALE:
      setScale(fromPointer<SQLSMALLINT>(value));
      break;
    case SQL_DESC_TYPE:
      setType(fromPointer<SQLSMALLINT>(value));
      applySetTypeDefaults();
      break;
    case SQL_DESC_UNNAMED:
      setUnnamed(fromPointer<SQLSMALLINT>(value));
      break;
    default:
      break;
  }
  return SQL_SUCCESS;
}

SQLRETURN DescriptorRecord::setNameField(SQLPOINTER value, SQLINTEGER bufferLength) {
  if (value != nullptr && bufferLength < 0 && bufferLength != SQL_NTS) return refuse("HY090");
  setName(stringFromSqlChars(value, bufferLength));
  return SQL_SUCCESS;
}

SQLRETURN DescriptorRecord::getField(SQLSMALLINT fieldId, SQLPOINTER value, SQLINTEGER bufferLength,
                                     SQLINTEGER* stringLength) {
  const FieldRule* rule = ruleFor(fieldId);
  if (rule == nullptr || (rule->readable & kindBit(descriptorType_)) == 0) return refuse("HY091");
  switch (fieldId) {
    case SQL_DESC_AUTO_UNIQUE_VALUE:
      storeAppValue(value, fields_.autoUniqueValue);
      break;
    case SQL_DESC_BASE_COLUMN_NAME:
      return answerString(diagnostics_, fields_.baseColumnName, value, bufferLength, stringLength);
    case SQL_DESC_BASE_TABLE_NAME:
      return answerString(diagnostics_, fields_.baseTableName, value, bufferLength, stringLength);
    case SQL_DESC_CASE_SENSITIVE:
      storeAppValue(value, fields_.caseSensitive);
      break;
    case SQL_DESC_CATALOG_NAME:
      return answerString(diagnostics_, fields_.catalogName, value, bufferLength, stringLength);
    case SQL_DESC_CONCISE_TYPE:
      storeAppValue(value, fields_.conciseType);
      break;
    case SQL_DESC_DATA_PTR:
      storeAppValue(value, fields_.dataPtr);
      break;
    case SQL_DESC_DATETIME_INTERVAL_CODE:
      storeAppValue(value, fields_.datetimeIntervalCode);
      break;
    case SQL_DESC_DATETIME_INTERVAL_PRECISION:
      storeAppValue(value, fields_.datetimeIntervalPrecision);
      break;
    case SQL_DESC_DISPLAY_SIZE:
      storeAppValue(value, fields_.displaySize);
      break;
    case SQL_DESC_FIXED_PREC_SCALE:
      storeAppValue(value, fields_.fixedPrecScale);
      break;
    case SQL_DESC_INDICATOR_PTR:
      storeAppValue(value, fields_.indicatorPtr);
      break;
    case SQL_DESC_LABEL:
      return answerString(diagnostics_, fields_.label, value, bufferLength, stringLength);
    case SQL_DESC_LENGTH:
      storeAppValue(value, fields_.length);
      break;
    case SQL_DESC_LITERAL_PREFIX:
      return answerString(diagnostics_, fields_.literalPrefix, value, bufferLength, stringLength);
    case SQL_DESC_LITERAL_SUFFIX:
      return answerString(diagnostics_, fields_.literalSuffix, value, bufferLength, stringLength);
    case SQL_DESC_LOCAL_TYPE_NAME:
      return answerString(diagnostics_, fields_.localTypeName, value, bufferLength, stringLength);
    case SQL_DESC_NAME:
      return answerString(diagnostics_, fields_.name, value, bufferLength, stringLength);
    case SQL_DESC_NULLABLE:
      storeAppValue(value, fields_.nullable);
      break;
    case SQL_DESC_NUM_PREC_RADIX:
      storeAppValue(value, fields_.numPrecRadix);
      break;
    case SQL_DESC_OCTET_LENGTH:
      storeAppValue(value, fields_.octetLength);
      break;
    case SQL_DESC_OCTET_LENGTH_PTR:
      storeAppValue(value, fields_.octetLengthPtr);
      break;
    case SQL_DESC_PARAMETER_TYPE:
      storeAppValue(value, fields_.parameterType);
      break;
    case SQL_DESC_PRECISION:
      storeAppValue(value, fields_.precision);
      break;
    case SQL_DESC_ROWVER:
      storeAppValue(value, fields_.rowver);
      break;
    case SQL_DESC_SCALE:
      storeAppValue(value, fields_.scale);
      break;
    case SQL_DESC_SCHEMA_NAME:
      return answerString(diagnostics_, fields_.schemaName, value, bufferLength, stringLength);
    case SQL_DESC_SEARCHABLE:
      storeAppValue(value, fields_.searchable);
      break;
    case SQL_DESC_TABLE_NAME:
      return answerString(diagnostics_, fields_.tableName, value, bufferLength, stringLength);
    case SQL_DESC_TYPE:
      storeAppValue(value, fields_.type);
      break;
    case SQL_DESC_TYPE_NAME:
      return answerString(diagnostics_, fields_.typeName, value, bufferLength, stringLength);
    case SQL_DESC_UNNAMED:
      storeAppValue(value, fields_.unnamed);
      break;
    case SQL_DESC_UNSIGNED:
      storeAppValue(value, fields_.unsignedAttribute);
      break;
    case SQL_DESC_UPDATABLE:
      storeAppValue(value, fields_.updatable);
      break;
    default:
      break;
  }
  return SQL_SUCCESS;
}

SQLRETURN DescriptorRecord::setDescRec(SQLSMALLINT type, SQLSMALLINT subType, SQLLEN length,
                                       SQLSMALLINT precision, SQLSMALLINT scale, SQLPOINTER dataPtr,
                                       SQLLEN* stringLengthPtr, SQLLEN* indicatorPtr) {
  struct Step {
    SQLSMALLINT fieldId;
    SQLPOINTER value;
  };
  // DATA_PTR comes last so that the record is bound although the steps before unbind it. The
  // pointers of an implementation record are the driver's arrays: ODBC has the three pointer
  // arguments unused there.
  const Step steps[] = {
      {SQL_DESC_TYPE, asPointer(type)},
      {SQL_DESC_DATETIME_INTERVAL_CODE, asPointer(subType)},
      {SQL_DESC_OCTET_LENGTH, asPointer(length)},
      {SQL_DESC_PRECISION, asPointer(precision)},
      {SQL_DESC_SCALE, asPointer(scale)},
      {SQL_DESC_OCTET_LENGTH_PTR, stringLengthPtr},
      {SQL_DESC_INDICATOR_PTR, indicatorPtr},
      {SQL_DESC_DATA_PTR, dataPtr},
  };
  constexpr std::size_t pointerSteps = 3;
  const std::size_t count = std::size(steps) - (isApplication(descriptorType_) ? 0 : pointerSteps);
  SQLRETURN result = SQL_SUCCESS;
  for (std::size_t i = 0; i < count; ++i) {
    const SQLRETURN rc = setField(steps[i].fieldId, steps[i].value, 0);
    if (!SQL_SUCCEEDED(rc)) return rc;
    if (rc == SQL_SUCCESS_WITH_INFO) result = rc;
  }
  return result;
}

SQLRETURN DescriptorRecord::getDescRec(SQLCHAR* name, SQLSMALLINT bufferLength,
                                       SQLSMALLINT* stringLength, SQLSMALLINT* type,
                                       SQLSMALLINT* subType, SQLLEN* length, SQLSMALLINT* precision,
                                       SQLSMALLINT* scale, SQLSMALLINT* nullable) {
  SQLRETURN result = SQL_SUCCESS;
  if (name != nullptr || stringLength != nullptr) {
    result = answerString(diagnostics_, fields_.name, name, bufferLength, stringLength);
    if (result == SQL_ERROR) return result;
  }
  storeAppValue(type, fields_.type);
  storeAppValue(subType, fields_.datetimeIntervalCode);
  storeAppValue(length, fields_.octetLength);
  storeAppValue(precision, fields_.precision);
  storeAppValue(scale, fields_.scale);
  if ((ruleFor(SQL_DESC_NULLABLE)->readable & kindBit(descriptorType_)) != 0) {
    storeAppValue(nullable, fields_.nullable);
  }
  return result;
}

void DescriptorRecord::unbind() { setDataPtr(nullptr); }

bool DescriptorRecord::ownsPointers() const { return !isApplication(descriptorType_); }

template <typename Pointer>
void DescriptorRecord::replacePointer(Pointer& field, Pointer value) {
  if (ownsPointers() && field != value) std::free(field);
  field = value;
}

void DescriptorRecord::copyFrom(const DescriptorRecord& source) {
  freeDataBuffers();
  fields_ = source.fields_;
  if (ownsPointers() || source.ownsPointers()) {
    fields_.dataPtr = nullptr;
    fields_.indicatorPtr = nullptr;
    fields_.octetLengthPtr = nullptr;
  }
}

void DescriptorRecord::freeDataBuffers() {
  setDataPtr(nullptr);
  setIndicatorPtr(nullptr);
  setOctetLengthPtr(nullptr);
}

void DescriptorRecord::setAutoUniqueValue(SQLINTEGER value) { fields_.autoUniqueValue = value; }

void DescriptorRecord::setConciseType(SQLSMALLINT value) {
  fields_.conciseType = value;
  fields_.type = value;
  fields_.datetimeIntervalCode = 0;
  switch (value) {
    case SQL_DATE:
    case SQL_TYPE_DATE:
      fields_.type = SQL_DATETIME;
      fields_.datetimeIntervalCode = SQL_CODE_DATE;
      break;
    case SQL_TIME:
    case SQL_TYPE_TIME:
      fields_.type = SQL_DATETIME;
      fields_.datetimeIntervalCode = SQL_CODE_TIME;
      break;
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP:
      fields_.type = SQL_DATETIME;
      fields_.datetimeIntervalCode = SQL_CODE_TIMESTAMP;
      break;
    default:
      if (isIntervalType(value)) {
        fields_.type = SQL_INTERVAL;
        fields_.datetimeIntervalCode =
            static_cast<SQLSMALLINT>(value - SQL_INTERVAL_YEAR + SQL_CODE_YEAR);
      }
      break;
  }
}

void DescriptorRecord::setDataPtr(SQLPOINTER value) { replacePointer(fields_.dataPtr, value); }

void DescriptorRecord::setDatetimeIntervalCode(SQLSMALLINT value) {
  fields_.datetimeIntervalCode = value;
  if (fields_.type == SQL_DATETIME && value >= SQL_CODE_DATE && value <= SQL_CODE_TIMESTAMP) {
    fields_.conciseType = static_cast<SQLSMALLINT>(SQL_TYPE_DATE - SQL_CODE_DATE + value);
  } else if (fields_.type == SQL_INTERVAL && value >= SQL_CODE_YEAR &&
             value <= SQL_CODE_MINUTE_TO_SECOND) {
    fields_.conciseType = static_cast<SQLSMALLINT>(SQL_INTERVAL_YEAR - SQL_CODE_YEAR + value);
  }
}

void DescriptorRecord::setDatetimeIntervalPrecision(SQLINTEGER value) {
  fields_.datetimeIntervalPrecision = value;
}

void DescriptorRecord::setIndicatorPtr(SQLLEN* value) {
  replacePointer(fields_.indicatorPtr, value);
}

void DescriptorRecord::setLength(SQLULEN value) { fields_.length = value; }

void DescriptorRecord::setDisplaySize(SQLLEN value) { fields_.displaySize = value; }

void DescriptorRecord::setName(const std::string& value) { fields_.name = value; }

SQLRETURN DescriptorRecord::setNumPrecRadix(SQLINTEGER value) {
  if (value != 0 && value != 2 && value != 10) return refuse("HY092");
  fields_.numPrecRadix = value;
  return SQL_SUCCESS;
}

void DescriptorRecord::setOctetLength(SQLLEN value) { fields_.octetLength = value; }

void DescriptorRecord::setOctetLengthPtr(SQLLEN* value) {
  replacePointer(fields_.octetLengthPtr, value);
}

void DescriptorRecord::setParameterType(SQLSMALLINT value) { fields_.parameterType = value; }

void DescriptorRecord::setPrecision(SQLSMALLINT value) { fields_.precision = value; }

void DescriptorRecord::setScale(SQLSMALLINT value) { fields_.scale = value; }

void DescriptorRecord::setType(SQLSMALLINT value) {
  fields_.type = value;
  fields_.conciseType = value;
  fields_.datetimeIntervalCode = 0;
}

void DescriptorRecord::setUnnamed(SQLSMALLINT value) { fields_.unnamed = value; }

SQLRETURN DescriptorRecord::convertImpToAppValue(SQLULEN implementationRow, SQLSMALLINT cType,
                                                 SQLPOINTER target, SQLLEN bufferLength,
                                                 SQLLEN* lengthPtr, SQLLEN* indicatorPtr,
                                                 SQLULEN* piecePosition,
                                                 const ConversionSite& site) {
  const bool tracing = connection_.isTracing();
  if (tracing) {
    traceLine("// enter convertImpToAppValue: value address: " + traceAddress(target));
    traceLine("// length address: " + traceAddress(lengthPtr));
    traceLine("// indicator address: " + traceAddress(indicatorPtr));
    traceLine("// buffer length: " + std::to_string(bufferLength));
  }
  const auto post = [&site](const char* sqlState) {
    site.diagnostics.post(sqlState, 0, "", site.columnNumber, site.rowNumber);
  };
  const auto fail = [&post](const char* sqlState) {
    post(sqlState);
    return SQL_ERROR;
  };
  if (cType == SQL_ARD_TYPE) {
    if (site.applicationRecord == nullptr) return fail("07009");
    cType = site.applicationRecord->getConciseType();
  }
  if (cType == SQL_C_DEFAULT) cType = defaultCType(fields_.conciseType);
  const CTypeClass kind = cTypeClass(cType);
  const bool piecewise = kind == CTypeClass::piecewise;
  if (kind == CTypeClass::unconverted) {
    if (tracing) {
      traceLine("// ---> no conversion from " + sqlTypeName(fields_.conciseType) + " to " +
                cTypeName(cType));
    }
    return fail("07006");
  }
  if (piecewise && bufferLength < 0) return fail("HY090");

  const SQLLEN* indicators = fields_.indicatorPtr;
  const bool isNull = indicators != nullptr && indicators[implementationRow] == SQL_NULL_DATA;
  const auto* texts = static_cast<const char* const*>(fields_.dataPtr);
  const char* text = texts != nullptr && !isNull ? texts[implementationRow] : nullptr;
  std::size_t length = 0;
  if (text == nullptr) {
    text = "";
  } else if (fields_.octetLengthPtr != nullptr) {
    length =
        static_cast<std::size_t>(std::max<SQLLEN>(0, fields_.octetLengthPtr[implementationRow]));
  } else {
    length = std::strlen(text);
  }
  const bool textColumn = isTextType(fields_.conciseType);
  const bool binaryColumn = !textColumn && isBinaryType(fields_.conciseType);
  if (site.maxLength != 0 && (textColumn || binaryColumn)) {
    length = lengthWithinMaximum(text, length, site.maxLength,
                                 textColumn && connection_.encoding() == utf8Charset);
  }
  // A position past the value's end: SQLGetData returned it whole before.
  const SQLULEN startPosition = piecePosition != nullptr ? *piecePosition : 0;
  if (startPosition > length) return SQL_NO_DATA;
  const auto markReturned = [piecePosition, length] {
    if (piecePosition != nullptr) *piecePosition = length + 1;
  };

  if (isNull) {
    if (indicatorPtr == nullptr) return fail("22002");
    storeAppValue(indicatorPtr, SQLLEN{SQL_NULL_DATA});
    if (cType == SQL_C_CHAR && bufferLength >= 1 && target != nullptr) {
      *static_cast<char*>(target) = '\0';
    }
    if (tracing) traceLine("// ---> | NULL |");
    markReturned();
    return SQL_SUCCESS;
  }

  // A bookmark travels as the text of its number; as binary (SQL_C_VARBOOKMARK) it is the SQLLEN
  // that SQL_ATTR_FETCH_BOOKMARK_PTR reads back.
  if (site.columnNumber == 0 && cType == SQL_C_BINARY) {
    SQLLEN bookmark = 0;
    std::from_chars(text, text + length, bookmark);
    const bool cut = bufferLength < static_cast<SQLLEN>(sizeof bookmark);
    if (target != nullptr) {
      std::memcpy(target, &bookmark, cut ? static_cast<std::size_t>(bufferLength) : sizeof bookmark);
    }
    storeAppValue(indicatorPtr, SQLLEN{0});
    storeAppValue(lengthPtr, static_cast<SQLLEN>(sizeof bookmark));
    markReturned();
    if (!cut) return SQL_SUCCESS;
    post("01004");
    return SQL_SUCCESS_WITH_INFO;
  }

  ConversionOutcome outcome;
  std::string fixedValue;
  SQLULEN position = startPosition;
  if (piecewise) {
    const TextEncodings encodings{connection_.encoding(), connection_.receiveEncoding()};
    const auto convert = isValueTextColumn(fields_.conciseType) ? convertValueText : convertPiece;
    outcome =
        convert(cType, text, length, target, bufferLength, position, encodings, pieceRemainder_);
    if (piecePosition != nullptr) *piecePosition = position;
  } else {
    if (kind == CTypeClass::number) {
      // A date's or a blob's text would parse as the number it starts with.
      if (binaryColumn || isDateTimeType(fields_.conciseType)) {
        return fail("07006");
      }
      outcome = convertToNumber(cType, text, length, target, tracing ? &fixedValue : nullptr);
    } else {
      outcome = convertToDateTime(cType, fields_.conciseType, text, length, target,
                                  tracing ? &fixedValue : nullptr);
    }
    if (outcome.rc != SQL_ERROR) markReturned();
  }
  if (outcome.rc == SQL_ERROR) return fail(outcome.sqlState);
  if (outcome.sqlState != nullptr) post(outcome.sqlState);
  if (indicatorPtr != nullptr) {
    storeAppValue(indicatorPtr, SQLLEN{0});
    if (tracing) traceLine("// indicator value: 0");
  }
  if (tracing) {
    traceConversion(cType, text, length, target, bufferLength, startPosition, position, fixedValue);
  }
  storeAppValue(lengthPtr, outcome.length);
  if (tracing && lengthPtr != nullptr) {
    traceLine("// length value: " + std::to_string(outcome.length));
  }
  return outcome.rc;
}

void DescriptorRecord::traceLine(const std::string& line) const {
  connection_.traceStream().writeLine(line);
}

void DescriptorRecord::traceConversion(SQLSMALLINT cType, const char* text, std::size_t length,
                                       SQLPOINTER target, SQLLEN bufferLength,
                                       SQLULEN startPosition, SQLULEN position,
                                       const std::string& fixedValue) const {
  constexpr std::size_t shownBytes = 255;
  const std::string shown(text, std::min(length, shownBytes));
  if (!isPiecewiseCType(cType)) {
    traceLine("// ---> " + shown + fixedValue);
    return;
  }
  if (cType == SQL_C_BINARY) return;
  // A value returned whole leaves the position one past its end (PiecewiseText.h).
  const SQLULEN reached = std::min<SQLULEN>(position, length);
  if (cType == SQL_C_CHAR) {
    traceLine("// calculated len: " + std::to_string(reached - startPosition));
    const std::uint32_t server = connection_.encoding();
    const std::uint32_t application = connection_.receiveEncoding();
    if (server == utf8Charset && application != utf8Charset) {
      traceLine("// conversion from: " + charsetText(server) + " to: " + charsetText(application));
    } else {
      traceLine("// no conversion ");
    }
    const auto shownLength =
        static_cast<SQLINTEGER>(std::min<SQLLEN>(bufferLength, static_cast<SQLLEN>(shownBytes)));
    traceLine("// ---> |" + shown + "| to SQL_C_CHAR: |" +
              boundedText(static_cast<const char*>(target), shownLength) + "|");
  } else {
    traceLine("// ---> |" + shown + "| to SQL_C_WCHAR: |" + traceAddress(target) + "|");
  }
  traceLine("// bytesRemaining: " + std::to_string(length - startPosition) + "  nextByte: " +
            std::to_string(reached) + " impOctetLength: " + std::to_string(length));
}

SQLSMALLINT DescriptorRecord::defaultCType(SQLSMALLINT sqlType) const {
  return connection_.defaultCType(sqlType);
}

SQLRETURN DescriptorRecord::getColumnSizeAndDigits(SQLULEN* columnSize,
                                                   SQLSMALLINT* decimalDigits) const {
  const SQLULEN size =
      isNumericType(fields_.type) ? static_cast<SQLULEN>(fields_.precision) : fields_.length;
  SQLSMALLINT digits = fields_.scale;
  if (isBinaryType(fields_.type) || fields_.type == SQL_BIT || fields_.type == SQL_DATETIME) {
    digits = 0;
  } else if (fields_.type == SQL_INTERVAL) {
    digits = hasSeconds(fields_.conciseType) ? fields_.precision : 0;
  }
  if (columnSize != nullptr) *columnSize = size;
  if (decimalDigits != nullptr) *decimalDigits = digits;
  return SQL_SUCCESS;
}
