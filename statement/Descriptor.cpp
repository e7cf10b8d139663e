#include "statement/Descriptor.h"

#include <cstring>

#include "core/AppBuffer.h"
#include "core/Connection.h"
#include "core/TraceWriter.h"
#include "statement/CTypeTable.h"

namespace {

SQLRETURN worseOf(SQLRETURN a, SQLRETURN b) {
  if (a == SQL_ERROR || b == SQL_ERROR) return SQL_ERROR;
  if (a == SQL_SUCCESS_WITH_INFO || b == SQL_SUCCESS_WITH_INFO) return SQL_SUCCESS_WITH_INFO;
  return SQL_SUCCESS;
}

}  // namespace

Descriptor::Descriptor(Connection* owner, DescriptorType type)
    : ConnectionChild(type == DescriptorType::explicitlyAllocated ? owner : nullptr),
      owner_(owner),
      diagnostics_(owner->environment()),
      type_(type),
      allocType_(type == DescriptorType::explicitlyAllocated ? SQL_DESC_ALLOC_USER
                                                             : SQL_DESC_ALLOC_AUTO) {
  setCount(0);
}

Descriptor::~Descriptor() {
  if (type_ == DescriptorType::explicitlyAllocated) announceDescriptorFreed(this);
}

bool Descriptor::isTracing() const { return owner_->isTracing(); }

TraceWriter& Descriptor::traceStream() const { return owner_->traceStream(); }

Connection* Descriptor::getConnection() const { return owner_; }

DiagnosticHeader& Descriptor::diagnostics() { return diagnostics_; }

SQLRETURN Descriptor::getDiagRec(SQLSMALLINT recordNumber, char* sqlState, SQLINTEGER* nativeError,
                                 char* messageText, SQLSMALLINT bufferLength,
                                 SQLSMALLINT* textLength) {
  return owner_->getDiagRecOf(diagnostics_, recordNumber, sqlState, nativeError, messageText,
                              bufferLength, textLength);
}

SQLRETURN Descriptor::getDiagField(SQLSMALLINT recordNumber, SQLSMALLINT identifier,
                                   SQLPOINTER value, SQLSMALLINT bufferLength,
                                   SQLSMALLINT* stringLength) {
  return owner_->getDiagFieldOf(diagnostics_, recordNumber, identifier, value, bufferLength,
                                stringLength);
}

SQLRETURN Descriptor::refuse(const char* sqlState) {
  diagnostics_.post(sqlState, 0, "", -1, -1);
  return SQL_ERROR;
}

SQLRETURN Descriptor::setField(SQLSMALLINT recordNumber, SQLSMALLINT fieldId, SQLPOINTER value,
                               SQLINTEGER bufferLength) {
  diagnostics_.clear();
  // The row implementation descriptor describes the server's result; the application sets only
  // where the fetch reports to.
  if (type_ == DescriptorType::implementationRow && fieldId != SQL_DESC_ARRAY_STATUS_PTR &&
      fieldId != SQL_DESC_ROWS_PROCESSED_PTR) {
    return refuse("HY016");
  }
  switch (fieldId) {
    case SQL_DESC_ARRAY_SIZE:
      if (isImplementation()) return refuse("HY091");
      return setArraySize(reinterpret_cast<SQLULEN>(value));
    case SQL_DESC_ARRAY_STATUS_PTR:
      return setArrayStatusPtr(static_cast<SQLUSMALLINT*>(value));
    case SQL_DESC_BIND_OFFSET_PTR:
      if (isImplementation()) return refuse("HY091");
      return setBindOffsetPtr(static_cast<SQLLEN*>(value));
    case SQL_DESC_BIND_TYPE:
      if (isImplementation()) return refuse("HY091");
      return setBindType(static_cast<SQLINTEGER>(reinterpret_cast<SQLLEN>(value)));
    case SQL_DESC_ROWS_PROCESSED_PTR:
      if (isStatementApplication()) return refuse("HY091");
      return setRowsProcessedPtr(static_cast<SQLULEN*>(value));
    case SQL_DESC_COUNT: {
      const auto count = reinterpret_cast<SQLLEN>(value);
      if (count < 0 || count > maximumCount) return refuse("07009");
      return setCount(static_cast<SQLSMALLINT>(count));
    }
    case SQL_DESC_ALLOC_TYPE:
      return refuse("HY091");
    default:
      // Refused before the record number raises the count.
      if (!DescriptorRecord::isRecordField(fieldId)) return refuse("HY091");
      break;
  }
  DescriptorRecord* record = recordToSet(recordNumber);
  if (record == nullptr) return SQL_ERROR;
  return record->setField(fieldId, value, bufferLength);
}

DescriptorRecord* Descriptor::recordToSet(SQLSMALLINT recordNumber) {
  if (!isRecordNumber(recordNumber)) {
    refuse("07009");
    return nullptr;
  }
  if (recordNumber > getCount()) setCount(recordNumber);
  return getRecord(recordNumber);
}

bool Descriptor::isRecordNumber(SQLSMALLINT recordNumber) const {
  // A parameter has no bookmark.
  return recordNumber > 0 ||
         (recordNumber == 0 && type_ != DescriptorType::implementationParameter);
}

SQLRETURN Descriptor::recordToRead(SQLSMALLINT recordNumber, DescriptorRecord*& record) {
  record = nullptr;
  if (!isRecordNumber(recordNumber)) return refuse("07009");
  // Past the last record: applications walk the records until this answer.
  if (recordNumber > getCount()) return SQL_NO_DATA;
  record = getRecord(recordNumber);
  return SQL_SUCCESS;
}

SQLRETURN Descriptor::getField(SQLSMALLINT recordNumber, SQLSMALLINT fieldId, SQLPOINTER value,
                               SQLINTEGER bufferLength, SQLINTEGER* stringLength) {
  diagnostics_.clear();
  switch (fieldId) {
    case SQL_DESC_ARRAY_SIZE:
      if (isImplementation()) return refuse("HY091");
      storeAppValue(value, arraySize_);
      return SQL_SUCCESS;
    case SQL_DESC_ARRAY_STATUS_PTR:
      storeAppValue(value, arrayStatusPtr_);
      return SQL_SUCCESS;
    case SQL_DESC_BIND_OFFSET_PTR:
      if (isImplementation()) return refuse("HY091");
      storeAppValue(value, bindOffsetPtr_);
      return SQL_SUCCESS;
    case SQL_DESC_BIND_TYPE:
      if (isImplementation()) return refuse("HY091");
      storeAppValue(value, bindType_);
      return SQL_SUCCESS;
    case SQL_DESC_ROWS_PROCESSED_PTR:
      if (isStatementApplication()) return refuse("HY091");
      storeAppValue(value, rowsProcessedPtr_);
      return SQL_SUCCESS;
    case SQL_DESC_COUNT:
      storeAppValue(value, getCount());
      return SQL_SUCCESS;
    case SQL_DESC_ALLOC_TYPE:
      storeAppValue(value, allocType_);
      return SQL_SUCCESS;
    default:
      // An unknown field is refused whether or not the record exists.
      if (!DescriptorRecord::isRecordField(fieldId)) return refuse("HY091");
      break;
  }
  DescriptorRecord* record = nullptr;
  const SQLRETURN found = recordToRead(recordNumber, record);
  if (record == nullptr) return found;
  return record->getField(fieldId, value, bufferLength, stringLength);
}

SQLRETURN Descriptor::setDescRec(SQLSMALLINT recordNumber, SQLSMALLINT type, SQLSMALLINT subType,
                                 SQLLEN length, SQLSMALLINT precision, SQLSMALLINT scale,
                                 SQLPOINTER dataPtr, SQLLEN* stringLengthPtr,
                                 SQLLEN* indicatorPtr) {
  diagnostics_.clear();
  if (type_ == DescriptorType::implementationRow) return refuse("HY016");
  DescriptorRecord* record = recordToSet(recordNumber);
  if (record == nullptr) return SQL_ERROR;
  return record->setDescRec(type, subType, length, precision, scale, dataPtr, stringLengthPtr,
                            indicatorPtr);
}

SQLRETURN Descriptor::getDescRec(SQLSMALLINT recordNumber, SQLCHAR* name, SQLSMALLINT bufferLength,
                                 SQLSMALLINT* stringLength, SQLSMALLINT* type, SQLSMALLINT* subType,
                                 SQLLEN* length, SQLSMALLINT* precision, SQLSMALLINT* scale,
                                 SQLSMALLINT* nullable) {
  diagnostics_.clear();
  DescriptorRecord* record = nullptr;
  const SQLRETURN found = recordToRead(recordNumber, record);
  if (record == nullptr) return found;
  return record->getDescRec(name, bufferLength, stringLength, type, subType, length, precision,
                            scale, nullable);
}

SQLRETURN Descriptor::copy(const Descriptor& source) {
  diagnostics_.clear();
  if (type_ == DescriptorType::implementationRow) return refuse("HY016");
  if (source.type_ == DescriptorType::implementationRow && source.getCount() == 0) {
    return refuse("HY007");
  }
  if (&source == this) return SQL_SUCCESS;
  arraySize_ = source.arraySize_;
  arrayStatusPtr_ = source.arrayStatusPtr_;
  bindOffsetPtr_ = source.bindOffsetPtr_;
  bindType_ = source.bindType_;
  rowsProcessedPtr_ = source.rowsProcessedPtr_;
  records_.clear();
  records_.reserve(source.records_.size());
  for (const std::unique_ptr<DescriptorRecord>& from : source.records_) {
    records_.push_back(makeRecord("", SQL_VARCHAR, "", SQL_NULLABLE_UNKNOWN, false));
    records_.back()->copyFrom(*from);
  }
  return SQL_SUCCESS;
}

std::unique_ptr<DescriptorRecord> Descriptor::makeRecord(const std::string& name,
                                                         SQLSMALLINT sqlType,
                                                         const std::string& typeName,
                                                         SQLSMALLINT nullable, bool isUnsigned) {
  return std::make_unique<DescriptorRecord>(type_, *owner_, diagnostics_, name, sqlType, typeName,
                                            nullable, isUnsigned);
}

DescriptorRecord* Descriptor::addRecordWithTypeName(const std::string& name, SQLSMALLINT sqlType,
                                                    const std::string& typeName,
                                                    SQLSMALLINT nullable, bool isUnsigned) {
  if (getCount() == maximumCount) return nullptr;
  records_.push_back(makeRecord(name, sqlType, typeName, nullable, isUnsigned));
  return records_.back().get();
}

DescriptorRecord* Descriptor::addRecord(const std::string& name, SQLSMALLINT sqlType,
                                        SQLSMALLINT nullable, bool isUnsigned) {
  return addRecordWithTypeName(name, sqlType, "", nullable, isUnsigned);
}

SQLRETURN Descriptor::setArraySize(SQLULEN value) {
  // A fetch of no rows, or an execution of no parameter sets, would report success for nothing.
  if (value == 0) return refuse("HY024");
  arraySize_ = value;
  return SQL_SUCCESS;
}

SQLRETURN Descriptor::setArrayStatusPtr(SQLUSMALLINT* value) {
  arrayStatusPtr_ = value;
  return SQL_SUCCESS;
}

SQLRETURN Descriptor::setBindOffsetPtr(SQLLEN* value) {
  bindOffsetPtr_ = value;
  return SQL_SUCCESS;
}

SQLRETURN Descriptor::setBindType(SQLINTEGER value) {
  bindType_ = value;
  return SQL_SUCCESS;
}

SQLRETURN Descriptor::setCount(SQLSMALLINT count) {
  if (count < 0) return refuse("07009");
  const std::size_t wanted = static_cast<std::size_t>(count) + 1;
  if (isTracing()) {
    traceStream().writeLine("// changing size from " + std::to_string(records_.size()) + " to " +
                            std::to_string(wanted));
  }
  if (wanted < records_.size()) records_.resize(wanted);
  while (records_.size() < wanted) {
    records_.push_back(makeRecord("", SQL_VARCHAR, "", SQL_NULLABLE_UNKNOWN, false));
  }
  return SQL_SUCCESS;
}

SQLRETURN Descriptor::setRowsProcessedPtr(SQLULEN* value) {
  rowsProcessedPtr_ = value;
  return SQL_SUCCESS;
}

SQLSMALLINT Descriptor::getAllocType() const { return allocType_; }

SQLULEN Descriptor::getArraySize() const { return arraySize_; }

SQLUSMALLINT* Descriptor::getArrayStatusPtr() const { return arrayStatusPtr_; }

SQLLEN* Descriptor::getBindOffsetPtr() const { return bindOffsetPtr_; }

SQLINTEGER Descriptor::getBindType() const { return bindType_; }

SQLULEN* Descriptor::getRowsProcessedPtr() const { return rowsProcessedPtr_; }

SQLLEN Descriptor::bindOffset() const { return bindOffsetPtr_ != nullptr ? *bindOffsetPtr_ : 0; }

char* Descriptor::element(void* base, SQLULEN elementSize, SQLULEN rowIndex) const {
  // BIND_TYPE is the size of the application's row structure.
  const SQLULEN stride =
      bindType_ != SQL_BIND_BY_COLUMN ? static_cast<SQLUINTEGER>(bindType_) : elementSize;
  return static_cast<char*>(base) + bindOffset() + static_cast<SQLLEN>(rowIndex * stride);
}

SQLPOINTER Descriptor::elementAddress(SQLPOINTER base, SQLSMALLINT cType, SQLULEN rowIndex,
                                      SQLLEN bufferLength) const {
  if (base == nullptr) return nullptr;
  return element(base, static_cast<SQLULEN>(cTypeElementSize(cType, bufferLength)), rowIndex);
}

SQLLEN* Descriptor::lengthElementAddress(SQLLEN* base, SQLULEN rowIndex) const {
  if (base == nullptr) return nullptr;
  return reinterpret_cast<SQLLEN*>(element(base, sizeof(SQLLEN), rowIndex));
}

void Descriptor::findBoundRecords(SQLUINTEGER retrieveData, std::vector<BoundRecord>& bound) const {
  bound.clear();
  for (std::size_t number = 0; number < records_.size(); ++number) {
    const DescriptorRecord& record = *records_[number];
    // A column bound with only a length or indicator word still receives them.
    const bool isBound = record.getDataPtr() != nullptr || record.getIndicatorPtr() != nullptr ||
                         record.getOctetLengthPtr() != nullptr;
    if (!isBound || (number != 0 && retrieveData != SQL_RD_ON)) continue;
    const SQLSMALLINT cType = record.getConciseType();
    const SQLLEN bufferLength = record.getOctetLength();
    bound.push_back({static_cast<SQLSMALLINT>(number), &record, cType, bufferLength,
                     cType == SQL_C_DEFAULT
                         ? 0
                         : static_cast<SQLULEN>(cTypeElementSize(cType, bufferLength)),
                     record.getDataPtr(), record.getOctetLengthPtr(), record.getIndicatorPtr()});
  }
}

SQLRETURN Descriptor::convertBoundRow(SQLULEN rowIndex, const std::vector<BoundRecord>& bound,
                                      Descriptor& implementation, SQLULEN implementationRow,
                                      SQLULEN maxLength, DiagnosticHeader& diagnostics) {
  // A row read by SQLGetData alone has nothing to convert here.
  if (bound.empty()) return SQL_SUCCESS;
  SQLRETURN result = SQL_SUCCESS;
  const auto rowNumber = static_cast<SQLLEN>(rowIndex + 1);
  const bool tracing = isTracing();
  for (const BoundRecord& record : bound) {
    DescriptorRecord* column = implementation.getRecord(record.number);
    if (column == nullptr) {
      diagnostics.post("07009", 0, "", record.number, rowNumber);
      result = SQL_ERROR;
      continue;
    }
    SQLSMALLINT cType = record.cType;
    SQLULEN dataElementSize = record.dataElementSize;
    if (cType == SQL_C_DEFAULT) {
      cType = column->defaultCType(column->getConciseType());
      dataElementSize = static_cast<SQLULEN>(cTypeElementSize(cType, record.bufferLength));
    }
    SQLPOINTER data =
        record.data != nullptr ? element(record.data, dataElementSize, rowIndex) : nullptr;
    if (tracing) {
      traceStream().writeLine("// ---> converting imp column: " + std::to_string(record.number));
    }
    SQLULEN piecePosition = 0;
    const ConversionSite site{diagnostics, record.number, rowNumber, record.record, maxLength};
    const SQLRETURN rc = column->convertImpToAppValue(
        implementationRow, cType, data, record.bufferLength,
        lengthElementAddress(record.lengths, rowIndex),
        lengthElementAddress(record.indicators, rowIndex), &piecePosition, site);
    result = worseOf(result, rc);
  }
  return result;
}

void Descriptor::freeDataBuffers() {
  if (!isImplementation()) return;
  for (const std::unique_ptr<DescriptorRecord>& record : records_) record->freeDataBuffers();
}

void Descriptor::resetNextBytes() {
  for (const std::unique_ptr<DescriptorRecord>& record : records_) record->setNextByte(0);
}

void Descriptor::clearRecords() { setCount(0); }

bool Descriptor::isStatementApplication() const {
  return type_ == DescriptorType::applicationParameter || type_ == DescriptorType::applicationRow;
}

bool Descriptor::isImplementation() const {
  return type_ == DescriptorType::implementationParameter ||
         type_ == DescriptorType::implementationRow;
}

DescriptorType Descriptor::getType() const { return type_; }

SQLRETURN Descriptor::setDataPtr(SQLSMALLINT recordNumber, SQLPOINTER value) {
  DescriptorRecord* record = getRecord(recordNumber);
  if (record == nullptr) return refuse("07009");
  record->setDataPtr(value);
  return SQL_SUCCESS;
}

SQLRETURN Descriptor::setIndicatorPtr(SQLSMALLINT recordNumber, SQLLEN* value) {
  DescriptorRecord* record = getRecord(recordNumber);
  if (record == nullptr) return refuse("07009");
  record->setIndicatorPtr(value);
  return SQL_SUCCESS;
}

SQLRETURN Descriptor::setOctetLengthPtr(SQLSMALLINT recordNumber, SQLLEN* value) {
  DescriptorRecord* record = getRecord(recordNumber);
  if (record == nullptr) return refuse("07009");
  record->setOctetLengthPtr(value);
  return SQL_SUCCESS;
}
