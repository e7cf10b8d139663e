#pragma once
// The command line of karvell-devserver.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace devserver {

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
  double loginTrickle = 0;  // the clear login's challenge sent a byte at a time, this far apart
  bool loginBadS = false;
  bool loginWrongSize = false;
  bool rejectUser = false;
};

// Fills `options` from the arguments; false with a message on a bad or unknown option.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);
const char* usageText();

}  // namespace devserver
