#pragma once
// The @@fault knobs: replies that break the protocol on purpose, for the client's tests.
#include <cstdint>
#include <deque>
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
};

// Plans the knob named by the words after "@@fault"; false with a message for an unknown one.
bool planFault(const std::string& arguments, FaultPlan& plan, std::string& error);

// Sends one frame; false when the connection is to be closed.
bool sendFaultFrame(PacketChannel& channel, const FaultFrame& frame);

}  // namespace devserver
