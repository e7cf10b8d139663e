#pragma once
// Conversion of UTF-16 text into the system's narrow code pages (Windows code page numbers).
#include <cstddef>
#include <cstdint>

namespace platform {

constexpr std::uint32_t utf8CodePage = 65001;

// The code page of the system's narrow text: the ANSI code page on Windows, UTF-8 elsewhere.
std::uint32_t systemCodePage();

struct CodePageOutput {
  bool ok = false;        // false when the code page is unknown to the system
  std::size_t bytes = 0;  // bytes written
  std::size_t units = 0;  // UTF-16 units consumed, always whole characters
};

// Converts the longest run of whole characters from the start of the text that fits in
// `capacity` bytes; writes no terminator. A character the code page lacks becomes "?".
CodePageOutput utf16ToCodePage(std::uint32_t codePage, const char16_t* text, std::size_t units,
                               char* destination, std::size_t capacity);

// Converts narrow text of the code page into UTF-16, NULs included, and answers the units
// written: at most `capacity`, whole characters only. Bytes the code page does not define
// become U+FFFD.
std::size_t codePageToUtf16(std::uint32_t codePage, const char* text, std::size_t bytes,
                            char16_t* destination, std::size_t capacity);

}  // namespace platform
