#pragma once
// The frame of the statement exports that time their call (ENTER/EXIT), and the check of their
// wide text arguments.
#include <string>
#include <utility>
#include <vector>

#include "api/CallFrame.h"
#include "api/Handles.h"
#include "api/WideIn.h"
#include "statement/Statement.h"

namespace api {

// The call line of an ENTER/EXIT export: the statement and `arguments()`.
template <typename Arguments>
auto callLine(const char* function, Statement* statement, Arguments arguments) {
  return [function, statement, arguments](const CallTrace& trace) {
    std::vector<std::string> all = {trace.handle("stmt", statement)};
    for (std::string& argument : arguments()) all.push_back(std::move(argument));
    std::string line = "rc = " + std::string(function) + "(";
    for (std::size_t i = 0; i < all.size(); ++i) line += (i == 0 ? "" : ", ") + all[i];
    trace.line(line + ");");
  };
}

// An export of the ENTER/EXIT kind whose call line names the statement and `arguments()`.
template <typename Arguments, typename Operation>
SQLRETURN timed(const char* function, Statement* statement, Arguments arguments,
                Operation operation) {
  return runOn(statement, TraceKind::EnterExit, callLine(function, statement, arguments),
               operation, noValues);
}

// Wide texts: HY090 for a negative length other than SQL_NTS, HY001 when one could not be
// converted, else the operation on the UTF-8 copies; nothing reaches the operation otherwise.
// A null entry stands for an argument that is not a wide text.
template <typename Operation>
SQLRETURN withWideTexts(DiagnosticHeader& diagnostics, std::initializer_list<const WideIn*> texts,
                        Operation operation) {
  for (const WideIn* text : texts) {
    if (text != nullptr && (text->invalidLength() || text->failed())) {
      diagnostics.clear();
      return failure(&diagnostics, text->failed() ? "HY001" : "HY090");
    }
  }
  return operation();
}

template <typename Operation>
SQLRETURN withWideText(DiagnosticHeader& diagnostics, const WideIn& text, Operation operation) {
  return withWideTexts(diagnostics, {&text}, operation);
}

}  // namespace api
