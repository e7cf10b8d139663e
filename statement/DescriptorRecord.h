#pragma once
// One record of a descriptor: a bound column or parameter, or a described result column. It
// holds every SQL_DESC_* record field, applies the ODBC rules for setting and reading them per
// descriptor type, and keeps TYPE, CONCISE_TYPE and DATETIME_INTERVAL_CODE consistent.
//
// Refusals are posted on the owning descriptor's diagnostics with an empty message (the
// state's standard text), native error 0, column and row -1.
//
// In an implementation descriptor DATA_PTR, INDICATOR_PTR and OCTET_LENGTH_PTR are the driver's
// own per-row arrays (in the row descriptor: value text pointers, indicators, byte lengths), and
// the record owns them: the setters take memory from std::malloc, and the record releases it
// with std::free when a setter replaces it with another pointer, in freeDataBuffers and when the
// record goes. An application descriptor's pointers are the application's and are never freed.
#include <cstddef>
#include <string>

#include "platform/Odbc.h"
#include "statement/PiecewiseText.h"

class Connection;
class DescriptorRecord;
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

// Where a conversion reports: the diagnostics it posts into, with the column and row numbers
// they carry (-1 for none), and the application record that SQL_ARD_TYPE refers to (null when
// there is none); with the statement's SQL_ATTR_MAX_LENGTH (0: no limit).
struct ConversionSite {
  DiagnosticHeader& diagnostics;
  SQLINTEGER columnNumber;
  SQLLEN rowNumber;
  const DescriptorRecord* applicationRecord;
  SQLULEN maxLength = 0;
};

class DescriptorRecord {
 public:
  // The descriptor's type, connection and diagnostics; the descriptor outlives its records.
  DescriptorRecord(DescriptorType descriptorType, Connection& connection,
                   DiagnosticHeader& diagnostics, const std::string& name, SQLSMALLINT sqlType,
                   const std::string& typeName, SQLSMALLINT nullable, bool isUnsigned);
  // Releases the arrays of an implementation record.
  virtual ~DescriptorRecord();
  DescriptorRecord(const DescriptorRecord&) = delete;
  DescriptorRecord& operator=(const DescriptorRecord&) = delete;

  // Display size, precision, radix and case sensitivity that the concise type implies.
  virtual void applyTypeDefaults();

  // Whether the identifier names a field of a record (of any descriptor kind).
  static bool isRecordField(SQLSMALLINT fieldId);

  // SQLSetDescField for one record field. Integer values travel in the pointer itself; NAME is
  // `bufferLength` bytes of text, or up to its NUL for SQL_NTS. Setting any field but the three
  // pointers unbinds a record of an application descriptor, also when the field is refused.
  // Setting TYPE or CONCISE_TYPE (and DATETIME_INTERVAL_CODE under a date-time or interval
  // TYPE) gives the fields that go with the type their ODBC defaults: LENGTH 1 and PRECISION 0
  // for character types; PRECISION 10 and SCALE 0 for SQL_DECIMAL and SQL_NUMERIC; PRECISION 15
  // for SQL_FLOAT; PRECISION 6 for timestamps and 0 for dates and times; for intervals
  // DATETIME_INTERVAL_PRECISION 2 and, with seconds, PRECISION 6. The typed setters below set
  // only their own fields. Identifiers that name no record field answer "HY091".
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
  // DATA_PTR becomes null (an implementation record's array is released).
  virtual void unbind();
  // SQLCopyDesc for one record: every field of the source. The data, indicator and length
  // pointers come along only from one application descriptor to another: an implementation
  // record's are the driver's own arrays, and an application's must never be freed as such.
  virtual void copyFrom(const DescriptorRecord& source);
  // Releases the arrays of an implementation record; its three pointers become null.
  virtual void freeDataBuffers();

  // SQLGetData and the fetch: converts the value in row `implementationRow` of this
  // implementation record's arrays into the application's C type at `target`. SQL_ARD_TYPE
  // stands for the application record's CONCISE_TYPE and SQL_C_DEFAULT for the column's own
  // C type. Character and binary data come in pieces from `*piecePosition` (PiecewiseText.h);
  // a character or binary column's value longer than the site's maximum length is taken as
  // ending there, as ODBC has it: the length reported is the cut one and the cut is no "01004".
  // numbers, dates and times come as text whole or cut only in their fractional digits
  // (convertValueText); fixed-size types receive exactly their size whatever the buffer length.
  // A null target receives nothing: only the length and indicator are written (a column bound
  // for its length alone). The indicator location receives 0 or SQL_NULL_DATA and the length
  // location the length; they may be one. A NULL leaves the length alone and writes an empty
  // string into a SQL_C_CHAR buffer.
  //
  // `*piecePosition` (the record's nextByte for SQLGetData, 0 for each fetch) counts the bytes
  // of the value returned so far; it becomes the value's length + 1 once the value has been
  // returned whole, which every answer but a cut piece, a measuring call and an error does (a
  // fixed-size value, a NULL, the last piece), and the next call answers SQL_NO_DATA.
  //
  // Answers SQL_SUCCESS; SQL_SUCCESS_WITH_INFO with "01004" (a piece or a fraction was cut) or
  // "01S07" (a fraction or time dropped); SQL_NO_DATA once a value was returned whole;
  // SQL_ERROR with "HY090" (negative buffer length for character or binary data), "07009"
  // (SQL_ARD_TYPE without an application record), "07006" (a C type or a pairing that does not
  // convert), "22002" (a NULL without an indicator location), "22003" (a number out of the
  // target's range, or a number or date-time value whose whole part does not fit as text) or
  // "22018" (text that is no date or time), which leave the application's buffers alone. States
  // are posted at `site`.
  virtual SQLRETURN convertImpToAppValue(SQLULEN implementationRow, SQLSMALLINT cType,
                                         SQLPOINTER target, SQLLEN bufferLength, SQLLEN* lengthPtr,
                                         SQLLEN* indicatorPtr, SQLULEN* piecePosition,
                                         const ConversionSite& site);

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
  void setDisplaySize(SQLLEN value);
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

  virtual SQLINTEGER getAutoUniqueValue() const { return fields_.autoUniqueValue; }
  virtual std::string getBaseColumnName() const { return fields_.baseColumnName; }
  virtual std::string getBaseTableName() const { return fields_.baseTableName; }
  virtual SQLINTEGER getCaseSensitive() const { return fields_.caseSensitive; }
  virtual std::string getCatalogName() const { return fields_.catalogName; }
  virtual SQLSMALLINT getConciseType() const { return fields_.conciseType; }
  virtual SQLPOINTER getDataPtr() const { return fields_.dataPtr; }
  virtual SQLSMALLINT getDatetimeIntervalCode() const { return fields_.datetimeIntervalCode; }
  virtual SQLINTEGER getDatetimeIntervalPrecision() const {
    return fields_.datetimeIntervalPrecision;
  }
  virtual SQLLEN getDisplaySize() const { return fields_.displaySize; }
  virtual SQLSMALLINT getFixedPrecScale() const { return fields_.fixedPrecScale; }
  virtual SQLLEN* getIndicatorPtr() const { return fields_.indicatorPtr; }
  virtual std::string getLabel() const { return fields_.label; }
  virtual SQLULEN getLength() const { return fields_.length; }
  virtual std::string getLiteralPrefix() const { return fields_.literalPrefix; }
  virtual std::string getLiteralSuffix() const { return fields_.literalSuffix; }
  virtual std::string getLocalTypeName() const { return fields_.localTypeName; }
  virtual std::string getName() const { return fields_.name; }
  virtual SQLSMALLINT getNullable() const { return fields_.nullable; }
  virtual SQLINTEGER getNumPrecRadix() const { return fields_.numPrecRadix; }
  virtual SQLLEN getOctetLength() const { return fields_.octetLength; }
  virtual SQLLEN* getOctetLengthPtr() const { return fields_.octetLengthPtr; }
  virtual SQLSMALLINT getParameterType() const { return fields_.parameterType; }
  virtual SQLSMALLINT getPrecision() const { return fields_.precision; }
  virtual SQLSMALLINT getRowver() const { return fields_.rowver; }
  virtual SQLSMALLINT getScale() const { return fields_.scale; }
  virtual std::string getSchemaName() const { return fields_.schemaName; }
  virtual SQLSMALLINT getSearchable() const { return fields_.searchable; }
  virtual std::string getTableName() const { return fields_.tableName; }
  virtual SQLSMALLINT getType() const { return fields_.type; }
  virtual std::string getTypeName() const { return fields_.typeName; }
  virtual SQLSMALLINT getUnnamed() const { return fields_.unnamed; }
  virtual SQLSMALLINT getUnsigned() const { return fields_.unsignedAttribute; }
  virtual SQLSMALLINT getUpdatable() const { return fields_.updatable; }

  // The C type that SQL_C_DEFAULT stands for with a column of the SQL type (the connection's).
  virtual SQLSMALLINT defaultCType(SQLSMALLINT sqlType) const;
  // Bytes of the current value that SQLGetData has already returned. Set for every column of
  // every row fetched and read by every SQLGetData, so not virtual.
  void setNextByte(SQLULEN value) { nextByte_ = value; }
  SQLULEN nextByte() const { return nextByte_; }
  virtual DescriptorType descriptorType() const { return descriptorType_; }
  virtual DiagnosticHeader& diagnostics() const { return diagnostics_; }

  // SQLDescribeCol's column size and decimal digits, chosen by TYPE; either output may be null.
  virtual SQLRETURN getColumnSizeAndDigits(SQLULEN* columnSize, SQLSMALLINT* decimalDigits) const;

 private:
  SQLRETURN refuse(const char* sqlState) const;
  // The ODBC defaults that setting TYPE or CONCISE_TYPE brings (setField).
  void applySetTypeDefaults();
  SQLRETURN setNameField(SQLPOINTER value, SQLINTEGER bufferLength);
  void traceLine(const std::string& line) const;
  bool ownsPointers() const;
  // Stores a pointer field, freeing the array it replaces when the record owns it.
  template <typename Pointer>
  void replacePointer(Pointer& field, Pointer value);
  // The conversion's trace lines; the piece ran from startPosition to position.
  void traceConversion(SQLSMALLINT cType, const char* text, std::size_t length, SQLPOINTER target,
                       SQLLEN bufferLength, SQLULEN startPosition, SQLULEN position,
                       const std::string& fixedValue) const;

  // The SQL_DESC_* fields, in a block of their own so that SQLCopyDesc copies them whole.
  struct Fields {
    SQLINTEGER autoUniqueValue = 0;
    std::string baseColumnName;
    std::string baseTableName;
    SQLINTEGER caseSensitive = 0;
    std::string catalogName;
    SQLSMALLINT conciseType = 0;
    SQLPOINTER dataPtr = nullptr;
    SQLSMALLINT datetimeIntervalCode = 0;
    SQLINTEGER datetimeIntervalPrecision = 0;
    SQLLEN displaySize = 255;
    SQLSMALLINT fixedPrecScale = 0;
    SQLLEN* indicatorPtr = nullptr;
    std::string label;
    SQLULEN length = 255;
    std::string literalPrefix;
    std::string literalSuffix;
    std::string localTypeName;
    std::string name;
    SQLSMALLINT nullable = SQL_NULLABLE_UNKNOWN;
    SQLINTEGER numPrecRadix = 0;
    SQLLEN octetLength = 0;
    SQLLEN* octetLengthPtr = nullptr;
    SQLSMALLINT parameterType = 0;
    SQLSMALLINT precision = 0;
    SQLSMALLINT rowver = 0;
    SQLSMALLINT scale = 0;
    std::string schemaName;
    SQLSMALLINT searchable = 0;
    std::string tableName;
    SQLSMALLINT type = 0;
    std::string typeName;
    SQLSMALLINT unnamed = 0;
    SQLSMALLINT unsignedAttribute = SQL_FALSE;
    SQLSMALLINT updatable = 0;
  };

  DescriptorType descriptorType_;
  Connection& connection_;
  DiagnosticHeader& diagnostics_;
  SQLULEN nextByte_ = 0;
  Fields fields_;
  PieceRemainder pieceRemainder_;
};
