// Preparing and executing statements, parameters, cursor names and the statement text the
// server would run.
#include "api/Handles.h"
#include "api/StatementCall.h"
#include "api/WideIn.h"
#include "api/WideOut.h"
#include "core/TraceFormatter.h"
#include "core/TraceValueFormatter.h"
#include "platform/Export.h"

using namespace api;

namespace {

std::vector<std::string> none() { return {}; }

}  // namespace

KARVOD_EXPORT SQLRETURN SQL_API SQLPrepare(SQLHSTMT StatementHandle, SQLCHAR* StatementText,
                                           SQLINTEGER TextLength) {
  Statement* statement = asStatement(StatementHandle);
  return timed(
      "SQLPrepare", statement,
      [&]() -> std::vector<std::string> {
        return {narrowTextArgument(StatementText, TextLength), lengthOrNts(TextLength)};
      },
      [&] { return statement->prepare(reinterpret_cast<const char*>(StatementText), TextLength); });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLPrepareW(SQLHSTMT StatementHandle, SQLWCHAR* StatementText,
                                            SQLINTEGER TextLength) {
  Statement* statement = asStatement(StatementHandle);
  const WideIn text(StatementText, TextLength);
  return timed(
      "SQLPrepareW", statement,
      [&]() -> std::vector<std::string> {
        return {wideTextArgument(text.text()), lengthOrNts(TextLength)};
      },
      [&] {
        return withWideText(statement->diagnostics(), text,
                            [&] { return statement->prepare(text.text(), text.length()); });
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLExecDirect(SQLHSTMT StatementHandle, SQLCHAR* StatementText,
                                              SQLINTEGER TextLength) {
  Statement* statement = asStatement(StatementHandle);
  return timed(
      "SQLExecDirect", statement,
      [&]() -> std::vector<std::string> {
        return {narrowTextArgument(StatementText, TextLength), lengthOrNts(TextLength)};
      },
      [&] {
        return statement->execDirect(reinterpret_cast<const char*>(StatementText), TextLength);
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT StatementHandle, SQLWCHAR* StatementText,
                                               SQLINTEGER TextLength) {
  Statement* statement = asStatement(StatementHandle);
  const WideIn text(StatementText, TextLength);
  return timed(
      "SQLExecDirectW", statement,
      [&]() -> std::vector<std::string> {
        return {wideTextArgument(text.text()), lengthOrNts(TextLength)};
      },
      [&] {
        return withWideText(statement->diagnostics(), text,
                            [&] { return statement->execDirect(text.text(), text.length()); });
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLExecute(SQLHSTMT StatementHandle) {
  Statement* statement = asStatement(StatementHandle);
  return timed("SQLExecute", statement, none, [&] { return statement->execute(); });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLCancel(SQLHSTMT StatementHandle) {
  Statement* statement = asStatement(StatementHandle);
  // Another thread cancels while a call holds the statement's connection: waiting for that call
  // would defeat the cancel, and cancelling touches nothing the call uses.
  return runExport(
      statement->environment(), TraceKind::EnterExit,
      [statement] { return &statement->diagnostics(); }, callLine("SQLCancel", statement, none),
      [statement] { return statement->cancel(); }, noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT StatementHandle) {
  Statement* statement = asStatement(StatementHandle);
  return timed("SQLCloseCursor", statement, none, [&] { return statement->closeCursor(); });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLSetPos(SQLHSTMT StatementHandle, SQLSETPOSIROW RowNumber,
                                          SQLUSMALLINT Operation, SQLUSMALLINT LockType) {
  Statement* statement = asStatement(StatementHandle);
  return timed(
      "SQLSetPos", statement,
      [&]() -> std::vector<std::string> {
        return {std::to_string(RowNumber), setPosOperationName(Operation),
                lockTypeName(LockType)};
      },
      [&] { return statement->setPos(RowNumber, Operation, LockType); });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLBulkOperations(SQLHSTMT StatementHandle,
                                                  SQLSMALLINT Operation) {
  Statement* statement = asStatement(StatementHandle);
  return timed(
      "SQLBulkOperations", statement,
      [&]() -> std::vector<std::string> { return {bulkOperationName(Operation)}; },
      [&] { return statement->bulkOperations(static_cast<SQLUSMALLINT>(Operation)); });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLMoreResults(SQLHSTMT StatementHandle) {
  Statement* statement = asStatement(StatementHandle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        trace.line(callLine("SQLMoreResults", {trace.handle("stmt", statement)}));
      },
      [&] { return statement->moreResults(); }, noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLBindParameter(
    SQLHSTMT StatementHandle, SQLUSMALLINT ParameterNumber, SQLSMALLINT InputOutputType,
    SQLSMALLINT ValueType, SQLSMALLINT ParameterType, SQLULEN ColumnSize,
    SQLSMALLINT DecimalDigits, SQLPOINTER ParameterValuePtr, SQLLEN BufferLength,
    SQLLEN* StrLen_or_IndPtr) {
  Statement* statement = asStatement(StatementHandle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string value =
            ParameterValuePtr == nullptr
                ? "NULL"
                : trace.array("char", "value", ParameterValuePtr, BufferLength);
        const std::string length =
            StrLen_or_IndPtr == nullptr
                ? "NULL"
                : "&" + trace.variable("SQLLEN", "len", StrLen_or_IndPtr, "0");
        trace.line(callLine("SQLBindParameter",
                            {trace.handle("stmt", statement), std::to_string(ParameterNumber),
                             paramTypeName(InputOutputType), cTypeName(ValueType),
                             sqlTypeName(ParameterType), std::to_string(ColumnSize),
                             std::to_string(DecimalDigits), value, std::to_string(BufferLength),
                             length}));
        trace.line(outValueLine("len", formatLengthIndicator(StrLen_or_IndPtr)));
      },
      [&] {
        return statement->bindParameter(ParameterNumber, InputOutputType, ValueType,
                                        ParameterType, ColumnSize, DecimalDigits,
                                        ParameterValuePtr, BufferLength, StrLen_or_IndPtr);
      },
      noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLDescribeParam(SQLHSTMT StatementHandle,
                                                 SQLUSMALLINT ParameterNumber,
                                                 SQLSMALLINT* DataTypePtr,
                                                 SQLULEN* ParameterSizePtr,
                                                 SQLSMALLINT* DecimalDigitsPtr,
                                                 SQLSMALLINT* NullablePtr) {
  Statement* statement = asStatement(StatementHandle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        const auto small = [&](const char* word, SQLSMALLINT* pointer) {
          return pointer == nullptr ? "NULL"
                                    : "&" + trace.variable("SQLSMALLINT", word, pointer, "0");
        };
        const std::string size =
            ParameterSizePtr == nullptr
                ? "NULL"
                : "&" + trace.variable("SQLULEN", "size", ParameterSizePtr, "0");
        trace.line(callLine("SQLDescribeParam",
                            {trace.handle("stmt", statement), std::to_string(ParameterNumber),
                             small("type", DataTypePtr), size, small("scale", DecimalDigitsPtr),
                             small("null", NullablePtr)}));
      },
      [&] {
        return statement->describeParam(ParameterNumber, DataTypePtr, ParameterSizePtr,
                                        DecimalDigitsPtr, NullablePtr);
      },
      [&](const CallTrace& trace) {
        trace.line(outValueLine("type",
                                DataTypePtr == nullptr ? "null" : sqlTypeName(*DataTypePtr)));
        trace.line(outValueLine("size", lengthPointerValue(ParameterSizePtr)));
        trace.line(outValueLine("scale", smallIntPointerValue(DecimalDigitsPtr)));
        trace.line(outValueLine("null", smallIntPointerValue(NullablePtr)));
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLNumParams(SQLHSTMT StatementHandle,
                                             SQLSMALLINT* ParameterCountPtr) {
  Statement* statement = asStatement(StatementHandle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string count =
            ParameterCountPtr == nullptr
                ? "NULL"
                : "&" + trace.variable("SQLSMALLINT", "count", ParameterCountPtr, "0");
        trace.line(callLine("SQLNumParams", {trace.handle("stmt", statement), count}));
      },
      [&] { return statement->numParams(ParameterCountPtr); },
      [&](const CallTrace& trace) {
        trace.line(outValueLine("count", smallIntPointerValue(ParameterCountPtr)));
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLParamOptions(SQLHSTMT StatementHandle, SQLULEN Crow,
                                                SQLULEN* Pirow) {
  Statement* statement = asStatement(StatementHandle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string rows =
            Pirow == nullptr ? "NULL" : "&" + trace.variable("SQLULEN", "rows", Pirow, "0");
        trace.line(callLine("SQLParamOptions",
                            {trace.handle("stmt", statement), std::to_string(Crow), rows}));
      },
      [&] {
        const SQLRETURN rc = statement->setStmtAttr(
            SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(Crow), SQL_IS_UINTEGER);
        if (!SQL_SUCCEEDED(rc)) return rc;
        return statement->setStmtAttr(SQL_ATTR_PARAMS_PROCESSED_PTR, Pirow, SQL_IS_POINTER);
      },
      noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLParamData(SQLHSTMT StatementHandle, SQLPOINTER* ValuePtrPtr) {
  Statement* statement = asStatement(StatementHandle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string value =
            ValuePtrPtr == nullptr
                ? "NULL"
                : "&" + trace.variable("SQLPOINTER", "value", ValuePtrPtr, "NULL");
        trace.line(callLine("SQLParamData", {trace.handle("stmt", statement), value}));
      },
      [&] { return statement->paramData(ValuePtrPtr); },
      [&](const CallTrace& trace) {
        trace.line(outValueLine(
            "count", ValuePtrPtr == nullptr ? "null" : hexPointerText(*ValuePtrPtr)));
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLPutData(SQLHSTMT StatementHandle, SQLPOINTER DataPtr,
                                           SQLLEN StrLen_or_Ind) {
  Statement* statement = asStatement(StatementHandle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        trace.line(callLine("SQLPutData", {trace.handle("stmt", statement),
                                           "(SQLPOINTER) " + hexPointerText(DataPtr),
                                           std::to_string(StrLen_or_Ind)}));
      },
      [&] { return statement->putData(DataPtr, StrLen_or_Ind); }, noValues);
}

namespace {

// The declarations and call line of SQLGetCursorName(W).
void traceGetCursorName(const CallTrace& trace, const char* function, const char* characterType,
                        Statement* statement, const void* name, SQLSMALLINT bufferLength,
                        SQLSMALLINT* length) {
  const std::string nameName =
      name == nullptr ? "NULL" : trace.array(characterType, "name", name, bufferLength);
  const std::string lengthName =
      length == nullptr ? "NULL" : "&" + trace.variable("SQLSMALLINT", "len", length, "0");
  trace.line(callLine(function, {trace.handle("stmt", statement), nameName,
                                 std::to_string(bufferLength), lengthName}));
}

}  // namespace

KARVOD_EXPORT SQLRETURN SQL_API SQLGetCursorName(SQLHSTMT StatementHandle, SQLCHAR* CursorName,
                                                 SQLSMALLINT BufferLength,
                                                 SQLSMALLINT* NameLengthPtr) {
  Statement* statement = asStatement(StatementHandle);
  auto* name = reinterpret_cast<char*>(CursorName);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        traceGetCursorName(trace, "SQLGetCursorName", "SQLCHAR", statement, name, BufferLength,
                           NameLengthPtr);
      },
      [&] { return statement->getCursorName(name, BufferLength, NameLengthPtr); },
      [&](const CallTrace& trace) {
        trace.line(outValueLine("name", quotedStringOrNull(name, BufferLength)));
        trace.line(outValueLine("len", smallIntPointerValue(NameLengthPtr)));
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetCursorNameW(SQLHSTMT StatementHandle, SQLWCHAR* CursorName,
                                                  SQLSMALLINT BufferLength,
                                                  SQLSMALLINT* NameLengthPtr) {
  Statement* statement = asStatement(StatementHandle);
  WideOut name(CursorName, BufferLength, WideUnit::Characters);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        traceGetCursorName(trace, "SQLGetCursorNameW", "SQLWCHAR", statement, CursorName,
                           BufferLength, NameLengthPtr);
      },
      [&] {
        return name.answer(NameLengthPtr, &statement->diagnostics(),
                           [&](char* scratch, SQLSMALLINT room, SQLSMALLINT* length) {
                             return statement->getCursorName(scratch, room, length);
                           });
      },
      [&](const CallTrace& trace) {
        trace.line(outValueLine("name", cLiteral(name.text())));
        trace.line(outValueLine("len", smallIntPointerValue(NameLengthPtr)));
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLSetCursorName(SQLHSTMT StatementHandle, SQLCHAR* CursorName,
                                                 SQLSMALLINT NameLength) {
  Statement* statement = asStatement(StatementHandle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        trace.line(callLine("SQLSetCursorName",
                            {trace.handle("stmt", statement),
                             narrowTextArgument(CursorName, NameLength), lengthOrNts(NameLength)}));
      },
      [&] {
        return statement->setCursorName(reinterpret_cast<const char*>(CursorName), NameLength);
      },
      noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLSetCursorNameW(SQLHSTMT StatementHandle, SQLWCHAR* CursorName,
                                                  SQLSMALLINT NameLength) {
  Statement* statement = asStatement(StatementHandle);
  const WideIn name(CursorName, NameLength);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        trace.line(callLine("SQLSetCursorNameW", {trace.handle("stmt", statement),
                                                  wideTextArgument(name.text()),
                                                  lengthOrNts(NameLength)}));
      },
      [&] {
        return withWideText(statement->diagnostics(), name,
                            [&] { return statement->setCursorName(name.text(), name.length()); });
      },
      noValues);
}

namespace {

void traceNativeSql(const CallTrace& trace, const char* function, const char* characterType,
                    ConnectionProxy* proxy, const std::string& inText, SQLINTEGER inLength,
                    const void* out, SQLINTEGER bufferLength, SQLINTEGER* length) {
  const std::string outName =
      out == nullptr ? "NULL" : trace.array(characterType, "native", out, bufferLength);
  const std::string lengthName =
      length == nullptr ? "NULL" : "&" + trace.variable("SQLINTEGER", "len", length, "0");
  trace.line(callLine(function, {trace.handle("dbc", proxy), inText, lengthOrNts(inLength),
                                 outName, std::to_string(bufferLength), lengthName}));
}

}  // namespace

KARVOD_EXPORT SQLRETURN SQL_API SQLNativeSql(SQLHDBC ConnectionHandle, SQLCHAR* InStatementText,
                                             SQLINTEGER TextLength1, SQLCHAR* OutStatementText,
                                             SQLINTEGER BufferLength, SQLINTEGER* TextLength2Ptr) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  auto* out = reinterpret_cast<char*>(OutStatementText);
  return runOn(
      proxy, TraceKind::Call,
      [&](const CallTrace& trace) {
        traceNativeSql(trace, "SQLNativeSql", "SQLCHAR", proxy,
                       narrowTextArgument(InStatementText, TextLength1), TextLength1, out,
                       BufferLength, TextLength2Ptr);
      },
      [&] {
        return proxy->nativeSql(reinterpret_cast<const char*>(InStatementText), TextLength1, out,
                                BufferLength, TextLength2Ptr);
      },
      [&](const CallTrace& trace) {
        trace.line(outValueLine("native", quotedStringOrNull(out, BufferLength)));
        trace.line(outValueLine("len", integerPointerValue(TextLength2Ptr)));
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLNativeSqlW(SQLHDBC ConnectionHandle, SQLWCHAR* InStatementText,
                                              SQLINTEGER TextLength1, SQLWCHAR* OutStatementText,
                                              SQLINTEGER BufferLength,
                                              SQLINTEGER* TextLength2Ptr) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  const WideIn in(InStatementText, TextLength1);
  WideOut out(OutStatementText, BufferLength, WideUnit::Characters);
  return runOn(
      proxy, TraceKind::Call,
      [&](const CallTrace& trace) {
        traceNativeSql(trace, "SQLNativeSqlW", "SQLWCHAR", proxy, wideTextArgument(in.text()),
                       TextLength1, OutStatementText, BufferLength, TextLength2Ptr);
      },
      [&] {
        return withWideText(proxy->diagnostics(), in, [&] {
          return out.answer(TextLength2Ptr, &proxy->diagnostics(),
                            [&](char* scratch, SQLINTEGER room, SQLINTEGER* length) {
                              return proxy->nativeSql(in.text(), in.length(), scratch, room,
                                                      length);
                            });
        });
      },
      [&](const CallTrace& trace) {
        trace.line(outValueLine("native", cLiteral(out.text())));
        trace.line(outValueLine("len", integerPointerValue(TextLength2Ptr)));
      });
}
