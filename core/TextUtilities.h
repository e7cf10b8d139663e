#pragma once
// Small C-string and text helpers. Case folding touches ASCII a-z only.
#include <cstddef>
#include <string>

// Null counts as "". Different lengths: 1 when a is longer, -1 when shorter; same length: 0 when
// equal ignoring case, else 1 (not an ordering).
int compareNoCase(const char* a, const char* b);

// 0 when the first n characters are equal ignoring case (a string may end before n, then both
// must end there), else 1.
int compareNoCaseN(const char* a, const char* b, std::size_t n);

// 0 when the text equals the beginning of `other` over the text's length, ignoring case, so
// "utf" matches "UTF-8" and "" matches anything. On a difference: -1 when the text's differing
// byte is the greater, 1 when it is the smaller (as signed chars; "other" ending counts as 0).
int compareStringNoCase(const std::string& text, const std::string& other);

// The first c in s, or the terminating NUL.
const char* findCharOrEnd(const char* s, char c);

// The first c in s, or null when s holds none.
const char* findChar(const char* s, char c);

// strlcpy: a source of at least `size` characters is cut to size-1 and the answer is `size`;
// otherwise the whole source with its NUL, answering its length. Size 0 writes nothing.
std::size_t copyStringBounded(char* destination, const char* source, std::size_t size);

// Writes the value in decimal into the buffer, cut to size-1 characters and always
// NUL-terminated (nothing for size 0). The radix is accepted for the itoa form and ignored.
char* formatIntDecimal(int value, char* buffer, std::size_t size, int radix);

// First occurrence of the needle, null when absent; an empty needle gives the haystack.
const char* findSubstring(const char* haystack, const char* needle);

// strtok_r: a null s continues from *save; leading delimiters are skipped; no token left gives
// null and *save = null; the delimiter after a token becomes NUL and *save points behind it (or
// is null at the end of the text).
char* tokenizeString(char* s, const char* delimiters, char** save);

// A copy without CR and LF.
std::string stripLineBreaks(const std::string& text);

// The C library's white-space test for characters below 128; false for 128 and above.
bool isAsciiSpace(char c);

// '0' to '9', whatever the locale.
inline bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }
