#include "setup/TextWrap.h"

#include "core/Unicode.h"

namespace {

bool isBlank(char16_t unit) { return unit == u' ' || unit == u'\t'; }

}  // namespace

std::u16string wrapText(const std::u16string& text, int width, const TextMeasure& measure) {
  std::u16string wrapped;
  std::size_t lineStart = 0;
  std::size_t blank = std::u16string::npos;
  std::size_t i = 0;
  while (i < text.size()) {
    const char16_t unit = text[i];
    if (unit == u'\n') {
      wrapped.append(text, lineStart, i + 1 - lineStart);
      lineStart = ++i;
      blank = std::u16string::npos;
      continue;
    }
    // The second half of a surrogate pair, and a carriage return, go with what precedes them;
    // a line keeps its first character even when that alone is too wide.
    if (unit == u'\r' || isLowSurrogate(unit) || i == lineStart ||
        measure(text.substr(lineStart, i + 1 - lineStart)) <= width) {
      if (isBlank(unit)) blank = i;
      ++i;
      continue;
    }
    if (blank != std::u16string::npos) {
      wrapped.append(text, lineStart, blank - lineStart);
      lineStart = blank + 1;
    } else {
      wrapped.append(text, lineStart, i - lineStart);
      lineStart = i;
    }
    wrapped += u"\r\n";
    blank = std::u16string::npos;
    i = lineStart;
  }
  wrapped.append(text, lineStart, std::u16string::npos);
  return wrapped;
}
