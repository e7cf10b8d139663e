#include "devserver/CursorEncoder.h"

#include <sqlite3.h>

#include <charconv>
#include <cstring>

#include "devserver/BufferRelease.h"
#include "devserver/ByteOrder.h"
#include "devserver/NumberText.h"
#include "devserver/Protocol.h"

namespace devserver {

namespace {

constexpr std::uint32_t kNull = 0xFFFFFFFF;
// A chunk ends early past this much data, so that no reply comes near the 32-bit limits.
constexpr std::size_t kChunkBytes = std::size_t(1) << 30;

std::uint32_t codeForStorageClass(int storageClass) {
  switch (storageClass) {
    case SQLITE_INTEGER:
      return 1;
    case SQLITE_FLOAT:
      return 2;
    case SQLITE_BLOB:
      return 4;
  }
  return 3;
}

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }
bool contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// The type code of a declared column type; 0 when the declaration says nothing we know.
std::uint32_t codeForDeclaredType(const char* declared) {
  if (!declared) return 0;
  std::string type = declared;
  for (char& c : type)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (startsWith(type, "BOOL")) return 5;
  if (startsWith(type, "DATETIME") || startsWith(type, "TIMESTAMP")) return 8;
  if (startsWith(type, "DATE")) return 6;
  if (startsWith(type, "TIME")) return 7;
  if (startsWith(type, "CURRENCY") || startsWith(type, "MONEY")) return 9;
  if (contains(type, "INT")) return 1;
  if (contains(type, "CHAR") || contains(type, "CLOB") || contains(type, "TEXT")) return 3;
  if (contains(type, "BLOB")) return 4;
  if (contains(type, "REAL") || contains(type, "FLOA") || contains(type, "DOUB")) return 2;
  return 0;
}

void appendLength(ResultBuffers& buffers, std::uint32_t length) {
  std::uint8_t bytes[4];
  storeU32(bytes, length);
  buffers.lengths.insert(buffers.lengths.end(), bytes, bytes + 4);
}

void appendData(ResultBuffers& buffers, const void* data, std::size_t length) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  buffers.data.insert(buffers.data.end(), bytes, bytes + length);
}

}  // namespace

void ResultBuffers::releaseIfHuge() {
  devserver::releaseIfHuge(lengths);
  devserver::releaseIfHuge(data);
  devserver::releaseIfHuge(payload);
}

CursorEncoder::CursorEncoder(sqlite3_stmt* statement, bool ownsStatement,
                             const CursorOptions& options)
    : statement_(statement),
      ownsStatement_(ownsStatement),
      options_(options),
      sqlColumns_(sqlite3_column_count(statement)),
      wireColumns_(static_cast<std::uint32_t>(sqlColumns_) +
                   (options.rowid && sqlColumns_ ? 1 : 0)),
      firstClass_(static_cast<std::size_t>(sqlColumns_), SQLITE_NULL) {}

CursorEncoder::~CursorEncoder() {
  if (ownsStatement_)
    sqlite3_finalize(statement_);
  else
    sqlite3_reset(statement_);
}

CursorEncoder::Status CursorEncoder::next(ResultBuffers& buffers, ReplyFields& fields,
                                          std::string& error) {
  fields = ReplyFields();
  const bool first = !started_;
  started_ = true;
  if (!first && !pending_) return Status::kEnd;
  if (!fill(buffers, error)) return Status::kError;
  fields.rows = rows_;
  fields.columns = wireColumns_;
  if (options_.rowid && sqlColumns_) fields.flags |= replyflag::kRowid;
  if (pending_ || !first) fields.flags |= replyflag::kPartial;
  if (options_.serverSide) fields.flags |= replyflag::kServerCursor;
  if (first) {
    if (options_.tableNames && sqlColumns_) fields.flags |= replyflag::kTableNames;
    buildFirstPayload(buffers);
  } else {
    std::vector<std::uint8_t>& payload = buffers.payload;
    payload.assign(buffers.lengths.begin(), buffers.lengths.end());
    payload.insert(payload.end(), buffers.data.begin(), buffers.data.end());
  }
  return Status::kReply;
}

bool CursorEncoder::fill(ResultBuffers& buffers, std::string& error) {
  buffers.lengths.clear();
  buffers.data.clear();
  rows_ = 0;
  int rc = pending_ ? SQLITE_ROW : sqlite3_step(statement_);
  // A statement without result columns runs to its end and answers no rows.
  while (rc == SQLITE_ROW && sqlColumns_ == 0) rc = sqlite3_step(statement_);
  while (rc == SQLITE_ROW) {
    ++rows_;
    ++rowNumber_;
    if (options_.rowid) {
      char text[24];
      const auto end = std::to_chars(text, text + sizeof text, rowNumber_).ptr;
      appendLength(buffers, static_cast<std::uint32_t>(end - text));
      appendData(buffers, text, static_cast<std::size_t>(end - text));
    }
    for (int column = 0; column < sqlColumns_; ++column) appendCell(buffers, column);
    rc = sqlite3_step(statement_);
    if (rows_ == options_.chunkRows || buffers.data.size() >= kChunkBytes) break;
  }
  pending_ = rc == SQLITE_ROW;
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
    error = sqlite3_errmsg(sqlite3_db_handle(statement_));
    pending_ = false;
    return false;
  }
  return true;
}

void CursorEncoder::appendCell(ResultBuffers& buffers, int column) {
  // The value itself rather than a sqlite3_column_* call for each of its properties: every such
  // call looks the column up and checks for a failed allocation again. The statement's
  // connection is only ever used by this thread.
  sqlite3_value* value = sqlite3_column_value(statement_, column);
  const int storageClass = sqlite3_value_type(value);
  if (storageClass == SQLITE_NULL) {
    appendLength(buffers, kNull);
    return;
  }
  if (firstClass_[column] == SQLITE_NULL) firstClass_[column] = storageClass;
  char number[32];
  const void* bytes = number;
  std::size_t length = 0;
  switch (storageClass) {
    case SQLITE_INTEGER:
      length = static_cast<std::size_t>(
          std::to_chars(number, number + sizeof number, sqlite3_value_int64(value)).ptr - number);
      break;
    case SQLITE_FLOAT:
      length = realText(sqlite3_value_double(value), number);
      break;
    case SQLITE_TEXT:
      bytes = sqlite3_value_text(value);
      length = static_cast<std::size_t>(sqlite3_value_bytes(value));
      break;
    default:
      bytes = sqlite3_value_blob(value);
      length = static_cast<std::size_t>(sqlite3_value_bytes(value));
      break;
  }
  appendLength(buffers, static_cast<std::uint32_t>(length));
  appendData(buffers, bytes, length);
}

std::uint32_t CursorEncoder::typeCode(int column) const {
  const std::uint32_t declared = codeForDeclaredType(sqlite3_column_decltype(statement_, column));
  return declared ? declared : codeForStorageClass(firstClass_[column]);
}

void CursorEncoder::buildFirstPayload(ResultBuffers& buffers) {
  const bool rowid = options_.rowid && sqlColumns_;
  std::size_t namesSize = rowid ? sizeof "rowid" : 0;
  std::size_t tablesSize = rowid ? 1 : 0;
  for (int column = 0; column < sqlColumns_; ++column) {
    namesSize += std::strlen(sqlite3_column_name(statement_, column)) + 1;
    const char* table = sqlite3_column_table_name(statement_, column);
    tablesSize += (table ? std::strlen(table) : 0) + 1;
  }
  if (!options_.tableNames) tablesSize = 0;

  const std::vector<std::uint8_t>& lengths = buffers.lengths;
  const std::vector<std::uint8_t>& data = buffers.data;
  buffers.payload.resize(4 * wireColumns_ + lengths.size() + namesSize + tablesSize + data.size());
  std::uint8_t* out = buffers.payload.data();
  if (rowid) {
    storeU32(out, 1);
    out += 4;
  }
  for (int column = 0; column < sqlColumns_; ++column, out += 4) storeU32(out, typeCode(column));
  if (!lengths.empty()) std::memcpy(out, lengths.data(), lengths.size());
  out += lengths.size();
  const auto putText = [&out](const char* text) {
    const std::size_t length = std::strlen(text) + 1;
    std::memcpy(out, text, length);
    out += length;
  };
  if (rowid) putText("rowid");
  for (int column = 0; column < sqlColumns_; ++column)
    putText(sqlite3_column_name(statement_, column));
  if (options_.tableNames) {
    if (rowid) putText("");
    for (int column = 0; column < sqlColumns_; ++column) {
      const char* table = sqlite3_column_table_name(statement_, column);
      putText(table ? table : "");
    }
  }
  if (!data.empty()) std::memcpy(out, data.data(), data.size());
}

}  // namespace devserver
