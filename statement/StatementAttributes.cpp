#include "core/Connection.h"
#include "statement/Descriptor.h"
#include "statement/Statement.h"

SQLRETURN Statement::getDiagRec(SQLSMALLINT recordNumber, char* sqlState, SQLINTEGER* nativeError,
                                char* messageText, SQLSMALLINT bufferLength,
                                SQLSMALLINT* textLength) {
  return diagnostics_.getDiagRecWithComponent(connection_->getInfoDbmsName().c_str(), recordNumber,
                                              sqlState, nativeError, messageText, bufferLength,
                                              textLength);
}

SQLRETURN Statement::getDiagField(SQLSMALLINT recordNumber, SQLSMALLINT identifier,
                                  SQLPOINTER value, SQLSMALLINT bufferLength,
                                  SQLSMALLINT* stringLength) {
  if (identifier == SQL_DIAG_CONNECTION_NAME || identifier == SQL_DIAG_SERVER_NAME) {
    return connection_->getDiagField(recordNumber, identifier, value, bufferLength, stringLength);
  }
  return diagnostics_.getDiagField(recordNumber, identifier, value, bufferLength, stringLength);
}

SQLULEN Statement::rowsFetchedTotal() const { return rowsFetched_; }

void Statement::setRowCount(SQLLEN count) {
  rowCount_ = count;
  if (SQLULEN* fetched = ird_->getRowsProcessedPtr()) *fetched = static_cast<SQLULEN>(count);
}
