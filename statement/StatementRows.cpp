// The rows of catalog and type-information results: the back end appends them, one optional
// value per declared column, to the in-memory row source the result shape installed.
#include "statement/MemoryRecordset.h"
#include "statement/Statement.h"

namespace {

void setCell(MemoryRecordset& rows, SQLUSMALLINT column, const OptionalText& value) {
  rows.setCellString(column, value);
}

void setCell(MemoryRecordset& rows, SQLUSMALLINT column, OptionalShort value) {
  rows.setCellShort(column, value);
}

void setCell(MemoryRecordset& rows, SQLUSMALLINT column, OptionalInt value) {
  rows.setCellInt(column, value);
}

// A new row with the cells in column order; false when the statement holds no in-memory result.
template <typename... Cells>
bool appendRow(Recordset* recordset, const Cells&... cells) {
  auto* rows = dynamic_cast<MemoryRecordset*>(recordset);
  if (rows == nullptr) return false;
  rows->addRow();
  SQLUSMALLINT column = 0;
  (setCell(*rows, ++column, cells), ...);
  return true;
}

}  // namespace

SQLRETURN Statement::addTypeInfoRow(
    const OptionalText& typeName, OptionalShort dataType, OptionalInt columnSize,
    const OptionalText& literalPrefix, const OptionalText& literalSuffix,
    const OptionalText& createParams, OptionalShort nullable, OptionalShort caseSensitive,
    OptionalShort searchable, OptionalShort unsignedAttribute, OptionalShort fixedPrecScale,
    OptionalShort autoUniqueValue, const OptionalText& localTypeName, OptionalShort minimumScale,
    OptionalShort maximumScale, OptionalShort sqlDataType, OptionalShort sqlDatetimeSub,
    OptionalInt numPrecRadix, OptionalShort intervalPrecision) {
  const bool appended =
      appendRow(recordset_.get(), typeName, dataType, columnSize, literalPrefix, literalSuffix,
                createParams, nullable, caseSensitive, searchable, unsignedAttribute,
                fixedPrecScale, autoUniqueValue, localTypeName, minimumScale, maximumScale,
                sqlDataType, sqlDatetimeSub, numPrecRadix, intervalPrecision);
  return appended ? SQL_SUCCESS : post("HY010");
}

SQLRETURN Statement::addAllTypeInfo() {
  addTypeInfoChar();
  addTypeInfoVarchar();
  addTypeInfoLongVarchar();
  addTypeInfoWChar();
  addTypeInfoWVarchar();
  addTypeInfoWLongVarchar();
  addTypeInfoDecimal();
  addTypeInfoNumeric();
  addTypeInfoSmallint();
  addTypeInfoInteger();
  addTypeInfoReal();
  addTypeInfoFloat();
  addTypeInfoDouble();
  addTypeInfoBit();
  addTypeInfoTinyint();
  addTypeInfoBigint();
  addTypeInfoBinary();
  addTypeInfoVarbinary();
  addTypeInfoLongVarbinary();
  addTypeInfoDate();
  addTypeInfoTime();
  addTypeInfoTimestamp();
  addTypeInfoIntervalMonth();
  addTypeInfoIntervalYear();
  addTypeInfoIntervalYearToMonth();
  addTypeInfoIntervalDay();
  addTypeInfoIntervalHour();
  addTypeInfoIntervalMinute();
  addTypeInfoIntervalSecond();
  addTypeInfoIntervalDayToHour();
  addTypeInfoIntervalDayToMinute();
  addTypeInfoIntervalDayToSecond();
  addTypeInfoIntervalHourToMinute();
  addTypeInfoIntervalHourToSecond();
  addTypeInfoIntervalMinuteToSecond();
  addTypeInfoGuid();
  return SQL_SUCCESS;
}

// A statement offers no type of its own; the back end adds those its server has.
SQLRETURN Statement::addTypeInfoChar() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoVarchar() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoLongVarchar() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoWChar() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoWVarchar() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoWLongVarchar() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoDecimal() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoNumeric() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoSmallint() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoInteger() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoReal() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoFloat() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoDouble() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoBit() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoTinyint() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoBigint() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoBinary() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoVarbinary() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoLongVarbinary() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoDate() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoTime() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoTimestamp() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoIntervalMonth() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoIntervalYear() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoIntervalYearToMonth() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoIntervalDay() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoIntervalHour() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoIntervalMinute() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoIntervalSecond() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoIntervalDayToHour() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoIntervalDayToMinute() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoIntervalDayToSecond() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoIntervalHourToMinute() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoIntervalHourToSecond() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoIntervalMinuteToSecond() { return SQL_SUCCESS; }
SQLRETURN Statement::addTypeInfoGuid() { return SQL_SUCCESS; }

SQLRETURN Statement::addColumnsRow(const OptionalText& catalog, const OptionalText& schema,
                                   const OptionalText& table, const OptionalText& column,
                                   OptionalShort dataType, const OptionalText& typeName,
                                   OptionalInt columnSize, OptionalInt bufferLength,
                                   OptionalShort decimalDigits, OptionalShort numPrecRadix,
                                   OptionalShort nullable, const OptionalText& remarks,
                                   const OptionalText& columnDefault, OptionalShort sqlDataType,
                                   OptionalShort datetimeSub, OptionalInt charOctetLength,
                                   OptionalInt ordinalPosition, const OptionalText& isNullable) {
  const bool appended =
      behavesAsOdbc3()
          ? appendRow(recordset_.get(), catalog, schema, table, column, dataType, typeName,
                      columnSize, bufferLength, decimalDigits, numPrecRadix, nullable, remarks,
                      columnDefault, sqlDataType, datetimeSub, charOctetLength, ordinalPosition,
                      isNullable)
          : appendRow(recordset_.get(), catalog, schema, table, column, dataType, typeName,
                      columnSize, bufferLength, decimalDigits, numPrecRadix, nullable, remarks);
  return appended ? SQL_SUCCESS : post("HY010");
}

SQLRETURN Statement::addTablesRow(const OptionalText& catalog, const OptionalText& schema,
                                  const OptionalText& table, const OptionalText& tableType,
                                  const OptionalText& remarks) {
  const bool appended = appendRow(recordset_.get(), catalog, schema, table, tableType, remarks);
  return appended ? SQL_SUCCESS : post("HY010");
}

SQLRETURN Statement::addStatisticsRow(const OptionalText& catalog, const OptionalText& schema,
                                      const OptionalText& table, OptionalShort nonUnique,
                                      const OptionalText& indexQualifier,
                                      const OptionalText& indexName, OptionalShort type,
                                      OptionalShort ordinalPosition, const OptionalText& column,
                                      const OptionalText& ascOrDesc, OptionalInt cardinality,
                                      OptionalInt pages, const OptionalText& filterCondition) {
  const bool appended =
      appendRow(recordset_.get(), catalog, schema, table, nonUnique, indexQualifier, indexName,
                type, ordinalPosition, column, ascOrDesc, cardinality, pages, filterCondition);
  return appended ? SQL_SUCCESS : post("HY010");
}

SQLRETURN Statement::addSpecialColumnsRow(OptionalShort scope, const OptionalText& column,
                                          OptionalShort dataType, const OptionalText& typeName,
                                          OptionalInt columnSize, OptionalInt bufferLength,
                                          OptionalShort decimalDigits,
                                          OptionalShort pseudoColumn) {
  const bool appended = appendRow(recordset_.get(), scope, column, dataType, typeName, columnSize,
                                  bufferLength, decimalDigits, pseudoColumn);
  return appended ? SQL_SUCCESS : post("HY010");
}

SQLRETURN Statement::addPrimaryKeysRow(const OptionalText& catalog, const OptionalText& schema,
                                       const OptionalText& table, const OptionalText& column,
                                       OptionalShort keySequence, const OptionalText& keyName) {
  const bool appended =
      appendRow(recordset_.get(), catalog, schema, table, column, keySequence, keyName);
  return appended ? SQL_SUCCESS : post("HY010");
}

SQLRETURN Statement::addColumnPrivilegesRow(const OptionalText& catalog,
                                            const OptionalText& schema, const OptionalText& table,
                                            const OptionalText& column,
                                            const OptionalText& grantor,
                                            const OptionalText& grantee,
                                            const OptionalText& privilege,
                                            const OptionalText& isGrantable) {
  const bool appended = appendRow(recordset_.get(), catalog, schema, table, column, grantor,
                                  grantee, privilege, isGrantable);
  return appended ? SQL_SUCCESS : post("HY010");
}

SQLRETURN Statement::addTablePrivilegesRow(const OptionalText& catalog, const OptionalText& schema,
                                           const OptionalText& table, const OptionalText& grantor,
                                           const OptionalText& grantee,
                                           const OptionalText& privilege,
                                           const OptionalText& isGrantable) {
  const bool appended =
      appendRow(recordset_.get(), catalog, schema, table, grantor, grantee, privilege, isGrantable);
  return appended ? SQL_SUCCESS : post("HY010");
}
