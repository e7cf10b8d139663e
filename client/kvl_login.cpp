#include "client/kvl_login.h"

#include <cstdlib>
#include <cstring>

#include "client/kvl_byte_order.h"
#include "client/kvl_cts.h"
#include "client/kvl_framing.h"
#include "client/kvl_random.h"
#include "client/kvl_session_key.h"
#include "client/kvl_sha1.h"
#include "client/kvl_socket.h"

namespace {

constexpr int loginWait = 5;  // seconds for each answer of the server
constexpr std::uint8_t tokenSelectorShift = 20;
constexpr std::size_t digestSize = 20;
constexpr std::size_t hexDigestSize = 41;  // 40 digits and a NUL
constexpr std::size_t proofSize = 56;      // IV and the encrypted nonce with its hash

void toHex(char* out, const std::uint8_t* bytes, std::size_t length) {
  static const char digits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < length; ++i) {
    out[2 * i] = digits[bytes[i] >> 4];
    out[2 * i + 1] = digits[bytes[i] & 0x0F];
  }
  out[2 * length] = '\0';
}

std::uint8_t selector(const KvlConnection* connection, std::uint8_t plain) {
  return connection->token != nullptr ? static_cast<std::uint8_t>(plain + tokenSelectorShift) : plain;
}

// The first login field: the user name as it is, or a hash built by hashName.
template <typename HashName>
std::size_t userField(const KvlConnection* connection, char (&hashed)[42], const char*& field, HashName hashName) {
  if (connection->unhashedUser) {
    field = connection->user;
    return std::strlen(connection->user) + 1;
  }
  hashName(hashed);
  field = hashed;
  return hexDigestSize;
}

// level: announced in the header; only the first encrypted request names one.
int sendLogin(KvlConnection* connection, std::uint8_t loginSelector, std::uint8_t level,
              const std::uint32_t* fieldLengths, std::uint32_t fieldCount, const std::uint8_t* data,
              std::size_t dataLength) {
  std::uint8_t lengths[8];
  for (std::uint32_t i = 0; i < fieldCount; ++i) kvl_store_be32(lengths + 4 * i, fieldLengths[i]);
  kvl_write_header(connection, static_cast<std::uint32_t>(4 * fieldCount + dataLength), fieldCount, kvlCommandLogin,
                   selector(connection, loginSelector));
  connection->requestHeader.bytes[kvlLevelAt] = level;
  return kvl_send_request(connection, lengths, 4 * fieldCount, data, dataLength);
}

int readLoginReply(KvlConnection* connection, std::int64_t size, std::int64_t fields) {
  int end = 0;
  // A login under a limit of its own waits as long as the limit lets it.
  const int wait = connection->replyDeadline != 0 ? 0 : loginWait;
  if (kvl_read_reply(connection, size, fields, 0, &end, wait) != 0) return -1;
  if (connection->payloadLength != size) return kvl_fail_packet_size(connection);
  return 0;
}

// The second request's fields: the proof, then the token with its NUL when there is one. The
// token travels behind its own IV on an encrypted login.
int sendLoginProof(KvlConnection* connection, std::uint8_t loginSelector, const std::uint8_t* proof,
                   std::size_t proofLength, bool sealed) {
  std::uint32_t lengths[2] = {static_cast<std::uint32_t>(proofLength), 0};
  std::size_t tokenLength = connection->token != nullptr ? std::strlen(connection->token) + 1 : 0;
  std::size_t tokenField = tokenLength > 0 && sealed ? tokenLength + kvlIvSize : tokenLength;
  auto* data = static_cast<std::uint8_t*>(std::malloc(proofLength + tokenField));
  if (data == nullptr) {
    kvl_set_error(connection, -2, "Unable to allocate encbuffer");
    return -1;
  }
  std::memcpy(data, proof, proofLength);
  std::uint32_t fieldCount = 1;
  if (tokenLength > 0) {
    std::uint8_t* token = data + proofLength;
    if (sealed) {
      kvl_random_bytes16(token);
      std::memcpy(token + kvlIvSize, connection->token, tokenLength);
      kvl_aes_cbc_encrypt(token + kvlIvSize, tokenLength, token, &connection->encrypt);
    } else {
      std::memcpy(token, connection->token, tokenLength);
    }
    lengths[fieldCount++] = static_cast<std::uint32_t>(tokenField);
  }
  int result = sendLogin(connection, loginSelector, 0, lengths, fieldCount, data, proofLength + tokenField);
  std::free(data);
  if (result != 0) return -1;
  return readLoginReply(connection, 0, 0);
}

int encryptedExchange(KvlConnection* connection, unsigned level) {
  std::uint8_t r[digestSize];
  std::uint8_t p1[digestSize];
  std::uint8_t p2[digestSize];
  kvl_random_bytes20(r);
  sha1_digest(p1, connection->password, std::strlen(connection->password));
  sha1_digest(p2, p1, sizeof p1);
  AesContext loginKey;
  aes_key_schedule_enc(p2, 16, &loginKey);

  // The first request proves the nonce R under the password hash.
  std::uint8_t proof[proofSize];
  kvl_random_bytes16(proof);
  std::memcpy(proof + kvlIvSize, r, sizeof r);
  sha1_digest(proof + kvlIvSize + digestSize, r, sizeof r);
  kvl_aes_cbc_encrypt(proof + kvlIvSize, 2 * digestSize, proof, &loginKey);
  char hashed[42];
  const char* field = nullptr;
  std::size_t fieldLength =
      userField(connection, hashed, field, [&](char(&out)[42]) { kvl_hashed_user_name(out, connection->user, proof); });
  std::uint8_t first[kvlTextSize + proofSize];
  std::memcpy(first, field, fieldLength);
  std::memcpy(first + fieldLength, proof, proofSize);
  std::uint32_t lengths[2] = {static_cast<std::uint32_t>(fieldLength), proofSize};
  if (sendLogin(connection, 22, static_cast<std::uint8_t>(level), lengths, 2, first, fieldLength + proofSize) != 0) {
    return -1;
  }
  if (readLoginReply(connection, proofSize, 1) != 0) return -1;

  // The server proves its nonce S the same way: one that cannot knows no password hash and is
  // not the server it claims to be.
  AesContext loginUnkey;
  aes_key_schedule_dec(p2, 16, &loginUnkey);
  std::uint8_t* answer = connection->payload;
  kvl_aes_cbc_decrypt(answer, proofSize, &loginUnkey);
  std::uint8_t check[digestSize];
  sha1_digest(check, answer, digestSize);
  if (std::memcmp(check, answer + digestSize, digestSize) != 0) {
    kvl_set_error(connection, kvlServerAuthenticationFailed, "Server authentication failed");
    return -1;
  }
  std::uint8_t s[digestSize];
  std::memcpy(s, answer, sizeof s);
  kvl_derive_session_keys(connection, level, p2, r, s);

  std::uint8_t sealedP1[kvlIvSize + digestSize];
  kvl_random_bytes16(sealedP1);
  std::memcpy(sealedP1 + kvlIvSize, p1, sizeof p1);
  kvl_aes_cbc_encrypt(sealedP1 + kvlIvSize, digestSize, sealedP1, &connection->encrypt);
  return sendLoginProof(connection, 23, sealedP1, sizeof sealedP1, true);
}

}  // namespace

int kvl_login(KvlConnection* connection) {
  if (kvl_socket_open(connection) == platform::noSocket) return -1;
  return connection->encryptionLevel == 0 ? kvl_login_clear(connection) : kvl_login_encrypted(connection);
}

int kvl_login_clear(KvlConnection* connection) {
  char hashed[42];
  const char* field = nullptr;
  std::size_t fieldLength = userField(connection, hashed, field, [&](char(&out)[42]) {
    kvl_sha1_hex(out, connection->user, std::strlen(connection->user));
  });
  std::uint32_t length = static_cast<std::uint32_t>(fieldLength);
  if (sendLogin(connection, 20, 0, &length, 1, reinterpret_cast<const std::uint8_t*>(field), fieldLength) != 0)
    return -1;
  if (readLoginReply(connection, digestSize, 1) != 0) return -1;
  std::uint8_t response[digestSize];
  kvl_challenge_response(response, connection->payload, connection->password);
  return sendLoginProof(connection, 21, response, sizeof response, false);
}

int kvl_login_encrypted(KvlConnection* connection) {
  // The login packets carry their own cryptography: the framing sends them in clear.
  unsigned level = connection->encryptionLevel;
  connection->encryptionLevel = 0;
  int result = encryptedExchange(connection, level);
  connection->encryptionLevel = level;
  return result;
}

void kvl_sha1_hex(char out[42], const void* data, std::size_t length) {
  std::uint8_t digest[digestSize];
  sha1_digest(digest, data, length);
  toHex(out, digest, sizeof digest);
}

void kvl_hashed_user_name(char out[42], const char* user, const std::uint8_t iv[16]) {
  char ivHex[2 * kvlIvSize + 1];
  toHex(ivHex, iv, kvlIvSize);
  Sha1Context context;
  sha1_init(&context);
  sha1_update(&context, user, std::strlen(user));
  sha1_update(&context, ivHex, 2 * kvlIvSize);
  std::uint8_t digest[digestSize];
  sha1_final(&context, digest);
  toHex(out, digest, sizeof digest);
}

void kvl_challenge_response(std::uint8_t out[20], const std::uint8_t challenge[20], const char* password) {
  std::uint8_t joined[2 * digestSize];
  std::memcpy(joined, challenge, digestSize);
  kvl_sha1(joined + digestSize, password, std::strlen(password), 2);
  sha1_digest(out, joined, sizeof joined);
}

int kvl_derive_session_keys(KvlConnection* connection, unsigned level, const std::uint8_t p2[20],
                            const std::uint8_t r[20], const std::uint8_t s[20]) {
  std::uint8_t key[32];
  int length = kvl_session_key(key, level, p2, r, s);
  if (length < 0) return -1;
  aes_key_schedule_enc(key, length, &connection->encrypt);
  aes_key_schedule_dec(key, length, &connection->decrypt);
  return length;
}
