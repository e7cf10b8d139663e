#include "platform/CodePage.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/Utf16.h"

namespace platform {

namespace {

// Best-fit mapping would turn characters the code page lacks into look-alikes; "?" says
// plainly that they were lost. UTF-8 takes no flags and loses nothing.
DWORD flagsFor(std::uint32_t codePage) {
  return codePage == utf8CodePage ? 0 : WC_NO_BEST_FIT_CHARS;
}

int convert(std::uint32_t codePage, const char16_t* text, std::size_t units, char* destination,
            std::size_t capacity, BOOL* usedDefault) {
  return WideCharToMultiByte(codePage, flagsFor(codePage), reinterpret_cast<LPCWCH>(text),
                             static_cast<int>(units), destination, static_cast<int>(capacity),
                             nullptr, usedDefault);
}

// One character at a time, so that the output stops after the last whole character that fits
// and a surrogate pair the code page lacks becomes one "?" (the system would write two).
CodePageOutput convertByCharacter(std::uint32_t codePage, const char16_t* text, std::size_t units,
                                  char* destination, std::size_t capacity) {
  CodePageOutput output;
  output.ok = true;
  while (output.units < units) {
    const char16_t* at = text + output.units;
    const std::size_t length =
        output.units + 1 < units && isHighSurrogate(at[0]) && isLowSurrogate(at[1]) ? 2 : 1;
    char character[8];
    BOOL usedDefault = FALSE;
    int bytes = convert(codePage, at, length, character, sizeof character,
                        codePage == utf8CodePage ? nullptr : &usedDefault);
    if (bytes <= 0 || usedDefault) {
      character[0] = '?';
      bytes = 1;
    }
    if (output.bytes + static_cast<std::size_t>(bytes) > capacity) break;
    CopyMemory(destination + output.bytes, character, static_cast<std::size_t>(bytes));
    output.bytes += static_cast<std::size_t>(bytes);
    output.units += length;
  }
  return output;
}

}  // namespace

std::uint32_t systemCodePage() { return GetACP(); }

CodePageOutput utf16ToCodePage(std::uint32_t codePage, const char16_t* text, std::size_t units,
                               char* destination, std::size_t capacity) {
  if (IsValidCodePage(codePage) == 0) return CodePageOutput();
  if (capacity > 0 && std::none_of(text, text + units, isSurrogate)) {
    const int written = convert(codePage, text, units, destination, capacity, nullptr);
    if (written > 0 || units == 0) {
      CodePageOutput output;
      output.ok = true;
      output.bytes = static_cast<std::size_t>(written);
      output.units = units;
      return output;
    }
  }
  return convertByCharacter(codePage, text, units, destination, capacity);
}

std::size_t codePageToUtf16(std::uint32_t codePage, const char* text, std::size_t bytes,
                            char16_t* destination, std::size_t capacity) {
  if (bytes == 0 || capacity == 0) return 0;
  const int needed = MultiByteToWideChar(codePage, 0, text, static_cast<int>(bytes), nullptr, 0);
  if (needed <= 0) return 0;
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  MultiByteToWideChar(codePage, 0, text, static_cast<int>(bytes), &wide[0], needed);
  std::size_t units = std::min(wide.size(), capacity);
  if (units < wide.size() && units > 0 && isHighSurrogate(static_cast<char16_t>(wide[units - 1]))) {
    --units;
  }
  std::copy(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(units), destination);
  return units;
}

}  // namespace platform
