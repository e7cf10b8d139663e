#include "devserver/ResultPipeline.h"

#include <chrono>

#include "devserver/Protocol.h"

namespace devserver {

namespace {

// The chunk that goes next and those behind it. Deflating a chunk at zlib's fastest level takes
// about twice as long as stepping SQLite for it, so several are deflated side by side while the
// next one is stepped; with fewer, a loaded machine leaves the sender waiting for them.
constexpr std::size_t kChunksAhead = 5;
// Rows can be large enough for a chunk of hundreds of megabytes: then no more than the one after
// the chunk on the wire is made ahead.
constexpr std::size_t kBytesAhead = std::size_t(16) << 20;

}  // namespace

ResultPipeline::ResultPipeline(std::unique_ptr<CursorEncoder> encoder, const ReplyFields& fields,
                               const std::vector<std::uint8_t>& first, PacketChannel& channel)
    : encoder_(std::move(encoder)), channel_(channel) {
  auto chunk = std::make_unique<Chunk>();
  chunk->fields = fields;
  chunk->payload = &first;
  chunk->key = channel_.replyKeyCopy();
  startMaking(*chunk);
  ahead_.push_back(std::move(chunk));
}

ResultPipeline::~ResultPipeline() {
  for (const auto& chunk : ahead_)
    if (chunk->made.valid()) chunk->made.wait();
}

bool ResultPipeline::sendNext() {
  // Time spent waiting for the next chunk's body goes into stepping further ahead.
  while (roomAhead() && !isMade(*ahead_.front())) encodeAhead();
  std::unique_ptr<Chunk> chunk = std::move(ahead_.front());
  ahead_.pop_front();
  if (chunk->made.valid()) chunk->made.get();
  bool ok = false;
  switch (chunk->status) {
    case CursorEncoder::Status::kReply:
      ok = channel_.sendReply(chunk->fields, chunk->body);
      break;
    case CursorEncoder::Status::kEnd: {
      finished_ = true;
      ReplyFields end;
      end.code = code::kChunkEnd;
      ok = channel_.reply(end);
      break;
    }
    case CursorEncoder::Status::kError:
      finished_ = true;
      ok = channel_.error(code::kSql, chunk->error);
      break;
  }
  chunk->buffers.releaseIfHuge();
  chunk->body.releaseIfHuge();
  spare_.push_back(std::move(chunk));
  // The chunk after this one is stepped while this one is read.
  if (ok && encoder_ && (ahead_.empty() || roomAhead())) encodeAhead();
  return ok;
}

bool ResultPipeline::roomAhead() const {
  if (!encoder_ || ahead_.size() >= kChunksAhead) return false;
  std::size_t bytes = 0;
  for (const auto& chunk : ahead_) bytes += chunk->payload->size();
  return bytes < kBytesAhead;
}

void ResultPipeline::encodeAhead() {
  std::unique_ptr<Chunk> chunk;
  if (spare_.empty()) {
    chunk = std::make_unique<Chunk>();
    chunk->key = channel_.replyKeyCopy();
  } else {
    chunk = std::move(spare_.back());
    spare_.pop_back();
  }
  chunk->error.clear();
  chunk->payload = &chunk->buffers.payload;
  chunk->status = encoder_->next(chunk->buffers, chunk->fields, chunk->error);
  if (chunk->status == CursorEncoder::Status::kReply)
    startMaking(*chunk);
  else
    encoder_.reset();  // finalizes the statement, as before its end or error went out
  ahead_.push_back(std::move(chunk));
}

void ResultPipeline::startMaking(Chunk& chunk) {
  const std::vector<std::uint8_t>& payload = *chunk.payload;
  const bool compress = channel_.compresses(payload.size());
  if (!compress && !chunk.key) {
    chunk.body.make(payload.data(), payload.size(), false, nullptr);
    return;
  }
  chunk.made = std::async(std::launch::async, [&chunk, &payload, compress] {
    chunk.body.make(payload.data(), payload.size(), compress, chunk.key.get());
  });
}

bool ResultPipeline::isMade(const Chunk& chunk) {
  return !chunk.made.valid() ||
         chunk.made.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

}  // namespace devserver
