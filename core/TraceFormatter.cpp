#include "core/TraceFormatter.h"

#include <cstdint>
#include <cstring>
#include <ctime>

#include "core/ConstantNames.h"
#include "core/Unicode.h"
#include "core/WideText.h"
#include "platform/Clock.h"

std::string traceTimestamp() {
  platform::TimeOfDay now{};
  platform::getTimeOfDay(&now, nullptr);
  std::tm local{};
  platform::localTime(static_cast<std::time_t>(now.seconds), local);
  return std::to_string(local.tm_year + 1900) + "-" + std::to_string(local.tm_mon + 1) + "-" +
         std::to_string(local.tm_mday) + " " + std::to_string(local.tm_hour) + ":" +
         std::to_string(local.tm_min) + ":" + std::to_string(local.tm_sec) + "." +
         std::to_string(now.microseconds);
}

std::string handleTypeName(SQLINTEGER handleType) {
  return constantName(handleType, constants::handleTypes);
}
std::string returnCodeName(SQLINTEGER returnCode) {
  return constantName(returnCode, constants::returnCodes);
}
std::string envAttrName(SQLINTEGER attribute) {
  return constantName(attribute, constants::envAttributes);
}
std::string connectAttrName(SQLINTEGER attribute) {
  return constantName(attribute, constants::connectAttributes);
}
std::string infoTypeName(SQLINTEGER infoType) {
  return constantName(infoType, constants::infoTypes);
}
std::string stmtAttrName(SQLINTEGER attribute) {
  return constantName(attribute, constants::stmtAttributes);
}
std::string descFieldName(SQLINTEGER field) { return constantName(field, constants::descFields); }
std::string driverCompletionName(SQLINTEGER completion) {
  return constantName(completion, constants::driverCompletions);
}
std::string sqlTypeName(SQLINTEGER sqlType) { return constantName(sqlType, constants::sqlTypes); }
std::string cTypeName(SQLINTEGER cType) { return constantName(cType, constants::cTypes); }
std::string paramTypeName(SQLINTEGER paramType) {
  return constantName(paramType, constants::paramTypes);
}
std::string diagFieldName(SQLINTEGER field) { return constantName(field, constants::diagFields); }
std::string fetchOrientationName(SQLINTEGER orientation) {
  return constantName(orientation, constants::fetchOrientations);
}
std::string completionTypeName(SQLINTEGER completionType) {
  return constantName(completionType, constants::completionTypes);
}
std::string setPosOperationName(SQLINTEGER operation) {
  return constantName(operation, constants::setPosOperations);
}
std::string lockTypeName(SQLINTEGER lockType) {
  return constantName(lockType, constants::lockTypes);
}
std::string bulkOperationName(SQLINTEGER operation) {
  return constantName(operation, constants::bulkOperations);
}
std::string identifierTypeName(SQLINTEGER identifierType) {
  return constantName(identifierType, constants::identifierTypes);
}
std::string scopeName(SQLINTEGER scope) { return constantName(scope, constants::scopes); }
std::string nullableName(SQLINTEGER nullable) {
  return constantName(nullable, constants::nullables);
}
std::string indexUniqueName(SQLINTEGER unique) {
  return constantName(unique, constants::indexUniqueness);
}
std::string accuracyName(SQLINTEGER accuracy) {
  return constantName(accuracy, constants::accuracies);
}
std::string freeStmtOptionName(SQLINTEGER option) {
  return constantName(option, constants::freeStmtOptions);
}

std::string bufferLengthName(SQLINTEGER bufferLength) {
  if (bufferLength >= SQL_IS_SMALLINT && bufferLength <= SQL_IS_POINTER) {
    return constantName(bufferLength, constants::bufferLengths);
  }
  return std::to_string(bufferLength);
}

std::string sqlTypeNameOrAll(SQLSMALLINT sqlType) {
  return sqlType == SQL_ALL_TYPES ? "SQL_ALL_TYPES" : sqlTypeName(sqlType);
}

std::string functionIdName(SQLUSMALLINT functionId) {
  switch (functionId) {
    case SQL_API_ALL_FUNCTIONS:
      return "SQL_API_ALL_FUNCTIONS";
    case SQL_API_ODBC3_ALL_FUNCTIONS:
      return "SQL_API_ODBC3_ALL_FUNCTIONS";
    default:
      return constantName(functionId, constants::functionIds);
  }
}

std::string lengthOrNts(SQLINTEGER length) {
  return length == SQL_NTS ? "SQL_NTS" : std::to_string(length);
}

std::string boundedText(const char* text, SQLINTEGER length) {
  if (text == nullptr) return std::string();
  if (length == SQL_NTS) return std::string(text);
  if (length <= 0) return std::string();
  const void* nul = std::memchr(text, 0, static_cast<std::size_t>(length));
  return std::string(text, nul ? static_cast<const char*>(nul) - text : length);
}

std::string boundedWideText(const SQLWCHAR* text, SQLINTEGER byteLength) {
  if (text == nullptr) return std::string();
  if (byteLength == SQL_NTS) return utf8FromUtf16(text, utf16Length(text));
  if (byteLength <= 0) return std::string();
  return utf8FromUtf16(text, static_cast<std::size_t>(byteLength) / sizeof(SQLWCHAR));
}

std::string cLiteral(const std::string& text) {
  std::string literal = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\' || c == '?') {
      // "?" too: two of them may start a trigraph.
      literal += '\\';
      literal += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      // Three octal digits always end the escape, whatever follows.
      literal += '\\';
      literal += static_cast<char>('0' + (byte >> 6));
      literal += static_cast<char>('0' + ((byte >> 3) & 7));
      literal += static_cast<char>('0' + (byte & 7));
    } else {
      literal += c;
    }
  }
  return literal + "\"";
}

std::string quotedStringOrNull(const char* text) {
  return text == nullptr ? "NULL" : cLiteral(text);
}

std::string quotedStringOrNull(const char* text, SQLINTEGER length) {
  return text == nullptr ? "NULL" : cLiteral(boundedText(text, length));
}

std::string smallIntPointerValue(const SQLSMALLINT* value) {
  return value == nullptr ? "NULL" : std::to_string(*value);
}

std::string integerPointerValue(const SQLINTEGER* value) {
  return value == nullptr ? "NULL" : std::to_string(*value);
}

std::string lengthPointerValue(const SQLLEN* value) {
  return value == nullptr ? "NULL" : std::to_string(static_cast<std::int64_t>(*value));
}

std::string lengthPointerValue(const SQLULEN* value) {
  return value == nullptr ? "NULL" : std::to_string(static_cast<std::int64_t>(*value));
}

std::string traceAddress(const void* address) {
  static const char digits[] = "0123456789ABCDEF";
  std::uint64_t value = reinterpret_cast<std::uintptr_t>(address);
  std::string text(16, '0');
  for (std::size_t i = text.size(); i-- > 0 && value != 0; value >>= 4) {
    text[i] = digits[value & 0xF];
  }
  return text;
}

std::string hexPointerText(const void* address) { return "0x" + traceAddress(address); }

std::string formatLengthIndicator(const SQLLEN* indicator) {
  if (indicator == nullptr) return "NULL";
  // Some callers hand a small length where the indicator pointer goes; such a "pointer" must not
  // be read.
  const auto passedValue = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(indicator));
  if (passedValue >= 1 && passedValue <= 65534) return std::to_string(passedValue);
  const auto value = static_cast<std::int64_t>(*indicator);
  switch (value) {
    case SQL_COLUMN_IGNORE:
      return "SQL_COLUMN_IGNORE";
    case SQL_NO_TOTAL:
      return "SQL_NO_TOTAL";
    case SQL_NTS:
      return "SQL_NTS";
    case SQL_DATA_AT_EXEC:
      return "SQL_DATA_AT_EXEC";
    case SQL_NULL_DATA:
      return "SQL_NULL_DATA";
    default:
      break;
  }
  // The inverse of SQL_LEN_DATA_AT_EXEC(length), which is -100 - length; computed in unsigned
  // arithmetic so that no indicator value overflows.
  if (value < 0) {
    const auto length = static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(value) - 100u);
    return "SQL_LEN_DATA_AT_EXEC( " + std::to_string(length) + " )";
  }
  return std::to_string(value);
}

std::string formatSupportedFunctions(SQLUSMALLINT functionId, const SQLUSMALLINT* supported) {
  if (supported == nullptr) return "NULL";
  std::string text;
  const auto append = [&text](const std::string& name) {
    if (!text.empty()) text += " | ";
    text += name;
  };
  switch (functionId) {
    case SQL_API_ALL_FUNCTIONS:
      for (SQLINTEGER index = 0; index < 100; ++index) {
        if (supported[index] != 0) append(constantName(index, constants::functionIds));
      }
      return text;
    case SQL_API_ODBC3_ALL_FUNCTIONS:
      for (const ConstantNameEntry& row : constants::functionIds) {
        const auto id = static_cast<std::uint32_t>(row.value);
        if ((supported[id >> 4] >> (id & 15)) & 1) append(row.name);
      }
      return text;
    default:
      return constantName(*supported, constants::booleans);
  }
}
