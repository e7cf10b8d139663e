// Drives the generator of SQL texts with the fuzzer's bytes and stops at the first text on which
// the driver and SQLite disagree: a marker the scanner counts and SQLite does not (or the other
// way round), or values that, written into the text by the driver, leave their literal.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/statement/sqlite/SqlTextOracle.h"

namespace {

class ByteChoices : public sqltext::Choices {
 public:
  ByteChoices(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), left_(size) {}
  // Past the input every choice is the first, which ends every repetition.
  unsigned pick(unsigned n) override {
    if (left_ == 0) return 0;
    --left_;
    return *bytes_++ % n;
  }

 private:
  const std::uint8_t* bytes_;
  std::size_t left_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static sqltext::Oracle oracle;
  ByteChoices choices(data, size);
  const sqltext::GeneratedText text = sqltext::generateText(choices);
  const std::string difference = oracle.check(text);
  if (!difference.empty()) {
    std::fprintf(stderr, "driver and SQLite disagree on [%s]: %s\n", text.sql.c_str(),
                 difference.c_str());
    std::abort();
  }
  return 0;
}
