#include "statement/SqlTextScanner.h"

#include <cstring>
#include <initializer_list>

#include <boost/xpressive/xpressive.hpp>

#include "core/TextUtilities.h"

namespace {

enum class SpanKind { none, quoted, lineComment, blockComment };

struct Span {
  SpanKind kind;
  std::size_t end;  // one past the span's last byte
};

char foldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The comment that begins at i. "--" runs to the next LF, which stays outside it: the server
// ends it there and nowhere else, so a CR inside it must not let the rest of the line count
// as text. "/*" at the very end of the text is a slash and a star to the server, not a comment.
Span commentAt(std::string_view text, std::size_t i) {
  const char next = i + 1 < text.size() ? text[i + 1] : '\0';
  std::size_t end = std::string_view::npos;
  if (text[i] == '-' && next == '-') {
    end = text.find('\n', i + 2);
    return {SpanKind::lineComment, end == std::string_view::npos ? text.size() : end};
  }
  if (text[i] == '/' && next == '*' && i + 2 < text.size()) {
    end = text.find("*/", i + 2);
    return {SpanKind::blockComment, end == std::string_view::npos ? text.size() : end + 2};
  }
  return {SpanKind::none, i};
}

// The quoted section or comment that begins at i. Unterminated ones run to the end of the text.
Span spanAt(std::string_view text, std::size_t i) {
  const char c = text[i];
  if (c == '[') {
    const std::size_t end = text.find(']', i + 1);
    return {SpanKind::quoted, end == std::string_view::npos ? text.size() : end + 1};
  }
  if (c != '\'' && c != '"' && c != '`') return commentAt(text, i);
  for (std::size_t j = i + 1; j < text.size(); ++j) {
    if (text[j] != c) continue;
    if (j + 1 < text.size() && text[j + 1] == c) {
      ++j;  // a doubled quote stays inside
      continue;
    }
    return {SpanKind::quoted, j + 1};
  }
  return {SpanKind::quoted, text.size()};
}

bool matchesAt(std::string_view text, std::size_t i, std::string_view pattern, bool ignoreCase) {
  if (pattern.size() > text.size() - i) return false;
  if (!ignoreCase) return text.compare(i, pattern.size(), pattern) == 0;
  return compareSubstringNoCase(text, i, pattern.size(), pattern) == 0;
}

// Calls onMatch with the position of each occurrence of the pattern outside quotes and
// comments, resuming after it, until onMatch answers false. An empty pattern never matches.
template <typename OnMatch>
void forEachOccurrence(std::string_view text, std::string_view pattern, bool ignoreCase,
                       OnMatch onMatch) {
  if (pattern.empty()) return;
  std::size_t i = 0;
  while (i < text.size()) {
    const Span span = spanAt(text, i);
    if (span.kind != SpanKind::none) {
      i = span.end;
    } else if (matchesAt(text, i, pattern, ignoreCase)) {
      if (!onMatch(i)) return;
      i += pattern.size();
    } else {
      ++i;
    }
  }
}

// A case-insensitive keyword at i whose next byte satisfies followedBy; the keyword must not
// end the text.
template <typename FollowedBy>
bool keywordAt(std::string_view text, std::size_t i, std::string_view keyword,
               FollowedBy followedBy) {
  return keyword.size() < text.size() - i && matchesAt(text, i, keyword, true) &&
         followedBy(text[i + keyword.size()]);
}

bool anyKeywordAt(std::string_view text, std::size_t i,
                  std::initializer_list<std::string_view> keywords, bool allowParenthesis) {
  const auto follows = [allowParenthesis](char c) {
    return isAsciiSpace(c) || (allowParenthesis && c == '(');
  };
  for (std::string_view keyword : keywords) {
    if (keywordAt(text, i, keyword, follows)) return true;
  }
  return false;
}

bool isNameDelimiter(char c) { return isAsciiSpace(c) || std::strchr("(),=<>", c) != nullptr; }

bool isNumericLiteral(std::string_view token) {
  using namespace boost::xpressive;
  static const cregex pattern = cregex::compile("^[-+]?[0-9]*\\.?[0-9]+([eE][-+]?[0-9]+)?$");
  return regex_match(token.data(), token.data() + token.size(), pattern);
}

// The walk of stripNameQualifiers: words are runs of bytes between delimiters; quoted sections
// belong to their word and comments end it.
class QualifierStripper {
 public:
  QualifierStripper(std::string_view text, std::uint32_t depth) : text_(text), depth_(depth) {
    out_.reserve(text.size());
  }

  std::string run() {
    std::size_t i = 0;
    while (i < text_.size()) {
      const Span span = spanAt(text_, i);
      if (span.kind == SpanKind::quoted) {
        if (!inWord_) startWord(i, false);
        i = span.end;
        continue;
      }
      if (span.kind != SpanKind::none) {
        endWord(i);
        out_.append(text_, i, span.end - i);
        i = span.end;
        continue;
      }
      const char c = text_[i];
      if (isNameDelimiter(c)) {
        endWord(i);
        out_ += c;
      } else {
        if (!inWord_) startWord(i, true);
        if (c == '.') countDot(i);
      }
      ++i;
    }
    endWord(text_.size());
    return std::move(out_);
  }

 private:
  void startWord(std::size_t i, bool mayBeKeyword) {
    inWord_ = true;
    wordStart_ = tokenStart_ = i;
    dots_ = 0;
    if (mayBeKeyword) {
      if (inTableList_) {
        inTableList_ = !anyKeywordAt(text_, i,
                                     {"SELECT", "ORDER", "GROUP", "HAVING", "UNION", "MINUS",
                                      "INTERSECT", "SET"},
                                     false) &&
                       !anyKeywordAt(text_, i, {"WHERE", "ON"}, true);
      } else {
        inTableList_ = anyKeywordAt(text_, i, {"FROM", "INTO", "UPDATE"}, false);
      }
    }
    cutDots_ = inTableList_ ? depth_ : depth_ + 1;
  }

  void countDot(std::size_t i) {
    ++dots_;
    if (dots_ == 1) afterFirstDot_ = i + 1;
    if (dots_ == cutDots_) wordStart_ = afterFirstDot_;
  }

  void endWord(std::size_t end) {
    if (!inWord_) return;
    if (dots_ == 1 && wordStart_ != tokenStart_ &&
        isNumericLiteral(text_.substr(tokenStart_, end - tokenStart_))) {
      wordStart_ = tokenStart_;
    }
    out_.append(text_, wordStart_, end - wordStart_);
    inWord_ = false;
  }

  std::string_view text_;
  std::uint32_t depth_;
  std::string out_;
  bool inWord_ = false;
  bool inTableList_ = false;
  std::size_t wordStart_ = 0;
  std::size_t tokenStart_ = 0;
  std::size_t afterFirstDot_ = 0;
  std::uint32_t dots_ = 0;
  std::uint32_t cutDots_ = 0;
};

}  // namespace

std::string stripNameQualifiers(std::string_view text, std::uint32_t depth) {
  return QualifierStripper(text, depth).run();
}

std::string stripLineComments(const char* text) {
  const std::string_view sql(text);
  std::string out;
  out.reserve(sql.size());
  std::size_t i = 0;
  while (i < sql.size()) {
    const Span span = spanAt(sql, i);
    if (span.kind == SpanKind::none) {
      out += sql[i++];
      continue;
    }
    if (span.kind != SpanKind::lineComment) out.append(sql, i, span.end - i);
    i = span.end;
  }
  return out;
}

bool replaceFirstOutsideQuotes(std::string& text, std::string_view pattern,
                               std::string_view replacement) {
  bool replaced = false;
  forEachOccurrence(text, pattern, true, [&](std::size_t position) {
    text.replace(position, pattern.size(), replacement);
    replaced = true;
    return false;
  });
  return replaced;
}

void replaceAllOutsideQuotes(std::string& text, std::string_view pattern,
                             std::string_view replacement) {
  std::string out;
  std::size_t copied = 0;
  forEachOccurrence(text, pattern, true, [&](std::size_t position) {
    out.append(text, copied, position - copied);
    out.append(replacement);
    copied = position + pattern.size();
    return true;
  });
  if (copied == 0) return;
  out.append(text, copied, std::string::npos);
  text = std::move(out);
}

std::int32_t countOutsideQuotes(std::string_view text, std::string_view pattern) {
  std::int32_t count = 0;
  forEachOccurrence(text, pattern, false, [&count](std::size_t) {
    ++count;
    return true;
  });
  return count;
}

std::vector<std::size_t> findAllOutsideQuotes(std::string_view text, std::string_view pattern) {
  std::vector<std::size_t> positions;
  forEachOccurrence(text, pattern, false, [&positions](std::size_t position) {
    positions.push_back(position);
    return true;
  });
  return positions;
}

const char* findOutsideQuotes(const char* text, const char* keyword) {
  const std::string_view sql(text);
  std::size_t found = sql.size();
  forEachOccurrence(sql, keyword, true, [&found](std::size_t position) {
    found = position;
    return false;
  });
  return text + found;
}

int compareSubstringNoCase(std::string_view text, std::size_t position, std::size_t count,
                           std::string_view other) {
  if (position > text.size() || count > text.size() - position || count > other.size()) return 1;
  for (std::size_t k = 0; k < count; ++k) {
    const auto a = static_cast<signed char>(foldCase(text[position + k]));
    const auto b = static_cast<signed char>(foldCase(other[k]));
    if (a != b) return a > b ? -1 : 1;
  }
  return 0;
}

std::vector<std::string> splitString(std::string_view text, std::string_view delimiters) {
  std::vector<std::string> pieces;
  std::size_t start = text.find_first_not_of(delimiters);
  while (start != std::string_view::npos) {
    const std::size_t end = text.find_first_of(delimiters, start);
    pieces.emplace_back(text.substr(start, end - start));
    start = end == std::string_view::npos ? end : text.find_first_not_of(delimiters, end);
  }
  return pieces;
}

const char* skipSpaces(const char* text) {
  while (isAsciiSpace(*text)) ++text;
  return text;
}

const char* skipSpacesAndComments(const char* text) {
  const std::string_view sql(text);
  std::size_t i = 0;
  for (;;) {
    while (i < sql.size() && isAsciiSpace(sql[i])) ++i;
    if (i == sql.size()) return text + i;
    const Span span = commentAt(sql, i);
    if (span.kind == SpanKind::none) return text + i;
    i = span.end;
  }
}

std::vector<std::pair<std::size_t, std::size_t>> rangesOutsideQuotes(std::string_view text) {
  std::vector<std::pair<std::size_t, std::size_t>> ranges;
  std::size_t begin = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const Span span = spanAt(text, i);
    if (span.kind == SpanKind::none) {
      ++i;
      continue;
    }
    if (i > begin) ranges.emplace_back(begin, i);
    begin = i = span.end;
  }
  if (text.size() > begin) ranges.emplace_back(begin, text.size());
  return ranges;
}

const char* startsWithKeyword(const char* text, const char* keyword) {
  const std::string_view sql(skipSpacesAndComments(text));
  if (sql.empty()) return nullptr;
  const std::string_view word(keyword);
  if (!matchesAt(sql, 0, word, true)) return nullptr;
  if (word.size() < sql.size() && isIdentifierByte(sql[word.size()])) return nullptr;
  return sql.data();
}

bool isIdentifierByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x80 || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
         b == '_' || b == '$';
}
