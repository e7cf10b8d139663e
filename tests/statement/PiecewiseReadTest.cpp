// Long values read in pieces, as SQLGetData reads them, to their end and put back together.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/DiagnosticHeader.h"
#include "core/Environment.h"
#include "core/Unicode.h"
#include "statement/Descriptor.h"
#include "tests/statement/ResultColumns.h"
#include "tests/statement/TakeState.h"
#include "tests/support/RecordingConnection.h"

namespace {

constexpr unsigned char kCanary = 0xA5;
constexpr std::size_t kSlack = 8;  // canary bytes behind the buffer

struct Piece {
  SQLRETURN rc;
  std::string state;
  std::string data;  // the piece's bytes without the terminator
  SQLLEN length;
};

// "aé€😀", so that every cut meets characters of one to four bytes.
const std::string kMixed =
    "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"
    "b\xF0\x9F\x98\x80\xE2\x82\xAC\xC3\xA9"
    "cd\xE2\x82\xAC\xF0\x9F\x98\x80\xC3\xA9\xC3\xA9";
const std::u16string kMixedWide =
    u"a\u00E9\u20AC\U0001F600b\U0001F600\u20AC\u00E9cd\u20AC\U0001F600\u00E9\u00E9";

std::u16string wideText(const std::string& bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  std::memcpy(&text[0], bytes.data(), 2 * text.size());
  return text;
}

std::string repeated(const std::string& text, int times) {
  std::string result;
  for (int i = 0; i < times; ++i) result += text;
  return result;
}

class PiecewiseReadTest : public ::testing::Test {
 protected:
  void SetUp() override { column_ = &result_.add(SQL_VARCHAR); }

  // Reads the value of a column of the SQL type with one buffer length after another (the last
  // one repeats) until SQL_NO_DATA, at most `limit` calls.
  std::vector<Piece> read(const std::optional<std::string>& value, SQLSMALLINT sqlType,
                          SQLSMALLINT cType, std::vector<SQLLEN> bufferLengths,
                          std::size_t limit = 100) {
    column_->setConciseType(sqlType);
    result_.set(1, 0, value);
    std::vector<Piece> pieces;
    SQLULEN position = 0;
    while (pieces.size() < limit) {
      const SQLLEN bufferLength = bufferLengths[std::min(pieces.size(), bufferLengths.size() - 1)];
      std::vector<unsigned char> buffer(static_cast<std::size_t>(bufferLength) + kSlack, kCanary);
      SQLLEN length = -777;
      const SQLRETURN rc =
          column_->convertImpToAppValue(0, cType, buffer.data(), bufferLength, &length, &length,
                                        &position, {diagnostics_, 1, -1, nullptr});
      for (std::size_t i = static_cast<std::size_t>(bufferLength); i < buffer.size(); ++i) {
        EXPECT_EQ(buffer[i], kCanary) << "written behind the buffer at " << i;
      }
      Piece piece{rc, testsupport::takeState(diagnostics_), "", length};
      if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
        piece.data = pieceData(cType, buffer, bufferLength, length);
      }
      pieces.push_back(piece);
      if (rc == SQL_NO_DATA || rc == SQL_ERROR) break;
    }
    return pieces;
  }

  static std::string pieceData(SQLSMALLINT cType, const std::vector<unsigned char>& buffer,
                               SQLLEN bufferLength, SQLLEN length) {
    const auto size = static_cast<std::size_t>(bufferLength);
    const char* bytes = reinterpret_cast<const char*>(buffer.data());
    if (cType == SQL_C_BINARY) return std::string(bytes, std::min<std::size_t>(size, length));
    std::size_t end = 0;
    if (cType == SQL_C_CHAR) {
      while (end < size && bytes[end] != '\0') ++end;
      EXPECT_TRUE(size == 0 || end < size) << "no terminator";
    } else {
      while (end + 1 < size && (bytes[end] != '\0' || bytes[end + 1] != '\0')) end += 2;
      EXPECT_TRUE(size < 2 || end + 1 < size) << "no terminator";
    }
    return size == 0 ? "" : std::string(bytes, end);
  }

  static std::string joined(const std::vector<Piece>& pieces) {
    std::string all;
    for (const Piece& piece : pieces) all += piece.data;
    return all;
  }

  // Every piece but the last was cut, the last came whole, then SQL_NO_DATA.
  static void expectEnding(const std::vector<Piece>& pieces) {
    ASSERT_GE(pieces.size(), 2u);
    for (std::size_t i = 0; i + 2 < pieces.size(); ++i) {
      EXPECT_EQ(pieces[i].rc, SQL_SUCCESS_WITH_INFO) << "piece " << i;
      EXPECT_EQ(pieces[i].state, "01004") << "piece " << i;
    }
    EXPECT_EQ(pieces[pieces.size() - 2].rc, SQL_SUCCESS);
    EXPECT_EQ(pieces.back().rc, SQL_NO_DATA);
  }

  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC piecewise test", "Ferrow",
                           nullptr};
  testsupport::RecordingConnection connection_{&environment_};
  DiagnosticHeader diagnostics_{&environment_};
  testsupport::ResultColumns result_{connection_, 1};
  DescriptorRecord* column_ = nullptr;
};

TEST_F(PiecewiseReadTest, CharacterPiecesReportWhatIsLeft) {
  const std::vector<Piece> pieces = read("abcdefghij", SQL_VARCHAR, SQL_C_CHAR, {4});
  ASSERT_EQ(pieces.size(), 5u);
  const char* const data[] = {"abc", "def", "ghi", "j"};
  const SQLLEN lengths[] = {10, 7, 4, 1};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(pieces[i].data, data[i]);
    EXPECT_EQ(pieces[i].length, lengths[i]);
  }
  expectEnding(pieces);
}

// Applications such as pyodbc take a cut piece to fill the buffer up to its terminator and size
// the next read on that, so a piece that stopped short of a whole character lost them the value.
TEST_F(PiecewiseReadTest, CharacterPiecesFillTheBufferThroughUtf8Sequences) {
  for (SQLLEN bufferLength = 2; bufferLength <= 24; ++bufferLength) {
    SCOPED_TRACE(bufferLength);
    const std::vector<Piece> pieces = read(kMixed, SQL_VARCHAR, SQL_C_CHAR, {bufferLength});
    expectEnding(pieces);
    EXPECT_EQ(joined(pieces), kMixed);
    std::size_t remaining = kMixed.size();
    for (std::size_t i = 0; i + 2 < pieces.size(); ++i) {
      EXPECT_EQ(pieces[i].length, static_cast<SQLLEN>(remaining));
      EXPECT_EQ(pieces[i].data.size(), static_cast<std::size_t>(bufferLength - 1)) << "piece " << i;
      remaining -= pieces[i].data.size();
    }
  }
}

TEST_F(PiecewiseReadTest, WidePiecesFillTheBufferThroughSurrogatePairs) {
  for (SQLLEN bufferLength = 4; bufferLength <= 30; ++bufferLength) {
    SCOPED_TRACE(bufferLength);
    const std::vector<Piece> pieces = read(kMixed, SQL_VARCHAR, SQL_C_WCHAR, {bufferLength});
    expectEnding(pieces);
    EXPECT_EQ(wideText(joined(pieces)), kMixedWide);
    std::size_t remaining = kMixedWide.size();
    for (std::size_t i = 0; i + 2 < pieces.size(); ++i) {
      EXPECT_EQ(pieces[i].length, static_cast<SQLLEN>(2 * remaining));
      const std::u16string units = wideText(pieces[i].data);
      EXPECT_EQ(units.size(), static_cast<std::size_t>(bufferLength / 2 - 1)) << "piece " << i;
      remaining -= units.size();
    }
  }

  // Only emoji, as pyodbc reads them: 1024 of them into 4096 bytes leave one low half over.
  std::string emoji;
  for (int i = 0; i < 1024; ++i) emoji += "\xF0\x9F\x98\x80";
  std::vector<Piece> pieces = read(emoji, SQL_LONGVARCHAR, SQL_C_WCHAR, {4096, 4});
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0].length, 4096);
  EXPECT_EQ(pieces[0].data.size(), 4094u);
  EXPECT_EQ(pieces[1].rc, SQL_SUCCESS);
  EXPECT_EQ(pieces[1].length, 2);
  EXPECT_EQ(pieces[2].rc, SQL_NO_DATA);

  // Asked for its length after a cut pair, the rest counts the low half that is still due.
  pieces = read("\xE2\x82\xAC\xF0\x9F\x98\x80"
                "b",
                SQL_VARCHAR, SQL_C_WCHAR, {6, 0, 6});
  ASSERT_EQ(pieces.size(), 4u);
  EXPECT_EQ(pieces[0].length, 8);
  EXPECT_EQ(pieces[1].rc, SQL_SUCCESS);
  EXPECT_EQ(pieces[1].length, 4);
  EXPECT_EQ(pieces[2].rc, SQL_SUCCESS);
  EXPECT_EQ(pieces[2].length, 4);
  EXPECT_EQ(pieces[3].rc, SQL_NO_DATA);
  EXPECT_EQ(wideText(joined(pieces)), u"\u20AC\U0001F600b");
}

TEST_F(PiecewiseReadTest, LongTextThroughAWideBufferArrivesInTwoCalls) {
  const std::string text = repeated("\xC3\xA9", 3000);
  const std::vector<Piece> pieces = read(text, SQL_LONGVARCHAR, SQL_C_WCHAR, {4096});
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0].length, 6000);
  EXPECT_EQ(pieces[0].data.size(), 2u * 2047);
  EXPECT_EQ(pieces[1].length, 6000 - 2 * 2047);
  expectEnding(pieces);
  EXPECT_EQ(wideText(joined(pieces)), std::u16string(3000, u'\u00E9'));
}

TEST_F(PiecewiseReadTest, BinaryPiecesFillTheBuffer) {
  const std::string bytes("\x00\x01\x02\x00\xFF\x10\x00\x7F\x80\x00", 10);
  const std::vector<Piece> pieces = read(bytes, SQL_LONGVARBINARY, SQL_C_BINARY, {4});
  ASSERT_EQ(pieces.size(), 4u);
  EXPECT_EQ(pieces[0].length, 10);
  EXPECT_EQ(pieces[1].length, 6);
  EXPECT_EQ(pieces[2].length, 2);
  expectEnding(pieces);
  EXPECT_EQ(joined(pieces), bytes);
}

TEST_F(PiecewiseReadTest, CodePageLengthsCountTheApplicationsBytes) {
  connection_.setReceiveEncoding("LATIN-1");
  std::vector<Piece> pieces = read(repeated("\xC3\xA9", 5), SQL_VARCHAR, SQL_C_CHAR, {4});
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0].data, "\xE9\xE9\xE9");
  EXPECT_EQ(pieces[0].length, 5);
  EXPECT_EQ(pieces[1].data, "\xE9\xE9");
  EXPECT_EQ(pieces[1].length, 2);
  expectEnding(pieces);

  // The euro sign is one byte (0x80) in Windows Latin-1; a length asked for half-way counts the
  // rest in those bytes.
  pieces = read(
      "a\xC3\xA9\xE2\x82\xAC"
      "b",
      SQL_VARCHAR, SQL_C_CHAR, {3, 0, 3});
  ASSERT_EQ(pieces.size(), 4u);
  EXPECT_EQ(pieces[0].data, "a\xE9");
  EXPECT_EQ(pieces[0].length, 4);
  EXPECT_EQ(pieces[1].rc, SQL_SUCCESS);
  EXPECT_EQ(pieces[1].length, 2);
  EXPECT_EQ(pieces[2].data,
            "\x80"
            "b");
  EXPECT_EQ(pieces[2].length, 2);
  EXPECT_EQ(pieces[3].rc, SQL_NO_DATA);
}

TEST_F(PiecewiseReadTest, AskingForTheLengthHalfWayLeavesThePieceWhereItIs) {
  std::vector<Piece> pieces = read("abcdef", SQL_VARCHAR, SQL_C_CHAR, {4, 0, 10});
  ASSERT_EQ(pieces.size(), 4u);
  EXPECT_EQ(pieces[1].rc, SQL_SUCCESS);
  EXPECT_EQ(pieces[1].length, 3);
  EXPECT_EQ(pieces[2].data, "def");
  EXPECT_EQ(pieces[3].rc, SQL_NO_DATA);

  pieces = read(kMixed, SQL_VARCHAR, SQL_C_WCHAR, {8, 0, 1, 8});
  ASSERT_GE(pieces.size(), 4u);
  const auto rest = static_cast<SQLLEN>(2 * (kMixedWide.size() - 3));
  EXPECT_EQ(pieces[1].length, rest);
  EXPECT_EQ(pieces[2].length, rest);
  EXPECT_EQ(pieces[3].length, rest);
  EXPECT_EQ(wideText(joined(pieces)), kMixedWide);
}

TEST_F(PiecewiseReadTest, AnEmptyValueIsReturnedOnce) {
  for (SQLSMALLINT cType : {SQL_C_CHAR, SQL_C_WCHAR, SQL_C_BINARY}) {
    SCOPED_TRACE(cType);
    std::vector<Piece> pieces = read("", SQL_VARCHAR, cType, {10});
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].rc, SQL_SUCCESS);
    EXPECT_EQ(pieces[0].length, 0);
    EXPECT_EQ(pieces[1].rc, SQL_NO_DATA);

    // A buffer of length 0 only measures; the value is still to come.
    pieces = read("", SQL_VARCHAR, cType, {0, 10});
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].rc, SQL_SUCCESS);
    EXPECT_EQ(pieces[0].length, 0);
    EXPECT_EQ(pieces[1].rc, SQL_SUCCESS);
    EXPECT_EQ(pieces[2].rc, SQL_NO_DATA);
  }
}

// Wide column types change the description only: each length counts the bytes of the value in
// the buffer's own encoding, whole or from a cut on.
TEST_F(PiecewiseReadTest, UnicodeTextTypesKeepTheLengthInTheBuffersEncoding) {
  connection_.setUnicodeTextTypes(true);
  const struct {
    const char* value;
    SQLSMALLINT cType;
    SQLLEN bufferLength;
    std::vector<SQLLEN> lengths;  // of each piece up to SQL_NO_DATA
  } cases[] = {
      {"abc", SQL_C_CHAR, 10, {3}},
      {"abc", SQL_C_CHAR, 2, {3, 2, 1}},
      {"a\xC3\xA9", SQL_C_CHAR, 10, {3}},
      {"abc", SQL_C_WCHAR, 20, {6}},
      {"abc", SQL_C_WCHAR, 4, {6, 4, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.value) + " into " + std::to_string(c.cType) + " by " +
                 std::to_string(c.bufferLength));
    const std::vector<Piece> pieces = read(c.value, SQL_WVARCHAR, c.cType, {c.bufferLength});
    ASSERT_EQ(pieces.size(), c.lengths.size() + 1);
    for (std::size_t k = 0; k < c.lengths.size(); ++k) EXPECT_EQ(pieces[k].length, c.lengths[k]);
    EXPECT_EQ(pieces.back().rc, SQL_NO_DATA);
  }
}

TEST_F(PiecewiseReadTest, ANullIsReturnedOnce) {
  const std::vector<Piece> pieces = read(std::nullopt, SQL_VARCHAR, SQL_C_CHAR, {10}, 3);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0].rc, SQL_SUCCESS);
  EXPECT_EQ(pieces[0].length, SQL_NULL_DATA);
  EXPECT_EQ(pieces[1].rc, SQL_NO_DATA);
}

}  // namespace
