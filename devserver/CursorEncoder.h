#pragma once
// Turns a prepared statement's rows into cursor replies: column types, field lengths, names
// (and table names), then the data; results over the chunk size go out as partial chunks that
// carry only lengths and data.
#include <cstdint>
#include <string>
#include <vector>

#include "devserver/PacketChannel.h"

struct sqlite3_stmt;

namespace devserver {

// What a session builds its results in; kept for the session's life (see BufferRelease.h).
struct ResultBuffers {
  std::vector<std::uint8_t> lengths;
  std::vector<std::uint8_t> data;
  std::vector<std::uint8_t> payload;

  void releaseIfHuge();
};

struct CursorOptions {
  std::uint32_t chunkRows = 10000;
  bool tableNames = false;
  bool rowid = false;  // a hidden first column numbering the rows of the result
  bool serverSide = false;
};

class CursorEncoder {
 public:
  // Finalizes the statement at the end when it owns it, else only resets it.
  CursorEncoder(sqlite3_stmt* statement, bool ownsStatement, const CursorOptions& options);
  ~CursorEncoder();
  CursorEncoder(const CursorEncoder&) = delete;
  CursorEncoder& operator=(const CursorEncoder&) = delete;

  enum class Status { kReply, kEnd, kError };
  // The first reply, then the next chunk, its payload built in `buffers`; kEnd once a chunked
  // result has no rows left (the end reply follows).
  Status next(ResultBuffers& buffers, ReplyFields& fields, std::string& error);
  // Whether the reply just built is a partial chunk with more to come.
  bool partial() const { return pending_; }

 private:
  bool fill(ResultBuffers& buffers, std::string& error);
  void appendCell(ResultBuffers& buffers, int column);
  void buildFirstPayload(ResultBuffers& buffers);
  std::uint32_t typeCode(int column) const;

  sqlite3_stmt* statement_;
  bool ownsStatement_;
  CursorOptions options_;
  int sqlColumns_;
  std::uint32_t wireColumns_;
  bool started_ = false;
  bool pending_ = false;  // the statement stands on a row that belongs to the next chunk
  std::uint32_t rows_ = 0;
  std::uint64_t rowNumber_ = 0;
  std::vector<int> firstClass_;  // storage class of each column's first non-NULL value
};

}  // namespace devserver
