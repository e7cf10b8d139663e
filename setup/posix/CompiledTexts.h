#pragma once
// POSIX modules carry no string resources: the interface's texts are compiled in, and the
// language is that of the locale environment.
#include <string>

// Text `id` in the locale's language; empty for an identifier without text.
std::u16string compiledText(unsigned id);
