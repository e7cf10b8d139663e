#pragma once
// The @@fault knobs: replies that break the protocol on purpose, for the client's tests. The same
// knobs armed by the --fault-* options hit replies to requests whose SQL the application does not
// write (the login, set-up commands, COMMIT, catalog queries, the close).
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "devserver/PacketChannel.h"

namespace devserver {

struct FaultFrame {
  enum class Kind {
    kReply,            // an ordinary reply of these fields and payload (encrypted as usual)
    kCompressed,       // payload sent as compressed data of clearSize bytes
    kMarkedEncrypted,  // header byte 11 set, payload not encrypted
    kRaw,              // the bytes alone, header included
    kRawThenClose,     // the bytes, then the connection is closed
    kRawThenHold,      // the bytes (maybe none), then nothing more while the peer keeps it open
  };
  Kind kind = Kind::kReply;
  ReplyFields fields;
  std::vector<std::uint8_t> bytes;
  std::uint32_t clearSize = 0;
};

struct FaultPlan {
  double delay = 0;  // seconds before the first frame
  // The first frame answers the request; each further one answers an acknowledgement 25.
  std::deque<FaultFrame> frames;
  // The frames follow the request's own answer, unasked for, instead of replacing it.
  bool afterAnswer = false;
};

// Plans the knob named by the words after "@@fault"; false with a message for an unknown one.
bool planFault(const std::string& arguments, FaultPlan& plan, std::string& error);

// Sends one frame; false when the connection is to be closed.
bool sendFaultFrame(PacketChannel& channel, const FaultFrame& frame);

// A plan the --fault-* options can arm: one frame in place of one reply, without delay.
bool isSingleReplyFault(const FaultPlan& plan);

// Sends the plan's frame instead of the reply that `answer` sends, or after it in one segment
// with it, so that the client finds both waiting. False when the connection is to be closed.
bool answerWithFault(PacketChannel& channel, const FaultPlan& plan,
                     const std::function<bool()>& answer);

}  // namespace devserver
