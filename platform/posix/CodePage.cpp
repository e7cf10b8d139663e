#include "platform/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/Utf16.h"

namespace platform {

namespace {

std::string iconvName(std::uint32_t codePage) {
  if (codePage == utf8CodePage) return "UTF-8";
  return "CP" + std::to_string(codePage);
}

// Converters are opened once per code page and used under the lock: a descriptor keeps state
// and must not be shared by two conversions at once.
class Converters {
 public:
  ~Converters() {
    for (auto& entry : open_) {
      if (entry.second != invalid()) iconv_close(entry.second);
    }
  }

  std::mutex& mutex() { return mutex_; }

  // The converter from UTF-16 in machine order, or invalid() when iconv does not know the
  // code page. The caller holds the lock.
  iconv_t to(std::uint32_t codePage) {
    auto found = open_.find(codePage);
    if (found == open_.end()) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
      const char* from = "UTF-16LE";
#else
      const char* from = "UTF-16BE";
#endif
      found = open_.emplace(codePage, iconv_open(iconvName(codePage).c_str(), from)).first;
    }
    return found->second;
  }

  static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }

 private:
  std::mutex mutex_;
  std::map<std::uint32_t, iconv_t> open_;
};

Converters& converters() {
  static Converters instance;
  return instance;
}

// Windows' code page 1252 keeps the five C1 controls it assigns no character as bytes of the same
// value; glibc's table lacks them. Passing them through gives both builds the same bytes.
bool isCp1252PassThrough(std::uint32_t codePage, char16_t unit) {
  return codePage == 1252 &&
         (unit == 0x81 || unit == 0x8D || unit == 0x8F || unit == 0x90 || unit == 0x9D);
}

}  // namespace

std::uint32_t systemCodePage() { return utf8CodePage; }

CodePageOutput utf16ToCodePage(std::uint32_t codePage, const char16_t* text, std::size_t units,
                               char* destination, std::size_t capacity) {
  Converters& all = converters();
  std::lock_guard<std::mutex> lock(all.mutex());
  const iconv_t converter = all.to(codePage);
  CodePageOutput output;
  if (converter == Converters::invalid()) return output;
  output.ok = true;
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text));
  std::size_t inLeft = units * sizeof(char16_t);
  char* out = destination;
  std::size_t outLeft = capacity;
  while (inLeft > 0) {
    if (iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG || outLeft == 0) break;
    // A character the code page lacks, or a lone surrogate: "?" in its place.
    const char16_t* at = reinterpret_cast<const char16_t*>(in);
    const std::size_t left = inLeft / sizeof(char16_t);
    const std::size_t skip = left >= 2 && isHighSurrogate(at[0]) && isLowSurrogate(at[1]) ? 2 : 1;
    *out++ = isCp1252PassThrough(codePage, at[0]) ? static_cast<char>(at[0]) : '?';
    --outLeft;
    in += skip * sizeof(char16_t);
    inLeft -= skip * sizeof(char16_t);
  }
  output.bytes = capacity - outLeft;
  output.units = units - inLeft / sizeof(char16_t);
  return output;
}

std::size_t codePageToUtf16(std::uint32_t codePage, const char* text, std::size_t bytes,
                            char16_t* destination, std::size_t capacity) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  const char* to = "UTF-16LE";
#else
  const char* to = "UTF-16BE";
#endif
  const iconv_t converter = iconv_open(to, iconvName(codePage).c_str());
  if (converter == Converters::invalid()) return 0;
  char* in = const_cast<char*>(text);
  std::size_t inLeft = bytes;
  char* out = reinterpret_cast<char*>(destination);
  std::size_t outLeft = capacity * sizeof(char16_t);
  while (inLeft > 0 && outLeft >= sizeof(char16_t)) {
    if (iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) break;
    // An invalid or cut sequence: one replacement character for its first byte.
    const char16_t replacement = 0xFFFD;
    std::memcpy(out, &replacement, sizeof replacement);
    out += sizeof replacement;
    outLeft -= sizeof replacement;
    ++in;
    --inLeft;
  }
  iconv_close(converter);
  return capacity - outLeft / sizeof(char16_t);
}

}  // namespace platform
