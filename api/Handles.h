#pragma once
// The handle objects behind the ODBC handles, and what the export frame asks of each: the
// environment whose trace it writes to and the diagnostics that a failure is posted on.
#include <mutex>

#include "api/CallFrame.h"
#include "core/ConnectionProxy.h"
#include "core/Environment.h"
#include "statement/Descriptor.h"
#include "statement/Statement.h"

namespace api {

inline Environment* asEnvironment(SQLHANDLE handle) { return static_cast<Environment*>(handle); }
inline ConnectionProxy* asConnection(SQLHANDLE handle) {
  return static_cast<ConnectionProxy*>(handle);
}
inline Statement* asStatement(SQLHANDLE handle) { return static_cast<Statement*>(handle); }
inline Descriptor* asDescriptor(SQLHANDLE handle) { return static_cast<Descriptor*>(handle); }

inline Environment* environmentOf(Environment* environment) { return environment; }
inline Environment* environmentOf(ConnectionProxy* connection) {
  return connection->environment();
}
inline Environment* environmentOf(Statement* statement) { return statement->environment(); }
Environment* environmentOf(Descriptor* descriptor);

// Threads may share a connection through statements of their own: its requests and replies must
// not interleave, so a call on a statement or a descriptor holds its connection's lock.
inline std::unique_lock<platform::Mutex> lockConnectionOf(Environment*) { return {}; }
inline std::unique_lock<platform::Mutex> lockConnectionOf(ConnectionProxy*) { return {}; }
std::unique_lock<platform::Mutex> lockConnectionOf(Statement* statement);
std::unique_lock<platform::Mutex> lockConnectionOf(Descriptor* descriptor);

// runExport on a handle object, failures posted on its diagnostics.
template <typename Handle, typename Before, typename Operation, typename After>
SQLRETURN runOn(Handle* handle, TraceKind kind, Before before, Operation operation, After after) {
  const std::unique_lock<platform::Mutex> lock = lockConnectionOf(handle);
  return runExport(
      environmentOf(handle), kind, [handle] { return &handle->diagnostics(); }, before,
      operation, after);
}

}  // namespace api
