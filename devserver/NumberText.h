#pragma once
// The text a REAL value travels as: SQLite's own text of it (15 significant digits, always a
// decimal point, "1.0e+20"), or 17 digits where 15 do not give the value back.
#include <cstddef>

namespace devserver {

// Writes the text into out (no terminating NUL) and answers its length.
std::size_t realText(double value, char (&out)[32]);

}  // namespace devserver
