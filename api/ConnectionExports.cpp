// Opening, closing and questioning a connection.
#include <cstring>

#include "api/Connect.h"
#include "api/Handles.h"
#include "api/WideIn.h"
#include "api/WideOut.h"
#include "core/AttributeString.h"
#include "core/InfoItems.h"
#include "core/TraceFormatter.h"
#include "core/TraceValueFormatter.h"
#include "platform/Export.h"

using namespace api;

namespace {

// The password never reaches the trace; its length does.
const std::string maskedPassword = "(SQLCHAR *) \"***\"";

std::string windowArgument(SQLHWND window) { return "(SQLHWND) " + hexPointerText(window); }

}  // namespace

KARVOD_EXPORT SQLRETURN SQL_API SQLConnect(SQLHDBC ConnectionHandle, SQLCHAR* ServerName,
                                           SQLSMALLINT NameLength1, SQLCHAR* UserName,
                                           SQLSMALLINT NameLength2, SQLCHAR* Authentication,
                                           SQLSMALLINT NameLength3) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  return runOn(
      proxy, TraceKind::EnterExit,
      [&](const CallTrace& trace) {
        trace.line(callLine("SQLConnect",
                            {trace.handle("dbc", proxy), narrowTextArgument(ServerName, NameLength1),
                             lengthOrNts(NameLength1), narrowTextArgument(UserName, NameLength2),
                             lengthOrNts(NameLength2), maskedPassword, lengthOrNts(NameLength3)}));
      },
      [&] {
        if (!attachNewConnection(proxy, false)) return SQLRETURN{SQL_ERROR};
        return proxy->connect(reinterpret_cast<const char*>(ServerName), NameLength1,
                              reinterpret_cast<const char*>(UserName), NameLength2,
                              reinterpret_cast<const char*>(Authentication), NameLength3);
      },
      noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLConnectW(SQLHDBC ConnectionHandle, SQLWCHAR* ServerName,
                                            SQLSMALLINT NameLength1, SQLWCHAR* UserName,
                                            SQLSMALLINT NameLength2, SQLWCHAR* Authentication,
                                            SQLSMALLINT NameLength3) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  const WideIn server(ServerName, NameLength1);
  const WideIn user(UserName, NameLength2);
  const WideIn password(Authentication, NameLength3);
  return runOn(
      proxy, TraceKind::EnterExit,
      [&](const CallTrace& trace) {
        trace.line(callLine("SQLConnectW",
                            {trace.handle("dbc", proxy), wideTextArgument(server.text()),
                             lengthOrNts(NameLength1), wideTextArgument(user.text()),
                             lengthOrNts(NameLength2), "(SQLWCHAR *) u\"***\"",
                             lengthOrNts(NameLength3)}));
      },
      [&] {
        if (server.failed() || user.failed() || password.failed()) {
          proxy->diagnostics().clear();
          return failure(&proxy->diagnostics(), "HY001");
        }
        if (!attachNewConnection(proxy, true)) return SQLRETURN{SQL_ERROR};
        return proxy->connect(server.text(), server.length(), user.text(), user.length(),
                              password.text(), password.length());
      },
      noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLDriverConnect(SQLHDBC ConnectionHandle, SQLHWND WindowHandle,
                                                 SQLCHAR* InConnectionString,
                                                 SQLSMALLINT StringLength1,
                                                 SQLCHAR* OutConnectionString,
                                                 SQLSMALLINT BufferLength,
                                                 SQLSMALLINT* StringLength2Ptr,
                                                 SQLUSMALLINT DriverCompletion) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  const auto* in = reinterpret_cast<const char*>(InConnectionString);
  auto* out = reinterpret_cast<char*>(OutConnectionString);
  SQLRETURN rc = SQL_ERROR;
  std::string outName;
  std::string lengthName;
  return runOn(
      proxy, TraceKind::EnterExit,
      [&](const CallTrace& trace) {
        outName = trace.array("SQLCHAR", "out", out, BufferLength);
        lengthName = trace.variable("SQLSMALLINT", "len", StringLength2Ptr, "0");
        trace.line(callLine(
            "SQLDriverConnect",
            {trace.handle("dbc", proxy), windowArgument(WindowHandle),
             "(SQLCHAR *) " + cLiteral(maskPasswordInConnectionString(in, StringLength1)),
             lengthOrNts(StringLength1), out == nullptr ? "NULL" : outName,
             std::to_string(BufferLength), CallTrace::addressOf(lengthName, StringLength2Ptr),
             driverCompletionName(DriverCompletion)}));
      },
      [&] {
        rc = attachNewConnection(proxy, false)
                 ? proxy->driverConnect(WindowHandle, in, StringLength1, out, BufferLength,
                                        StringLength2Ptr, DriverCompletion)
                 : SQL_ERROR;
        return rc;
      },
      [&](const CallTrace& trace) {
        std::string written = "null";
        if (SQL_SUCCEEDED(rc) && out != nullptr && BufferLength > 0) {
          SQLINTEGER length = BufferLength;
          if (StringLength2Ptr != nullptr && *StringLength2Ptr < length) length = *StringLength2Ptr;
          written = cLiteral(maskPasswordInConnectionString(out, length));
        }
        trace.line(outValueLine("out", written));
        trace.line(outValueLine("len", smallIntPointerValue(StringLength2Ptr)));
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLDriverConnectW(SQLHDBC ConnectionHandle, SQLHWND WindowHandle,
                                                  SQLWCHAR* InConnectionString,
                                                  SQLSMALLINT StringLength1,
                                                  SQLWCHAR* OutConnectionString,
                                                  SQLSMALLINT BufferLength,
                                                  SQLSMALLINT* StringLength2Ptr,
                                                  SQLUSMALLINT DriverCompletion) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  const WideIn in(InConnectionString, StringLength1);
  WideOut out(OutConnectionString, BufferLength, WideUnit::Characters);
  std::string completed;
  bool written = false;
  return runOn(
      proxy, TraceKind::EnterExit,
      [&](const CallTrace& trace) {
        const std::string outName =
            trace.array("SQLWCHAR", "out", OutConnectionString, BufferLength);
        const std::string lengthName =
            trace.variable("SQLSMALLINT", "len", StringLength2Ptr, "0");
        const std::string masked =
            in.text() == nullptr ? "NULL"
                                 : "(SQLWCHAR *) u" + cLiteral(maskPasswordInConnectionString(
                                                          in.text(), in.length()));
        trace.line(callLine(
            "SQLDriverConnectW",
            {trace.handle("dbc", proxy), windowArgument(WindowHandle), masked,
             lengthOrNts(StringLength1), OutConnectionString == nullptr ? "NULL" : outName,
             std::to_string(BufferLength), CallTrace::addressOf(lengthName, StringLength2Ptr),
             driverCompletionName(DriverCompletion)}));
      },
      [&] {
        proxy->diagnostics().clear();
        if (in.failed()) return failure(&proxy->diagnostics(), "HY001");
        if (BufferLength < 0) return failure(&proxy->diagnostics(), "HY090");
        if (!attachNewConnection(proxy, true)) return SQLRETURN{SQL_ERROR};
        const std::string inText = in.text() == nullptr ? std::string() : in.text();
        SQLRETURN rc = proxy->driverConnect(WindowHandle, inText, completed, DriverCompletion);
        if (!SQL_SUCCEEDED(rc)) return rc;
        written = true;
        const SQLINTEGER length = out.deliverText(completed);
        if (StringLength2Ptr != nullptr) *StringLength2Ptr = static_cast<SQLSMALLINT>(length);
        if (out.cut() && rc == SQL_SUCCESS) {
          rc = SQL_SUCCESS_WITH_INFO;
          proxy->diagnostics().post("01004", 0, "", SQL_NO_COLUMN_NUMBER, SQL_NO_ROW_NUMBER);
        }
        return rc;
      },
      [&](const CallTrace& trace) {
        trace.line(outValueLine(
            "out", written ? cLiteral(maskPasswordInConnectionString(completed.c_str(), SQL_NTS))
                           : "null"));
        trace.line(outValueLine("len", smallIntPointerValue(StringLength2Ptr)));
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLDisconnect(SQLHDBC ConnectionHandle) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  return runOn(
      proxy, TraceKind::EnterExit,
      [&](const CallTrace& trace) {
        trace.line(callLine("SQLDisconnect", {trace.handle("dbc", proxy)}));
      },
      [&] { return proxy->disconnect(); }, noValues);
}

namespace {

// The declarations and call line of SQLGetInfo and SQLGetInfoW.
void traceGetInfo(const CallTrace& trace, const char* function, const char* bufferType,
                  SQLLEN elements, ConnectionProxy* proxy, SQLUSMALLINT infoType,
                  SQLPOINTER value, SQLSMALLINT bufferLength, SQLSMALLINT* length) {
  const std::string valueName =
      value == nullptr ? "NULL" : trace.array(bufferType, "value", value, elements);
  const std::string lengthName =
      length == nullptr ? "NULL" : "&" + trace.variable("SQLSMALLINT", "len", length, "0");
  trace.line(callLine(function, {trace.handle("dbc", proxy), infoTypeName(infoType), valueName,
                                 std::to_string(bufferLength), lengthName}));
}

}  // namespace

KARVOD_EXPORT SQLRETURN SQL_API SQLGetInfo(SQLHDBC ConnectionHandle, SQLUSMALLINT InfoType,
                                           SQLPOINTER InfoValuePtr, SQLSMALLINT BufferLength,
                                           SQLSMALLINT* StringLengthPtr) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  return runOn(
      proxy, TraceKind::Call,
      [&](const CallTrace& trace) {
        traceGetInfo(trace, "SQLGetInfo", "char", BufferLength, proxy, InfoType, InfoValuePtr,
                     BufferLength, StringLengthPtr);
      },
      [&] { return proxy->getInfo(InfoType, InfoValuePtr, BufferLength, StringLengthPtr); },
      [&](const CallTrace& trace) {
        if (InfoValuePtr != nullptr) {
          trace.line(outValueLine("value",
                                  formatInfoValue(InfoType, InfoValuePtr, BufferLength)));
        }
        if (StringLengthPtr != nullptr) {
          trace.line(outValueLine("*len", smallIntPointerValue(StringLengthPtr)));
        }
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetInfoW(SQLHDBC ConnectionHandle, SQLUSMALLINT InfoType,
                                            SQLPOINTER InfoValuePtr, SQLSMALLINT BufferLength,
                                            SQLSMALLINT* StringLengthPtr) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  return runOn(
      proxy, TraceKind::Call,
      [&](const CallTrace& trace) {
        traceGetInfo(trace, "SQLGetInfoW", "SQLWCHAR", BufferLength / 2, proxy, InfoType,
                     InfoValuePtr, BufferLength, StringLengthPtr);
      },
      [&] {
        proxy->setWideAPI(true);
        if (infoKind(InfoType) == InfoKind::Text) {
          return WideOut(InfoValuePtr, BufferLength, WideUnit::Bytes)
              .answer(StringLengthPtr, &proxy->diagnostics(),
                      [&](char* scratch, SQLSMALLINT room, SQLSMALLINT* length) {
                        return proxy->getInfo(InfoType, scratch, room, length);
                      });
        }
        // Numbers are written at their own width, whatever the buffer length says.
        SQLUBIGINT number = 0;
        SQLSMALLINT width = 0;
        const SQLRETURN rc = proxy->getInfo(InfoType, &number, sizeof number, &width);
        if (SQL_SUCCEEDED(rc)) {
          if (InfoValuePtr != nullptr) std::memcpy(InfoValuePtr, &number, width);
          if (StringLengthPtr != nullptr) *StringLengthPtr = width;
        }
        return rc;
      },
      [&](const CallTrace& trace) {
        if (InfoValuePtr != nullptr) {
          trace.line(outValueLine("value",
                                  formatInfoValueW(InfoType, InfoValuePtr, BufferLength)));
        }
        if (StringLengthPtr != nullptr) {
          trace.line(outValueLine("*len", smallIntPointerValue(StringLengthPtr)));
        }
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetFunctions(SQLHDBC ConnectionHandle, SQLUSMALLINT FunctionId,
                                                SQLUSMALLINT* SupportedPtr) {
  ConnectionProxy* proxy = asConnection(ConnectionHandle);
  return runOn(
      proxy, TraceKind::Call,
      [&](const CallTrace& trace) {
        std::string supported = "NULL";
        if (SupportedPtr != nullptr && FunctionId == SQL_API_ODBC3_ALL_FUNCTIONS) {
          supported = trace.array("SQLUSMALLINT", "supported", SupportedPtr,
                                  SQL_API_ODBC3_ALL_FUNCTIONS_SIZE);
        } else if (SupportedPtr != nullptr && FunctionId == SQL_API_ALL_FUNCTIONS) {
          supported = trace.array("SQLUSMALLINT", "supported", SupportedPtr, 100);
        } else if (SupportedPtr != nullptr) {
          supported = "&" + trace.variable("SQLUSMALLINT", "supported", SupportedPtr, "0");
        }
        trace.line(callLine("SQLGetFunctions", {trace.handle("dbc", proxy),
                                                functionIdName(FunctionId), supported}));
      },
      [&] { return proxy->getFunctions(FunctionId, SupportedPtr); },
      [&](const CallTrace& trace) {
        trace.line(outValueLine("*supported",
                                SupportedPtr == nullptr
                                    ? "null"
                                    : formatSupportedFunctions(FunctionId, SupportedPtr)));
      });
}
