#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/kvl_base64.h"
#include "tests/client/CryptoTestHex.h"

namespace {

std::string encode(const std::vector<std::uint8_t>& bytes) {
  std::vector<char> out(4 * (bytes.size() / 3 + 1) + 1, 'X');
  char* end = kvl_base64_encode(out.data(), bytes.data(), bytes.size());
  EXPECT_EQ(*end, '\0');
  return std::string(out.data(), end);
}

// The decoded bytes as hex, or the count when it is not positive.
std::string decode(const char* text) {
  std::vector<std::uint8_t> out(3 * (std::string(text).size() / 4 + 1));
  int count = kvl_base64_decode(out.data(), text);
  if (count <= 0) return std::to_string(count);
  return toHex(out.data(), static_cast<std::size_t>(count));
}

// Expected texts from Python's base64.b64encode.
const struct {
  const char* hex;
  const char* text;
} kPython[] = {
    {"c8", "yA=="},         {"c8ed", "yO0="},         {"c8ed12", "yO0S"},           {"c8ed1237", "yO0SNw=="},
    {"c8ed12375c", "yO0SN1w="}, {"c8ed12375c81", "yO0SN1yB"}, {"c8ed12375c81a6", "yO0SN1yBpg=="},
};

TEST(CryptoBase64, MatchesPythonBothWays) {
  for (const auto& c : kPython) {
    EXPECT_EQ(encode(fromHex(c.hex)), c.text);
    EXPECT_EQ(decode(c.text), c.hex);
  }
  std::vector<std::uint8_t> descending;
  for (int b = 255; b >= 0; --b) descending.push_back(static_cast<std::uint8_t>(b));
  std::string text = encode(descending);
  EXPECT_EQ(text.substr(0, 24), "//79/Pv6+fj39vX08/Lx8O/u");
  EXPECT_EQ(text.substr(text.size() - 8), "AwIBAA==");
  EXPECT_EQ(text.size(), 344u);
  EXPECT_EQ(decode(text.c_str()), toHex(descending));
  EXPECT_EQ(encode({}), "");
}

TEST(CryptoBase64, DecoderQuirks) {
  const struct {
    const char* text;
    const char* result;
  } cases[] = {
      {"", "-1"},                    // nothing at all
      {"+ ", "-1"},                  // only the prefix
      {"+ yO0S", "c8ed12"},          // a leading "+ " is skipped
      {"\r", "0"},                   // a line end first yields nothing
      {"+ \ryO0S", "0"},
      {"yO0S\ryA==", "c8ed12"},      // a carriage return after a group ends the data
      {"yA==yO0S", "c8"},            // so does padding
      {"yO0=yO0S", "c8ed"},
      {"yA=Q", "c8"},                // "=" third ends the data after one byte
      {"yO0SyO0S", "c8ed12c8ed12"},  // groups follow each other
      {"yO0S\n", "-1"},              // any other character is malformed
      {"y*0S", "-1"},
      {"=A==", "-1"},                // "=" only in the last two places
      {"y===", "-1"},
      {"yO0", "-1"},                 // a short group ends at the NUL and is malformed
      {"yO0SyO", "-1"},
      {"y", "-1"},
  };
  for (const auto& c : cases) EXPECT_EQ(decode(c.text), c.result) << '"' << c.text << '"';
}

TEST(CryptoBase64, DecoderStopsAtTheNulInsideAGroup) {
  // Bytes after the NUL must not be taken as part of the group.
  const char text[] = {'y', 'O', '\0', 'S', '\0'};
  std::uint8_t out[3];
  EXPECT_EQ(kvl_base64_decode(out, text), -1);
}

}  // namespace
