#pragma once
// The command line of karvell-devserver.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace devserver {

// A fault knob armed on the reply of a request the application may not write itself, the first
// time in the server's life that the point is reached.
struct FaultTrigger {
  enum class Point {
    kLogin,  // the first login request
    kSql,    // the first text (commands 2 and 3) that starts with the prefix: it runs, its reply
             // is the fault
    kChunk,  // likewise, but the reply after its first: a chunked result's second chunk
    kClose,  // the close command
  };
  Point point = Point::kLogin;
  std::string prefix;
  std::string knob;  // the words after "@@fault"
};

struct Options {
  int port = 4430;
  std::string listen = "127.0.0.1";
  std::vector<std::pair<std::string, std::string>> users = {{"karvell", "karvell"}};
  std::string dataDir = ".";
  std::string serverVersion = "5.7.3";
  std::uint32_t chunkRows = 10000;
  std::size_t compressMin = std::numeric_limits<std::size_t>::max();  // off
  bool tableNames = false;
  bool rowid = false;
  bool clearReplies = false;
  bool serverCursors = false;  // results marked as kept on the server, read on with command 11
  std::string trace;
  std::string sqlLog;
  // Texts that start with the prefix are answered with the code instead of running.
  std::vector<std::pair<std::uint16_t, std::string>> failSql;
  std::size_t maxRequest = 256u << 20;
  // Login faults for the client's tests.
  double loginDelay = 0;
  double loginErrorStall = 0;  // an error reply that announces its message and withholds it
  double loginTrickle = 0;     // the clear login's challenge sent a byte at a time, this far apart
  bool loginBadS = false;
  bool loginWrongSize = false;
  bool rejectUser = false;
  std::vector<FaultTrigger> faults;
};

// Fills `options` from the arguments; false with a message on a bad or unknown option.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);
const char* usageText();

}  // namespace devserver
