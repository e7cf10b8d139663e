#include "devserver/PacketChannel.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "devserver/BufferRelease.h"
#include "devserver/ByteOrder.h"
#include "devserver/FaultPlan.h"
#include "devserver/Protocol.h"
#include "devserver/Trace.h"

namespace devserver {

namespace {

// No request has more than two fields; a count far beyond that would only make the field list
// many times larger than the request itself.
constexpr std::uint32_t kMaxFields = 16;
// What one read takes from the socket, and what replies held back may amount to.
constexpr std::size_t kInboxSize = 64u << 10;
constexpr std::size_t kOutboxSize = 64u << 10;

}  // namespace

std::string Request::text(std::size_t i) const {
  const auto* data = reinterpret_cast<const char*>(field(i));
  const std::size_t length = fieldLength(i);
  if (!data) return {};
  const void* nul = std::memchr(data, 0, length);
  return std::string(data, nul ? static_cast<const char*>(nul) - data : length);
}

PacketChannel::PacketChannel(int socket, unsigned session, Trace* trace, std::size_t maxRequest,
                             std::size_t compressMin, bool clearReplies)
    : socket_(socket),
      session_(session),
      trace_(trace && trace->enabled() ? trace : nullptr),
      maxRequest_(maxRequest),
      compressMin_(compressMin),
      clearReplies_(clearReplies) {}

PacketChannel::~PacketChannel() { flush(); }

bool PacketChannel::readExact(std::uint8_t* data, std::size_t length) {
  while (length) {
    if (inboxAt_ < inbox_.size()) {
      const std::size_t step = std::min(length, inbox_.size() - inboxAt_);
      std::memcpy(data, inbox_.data() + inboxAt_, step);
      inboxAt_ += step;
      data += step;
      length -= step;
      continue;
    }
    // Nothing more to answer until more arrives: the replies held back go now.
    if (!flush()) return false;
    // A large payload goes straight where it belongs; anything smaller brings whatever else
    // arrived with it, so that requests sent together are read together.
    const bool direct = length >= kInboxSize;
    if (!direct) {
      inbox_.resize(kInboxSize);
      inboxAt_ = 0;
    }
    const ssize_t got = recv(socket_, direct ? data : inbox_.data(), direct ? length : kInboxSize, 0);
    if (!direct) inbox_.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    if (direct) {
      data += got;
      length -= static_cast<std::size_t>(got);
    }
  }
  return true;
}

bool PacketChannel::requestWaiting() const {
  const std::size_t held = inbox_.size() - inboxAt_;
  return held >= kHeaderSize && held - kHeaderSize >= loadU32(inbox_.data() + inboxAt_ + 4);
}

bool PacketChannel::flush() {
  if (outbox_.empty()) return true;
  const bool sent = sendParts({{outbox_.data(), outbox_.size()}});
  outbox_.clear();
  return sent;
}

bool PacketChannel::sendParts(std::initializer_list<iovec> parts) {
  iovec vector[3];
  std::size_t count = 0;
  std::size_t left = 0;
  for (const iovec& part : parts) {
    if (part.iov_len == 0) continue;
    vector[count++] = part;
    left += part.iov_len;
  }
  msghdr message{};
  message.msg_iov = vector;
  message.msg_iovlen = count;
  while (left) {
    const ssize_t sent = sendmsg(socket_, &message, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    left -= static_cast<std::size_t>(sent);
    // Skip what went out, possibly part-way into an iovec.
    std::size_t done = static_cast<std::size_t>(sent);
    while (done && message.msg_iovlen) {
      iovec& part = message.msg_iov[0];
      const std::size_t step = done < part.iov_len ? done : part.iov_len;
      part.iov_base = static_cast<std::uint8_t*>(part.iov_base) + step;
      part.iov_len -= step;
      done -= step;
      if (part.iov_len == 0) {
        ++message.msg_iov;
        --message.msg_iovlen;
      }
    }
  }
  return true;
}

ReadStatus PacketChannel::read(Request& request) {
  // The previous request and its replies are done with.
  for (std::vector<std::uint8_t>* buffer : {&payload_, &inflated_}) releaseIfHuge(*buffer);
  body_.releaseIfHuge();
  RequestHeader& h = request.header;
  if (!readExact(h.raw.data(), kHeaderSize)) return ReadStatus::kClosed;
  const std::uint8_t* raw = h.raw.data();
  if (loadU32(raw) != kSignature) return ReadStatus::kBadSignature;
  h.size = loadU32(raw + 4);
  h.command = raw[8];
  h.selector = raw[9];
  h.flags = raw[10];
  h.valueType = raw[12];
  h.level = raw[13];
  h.clientKind = raw[14];
  h.fieldCount = loadU32(raw + 16);
  h.valueLength = loadU32(raw + 20);
  h.parameterIndex = loadU16(raw + 28);
  if (h.size > maxRequest_) return ReadStatus::kTooLarge;
  payload_.resize(h.size);
  if (!readExact(payload_.data(), h.size)) return ReadStatus::kClosed;
  return splitFields(request);
}

ReadStatus PacketChannel::splitFields(Request& request) {
  const RequestHeader& h = request.header;
  request.fields.clear();
  std::uint8_t* data = payload_.data();
  std::size_t length = h.size;
  const bool valuePacket = h.flags & requestflag::kValuePacket;
  const std::uint8_t* lengths = nullptr;
  std::size_t lengthCount = 0;
  if (!valuePacket) {
    if (h.fieldCount > kMaxFields || h.fieldCount > length / 4) return ReadStatus::kMalformed;
    lengths = data;
    lengthCount = h.fieldCount;
    data += 4 * lengthCount;
    length -= 4 * lengthCount;
  }
  // Login packets carry their cryptography inside the fields; everything else is IV + ciphertext.
  if (key_ && h.command != command::kLogin && h.size) {
    if (length < kIvSize) return ReadStatus::kMalformed;
    length -= kIvSize;
    ctsDecrypt(*key_, data, length);
  }
  if (trace_) trace_->request(session_, h.raw.data(), lengths, lengthCount, data, length);

  if (valuePacket) {
    if (h.flags & requestflag::kCompressed) {
      if (h.valueLength > maxRequest_) return ReadStatus::kMalformed;
      inflated_.resize(h.valueLength ? h.valueLength : 1);
      uLongf inflatedLength = h.valueLength;
      if (uncompress(inflated_.data(), &inflatedLength, data, length) != Z_OK ||
          inflatedLength != h.valueLength)
        return ReadStatus::kMalformed;
      request.fields.emplace_back(inflated_.data(), inflatedLength);
    } else {
      request.fields.emplace_back(data, length);
    }
    return ReadStatus::kRequest;
  }
  std::size_t offset = 0;
  for (std::size_t i = 0; i < lengthCount; ++i) {
    const std::size_t field = loadU32(lengths + 4 * i);
    if (field > length - offset) return ReadStatus::kMalformed;
    request.fields.emplace_back(data + offset, field);
    offset += field;
  }
  return offset == length ? ReadStatus::kRequest : ReadStatus::kMalformed;
}

bool PacketChannel::frame(const ReplyFields& fields, std::uint8_t flags, const std::uint8_t* body,
                          std::size_t length, std::uint32_t clearSize, bool markEncrypted,
                          const std::uint8_t* clear, std::size_t clearLength) {
  if (armed_ && armedSkip_-- == 0) {
    const std::unique_ptr<FaultPlan> plan = std::move(armed_);
    return answerWithFault(*this, *plan, [&] {
      return sendFrame(fields, flags, body, length, clearSize, markEncrypted, clear, clearLength);
    });
  }
  return sendFrame(fields, flags, body, length, clearSize, markEncrypted, clear, clearLength);
}

bool PacketChannel::sendFrame(const ReplyFields& fields, std::uint8_t flags,
                              const std::uint8_t* body, std::size_t length, std::uint32_t clearSize,
                              bool markEncrypted, const std::uint8_t* clear,
                              std::size_t clearLength) {
  std::uint8_t header[kHeaderSize] = {};
  storeU32(header, kSignature);
  storeU32(header + 4, static_cast<std::uint32_t>(length));
  storeU16(header + 8, fields.code);
  header[10] = flags;
  header[11] = markEncrypted ? 1 : 0;
  storeU32(header + 12, clearSize);
  storeU32(header + 16, fields.rows);
  storeU32(header + 20, fields.columns);
  storeU32(header + 24, fields.fieldCount);
  if (trace_) trace_->reply(session_, header, clear, clearLength);

  // While the client's next request is already here its answer follows at once: the replies
  // gather and leave together, up to a bound.
  if (requestWaiting() && outbox_.size() + kHeaderSize + length <= kOutboxSize) {
    outbox_.insert(outbox_.end(), header, header + kHeaderSize);
    outbox_.insert(outbox_.end(), body, body + length);
    return true;
  }
  const bool sent = sendParts({{outbox_.data(), outbox_.size()},
                               {header, kHeaderSize},
                               {const_cast<std::uint8_t*>(body), length}});
  outbox_.clear();
  return sent;
}

bool PacketChannel::reply(const ReplyFields& fields, const std::uint8_t* payload,
                          std::size_t length, bool mayCompress) {
  body_.make(payload, length, mayCompress && compresses(length), replyKey());
  return sendReply(fields, body_);
}

bool PacketChannel::sendReply(const ReplyFields& fields, const ReplyBody& body) {
  const std::uint8_t flags =
      body.compressed() ? fields.flags | replyflag::kCompressed : fields.flags;
  return frame(fields, flags, body.data(), body.size(),
               static_cast<std::uint32_t>(body.clearSize()), body.sealed(), body.clear(),
               body.clearSize());
}

std::unique_ptr<AesKey> PacketChannel::replyKeyCopy() const {
  const AesKey* key = replyKey();
  return key ? key->copy() : nullptr;
}

bool PacketChannel::error(std::uint16_t code, const std::string& message) {
  ReplyFields fields;
  fields.code = code;
  fields.fieldCount = message.empty() ? 0 : 1;
  return reply(fields, reinterpret_cast<const std::uint8_t*>(message.data()), message.size());
}

bool PacketChannel::loginReply(const std::uint8_t* payload, std::size_t length,
                               std::uint32_t fieldCount) {
  ReplyFields fields;
  fields.fieldCount = fieldCount;
  return frame(fields, 0, payload, length, static_cast<std::uint32_t>(length), false, payload,
               length);
}

bool PacketChannel::replyCompressed(const ReplyFields& fields, const std::uint8_t* payload,
                                    std::size_t length, std::uint32_t clearSize) {
  body_.make(payload, length, false, replyKey());
  return frame(fields, fields.flags | replyflag::kCompressed, body_.data(), body_.size(), clearSize,
               body_.sealed(), payload, length);
}

bool PacketChannel::replyMarkedEncrypted(const ReplyFields& fields, const std::uint8_t* payload,
                                         std::size_t length) {
  return frame(fields, fields.flags, payload, length, static_cast<std::uint32_t>(length), true,
               payload, length);
}

bool PacketChannel::sendRaw(const std::uint8_t* bytes, std::size_t length) {
  if (trace_) trace_->raw(session_, bytes, length);
  if (!flush()) return false;
  while (length) {
    const ssize_t sent = send(socket_, bytes, length, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    bytes += sent;
    length -= static_cast<std::size_t>(sent);
  }
  return true;
}

void PacketChannel::holdUntilClosed() {
  flush();
  std::uint8_t ignored[4096];
  for (;;) {
    const ssize_t got = recv(socket_, ignored, sizeof ignored, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
  }
}

void PacketChannel::setCorked(bool corked) {
  flush();
  const int on = corked ? 1 : 0;
  setsockopt(socket_, IPPROTO_TCP, TCP_CORK, &on, sizeof on);
}

void PacketChannel::armFault(const FaultPlan& plan, unsigned skip) {
  armed_ = std::make_unique<FaultPlan>(plan);
  armedSkip_ = skip;
}

}  // namespace devserver
