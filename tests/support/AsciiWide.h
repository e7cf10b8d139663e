#pragma once
// ASCII text as the wide ODBC and installer functions take it: one UTF-16 unit a character.
#include <vector>

#include "platform/Odbc.h"

namespace testsupport {

// The units of the text and a terminating 0.
std::vector<SQLWCHAR> asciiWide(const char* text);

}  // namespace testsupport
