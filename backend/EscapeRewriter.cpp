#include "backend/EscapeRewriter.h"

#include <boost/xpressive/xpressive.hpp>

#include "statement/SqlTextScanner.h"

namespace {

using boost::xpressive::sregex;

struct Rewrite {
  sregex pattern;
  std::string replacement;
};

// The date and time literals, applied in this order, each to the previous one's result. "$n" is
// group n, empty when the group took no part. Compiled once.
std::string rewritePiece(std::string text) {
  static const Rewrite rewrites[] = {
      {sregex::compile("[{][ \n\r\t]*([0-9]{1,2})/([0-9]{1,2})/([0-9]{4})[ \n\r\t]*[}]"),
       "DATE '$3-$1-$2'"},
      {sregex::compile("[{][ \n\r\t]*([0-9]{1,2})/([0-9]{1,2})/([8-9][0-9])[ \n\r\t]*[}]"),
       "DATE '19$3-$1-$2'"},
      {sregex::compile("[{][ \n\r\t]*([0-9]{1,2})/([0-9]{1,2})/([0-7][0-9])[ \n\r\t]*[}]"),
       "DATE '20$3-$1-$2'"},
      {sregex::compile("[{][ \n\r\t]*([0-9]{1,2}):([0-9]{1,2})(:[0-9]{1,2})?[ \n\r\t]*[}]"),
       "TIME '$1:$2$3'"},
      {sregex::compile("[{][ \n\r\t]*([0-9]{1,2})/([0-9]{1,2})/([0-9]{4})[ \n\r\t]*([0-9]{1,2}):"
                       "([0-9]{1,2})(:[0-9]{1,2})?[ \n\r\t]*[}]"),
       "TIMESTAMP '$3-$1-$2 $4:$5$6'}"},
      {sregex::compile("[{][ \n\r\t]*([0-9]{4})-([0-9]{1,2})-([0-9]{1,2})[ \n\r\t]*([0-9]{1,2}):"
                       "([0-9]{1,2})(:[0-9]{1,2})?[ \n\r\t]*[}]"),
       "TIMESTAMP '$1-$2-$3 $4:$5$6'}"},
      {sregex::compile("[{][ \n\r\t]*([0-9]{1,2})/([0-9]{1,2})/([8-9][0-9])[ \n\r\t]*([0-9]{1,2}):"
                       "([0-9]{1,2})(:[0-9]{1,2})?[ \n\r\t]*[}]"),
       "TIMESTAMP '19$3-$1-$2 $4:$5$6'"},
      {sregex::compile("[{][ \n\r\t]*([0-9]{1,2})/([0-9]{1,2})/([0-7][0-9])[ \n\r\t]*([0-9]{1,2}):"
                       "([0-9]{1,2})(:[0-9]{1,2})?[ \n\r\t]*[}]"),
       "TIMESTAMP '20$3-$1-$2 $4:$5$6'"},
  };
  for (const Rewrite& rewrite : rewrites)
    text = boost::xpressive::regex_replace(text, rewrite.pattern, rewrite.replacement);
  return text;
}

// Every expression matches from a "{" to the first "}" after it, and a replacement holds
// letters that no expression accepts, so the passes run on those pieces alone rather than over
// the whole text: the work stays linear in the text's length.
std::string rewriteDateTimes(std::string_view stretch) {
  std::string out;
  out.reserve(stretch.size() + 16);
  std::size_t copied = 0;
  std::size_t open = stretch.find('{');
  while (open != std::string_view::npos) {
    const std::size_t close = stretch.find('}', open);
    if (close == std::string_view::npos) break;
    open = stretch.rfind('{', close);
    out.append(stretch.substr(copied, open - copied));
    out += rewritePiece(std::string(stretch.substr(open, close + 1 - open)));
    copied = close + 1;
    open = stretch.find('{', copied);
  }
  out.append(stretch.substr(copied));
  return out;
}

}  // namespace

void rewriteEscapes(std::string& sql) {
  if (sql.find('{') == std::string::npos) return;
  for (const char* prefix : {"{ts ", "{d ", "{t ", "{fn ", "{oj "})
    replaceAllOutsideQuotes(sql, prefix, "");
  // The LIKE escape character: the server takes it as the standard clause.
  replaceAllOutsideQuotes(sql, "{escape ", "ESCAPE ");
  const auto ranges = rangesOutsideQuotes(sql);
  bool braceOutside = false;
  for (const auto& [begin, end] : ranges)
    braceOutside = braceOutside || sql.find('{', begin) < end;
  if (braceOutside) {
    // Only the stretches outside quotes are rewritten; quoted text goes through as it is.
    std::string out;
    out.reserve(sql.size() + 32);
    std::size_t copied = 0;
    for (const auto& [begin, end] : ranges) {
      out.append(sql, copied, begin - copied);
      const std::string_view stretch(sql.data() + begin, end - begin);
      out += rewriteDateTimes(stretch);
      copied = end;
    }
    out.append(sql, copied, std::string::npos);
    sql = std::move(out);
  }
  replaceAllOutsideQuotes(sql, "}", "");
}
