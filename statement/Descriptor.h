#pragma once
// The descriptor handle object: the header fields and the records of one descriptor, either
// one that the application allocated or one of the four that belong to a statement (its
// application and implementation descriptors for parameters and for rows).
//
// Record 0 is the bookmark record and always exists; records 1 to SQL_DESC_COUNT follow it
// without gaps. Refusals post their state on the descriptor's diagnostics with an empty message
// (the state's standard text), native error 0, column and row -1, and answer SQL_ERROR.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "core/ConnectionChild.h"
#include "core/DiagnosticHeader.h"
#include "platform/Odbc.h"
#include "statement/DescriptorRecord.h"

class Connection;
class TraceWriter;

class Descriptor : public ConnectionChild {
 public:
  // The most records after the bookmark record: COUNT is a SQLSMALLINT.
  static constexpr SQLSMALLINT maximumCount = 32767;

  // An explicitly allocated descriptor registers with its connection, which frees it when the
  // application does not; a statement's own descriptors belong to the statement.
  Descriptor(Connection* owner, DescriptorType type);
  ~Descriptor() override;

  virtual bool isTracing() const;
  // The connection's trace; callers test isTracing() first.
  virtual TraceWriter& traceStream() const;
  virtual Connection* getConnection() const;
  virtual DiagnosticHeader& diagnostics();
  // SQLGetDiagRec, with the connection's DBMS name in the message prefix.
  virtual SQLRETURN getDiagRec(SQLSMALLINT recordNumber, char* sqlState, SQLINTEGER* nativeError,
                               char* messageText, SQLSMALLINT bufferLength,
                               SQLSMALLINT* textLength);
  // SQLGetDiagField; SQL_DIAG_CONNECTION_NAME and SQL_DIAG_SERVER_NAME are the connection's
  // data source name.
  virtual SQLRETURN getDiagField(SQLSMALLINT recordNumber, SQLSMALLINT identifier, SQLPOINTER value,
                                 SQLSMALLINT bufferLength, SQLSMALLINT* stringLength);

  // SQLSetDescField. On the row implementation descriptor only ARRAY_STATUS_PTR and
  // ROWS_PROCESSED_PTR are set; every other field answers "HY016". Header fields ignore the
  // record number; ARRAY_SIZE, BIND_OFFSET_PTR and BIND_TYPE are refused ("HY091") on the
  // parameter implementation descriptor, ROWS_PROCESSED_PTR on the statement's application
  // descriptors and ALLOC_TYPE everywhere; a COUNT below 0 or above 32767 answers "07009". A
  // record field of a record above COUNT raises COUNT to it first; a record number below 0, or 0
  // on the parameter implementation descriptor (a parameter has no bookmark), answers "07009".
  // Record fields follow DescriptorRecord::setField.
  virtual SQLRETURN setField(SQLSMALLINT recordNumber, SQLSMALLINT fieldId, SQLPOINTER value,
                             SQLINTEGER bufferLength);
  // SQLGetDescField: header fields with their ODBC width (the length is not written), refused
  // as for setField except COUNT and ALLOC_TYPE, which every kind answers. A record field of a
  // record above COUNT answers SQL_NO_DATA; record numbers that setField refuses answer "07009".
  virtual SQLRETURN getField(SQLSMALLINT recordNumber, SQLSMALLINT fieldId, SQLPOINTER value,
                             SQLINTEGER bufferLength, SQLINTEGER* stringLength);
  // SQLSetDescRec: the record number is taken as setField takes it, so that an application
  // can bind a column of a new descriptor through it ("HY016" on the row implementation
  // descriptor). SQLGetDescRec: the record numbers as getField takes them.
  virtual SQLRETURN setDescRec(SQLSMALLINT recordNumber, SQLSMALLINT type, SQLSMALLINT subType,
                               SQLLEN length, SQLSMALLINT precision, SQLSMALLINT scale,
                               SQLPOINTER dataPtr, SQLLEN* stringLengthPtr, SQLLEN* indicatorPtr);
  virtual SQLRETURN getDescRec(SQLSMALLINT recordNumber, SQLCHAR* name, SQLSMALLINT bufferLength,
                               SQLSMALLINT* stringLength, SQLSMALLINT* type, SQLSMALLINT* subType,
                               SQLLEN* length, SQLSMALLINT* precision, SQLSMALLINT* scale,
                               SQLSMALLINT* nullable);
  // The record of that number; null when there is none. Inline: every SQLGetData and every
  // converted cell asks for one.
  DescriptorRecord* getRecord(SQLSMALLINT recordNumber) const {
    if (recordNumber < 0 || static_cast<std::size_t>(recordNumber) >= records_.size()) {
      return nullptr;
    }
    return records_[static_cast<std::size_t>(recordNumber)].get();
  }

  // SQLCopyDesc into this descriptor: the header fields but ALLOC_TYPE and every record with
  // all its fields replace this descriptor's own. Pointers to data, lengths and indicators pass
  // only between application descriptors (DescriptorRecord::copyFrom). The row implementation
  // descriptor is no target ("HY016"); as a source it must describe a result ("HY007" while it
  // has no columns).
  virtual SQLRETURN copy(const Descriptor& source);

  // A new record behind the last one, describing a result column; the type name is "" for
  // addRecord. Null, and nothing added, once COUNT is maximumCount: a result of more columns
  // than SQLSMALLINT counts cannot be described, and the caller refuses the query.
  virtual DescriptorRecord* addRecordWithTypeName(const std::string& name, SQLSMALLINT sqlType,
                                                  const std::string& typeName, SQLSMALLINT nullable,
                                                  bool isUnsigned);
  virtual DescriptorRecord* addRecord(const std::string& name, SQLSMALLINT sqlType,
                                      SQLSMALLINT nullable, bool isUnsigned);

  // 0 answers "HY024" and changes nothing.
  virtual SQLRETURN setArraySize(SQLULEN value);
  virtual SQLRETURN setArrayStatusPtr(SQLUSMALLINT* value);
  virtual SQLRETURN setBindOffsetPtr(SQLLEN* value);
  virtual SQLRETURN setBindType(SQLINTEGER value);
  // Keeps records 0 to count and deletes the rest, or adds records (SQL_VARCHAR, nullability
  // unknown) up to count; a count below 0 answers "07009".
  virtual SQLRETURN setCount(SQLSMALLINT count);
  virtual SQLRETURN setRowsProcessedPtr(SQLULEN* value);
  virtual SQLSMALLINT getAllocType() const;
  virtual SQLULEN getArraySize() const;
  virtual SQLUSMALLINT* getArrayStatusPtr() const;
  virtual SQLLEN* getBindOffsetPtr() const;
  virtual SQLINTEGER getBindType() const;
  SQLSMALLINT getCount() const { return static_cast<SQLSMALLINT>(records_.size() - 1); }
  virtual SQLULEN* getRowsProcessedPtr() const;

  // Address of element rowIndex of a bound buffer that starts at `base`, the bind offset
  // included: row-wise binding steps by BIND_TYPE, column-wise binding by the element size of
  // the C type (cTypeElementSize; resolve SQL_C_DEFAULT first). A null base stays null.
  virtual SQLPOINTER elementAddress(SQLPOINTER base, SQLSMALLINT cType, SQLULEN rowIndex,
                                    SQLLEN bufferLength) const;
  // The same for a bound length or indicator array, whose column-wise elements are SQLLEN.
  virtual SQLLEN* lengthElementAddress(SQLLEN* base, SQLULEN rowIndex) const;
  // A bound record of the application row descriptor as the fetch converts it, found once for all
  // rows of a rowset: nothing of it changes from row to row while the application waits for the
  // fetch.
  struct BoundRecord {
    SQLSMALLINT number;
    const DescriptorRecord* record;
    SQLSMALLINT cType;        // as bound: SQL_C_DEFAULT takes each row's column type
    SQLLEN bufferLength;      // OCTET_LENGTH
    SQLULEN dataElementSize;  // for a cType other than SQL_C_DEFAULT
    SQLPOINTER data;
    SQLLEN* lengths;
    SQLLEN* indicators;
  };
  // Into `bound`, in record order, the records a fetch converts: those with a data, length or
  // indicator pointer, the bookmark record always and the others only when retrieveData is
  // SQL_RD_ON.
  void findBoundRecords(SQLUINTEGER retrieveData, std::vector<BoundRecord>& bound) const;
  // The fetch of one rowset row, called on the application row descriptor: each record of
  // `bound` converts row `implementationRow` of the implementation record of the same number
  // into element rowIndex of its buffers, with OCTET_LENGTH as the buffer length and maxLength as
  // the statement's SQL_ATTR_MAX_LENGTH. What the conversions report is posted on `diagnostics`
  // with the record number and rowIndex + 1; the answer is SQL_ERROR when a conversion failed (a
  // bound column the result lacks fails with "07009"), SQL_SUCCESS_WITH_INFO when one warned,
  // else SQL_SUCCESS.
  SQLRETURN convertBoundRow(SQLULEN rowIndex, const std::vector<BoundRecord>& bound,
                            Descriptor& implementation, SQLULEN implementationRow,
                            SQLULEN maxLength, DiagnosticHeader& diagnostics);
  // Releases the driver's arrays of an implementation descriptor's records; nothing for an
  // application descriptor.
  virtual void freeDataBuffers();
  // Piecewise reading starts again at the beginning of every column's value.
  virtual void resetNextBytes();
  // Only the bookmark record remains.
  virtual void clearRecords();
  virtual bool isImplementation() const;
  virtual DescriptorType getType() const;
  // The record's pointer setters ("07009" when the record does not exist).
  virtual SQLRETURN setDataPtr(SQLSMALLINT recordNumber, SQLPOINTER value);
  virtual SQLRETURN setIndicatorPtr(SQLSMALLINT recordNumber, SQLLEN* value);
  virtual SQLRETURN setOctetLengthPtr(SQLSMALLINT recordNumber, SQLLEN* value);

 private:
  SQLRETURN refuse(const char* sqlState);
  // The record that a set of a record field addresses, COUNT raised to it first; null after
  // "07009" for a number that names no record.
  DescriptorRecord* recordToSet(SQLSMALLINT recordNumber);
  // Whether the number can name a record of this descriptor.
  bool isRecordNumber(SQLSMALLINT recordNumber) const;
  // The record a read addresses; null with "07009" posted (SQL_ERROR) for a number that names
  // no record, or with SQL_NO_DATA past COUNT.
  SQLRETURN recordToRead(SQLSMALLINT recordNumber, DescriptorRecord*& record);
  // The application descriptors a statement made itself, which process no rows of their own.
  bool isStatementApplication() const;
  std::unique_ptr<DescriptorRecord> makeRecord(const std::string& name, SQLSMALLINT sqlType,
                                               const std::string& typeName, SQLSMALLINT nullable,
                                               bool isUnsigned);
  SQLLEN bindOffset() const;
  // Element rowIndex of a bound array whose column-wise elements take elementSize bytes.
  char* element(void* base, SQLULEN elementSize, SQLULEN rowIndex) const;

  Connection* owner_;
  DiagnosticHeader diagnostics_;
  std::vector<std::unique_ptr<DescriptorRecord>> records_;
  DescriptorType type_;
  SQLSMALLINT allocType_;
  SQLULEN arraySize_ = 1;
  SQLUSMALLINT* arrayStatusPtr_ = nullptr;
  SQLLEN* bindOffsetPtr_ = nullptr;
  SQLINTEGER bindType_ = SQL_BIND_BY_COLUMN;
  SQLULEN* rowsProcessedPtr_ = nullptr;
};
