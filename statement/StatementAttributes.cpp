// Statement attributes: the routing of SQLSetStmtAttr and SQLGetStmtAttr, the per-attribute
// setters and getters, and the cursor negotiation against what the connection reports.
#include <cstdint>

#include "core/AppBuffer.h"
#include "core/Connection.h"
#include "statement/Descriptor.h"
#include "statement/Statement.h"

namespace {

// SQL_SCROLL_OPTIONS bits.
constexpr SQLUINTEGER scrollKeyset = SQL_SO_KEYSET_DRIVEN;
constexpr SQLUINTEGER scrollDynamic = SQL_SO_DYNAMIC;
constexpr SQLUINTEGER scrollMixed = SQL_SO_MIXED;
constexpr SQLUINTEGER scrollStatic = SQL_SO_STATIC;

SQLUINTEGER low32(SQLPOINTER value) {
  return static_cast<SQLUINTEGER>(reinterpret_cast<std::uintptr_t>(value));
}

SQLULEN whole(SQLPOINTER value) {
  return static_cast<SQLULEN>(reinterpret_cast<std::uintptr_t>(value));
}

// The setters that change the cursor's kind act only on a closed statement: the state they
// refuse in others, null when closed.
const char* kindChangeRefusal(SQLUINTEGER state) {
  if (state == Statement::stateClosed) return nullptr;
  return state == Statement::stateFetched ? "24000" : "HY011";
}

// Brings a value within the limits (0 is no limit); true when it changed.
template <typename Value>
bool clamp(Value& value, Value lower, Value upper) {
  if (lower > 0 && value > 0 && value < lower) {
    value = lower;
    return true;
  }
  if (upper > 0 && value > 0 && value > upper) {
    value = upper;
    return true;
  }
  return false;
}

// Whether the value is one ODBC defines for an attribute that takes one of a few: any other would
// be stored and acted on as something it is not.
bool isDefinedValue(SQLINTEGER attribute, SQLULEN value) {
  switch (attribute) {
    case SQL_ATTR_CURSOR_SENSITIVITY:
      return value <= SQL_SENSITIVE;
    case SQL_ATTR_CURSOR_TYPE:
      return value <= SQL_CURSOR_STATIC;
    case SQL_ATTR_CONCURRENCY:
      return value >= SQL_CONCUR_READ_ONLY && value <= SQL_CONCUR_VALUES;
    case SQL_ATTR_SIMULATE_CURSOR:
      return value <= SQL_SC_UNIQUE;
    case SQL_ATTR_USE_BOOKMARKS:
      return value <= SQL_UB_VARIABLE;
    case SQL_ATTR_CURSOR_SCROLLABLE:
    case SQL_ATTR_NOSCAN:
    case SQL_ATTR_ASYNC_ENABLE:
    case SQL_ATTR_RETRIEVE_DATA:
    case SQL_ATTR_ENABLE_AUTO_IPD:
    case SQL_ATTR_METADATA_ID:
      return value <= 1;
    default:
      return true;
  }
}

}  // namespace

SQLRETURN Statement::setStmtAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  diagnostics_.clear();
  if (!isDefinedValue(attribute, whole(value))) return post("HY024");
  switch (attribute) {
    case SQL_ATTR_CURSOR_SENSITIVITY:
      return setCursorSensitivity(low32(value));
    case SQL_ATTR_CURSOR_SCROLLABLE:
      return setCursorScrollable(low32(value));
    case SQL_ATTR_QUERY_TIMEOUT:
      return setQueryTimeout(low32(value));
    case SQL_ATTR_MAX_ROWS:
      return setMaxRows(whole(value));
    case SQL_ATTR_NOSCAN:
      return setNoscan(low32(value));
    case SQL_ATTR_MAX_LENGTH:
      return setMaxLength(whole(value));
    case SQL_ATTR_ASYNC_ENABLE:
      return setAsyncEnable(low32(value));
    case SQL_ATTR_ROW_BIND_TYPE:
      return setRowBindType(low32(value));
    case SQL_ATTR_CURSOR_TYPE:
      return setCursorType(low32(value));
    case SQL_ATTR_CONCURRENCY:
      return setConcurrency(low32(value));
    case SQL_ATTR_KEYSET_SIZE:
      return setKeysetSize(whole(value));
    case SQL_ROWSET_SIZE:
    case SQL_ATTR_ROW_ARRAY_SIZE:
      return setRowArraySize(whole(value));
    case SQL_ATTR_SIMULATE_CURSOR:
      return setSimulateCursor(low32(value));
    case SQL_ATTR_RETRIEVE_DATA:
      return setRetrieveData(low32(value));
    case SQL_ATTR_USE_BOOKMARKS:
      return setUseBookmarks(low32(value));
    case SQL_ATTR_ROW_NUMBER:
    case SQL_ATTR_IMP_ROW_DESC:
    case SQL_ATTR_IMP_PARAM_DESC:
      return post("HY017");
    case SQL_ATTR_ENABLE_AUTO_IPD:
      return setEnableAutoIpd(low32(value));
    case SQL_ATTR_FETCH_BOOKMARK_PTR:
      return setFetchBookmarkPtr(value);
    case SQL_ATTR_PARAM_BIND_OFFSET_PTR:
      return setParamBindOffsetPtr(static_cast<SQLLEN*>(value));
    case SQL_ATTR_PARAM_BIND_TYPE:
      return setParamBindType(low32(value));
    case SQL_ATTR_PARAM_OPERATION_PTR:
      return setParamOperationPtr(static_cast<SQLUSMALLINT*>(value));
    case SQL_ATTR_PARAM_STATUS_PTR:
      return setParamStatusPtr(static_cast<SQLUSMALLINT*>(value));
    case SQL_ATTR_PARAMS_PROCESSED_PTR:
      return setParamsProcessedPtr(static_cast<SQLULEN*>(value));
    case SQL_ATTR_PARAMSET_SIZE:
      return setParamsetSize(whole(value));
    case SQL_ATTR_ROW_BIND_OFFSET_PTR:
      return setRowBindOffsetPtr(static_cast<SQLLEN*>(value));
    case SQL_ATTR_ROW_OPERATION_PTR:
      return setRowOperationPtr(static_cast<SQLUSMALLINT*>(value));
    case SQL_ATTR_ROW_STATUS_PTR:
      return setRowStatusPtr(static_cast<SQLUSMALLINT*>(value));
    case SQL_ATTR_ROWS_FETCHED_PTR:
      return setRowsFetchedPtr(static_cast<SQLULEN*>(value));
    case SQL_ATTR_APP_ROW_DESC:
      return setAppRowDesc(static_cast<Descriptor*>(value));
    case SQL_ATTR_APP_PARAM_DESC:
      return setAppParamDesc(static_cast<Descriptor*>(value));
    case SQL_ATTR_METADATA_ID:
      return setMetadataId(low32(value));
    case SQL_GET_BOOKMARK:
      return SQL_SUCCESS;
    default:
      return post("HY092");
  }
}

SQLRETURN Statement::getStmtAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                 SQLINTEGER* stringLength) {
  diagnostics_.clear();
  SQLINTEGER length = 0;
  switch (attribute) {
    case SQL_ATTR_CURSOR_SENSITIVITY:
      storeAppValue(value, cursorSensitivity());
      break;
    case SQL_ATTR_CURSOR_SCROLLABLE:
      storeAppValue(value, cursorScrollable());
      break;
    case SQL_ATTR_QUERY_TIMEOUT:
      storeAppValue(value, queryTimeout());
      break;
    case SQL_ATTR_MAX_ROWS:
      storeAppValue(value, maxRows());
      break;
    case SQL_ATTR_NOSCAN:
      storeAppValue(value, noscan());
      break;
    case SQL_ATTR_MAX_LENGTH:
      storeAppValue(value, maxLength());
      break;
    case SQL_ATTR_ASYNC_ENABLE:
      storeAppValue(value, asyncEnable());
      break;
    case SQL_ATTR_ROW_BIND_TYPE:
      storeAppValue(value, rowBindType());
      break;
    case SQL_ATTR_CURSOR_TYPE:
      storeAppValue(value, cursorType());
      break;
    case SQL_ATTR_CONCURRENCY:
      storeAppValue(value, concurrency());
      break;
    case SQL_ATTR_KEYSET_SIZE:
      storeAppValue(value, keysetSize());
      break;
    case SQL_ROWSET_SIZE:
    case SQL_ATTR_ROW_ARRAY_SIZE:
      storeAppValue(value, rowArraySize());
      break;
    case SQL_ATTR_SIMULATE_CURSOR:
      storeAppValue(value, simulateCursor());
      break;
    case SQL_ATTR_RETRIEVE_DATA:
      storeAppValue(value, retrieveData());
      break;
    case SQL_ATTR_USE_BOOKMARKS:
      storeAppValue(value, useBookmarks());
      break;
    case SQL_ATTR_ROW_NUMBER:
      storeAppValue(value, rowNumber());
      break;
    case SQL_ATTR_ENABLE_AUTO_IPD:
      storeAppValue(value, enableAutoIpd());
      break;
    case SQL_ATTR_FETCH_BOOKMARK_PTR:
      storeAppValue(value, fetchBookmarkPtr());
      break;
    case SQL_ATTR_PARAM_BIND_OFFSET_PTR:
      storeAppValue(value, paramBindOffsetPtr());
      break;
    case SQL_ATTR_PARAM_BIND_TYPE:
      storeAppValue(value, paramBindType());
      break;
    case SQL_ATTR_PARAM_OPERATION_PTR:
      storeAppValue(value, paramOperationPtr());
      break;
    case SQL_ATTR_PARAM_STATUS_PTR:
      storeAppValue(value, paramStatusPtr());
      break;
    case SQL_ATTR_PARAMS_PROCESSED_PTR:
      storeAppValue(value, paramsProcessedPtr());
      break;
    case SQL_ATTR_PARAMSET_SIZE:
      storeAppValue(value, paramsetSize());
      break;
    case SQL_ATTR_ROW_BIND_OFFSET_PTR:
      storeAppValue(value, rowBindOffsetPtr());
      break;
    case SQL_ATTR_ROW_OPERATION_PTR:
      storeAppValue(value, rowOperationPtr());
      break;
    case SQL_ATTR_ROW_STATUS_PTR:
      storeAppValue(value, rowStatusPtr());
      break;
    case SQL_ATTR_ROWS_FETCHED_PTR:
      storeAppValue(value, rowsFetchedPtr());
      break;
    case SQL_ATTR_APP_ROW_DESC:
      storeAppValue(value, static_cast<SQLHDESC>(appRowDesc()));
      length = sizeof(SQLHDESC);
      break;
    case SQL_ATTR_APP_PARAM_DESC:
      storeAppValue(value, static_cast<SQLHDESC>(appParamDesc()));
      length = sizeof(SQLHDESC);
      break;
    case SQL_ATTR_IMP_ROW_DESC:
      storeAppValue(value, static_cast<SQLHDESC>(impRowDesc()));
      length = sizeof(SQLHDESC);
      break;
    case SQL_ATTR_IMP_PARAM_DESC:
      storeAppValue(value, static_cast<SQLHDESC>(impParamDesc()));
      length = sizeof(SQLHDESC);
      break;
    case SQL_ATTR_METADATA_ID:
      storeAppValue(value, metadataId());
      break;
    case SQL_GET_BOOKMARK:
      return SQL_SUCCESS;
    default:
      return post("HY092");
  }
  if (stringLength != nullptr) *stringLength = length;
  return SQL_SUCCESS;
}

SQLRETURN Statement::getDiagRec(SQLSMALLINT recordNumber, char* sqlState, SQLINTEGER* nativeError,
                                char* messageText, SQLSMALLINT bufferLength,
                                SQLSMALLINT* textLength) {
  return connection_->getDiagRecOf(diagnostics_, recordNumber, sqlState, nativeError, messageText,
                                   bufferLength, textLength);
}

SQLRETURN Statement::getDiagField(SQLSMALLINT recordNumber, SQLSMALLINT identifier,
                                  SQLPOINTER value, SQLSMALLINT bufferLength,
                                  SQLSMALLINT* stringLength) {
  return connection_->getDiagFieldOf(diagnostics_, recordNumber, identifier, value, bufferLength,
                                     stringLength);
}

SQLRETURN Statement::setCursorType(SQLUINTEGER value) {
  if (const char* refusal = kindChangeRefusal(state_)) return post(refusal);
  const SQLUINTEGER scroll = connection_->getInfoScrollOptions();
  SQLUINTEGER type = value;
  if (type == SQL_CURSOR_DYNAMIC && (scroll & scrollDynamic) == 0) type = SQL_CURSOR_KEYSET_DRIVEN;
  if (type == SQL_CURSOR_KEYSET_DRIVEN && (scroll & scrollKeyset) == 0) type = SQL_CURSOR_STATIC;
  if (type == SQL_CURSOR_STATIC && (scroll & scrollStatic) == 0) type = SQL_CURSOR_FORWARD_ONLY;
  cursorType_ = type;
  const SQLUINTEGER sensitive =
      (connection_->getInfoCursorSensitivity() & SQL_SENSITIVE) != 0 ? SQL_SENSITIVE : 0;
  const bool readOnly = concurrency_ == SQL_CONCUR_READ_ONLY;
  if (type == SQL_CURSOR_FORWARD_ONLY) {
    if (cursorScrollable_ != SQL_NONSCROLLABLE) setCursorScrollable(SQL_NONSCROLLABLE);
  } else {
    if (cursorScrollable_ != SQL_SCROLLABLE) setCursorScrollable(SQL_SCROLLABLE);
    if (type == SQL_CURSOR_DYNAMIC) {
      if (!readOnly && cursorSensitivity_ != SQL_SENSITIVE) setCursorSensitivity(SQL_SENSITIVE);
    } else if (!readOnly) {
      if (cursorSensitivity_ != sensitive) setCursorSensitivity(sensitive);
    } else if (type == SQL_CURSOR_STATIC) {
      cursorSensitivity_ = SQL_INSENSITIVE;
    }
  }
  // The calls above may have changed the type again: the answer says what it became.
  if (cursorType_ != value) {
    post("01S02");
    return SQL_SUCCESS_WITH_INFO;
  }
  return SQL_SUCCESS;
}

SQLRETURN Statement::setConcurrency(SQLUINTEGER value) {
  if (const char* refusal = kindChangeRefusal(state_)) return post(refusal);
  const SQLUINTEGER capabilities = cursorAttributes2();
  SQLUINTEGER concurrency = value;
  if (concurrency == SQL_CONCUR_LOCK && (capabilities & SQL_CA2_LOCK_CONCURRENCY) == 0) {
    concurrency = SQL_CONCUR_ROWVER;
  }
  if (concurrency == SQL_CONCUR_ROWVER && (capabilities & SQL_CA2_OPT_ROWVER_CONCURRENCY) == 0) {
    concurrency = SQL_CONCUR_VALUES;
  }
  if (concurrency == SQL_CONCUR_VALUES && (capabilities & SQL_CA2_OPT_VALUES_CONCURRENCY) == 0) {
    concurrency = SQL_CONCUR_ROWVER;
  }
  struct Refusal {
    SQLUINTEGER concurrency;
    SQLUINTEGER bit;
    const char* message;
  };
  static const Refusal refusals[] = {
      {SQL_CONCUR_READ_ONLY, SQL_CA2_READ_ONLY_CONCURRENCY,
       "Read-only concurrency not supported for cursor"},
      {SQL_CONCUR_LOCK, SQL_CA2_LOCK_CONCURRENCY, "Lock concurrency not supported for cursor"},
      {SQL_CONCUR_ROWVER, SQL_CA2_OPT_ROWVER_CONCURRENCY,
       "Row version concurrency not supported for cursor"},
      {SQL_CONCUR_VALUES, SQL_CA2_OPT_VALUES_CONCURRENCY,
       "Value concurrency not supported for cursor"},
  };
  for (const Refusal& refusal : refusals) {
    if (concurrency == refusal.concurrency && (capabilities & refusal.bit) == 0) {
      return post("HYC00", refusal.message);
    }
  }
  concurrency_ = concurrency;
  SQLRETURN rc = SQL_SUCCESS;
  if (concurrency == SQL_CONCUR_READ_ONLY) {
    cursorSensitivity_ = SQL_INSENSITIVE;
  } else if (concurrency == SQL_CONCUR_LOCK || concurrency == SQL_CONCUR_ROWVER ||
             concurrency == SQL_CONCUR_VALUES) {
    const SQLUINTEGER sensitive =
        (connection_->getInfoCursorSensitivity() & SQL_SENSITIVE) != 0 ? SQL_SENSITIVE : 0;
    if (cursorSensitivity_ != sensitive) rc = setCursorSensitivity(sensitive);
    if (concurrency == SQL_CONCUR_VALUES &&
        (connection_->getInfoScrollOptions() & scrollStatic) != 0 &&
        cursorType_ != SQL_CURSOR_STATIC) {
      setCursorType(SQL_CURSOR_STATIC);
    }
  }
  if (concurrency_ != value) {
    post("01S02");
    return SQL_SUCCESS_WITH_INFO;
  }
  return rc;
}

SQLRETURN Statement::setCursorScrollable(SQLUINTEGER value) {
  if (value == SQL_NONSCROLLABLE) {
    if (cursorType_ != SQL_CURSOR_FORWARD_ONLY) setCursorType(SQL_CURSOR_FORWARD_ONLY);
  } else if (value == SQL_SCROLLABLE && cursorType_ == SQL_CURSOR_FORWARD_ONLY) {
    const SQLUINTEGER scroll = connection_->getInfoScrollOptions();
    if ((scroll & scrollStatic) != 0) {
      setCursorType(SQL_CURSOR_STATIC);
    } else if ((scroll & scrollKeyset) != 0) {
      setCursorType(SQL_CURSOR_KEYSET_DRIVEN);
    } else if ((scroll & (scrollDynamic | scrollMixed)) != 0) {
      setCursorType(SQL_CURSOR_DYNAMIC);
    } else {
      return post("HYC00",
                  "Can't make cursor scrollable because only forward-only cursors are supported");
    }
  }
  cursorScrollable_ = value;
  return SQL_SUCCESS;
}

SQLRETURN Statement::setCursorSensitivity(SQLUINTEGER value) {
  const SQLUINTEGER supported = connection_->getInfoCursorSensitivity();
  SQLRETURN rc = SQL_SUCCESS;
  if (value == SQL_INSENSITIVE) {
    if ((supported & SQL_INSENSITIVE) == 0)
      return post("HYC00", "Insensitive cursors not supported");
    if (concurrency_ != SQL_CONCUR_READ_ONLY) setConcurrency(SQL_CONCUR_READ_ONLY);
    if ((connection_->getInfoScrollOptions() & scrollStatic) == 0) {
      if (cursorType_ != SQL_CURSOR_FORWARD_ONLY) setCursorType(SQL_CURSOR_FORWARD_ONLY);
      post("01000", "Static cursors not supported, required for insensitive cursors");
      rc = SQL_SUCCESS_WITH_INFO;
    } else if (cursorType_ != SQL_CURSOR_STATIC) {
      setCursorType(SQL_CURSOR_STATIC);
    }
  } else if (value == SQL_SENSITIVE) {
    if ((supported & SQL_SENSITIVE) == 0) return post("HYC00", "Sensitive cursors not supported");
    if ((cursorAttributes2() & SQL_CA2_OPT_VALUES_CONCURRENCY) != 0) {
      if (concurrency_ != SQL_CONCUR_VALUES) setConcurrency(SQL_CONCUR_VALUES);
    } else {
      concurrency_ = SQL_CONCUR_READ_ONLY;
      post("01000", "Values concurrency not supported, required for sensitive cursors");
      rc = SQL_SUCCESS_WITH_INFO;
    }
  }
  cursorSensitivity_ = value;
  return rc;
}

SQLRETURN Statement::setSimulateCursor(SQLUINTEGER value) {
  if (const char* refusal = kindChangeRefusal(state_)) return post(refusal);
  simulateCursor_ = value;
  return SQL_SUCCESS;
}

SQLRETURN Statement::setUseBookmarks(SQLUINTEGER value) {
  if (const char* refusal = kindChangeRefusal(state_)) return post(refusal);
  if (fetchBookmarkPtr_ != nullptr && connection_->getInfoBookmarkPersistence() == 0) {
    return post("HYC00");
  }
  useBookmarks_ = value;
  return SQL_SUCCESS;
}

SQLRETURN Statement::setKeysetSize(SQLULEN value) {
  const bool changed = clamp<SQLULEN>(value, 0, connection_->keysetSizeLimit());
  keysetSize_ = value;
  if (!changed) return SQL_SUCCESS;
  post("01S02");
  return SQL_SUCCESS_WITH_INFO;
}

SQLRETURN Statement::setMaxLength(SQLULEN value) {
  const bool changed =
      clamp<SQLULEN>(value, connection_->maxLengthLowerLimit(), connection_->maxLengthUpperLimit());
  maxLength_ = value;
  if (!changed) return SQL_SUCCESS;
  post("01S02");
  return SQL_SUCCESS_WITH_INFO;
}

SQLRETURN Statement::setQueryTimeout(SQLUINTEGER value) {
  const bool changed =
      clamp<SQLUINTEGER>(value, static_cast<SQLUINTEGER>(connection_->queryTimeoutLowerLimit()),
                         static_cast<SQLUINTEGER>(connection_->queryTimeoutUpperLimit()));
  queryTimeout_ = value;
  if (!changed) return SQL_SUCCESS;
  post("01S02");
  return SQL_SUCCESS_WITH_INFO;
}

SQLRETURN Statement::setAsyncEnable(SQLUINTEGER value) {
  if (value == SQL_ASYNC_ENABLE_ON) {
    const SQLUINTEGER mode = connection_->getInfoAsyncMode();
    if (mode == SQL_AM_NONE || mode == SQL_AM_CONNECTION) return post("HYC00");
  }
  asyncEnable_ = value;
  return SQL_SUCCESS;
}

SQLRETURN Statement::setFetchBookmarkPtr(SQLPOINTER value) {
  if (fetchBookmarkPtr_ != nullptr && connection_->getInfoBookmarkPersistence() == 0) {
    return post("HYC00");
  }
  fetchBookmarkPtr_ = value;
  return SQL_SUCCESS;
}

SQLRETURN Statement::setAppParamDesc(Descriptor* descriptor) {
  if (descriptor == nullptr) descriptor = implicitApd_.get();
  if (descriptor->getAllocType() == SQL_DESC_ALLOC_AUTO && descriptor != implicitApd_.get()) {
    return post("HY017");
  }
  apd_ = descriptor;
  return SQL_SUCCESS;
}

SQLRETURN Statement::setAppRowDesc(Descriptor* descriptor) {
  if (descriptor == nullptr) descriptor = implicitArd_.get();
  if (descriptor->getAllocType() == SQL_DESC_ALLOC_AUTO && descriptor != implicitArd_.get()) {
    return post("HY017");
  }
  ard_ = descriptor;
  return SQL_SUCCESS;
}

SQLRETURN Statement::setEnableAutoIpd(SQLUINTEGER value) {
  enableAutoIpd_ = value;
  return SQL_SUCCESS;
}

SQLRETURN Statement::setMaxRows(SQLULEN value) {
  maxRows_ = value;
  return SQL_SUCCESS;
}

SQLRETURN Statement::setMetadataId(SQLUINTEGER value) {
  metadataId_ = value;
  return SQL_SUCCESS;
}

SQLRETURN Statement::setNoscan(SQLUINTEGER value) {
  noscan_ = value;
  return SQL_SUCCESS;
}

SQLRETURN Statement::setRetrieveData(SQLUINTEGER value) {
  retrieveData_ = value;
  return SQL_SUCCESS;
}

// The attributes a descriptor holds answer what its setField answers, its records taken over.
namespace {

SQLRETURN setHeaderField(Descriptor& descriptor, SQLSMALLINT field, SQLPOINTER value,
                         DiagnosticHeader& diagnostics) {
  const SQLRETURN rc = descriptor.setField(0, field, value, 0);
  if (rc != SQL_SUCCESS) diagnostics.copyRecords(descriptor.diagnostics());
  return rc;
}

SQLPOINTER asPointer(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(value); }

}  // namespace

SQLRETURN Statement::setParamBindOffsetPtr(SQLLEN* value) {
  return setHeaderField(*apd_, SQL_DESC_BIND_OFFSET_PTR, value, diagnostics_);
}

SQLRETURN Statement::setParamBindType(SQLUINTEGER value) {
  return setHeaderField(*apd_, SQL_DESC_BIND_TYPE, asPointer(value), diagnostics_);
}

SQLRETURN Statement::setParamOperationPtr(SQLUSMALLINT* value) {
  return setHeaderField(*apd_, SQL_DESC_ARRAY_STATUS_PTR, value, diagnostics_);
}

SQLRETURN Statement::setParamStatusPtr(SQLUSMALLINT* value) {
  return setHeaderField(*ipd_, SQL_DESC_ARRAY_STATUS_PTR, value, diagnostics_);
}

SQLRETURN Statement::setParamsProcessedPtr(SQLULEN* value) {
  return setHeaderField(*ipd_, SQL_DESC_ROWS_PROCESSED_PTR, value, diagnostics_);
}

SQLRETURN Statement::setParamsetSize(SQLULEN value) {
  return setHeaderField(*apd_, SQL_DESC_ARRAY_SIZE, asPointer(value), diagnostics_);
}

SQLRETURN Statement::setRowArraySize(SQLULEN value) {
  return setHeaderField(*ard_, SQL_DESC_ARRAY_SIZE, asPointer(value), diagnostics_);
}

SQLRETURN Statement::setRowBindOffsetPtr(SQLLEN* value) {
  return setHeaderField(*ard_, SQL_DESC_BIND_OFFSET_PTR, value, diagnostics_);
}

SQLRETURN Statement::setRowBindType(SQLUINTEGER value) {
  return setHeaderField(*ard_, SQL_DESC_BIND_TYPE, asPointer(value), diagnostics_);
}

SQLRETURN Statement::setRowOperationPtr(SQLUSMALLINT* value) {
  return setHeaderField(*ard_, SQL_DESC_ARRAY_STATUS_PTR, value, diagnostics_);
}

SQLRETURN Statement::setRowStatusPtr(SQLUSMALLINT* value) {
  return setHeaderField(*ird_, SQL_DESC_ARRAY_STATUS_PTR, value, diagnostics_);
}

SQLRETURN Statement::setRowsFetchedPtr(SQLULEN* value) {
  return setHeaderField(*ird_, SQL_DESC_ROWS_PROCESSED_PTR, value, diagnostics_);
}

Descriptor* Statement::appParamDesc() const { return apd_; }
Descriptor* Statement::appRowDesc() const { return ard_; }
SQLUINTEGER Statement::asyncEnable() const { return asyncEnable_; }
SQLUINTEGER Statement::concurrency() const { return concurrency_; }
SQLUINTEGER Statement::cursorScrollable() const { return cursorScrollable_; }
SQLUINTEGER Statement::cursorSensitivity() const { return cursorSensitivity_; }
SQLUINTEGER Statement::cursorType() const { return cursorType_; }
SQLUINTEGER Statement::enableAutoIpd() const { return enableAutoIpd_; }
SQLPOINTER Statement::fetchBookmarkPtr() const { return fetchBookmarkPtr_; }
Descriptor* Statement::impParamDesc() const { return ipd_.get(); }
Descriptor* Statement::impRowDesc() const { return ird_.get(); }
SQLULEN Statement::keysetSize() const { return keysetSize_; }
SQLULEN Statement::maxLength() const { return maxLength_; }
SQLULEN Statement::maxRows() const { return maxRows_; }
SQLUINTEGER Statement::metadataId() const { return metadataId_; }
SQLUINTEGER Statement::noscan() const { return noscan_; }
SQLLEN* Statement::paramBindOffsetPtr() const { return apd_->getBindOffsetPtr(); }
SQLUINTEGER Statement::paramBindType() const {
  return static_cast<SQLUINTEGER>(apd_->getBindType());
}
SQLUSMALLINT* Statement::paramOperationPtr() const { return apd_->getArrayStatusPtr(); }
SQLUSMALLINT* Statement::paramStatusPtr() const { return ipd_->getArrayStatusPtr(); }
SQLULEN* Statement::paramsProcessedPtr() const { return ipd_->getRowsProcessedPtr(); }
SQLULEN Statement::paramsetSize() const { return apd_->getArraySize(); }
SQLUINTEGER Statement::queryTimeout() const { return queryTimeout_; }
SQLUINTEGER Statement::retrieveData() const { return retrieveData_; }
SQLULEN Statement::rowArraySize() const { return ard_->getArraySize(); }
SQLLEN* Statement::rowBindOffsetPtr() const { return ard_->getBindOffsetPtr(); }
SQLUINTEGER Statement::rowBindType() const { return static_cast<SQLUINTEGER>(ard_->getBindType()); }
SQLULEN Statement::rowNumber() const { return rowNumber_; }
SQLUSMALLINT* Statement::rowOperationPtr() const { return ard_->getArrayStatusPtr(); }
SQLUSMALLINT* Statement::rowStatusPtr() const { return ird_->getArrayStatusPtr(); }
SQLULEN* Statement::rowsFetchedPtr() const { return ird_->getRowsProcessedPtr(); }
SQLUINTEGER Statement::simulateCursor() const { return simulateCursor_; }
SQLUINTEGER Statement::useBookmarks() const { return useBookmarks_; }

SQLUINTEGER Statement::cursorAttributes1() {
  switch (cursorType_) {
    case SQL_CURSOR_FORWARD_ONLY:
      return connection_->getInfoForwardOnlyCursorAttributes1();
    case SQL_CURSOR_KEYSET_DRIVEN:
      return connection_->getInfoKeysetCursorAttributes1();
    case SQL_CURSOR_DYNAMIC:
      return connection_->getInfoDynamicCursorAttributes1();
    case SQL_CURSOR_STATIC:
      return connection_->getInfoStaticCursorAttributes1();
    default:
      post("01000", "Unknown cursor type");
      return 0;
  }
}

SQLUINTEGER Statement::cursorAttributes2() {
  switch (cursorType_) {
    case SQL_CURSOR_FORWARD_ONLY:
      return connection_->getInfoForwardOnlyCursorAttributes2();
    case SQL_CURSOR_KEYSET_DRIVEN:
      return connection_->getInfoKeysetCursorAttributes2();
    case SQL_CURSOR_DYNAMIC:
      return connection_->getInfoDynamicCursorAttributes2();
    case SQL_CURSOR_STATIC:
      return connection_->getInfoStaticCursorAttributes2();
    default:
      post("01000", "Unknown cursor type");
      return 0;
  }
}

SQLULEN Statement::rowsFetchedTotal() const { return rowsFetched_; }

void Statement::setRowCount(SQLLEN count) {
  rowCount_ = count;
  if (SQLULEN* fetched = ird_->getRowsProcessedPtr()) *fetched = static_cast<SQLULEN>(count);
}
