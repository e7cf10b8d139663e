#pragma once
// Attribute, descriptor-field, information and diagnostic-field values as the trace writes them:
// by their constant names, as flag sets, numbers, addresses or text.
//
// The "Value" forms take what a Set call passes (the integer travels in the pointer argument,
// a string with its length); the "Output" forms take the application's buffer after a Get call
// and read the value at the width the driver writes it (16, 32 or 64 bits, a pointer), a string
// no further than the buffer's length. The "W" forms read text as UTF-16 whose lengths count
// bytes. Texts are written as C literals. An item a "Value" form does not know is written as the
// address passed (it stands in the replay's call line); the other forms write "unknown ...
// attribute" (field, type, info).
#include <string>

#include "platform/Odbc.h"

std::string formatEnvAttrValue(SQLINTEGER attribute, SQLPOINTER value);
std::string formatEnvAttrOutput(SQLINTEGER attribute, const void* buffer);

std::string formatConnectAttrValue(SQLINTEGER attribute, SQLPOINTER value,
                                   SQLINTEGER stringLength);
std::string formatConnectAttrValueW(SQLINTEGER attribute, SQLPOINTER value,
                                    SQLINTEGER stringLength);
std::string formatConnectAttrOutput(SQLINTEGER attribute, const void* buffer,
                                    SQLINTEGER bufferLength);
std::string formatConnectAttrOutputW(SQLINTEGER attribute, const void* buffer,
                                     SQLINTEGER bufferLength);

std::string formatStmtAttrValue(SQLINTEGER attribute, SQLPOINTER value);
std::string formatStmtAttrOutput(SQLINTEGER attribute, const void* buffer);

std::string formatDescFieldValue(SQLSMALLINT field, SQLPOINTER value, SQLINTEGER bufferLength);
std::string formatDescFieldValueW(SQLSMALLINT field, SQLPOINTER value, SQLINTEGER bufferLength);
std::string formatDescFieldOutput(SQLSMALLINT field, const void* buffer,
                                  SQLINTEGER bufferLength);
std::string formatDescFieldOutputW(SQLSMALLINT field, const void* buffer,
                                   SQLINTEGER bufferLength);

// A SQLGetInfo answer, read at the width the connection writes the item (infoKind): its text,
// its number, the name of its value or its flags.
std::string formatInfoValue(SQLUSMALLINT infoType, const void* buffer, SQLSMALLINT bufferLength);
std::string formatInfoValueW(SQLUSMALLINT infoType, const void* buffer, SQLSMALLINT bufferLength);

// A SQLGetDiagField value in the application's buffer.
std::string formatDiagFieldValue(SQLSMALLINT field, const void* buffer, SQLSMALLINT bufferLength);
