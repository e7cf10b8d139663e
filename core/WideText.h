#pragma once
// Owning conversions between the installer's and the application's UTF-16 texts and the
// driver's UTF-8 strings, on top of the codec in core/Unicode.h.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/Odbc.h"

// UTF-8 of `units` UTF-16 units, ending early at a NUL unit.
std::string utf8FromUtf16(const SQLWCHAR* text, std::size_t units);

// UTF-16 of the text, NUL-terminated (the terminator is the vector's last element).
std::vector<SQLWCHAR> utf16FromUtf8(const std::string& text);
