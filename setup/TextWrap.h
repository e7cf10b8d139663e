#pragma once
// Breaks a text into lines no wider than a width, as a text control would show them.
#include <functional>
#include <string>

using TextMeasure = std::function<int(const std::u16string& line)>;

// Lines are broken with CR LF at the last blank that keeps them within `width` (the blank is
// dropped), or before the first character that does not fit; a line always keeps at least one
// character. Line feeds in the text end lines too.
std::u16string wrapText(const std::u16string& text, int width, const TextMeasure& measure);
