#pragma once
// Looks at SQL text without parsing it: finds, counts and replaces words and markers outside
// quoted sections and comments, strips comments and catalog qualifiers, tests the first word.
//
// Every function reads quotes and comments as the server's lexer does, so that a marker the
// driver replaces is one the server would see, and a value written in its place cannot leave
// the section it was meant for. The server's literals double their quotes ('it''s', "a""b");
// a backslash is an ordinary byte. Identifiers are quoted in double quotes, back quotes or
// brackets ([a b]); a bracket section ends at the first "]". Inside a section a marker or
// another quote character is an ordinary byte. Outside quotes, "--" up to the next LF (a CR
// does not end it) and "/* ... */" are comments; unterminated sections and comments run to the
// end of the text. Letters compare case-insensitively by folding
// ASCII a-z only. Positions are byte offsets.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Copy of the text in which dotted names with enough dots lose their first component and its
// dot: names in a table list (after FROM, INTO or UPDATE) with depth dots, others with depth + 1.
// Numbers such as 1.5, quoted sections and comments are never cut.
std::string stripNameQualifiers(std::string_view text, std::uint32_t depth);

// Copy without "--" comments (the LF after one stays); quoted sections and "/* */" comments
// are copied as they are.
std::string stripLineComments(const char* text);

// Replaces the first case-insensitive occurrence of the pattern outside single, double and back
// quotes, brackets and comments; true when one was replaced.
bool replaceFirstOutsideQuotes(std::string& text, std::string_view pattern,
                               std::string_view replacement);

// Replaces every such occurrence in one pass over the text; the inserted replacements are not
// scanned again, so a replacement that contains the pattern cannot make it loop.
void replaceAllOutsideQuotes(std::string& text, std::string_view pattern,
                             std::string_view replacement);

// Number of case-sensitive occurrences outside single, double and back quotes, brackets and
// comments; the search resumes after each occurrence.
std::int32_t countOutsideQuotes(std::string_view text, std::string_view pattern);

// Positions of the occurrences that countOutsideQuotes counts, found in one pass (the parameter
// markers "?" of a statement).
std::vector<std::size_t> findAllOutsideQuotes(std::string_view text, std::string_view pattern);

// First case-insensitive occurrence of the keyword outside quoted sections and comments, or the
// text's terminating NUL when there is none.
const char* findOutsideQuotes(const char* text, const char* keyword);

// 0 when the count bytes of the text from the position equal the other text's first count
// bytes, ignoring case; a range that either text does not hold is unequal. Otherwise -1 when
// the text's differing byte is the greater and 1 when it is the smaller (as signed chars).
int compareSubstringNoCase(std::string_view text, std::size_t position, std::size_t count,
                           std::string_view other);

// The non-empty pieces of the text between bytes of the delimiter set.
std::vector<std::string> splitString(std::string_view text, std::string_view delimiters);

// First byte of the text that is not white space.
const char* skipSpaces(const char* text);

// A byte that continues a name or a number: [A-Za-z0-9_$] or a byte of 0x80 and above.
bool isIdentifierByte(char c);

// First byte of the text that is neither white space nor part of a comment (the terminating NUL
// when there is none).
const char* skipSpacesAndComments(const char* text);

// The stretches of the text outside single, double and back quotes and comments, in order, as
// [begin, end) byte positions.
std::vector<std::pair<std::size_t, std::size_t>> rangesOutsideQuotes(std::string_view text);

// Position of the keyword when the text, after white space and comments, begins with it and
// the byte after it is not part of an identifier ([A-Za-z0-9_$] or a byte of 0x80 and above);
// otherwise null. "SELECT*FROM t" and "select(1)" start with SELECT, "selected" does not.
const char* startsWithKeyword(const char* text, const char* keyword);
