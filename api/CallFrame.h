#pragma once
// The frame every exported ODBC function runs in. When the handle's environment traces, the call
// is written as C that replays it: an "// ENTER: " line for the kinds that time their call, the
// declarations and the call line, then, after the operation, the values the call answered and
// "// rc: " (or the "// EXIT: " line). The tracing test is made before and again after the
// operation.
//
// No C++ exception leaves an export: an allocation failure posts "HY001", anything else "HY000",
// on the handle's diagnostics, and the export answers SQL_ERROR. Trace lines lost to a failure
// after the operation ran do not change its answer.
#include <new>
#include <string>

#include "core/DiagnosticHeader.h"
#include "core/Environment.h"
#include "core/TraceLines.h"
#include "platform/Odbc.h"

namespace api {

enum class TraceKind {
  // Declarations, call line, the answered values after a success, "// rc: ".
  Call,
  // As Call, with the answered values whatever the result.
  CallAnsweringAlways,
  // "// ENTER: " first, then as Call.
  Enter,
  // "// ENTER: ", declarations, call line, the answered values whatever the result, "// EXIT: ".
  EnterExit,
};

// The lines of one call on the trace of an environment; the environment may be null (nothing
// traces).
class CallTrace {
 public:
  explicit CallTrace(Environment* environment) : environment_(environment) {}

  bool on() const { return environment_ != nullptr && environment_->isTracing(); }
  void line(const std::string& text) const;

  // A variable of the replay, declared the first time it is named (TraceWriter::declare);
  // answers the name the call line uses.
  std::string variable(const char* cType, const char* word, const void* address,
                       const std::string& initialValue) const;
  // An array of `size` elements (at least one, so that the replay compiles).
  std::string array(const char* cType, const char* word, const void* address,
                    SQLLEN size) const;
  // "SQLRETURN rc = SQL_SUCCESS;", the variable every call line assigns, when not yet declared.
  void returnCodeVariable() const;
  // A handle argument: its SQLHANDLE variable, declared when new, or "NULL".
  std::string handle(const char* word, const void* handle) const;
  // "&" + a variable, or "NULL" for a null pointer.
  static std::string addressOf(const std::string& variable, const void* pointer);

 private:
  Environment* environment_;
};

// A text argument of a narrow export: "(SQLCHAR *) " + the C literal of at most `length` bytes,
// or "NULL".
std::string narrowTextArgument(const void* text, SQLINTEGER length);
// A text argument of a wide export, from its UTF-8 copy: "(SQLWCHAR *) u" + the C literal, or
// "NULL".
std::string wideTextArgument(const char* utf8);

// Posts the state on the diagnostics (when there are any) and answers SQL_ERROR; never throws.
SQLRETURN failure(DiagnosticHeader* diagnostics, const char* sqlState) noexcept;

// Answers the failure of an exception caught by the caller: "HY001" for std::bad_alloc, else
// "HY000". Call only inside a catch block.
SQLRETURN currentFailure(DiagnosticHeader* diagnostics) noexcept;

// Runs one export. `diagnostics()` answers the handle's diagnostics at the moment of a failure
// (null when it has none); `before(trace)` writes the declarations and the call line;
// `operation()` answers the return code; `after(trace)` writes the answered values.
template <typename Diagnostics, typename Before, typename Operation, typename After>
SQLRETURN runExport(Environment* environment, TraceKind kind, Diagnostics diagnostics,
                    Before before, Operation operation, After after) noexcept {
  SQLRETURN rc = SQL_ERROR;
  try {
    const CallTrace trace(environment);
    if (trace.on()) {
      if (kind == TraceKind::Enter || kind == TraceKind::EnterExit) trace.line(enterLine());
      before(trace);
    }
    rc = operation();
  } catch (...) {
    return currentFailure(diagnostics());
  }
  try {
    const CallTrace trace(environment);
    if (trace.on()) {
      if (SQL_SUCCEEDED(rc) || kind == TraceKind::EnterExit ||
          kind == TraceKind::CallAnsweringAlways) {
        after(trace);
      }
      trace.line(kind == TraceKind::EnterExit ? exitLine(rc) : returnCodeLine(rc));
    }
  } catch (...) {
    // The operation has run; only trace lines are lost.
  }
  return rc;
}

// For exports that answer nothing through their arguments.
inline void noValues(const CallTrace&) {}

}  // namespace api
