#pragma once
// A chunked result on its way out. Each chunk still leaves only once its acknowledgement has
// come, but the next ones are made meanwhile: the session's thread steps the statement for them
// while a chunk is on the wire, and threads of their own compress and seal them, so that SQLite,
// deflate and the client's inflate work at once instead of taking turns.
#include <deque>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "devserver/CursorEncoder.h"
#include "devserver/ReplyBody.h"

namespace devserver {

class ResultPipeline {
 public:
  // Takes the encoder over after its first reply, a partial chunk built in `first`, which must
  // stay as it is until sendNext has sent that reply.
  ResultPipeline(std::unique_ptr<CursorEncoder> encoder, const ReplyFields& fields,
                 const std::vector<std::uint8_t>& first, PacketChannel& channel);
  ~ResultPipeline();
  ResultPipeline(const ResultPipeline&) = delete;
  ResultPipeline& operator=(const ResultPipeline&) = delete;

  // Sends the next reply (a chunk, the end of the result or its error), then steps ahead for
  // the one after it. False when the connection is to be closed.
  bool sendNext();
  // Whether the end or the error has been sent.
  bool finished() const { return finished_; }

 private:
  struct Chunk {
    CursorEncoder::Status status = CursorEncoder::Status::kReply;
    ReplyFields fields;
    std::string error;
    ResultBuffers buffers;
    const std::vector<std::uint8_t>* payload = nullptr;
    std::unique_ptr<AesKey> key;  // the chunk's own: its body may be sealed on another thread
    ReplyBody body;
    std::future<void> made;  // the body being made on a thread; invalid when made at once
  };

  bool roomAhead() const;
  void encodeAhead();
  void startMaking(Chunk& chunk);
  static bool isMade(const Chunk& chunk);

  std::unique_ptr<CursorEncoder> encoder_;  // gone once it has given its end or its error
  PacketChannel& channel_;
  std::deque<std::unique_ptr<Chunk>> ahead_;   // encoded, in the order they go out
  std::vector<std::unique_ptr<Chunk>> spare_;  // sent; their buffers serve the next ones
  bool finished_ = false;
};

}  // namespace devserver
