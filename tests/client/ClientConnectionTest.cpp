// Opening and closing connections: arguments, the record's defaults, the error sink, and the
// socket failures a connect can meet.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <chrono>
#include <string>
#include <vector>

#include "client/kvl.h"
#include "client/kvl_connection.h"
#include "client/kvl_framing.h"
#include "tests/client/ClientMemoryPeer.h"

namespace {

using clienttest::MemoryPeer;

#ifdef _WIN32
using NativeSocket = SOCKET;
void closeNative(NativeSocket socket) { closesocket(socket); }
void makeNonBlocking(NativeSocket socket) {
  u_long on = 1;
  ioctlsocket(socket, FIONBIO, &on);
}
#else
using NativeSocket = int;
void closeNative(NativeSocket socket) { close(socket); }
void makeNonBlocking(NativeSocket socket) { fcntl(socket, F_SETFL, fcntl(socket, F_GETFL, 0) | O_NONBLOCK); }
#endif

// A loopback listener whose backlog is full: further connects are never answered.
class SilentListener {
 public:
  SilentListener() {
    kvl_init();
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 0);
#ifdef _WIN32
    int size = sizeof address;
#else
    socklen_t size = sizeof address;
#endif
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    for (int i = 0; i < 4; ++i) {
      NativeSocket filler = socket(AF_INET, SOCK_STREAM, 0);
      makeNonBlocking(filler);
      connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
      fillers_.push_back(filler);
    }
  }
  ~SilentListener() {
    for (NativeSocket filler : fillers_) closeNative(filler);
    closeNative(listener_);
  }
  int port() const { return port_; }

 private:
  NativeSocket listener_;
  std::vector<NativeSocket> fillers_;
  int port_ = 0;
};

// A loopback port that nothing listens on: bound once, then released.
int closedPort() {
  kvl_init();
  NativeSocket probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
#ifdef _WIN32
  int size = sizeof address;
#else
  socklen_t size = sizeof address;
#endif
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
  closeNative(probe);
  return ntohs(address.sin_port);
}

TEST(ClientConnection, BadArgumentsAllocateNothing) {
  struct Case {
    const char* what;
    const char* host;
    int port;
    const char* user;
    int encryption;
  } cases[] = {
      {"encryption 1", "127.0.0.1", 1, "u", 1},       {"encryption 5", "127.0.0.1", 1, "u", 5},
      {"encryption 64", "127.0.0.1", 1, "u", 64},     {"no host", nullptr, 1, "u", 0},
      {"no user", "127.0.0.1", 1, nullptr, 0},        {"port 65536", "127.0.0.1", 65536, "u", 0},
  };
  for (const Case& c : cases) {
    KvlConnection* connection = nullptr;
    EXPECT_EQ(kvl_open(&connection, c.host, c.port, c.user, "p", 1, c.encryption, nullptr, 0), -3) << c.what;
    EXPECT_EQ(connection, nullptr) << c.what;
  }
  KvlConnection* connection = nullptr;
  EXPECT_EQ(kvl_connect(&connection, "127.0.0.1", 1, "u", nullptr, 1, 0), -3);
}

TEST(ClientConnection, ClosedPortReportsConnectionRefusedAndLeavesTheRecord) {
  int port = closedPort();
  for (int encryption : {0, 128}) {
    KvlConnection* connection = nullptr;
    EXPECT_EQ(kvl_connect(&connection, "127.0.0.1", port, "user", "password", -1, encryption), -1);
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(kvl_error_code(connection), 10061) << kvl_error_message(connection);
    EXPECT_EQ(connection->timeout, 12u);
    EXPECT_EQ(connection->encryptionLevel, encryption == 128 ? 2u : 0u);
    EXPECT_EQ(connection->socket, platform::noSocket);
    kvl_disconnect(connection, 1);
  }
}

TEST(ClientConnection, PortBelowOneMeansTheDefaultPort) {
  KvlConnection* connection = nullptr;
  kvl_connect(&connection, "127.0.0.1", 0, "user", "password", 0, 0);
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(connection->port, 4430u);
  EXPECT_EQ(connection->timeout, 0u);
  kvl_disconnect(connection, 0);
}

TEST(ClientConnection, UnknownHostIsAResolveError) {
  KvlConnection* connection = nullptr;
  EXPECT_EQ(kvl_connect(&connection, "256.1.2.3", 4430, "user", "password", 1, 0), -1);
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(kvl_error_code(connection), 802);
  EXPECT_STREQ(kvl_error_message(connection), "Error while resolving hostname (gethostbyaddr)");
  kvl_disconnect(connection, 0);
}

TEST(ClientConnection, ConnectThatIsNeverAnsweredTimesOut) {
  SilentListener listener;
  KvlConnection* connection = nullptr;
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(kvl_connect(&connection, "127.0.0.1", listener.port(), "user", "password", 1, 0), -1);
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(kvl_error_code(connection), 810);
  EXPECT_STREQ(kvl_error_message(connection), "Connection timeout while trying to connect");
  EXPECT_GE(seconds, 0.9);
  EXPECT_LT(seconds, 2.5);
  kvl_disconnect(connection, 0);
}

TEST(ClientConnection, ErrorTextIsCutAt511Characters) {
  MemoryPeer peer;
  std::string message(600, 'm');
  kvl_set_error(peer.connection(), 42, message.c_str());
  EXPECT_EQ(kvl_error_code(peer.connection()), 42);
  EXPECT_EQ(std::string(kvl_error_message(peer.connection())), std::string(511, 'm'));
  kvl_clear_error(peer.connection());
  EXPECT_EQ(kvl_error_code(peer.connection()), 0);
  EXPECT_STREQ(kvl_error_message(peer.connection()), "");
  kvl_clear_error(nullptr);
}

TEST(ClientConnection, RecordKeepsAtMost511CharactersOfItsTexts) {
  std::string longText(600, 'h');
  KvlConnection* connection = kvl_connection_new(longText.c_str(), 1, "u", "p", 1, 0);
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(std::string(connection->host), std::string(511, 'h'));
  kvl_connection_free(connection);
}

TEST(ClientConnection, TokenAndUserData) {
  MemoryPeer peer;
  KvlConnection* connection = peer.connection();
  kvl_set_token(connection, "");
  EXPECT_EQ(kvl_get_token(connection), nullptr);
  kvl_set_token(connection, "t");
  EXPECT_STREQ(kvl_get_token(connection), "t");
  int marker = 0;
  void* saved = kvl_get_user_data(connection);
  EXPECT_EQ(kvl_set_user_data(connection, &marker), &marker);
  EXPECT_EQ(kvl_get_user_data(connection), &marker);
  kvl_set_user_data(connection, saved);
}

TEST(ClientConnection, DisconnectTellsTheServerOnlyInMode1) {
  MemoryPeer quiet;
  kvl_disconnect(quiet.release(), 0);
  EXPECT_TRUE(quiet.sent().empty());

  MemoryPeer polite;
  polite.queue(clienttest::packet(clienttest::Reply{}));
  kvl_disconnect(polite.release(), 1);
  ASSERT_EQ(polite.sent().size(), 32u);
  EXPECT_EQ(polite.sent()[8], kvlCommandClose);
  EXPECT_EQ(polite.unread(), 0u);
}

}  // namespace
