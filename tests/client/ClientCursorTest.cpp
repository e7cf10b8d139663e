// Result cursors built from replies played in memory, and cursors built by the caller.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "client/kvl.h"
#include "client/kvl_framing.h"
#include "tests/client/ClientMemoryPeer.h"

namespace {

using clienttest::Bytes;
using clienttest::Cell;
using clienttest::chunkPayload;
using clienttest::cursorPayload;
using clienttest::field;
using clienttest::MemoryPeer;
using clienttest::packet;
using clienttest::putBe32;
using clienttest::Reply;

Reply result(std::uint32_t rows, std::uint32_t columns, Bytes payload, std::uint8_t flags = 0) {
  Reply reply;
  reply.rows = rows;
  reply.columns = columns;
  reply.flags = flags;
  reply.payload = std::move(payload);
  return reply;
}

std::vector<std::vector<Cell>> numberedRows(int first, int count) {
  std::vector<std::vector<Cell>> rows;
  for (int i = first; i < first + count; ++i) {
    std::string a = "a" + std::to_string(i);
    std::string b = "b" + std::to_string(i);
    rows.push_back({Cell(a.c_str()), Cell(b.c_str())});
  }
  return rows;
}

class ClientCursor : public ::testing::Test {
 protected:
  KvlCursor* select(const std::vector<Reply>& replies) {
    for (const Reply& reply : replies) peer_.queue(packet(reply));
    return kvl_select(peer_.connection(), "SELECT;");
  }
  MemoryPeer peer_;
};

TEST_F(ClientCursor, EmptyResultIsAtItsEndAndStillNamesItsColumns) {
  KvlCursor* cursor = select({result(0, 2, cursorPayload({1, 3}, {}, {"id", "name"}))});
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(kvl_cursor_is_eof(cursor), 1);
  EXPECT_EQ(kvl_cursor_column_count(cursor), 2);
  EXPECT_EQ(field(cursor, 0, 2), "name");
  EXPECT_EQ(kvl_cursor_field(cursor, 1, 1), nullptr);
  EXPECT_EQ(kvl_cursor_field(cursor, -1, 1), nullptr);  // the current row of an empty result
  kvl_cursor_free(cursor);
}

TEST_F(ClientCursor, NullAndEmptyTextAreDifferent) {
  KvlCursor* cursor = select({result(1, 3, cursorPayload({3, 3, 3}, {{nullptr, "", "x"}}, {"n", "e", "x"}))});
  ASSERT_NE(cursor, nullptr);
  std::uint32_t length = 0;
  EXPECT_EQ(kvl_cursor_field(cursor, 1, 1, &length), nullptr);
  EXPECT_EQ(length, KVL_NULL_LENGTH);
  EXPECT_NE(kvl_cursor_field(cursor, 1, 2, &length), nullptr);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(field(cursor, -1, 3), "x");
  EXPECT_EQ(kvl_cursor_field_dup(cursor, 1, 2), nullptr);
  char buffer[8] = "keep";
  EXPECT_EQ(kvl_cursor_field_copy(cursor, 1, 1, buffer, sizeof buffer), nullptr);
  kvl_cursor_free(cursor);
}

TEST_F(ClientCursor, RowidColumnIsHiddenAndReachedByItsOwnNumber) {
  KvlCursor* cursor = select({result(
      2, 3,
      cursorPayload({1, 1, 3}, {{"7", "10", "ten"}, {"8", "20", "twenty"}}, {"rowid", "n", "word"}, {"", "t", "t"}),
      kvlReplyRowid | kvlReplyTableNames)});
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(kvl_cursor_column_count(cursor), 2);
  EXPECT_EQ(field(cursor, 0, 1), "n");
  EXPECT_EQ(field(cursor, -2, 2), "t");
  EXPECT_EQ(field(cursor, 2, 1), "20");
  EXPECT_EQ(field(cursor, 2, KVL_ROWID_COLUMN), "8");
  EXPECT_EQ(kvl_cursor_field_rowid(cursor, 1), 7);
  EXPECT_EQ(kvl_cursor_column_type(cursor, 2), 3);
  EXPECT_EQ(kvl_cursor_column_type(cursor, 3), -1);
  kvl_cursor_free(cursor);
}

TEST_F(ClientCursor, WithoutTableNamesTheirLengthIsNull) {
  KvlCursor* cursor = select({result(1, 1, cursorPayload({1}, {{"1"}}, {"n"}))});
  std::uint32_t length = 0;
  EXPECT_EQ(kvl_cursor_field(cursor, -2, 1, &length), nullptr);
  EXPECT_EQ(length, KVL_NULL_LENGTH);
  EXPECT_EQ(kvl_cursor_field(cursor, 1, KVL_ROWID_COLUMN), nullptr);
  kvl_cursor_free(cursor);
}

TEST_F(ClientCursor, ChunkedResultFindsRowsOnEitherSideOfEveryBoundary) {
  KvlCursor* cursor =
      select({result(10, 2, cursorPayload({3, 3}, numberedRows(1, 10), {"a", "b"}), kvlReplyPartial),
              result(10, 2, chunkPayload(numberedRows(11, 10)), kvlReplyPartial),
              result(10, 2, chunkPayload(numberedRows(21, 10)), kvlReplyPartial), clienttest::endOfResult()});
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(kvl_cursor_row_count(cursor), 30);
  for (int row : {30, 10, 11, 1, 20, 21, 2}) {
    EXPECT_EQ(field(cursor, row, 1), "a" + std::to_string(row));
    EXPECT_EQ(field(cursor, row, 2), "b" + std::to_string(row));
  }
  // Every partial chunk was acknowledged with code 25, and nothing was left unread.
  ASSERT_EQ(peer_.sent().size(), 32u + 4 + 8 + 3 * 32);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(peer_.sent()[44 + 32 * i + 9], kvlAckNextChunk);
  EXPECT_EQ(peer_.unread(), 0u);
  kvl_cursor_free(cursor);
}

// Fields are found through groups of 16 that share a start; a chunk whose group holds more than
// 32 KiB keeps an end of 32 bits for every field instead. Both kinds side by side, NULL and empty
// fields on group boundaries, and the first reply's names moved with its data.
TEST_F(ClientCursor, FieldsAreFoundThroughEitherIndexOnEverySideOfAGroup) {
  std::vector<std::vector<std::string>> texts;
  const auto rowsFrom = [&texts](int first, int count, std::size_t wideRow) {
    std::vector<std::vector<Cell>> rows;
    for (int i = first; i < first + count; ++i) {
      std::string a = i % 8 == 0 ? "<null>" : i % 3 == 0 ? "" : "a" + std::to_string(i);
      std::string b = static_cast<std::size_t>(i - first) == wideRow ? std::string(40000, 'w')
                      : i % 5 == 0                                     ? "<null>"
                                                                       : "b" + std::to_string(i);
      texts.push_back({a, b});
      rows.push_back({a == "<null>" ? Cell(nullptr) : Cell(a.c_str()), b == "<null>" ? Cell(nullptr) : Cell(b.c_str())});
    }
    return rows;
  };
  const std::size_t none = SIZE_MAX;
  KvlCursor* cursor =
      select({result(40, 2, cursorPayload({3, 3}, rowsFrom(1, 40, none), {"a", "b"}, {"t", "u"}),
                     kvlReplyPartial | kvlReplyTableNames),
              result(20, 2, chunkPayload(rowsFrom(41, 20, 11)), kvlReplyPartial),
              result(33, 2, chunkPayload(rowsFrom(61, 33, none)), kvlReplyPartial), clienttest::endOfResult()});
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(field(cursor, 0, 2), "b");
  EXPECT_EQ(field(cursor, -2, 1), "t");
  ASSERT_EQ(kvl_cursor_row_count(cursor), 93);
  for (int row = 93; row >= 1; --row) {
    for (int column = 1; column <= 2; ++column) {
      EXPECT_EQ(field(cursor, row, column), texts[static_cast<std::size_t>(row - 1)][column - 1])
          << row << "," << column;
    }
  }
  kvl_cursor_free(cursor);
}

TEST_F(ClientCursor, SeekMovesAsTheTableSays) {
  KvlCursor* cursor = select({result(5, 2, cursorPayload({3, 3}, numberedRows(1, 5), {"a", "b"}))});
  ASSERT_NE(cursor, nullptr);
  struct Step {
    int target, result, current, eof;
  } steps[] = {
      {KVL_SEEK_LAST, 1, 5, 0},
      {KVL_SEEK_NEXT, 0, 5, 1},
      {KVL_SEEK_FIRST, 1, 1, 0},
      {KVL_SEEK_NEXT, 1, 2, 0},
      {KVL_SEEK_PREVIOUS, 1, 1, 0},
      {KVL_SEEK_PREVIOUS, 1, 0, 0},
      {-7, 0, 0, 0},
      {3, 1, 3, 0},
      {6, 0, 3, 1},
  };
  for (const Step& step : steps) {
    EXPECT_EQ(kvl_cursor_seek(cursor, step.target), step.result) << step.target;
    EXPECT_EQ(kvl_cursor_current_row(cursor), step.current) << step.target;
    EXPECT_EQ(kvl_cursor_is_eof(cursor), step.eof) << step.target;
  }
  // Row 0 as the current row reads the column names.
  kvl_cursor_seek(cursor, KVL_SEEK_FIRST);
  kvl_cursor_seek(cursor, KVL_SEEK_PREVIOUS);
  EXPECT_EQ(field(cursor, -1, 2), "b");
  kvl_cursor_free(cursor);
}

TEST_F(ClientCursor, GettersConvertTextAndFallBackForNullOrEmpty) {
  KvlCursor* cursor =
      select({result(1, 6,
                     cursorPayload({1, 1, 2, 3, 3, 3}, {{" 42", "-9000000000", "2.5e3", nullptr, "", "hello"}},
                                   {"i", "big", "d", "n", "e", "s"}))});
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(kvl_cursor_field_int(cursor, 1, 1, -1), 42);
  EXPECT_EQ(kvl_cursor_field_int64(cursor, 1, 2, 0), -9000000000LL);
  EXPECT_EQ(kvl_cursor_field_int(cursor, 1, 2, 0), INT32_MIN);
  EXPECT_DOUBLE_EQ(kvl_cursor_field_double(cursor, 1, 3, 0), 2500.0);
  EXPECT_EQ(kvl_cursor_field_int(cursor, 1, 4, -1), -1);
  EXPECT_DOUBLE_EQ(kvl_cursor_field_double(cursor, 1, 5, 1.5), 1.5);
  char* copy = kvl_cursor_field_dup(cursor, 1, 6);
  EXPECT_STREQ(copy, "hello");
  std::free(copy);
  char small[4] = {'x', 'x', 'x', 'x'};
  EXPECT_STREQ(kvl_cursor_field_copy(cursor, 1, 6, small, 4), "hel");
  char untouched[2] = {'u', 'u'};
  EXPECT_EQ(kvl_cursor_field_copy(cursor, 1, 6, untouched, 0), nullptr);
  EXPECT_EQ(untouched[0], 'u');
  EXPECT_EQ(kvl_cursor_column_type_class(cursor, 3), 2);
  EXPECT_EQ(kvl_cursor_column_type_class(cursor, 6), 3);
  EXPECT_EQ(kvl_cursor_column_type_class(cursor, 7), -1);
  kvl_cursor_free(cursor);
}

TEST_F(ClientCursor, TypeClassesKeepOneTwoAndFourAndFoldEveryOtherCode) {
  const std::vector<std::uint32_t> types = {1, 2, 3, 4, 5, 0, 0xFFFFFFFFu};
  KvlCursor* cursor = select({result(0, 7, cursorPayload(types, {}, {"a", "b", "c", "d", "e", "f", "g"}))});
  ASSERT_NE(cursor, nullptr);
  const int classes[] = {-1, 1, 2, 3, 4, 3, 3, 3, -1};
  for (int column = 0; column <= 8; ++column) {
    EXPECT_EQ(kvl_cursor_column_type_class(cursor, column), classes[column]) << column;
  }
  EXPECT_EQ(kvl_cursor_column_type(cursor, 7), -1) << "the code itself passes unchanged";
  kvl_cursor_free(cursor);
}

TEST_F(ClientCursor, ErrorReplyGivesNoCursor) {
  Reply error;
  error.code = 7010;
  error.payload = Bytes{'b', 'a', 'd'};
  EXPECT_EQ(select({error}), nullptr);
  EXPECT_EQ(kvl_error_code(peer_.connection()), 7010);
  EXPECT_STREQ(kvl_error_message(peer_.connection()), "bad");
}

// Each reply below announces more than its payload holds, or contradicts the reply before it.
TEST_F(ClientCursor, MalformedResultsAreRefusedAsWrongPacketSize) {
  Bytes good = cursorPayload({3, 3}, {{"ab", "cd"}}, {"x", "y"});
  Bytes unterminated = good;
  unterminated.resize(4 * 2 + 4 * 2 + 2);  // the second name loses its NUL and everything after
  Bytes longField = good;
  longField[15] = 200;  // the second length runs past the data
  Bytes chunkLengths;
  putBe32(chunkLengths, 1);
  putBe32(chunkLengths, 1);
  chunkLengths.push_back('a');
  chunkLengths.push_back('b');
  Bytes hugeField = good;
  for (int i = 8; i < 12; ++i) hugeField[i] = 0xFE;  // far beyond the payload, and above INT32_MAX
  struct Case {
    const char* what;
    std::vector<Reply> replies;
  } cases[] = {
      {"rows times columns overflow", {result(0x40000000u, 0x40000000u, good)}},
      {"types past the payload", {result(0, 9, good)}},
      {"lengths past the payload", {result(5, 2, good)}},
      {"name without its NUL", {result(1, 2, unterminated)}},
      {"lengths past the data", {result(1, 2, longField)}},
      {"a field above INT32_MAX", {result(1, 2, hugeField)}},
      {"rowid flag without columns", {result(0, 0, {}, kvlReplyRowid)}},
      {"chunk with another column count", {result(1, 2, good, kvlReplyPartial), result(1, 1, chunkLengths)}},
      {"chunk with another rowid flag",
       {result(1, 2, good, kvlReplyPartial), result(1, 2, chunkLengths, kvlReplyRowid)}},
      {"table names past the payload", {result(1, 2, good, kvlReplyTableNames)}},
  };
  for (const Case& c : cases) {
    MemoryPeer peer;
    for (const Reply& reply : c.replies) peer.queue(packet(reply));
    EXPECT_EQ(kvl_select(peer.connection(), "SELECT;"), nullptr) << c.what;
    EXPECT_EQ(kvl_error_code(peer.connection()), 840) << c.what;
    EXPECT_STREQ(kvl_error_message(peer.connection()), "Wrong PACKET SIZE received from the server") << c.what;
  }
}

TEST_F(ClientCursor, ServerSideCursorFetchesItsNextRowsOnDemandAndClosesOnTheServer) {
  KvlCursor* cursor =
      select({result(2, 2, cursorPayload({3, 3}, numberedRows(1, 2), {"a", "b"}), kvlReplyServerCursor)});
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(kvl_cursor_row_count(cursor), -1);
  EXPECT_EQ(kvl_cursor_seek(cursor, KVL_SEEK_LAST), 0);
  EXPECT_EQ(kvl_cursor_seek(cursor, KVL_SEEK_NEXT), 1);
  peer_.sent().clear();
  peer_.queue(packet(result(1, 2, chunkPayload(numberedRows(3, 1)))));
  EXPECT_EQ(kvl_cursor_seek(cursor, KVL_SEEK_NEXT), 1);
  EXPECT_EQ(peer_.sent()[8], kvlCommandNextChunk);
  EXPECT_EQ(field(cursor, -1, 2), "b3");
  peer_.queue(packet(clienttest::endOfResult()));
  EXPECT_EQ(kvl_cursor_seek(cursor, KVL_SEEK_NEXT), 0);
  EXPECT_EQ(kvl_cursor_is_eof(cursor), 1);
  peer_.sent().clear();
  peer_.queue(packet(Reply{}));
  kvl_cursor_free(cursor);
  ASSERT_EQ(peer_.sent().size(), 32u);
  EXPECT_EQ(peer_.sent()[8], kvlCommandCloseCursor);
}

TEST(ClientLocalCursor, RowsAddedPastTheCapacityAreKept) {
  const int types[] = {1, 3};
  const char* names[] = {"n", nullptr};
  KvlCursor* cursor = kvl_cursor_create(nullptr, 2, 2, types, names);
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(kvl_cursor_current_row(cursor), -1);
  for (int i = 1; i <= 5; ++i) {
    std::string n = std::to_string(i);
    const void* values[] = {n.c_str(), i == 3 ? nullptr : "t"};
    const int lengths[] = {static_cast<int>(n.size()), i == 4 ? 0 : 1};
    ASSERT_EQ(kvl_cursor_add_row(cursor, values, lengths), 1);
  }
  EXPECT_EQ(kvl_cursor_current_row(cursor), 1);
  EXPECT_EQ(kvl_cursor_row_count(cursor), 5);
  EXPECT_EQ(field(cursor, 0, 2), "");
  EXPECT_EQ(field(cursor, 5, 1), "5");
  EXPECT_EQ(field(cursor, 3, 2), "<null>");
  EXPECT_EQ(field(cursor, 4, 2), "");
  EXPECT_EQ(kvl_cursor_field_int(cursor, 2, 1, 0), 2);
  EXPECT_EQ(kvl_cursor_column_type(cursor, 2), 3);
  kvl_cursor_free(cursor);
}

TEST(ClientLocalCursor, CreationNeedsColumnsTypesAndNames) {
  const int types[] = {1};
  const char* names[] = {"n"};
  EXPECT_EQ(kvl_cursor_create(nullptr, -1, 1, types, names), nullptr);
  EXPECT_EQ(kvl_cursor_create(nullptr, 0, 0, types, names), nullptr);
  EXPECT_EQ(kvl_cursor_create(nullptr, 0, 1, nullptr, names), nullptr);
  KvlCursor* cursor = kvl_cursor_create(nullptr, 0, 1, types, names);
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(kvl_cursor_is_eof(cursor), 1);
  kvl_cursor_free(cursor);
}

TEST(ClientLocalCursor, RowsCannotBeAddedToAQueryResult) {
  MemoryPeer peer;
  peer.queue(packet(result(0, 1, cursorPayload({1}, {}, {"n"}))));
  KvlCursor* cursor = kvl_select(peer.connection(), "SELECT;");
  ASSERT_NE(cursor, nullptr);
  const void* values[] = {"1"};
  const int lengths[] = {1};
  EXPECT_EQ(kvl_cursor_add_row(cursor, values, lengths), 0);
  kvl_cursor_free(cursor);
}

}  // namespace
