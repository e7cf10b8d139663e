#pragma once
// The shapes of the trace's lines, shared by every writer. Each function answers one line without
// its end of line; TraceWriter::writeLine ends and flushes it. The posting of a diagnostic writes
// its own "// diagnostic: state: " line (DiagnosticHeader).
#include <initializer_list>
#include <string>

#include "platform/Odbc.h"

// "// ENTER: " + time stamp: the first line of the exports that time their call.
std::string enterLine();
// "// rc: " + the return code's name: the last line of the other exports.
std::string returnCodeLine(SQLRETURN returnCode);
// "// EXIT: " + time stamp + "  rc: " + the return code's name.
std::string exitLine(SQLRETURN returnCode);

// A variable of the replay: a short word followed at once by the address it stands for
// ("dbc" + address), so that every handle and buffer keeps one name through the trace.
std::string variableName(const char* word, const void* address);
// An argument through which the call answers: "&" + the variable, or "NULL".
std::string outArgument(const char* word, const void* address);
// A buffer handed to the call: the variable, or "NULL".
std::string bufferArgument(const char* word, const void* address);

// C type + " " + variable + ";"                          ("SQLHANDLE dbc<address>;")
std::string declarationLine(const char* cType, const char* word, const void* address);
// C type + " " + variable + " = " + value + ";"          ("SQLSMALLINT cols<address> = 3;")
std::string declarationLine(const char* cType, const char* word, const void* address,
                            const std::string& initialValue);
// C type + " " + variable + "[" + size + "];"            ("char value<address>[256];")
std::string arrayDeclarationLine(const char* cType, const char* word, const void* address,
                                 const std::string& size);

// "rc = " + function + "(" + the arguments joined by ", " + ");"
std::string callLine(const char* function, std::initializer_list<std::string> arguments);

// "// " + word + ": " + value: what the call answered through one of its arguments.
std::string outValueLine(const char* word, const std::string& value);
