// Describing results, binding columns, fetching rows and reading their values.
#include "api/Handles.h"
#include "api/TextFields.h"
#include "api/WideOut.h"
#include "core/TraceFormatter.h"
#include "core/TraceValueFormatter.h"
#include "platform/Export.h"

using namespace api;

namespace {

// The column attributes whose values are text: the wide forms convert them.
bool isTextColumnAttribute(SQLUSMALLINT field) {
  return field == SQL_COLUMN_NAME || isTextDescriptorField(field);
}

std::string optionalVariable(const CallTrace& trace, const char* cType, const char* word,
                             const void* pointer) {
  return pointer == nullptr ? "NULL" : "&" + trace.variable(cType, word, pointer, "0");
}

SQLRETURN colAttribute(const char* function, SQLHSTMT handle, SQLUSMALLINT column,
                       SQLUSMALLINT field, SQLPOINTER characterAttribute,
                       SQLSMALLINT bufferLength, SQLSMALLINT* stringLength,
                       SQLLEN* numericAttribute, bool wide) {
  Statement* statement = asStatement(handle);
  const bool text = isTextColumnAttribute(field);
  WideOut out(characterAttribute, bufferLength, WideUnit::Bytes);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string value =
            characterAttribute == nullptr
                ? "NULL"
                : trace.array(wide ? "SQLWCHAR" : "char", "value", characterAttribute,
                              wide ? bufferLength / 2 : bufferLength);
        trace.line(callLine(function, {trace.handle("stmt", statement), std::to_string(column),
                                       descFieldName(field), value, std::to_string(bufferLength),
                                       optionalVariable(trace, "SQLSMALLINT", "len", stringLength),
                                       optionalVariable(trace, "SQLLEN", "num", numericAttribute)}));
      },
      [&] {
        if (!wide || !text) {
          return statement->colAttribute(column, field, characterAttribute, bufferLength,
                                         stringLength, numericAttribute);
        }
        statement->diagnostics().clear();
        return out.answer(stringLength, &statement->diagnostics(),
                          [&](char* scratch, SQLSMALLINT room, SQLSMALLINT* length) {
                            return statement->colAttribute(column, field, scratch, room, length,
                                                           numericAttribute);
                          });
      },
      [&](const CallTrace& trace) {
        std::string value = "null";
        if (characterAttribute != nullptr && text) {
          value = wide ? cLiteral(out.text())
                       : quotedStringOrNull(static_cast<const char*>(characterAttribute),
                                            bufferLength);
        }
        trace.line(outValueLine("value", value));
        trace.line(outValueLine("len", smallIntPointerValue(stringLength)));
        trace.line(outValueLine("num", lengthPointerValue(numericAttribute)));
      });
}

// The variables of SQLDescribeCol(W), one for each pointer given.
struct DescribeNames {
  std::string length, type, size, digits, nullable;
};

DescribeNames declareDescribe(const CallTrace& trace, SQLSMALLINT* length, SQLSMALLINT* type,
                              SQLULEN* size, SQLSMALLINT* digits, SQLSMALLINT* nullable) {
  return {optionalVariable(trace, "SQLSMALLINT", "len", length),
          optionalVariable(trace, "SQLSMALLINT", "type", type),
          optionalVariable(trace, "SQLULEN", "size", size),
          optionalVariable(trace, "SQLSMALLINT", "dig", digits),
          optionalVariable(trace, "SQLSMALLINT", "null", nullable)};
}

void traceDescribeValues(const CallTrace& trace, const std::string& name, SQLSMALLINT* length,
                         SQLSMALLINT* type, SQLULEN* size, SQLSMALLINT* digits,
                         SQLSMALLINT* nullable) {
  trace.line(outValueLine("name", name));
  if (length != nullptr) trace.line(outValueLine("*len", smallIntPointerValue(length)));
  if (type != nullptr) trace.line(outValueLine("*type", sqlTypeName(*type)));
  if (size != nullptr) trace.line(outValueLine("*size", lengthPointerValue(size)));
  if (digits != nullptr) trace.line(outValueLine("*dig", smallIntPointerValue(digits)));
  if (nullable != nullptr) trace.line(outValueLine("*null", nullableName(*nullable)));
}

}  // namespace

KARVOD_EXPORT SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT StatementHandle,
                                                 SQLSMALLINT* ColumnCountPtr) {
  Statement* statement = asStatement(StatementHandle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        trace.line(callLine("SQLNumResultCols",
                            {trace.handle("stmt", statement),
                             optionalVariable(trace, "SQLSMALLINT", "cols", ColumnCountPtr)}));
      },
      [&] { return statement->numResultCols(ColumnCountPtr); },
      [&](const CallTrace& trace) {
        trace.line(outValueLine("cols", smallIntPointerValue(ColumnCountPtr)));
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLRowCount(SQLHSTMT StatementHandle, SQLLEN* RowCountPtr) {
  Statement* statement = asStatement(StatementHandle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        trace.line(callLine("SQLRowCount",
                            {trace.handle("stmt", statement),
                             optionalVariable(trace, "SQLLEN", "rows", RowCountPtr)}));
      },
      [&] { return statement->rowCount(RowCountPtr); },
      [&](const CallTrace& trace) {
        trace.line(outValueLine("rows", lengthPointerValue(RowCountPtr)));
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT StatementHandle,
                                               SQLUSMALLINT ColumnNumber, SQLCHAR* ColumnName,
                                               SQLSMALLINT BufferLength,
                                               SQLSMALLINT* NameLengthPtr,
                                               SQLSMALLINT* DataTypePtr, SQLULEN* ColumnSizePtr,
                                               SQLSMALLINT* DecimalDigitsPtr,
                                               SQLSMALLINT* NullablePtr) {
  Statement* statement = asStatement(StatementHandle);
  auto* name = reinterpret_cast<char*>(ColumnName);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string nameName =
            name == nullptr ? "NULL" : trace.array("SQLCHAR", "name", name, BufferLength);
        const DescribeNames names = declareDescribe(trace, NameLengthPtr, DataTypePtr,
                                                    ColumnSizePtr, DecimalDigitsPtr, NullablePtr);
        trace.line(callLine("SQLDescribeCol",
                            {trace.handle("stmt", statement), std::to_string(ColumnNumber),
                             nameName, std::to_string(BufferLength), names.length, names.type,
                             names.size, names.digits, names.nullable}));
      },
      [&] {
        return statement->describeCol(ColumnNumber, name, BufferLength, NameLengthPtr,
                                      DataTypePtr, ColumnSizePtr, DecimalDigitsPtr, NullablePtr);
      },
      [&](const CallTrace& trace) {
        traceDescribeValues(trace, quotedStringOrNull(name, BufferLength), NameLengthPtr,
                            DataTypePtr, ColumnSizePtr, DecimalDigitsPtr, NullablePtr);
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLDescribeColW(SQLHSTMT StatementHandle,
                                                SQLUSMALLINT ColumnNumber, SQLWCHAR* ColumnName,
                                                SQLSMALLINT BufferLength,
                                                SQLSMALLINT* NameLengthPtr,
                                                SQLSMALLINT* DataTypePtr, SQLULEN* ColumnSizePtr,
                                                SQLSMALLINT* DecimalDigitsPtr,
                                                SQLSMALLINT* NullablePtr) {
  Statement* statement = asStatement(StatementHandle);
  WideOut name(ColumnName, BufferLength, WideUnit::Characters);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string nameName =
            ColumnName == nullptr ? "NULL"
                                  : trace.array("SQLWCHAR", "name", ColumnName, BufferLength);
        const DescribeNames names = declareDescribe(trace, NameLengthPtr, DataTypePtr,
                                                    ColumnSizePtr, DecimalDigitsPtr, NullablePtr);
        trace.line(callLine("SQLDescribeColW",
                            {trace.handle("stmt", statement), std::to_string(ColumnNumber),
                             nameName, std::to_string(BufferLength), names.length, names.type,
                             names.size, names.digits, names.nullable}));
      },
      [&] {
        statement->diagnostics().clear();
        return name.answer(NameLengthPtr, &statement->diagnostics(),
                           [&](char* scratch, SQLSMALLINT room, SQLSMALLINT* length) {
                             return statement->describeCol(ColumnNumber, scratch, room, length,
                                                           DataTypePtr, ColumnSizePtr,
                                                           DecimalDigitsPtr, NullablePtr);
                           });
      },
      [&](const CallTrace& trace) {
        traceDescribeValues(trace, cLiteral(name.text()), NameLengthPtr, DataTypePtr,
                            ColumnSizePtr, DecimalDigitsPtr, NullablePtr);
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLColAttribute(SQLHSTMT StatementHandle,
                                                SQLUSMALLINT ColumnNumber,
                                                SQLUSMALLINT FieldIdentifier,
                                                SQLPOINTER CharacterAttributePtr,
                                                SQLSMALLINT BufferLength,
                                                SQLSMALLINT* StringLengthPtr,
                                                SQLLEN* NumericAttributePtr) {
  return colAttribute("SQLColAttribute", StatementHandle, ColumnNumber, FieldIdentifier,
                      CharacterAttributePtr, BufferLength, StringLengthPtr, NumericAttributePtr,
                      false);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLColAttributeW(SQLHSTMT StatementHandle,
                                                 SQLUSMALLINT ColumnNumber,
                                                 SQLUSMALLINT FieldIdentifier,
                                                 SQLPOINTER CharacterAttributePtr,
                                                 SQLSMALLINT BufferLength,
                                                 SQLSMALLINT* StringLengthPtr,
                                                 SQLLEN* NumericAttributePtr) {
  return colAttribute("SQLColAttributeW", StatementHandle, ColumnNumber, FieldIdentifier,
                      CharacterAttributePtr, BufferLength, StringLengthPtr, NumericAttributePtr,
                      true);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLColAttributes(SQLHSTMT StatementHandle,
                                                 SQLUSMALLINT ColumnNumber,
                                                 SQLUSMALLINT FieldIdentifier,
                                                 SQLPOINTER CharacterAttributePtr,
                                                 SQLSMALLINT BufferLength,
                                                 SQLSMALLINT* StringLengthPtr,
                                                 SQLLEN* NumericAttributePtr) {
  return colAttribute("SQLColAttributes", StatementHandle, ColumnNumber, FieldIdentifier,
                      CharacterAttributePtr, BufferLength, StringLengthPtr, NumericAttributePtr,
                      false);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLColAttributesW(SQLHSTMT StatementHandle,
                                                  SQLUSMALLINT ColumnNumber,
                                                  SQLUSMALLINT FieldIdentifier,
                                                  SQLPOINTER CharacterAttributePtr,
                                                  SQLSMALLINT BufferLength,
                                                  SQLSMALLINT* StringLengthPtr,
                                                  SQLLEN* NumericAttributePtr) {
  return colAttribute("SQLColAttributesW", StatementHandle, ColumnNumber, FieldIdentifier,
                      CharacterAttributePtr, BufferLength, StringLengthPtr, NumericAttributePtr,
                      true);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLBindCol(SQLHSTMT StatementHandle, SQLUSMALLINT ColumnNumber,
                                           SQLSMALLINT TargetType, SQLPOINTER TargetValuePtr,
                                           SQLLEN BufferLength, SQLLEN* StrLen_or_IndPtr) {
  Statement* statement = asStatement(StatementHandle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string value =
            TargetValuePtr == nullptr
                ? "NULL"
                : trace.array("char", "value", TargetValuePtr, BufferLength);
        trace.line(callLine("SQLBindCol",
                            {trace.handle("stmt", statement), std::to_string(ColumnNumber),
                             cTypeName(TargetType), value, std::to_string(BufferLength),
                             optionalVariable(trace, "SQLLEN", "len", StrLen_or_IndPtr)}));
      },
      [&] {
        return statement->bindCol(ColumnNumber, TargetType, TargetValuePtr, BufferLength,
                                  StrLen_or_IndPtr);
      },
      noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLFetch(SQLHSTMT StatementHandle) {
  Statement* statement = asStatement(StatementHandle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        trace.line(callLine("SQLFetch", {trace.handle("stmt", statement)}));
      },
      [&] { return statement->fetch(); }, noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLFetchScroll(SQLHSTMT StatementHandle,
                                               SQLSMALLINT FetchOrientation,
                                               SQLLEN FetchOffset) {
  Statement* statement = asStatement(StatementHandle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        trace.line(callLine("SQLFetchScroll", {trace.handle("stmt", statement),
                                               fetchOrientationName(FetchOrientation),
                                               std::to_string(FetchOffset)}));
      },
      [&] { return statement->fetchScroll(FetchOrientation, FetchOffset); }, noValues);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLExtendedFetch(SQLHSTMT StatementHandle,
                                                 SQLUSMALLINT FetchOrientation,
                                                 SQLLEN FetchOffset, SQLULEN* RowCountPtr,
                                                 SQLUSMALLINT* RowStatusArray) {
  Statement* statement = asStatement(StatementHandle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string status =
            RowStatusArray == nullptr
                ? "NULL"
                : trace.array("SQLUSMALLINT", "status", RowStatusArray, 1);
        trace.line(callLine("SQLExtendedFetch",
                            {trace.handle("stmt", statement),
                             fetchOrientationName(FetchOrientation), std::to_string(FetchOffset),
                             optionalVariable(trace, "SQLULEN", "count", RowCountPtr), status}));
      },
      [&] {
        return statement->extendedFetch(FetchOrientation, FetchOffset, RowCountPtr,
                                        RowStatusArray);
      },
      [&](const CallTrace& trace) {
        trace.line(outValueLine("count", lengthPointerValue(RowCountPtr)));
        trace.line(outValueLine("status", RowStatusArray == nullptr
                                              ? "NULL"
                                              : std::to_string(RowStatusArray[0])));
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetData(SQLHSTMT StatementHandle, SQLUSMALLINT ColumnNumber,
                                           SQLSMALLINT TargetType, SQLPOINTER TargetValuePtr,
                                           SQLLEN BufferLength, SQLLEN* StrLen_or_IndPtr) {
  Statement* statement = asStatement(StatementHandle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string value =
            TargetValuePtr == nullptr
                ? "NULL"
                : trace.array("SQLCHAR", "value", TargetValuePtr, BufferLength);
        trace.line(callLine("SQLGetData",
                            {trace.handle("stmt", statement), std::to_string(ColumnNumber),
                             cTypeName(TargetType), value, std::to_string(BufferLength),
                             optionalVariable(trace, "SQLLEN", "len", StrLen_or_IndPtr)}));
      },
      [&] {
        return statement->getData(ColumnNumber, TargetType, TargetValuePtr, BufferLength,
                                  StrLen_or_IndPtr);
      },
      [&](const CallTrace& trace) {
        if (StrLen_or_IndPtr != nullptr) {
          trace.line(outValueLine("len", lengthPointerValue(StrLen_or_IndPtr)));
        }
      });
}

namespace {

SQLRETURN getTypeInfo(const char* function, SQLHSTMT handle, SQLSMALLINT dataType) {
  Statement* statement = asStatement(handle);
  return runOn(
      statement, TraceKind::Call,
      [&](const CallTrace& trace) {
        trace.line(callLine(function,
                            {trace.handle("stmt", statement), sqlTypeNameOrAll(dataType)}));
      },
      [&] { return statement->getTypeInfo(dataType); }, noValues);
}

}  // namespace

KARVOD_EXPORT SQLRETURN SQL_API SQLGetTypeInfo(SQLHSTMT StatementHandle, SQLSMALLINT DataType) {
  return getTypeInfo("SQLGetTypeInfo", StatementHandle, DataType);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetTypeInfoW(SQLHSTMT StatementHandle, SQLSMALLINT DataType) {
  return getTypeInfo("SQLGetTypeInfoW", StatementHandle, DataType);
}
