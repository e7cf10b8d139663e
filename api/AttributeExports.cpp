// Environment, connection and statement attributes, in their ODBC 3 and ODBC 2 forms.
#include "api/Handles.h"
#include "api/WideIn.h"
#include "api/WideOut.h"
#include "core/TraceFormatter.h"
#include "core/TraceValueFormatter.h"
#include "platform/Export.h"

using namespace api;

namespace {

// The ODBC 2 getters hand the operation a buffer of this many bytes, whatever the caller's.
constexpr SQLINTEGER optionBufferLength = 256;

// The connection attributes whose values are text: the wide forms convert them, the core keeps
// them as UTF-8.
bool isTextConnectAttribute(SQLINTEGER attribute) {
  return attribute == SQL_ATTR_CURRENT_CATALOG || attribute == SQL_ATTR_TRACEFILE ||
         attribute == SQL_ATTR_TRANSLATE_LIB;
}

// "rc = function(handle, attribute, (SQLPOINTER) value, length);"
template <typename Handle>
void traceSet(const CallTrace& trace, const char* function, const char* word, Handle* handle,
              const std::string& attribute, const std::string& value, const std::string& length) {
  trace.line(callLine(function, {trace.handle(word, handle), attribute,
                                 "(SQLPOINTER) " + value, length}));
}

// The declarations and call line of the get template; answers nothing.
template <typename Handle>
void traceGet(const CallTrace& trace, const char* function, const char* word, Handle* handle,
              const std::string& attribute, SQLPOINTER value, SQLINTEGER bufferLength,
              SQLINTEGER* length) {
  const std::string valueName =
      value == nullptr ? "NULL" : trace.array("char", "value", value, bufferLength);
  const std::string lengthName =
      length == nullptr ? "NULL" : "&" + trace.variable("SQLINTEGER", "len", length, "0");
  trace.line(callLine(function, {trace.handle(word, handle), attribute, valueName,
                                 bufferLengthName(bufferLength), lengthName}));
}

SQLRETURN setConnectAttrW(ConnectionProxy* proxy, SQLINTEGER attribute, SQLPOINTER value,
                          SQLINTEGER stringLength) {
  if (!isTextConnectAttribute(attribute) || value == nullptr) {
    return proxy->setConnectAttr(attribute, value, stringLength);
  }
  // The length of a wide text counts bytes.
  const WideIn text(static_cast<const SQLWCHAR*>(value),
                    stringLength >= 0 ? stringLength / 2 : stringLength);
  proxy->diagnostics().clear();
  if (text.invalidLength()) return failure(&proxy->diagnostics(), "HY090");
  if (text.failed()) return failure(&proxy->diagnostics(), "HY001");
  return proxy->setConnectAttr(attribute, const_cast<char*>(text.text()), text.length());
}

}  // namespace

KARVOD_EXPORT SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV EnvironmentHandle, SQLINTEGER Attribute,
                                              SQLPOINTER ValuePtr, SQLINTEGER StringLength) {
  Environment* environment = asEnvironment(EnvironmentHandle);
  return runOn(
      environment, TraceKind::Call,
      [&](const CallTrace& trace) {
        traceSet(trace, "SQLSetEnvAttr", "env", environment, envAttrName(Attribute),
                 formatEnvAttrValue(Attribute, ValuePtr), std::to_string(StringLength));
      },
      [&] { return environment->setEnvAttr(Attribute, ValuePtr, StringLength); }, noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV EnvironmentHandle, SQLINTEGER Attribute,
                                              SQLPOINTER ValuePtr, SQLINTEGER BufferLength,
                                              SQLINTEGER* StringLengthPtr) {
  Environment* environment = asEnvironment(EnvironmentHandle);
  return runOn(
      environment, TraceKind::Call,
      [&](const CallTrace& trace) {
        traceGet(trace, "SQLGetEnvAttr", "env", environment, envAttrName(Attribute), ValuePtr,
                 BufferLength, StringLengthPtr);
      },
      [&] {
        return environment->getEnvAttr(Attribute, ValuePtr, BufferLength, StringLengthPtr);
      },
      [&](const CallTrace& trace) {
        if (ValuePtr != nullptr) {
          trace.line(outValueLine("value", formatEnvAttrOutput(Attribute, ValuePtr)));
        }
        if (StringLengthPtr != nullptr) {
          trace.line(outValueLine("len", integerPointerValue(StringLengthPtr)));
        }
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC ConnectionHandle, SQLINTEGER Attribute,
                                                  SQLPOINTER ValuePtr, SQLINTEGER StringLength) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  return runOn(
      proxy, TraceKind::Call,
      [&](const CallTrace& trace) {
        traceSet(trace, "SQLSetConnectAttr", "dbc", proxy, connectAttrName(Attribute),
                 formatConnectAttrValue(Attribute, ValuePtr, StringLength),
                 std::to_string(StringLength));
      },
      [&] { return proxy->setConnectAttr(Attribute, ValuePtr, StringLength); }, noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLSetConnectAttrW(SQLHDBC ConnectionHandle, SQLINTEGER Attribute,
                                                   SQLPOINTER ValuePtr, SQLINTEGER StringLength) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  return runOn(
      proxy, TraceKind::Call,
      [&](const CallTrace& trace) {
        traceSet(trace, "SQLSetConnectAttrW", "dbc", proxy, connectAttrName(Attribute),
                 formatConnectAttrValueW(Attribute, ValuePtr, StringLength),
                 std::to_string(StringLength));
      },
      [&] { return setConnectAttrW(proxy, Attribute, ValuePtr, StringLength); }, noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC ConnectionHandle, SQLINTEGER Attribute,
                                                  SQLPOINTER ValuePtr, SQLINTEGER BufferLength,
                                                  SQLINTEGER* StringLengthPtr) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  return runOn(
      proxy, TraceKind::Call,
      [&](const CallTrace& trace) {
        traceGet(trace, "SQLGetConnectAttr", "dbc", proxy, connectAttrName(Attribute), ValuePtr,
                 BufferLength, StringLengthPtr);
      },
      [&] { return proxy->getConnectAttr(Attribute, ValuePtr, BufferLength, StringLengthPtr); },
      [&](const CallTrace& trace) {
        if (ValuePtr != nullptr) {
          trace.line(outValueLine("value",
                                  formatConnectAttrOutput(Attribute, ValuePtr, BufferLength)));
        }
        if (StringLengthPtr != nullptr) {
          trace.line(outValueLine("len", integerPointerValue(StringLengthPtr)));
        }
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetConnectAttrW(SQLHDBC ConnectionHandle, SQLINTEGER Attribute,
                                                   SQLPOINTER ValuePtr, SQLINTEGER BufferLength,
                                                   SQLINTEGER* StringLengthPtr) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  return runOn(
      proxy, TraceKind::Call,
      [&](const CallTrace& trace) {
        traceGet(trace, "SQLGetConnectAttrW", "dbc", proxy, connectAttrName(Attribute), ValuePtr,
                 BufferLength, StringLengthPtr);
      },
      [&] {
        if (!isTextConnectAttribute(Attribute)) {
          return proxy->getConnectAttr(Attribute, ValuePtr, BufferLength, StringLengthPtr);
        }
        proxy->diagnostics().clear();
        return WideOut(ValuePtr, BufferLength, WideUnit::Bytes)
            .answer(StringLengthPtr, &proxy->diagnostics(),
                    [&](char* scratch, SQLINTEGER room, SQLINTEGER* length) {
                      return proxy->getConnectAttr(Attribute, scratch, room, length);
                    });
      },
      [&](const CallTrace& trace) {
        if (ValuePtr != nullptr) {
          trace.line(outValueLine("value",
                                  formatConnectAttrOutputW(Attribute, ValuePtr, BufferLength)));
        }
        trace.line(outValueLine("len", integerPointerValue(StringLengthPtr)));
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLSetConnectOption(SQLHDBC ConnectionHandle, SQLUSMALLINT Option,
                                                    SQLULEN Value) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  const auto value = reinterpret_cast<SQLPOINTER>(Value);
  return runOn(
      proxy, TraceKind::Call,
      [&](const CallTrace& trace) {
        trace.line(callLine("SQLSetConnectOption",
                            {trace.handle("dbc", proxy), connectAttrName(Option),
                             "(SQLULEN) " + formatConnectAttrValue(Option, value, SQL_NTS)}));
      },
      [&] { return proxy->setConnectAttr(Option, value, SQL_NTS); }, noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLSetConnectOptionW(SQLHDBC ConnectionHandle,
                                                     SQLUSMALLINT Option, SQLULEN Value) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  const auto value = reinterpret_cast<SQLPOINTER>(Value);
  return runOn(
      proxy, TraceKind::Call,
      [&](const CallTrace& trace) {
        trace.line(callLine("SQLSetConnectOptionW",
                            {trace.handle("dbc", proxy), connectAttrName(Option),
                             "(SQLULEN) " + formatConnectAttrValueW(Option, value, SQL_NTS)}));
      },
      [&] { return setConnectAttrW(proxy, Option, value, SQL_NTS); }, noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetConnectOption(SQLHDBC ConnectionHandle, SQLUSMALLINT Option,
                                                    SQLPOINTER Value) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  return runOn(
      proxy, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string valueName =
            Value == nullptr ? "NULL"
                             : trace.array("char", "value", Value, optionBufferLength);
        trace.line(callLine("SQLGetConnectOption",
                            {trace.handle("dbc", proxy), connectAttrName(Option), valueName}));
      },
      [&] { return proxy->getConnectAttr(Option, Value, optionBufferLength, nullptr); },
      [&](const CallTrace& trace) {
        trace.line(outValueLine(
            "value", Value == nullptr
                         ? "null"
                         : formatConnectAttrOutput(Option, Value, optionBufferLength)));
      });
}

namespace {

// The descriptor-handle attributes are traced as comments: the replay has no statement of its
// own to take them from.
bool isDescriptorAttribute(SQLINTEGER attribute) {
  return attribute == SQL_ATTR_APP_ROW_DESC || attribute == SQL_ATTR_APP_PARAM_DESC ||
         attribute == SQL_ATTR_IMP_ROW_DESC || attribute == SQL_ATTR_IMP_PARAM_DESC;
}

// The C type that a statement attribute's buffer length announces; null for none.
const char* scalarBufferType(SQLINTEGER bufferLength) {
  switch (bufferLength) {
    case SQL_IS_POINTER:
      return "SQLPOINTER";
    case SQL_IS_UINTEGER:
      return "SQLUINTEGER";
    case SQL_IS_INTEGER:
      return "SQLINTEGER";
    case SQL_IS_USMALLINT:
      return "SQLUSMALLINT";
    case SQL_IS_SMALLINT:
      return "SQLSMALLINT";
    default:
      return nullptr;
  }
}

void traceGetStmtAttr(const CallTrace& trace, const char* function, Statement* statement,
                      SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER bufferLength,
                      SQLINTEGER* length) {
  const char* scalar = scalarBufferType(bufferLength);
  const char* initial = bufferLength == SQL_IS_POINTER ? "NULL" : "0";
  std::string valueName = "NULL";
  std::string lengthName = "NULL";
  const std::string statementName = trace.handle("stmt", statement);
  if (isDescriptorAttribute(attribute)) {
    // Commented out, so not declared for the replay either.
    if (value != nullptr && scalar != nullptr) {
      valueName = "&" + variableName("value", value);
      trace.line("// " + std::string(scalar) + " " + variableName("value", value) + " = " +
                 initial + ";");
    } else if (value != nullptr) {
      valueName = variableName("value", value);
    }
    if (length != nullptr) lengthName = "&" + variableName("len", length);
    trace.line("// " + callLine(function, {statementName, stmtAttrName(attribute),
                                           "(SQLPOINTER) " + valueName,
                                           bufferLengthName(bufferLength), lengthName}));
    return;
  }
  if (value != nullptr && scalar != nullptr) {
    valueName = "&" + trace.variable(scalar, "value", value, initial);
  } else if (value != nullptr) {
    valueName = trace.array("char", "value", value, bufferLength);
  }
  if (length != nullptr) lengthName = "&" + trace.variable("SQLINTEGER", "len", length, "0");
  trace.line(callLine(function, {statementName, stmtAttrName(attribute),
                                 "(SQLPOINTER) " + valueName, bufferLengthName(bufferLength),
                                 lengthName}));
}

SQLRETURN setStmtAttr(const char* function, SQLHSTMT handle, SQLINTEGER attribute,
                      SQLPOINTER value, SQLINTEGER stringLength) {
  Statement* statement = asStatement(handle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        traceSet(trace, function, "stmt", statement, stmtAttrName(attribute),
                 formatStmtAttrValue(attribute, value), bufferLengthName(stringLength));
      },
      [&] { return statement->setStmtAttr(attribute, value, stringLength); }, noValues);
}

SQLRETURN getStmtAttr(const char* function, SQLHSTMT handle, SQLINTEGER attribute,
                      SQLPOINTER value, SQLINTEGER bufferLength, SQLINTEGER* length) {
  Statement* statement = asStatement(handle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        traceGetStmtAttr(trace, function, statement, attribute, value, bufferLength, length);
      },
      [&] { return statement->getStmtAttr(attribute, value, bufferLength, length); },
      [&](const CallTrace& trace) {
        if (value != nullptr) {
          trace.line(outValueLine("value", formatStmtAttrOutput(attribute, value)));
        }
        if (length != nullptr) trace.line(outValueLine("len", integerPointerValue(length)));
      });
}

}  // namespace

KARVOD_EXPORT SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT StatementHandle, SQLINTEGER Attribute,
                                               SQLPOINTER ValuePtr, SQLINTEGER StringLength) {
  return setStmtAttr("SQLSetStmtAttr", StatementHandle, Attribute, ValuePtr, StringLength);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLSetStmtAttrW(SQLHSTMT StatementHandle, SQLINTEGER Attribute,
                                                SQLPOINTER ValuePtr, SQLINTEGER StringLength) {
  return setStmtAttr("SQLSetStmtAttrW", StatementHandle, Attribute, ValuePtr, StringLength);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT StatementHandle, SQLINTEGER Attribute,
                                               SQLPOINTER ValuePtr, SQLINTEGER BufferLength,
                                               SQLINTEGER* StringLengthPtr) {
  return getStmtAttr("SQLGetStmtAttr", StatementHandle, Attribute, ValuePtr, BufferLength,
                     StringLengthPtr);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetStmtAttrW(SQLHSTMT StatementHandle, SQLINTEGER Attribute,
                                                SQLPOINTER ValuePtr, SQLINTEGER BufferLength,
                                                SQLINTEGER* StringLengthPtr) {
  return getStmtAttr("SQLGetStmtAttrW", StatementHandle, Attribute, ValuePtr, BufferLength,
                     StringLengthPtr);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLSetStmtOption(SQLHSTMT StatementHandle, SQLUSMALLINT Option,
                                                 SQLULEN Value) {
  Statement* statement = asStatement(StatementHandle);
  const auto value = reinterpret_cast<SQLPOINTER>(Value);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        trace.line(callLine("SQLSetStmtOption",
                            {trace.handle("stmt", statement), stmtAttrName(Option),
                             "(SQLULEN) " + formatStmtAttrValue(Option, value)}));
      },
      [&] { return statement->setStmtAttr(Option, value, SQL_NTS); }, noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetStmtOption(SQLHSTMT StatementHandle, SQLUSMALLINT Option,
                                                 SQLPOINTER Value) {
  Statement* statement = asStatement(StatementHandle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string valueName =
            Value == nullptr ? "NULL" : trace.array("char", "value", Value, optionBufferLength);
        trace.line(callLine("SQLGetStmtOption",
                            {trace.handle("stmt", statement), stmtAttrName(Option), valueName}));
      },
      [&] { return statement->getStmtAttr(Option, Value, optionBufferLength, nullptr); },
      [&](const CallTrace& trace) {
        trace.line(outValueLine(
            "value", Value == nullptr ? "null" : formatStmtAttrOutput(Option, Value)));
      });
}
