#pragma once
// Text helpers of the setup user interface: its texts are UTF-16 on screen and UTF-8 inside the
// driver, and every caption comes from the localized string tables.
#include <cstddef>
#include <initializer_list>
#include <string>

#include "platform/Odbc.h"

std::u16string utf16Text(const std::string& utf8);
std::string utf8Text(const std::u16string& utf16);

// A NUL-terminated UTF-16 text from the installer or an application (null gives "").
std::u16string wideText(const SQLWCHAR* text);
inline const SQLWCHAR* sqlWide(const std::u16string& text) {
  return reinterpret_cast<const SQLWCHAR*>(text.c_str());
}

// String `id` in the calling thread's language.
std::u16string localizedText(unsigned id);

// The pattern with each "%s" replaced by the next argument, in order.
std::u16string formatText(const std::u16string& pattern,
                          std::initializer_list<std::u16string> arguments);

std::u16string decimalText(long long value);
