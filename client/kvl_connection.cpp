#include "client/kvl_connection.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include "client/kvl_framing.h"
#include "client/kvl_login.h"
#include "client/kvl_socket.h"
#include "client/kvl_tt800.h"

namespace {

constexpr int defaultPort = 4430;
constexpr int defaultTimeout = 12;

void copyText(char (&field)[kvlTextSize], const char* text) {
  std::size_t length = std::strlen(text);
  if (length >= kvlTextSize) length = kvlTextSize - 1;
  std::memcpy(field, text, length);
  field[length] = '\0';
}

// The wire level of an encryption argument, or -1.
int encryptionLevel(int encryption) {
  switch (encryption) {
    case 0:
    case 2:
    case 3:
    case 4: return encryption;
    case 128: return 2;
    case 192: return 3;
    case 256: return 4;
    default: return -1;
  }
}

}  // namespace

void kvl_init() {
  static std::once_flag once;
  std::call_once(once, [] {
    tt800_seed_from_time();
    aes_build_tables();
    // Without sockets every connect fails and reports the socket's own error.
    platform::startSockets();
  });
}

KvlConnection* kvl_connection_new(const char* host, std::uint32_t port, const char* user, const char* password,
                                  std::uint32_t timeout, std::uint32_t level) {
  auto* connection = new (std::nothrow) KvlConnection{};
  if (connection == nullptr) return nullptr;
  connection->timeout = timeout;
  connection->socket = platform::noSocket;
  connection->port = port;
  copyText(connection->host, host);
  copyText(connection->user, user);
  copyText(connection->password, password);
  connection->encryptionLevel = level;
  return connection;
}

void kvl_connection_free(KvlConnection* connection) {
  std::free(connection->payload);
  std::free(connection->packed);
  std::free(connection->request);
  std::free(connection->aheadOut);
  delete connection;
}

int kvl_open(KvlConnection** out, const char* host, int port, const char* user, const char* password, int timeout,
             int encryption, const char* token, int unhashedUser, int loginLimit) {
  int level = encryptionLevel(encryption);
  if (out == nullptr || level < 0 || host == nullptr || user == nullptr || password == nullptr || port > 65535) {
    return -3;
  }
  kvl_init();
  KvlConnection* connection =
      kvl_connection_new(host, static_cast<std::uint32_t>(port < 1 ? defaultPort : port), user, password,
                         static_cast<std::uint32_t>(timeout < 0 ? defaultTimeout : timeout),
                         static_cast<std::uint32_t>(level));
  if (connection == nullptr) return -2;
  if (unhashedUser == 1) connection->unhashedUser = 1;
  *out = connection;
  if (token != nullptr) kvl_set_token(connection, token);
  if (loginLimit > 0) kvl_set_reply_limit(connection, static_cast<std::uint32_t>(loginLimit));
  const int result = kvl_login(connection);
  kvl_set_reply_limit(connection, 0);
  return result;
}

int kvl_connect(KvlConnection** connection, const char* host, int port, const char* user, const char* password,
                int timeout, int encryption, int loginLimit) {
  return kvl_open(connection, host, port, user, password, timeout, encryption, nullptr, 0, loginLimit);
}

int kvl_connect_unhashed_user(KvlConnection** connection, const char* host, int port, const char* user,
                              const char* password, int timeout, int encryption) {
  return kvl_open(connection, host, port, user, password, timeout, encryption, nullptr, 1);
}

void kvl_disconnect(KvlConnection* connection, int mode) {
  if (connection == nullptr) return;
  kvl_clear_error(connection);
  bool connected = connection->socket != platform::noSocket || connection->transport != nullptr;
  if (mode == 1 && connected) {
    // A server that is gone only costs the one-second wait for its answer.
    kvl_write_header(connection, 0, 0, kvlCommandClose, 0);
    if (kvl_send_request(connection, nullptr, 0, nullptr, 0) == 0) {
      int end = 0;
      kvl_read_reply(connection, -1, -1, 0, &end, 1);
    }
  }
  kvl_socket_close(connection);
  kvl_connection_free(connection);
}

int kvl_error_code(const KvlConnection* connection) { return connection->errorCode; }

int kvl_connection_lost(const KvlConnection* connection) { return connection->lost ? 1 : 0; }

void kvl_set_reply_limit(KvlConnection* connection, std::uint32_t seconds) {
  using namespace std::chrono;
  connection->replyDeadline =
      seconds == 0 ? 0
                   : duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() +
                         std::int64_t{seconds} * 1000;
}

void kvl_cancel(KvlConnection* connection) {
  std::lock_guard<std::mutex> lock(connection->socketMutex);
  connection->cancelled = true;
  if (connection->socket != platform::noSocket) platform::shutdownSocket(connection->socket);
}

int kvl_lose_stream(KvlConnection* connection) {
  // The writer of gathered statements holds its failure until their turn comes.
  if (connection->sendingAhead) return -1;
  connection->lost = true;
  kvl_socket_close(connection);
  connection->repliesOwed = 0;
  connection->aheadFirst = 0;
  connection->aheadBytes = 0;
  connection->aheadOutLength = 0;
  connection->aheadUnsent = 0;
  connection->lossUntold = false;
  if (connection->cancelled) kvl_set_error(connection, kvlCancelled, "Operation canceled");
  return -1;
}

const char* kvl_error_message(const KvlConnection* connection) { return connection->errorMessage; }

void kvl_clear_error(KvlConnection* connection) {
  if (connection == nullptr) return;
  connection->errorCode = 0;
  connection->errorMessage[0] = '\0';
}

void kvl_set_error(KvlConnection* connection, int code, const char* message) {
  if (message == nullptr) message = "";
  kvl_set_error_text(connection, code, message, std::strlen(message));
}

void kvl_set_error_text(KvlConnection* connection, int code, const char* text, std::size_t length) {
  if (length >= kvlTextSize) length = kvlTextSize - 1;
  const void* nul = std::memchr(text, '\0', length);
  if (nul != nullptr) length = static_cast<std::size_t>(static_cast<const char*>(nul) - text);
  connection->errorCode = code;
  std::memmove(connection->errorMessage, text, length);
  connection->errorMessage[length] = '\0';
}

void* kvl_set_user_data(KvlConnection* connection, void* data) {
  connection->userData = data;
  return data;
}

void* kvl_get_user_data(const KvlConnection* connection) { return connection->userData; }

void kvl_set_token(KvlConnection* connection, const char* token) {
  connection->token = token != nullptr && token[0] != '\0' ? token : nullptr;
}

const char* kvl_get_token(const KvlConnection* connection) { return connection->token; }
