#pragma once
// One record of a descriptor: a bound column or parameter, or a described result column. It
// holds every SQL_DESC_* record field, applies the ODBC rules for setting and reading them per
// descriptor type, and keeps TYPE, CONCISE_TYPE and DATETIME_INTERVAL_CODE consistent.
//
// Refusals are posted on the owning descriptor's diagnostics with an empty message (the
// state's standard text), native error 0, column and row -1.
#include <string>

#include "platform/Odbc.h"

class Connection;
class DiagnosticHeader;

// The kinds of descriptor: one allocated by the application, and the four that belong to a
// statement.
enum class DescriptorType : SQLINTEGER {
  explicitlyAllocated = 0,
  applicationParameter = 1,
  applicationRow = 2,
  implementationParameter = 3,
  implementationRow = 4,
};

class DescriptorRecord {
 public:
  // The descriptor's type, connection and diagnostics; the descriptor outlives its records.
  DescriptorRecord(DescriptorType descriptorType, Connection& connection,
                   DiagnosticHeader& diagnostics, const std::string& name, SQLSMALLINT sqlType,
                   const std::string& typeName, SQLSMALLINT nullable, bool isUnsigned);
  virtual ~DescriptorRecord() = default;
  DescriptorRecord(const DescriptorRecord&) = delete;
  DescriptorRecord& operator=(const DescriptorRecord&) = delete;

  // Display size, precision, radix and case sensitivity that the concise type implies.
  virtual void applyTypeDefaults();

  // SQLSetDescField for one record field. Integer values travel in the pointer itself; NAME is
  // `bufferLength` bytes of text, or up to its NUL for SQL_NTS. Setting any field but the three
  // pointers unbinds a record of an application descriptor, also when the field is refused.
  // Identifiers that name no record field are accepted and ignored.
  virtual SQLRETURN setField(SQLSMALLINT fieldId, SQLPOINTER value, SQLINTEGER bufferLength);
  // SQLGetDescField for one record field, written with the field's ODBC width. A string that
  // does not fit is cut with a NUL inside the buffer, its full length is reported and "01004"
  // answers SQL_SUCCESS_WITH_INFO.
  virtual SQLRETURN getField(SQLSMALLINT fieldId, SQLPOINTER value, SQLINTEGER bufferLength,
                             SQLINTEGER* stringLength);
  // SQLSetDescRec: TYPE, DATETIME_INTERVAL_CODE, OCTET_LENGTH (the buffer length), PRECISION,
  // SCALE, OCTET_LENGTH_PTR, INDICATOR_PTR and DATA_PTR, in that order, stopping at the first
  // refusal; an application record is bound when it succeeds. An implementation record leaves
  // its pointers (the driver's own arrays) alone: ODBC has those arguments unused there.
  virtual SQLRETURN setDescRec(SQLSMALLINT type, SQLSMALLINT subType, SQLLEN length,
                               SQLSMALLINT precision, SQLSMALLINT scale, SQLPOINTER dataPtr,
                               SQLLEN* stringLengthPtr, SQLLEN* indicatorPtr);
  // SQLGetDescRec; every output may be null. The name follows the output-string rule of
  // getField. NULLABLE, which an application descriptor does not hold, is left alone there.
  virtual SQLRETURN getDescRec(SQLCHAR* name, SQLSMALLINT bufferLength, SQLSMALLINT* stringLength,
                               SQLSMALLINT* type, SQLSMALLINT* subType, SQLLEN* length,
                               SQLSMALLINT* precision, SQLSMALLINT* scale, SQLSMALLINT* nullable);
  virtual void unbind();

  virtual void setAutoUniqueValue(SQLINTEGER value);
  // TYPE follows: the verbose SQL_DATETIME or SQL_INTERVAL with its code for the date-time and
  // interval types (9, 10 and 11 are their ODBC 2 forms), the value itself otherwise.
  virtual void setConciseType(SQLSMALLINT value);
  virtual void setDataPtr(SQLPOINTER value);
  // Under TYPE SQL_DATETIME or SQL_INTERVAL a valid code also sets CONCISE_TYPE (1 gives 91,
  // 2 gives 92, 3 gives 93; an interval code n gives 100 + n).
  virtual void setDatetimeIntervalCode(SQLSMALLINT value);
  virtual void setDatetimeIntervalPrecision(SQLINTEGER value);
  virtual void setIndicatorPtr(SQLLEN* value);
  virtual void setLength(SQLULEN value);
  virtual void setName(const std::string& value);
  // 0, 2 and 10 are kept; any other radix answers "HY092" and changes nothing.
  virtual SQLRETURN setNumPrecRadix(SQLINTEGER value);
  virtual void setOctetLength(SQLLEN value);
  virtual void setOctetLengthPtr(SQLLEN* value);
  virtual void setParameterType(SQLSMALLINT value);
  virtual void setPrecision(SQLSMALLINT value);
  virtual void setScale(SQLSMALLINT value);
  // CONCISE_TYPE becomes the same value and the interval code 0.
  virtual void setType(SQLSMALLINT value);
  virtual void setUnnamed(SQLSMALLINT value);

  virtual SQLINTEGER getAutoUniqueValue() const { return autoUniqueValue_; }
  virtual std::string getBaseColumnName() const { return baseColumnName_; }
  virtual std::string getBaseTableName() const { return baseTableName_; }
  virtual SQLINTEGER getCaseSensitive() const { return caseSensitive_; }
  virtual std::string getCatalogName() const { return catalogName_; }
  virtual SQLSMALLINT getConciseType() const { return conciseType_; }
  virtual SQLPOINTER getDataPtr() const { return dataPtr_; }
  virtual SQLSMALLINT getDatetimeIntervalCode() const { return datetimeIntervalCode_; }
  virtual SQLINTEGER getDatetimeIntervalPrecision() const { return datetimeIntervalPrecision_; }
  virtual SQLLEN getDisplaySize() const { return displaySize_; }
  virtual SQLSMALLINT getFixedPrecScale() const { return fixedPrecScale_; }
  virtual SQLLEN* getIndicatorPtr() const { return indicatorPtr_; }
  virtual std::string getLabel() const { return label_; }
  virtual SQLULEN getLength() const { return length_; }
  virtual std::string getLiteralPrefix() const { return literalPrefix_; }
  virtual std::string getLiteralSuffix() const { return literalSuffix_; }
  virtual std::string getLocalTypeName() const { return localTypeName_; }
  virtual std::string getName() const { return name_; }
  virtual SQLSMALLINT getNullable() const { return nullable_; }
  virtual SQLINTEGER getNumPrecRadix() const { return numPrecRadix_; }
  virtual SQLLEN getOctetLength() const { return octetLength_; }
  virtual SQLLEN* getOctetLengthPtr() const { return octetLengthPtr_; }
  virtual SQLSMALLINT getParameterType() const { return parameterType_; }
  virtual SQLSMALLINT getPrecision() const { return precision_; }
  virtual SQLSMALLINT getRowver() const { return rowver_; }
  virtual SQLSMALLINT getScale() const { return scale_; }
  virtual std::string getSchemaName() const { return schemaName_; }
  virtual SQLSMALLINT getSearchable() const { return searchable_; }
  virtual std::string getTableName() const { return tableName_; }
  virtual SQLSMALLINT getType() const { return type_; }
  virtual std::string getTypeName() const { return typeName_; }
  virtual SQLSMALLINT getUnnamed() const { return unnamed_; }
  virtual SQLSMALLINT getUnsigned() const { return unsigned_; }
  virtual SQLSMALLINT getUpdatable() const { return updatable_; }

  // The C type that SQL_C_DEFAULT stands for with a column of the SQL type (the connection's).
  virtual SQLSMALLINT defaultCType(SQLSMALLINT sqlType) const;
  // Bytes of the current value that SQLGetData has already returned.
  virtual void setNextByte(SQLULEN value) { nextByte_ = value; }
  virtual SQLULEN nextByte() const { return nextByte_; }
  virtual DescriptorType descriptorType() const { return descriptorType_; }
  virtual DiagnosticHeader& diagnostics() const { return diagnostics_; }

  // SQLDescribeCol's column size and decimal digits, chosen by TYPE; either output may be null.
  virtual SQLRETURN getColumnSizeAndDigits(SQLULEN* columnSize, SQLSMALLINT* decimalDigits) const;

 private:
  SQLRETURN refuse(const char* sqlState) const;
  SQLRETURN setNameField(SQLPOINTER value, SQLINTEGER bufferLength);
  template <typename Length>
  SQLRETURN copyOut(const std::string& text, SQLPOINTER buffer, SQLINTEGER bufferLength,
                    Length* stringLength) const;

  DescriptorType descriptorType_;
  Connection& connection_;
  DiagnosticHeader& diagnostics_;
  SQLULEN nextByte_ = 0;
  SQLINTEGER autoUniqueValue_ = 0;
  std::string baseColumnName_;
  std::string baseTableName_;
  SQLINTEGER caseSensitive_ = 0;
  std::string catalogName_;
  SQLSMALLINT conciseType_;
  SQLPOINTER dataPtr_ = nullptr;
  SQLSMALLINT datetimeIntervalCode_ = 0;
  SQLINTEGER datetimeIntervalPrecision_ = 0;
  SQLLEN displaySize_ = 255;
  SQLSMALLINT fixedPrecScale_ = 0;
  SQLLEN* indicatorPtr_ = nullptr;
  std::string label_;
  SQLULEN length_ = 255;
  std::string literalPrefix_;
  std::string literalSuffix_;
  std::string localTypeName_;
  std::string name_;
  SQLSMALLINT nullable_;
  SQLINTEGER numPrecRadix_ = 0;
  SQLLEN octetLength_ = 0;
  SQLLEN* octetLengthPtr_ = nullptr;
  SQLSMALLINT parameterType_ = 0;
  SQLSMALLINT precision_ = 0;
  SQLSMALLINT rowver_ = 0;
  SQLSMALLINT scale_ = 0;
  std::string schemaName_;
  SQLSMALLINT searchable_ = 0;
  std::string tableName_;
  SQLSMALLINT type_;
  std::string typeName_;
  SQLSMALLINT unnamed_ = 0;
  SQLSMALLINT unsigned_;
  SQLSMALLINT updatable_ = 0;
};
