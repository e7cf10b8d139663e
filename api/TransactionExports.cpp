// Ending transactions. A connection handle, when given, names the one transaction to end; only
// an environment alone ends every connection's.
#include "api/Handles.h"
#include "core/TraceFormatter.h"
#include "platform/Export.h"

using namespace api;

namespace {

// `callText()` answers the call line, built only when the call is traced.
template <typename Handle, typename CallText>
SQLRETURN endTran(Handle* handle, CallText callText, SQLSMALLINT completionType) {
  return runOn(
      handle, TraceKind::EnterExit, [&](const CallTrace& trace) { trace.line(callText()); },
      [&] { return handle->endTran(completionType); }, noValues);
}

}  // namespace

KARVOD_EXPORT SQLRETURN SQL_API SQLEndTran(SQLSMALLINT HandleType, SQLHANDLE Handle,
                                           SQLSMALLINT CompletionType) {
  if (Handle == nullptr) return SQL_INVALID_HANDLE;
  const auto callText = [&](const char* word) {
    return [=] {
      return callLine("SQLEndTran", {handleTypeName(HandleType), variableName(word, Handle),
                                     completionTypeName(CompletionType)});
    };
  };
  switch (HandleType) {
    case SQL_HANDLE_ENV:
      return endTran(asEnvironment(Handle), callText("env"), CompletionType);
    case SQL_HANDLE_DBC:
      return endTran(asConnection(Handle), callText("dbc"), CompletionType);
    default:
      return SQL_INVALID_HANDLE;
  }
}

KARVOD_EXPORT SQLRETURN SQL_API SQLTransact(SQLHENV EnvironmentHandle, SQLHDBC ConnectionHandle,
                                            SQLUSMALLINT CompletionType) {
  const auto callText = [&] {
    const auto name = [](const char* word, SQLHANDLE handle) {
      return handle == nullptr ? std::string("NULL") : variableName(word, handle);
    };
    return callLine("SQLTransact", {name("env", EnvironmentHandle),
                                    name("dbc", ConnectionHandle),
                                    completionTypeName(CompletionType)});
  };
  const auto completion = static_cast<SQLSMALLINT>(CompletionType);
  if (ConnectionHandle != nullptr) {
    return endTran(asConnection(ConnectionHandle), callText, completion);
  }
  if (EnvironmentHandle != nullptr) {
    return endTran(asEnvironment(EnvironmentHandle), callText, completion);
  }
  return SQL_INVALID_HANDLE;
}
