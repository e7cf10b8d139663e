// Reading diagnostics back. These exports never add records to what they read: a cut text
// answers SQL_SUCCESS_WITH_INFO alone.
#include "api/Handles.h"
#include "api/WideOut.h"
#include "core/TraceFormatter.h"
#include "core/TraceValueFormatter.h"
#include "core/Unicode.h"
#include "platform/Export.h"

using namespace api;

namespace {

// Room for a SQLSTATE and its NUL.
constexpr SQLSMALLINT stateLength = 6;

// Calls visit(handle object, its trace word) for the handle type; a null handle or another type
// is SQL_INVALID_HANDLE.
template <typename Visit>
SQLRETURN onHandle(SQLSMALLINT handleType, SQLHANDLE handle, Visit visit) {
  if (handle == nullptr) return SQL_INVALID_HANDLE;
  switch (handleType) {
    case SQL_HANDLE_ENV:
      return visit(asEnvironment(handle), "env");
    case SQL_HANDLE_DBC:
      return visit(asConnection(handle), "dbc");
    case SQL_HANDLE_STMT:
      return visit(asStatement(handle), "stmt");
    case SQL_HANDLE_DESC:
      return visit(asDescriptor(handle), "desc");
    default:
      return SQL_INVALID_HANDLE;
  }
}

bool isTextField(SQLSMALLINT field) {
  switch (field) {
    case SQL_DIAG_SQLSTATE:
    case SQL_DIAG_MESSAGE_TEXT:
    case SQL_DIAG_DYNAMIC_FUNCTION:
    case SQL_DIAG_CLASS_ORIGIN:
    case SQL_DIAG_SUBCLASS_ORIGIN:
    case SQL_DIAG_CONNECTION_NAME:
    case SQL_DIAG_SERVER_NAME:
      return true;
    default:
      return false;
  }
}

// The variables of a record read: the SQLSTATE and message buffers of the export's character
// type, the native error and the length.
struct RecordNames {
  std::string state, error, message, length;
};

RecordNames declareRecord(const CallTrace& trace, const char* characterType, const void* state,
                          SQLINTEGER* error, const void* message, SQLSMALLINT bufferLength,
                          SQLSMALLINT* length) {
  return {state == nullptr ? "NULL" : trace.array(characterType, "state", state, stateLength),
          error == nullptr ? "NULL" : "&" + trace.variable("SQLINTEGER", "err", error, "0"),
          message == nullptr ? "NULL"
                             : trace.array(characterType, "msg", message, bufferLength),
          length == nullptr ? "NULL" : "&" + trace.variable("SQLSMALLINT", "len", length, "0")};
}

void traceRecordValues(const CallTrace& trace, const std::string& state, SQLINTEGER* error,
                       const std::string& message, SQLSMALLINT* length) {
  trace.line(outValueLine("state", state));
  trace.line(outValueLine("*err", integerPointerValue(error)));
  trace.line(outValueLine("msg", message));
  trace.line(outValueLine("*len", smallIntPointerValue(length)));
}

}  // namespace

KARVOD_EXPORT SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT HandleType, SQLHANDLE Handle,
                                              SQLSMALLINT RecNumber, SQLCHAR* Sqlstate,
                                              SQLINTEGER* NativeErrorPtr, SQLCHAR* MessageText,
                                              SQLSMALLINT BufferLength,
                                              SQLSMALLINT* TextLengthPtr) {
  auto* state = reinterpret_cast<char*>(Sqlstate);
  auto* message = reinterpret_cast<char*>(MessageText);
  return onHandle(HandleType, Handle, [&](auto* object, const char* word) {
    return runOn(
        object, TraceKind::Call,
        [&](const CallTrace& trace) {
          const RecordNames names = declareRecord(trace, "SQLCHAR", state, NativeErrorPtr,
                                                  message, BufferLength, TextLengthPtr);
          trace.line(callLine("SQLGetDiagRec",
                              {handleTypeName(HandleType), trace.handle(word, object),
                               std::to_string(RecNumber), names.state, names.error,
                               names.message, std::to_string(BufferLength), names.length}));
        },
        [&] {
          return object->getDiagRec(RecNumber, state, NativeErrorPtr, message, BufferLength,
                                    TextLengthPtr);
        },
        [&](const CallTrace& trace) {
          traceRecordValues(trace, quotedStringOrNull(state, stateLength), NativeErrorPtr,
                            quotedStringOrNull(message, BufferLength), TextLengthPtr);
        });
  });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetDiagRecW(SQLSMALLINT HandleType, SQLHANDLE Handle,
                                               SQLSMALLINT RecNumber, SQLWCHAR* Sqlstate,
                                               SQLINTEGER* NativeErrorPtr, SQLWCHAR* MessageText,
                                               SQLSMALLINT BufferLength,
                                               SQLSMALLINT* TextLengthPtr) {
  char state[stateLength] = {};
  WideOut message(MessageText, BufferLength, WideUnit::Characters);
  return onHandle(HandleType, Handle, [&](auto* object, const char* word) {
    return runOn(
        object, TraceKind::Call,
        [&](const CallTrace& trace) {
          const RecordNames names = declareRecord(trace, "SQLWCHAR", Sqlstate, NativeErrorPtr,
                                                  MessageText, BufferLength, TextLengthPtr);
          trace.line(callLine("SQLGetDiagRecW",
                              {handleTypeName(HandleType), trace.handle(word, object),
                               std::to_string(RecNumber), names.state, names.error,
                               names.message, std::to_string(BufferLength), names.length}));
        },
        [&] {
          const SQLRETURN rc = message.answer(
              TextLengthPtr, nullptr, [&](char* scratch, SQLSMALLINT room, SQLSMALLINT* length) {
                return object->getDiagRec(RecNumber, state, NativeErrorPtr, scratch, room,
                                          length);
              });
          if (SQL_SUCCEEDED(rc) && Sqlstate != nullptr) {
            utf8ToUtf16(state, SQL_NTS, Sqlstate, stateLength);
          }
          return rc;
        },
        [&](const CallTrace& trace) {
          traceRecordValues(trace, cLiteral(state), NativeErrorPtr, cLiteral(message.text()),
                            TextLengthPtr);
        });
  });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT HandleType, SQLHANDLE Handle,
                                                SQLSMALLINT RecNumber, SQLSMALLINT DiagIdentifier,
                                                SQLPOINTER DiagInfoPtr, SQLSMALLINT BufferLength,
                                                SQLSMALLINT* StringLengthPtr) {
  return onHandle(HandleType, Handle, [&](auto* object, const char* word) {
    return runOn(
        object, TraceKind::CallAnsweringAlways,
        [&](const CallTrace& trace) {
          const std::string info =
              DiagInfoPtr == nullptr ? "NULL"
                                     : trace.array("char", "info", DiagInfoPtr, BufferLength);
          const std::string length =
              StringLengthPtr == nullptr
                  ? "NULL"
                  : "&" + trace.variable("SQLSMALLINT", "len", StringLengthPtr, "0");
          trace.line(callLine("SQLGetDiagField",
                              {handleTypeName(HandleType), trace.handle(word, object),
                               std::to_string(RecNumber), diagFieldName(DiagIdentifier), info,
                               std::to_string(BufferLength), length}));
        },
        [&] {
          return object->getDiagField(RecNumber, DiagIdentifier, DiagInfoPtr, BufferLength,
                                      StringLengthPtr);
        },
        [&](const CallTrace& trace) {
          trace.line(outValueLine(
              "info", formatDiagFieldValue(DiagIdentifier, DiagInfoPtr, BufferLength)));
          trace.line(outValueLine("*len", smallIntPointerValue(StringLengthPtr)));
        });
  });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetDiagFieldW(SQLSMALLINT HandleType, SQLHANDLE Handle,
                                                 SQLSMALLINT RecNumber,
                                                 SQLSMALLINT DiagIdentifier,
                                                 SQLPOINTER DiagInfoPtr,
                                                 SQLSMALLINT BufferLength,
                                                 SQLSMALLINT* StringLengthPtr) {
  WideOut text(DiagInfoPtr, BufferLength, WideUnit::Bytes);
  const bool textField = isTextField(DiagIdentifier);
  return onHandle(HandleType, Handle, [&](auto* object, const char* word) {
    return runOn(
        object, TraceKind::CallAnsweringAlways,
        [&](const CallTrace& trace) {
          const std::string info =
              DiagInfoPtr == nullptr
                  ? "NULL"
                  : trace.array(textField ? "SQLWCHAR" : "char", "info", DiagInfoPtr,
                                textField ? BufferLength / 2 : BufferLength);
          const std::string length =
              StringLengthPtr == nullptr
                  ? "NULL"
                  : "&" + trace.variable("SQLSMALLINT", "len", StringLengthPtr, "0");
          trace.line(callLine("SQLGetDiagFieldW",
                              {handleTypeName(HandleType), trace.handle(word, object),
                               std::to_string(RecNumber), diagFieldName(DiagIdentifier), info,
                               std::to_string(BufferLength), length}));
        },
        [&] {
          if (!textField) {
            return object->getDiagField(RecNumber, DiagIdentifier, DiagInfoPtr, BufferLength,
                                        StringLengthPtr);
          }
          return text.answer(StringLengthPtr, nullptr,
                             [&](char* scratch, SQLSMALLINT room, SQLSMALLINT* length) {
                               return object->getDiagField(RecNumber, DiagIdentifier, scratch,
                                                           room, length);
                             });
        },
        [&](const CallTrace& trace) {
          trace.line(outValueLine(
              "info", textField ? cLiteral(text.text())
                                : formatDiagFieldValue(DiagIdentifier, DiagInfoPtr, BufferLength)));
          trace.line(outValueLine("*len", smallIntPointerValue(StringLengthPtr)));
        });
  });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLError(SQLHENV EnvironmentHandle, SQLHDBC ConnectionHandle,
                                         SQLHSTMT StatementHandle, SQLCHAR* Sqlstate,
                                         SQLINTEGER* NativeErrorPtr, SQLCHAR* MessageText,
                                         SQLSMALLINT BufferLength, SQLSMALLINT* TextLengthPtr) {
  auto* state = reinterpret_cast<char*>(Sqlstate);
  auto* message = reinterpret_cast<char*>(MessageText);
  const auto read = [&](auto* object) {
    return runOn(
        object, TraceKind::Call,
        [&](const CallTrace& trace) {
          const RecordNames names = declareRecord(trace, "SQLCHAR", state, NativeErrorPtr,
                                                  message, BufferLength, TextLengthPtr);
          trace.line(callLine("SQLError", {trace.handle("env", EnvironmentHandle),
                                           trace.handle("dbc", ConnectionHandle),
                                           trace.handle("stmt", StatementHandle), names.state,
                                           names.error, names.message,
                                           std::to_string(BufferLength), names.length}));
        },
        [&] { return object->error(state, NativeErrorPtr, message, BufferLength, TextLengthPtr); },
        [&](const CallTrace& trace) {
          traceRecordValues(trace, quotedStringOrNull(state, stateLength), NativeErrorPtr,
                            quotedStringOrNull(message, BufferLength), TextLengthPtr);
        });
  };
  if (StatementHandle != nullptr) return read(asStatement(StatementHandle));
  if (ConnectionHandle != nullptr) return read(asConnection(ConnectionHandle));
  if (EnvironmentHandle != nullptr) return read(asEnvironment(EnvironmentHandle));
  return SQL_ERROR;
}
