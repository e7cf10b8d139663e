// Opening and closing connections: arguments, the record's defaults, the error sink, the socket
// failures a connect can meet, and the waits of writing and of the close.
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
#include <thread>
#include <vector>

#include "client/kvl.h"
#include "client/kvl_connection.h"
#include "client/kvl_framing.h"
#include "client/kvl_socket.h"
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

// A listening socket on a free loopback port.
class Listener {
 public:
  explicit Listener(int backlog) {
    kvl_init();
    socket_ = socket(AF_INET, SOCK_STREAM, 0);
    address_.sin_family = AF_INET;
    address_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(socket_, reinterpret_cast<sockaddr*>(&address_), sizeof address_);
    listen(socket_, backlog);
#ifdef _WIN32
    int size = sizeof address_;
#else
    socklen_t size = sizeof address_;
#endif
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address_), &size);
  }
  ~Listener() { closeNative(socket_); }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  int port() const { return ntohs(address_.sin_port); }
  const sockaddr_in& address() const { return address_; }
  // The next connection already made, taken from the backlog.
  NativeSocket accept() { return ::accept(socket_, nullptr, nullptr); }

 private:
  NativeSocket socket_;
  sockaddr_in address_{};
};

// A listener whose backlog is full: further connects are never answered.
class SilentListener {
 public:
  SilentListener() : listener_(0) {
    for (int i = 0; i < 4; ++i) {
      NativeSocket filler = socket(AF_INET, SOCK_STREAM, 0);
      makeNonBlocking(filler);
      connect(filler, reinterpret_cast<const sockaddr*>(&listener_.address()), sizeof(sockaddr_in));
      fillers_.push_back(filler);
    }
  }
  ~SilentListener() {
    for (NativeSocket filler : fillers_) closeNative(filler);
  }
  int port() const { return listener_.port(); }

 private:
  Listener listener_;
  std::vector<NativeSocket> fillers_;
};

// A loopback port that nothing listens on: listened on once, then released.
int closedPort() { return Listener(1).port(); }

// The server end of a connection that reads everything after a pause and never answers.
class SlowReader {
 public:
  SlowReader(NativeSocket socket, std::chrono::milliseconds pause)
      : socket_(socket), thread_([this, pause] {
          std::this_thread::sleep_for(pause);
          char buffer[65536];
          for (;;) {
            int n = static_cast<int>(recv(socket_, buffer, sizeof buffer, 0));
            if (n <= 0) break;
            received_.insert(received_.end(), buffer, buffer + n);
          }
        }) {}
  ~SlowReader() {
    if (thread_.joinable()) thread_.join();
    closeNative(socket_);
  }
  // Everything the client sent, once the client has closed its end.
  const std::vector<char>& received() {
    thread_.join();
    return received_;
  }

 private:
  NativeSocket socket_;
  std::vector<char> received_;
  std::thread thread_;
};

// A record connected to the listener, without a login.
KvlConnection* connectedRecord(const Listener& listener, std::uint32_t timeout) {
  KvlConnection* connection =
      kvl_connection_new("127.0.0.1", static_cast<std::uint32_t>(listener.port()), "u", "p", timeout, 0);
  if (connection != nullptr && kvl_socket_open(connection) == platform::noSocket) {
    ADD_FAILURE() << kvl_error_message(connection);
    kvl_disconnect(connection, 0);
    return nullptr;
  }
  return connection;
}

double secondsSince(std::chrono::steady_clock::time_point started) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
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
  double seconds = secondsSince(started);
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

TEST(ClientConnection, WriteWithTimeoutZeroWaitsForASlowReader) {
  Listener listener(1);
  KvlConnection* connection = connectedRecord(listener, 0);
  ASSERT_NE(connection, nullptr);
  SlowReader reader(listener.accept(), std::chrono::milliseconds(1500));
  // Far more than the socket buffers hold: the write has to wait for the reader.
  std::vector<std::uint8_t> statement(32 << 20, 'x');
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(kvl_socketwrite(connection, statement.data(), statement.size()), 0) << kvl_error_message(connection);
  EXPECT_GE(secondsSince(started), 1.0);
  kvl_disconnect(connection, 0);
  EXPECT_EQ(reader.received().size(), statement.size());
}

TEST(ClientConnection, CloseToAServerThatNeverAnswersCostsOneSecond) {
  Listener listener(1);
  KvlConnection* connection = connectedRecord(listener, 12);
  ASSERT_NE(connection, nullptr);
  SlowReader reader(listener.accept(), std::chrono::milliseconds(0));
  auto started = std::chrono::steady_clock::now();
  kvl_disconnect(connection, 1);
  double seconds = secondsSince(started);
  EXPECT_GE(seconds, 0.9);
  EXPECT_LT(seconds, 2.5);
  const std::vector<char>& received = reader.received();
  ASSERT_EQ(received.size(), 32u);
  EXPECT_EQ(received[8], kvlCommandClose);
}

}  // namespace
