// Descriptor fields and records.
#include "api/Handles.h"
#include "api/TextFields.h"
#include "api/WideIn.h"
#include "api/WideOut.h"
#include "core/TraceFormatter.h"
#include "core/TraceValueFormatter.h"
#include "platform/Export.h"

using namespace api;

namespace {

// Type codes as an application or an implementation descriptor holds them.
std::string typeName(const Descriptor* descriptor, SQLSMALLINT type) {
  return descriptor->isImplementation() ? sqlTypeName(type) : cTypeName(type);
}

std::string typeName(const Descriptor* descriptor, const SQLSMALLINT* type) {
  return type == nullptr ? "null" : typeName(descriptor, *type);
}

SQLRETURN setDescField(const char* function, SQLHDESC handle, SQLSMALLINT record,
                       SQLSMALLINT field, SQLPOINTER value, SQLINTEGER bufferLength, bool wide) {
  Descriptor* descriptor = asDescriptor(handle);
  return runOn(
      descriptor, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string text = wide ? formatDescFieldValueW(field, value, bufferLength)
                                      : formatDescFieldValue(field, value, bufferLength);
        trace.line(callLine(function, {trace.handle("desc", descriptor), std::to_string(record),
                                       descFieldName(field), "(SQLPOINTER) " + text,
                                       std::to_string(bufferLength)}));
      },
      [&] {
        if (!wide || !isTextDescriptorField(field) || value == nullptr) {
          return descriptor->setField(record, field, value, bufferLength);
        }
        // The length of a wide text counts bytes.
        const WideIn text(static_cast<const SQLWCHAR*>(value),
                          bufferLength >= 0 ? bufferLength / 2 : bufferLength);
        descriptor->diagnostics().clear();
        if (text.invalidLength()) return failure(&descriptor->diagnostics(), "HY090");
        if (text.failed()) return failure(&descriptor->diagnostics(), "HY001");
        return descriptor->setField(record, field, const_cast<char*>(text.text()),
                                    text.length());
      },
      noValues);
}

SQLRETURN getDescField(const char* function, SQLHDESC handle, SQLSMALLINT record,
                       SQLSMALLINT field, SQLPOINTER value, SQLINTEGER bufferLength,
                       SQLINTEGER* length, bool wide) {
  Descriptor* descriptor = asDescriptor(handle);
  return runOn(
      descriptor, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string valueName =
            value == nullptr ? "NULL"
                             : trace.array(wide ? "SQLWCHAR" : "char", "value", value,
                                           wide ? bufferLength / 2 : bufferLength);
        const std::string lengthName =
            length == nullptr ? "NULL" : "&" + trace.variable("SQLINTEGER", "len", length, "0");
        trace.line(callLine(function, {trace.handle("desc", descriptor), std::to_string(record),
                                       descFieldName(field), valueName,
                                       bufferLengthName(bufferLength), lengthName}));
      },
      [&] {
        if (!wide || !isTextDescriptorField(field)) {
          return descriptor->getField(record, field, value, bufferLength, length);
        }
        descriptor->diagnostics().clear();
        return WideOut(value, bufferLength, WideUnit::Bytes)
            .answer(length, &descriptor->diagnostics(),
                    [&](char* scratch, SQLINTEGER room, SQLINTEGER* written) {
                      return descriptor->getField(record, field, scratch, room, written);
                    });
      },
      [&](const CallTrace& trace) {
        if (value != nullptr) {
          trace.line(outValueLine("value",
                                  wide ? formatDescFieldOutputW(field, value, bufferLength)
                                       : formatDescFieldOutput(field, value, bufferLength)));
        }
        trace.line(outValueLine("len", integerPointerValue(length)));
      });
}

SQLRETURN setDescRec(const char* function, SQLHDESC handle, SQLSMALLINT record, SQLSMALLINT type,
                     SQLSMALLINT subType, SQLLEN length, SQLSMALLINT precision,
                     SQLSMALLINT scale, SQLPOINTER data, SQLLEN* stringLength,
                     SQLLEN* indicator) {
  Descriptor* descriptor = asDescriptor(handle);
  return runOn(
      descriptor, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string dataName =
            data == nullptr ? "NULL" : trace.array("char", "data", data, length);
        const std::string lengthName =
            stringLength == nullptr ? "NULL"
                                    : "&" + trace.variable("SQLLEN", "len", stringLength, "0");
        const std::string indicatorName =
            indicator == nullptr ? "NULL" : "&" + trace.variable("SQLLEN", "ind", indicator, "0");
        trace.line(callLine(function,
                            {trace.handle("desc", descriptor), std::to_string(record),
                             typeName(descriptor, type), typeName(descriptor, subType),
                             std::to_string(length), std::to_string(precision),
                             std::to_string(scale), dataName, lengthName, indicatorName}));
      },
      [&] {
        return descriptor->setDescRec(record, type, subType, length, precision, scale, data,
                                      stringLength, indicator);
      },
      noValues);
}

// The variables of SQLGetDescRec: one for each pointer given.
struct DescRecNames {
  std::string length, type, subType, octetLength, precision, scale, nullable;
};

DescRecNames declareDescRec(const CallTrace& trace, SQLSMALLINT* length, SQLSMALLINT* type,
                            SQLSMALLINT* subType, SQLLEN* octetLength, SQLSMALLINT* precision,
                            SQLSMALLINT* scale, SQLSMALLINT* nullable) {
  const auto small = [&](const char* word, SQLSMALLINT* pointer) {
    return pointer == nullptr ? "NULL" : "&" + trace.variable("SQLSMALLINT", word, pointer, "0");
  };
  return {small("strlen", length),
          small("type", type),
          small("subtype", subType),
          octetLength == nullptr ? "NULL"
                                 : "&" + trace.variable("SQLLEN", "len", octetLength, "0"),
          small("prec", precision),
          small("scale", scale),
          small("null", nullable)};
}

void traceDescRecValues(const CallTrace& trace, const Descriptor* descriptor,
                        SQLSMALLINT* length, SQLSMALLINT* type, SQLSMALLINT* subType,
                        SQLLEN* octetLength, SQLSMALLINT* precision, SQLSMALLINT* scale,
                        SQLSMALLINT* nullable) {
  trace.line(outValueLine("strlen", smallIntPointerValue(length)));
  trace.line(outValueLine("type", typeName(descriptor, type)));
  trace.line(outValueLine("subtype", typeName(descriptor, subType)));
  trace.line(outValueLine("len", lengthPointerValue(octetLength)));
  trace.line(outValueLine("prec", smallIntPointerValue(precision)));
  trace.line(outValueLine("scale", smallIntPointerValue(scale)));
  trace.line(outValueLine("null", smallIntPointerValue(nullable)));
}

}  // namespace

KARVOD_EXPORT SQLRETURN SQL_API SQLSetDescField(SQLHDESC DescriptorHandle, SQLSMALLINT RecNumber,
                                                SQLSMALLINT FieldIdentifier, SQLPOINTER ValuePtr,
                                                SQLINTEGER BufferLength) {
  return setDescField("SQLSetDescField", DescriptorHandle, RecNumber, FieldIdentifier, ValuePtr,
                      BufferLength, false);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLSetDescFieldW(SQLHDESC DescriptorHandle, SQLSMALLINT RecNumber,
                                                 SQLSMALLINT FieldIdentifier, SQLPOINTER ValuePtr,
                                                 SQLINTEGER BufferLength) {
  return setDescField("SQLSetDescFieldW", DescriptorHandle, RecNumber, FieldIdentifier, ValuePtr,
                      BufferLength, true);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetDescField(SQLHDESC DescriptorHandle, SQLSMALLINT RecNumber,
                                                SQLSMALLINT FieldIdentifier, SQLPOINTER ValuePtr,
                                                SQLINTEGER BufferLength,
                                                SQLINTEGER* StringLengthPtr) {
  return getDescField("SQLGetDescField", DescriptorHandle, RecNumber, FieldIdentifier, ValuePtr,
                      BufferLength, StringLengthPtr, false);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetDescFieldW(SQLHDESC DescriptorHandle, SQLSMALLINT RecNumber,
                                                 SQLSMALLINT FieldIdentifier, SQLPOINTER ValuePtr,
                                                 SQLINTEGER BufferLength,
                                                 SQLINTEGER* StringLengthPtr) {
  return getDescField("SQLGetDescFieldW", DescriptorHandle, RecNumber, FieldIdentifier, ValuePtr,
                      BufferLength, StringLengthPtr, true);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLSetDescRec(SQLHDESC DescriptorHandle, SQLSMALLINT RecNumber,
                                              SQLSMALLINT Type, SQLSMALLINT SubType,
                                              SQLLEN Length, SQLSMALLINT Precision,
                                              SQLSMALLINT Scale, SQLPOINTER DataPtr,
                                              SQLLEN* StringLengthPtr, SQLLEN* IndicatorPtr) {
  return setDescRec("SQLSetDescRec", DescriptorHandle, RecNumber, Type, SubType, Length,
                    Precision, Scale, DataPtr, StringLengthPtr, IndicatorPtr);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLSetDescRecW(SQLHDESC DescriptorHandle, SQLSMALLINT RecNumber,
                                               SQLSMALLINT Type, SQLSMALLINT SubType,
                                               SQLLEN Length, SQLSMALLINT Precision,
                                               SQLSMALLINT Scale, SQLPOINTER DataPtr,
                                               SQLLEN* StringLengthPtr, SQLLEN* IndicatorPtr) {
  return setDescRec("SQLSetDescRecW", DescriptorHandle, RecNumber, Type, SubType, Length,
                    Precision, Scale, DataPtr, StringLengthPtr, IndicatorPtr);
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetDescRec(SQLHDESC DescriptorHandle, SQLSMALLINT RecNumber,
                                              SQLCHAR* Name, SQLSMALLINT BufferLength,
                                              SQLSMALLINT* StringLengthPtr, SQLSMALLINT* TypePtr,
                                              SQLSMALLINT* SubTypePtr, SQLLEN* LengthPtr,
                                              SQLSMALLINT* PrecisionPtr, SQLSMALLINT* ScalePtr,
                                              SQLSMALLINT* NullablePtr) {
  Descriptor* descriptor = asDescriptor(DescriptorHandle);
  return runOn(
      descriptor, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string nameName =
            Name == nullptr ? "NULL" : trace.array("SQLCHAR", "name", Name, BufferLength);
        const DescRecNames names =
            declareDescRec(trace, StringLengthPtr, TypePtr, SubTypePtr, LengthPtr, PrecisionPtr,
                           ScalePtr, NullablePtr);
        trace.line(callLine("SQLGetDescRec",
                            {trace.handle("desc", descriptor), std::to_string(RecNumber),
                             nameName, std::to_string(BufferLength), names.length, names.type,
                             names.subType, names.octetLength, names.precision, names.scale,
                             names.nullable}));
      },
      [&] {
        return descriptor->getDescRec(RecNumber, Name, BufferLength, StringLengthPtr, TypePtr,
                                      SubTypePtr, LengthPtr, PrecisionPtr, ScalePtr, NullablePtr);
      },
      [&](const CallTrace& trace) {
        trace.line(outValueLine("name", quotedStringOrNull(reinterpret_cast<const char*>(Name),
                                                           BufferLength)));
        traceDescRecValues(trace, descriptor, StringLengthPtr, TypePtr, SubTypePtr, LengthPtr,
                           PrecisionPtr, ScalePtr, NullablePtr);
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLGetDescRecW(SQLHDESC DescriptorHandle, SQLSMALLINT RecNumber,
                                               SQLWCHAR* Name, SQLSMALLINT BufferLength,
                                               SQLSMALLINT* StringLengthPtr, SQLSMALLINT* TypePtr,
                                               SQLSMALLINT* SubTypePtr, SQLLEN* LengthPtr,
                                               SQLSMALLINT* PrecisionPtr, SQLSMALLINT* ScalePtr,
                                               SQLSMALLINT* NullablePtr) {
  Descriptor* descriptor = asDescriptor(DescriptorHandle);
  WideOut name(Name, BufferLength, WideUnit::Characters);
  return runOn(
      descriptor, TraceKind::Call,
      [&](const CallTrace& trace) {
        const std::string nameName =
            Name == nullptr ? "NULL" : trace.array("SQLWCHAR", "name", Name, BufferLength);
        const DescRecNames names =
            declareDescRec(trace, StringLengthPtr, TypePtr, SubTypePtr, LengthPtr, PrecisionPtr,
                           ScalePtr, NullablePtr);
        trace.line(callLine("SQLGetDescRecW",
                            {trace.handle("desc", descriptor), std::to_string(RecNumber),
                             nameName, std::to_string(BufferLength), names.length, names.type,
                             names.subType, names.octetLength, names.precision, names.scale,
                             names.nullable}));
      },
      [&] {
        descriptor->diagnostics().clear();
        return name.answer(StringLengthPtr, &descriptor->diagnostics(),
                           [&](char* scratch, SQLSMALLINT room, SQLSMALLINT* length) {
                             return descriptor->getDescRec(
                                 RecNumber, reinterpret_cast<SQLCHAR*>(scratch), room, length,
                                 TypePtr, SubTypePtr, LengthPtr, PrecisionPtr, ScalePtr,
                                 NullablePtr);
                           });
      },
      [&](const CallTrace& trace) {
        trace.line(outValueLine("name", cLiteral(name.text())));
        traceDescRecValues(trace, descriptor, StringLengthPtr, TypePtr, SubTypePtr, LengthPtr,
                           PrecisionPtr, ScalePtr, NullablePtr);
      });
}
