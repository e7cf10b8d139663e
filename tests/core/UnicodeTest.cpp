// Expected bytes and units come from Python's codecs: for UTF-16 -> UTF-8,
// bytes.decode("utf-16-le", "replace").encode("utf-8"); for UTF-8 -> UTF-16,
// bytes.decode("utf-8", "replace").encode("utf-16-le").
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/Unicode.h"

namespace {

using Units = std::vector<SQLWCHAR>;

struct Utf8Text {
  char* text;
  ~Utf8Text() { std::free(text); }
};

// A heap copy without terminator, so that AddressSanitizer sees any read past its end.
template <typename T>
std::unique_ptr<T[]> exactCopy(const T* data, std::size_t size) {
  std::unique_ptr<T[]> copy(new T[size == 0 ? 1 : size]);
  for (std::size_t i = 0; i < size; ++i) copy[i] = data[i];
  return copy;
}

struct EncodeCase {
  const char* name;
  Units units;
  std::string utf8;
};

const EncodeCase encodeCases[] = {
    {"ASCII", {0x0048, 0x0069, 0x0021}, "\x48\x69\x21"},
    {"two-byte U+00E9", {0x00E9}, "\xC3\xA9"},
    {"two-byte bounds U+0080 U+07FF", {0x0080, 0x07FF}, "\xC2\x80\xDF\xBF"},
    {"three-byte U+20AC", {0x20AC}, "\xE2\x82\xAC"},
    {"three-byte bounds U+0800 U+FFFF", {0x0800, 0xFFFF}, "\xE0\xA0\x80\xEF\xBF\xBF"},
    {"pair U+1F600", {0xD83D, 0xDE00}, "\xF0\x9F\x98\x80"},
    {"pair U+10000 and U+10FFFF",
     {0xD800, 0xDC00, 0xDBFF, 0xDFFF},
     "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
    {"mixed",
     {0x0061, 0x00E9, 0x20AC, 0xD83D, 0xDE00, 0x007A},
     "\x61\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\x7A"},
    {"lone high at end", {0x0061, 0xD800}, "\x61\xEF\xBF\xBD"},
    {"lone high before BMP", {0xD800, 0x0041}, "\xEF\xBF\xBD\x41"},
    {"lone low", {0xDC00, 0x0041}, "\xEF\xBF\xBD\x41"},
    {"high before pair", {0xD800, 0xD83D, 0xDE00}, "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
    {"reversed pair", {0xDE00, 0xD83D}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
};

TEST(Utf16ToUtf8, MatchesTheReferenceCodec) {
  for (const EncodeCase& c : encodeCases) {
    SCOPED_TRACE(c.name);
    const auto input = exactCopy(c.units.data(), c.units.size());
    const auto length = static_cast<SQLINTEGER>(c.units.size());

    SQLINTEGER bytes = -99;
    Utf8Text narrow{utf16ToUtf8(input.get(), length, &bytes)};
    ASSERT_NE(narrow.text, nullptr);
    EXPECT_EQ(std::string(narrow.text), c.utf8);
    EXPECT_EQ(bytes, static_cast<SQLINTEGER>(c.utf8.size()));

    SQLUINTEGER wideBytes = 99;
    Utf8Text viaInt{utf16ToUtf8Int(input.get(), length, &wideBytes)};
    EXPECT_EQ(std::string(viaInt.text), c.utf8);
    EXPECT_EQ(wideBytes, c.utf8.size());

    Units terminated = c.units;
    terminated.push_back(0);
    Utf8Text viaNts{utf16ToUtf8(terminated.data(), SQL_NTS, nullptr)};
    EXPECT_EQ(std::string(viaNts.text), c.utf8);
  }
}

TEST(Utf16ToUtf8, StopsAtTheLengthOrTheFirstNul) {
  const Units pair = {0xD83D, 0xDE00};
  SQLINTEGER bytes = 0;
  // A length that cuts the pair leaves a lone high surrogate.
  Utf8Text cut{utf16ToUtf8(exactCopy(pair.data(), 2).get(), 1, &bytes)};
  EXPECT_EQ(std::string(cut.text), "\xEF\xBF\xBD");
  EXPECT_EQ(bytes, 3);

  const Units withNul = {0x41, 0x00, 0x42};
  Utf8Text stopped{utf16ToUtf8(withNul.data(), 3, &bytes)};
  EXPECT_EQ(std::string(stopped.text), "A");
  EXPECT_EQ(bytes, 1);

  Utf8Text empty{utf16ToUtf8(withNul.data(), -7, &bytes)};
  EXPECT_EQ(std::string(empty.text), "");
  EXPECT_EQ(bytes, 0);
}

TEST(Utf16ToUtf8, NullTextGivesNullAndMinusOne) {
  SQLINTEGER bytes = 0;
  EXPECT_EQ(utf16ToUtf8(nullptr, SQL_NTS, &bytes), nullptr);
  EXPECT_EQ(bytes, -1);
}

TEST(Utf16ToUtf8, LengthsAreNotCutAt16Bits) {
  const Units long_(70000, 0x20AC);
  SQLINTEGER bytes = 0;
  Utf8Text narrow{utf16ToUtf8(long_.data(), static_cast<SQLINTEGER>(long_.size()), &bytes)};
  EXPECT_EQ(bytes, 210000);
  EXPECT_EQ(std::string(narrow.text).size(), 210000u);
}

struct DecodeCase {
  const char* name;
  std::string utf8;
  Units units;
};

const DecodeCase decodeCases[] = {
    {"ASCII", "\x48\x69\x21", {0x0048, 0x0069, 0x0021}},
    {"two-byte", "\xC3\xA9", {0x00E9}},
    {"two-byte bounds", "\xC2\x80\xDF\xBF", {0x0080, 0x07FF}},
    {"three-byte", "\xE2\x82\xAC", {0x20AC}},
    {"three-byte bounds", "\xE0\xA0\x80\xEF\xBF\xBF", {0x0800, 0xFFFF}},
    {"four-byte", "\xF0\x9F\x98\x80", {0xD83D, 0xDE00}},
    {"four-byte bounds", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", {0xD800, 0xDC00, 0xDBFF, 0xDFFF}},
    {"mixed",
     "\x61\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\x7A",
     {0x0061, 0x00E9, 0x20AC, 0xD83D, 0xDE00, 0x007A}},
    {"lone continuation", "\x61\x80\x62", {0x0061, 0xFFFD, 0x0062}},
    {"overlong two-byte", "\xC0\x80", {0xFFFD, 0xFFFD}},
    {"overlong three-byte", "\xE0\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD}},
    {"encoded surrogate", "\xED\xA0\x80", {0xFFFD, 0xFFFD, 0xFFFD}},
    {"above U+10FFFF", "\xF4\x90\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}},
    {"invalid lead bytes", "\xF5\xFE\xFF", {0xFFFD, 0xFFFD, 0xFFFD}},
    {"cut three-byte at end", "\xE2\x82", {0xFFFD}},
    {"cut three-byte before ASCII", "\xE2\x82\x41", {0xFFFD, 0x0041}},
    {"cut four-byte at end", "\xF0\x9F\x98", {0xFFFD}},
    {"cut four-byte before ASCII", "\xF0\x9F\x98\x41", {0xFFFD, 0x0041}},
    {"two leads", "\xC3\xC3\xA9", {0xFFFD, 0x00E9}},
};

constexpr SQLWCHAR canary = 0xCCCC;

TEST(Utf8ToUtf16, MatchesTheReferenceCodec) {
  for (const DecodeCase& c : decodeCases) {
    SCOPED_TRACE(c.name);
    const auto input = exactCopy(c.utf8.data(), c.utf8.size());
    const auto length = static_cast<SQLINTEGER>(c.utf8.size());
    const auto expected = static_cast<SQLINTEGER>(c.units.size());

    Units buffer(c.units.size() + 2, canary);
    EXPECT_EQ(utf8ToUtf16(input.get(), length, buffer.data(), expected + 1), expected);
    EXPECT_EQ(Units(buffer.begin(), buffer.begin() + expected), c.units);
    EXPECT_EQ(buffer[c.units.size()], 0);
    EXPECT_EQ(buffer[c.units.size() + 1], canary);

    EXPECT_EQ(utf8ToUtf16(input.get(), length, nullptr, 0), expected);
    EXPECT_EQ(utf8ToUtf16(c.utf8.c_str(), -1, nullptr, 0), expected);
    EXPECT_EQ(utf8StringToUtf16(c.utf8, nullptr, 0), expected);
  }
}

TEST(Utf8ToUtf16, StopsAtTheLengthOrTheFirstNul) {
  Units buffer(4, canary);
  // The length ends inside a two-byte sequence.
  EXPECT_EQ(utf8ToUtf16(exactCopy("\xC3\xA9", 2).get(), 1, buffer.data(), 4), 1);
  EXPECT_EQ(buffer[0], 0xFFFD);
  EXPECT_EQ(buffer[1], 0);

  const std::string withNul("A\0B", 3);
  EXPECT_EQ(utf8StringToUtf16(withNul, buffer.data(), 4), 1);
  EXPECT_EQ(buffer[0], 'A');
  EXPECT_EQ(buffer[1], 0);

  EXPECT_EQ(utf8ToUtf16(nullptr, -1, buffer.data(), 4), 0);
}

struct CapacityCase {
  const char* text;
  SQLINTEGER capacity;
  Units stored;  // what the buffer holds, terminator included
};

TEST(Utf8ToUtf16, ABufferBelowTheNeedHoldsAWholeCutTextAndANul) {
  const CapacityCase cases[] = {
      {"0123456789", 4, {'0', '1', '2', 0}},
      {"0123456789", 1, {0}},
      {"0123456789", 0, {}},
      {"0123456789", -1, {}},
      {"0123456789", 11, {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 0}},
      // A surrogate pair is never split: with room for three units only "ab" fits.
      {"ab\xF0\x9F\x98\x80", 4, {'a', 'b', 0}},
      {"ab\xF0\x9F\x98\x80", 5, {'a', 'b', 0xD83D, 0xDE00, 0}},
      {"ab\xF0\x9F\x98\x80z", 5, {'a', 'b', 0xD83D, 0xDE00, 0}},
  };
  for (const CapacityCase& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " capacity " + std::to_string(c.capacity));
    Units buffer(16, canary);
    const SQLINTEGER needed = utf8ToUtf16(c.text, -1, buffer.data(), c.capacity);
    EXPECT_EQ(needed, utf8ToUtf16(c.text, -1, nullptr, 0));
    EXPECT_EQ(Units(buffer.begin(), buffer.begin() + c.stored.size()), c.stored);
    EXPECT_EQ(buffer[c.stored.size()], canary);
  }
}

TEST(Utf8ToUtf16, RoundTripsEveryScalarValueClass) {
  const Units original = {0x24, 0xA2, 0x939, 0x20AC, 0xD55C, 0xD800, 0xDF48, 0xDBFF, 0xDFFF};
  SQLINTEGER bytes = 0;
  Utf8Text narrow{utf16ToUtf8(original.data(), static_cast<SQLINTEGER>(original.size()), &bytes)};
  Units back(original.size() + 1, canary);
  EXPECT_EQ(utf8ToUtf16(narrow.text, bytes, back.data(), static_cast<SQLINTEGER>(back.size())),
            static_cast<SQLINTEGER>(original.size()));
  back.pop_back();
  EXPECT_EQ(back, original);
}

}  // namespace
