#include "devserver/FaultPlan.h"

#include <zlib.h>

#include <cstdlib>
#include <sstream>

#include "devserver/ByteOrder.h"
#include "devserver/Protocol.h"

namespace devserver {

namespace {

constexpr std::uint32_t kTextType = 3;
constexpr std::size_t kMaxMessage = 16u << 20;

// Builds payloads field by field.
class Bytes {
 public:
  Bytes& u32(std::uint32_t value) {
    std::uint8_t b[4];
    storeU32(b, value);
    bytes_.insert(bytes_.end(), b, b + 4);
    return *this;
  }
  Bytes& text(const std::string& value, bool withNul) {
    bytes_.insert(bytes_.end(), value.begin(), value.end());
    if (withNul) bytes_.push_back(0);
    return *this;
  }
  Bytes& zeros(std::size_t count) {
    bytes_.insert(bytes_.end(), count, 0);
    return *this;
  }
  std::vector<std::uint8_t> take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

FaultFrame reply(std::uint32_t rows, std::uint32_t columns, std::uint8_t flags,
                 std::vector<std::uint8_t> payload) {
  FaultFrame frame;
  frame.fields.rows = rows;
  frame.fields.columns = columns;
  frame.fields.flags = flags;
  frame.bytes = std::move(payload);
  return frame;
}

FaultFrame endReply() {
  FaultFrame frame;
  frame.fields.code = code::kChunkEnd;
  return frame;
}

std::vector<std::uint8_t> header(std::uint32_t signature, std::uint32_t size) {
  return Bytes().u32(signature).u32(size).zeros(kHeaderSize - 8).take();
}

bool fromHex(const std::string& text, std::vector<std::uint8_t>& bytes) {
  std::string digits;
  for (char c : text)
    if (c != ' ') digits += c;
  if (digits.empty() || digits.size() % 2) return false;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    char* end = nullptr;
    const std::string pair = digits.substr(i, 2);
    const long value = std::strtol(pair.c_str(), &end, 16);
    if (*end) return false;
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
  return true;
}

// One of the malformed cursors that a client must refuse rather than read out of bounds.
bool planMalformed(const std::string& kind, FaultPlan& plan) {
  const std::uint8_t partial = replyflag::kPartial;
  auto& frames = plan.frames;
  if (kind == "rows-columns-overflow") {
    frames.push_back(reply(0x10000, 0x10000, 0, Bytes().zeros(16).take()));
  } else if (kind == "types-past-payload") {
    frames.push_back(reply(0, 4, 0, Bytes().u32(kTextType).u32(kTextType).take()));
  } else if (kind == "lengths-past-payload") {
    frames.push_back(reply(1000, 2, 0, Bytes().u32(kTextType).u32(kTextType).zeros(16).take()));
  } else if (kind == "name-unterminated") {
    frames.push_back(reply(0, 1, 0, Bytes().u32(kTextType).text("abc", false).take()));
  } else if (kind == "data-short") {
    frames.push_back(
        reply(1, 1, 0, Bytes().u32(kTextType).u32(10).text("c", true).text("abc", false).take()));
  } else if (kind == "huge-length") {
    frames.push_back(
        reply(1, 1, 0,
              Bytes().u32(kTextType).u32(0x80000000u).text("c", true).text("abc", false).take()));
  } else if (kind == "rowid-no-columns") {
    frames.push_back(reply(0, 0, replyflag::kRowid, {}));
  } else if (kind == "chunk-columns") {
    frames.push_back(reply(1, 1, partial,
                           Bytes().u32(kTextType).u32(1).text("c", true).text("a", false).take()));
    frames.push_back(reply(1, 2, partial, Bytes().u32(1).u32(1).text("bc", false).take()));
    frames.push_back(endReply());
  } else if (kind == "chunk-rowid") {
    frames.push_back(reply(1, 2, partial | replyflag::kRowid,
                           Bytes()
                               .u32(1)
                               .u32(kTextType)
                               .u32(1)
                               .u32(1)
                               .text("rowid", true)
                               .text("c", true)
                               .text("1a", false)
                               .take()));
    frames.push_back(reply(1, 2, partial, Bytes().u32(1).u32(1).text("2b", false).take()));
    frames.push_back(endReply());
  } else if (kind == "inflated-size") {
    const std::vector<std::uint8_t> clear =
        Bytes().u32(kTextType).u32(1).text("c", true).text("a", false).take();
    std::vector<std::uint8_t> packed(compressBound(clear.size()));
    uLongf packedLength = packed.size();
    compress2(packed.data(), &packedLength, clear.data(), clear.size(), Z_DEFAULT_COMPRESSION);
    packed.resize(packedLength);
    FaultFrame frame = reply(1, 1, 0, std::move(packed));
    frame.kind = FaultFrame::Kind::kCompressed;
    frame.clearSize = static_cast<std::uint32_t>(clear.size() + 10);
    frames.push_back(std::move(frame));
  } else if (kind == "encrypted-no-key") {
    FaultFrame frame = reply(1, 1, 0, Bytes().zeros(32).take());
    frame.kind = FaultFrame::Kind::kMarkedEncrypted;
    frames.push_back(std::move(frame));
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool planFault(const std::string& arguments, FaultPlan& plan, std::string& error) {
  std::istringstream words(arguments);
  std::string knob;
  words >> knob;
  plan = FaultPlan();
  if (knob == "delay") {
    if (!(words >> plan.delay) || plan.delay < 0 || plan.delay > 3600) {
      error = "@@fault delay needs seconds";
      return false;
    }
    plan.frames.push_back(reply(0, 0, 0, {}));
  } else if (knob == "badsig") {
    FaultFrame frame;
    frame.kind = FaultFrame::Kind::kRaw;
    frame.bytes = header(0x58585858, 0);
    plan.frames.push_back(std::move(frame));
  } else if (knob == "stall") {
    FaultFrame frame;
    frame.kind = FaultFrame::Kind::kRawThenHold;
    plan.frames.push_back(std::move(frame));
  } else if (knob == "absurd-size") {
    // A payload far beyond anything a result needs, of which a little arrives and no more.
    FaultFrame frame;
    frame.kind = FaultFrame::Kind::kRawThenHold;
    frame.bytes = header(kSignature, 0xFFFFFFF0u);
    frame.bytes.resize(frame.bytes.size() + 16, 'x');
    plan.frames.push_back(std::move(frame));
  } else if (knob == "unrequested") {
    plan.frames.push_back(reply(0, 0, 0, {}));
    plan.afterAnswer = true;
  } else if (knob == "close-mid-payload") {
    FaultFrame frame;
    frame.kind = FaultFrame::Kind::kRawThenClose;
    frame.bytes = header(kSignature, 1000);
    frame.bytes.resize(frame.bytes.size() + 100, 'x');
    plan.frames.push_back(std::move(frame));
  } else if (knob == "error") {
    long code = 0;
    long length = 0;
    if (!(words >> code >> length) || code < 1 || code > 65535 || length < 0 ||
        static_cast<std::size_t>(length) > kMaxMessage) {
      error = "@@fault error needs a code (1-65535) and a message length";
      return false;
    }
    FaultFrame frame;
    frame.fields.code = static_cast<std::uint16_t>(code);
    frame.fields.fieldCount = length ? 1 : 0;
    for (long i = 0; i < length; ++i)
      frame.bytes.push_back(static_cast<std::uint8_t>('a' + i % 26));
    plan.frames.push_back(std::move(frame));
  } else if (knob == "short-encrypted") {
    FaultFrame frame = reply(0, 0, 0, Bytes().zeros(8).take());
    frame.kind = FaultFrame::Kind::kMarkedEncrypted;
    plan.frames.push_back(std::move(frame));
  } else if (knob == "bad-zlib") {
    FaultFrame frame = reply(1, 1, 0, Bytes().text("this is not a zlib stream", false).take());
    frame.kind = FaultFrame::Kind::kCompressed;
    frame.clearSize = 100;
    plan.frames.push_back(std::move(frame));
  } else if (knob == "raw") {
    std::string hex;
    std::getline(words, hex);
    FaultFrame frame;
    frame.kind = FaultFrame::Kind::kRaw;
    if (!fromHex(hex, frame.bytes)) {
      error = "@@fault raw needs hexadecimal bytes";
      return false;
    }
    plan.frames.push_back(std::move(frame));
  } else if (knob == "columns") {
    // A well-formed result of that many text columns and no rows.
    long columns = 0;
    if (!(words >> columns) || columns < 1 || columns > 1000000) {
      error = "@@fault columns needs a column count (1-1000000)";
      return false;
    }
    Bytes payload;
    for (long i = 0; i < columns; ++i) payload.u32(kTextType);
    for (long i = 0; i < columns; ++i) payload.text("c" + std::to_string(i + 1), true);
    plan.frames.push_back(reply(0, static_cast<std::uint32_t>(columns), 0, payload.take()));
  } else if (knob == "malformed") {
    std::string kind;
    words >> kind;
    if (!planMalformed(kind, plan)) {
      error = "unknown @@fault malformed kind '" + kind + "'";
      return false;
    }
  } else {
    error = "unknown @@fault knob '" + knob + "'";
    return false;
  }
  return true;
}

bool sendFaultFrame(PacketChannel& channel, const FaultFrame& frame) {
  switch (frame.kind) {
    case FaultFrame::Kind::kReply:
      return channel.reply(frame.fields, frame.bytes.data(), frame.bytes.size());
    case FaultFrame::Kind::kCompressed:
      return channel.replyCompressed(frame.fields, frame.bytes.data(), frame.bytes.size(),
                                     frame.clearSize);
    case FaultFrame::Kind::kMarkedEncrypted:
      return channel.replyMarkedEncrypted(frame.fields, frame.bytes.data(), frame.bytes.size());
    case FaultFrame::Kind::kRaw:
      return channel.sendRaw(frame.bytes.data(), frame.bytes.size());
    case FaultFrame::Kind::kRawThenClose:
      channel.sendRaw(frame.bytes.data(), frame.bytes.size());
      return false;
    case FaultFrame::Kind::kRawThenHold:
      if (!frame.bytes.empty()) channel.sendRaw(frame.bytes.data(), frame.bytes.size());
      channel.holdUntilClosed();
      return false;
  }
  return false;
}

bool isSingleReplyFault(const FaultPlan& plan) {
  return plan.frames.size() == 1 && plan.delay == 0;
}

bool answerWithFault(PacketChannel& channel, const FaultPlan& plan,
                     const std::function<bool()>& answer) {
  if (!plan.afterAnswer) return sendFaultFrame(channel, plan.frames.front());
  channel.setCorked(true);
  const bool ok = answer() && sendFaultFrame(channel, plan.frames.front());
  channel.setCorked(false);
  return ok;
}

}  // namespace devserver
