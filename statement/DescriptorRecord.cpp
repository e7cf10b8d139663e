#include "statement/DescriptorRecord.h"

#include <cstring>
#include <iterator>

#include "core/AppBuffer.h"
#include "core/Connection.h"
#include "core/DiagnosticHeader.h"
#include "core/SqlTypeClass.h"

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
    {SQL_DESC_NAME, kE | kIpd | kIrd, kE | kIpd | kIrd},
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

// The application's buffer may be any char array, so the value is copied bytewise.
template <typename T>
void store(SQLPOINTER target, T value) {
  if (target != nullptr) std::memcpy(target, &value, sizeof value);
}

}  // namespace

DescriptorRecord::DescriptorRecord(DescriptorType descriptorType, Connection& connection,
                                   DiagnosticHeader& diagnostics, const std::string& name,
                                   SQLSMALLINT sqlType, const std::string& typeName,
                                   SQLSMALLINT nullable, bool isUnsigned)
    : descriptorType_(descriptorType),
      connection_(connection),
      diagnostics_(diagnostics),
      conciseType_(sqlType),
      label_(name),
      localTypeName_(typeName),
      name_(name),
      nullable_(nullable),
      type_(sqlType),
      typeName_(typeName),
      unsigned_(isUnsigned ? SQL_TRUE : SQL_FALSE) {
  applyTypeDefaults();
}

void DescriptorRecord::applyTypeDefaults() {
  switch (conciseType_) {
    case SQL_CHAR:
    case SQL_VARCHAR:
      caseSensitive_ = SQL_TRUE;
      displaySize_ = 255;
      break;
    case SQL_INTEGER:
      displaySize_ = 28;
      fixedPrecScale_ = SQL_TRUE;
      numPrecRadix_ = 10;
      precision_ = 10;
      scale_ = 0;
      break;
    case SQL_SMALLINT:
      displaySize_ = 7;
      fixedPrecScale_ = SQL_TRUE;
      numPrecRadix_ = 10;
      precision_ = 5;
      scale_ = 0;
      break;
    default:
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
  if (rule == nullptr) return SQL_SUCCESS;
  if ((rule->settable & kindBit(descriptorType_)) == 0) return refuse("HY091");
  switch (fieldId) {
    case SQL_DESC_CONCISE_TYPE:
      setConciseType(fromPointer<SQLSMALLINT>(value));
      break;
    case SQL_DESC_DATA_PTR:
      setDataPtr(value);
      break;
    case SQL_DESC_DATETIME_INTERVAL_CODE:
      setDatetimeIntervalCode(fromPointer<SQLSMALLINT>(value));
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

template <typename Length>
SQLRETURN DescriptorRecord::copyOut(const std::string& text, SQLPOINTER buffer,
                                    SQLINTEGER bufferLength, Length* stringLength) const {
  if (buffer != nullptr && bufferLength < 0) return refuse("HY090");
  SQLRETURN rc = SQL_SUCCESS;
  if constexpr (sizeof(Length) == sizeof(SQLSMALLINT)) {
    rc = copyStringToAppBufferSmallInt(buffer, stringLength, text, bufferLength, true);
  } else {
    rc = copyStringToAppBuffer(buffer, stringLength, text, bufferLength, true);
  }
  if (rc == SQL_SUCCESS_WITH_INFO) diagnostics_.post("01004", 0, "", -1, -1);
  return rc;
}

SQLRETURN DescriptorRecord::getField(SQLSMALLINT fieldId, SQLPOINTER value, SQLINTEGER bufferLength,
                                     SQLINTEGER* stringLength) {
  const FieldRule* rule = ruleFor(fieldId);
  if (rule == nullptr) return SQL_SUCCESS;
  if ((rule->readable & kindBit(descriptorType_)) == 0) return refuse("HY091");
  switch (fieldId) {
    case SQL_DESC_AUTO_UNIQUE_VALUE:
      store(value, autoUniqueValue_);
      break;
    case SQL_DESC_BASE_COLUMN_NAME:
      return copyOut(baseColumnName_, value, bufferLength, stringLength);
    case SQL_DESC_BASE_TABLE_NAME:
      return copyOut(baseTableName_, value, bufferLength, stringLength);
    case SQL_DESC_CASE_SENSITIVE:
      store(value, caseSensitive_);
      break;
    case SQL_DESC_CATALOG_NAME:
      return copyOut(catalogName_, value, bufferLength, stringLength);
    case SQL_DESC_CONCISE_TYPE:
      store(value, conciseType_);
      break;
    case SQL_DESC_DATA_PTR:
      store(value, dataPtr_);
      break;
    case SQL_DESC_DATETIME_INTERVAL_CODE:
      store(value, datetimeIntervalCode_);
      break;
    case SQL_DESC_DATETIME_INTERVAL_PRECISION:
      store(value, datetimeIntervalPrecision_);
      break;
    case SQL_DESC_DISPLAY_SIZE:
      store(value, displaySize_);
      break;
    case SQL_DESC_FIXED_PREC_SCALE:
      store(value, fixedPrecScale_);
      break;
    case SQL_DESC_INDICATOR_PTR:
      store(value, indicatorPtr_);
      break;
    case SQL_DESC_LABEL:
      return copyOut(label_, value, bufferLength, stringLength);
    case SQL_DESC_LENGTH:
      store(value, length_);
      break;
    case SQL_DESC_LITERAL_PREFIX:
      return copyOut(literalPrefix_, value, bufferLength, stringLength);
    case SQL_DESC_LITERAL_SUFFIX:
      return copyOut(literalSuffix_, value, bufferLength, stringLength);
    case SQL_DESC_LOCAL_TYPE_NAME:
      return copyOut(localTypeName_, value, bufferLength, stringLength);
    case SQL_DESC_NAME:
      return copyOut(name_, value, bufferLength, stringLength);
    case SQL_DESC_NULLABLE:
      store(value, nullable_);
      break;
    case SQL_DESC_NUM_PREC_RADIX:
      store(value, numPrecRadix_);
      break;
    case SQL_DESC_OCTET_LENGTH:
      store(value, octetLength_);
      break;
    case SQL_DESC_OCTET_LENGTH_PTR:
      store(value, octetLengthPtr_);
      break;
    case SQL_DESC_PARAMETER_TYPE:
      store(value, parameterType_);
      break;
    case SQL_DESC_PRECISION:
      store(value, precision_);
      break;
    case SQL_DESC_ROWVER:
      store(value, rowver_);
      break;
    case SQL_DESC_SCALE:
      store(value, scale_);
      break;
    case SQL_DESC_SCHEMA_NAME:
      return copyOut(schemaName_, value, bufferLength, stringLength);
    case SQL_DESC_SEARCHABLE:
      store(value, searchable_);
      break;
    case SQL_DESC_TABLE_NAME:
      return copyOut(tableName_, value, bufferLength, stringLength);
    case SQL_DESC_TYPE:
      store(value, type_);
      break;
    case SQL_DESC_TYPE_NAME:
      return copyOut(typeName_, value, bufferLength, stringLength);
    case SQL_DESC_UNNAMED:
      store(value, unnamed_);
      break;
    case SQL_DESC_UNSIGNED:
      store(value, unsigned_);
      break;
    case SQL_DESC_UPDATABLE:
      store(value, updatable_);
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
  for (std::size_t i = 0; i < count; ++i) {
    const SQLRETURN rc = setField(steps[i].fieldId, steps[i].value, 0);
    if (rc != SQL_SUCCESS) return rc;
  }
  return SQL_SUCCESS;
}

SQLRETURN DescriptorRecord::getDescRec(SQLCHAR* name, SQLSMALLINT bufferLength,
                                       SQLSMALLINT* stringLength, SQLSMALLINT* type,
                                       SQLSMALLINT* subType, SQLLEN* length, SQLSMALLINT* precision,
                                       SQLSMALLINT* scale, SQLSMALLINT* nullable) {
  SQLRETURN result = SQL_SUCCESS;
  if (name != nullptr || stringLength != nullptr) {
    result = copyOut(name_, name, bufferLength, stringLength);
    if (result == SQL_ERROR) return result;
  }
  store(type, type_);
  store(subType, datetimeIntervalCode_);
  store(length, octetLength_);
  store(precision, precision_);
  store(scale, scale_);
  if ((ruleFor(SQL_DESC_NULLABLE)->readable & kindBit(descriptorType_)) != 0) {
    store(nullable, nullable_);
  }
  return result;
}

void DescriptorRecord::unbind() { dataPtr_ = nullptr; }

void DescriptorRecord::setAutoUniqueValue(SQLINTEGER value) { autoUniqueValue_ = value; }

void DescriptorRecord::setConciseType(SQLSMALLINT value) {
  conciseType_ = value;
  type_ = value;
  datetimeIntervalCode_ = 0;
  switch (value) {
    case SQL_DATE:
    case SQL_TYPE_DATE:
      type_ = SQL_DATETIME;
      datetimeIntervalCode_ = SQL_CODE_DATE;
      break;
    case SQL_TIME:
    case SQL_TYPE_TIME:
      type_ = SQL_DATETIME;
      datetimeIntervalCode_ = SQL_CODE_TIME;
      break;
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP:
      type_ = SQL_DATETIME;
      datetimeIntervalCode_ = SQL_CODE_TIMESTAMP;
      break;
    default:
      if (isIntervalType(value)) {
        type_ = SQL_INTERVAL;
        datetimeIntervalCode_ = static_cast<SQLSMALLINT>(value - SQL_INTERVAL_YEAR + SQL_CODE_YEAR);
      }
      break;
  }
}

void DescriptorRecord::setDataPtr(SQLPOINTER value) { dataPtr_ = value; }

void DescriptorRecord::setDatetimeIntervalCode(SQLSMALLINT value) {
  datetimeIntervalCode_ = value;
  if (type_ == SQL_DATETIME && value >= SQL_CODE_DATE && value <= SQL_CODE_TIMESTAMP) {
    conciseType_ = static_cast<SQLSMALLINT>(SQL_TYPE_DATE - SQL_CODE_DATE + value);
  } else if (type_ == SQL_INTERVAL && value >= SQL_CODE_YEAR &&
             value <= SQL_CODE_MINUTE_TO_SECOND) {
    conciseType_ = static_cast<SQLSMALLINT>(SQL_INTERVAL_YEAR - SQL_CODE_YEAR + value);
  }
}

void DescriptorRecord::setDatetimeIntervalPrecision(SQLINTEGER value) {
  datetimeIntervalPrecision_ = value;
}

void DescriptorRecord::setIndicatorPtr(SQLLEN* value) { indicatorPtr_ = value; }

void DescriptorRecord::setLength(SQLULEN value) { length_ = value; }

void DescriptorRecord::setName(const std::string& value) { name_ = value; }

SQLRETURN DescriptorRecord::setNumPrecRadix(SQLINTEGER value) {
  if (value != 0 && value != 2 && value != 10) return refuse("HY092");
  numPrecRadix_ = value;
  return SQL_SUCCESS;
}

void DescriptorRecord::setOctetLength(SQLLEN value) { octetLength_ = value; }

void DescriptorRecord::setOctetLengthPtr(SQLLEN* value) { octetLengthPtr_ = value; }

void DescriptorRecord::setParameterType(SQLSMALLINT value) { parameterType_ = value; }

void DescriptorRecord::setPrecision(SQLSMALLINT value) { precision_ = value; }

void DescriptorRecord::setScale(SQLSMALLINT value) { scale_ = value; }

void DescriptorRecord::setType(SQLSMALLINT value) {
  type_ = value;
  conciseType_ = value;
  datetimeIntervalCode_ = 0;
}

void DescriptorRecord::setUnnamed(SQLSMALLINT value) { unnamed_ = value; }

SQLSMALLINT DescriptorRecord::defaultCType(SQLSMALLINT sqlType) const {
  return connection_.defaultCType(sqlType);
}

SQLRETURN DescriptorRecord::getColumnSizeAndDigits(SQLULEN* columnSize,
                                                   SQLSMALLINT* decimalDigits) const {
  const SQLULEN size = isNumericType(type_) ? static_cast<SQLULEN>(precision_) : length_;
  SQLSMALLINT digits = scale_;
  if (isBinaryType(type_) || type_ == SQL_BIT || type_ == SQL_DATETIME) {
    digits = 0;
  } else if (type_ == SQL_INTERVAL) {
    const bool withSeconds = conciseType_ == SQL_INTERVAL_SECOND ||
                             conciseType_ == SQL_INTERVAL_DAY_TO_SECOND ||
                             conciseType_ == SQL_INTERVAL_HOUR_TO_SECOND ||
                             conciseType_ == SQL_INTERVAL_MINUTE_TO_SECOND;
    digits = withSeconds ? precision_ : 0;
  }
  if (columnSize != nullptr) *columnSize = size;
  if (decimalDigits != nullptr) *decimalDigits = digits;
  return SQL_SUCCESS;
}
