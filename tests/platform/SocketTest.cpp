#include "platform/Socket.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// 127.0.0.1 as the socket calls take it: network byte order in memory.
std::uint32_t loopbackAddress() {
  const unsigned char bytes[4] = {127, 0, 0, 1};
  std::uint32_t address;
  std::memcpy(&address, bytes, sizeof address);
  return address;
}

class Socket : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(platform::startSockets()); }
};

TEST_F(Socket, ResolvesNamesAndDottedAddresses) {
  const std::uint32_t loopback = loopbackAddress();
  for (const char* host : {"127.0.0.1", "localhost"}) {
    std::uint32_t address = 0;
    ASSERT_TRUE(platform::resolveIpv4(host, address)) << host;
    EXPECT_EQ(address, loopback) << host;
  }
  std::uint32_t address = 0;
  EXPECT_FALSE(platform::resolveIpv4("300.1.2.3", address));
}

TEST_F(Socket, RefusedConnectReportsTheWinsockNumber) {
  // Port 1 on the loopback address is not served on these machines.
  platform::SocketHandle socket = platform::openStreamSocket();
  ASSERT_NE(socket, platform::noSocket);
  int started = platform::startConnect(socket, loopbackAddress(), 1);
  if (started == platform::socketWouldBlock || started == platform::socketInProgress) {
    EXPECT_EQ(platform::waitWritable(socket, 5000), platform::SocketWait::exceptional);
    EXPECT_EQ(platform::pendingError(socket), 10061);
  } else {
    EXPECT_EQ(started, 10061);
  }
  platform::closeSocket(socket);
}

}  // namespace
