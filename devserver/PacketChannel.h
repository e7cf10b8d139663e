#pragma once
// One client connection at the packet level: reads requests (32-byte header, field lengths, field
// bytes, decrypted and inflated as the header says) and sends replies (compressed first, then
// encrypted, each on its own; see ReplyBody). Requests a client sent together are read together,
// in order, and the replies to them leave together.
#include <sys/uio.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "devserver/Crypto.h"
#include "devserver/ReplyBody.h"

namespace devserver {

class Trace;
struct FaultPlan;

struct RequestHeader {
  std::array<std::uint8_t, 32> raw{};
  std::uint32_t size = 0;
  std::uint8_t command = 0;
  std::uint8_t selector = 0;
  std::uint8_t flags = 0;
  std::uint8_t valueType = 0;
  std::uint8_t level = 0;
  std::uint8_t clientKind = 0;
  std::uint32_t fieldCount = 0;
  std::uint32_t valueLength = 0;
  std::uint16_t parameterIndex = 0;
};

// A request with its fields in clear; the fields point into the channel's buffer and stay valid
// until the next request is read.
struct Request {
  RequestHeader header;
  std::vector<std::pair<const std::uint8_t*, std::size_t>> fields;

  std::size_t fieldLength(std::size_t i) const { return i < fields.size() ? fields[i].second : 0; }
  const std::uint8_t* field(std::size_t i) const {
    return i < fields.size() ? fields[i].first : nullptr;
  }
  // A text field up to its NUL (or its end when it has none).
  std::string text(std::size_t i) const;
};

struct ReplyFields {
  std::uint16_t code = 0;
  std::uint8_t flags = 0;
  std::uint32_t rows = 0;
  std::uint32_t columns = 0;
  std::uint32_t fieldCount = 0;
};

enum class ReadStatus {
  kRequest,       // a request is ready
  kClosed,        // the peer closed or the connection failed
  kBadSignature,  // the header does not start with "SQLS"
  kTooLarge,      // the announced size is above the limit; nothing of the payload was read
  kMalformed,     // the payload was read but its layout does not add up
};

class PacketChannel {
 public:
  PacketChannel(int socket, unsigned session, Trace* trace, std::size_t maxRequest,
                std::size_t compressMin, bool clearReplies);
  ~PacketChannel();
  PacketChannel(const PacketChannel&) = delete;
  PacketChannel& operator=(const PacketChannel&) = delete;

  ReadStatus read(Request& request);

  // A reply with a clear payload: compressed when `mayCompress` and it is large enough, then
  // encrypted on an encrypted session.
  bool reply(const ReplyFields& fields, const std::uint8_t* payload, std::size_t length,
             bool mayCompress = false);
  bool reply(const ReplyFields& fields) { return reply(fields, nullptr, 0); }
  // A reply whose payload was made ready beforehand, maybe on another thread.
  bool sendReply(const ReplyFields& fields, const ReplyBody& body);
  bool error(std::uint16_t code, const std::string& message);
  // A login reply: never compressed or encrypted, its field count as given.
  bool loginReply(const std::uint8_t* payload, std::size_t length, std::uint32_t fieldCount);
  // For the fault knobs: a payload that is already compressed (flag 0x08 and `clearSize` in bytes
  // 12-15 whatever it holds), encrypted as usual.
  bool replyCompressed(const ReplyFields& fields, const std::uint8_t* payload, std::size_t length,
                       std::uint32_t clearSize);
  // For the fault knobs: the payload as given, header byte 11 set without encrypting anything.
  bool replyMarkedEncrypted(const ReplyFields& fields, const std::uint8_t* payload,
                            std::size_t length);
  // Bytes exactly as given, header included.
  bool sendRaw(const std::uint8_t* bytes, std::size_t length);
  // A server gone silent: sends nothing and takes no request until the peer closes or the server
  // stops (which shuts the socket down).
  void holdUntilClosed();
  // While corked, replies gather and leave together when it is lifted.
  void setCorked(bool corked);
  // Sends the replies held back while further requests were waiting (see sendFrame). False when
  // the connection failed.
  bool flush();
  // The reply after `skip` more replies is answered by the plan instead (isSingleReplyFault).
  void armFault(const FaultPlan& plan, unsigned skip);

  // From now on requests are decrypted and replies encrypted with this key.
  void setSessionKey(std::unique_ptr<AesKey> key) { key_ = std::move(key); }
  // What making a reply's body on another thread takes: whether a payload of `length` bytes that
  // may be compressed is, and a key of that thread's own to seal it with (none on a clear session).
  bool compresses(std::size_t length) const { return length && length >= compressMin_; }
  std::unique_ptr<AesKey> replyKeyCopy() const;
  unsigned session() const { return session_; }

 private:
  const AesKey* replyKey() const { return key_ && !clearReplies_ ? key_.get() : nullptr; }
  // Reads through the inbox: one receive brings whatever the client sent together.
  bool readExact(std::uint8_t* data, std::size_t length);
  // A whole request is in the inbox.
  bool requestWaiting() const;
  bool sendParts(std::initializer_list<iovec> parts);
  // Builds the header and sends; the trace shows `clear`. An armed fault takes the place of the
  // reply it was armed for.
  bool frame(const ReplyFields& fields, std::uint8_t flags, const std::uint8_t* body,
             std::size_t length, std::uint32_t clearSize, bool markEncrypted,
             const std::uint8_t* clear, std::size_t clearLength);
  bool sendFrame(const ReplyFields& fields, std::uint8_t flags, const std::uint8_t* body,
                 std::size_t length, std::uint32_t clearSize, bool markEncrypted,
                 const std::uint8_t* clear, std::size_t clearLength);
  ReadStatus splitFields(Request& request);

  int socket_;
  unsigned session_;
  Trace* trace_;
  std::size_t maxRequest_;
  std::size_t compressMin_;
  bool clearReplies_;
  std::unique_ptr<AesKey> key_;
  std::unique_ptr<FaultPlan> armed_;
  unsigned armedSkip_ = 0;
  ReplyBody body_;  // of the replies made on the session's thread
  std::vector<std::uint8_t> inbox_;
  std::size_t inboxAt_ = 0;
  std::vector<std::uint8_t> outbox_;
  std::vector<std::uint8_t> payload_;
  std::vector<std::uint8_t> inflated_;
};

}  // namespace devserver
