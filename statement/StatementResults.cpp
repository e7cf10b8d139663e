// Result and parameter description, SQLGetData and binding.
#include <string>

#include "core/Connection.h"
#include "core/SqlTypeClass.h"
#include "core/StringAnswer.h"
#include "core/TraceWriter.h"
#include "statement/Descriptor.h"
#include "statement/Statement.h"

namespace {

// The largest column or parameter number a descriptor holds.
constexpr SQLUSMALLINT maxRecordNumber = 32767;

bool isCharacterOrBinaryCType(SQLSMALLINT cType) {
  return cType == SQL_C_CHAR || cType == SQL_C_WCHAR || cType == SQL_C_BINARY;
}

SQLPOINTER integerValue(SQLLEN value) { return reinterpret_cast<SQLPOINTER>(value); }

// Sets descriptor fields in order, stopping at the first refusal; the statement takes over the
// records of a descriptor that refused or warned (each set clears the descriptor's own).
class FieldSetter {
 public:
  explicit FieldSetter(DiagnosticHeader& diagnostics) : diagnostics_(diagnostics) {}

  void set(Descriptor& descriptor, SQLSMALLINT record, SQLSMALLINT field, SQLPOINTER value) {
    if (rc_ == SQL_ERROR) return;
    const SQLRETURN rc = descriptor.setField(record, field, value, 0);
    if (rc == SQL_SUCCESS) return;
    diagnostics_.copyRecords(descriptor.diagnostics());
    if (rc == SQL_ERROR || rc_ == SQL_SUCCESS) rc_ = rc;
  }
  SQLRETURN result() const { return rc_; }

 private:
  DiagnosticHeader& diagnostics_;
  SQLRETURN rc_ = SQL_SUCCESS;
};

}  // namespace

SQLRETURN Statement::describePrepared() { return SQL_SUCCESS; }

SQLRETURN Statement::describeBeforeExecution() {
  if (state_ != statePrepared || preparedDescribed_) return SQL_SUCCESS;
  const SQLRETURN rc = describePrepared();
  preparedDescribed_ = SQL_SUCCEEDED(rc);
  return rc;
}

SQLRETURN Statement::numResultCols(SQLSMALLINT* count) {
  diagnostics_.clear();
  const SQLRETURN described = describeBeforeExecution();
  if (described == SQL_ERROR) return described;
  if (count != nullptr) *count = ird_->getCount();
  return SQL_SUCCESS;
}

SQLRETURN Statement::numParams(SQLSMALLINT* count) {
  diagnostics_.clear();
  if (count != nullptr) *count = ipd_->getCount();
  return SQL_SUCCESS;
}

SQLRETURN Statement::rowCount(SQLLEN* count) {
  diagnostics_.clear();
  if (count != nullptr) *count = rowCount_;
  return SQL_SUCCESS;
}

SQLRETURN Statement::describeCol(SQLUSMALLINT column, char* name, SQLSMALLINT bufferLength,
                                 SQLSMALLINT* nameLength, SQLSMALLINT* dataType,
                                 SQLULEN* columnSize, SQLSMALLINT* decimalDigits,
                                 SQLSMALLINT* nullable) {
  diagnostics_.clear();
  const SQLRETURN described = describeBeforeExecution();
  if (described == SQL_ERROR) return described;
  if (column > maxRecordNumber || static_cast<SQLSMALLINT>(column) > ird_->getCount()) {
    return post("07009");
  }
  const DescriptorRecord& record = *ird_->getRecord(static_cast<SQLSMALLINT>(column));
  const SQLRETURN rc = answerString(diagnostics_, record.getName(), name, bufferLength, nameLength);
  if (rc == SQL_ERROR) return rc;
  if (dataType != nullptr) *dataType = record.getConciseType();
  record.getColumnSizeAndDigits(columnSize, decimalDigits);
  if (nullable != nullptr) *nullable = record.getNullable();
  return rc;
}

SQLRETURN Statement::describeParam(SQLUSMALLINT parameter, SQLSMALLINT* dataType, SQLULEN* size,
                                   SQLSMALLINT* decimalDigits, SQLSMALLINT* nullable) {
  diagnostics_.clear();
  if (parameter == 0 || parameter > maxRecordNumber ||
      static_cast<SQLSMALLINT>(parameter) > ipd_->getCount()) {
    return post("07009");
  }
  const DescriptorRecord& record = *ipd_->getRecord(static_cast<SQLSMALLINT>(parameter));
  if (dataType != nullptr) *dataType = record.getConciseType();
  record.getColumnSizeAndDigits(size, decimalDigits);
  if (nullable != nullptr) *nullable = record.getNullable();
  return SQL_SUCCESS;
}

SQLRETURN Statement::colAttribute(SQLUSMALLINT column, SQLUSMALLINT field,
                                  SQLPOINTER characterAttribute, SQLSMALLINT bufferLength,
                                  SQLSMALLINT* stringLength, SQLLEN* numericAttribute) {
  diagnostics_.clear();
  const SQLRETURN described = describeBeforeExecution();
  if (described == SQL_ERROR) return described;
  if (column > maxRecordNumber || static_cast<SQLSMALLINT>(column) > ird_->getCount()) {
    return post("07009");
  }
  const DescriptorRecord& record = *ird_->getRecord(static_cast<SQLSMALLINT>(column));
  const auto text = [&](const std::string& value) {
    return answerString(diagnostics_, value, characterAttribute, bufferLength, stringLength);
  };
  const auto number = [&](SQLLEN value) {
    if (numericAttribute != nullptr) *numericAttribute = value;
    return SQL_SUCCESS;
  };
  switch (field) {
    case SQL_COLUMN_COUNT:
    case SQL_DESC_COUNT:
      return number(ird_->getCount());
    case SQL_COLUMN_NAME:
    case SQL_DESC_NAME:
      return text(record.getName());
    case SQL_DESC_CONCISE_TYPE:
      return number(record.getConciseType());
    case SQL_COLUMN_LENGTH:
    case SQL_DESC_LENGTH:
      return number(static_cast<SQLLEN>(record.getLength()));
    case SQL_COLUMN_PRECISION:
      return number(isNumericType(record.getType()) ? record.getPrecision()
                                                    : static_cast<SQLLEN>(record.getLength()));
    case SQL_COLUMN_SCALE:
    case SQL_DESC_SCALE:
      return number(record.getScale());
    case SQL_DESC_DISPLAY_SIZE:
      return number(record.getDisplaySize());
    case SQL_COLUMN_NULLABLE:
    case SQL_DESC_NULLABLE:
      return number(record.getNullable());
    case SQL_DESC_UNSIGNED:
      return number(record.getUnsigned());
    case SQL_DESC_FIXED_PREC_SCALE:
      return number(record.getFixedPrecScale());
    case SQL_DESC_UPDATABLE:
      return number(record.getUpdatable());
    case SQL_DESC_AUTO_UNIQUE_VALUE:
      return number(record.getAutoUniqueValue());
    case SQL_DESC_CASE_SENSITIVE:
      return number(record.getCaseSensitive());
    case SQL_DESC_SEARCHABLE:
      return number(record.getSearchable());
    case SQL_DESC_TYPE_NAME:
      return text(record.getTypeName());
    case SQL_DESC_TABLE_NAME:
      return text(record.getTableName());
    case SQL_DESC_SCHEMA_NAME:
      return text(record.getSchemaName());
    case SQL_DESC_CATALOG_NAME:
      return text(record.getCatalogName());
    case SQL_DESC_LABEL:
      return text(record.getLabel());
    case SQL_DESC_BASE_COLUMN_NAME:
      return text(record.getBaseColumnName());
    case SQL_DESC_BASE_TABLE_NAME:
      return text(record.getBaseTableName());
    case SQL_DESC_LITERAL_PREFIX:
      return text(record.getLiteralPrefix());
    case SQL_DESC_LITERAL_SUFFIX:
      return text(record.getLiteralSuffix());
    case SQL_DESC_LOCAL_TYPE_NAME:
      return text(record.getLocalTypeName());
    case SQL_DESC_NUM_PREC_RADIX:
      return number(record.getNumPrecRadix());
    case SQL_DESC_TYPE:
      return number(record.getType());
    case SQL_DESC_PRECISION:
      return number(record.getPrecision());
    case SQL_DESC_UNNAMED:
      return number(record.getUnnamed());
    case SQL_DESC_OCTET_LENGTH:
      return number(record.getOctetLength());
    default:
      // Nothing is answered, and an application must not read its buffer as if it were.
      return post("HY091");
  }
}

SQLRETURN Statement::getData(SQLUSMALLINT column, SQLSMALLINT targetType, SQLPOINTER target,
                             SQLLEN bufferLength, SQLLEN* lengthOrIndicator) {
  diagnostics_.clear();
  if ((column == 0 && useBookmarks_ == SQL_UB_OFF) || column > maxRecordNumber ||
      static_cast<SQLSMALLINT>(column) > ird_->getCount()) {
    return post("07009");
  }
  if (beforeStart_ || afterEnd_) return post("24000");
  const auto number = static_cast<SQLSMALLINT>(column);
  DescriptorRecord& record = *ird_->getRecord(number);
  SQLULEN position = record.nextByte();
  // The bound record matters only to a target type that defers to it.
  const ConversionSite site{diagnostics_, number, SQL_NO_ROW_NUMBER,
                            targetType == SQL_ARD_TYPE ? ard_->getRecord(number) : nullptr,
                            maxLength_};
  const SQLRETURN rc = record.convertImpToAppValue(
      0, targetType, target, bufferLength, lengthOrIndicator, lengthOrIndicator, &position, site);
  record.setNextByte(position);
  if (isTracing()) {
    traceStream().writeLine("// isTextType 2: " + std::to_string(isTextType(targetType)) +
                            "  isBinaryType: " + std::to_string(isBinaryType(targetType)));
  }
  return rc;
}

SQLRETURN Statement::bindCol(SQLUSMALLINT column, SQLSMALLINT targetType, SQLPOINTER target,
                             SQLLEN bufferLength, SQLLEN* lengthPtr) {
  diagnostics_.clear();
  if (column > maxRecordNumber || (column == 0 && useBookmarks() == SQL_UB_OFF))
    return post("07009");
  if (bufferLength < 0 && isCharacterOrBinaryCType(targetType)) return post("HY090");
  const auto number = static_cast<SQLSMALLINT>(column);
  FieldSetter setter(diagnostics_);
  // DATA_PTR last: setting any other field unbinds the record.
  setter.set(*ard_, number, SQL_DESC_CONCISE_TYPE, integerValue(targetType));
  setter.set(*ard_, number, SQL_DESC_LENGTH, integerValue(bufferLength));
  setter.set(*ard_, number, SQL_DESC_OCTET_LENGTH, integerValue(bufferLength));
  setter.set(*ard_, number, SQL_DESC_INDICATOR_PTR, lengthPtr);
  setter.set(*ard_, number, SQL_DESC_OCTET_LENGTH_PTR, lengthPtr);
  setter.set(*ard_, number, SQL_DESC_DATA_PTR, target);
  return setter.result();
}

SQLRETURN Statement::bindParameter(SQLUSMALLINT parameter, SQLSMALLINT ioType,
                                   SQLSMALLINT valueType, SQLSMALLINT parameterType,
                                   SQLULEN columnSize, SQLSMALLINT decimalDigits, SQLPOINTER value,
                                   SQLLEN bufferLength, SQLLEN* lengthPtr) {
  diagnostics_.clear();
  if (parameter == 0 || parameter > maxRecordNumber) return post("07009");
  if (bufferLength < 0 && isCharacterOrBinaryCType(valueType)) return post("HY090");
  if (!isSqlType(parameterType)) return post("HY004");
  const auto number = static_cast<SQLSMALLINT>(parameter);
  // Raised only: prepare counted the markers, and binding one of them keeps the others.
  if (ipd_->getCount() < number) ipd_->setCount(number);
  if (apd_->getCount() < number) apd_->setCount(number);
  FieldSetter setter(diagnostics_);
  setter.set(*ipd_, number, SQL_DESC_PARAMETER_TYPE, integerValue(ioType));
  setter.set(*apd_, number, SQL_DESC_CONCISE_TYPE, integerValue(valueType));
  setter.set(*ipd_, number, SQL_DESC_CONCISE_TYPE, integerValue(parameterType));
  if (isNumericType(parameterType)) {
    setter.set(*ipd_, number, SQL_DESC_PRECISION, integerValue(static_cast<SQLLEN>(columnSize)));
  } else if (isTextType(parameterType) || isBinaryType(parameterType) ||
             isDateTimeType(parameterType) || isIntervalType(parameterType)) {
    setter.set(*ipd_, number, SQL_DESC_LENGTH, integerValue(static_cast<SQLLEN>(columnSize)));
  }
  switch (parameterType) {
    case SQL_NUMERIC:
    case SQL_DECIMAL:
      setter.set(*ipd_, number, SQL_DESC_SCALE, integerValue(decimalDigits));
      break;
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
    case SQL_INTERVAL_SECOND:
    case SQL_INTERVAL_DAY_TO_SECOND:
    case SQL_INTERVAL_HOUR_TO_SECOND:
    case SQL_INTERVAL_MINUTE_TO_SECOND:
      setter.set(*ipd_, number, SQL_DESC_PRECISION, integerValue(decimalDigits));
      break;
    default:
      break;
  }
  setter.set(*apd_, number, SQL_DESC_OCTET_LENGTH, integerValue(bufferLength));
  // One word for both: it is read when the statement executes, so an application may change it
  // between binding and executing (SQL_NULL_DATA, SQL_DATA_AT_EXEC or a length).
  setter.set(*apd_, number, SQL_DESC_OCTET_LENGTH_PTR, lengthPtr);
  setter.set(*apd_, number, SQL_DESC_INDICATOR_PTR, lengthPtr);
  setter.set(*apd_, number, SQL_DESC_DATA_PTR, value);
  return setter.result();
}
