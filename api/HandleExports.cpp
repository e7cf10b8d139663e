// Allocating, freeing and copying handles.
#include "api/Handles.h"

#include <mutex>

#include "backend/DriverFactories.h"
#include "core/Connection.h"
#include "core/TraceFormatter.h"
#include "platform/Export.h"

using namespace api;

namespace {

const char* handleWord(SQLSMALLINT handleType) {
  switch (handleType) {
    case SQL_HANDLE_ENV:
      return "env";
    case SQL_HANDLE_DBC:
      return "dbc";
    case SQL_HANDLE_STMT:
      return "stmt";
    default:
      return "desc";
  }
}

// The lines of an allocation, written once the new handle exists so that the replay declares
// and passes it: "// ENTER: ", its declaration, the call line, "// *oh: ", "// rc: ".
// `input` is the handle the new one is made under ("env" or "dbc"), null for an environment;
// `typed` calls name the handle type first.
void traceAllocation(Environment* environment, const char* function, bool typed,
                     const char* inputWord, SQLHANDLE input, SQLSMALLINT handleType,
                     SQLHANDLE* output, SQLRETURN rc) noexcept {
  try {
    const CallTrace trace(environment);
    if (!trace.on()) return;
    trace.line(enterLine());
    if (handleType == SQL_HANDLE_ENV) trace.returnCodeVariable();
    std::string leadingArguments = handleType == SQL_HANDLE_ENV && !typed
                                       ? std::string()
                                       : trace.handle(inputWord, input);
    if (typed) leadingArguments = handleTypeName(handleType) + ", " + leadingArguments;
    std::string outputArgument = "NULL";
    if (output != nullptr) {
      outputArgument = "&" + trace.variable("SQLHANDLE", handleWord(handleType), *output, "");
    }
    trace.line(leadingArguments.empty() ? callLine(function, {" " + outputArgument})
                                        : callLine(function, {leadingArguments, outputArgument}));
    if (output != nullptr) trace.line(outValueLine("*oh", traceAddress(*output)));
    trace.line(returnCodeLine(rc));
  } catch (...) {
    // The handle is made; only trace lines are lost.
  }
}

SQLRETURN allocateEnvironment(SQLHANDLE* output, const char* function, bool typed) {
  if (output == nullptr) return SQL_ERROR;
  Environment* environment = createEnvironment();
  *output = environment;
  if (environment == nullptr) return SQL_ERROR;
  traceAllocation(environment, function, typed, "env", nullptr, SQL_HANDLE_ENV, output,
                  SQL_SUCCESS);
  return SQL_SUCCESS;
}

// Threads allocating connections share the environment's diagnostics, and threads allocating
// statements those of their connection, which its calls post on under its call lock.
std::unique_lock<platform::Mutex> lockDiagnostics(Environment* environment) {
  return std::unique_lock<platform::Mutex>(environment->diagnosticsMutex());
}
std::unique_lock<platform::Mutex> lockDiagnostics(ConnectionProxy* proxy) {
  Connection* connection = proxy->connection();
  if (connection == nullptr) return {};
  return std::unique_lock<platform::Mutex>(connection->callMutex());
}

// Connection, statement and descriptor handles are made under an input handle, which carries
// the trace and the diagnostics of the allocation.
template <typename Input, typename Make>
SQLRETURN allocateUnder(Input* input, const char* inputWord, SQLSMALLINT handleType,
                        SQLHANDLE* output, const char* function, bool typed, Make make,
                        const char* refusal) {
  if (input == nullptr) {
    if (output != nullptr) *output = nullptr;
    return SQL_INVALID_HANDLE;
  }
  SQLRETURN rc = SQL_SUCCESS;
  {
    const std::unique_lock<platform::Mutex> lock = lockDiagnostics(input);
    try {
      input->diagnostics().clear();
      if (output == nullptr) {
        rc = failure(&input->diagnostics(), "HY009");
      } else {
        *output = make();
        if (*output == nullptr) {
          input->diagnostics().post("HY000", 0, refusal, SQL_NO_COLUMN_NUMBER, SQL_NO_ROW_NUMBER);
          rc = SQL_ERROR;
        }
      }
    } catch (...) {
      return currentFailure(&input->diagnostics());
    }
  }
  // Outside the lock: the trace takes locks of its own.
  traceAllocation(environmentOf(input), function, typed, inputWord, input, handleType, output, rc);
  return rc;
}

SQLRETURN allocateConnection(SQLHANDLE input, SQLHANDLE* output, const char* function,
                             bool typed) {
  Environment* environment = asEnvironment(input);
  return allocateUnder(
      environment, "env", SQL_HANDLE_DBC, output, function, typed,
      [environment] { return static_cast<SQLHANDLE>(new ConnectionProxy(environment)); }, "");
}

SQLRETURN allocateStatement(SQLHANDLE input, SQLHANDLE* output, const char* function,
                            bool typed) {
  ConnectionProxy* connection = asConnection(input);
  return allocateUnder(
      connection, "dbc", SQL_HANDLE_STMT, output, function, typed,
      [connection] { return static_cast<SQLHANDLE>(connection->createStatement()); },
      "Can't create a statement before connection is made");
}

SQLRETURN allocateDescriptor(SQLHANDLE input, SQLHANDLE* output) {
  ConnectionProxy* connection = asConnection(input);
  return allocateUnder(
      connection, "dbc", SQL_HANDLE_DESC, output, "SQLAllocHandle", true,
      [connection] { return static_cast<SQLHANDLE>(connection->createDescriptor()); },
      "Can't create a descriptor before connection is made");
}

// Freeing: "// ENTER: " and the call line through the handle's trace, then the handle goes, then
// "// rc: " through its environment's (none for an environment, whose trace goes with it).
SQLRETURN freeEnvironment(SQLHANDLE handle, const char* function, bool typed) {
  Environment* environment = asEnvironment(handle);
  if (environment == nullptr) return SQL_INVALID_HANDLE;
  try {
    const CallTrace trace(environment);
    if (trace.on()) {
      trace.line(enterLine());
      const std::string name = trace.handle("env", environment);
      trace.line(typed ? callLine(function, {handleTypeName(SQL_HANDLE_ENV), name})
                       : callLine(function, {name}));
    }
  } catch (...) {
    // Freeing goes on without its trace.
  }
  delete environment;
  return SQL_SUCCESS;
}

template <typename Handle, typename Free>
SQLRETURN freeUnder(Handle* handle, const char* word, SQLSMALLINT handleType,
                    const char* function, bool typed, Free free) {
  if (handle == nullptr) return SQL_INVALID_HANDLE;
  Environment* environment = environmentOf(handle);
  return runExport(
      environment, TraceKind::Enter, [] { return static_cast<DiagnosticHeader*>(nullptr); },
      [&](const CallTrace& trace) {
        const std::string name = trace.handle(word, handle);
        trace.line(typed ? callLine(function, {handleTypeName(handleType), name})
                         : callLine(function, {name}));
      },
      free, noValues);
}

SQLRETURN freeConnection(SQLHANDLE handle, const char* function, bool typed) {
  ConnectionProxy* connection = asConnection(handle);
  return freeUnder(connection, "dbc", SQL_HANDLE_DBC, function, typed, [connection]() -> SQLRETURN {
    delete connection;
    return SQL_SUCCESS;
  });
}

SQLRETURN freeStatement(SQLHANDLE handle) {
  Statement* statement = asStatement(handle);
  return freeUnder(statement, "stmt", SQL_HANDLE_STMT, "SQLFreeHandle", true, [statement]() -> SQLRETURN {
    // The handle goes whatever closing its cursor answered.
    {
      const std::unique_lock<platform::Mutex> lock = lockConnectionOf(statement);
      statement->freeStmt(SQL_DROP);
    }
    delete statement;
    return SQL_SUCCESS;
  });
}

SQLRETURN freeDescriptor(SQLHANDLE handle) {
  Descriptor* descriptor = asDescriptor(handle);
  return freeUnder(descriptor, "desc", SQL_HANDLE_DESC, "SQLFreeHandle", true, [descriptor]() -> SQLRETURN {
    // A statement's own descriptors go only with the statement.
    if (descriptor->getAllocType() == SQL_DESC_ALLOC_AUTO) {
      descriptor->diagnostics().clear();
      return failure(&descriptor->diagnostics(), "HY017");
    }
    delete descriptor;
    return SQL_SUCCESS;
  });
}

}  // namespace

KARVOD_EXPORT SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT HandleType, SQLHANDLE InputHandle,
                                               SQLHANDLE* OutputHandlePtr) {
  switch (HandleType) {
    case SQL_HANDLE_ENV:
      return allocateEnvironment(OutputHandlePtr, "SQLAllocHandle", true);
    case SQL_HANDLE_DBC:
      return allocateConnection(InputHandle, OutputHandlePtr, "SQLAllocHandle", true);
    case SQL_HANDLE_STMT:
      return allocateStatement(InputHandle, OutputHandlePtr, "SQLAllocHandle", true);
    case SQL_HANDLE_DESC:
      return allocateDescriptor(InputHandle, OutputHandlePtr);
    default:
      return SQL_ERROR;
  }
}

KARVOD_EXPORT SQLRETURN SQL_API SQLAllocEnv(SQLHENV* EnvironmentHandle) {
  return allocateEnvironment(EnvironmentHandle, "SQLAllocEnv", false);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLAllocConnect(SQLHENV EnvironmentHandle,
                                                SQLHDBC* ConnectionHandle) {
  return allocateConnection(EnvironmentHandle, ConnectionHandle, "SQLAllocConnect", false);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLAllocStmt(SQLHDBC ConnectionHandle,
                                             SQLHSTMT* StatementHandle) {
  return allocateStatement(ConnectionHandle, StatementHandle, "SQLAllocStmt", false);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT HandleType, SQLHANDLE Handle) {
  switch (HandleType) {
    case SQL_HANDLE_ENV:
      return freeEnvironment(Handle, "SQLFreeHandle", true);
    case SQL_HANDLE_DBC:
      return freeConnection(Handle, "SQLFreeHandle", true);
    case SQL_HANDLE_STMT:
      return freeStatement(Handle);
    case SQL_HANDLE_DESC:
      return freeDescriptor(Handle);
    default:
      return SQL_INVALID_HANDLE;
  }
}

KARVOD_EXPORT SQLRETURN SQL_API SQLFreeEnv(SQLHENV EnvironmentHandle) {
  return freeEnvironment(EnvironmentHandle, "SQLFreeEnv", false);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLFreeConnect(SQLHDBC ConnectionHandle) {
  return freeConnection(ConnectionHandle, "SQLFreeConnect", false);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT StatementHandle, SQLUSMALLINT Option) {
  Statement* statement = asStatement(StatementHandle);
  Environment* environment = statement->environment();
  return runExport(
      environment, TraceKind::Enter, [statement] { return &statement->diagnostics(); },
      [&](const CallTrace& trace) {
        trace.line(callLine("SQLFreeStmt",
                            {trace.handle("stmt", statement), freeStmtOptionName(Option)}));
      },
      [&] {
        std::unique_lock<platform::Mutex> lock = lockConnectionOf(statement);
        const SQLRETURN rc = statement->freeStmt(Option);
        lock.unlock();
        // A statement whose drop failed stays, with the failure to read on it.
        if (Option == SQL_DROP && SQL_SUCCEEDED(rc)) {
          delete statement;
          statement = nullptr;
        }
        return rc;
      },
      noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLCopyDesc(SQLHDESC SourceDescHandle, SQLHDESC TargetDescHandle) {
  Descriptor* source = asDescriptor(SourceDescHandle);
  Descriptor* target = asDescriptor(TargetDescHandle);
  if (source == nullptr || target == nullptr) return SQL_INVALID_HANDLE;
  return runOn(
      target, TraceKind::Enter,
      [&](const CallTrace& trace) {
        trace.line(callLine("SQLCopyDesc", {trace.handle("desc", source),
                                            trace.handle("desc", target)}));
      },
      [&] { return target->copy(*source); }, noValues);
}
