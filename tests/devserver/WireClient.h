#pragma once
// A small client of the wire protocol, written for the server's own tests: it shares no code
// with the driver's client library, so each side checks the other.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/devserver/TestCrypto.h"

namespace wiretest {

constexpr std::uint32_t kSignature = 0x53514C53;
constexpr std::uint16_t kEndCode = 777;

struct RequestOptions {
  std::uint8_t flags = 0x01;
  std::uint8_t valueType = 0;
  std::uint8_t level = 0;
  std::uint8_t clientKind = 4;
  std::uint32_t valueLength = 0;
  std::uint16_t parameterIndex = 0;
  std::uint32_t timeout = 12;
  bool valuePacket = false;  // one field and no length array
};

struct Reply {
  bool ok = false;  // a whole reply arrived (and decrypted and inflated where flagged)
  std::array<std::uint8_t, 32> header{};
  std::uint32_t size = 0;
  std::uint16_t code = 0;
  std::uint8_t flags = 0;
  bool encrypted = false;
  std::uint32_t clearSize = 0;
  std::uint32_t rows = 0;
  std::uint32_t columns = 0;
  std::uint32_t fieldCount = 0;
  Bytes payload;  // in clear

  std::string text() const { return std::string(payload.begin(), payload.end()); }
};

using Row = std::vector<std::optional<std::string>>;

struct Cursor {
  bool ok = false;
  std::uint16_t code = 0;            // the error reply's code when not ok
  std::string error;                 // its message, or what did not parse
  std::vector<std::uint32_t> types;  // the rowid column's first when there is one
  std::vector<std::string> names;
  std::vector<std::string> tables;
  std::vector<Row> rows;
  bool rowid = false;
  bool tableNames = false;
  unsigned replies = 0;  // replies read, the end reply included
  bool anyCompressed = false;
  bool anyEncrypted = false;
};

class WireClient {
 public:
  explicit WireClient(int port);
  ~WireClient();
  WireClient(const WireClient&) = delete;
  WireClient& operator=(const WireClient&) = delete;

  bool connected() const { return socket_ >= 0; }

  // Sends one request; on an encrypted session the field data goes as IV + ciphertext (login
  // packets excepted).
  bool send(std::uint8_t command, std::uint8_t selector, const std::vector<Bytes>& fields,
            const RequestOptions& options = {});
  // The bytes of that request, as send writes them.
  Bytes request(std::uint8_t command, std::uint8_t selector, const std::vector<Bytes>& fields,
                const RequestOptions& options = {}) const;
  bool sendBytes(const Bytes& bytes);
  Reply read();
  // True when the server has closed the connection (nothing more arrives).
  bool peerClosed();
  // True when nothing arrives, and the connection stays open, for that many milliseconds.
  bool silentFor(int milliseconds);

  Reply loginClear(const std::string& user, const std::string& password, bool hashUser = true,
                   const std::string& token = "");
  Reply loginEncrypted(int level, const std::string& user, const std::string& password,
                       bool hashUser = true, const std::string& token = "");

  Reply execute(const std::string& sql);
  Cursor query(const std::string& sql);
  // The replies of one result, acknowledging every partial chunk.
  Cursor readCursor();

  bool encrypted() const { return !key_.empty(); }
  // Exactly that many bytes as they arrive, read as no frame.
  bool readExact(std::uint8_t* data, std::size_t length);

 private:
  int socket_ = -1;
  Bytes key_;  // the session key once an encrypted login succeeded
};

// A text field as the protocol carries it: the bytes and a NUL.
Bytes textField(const std::string& text);

}  // namespace wiretest
