#include "core/TraceLines.h"

#include "core/TraceFormatter.h"

std::string enterLine() { return "// ENTER: " + traceTimestamp(); }

std::string returnCodeLine(SQLRETURN returnCode) {
  return "// rc: " + returnCodeName(returnCode);
}

std::string exitLine(SQLRETURN returnCode) {
  return "// EXIT: " + traceTimestamp() + "  rc: " + returnCodeName(returnCode);
}

std::string variableName(const char* word, const void* address) {
  return word + traceAddress(address);
}

std::string outArgument(const char* word, const void* address) {
  return address == nullptr ? "NULL" : "&" + variableName(word, address);
}

std::string bufferArgument(const char* word, const void* address) {
  return address == nullptr ? "NULL" : variableName(word, address);
}

std::string declarationLine(const char* cType, const char* word, const void* address) {
  return std::string(cType) + " " + variableName(word, address) + ";";
}

std::string declarationLine(const char* cType, const char* word, const void* address,
                            const std::string& initialValue) {
  return std::string(cType) + " " + variableName(word, address) + " = " + initialValue + ";";
}

std::string arrayDeclarationLine(const char* cType, const char* word, const void* address,
                                 const std::string& size) {
  return std::string(cType) + " " + variableName(word, address) + "[" + size + "];";
}

std::string callLine(const char* function, std::initializer_list<std::string> arguments) {
  std::string line = "rc = " + std::string(function) + "(";
  const char* separator = "";
  for (const std::string& argument : arguments) {
    line += separator + argument;
    separator = ", ";
  }
  return line + ");";
}

std::string outValueLine(const char* word, const std::string& value) {
  return "// " + std::string(word) + ": " + value;
}
