// The trace file shows requests and replies byte for byte, for golden comparisons.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/devserver/WireTest.h"

namespace wiretest {
namespace {

// A trace file in a directory of its own, removed at the end.
class TraceFile {
 public:
  TraceFile() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/karvod-trace-XXXXXX";
    if (mkdtemp(pattern.data())) directory_ = pattern;
  }
  ~TraceFile() {
    std::error_code ignored;
    if (!directory_.empty()) std::filesystem::remove_all(directory_, ignored);
  }
  std::string path() const { return directory_ + "/trace.txt"; }

 private:
  std::string directory_;
};

std::vector<std::string> traceLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    // "<session> > <header groups> | <fields>": keep what follows the direction mark.
    const std::size_t mark = line.find(' ');
    std::string rest = line.substr(mark + 1);
    const std::size_t bar = rest.find(" |");
    if (bar != std::string::npos) rest.erase(bar, 2);
    lines.push_back(rest);
  }
  return lines;
}

const char* const kPingRequest =
    "53514C53 0000000A 03 00 01 00 00 00 04 00 00000001 00000000 0000000C 0000 0000 "
    "00000006 50494E473B00";
const char* const kPingReply =
    "53514C53 00000000 0000 00 00 00000000 00000000 00000000 00000000 00000000";

TEST(Trace, GoldenPingRequestAndReply) {
  SKIP_WITHOUT_DEVSERVER();
  const TraceFile trace;
  testsupport::DevServer server({"--trace", trace.path()});
  ASSERT_TRUE(server.running());
  {
    WireClient client(server.port());
    ASSERT_EQ(client.loginClear("karvell", "karvell").code, 0);
    // The request bytes themselves are the golden ones.
    std::string golden;
    for (char c : std::string(kPingRequest))
      if (c != ' ') golden += c;
    ASSERT_TRUE(client.sendBytes(fromHex(golden)));
    EXPECT_EQ(client.read().code, 0);
    ASSERT_EQ(client.execute("PING;").code, 0);
  }
  const std::vector<std::string> lines = traceLines(trace.path());
  ASSERT_EQ(lines.size(), 8u);
  for (std::size_t i : {4, 6}) {
    EXPECT_EQ(lines[i], std::string("> ") + kPingRequest);
    EXPECT_EQ(lines[i + 1], std::string("< ") + kPingReply);
  }
  EXPECT_TRUE(server.stop()) << server.log();
}

TEST(Trace, EncryptedRequestsAreTracedInClear) {
  SKIP_WITHOUT_DEVSERVER();
  const TraceFile trace;
  testsupport::DevServer server({"--trace", trace.path()});
  ASSERT_TRUE(server.running());
  {
    WireClient client(server.port());
    ASSERT_EQ(client.loginEncrypted(2, "karvell", "karvell").code, 0);
    ASSERT_EQ(client.execute("PING;").code, 0);
  }
  const std::vector<std::string> lines = traceLines(trace.path());
  ASSERT_EQ(lines.size(), 6u);
  // Size 26: the length in clear, 16 bytes of IV and 6 of ciphertext; traced as the clear field.
  EXPECT_EQ(lines[4],
            "> 53514C53 0000001A 03 00 01 00 00 00 04 00 00000001 00000000 0000000C 0000 0000 "
            "00000006 50494E473B00");
  EXPECT_EQ(lines[5], std::string("< ") + kPingReply);
  EXPECT_TRUE(server.stop()) << server.log();
}

}  // namespace
}  // namespace wiretest
