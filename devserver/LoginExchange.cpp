#include "devserver/LoginExchange.h"

#include <openssl/crypto.h>

#include <array>
#include <cstring>
#include <iostream>

#include "devserver/ByteOrder.h"
#include "devserver/PacketChannel.h"
#include "devserver/Protocol.h"
#include "devserver/ServerContext.h"

namespace devserver {

namespace {

constexpr std::size_t kNonce = 20;
constexpr std::size_t kProofPacket = kIvSize + 2 * kNonce;  // IV + CTS(nonce + SHA1(nonce))
constexpr std::size_t kPasswordPacket = kIvSize + kNonce;   // IV + CTS(P1)
const char* const kRefusal = "Login refused: unknown user or wrong password";

// A login reply's header as the login faults send it by hand.
std::array<std::uint8_t, kHeaderSize> loginHeader(std::uint16_t code, std::size_t size,
                                                  std::uint32_t fieldCount) {
  std::array<std::uint8_t, kHeaderSize> header{};
  storeU32(header.data(), kSignature);
  storeU32(header.data() + 4, static_cast<std::uint32_t>(size));
  storeU16(header.data() + 8, code);
  storeU32(header.data() + 24, fieldCount);
  return header;
}

bool sameBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t length) {
  return CRYPTO_memcmp(a, b, length) == 0;
}

}  // namespace

std::vector<Account> makeAccounts(const std::vector<std::pair<std::string, std::string>>& users) {
  std::vector<Account> accounts;
  for (const auto& [name, password] : users) {
    const Digest p1 = sha1(password);
    accounts.push_back({name, sha1(p1.data(), p1.size())});
  }
  return accounts;
}

std::vector<std::uint8_t> deriveSessionKey(int level, const Digest& p2, const std::uint8_t* r,
                                           const std::uint8_t* s) {
  const Digest h1 = Sha1().update(p2.data(), p2.size()).update(r, kNonce).update(s, kNonce).final();
  std::uint8_t mixed[kNonce];
  for (std::size_t i = 0; i < kNonce; ++i) mixed[i] = r[i] ^ s[i];
  const Digest h2 = sha1(mixed, kNonce);
  std::vector<std::uint8_t> key(32, 0);
  std::memcpy(key.data(), h1.data(), h1.size());
  const std::size_t fromH2 = level == 3 ? 4 : level == 4 ? 12 : 0;
  std::memcpy(key.data(), h2.data(), fromH2);
  key.resize(level == 3 ? 24 : level == 4 ? 32 : 16);
  return key;
}

LoginExchange::Outcome LoginExchange::handle(const Request& request, PacketChannel& channel) {
  const std::uint8_t step = request.header.selector >= 40
                                ? request.header.selector - selector::kWithToken
                                : request.header.selector;
  const double stall = context_.options().loginErrorStall;
  if (stall > 0 && (step == selector::kClearUser || step == selector::kEncryptedUser)) {
    const auto header = loginHeader(code::kAuthentication, std::strlen(kRefusal), 0);
    if (!channel.sendRaw(header.data(), header.size())) return Outcome::kClosed;
    context_.sleep(stall);
    return Outcome::kClosed;
  }
  switch (step) {
    case selector::kClearUser:
      return clearUser(request, channel);
    case selector::kClearResponse:
      return clearResponse(request, channel);
    case selector::kEncryptedUser:
      return encryptedUser(request, channel);
    case selector::kEncryptedProof:
      return encryptedProof(request, channel);
  }
  return refuse(channel, "Unknown login step " + std::to_string(request.header.selector));
}

LoginExchange::Outcome LoginExchange::refuse(PacketChannel& channel, const std::string& message) {
  std::cerr << "session " << channel.session() << ": " << message << '\n';
  reset();
  return channel.error(code::kAuthentication, message) ? Outcome::kRefused : Outcome::kClosed;
}

void LoginExchange::reset() {
  stage_ = Stage::kStart;
  account_ = nullptr;
  sessionKey_.reset();
}

// The user field holds the plain name when header byte 14 says so, else hex(SHA1(name + suffix)).
const Account* LoginExchange::findAccount(const Request& request,
                                          const std::string& hashSuffix) const {
  const std::string field = request.text(0);
  for (const Account& account : context_.accounts()) {
    if (request.header.clientKind == kPlainUserName) {
      if (account.name == field) return &account;
    } else {
      const Digest digest = Sha1().update(account.name).update(hashSuffix).final();
      if (hex(digest.data(), digest.size()) == field) return &account;
    }
  }
  return nullptr;
}

LoginExchange::Outcome LoginExchange::clearUser(const Request& request, PacketChannel& channel) {
  reset();
  if (request.fields.empty()) return refuse(channel, "Login without a user name");
  account_ = findAccount(request, "");
  if (!account_) return refuse(channel, kRefusal);
  if (!context_.sleep(context_.options().loginDelay)) return Outcome::kClosed;
  randomBytes(challenge_.data(), challenge_.size());
  std::uint8_t reply[kNonce + 1] = {};
  std::memcpy(reply, challenge_.data(), kNonce);
  const std::size_t length = context_.options().loginWrongSize ? kNonce + 1 : kNonce;
  if (const double pause = context_.options().loginTrickle; pause > 0) {
    const auto header = loginHeader(0, length, 1);
    for (const std::uint8_t byte : header)
      if (!channel.sendRaw(&byte, 1) || !context_.sleep(pause)) return Outcome::kClosed;
    if (!channel.sendRaw(reply, length)) return Outcome::kClosed;
  } else if (!channel.loginReply(reply, length, 1)) {
    return Outcome::kClosed;
  }
  stage_ = Stage::kClearChallenged;
  return Outcome::kContinue;
}

LoginExchange::Outcome LoginExchange::clearResponse(const Request& request,
                                                    PacketChannel& channel) {
  if (stage_ != Stage::kClearChallenged) return refuse(channel, "Unexpected login step");
  const Digest expected = Sha1()
                              .update(challenge_.data(), challenge_.size())
                              .update(account_->p2.data(), account_->p2.size())
                              .final();
  if (request.fieldLength(0) != kNonce || !sameBytes(request.field(0), expected.data(), kNonce) ||
      context_.options().rejectUser)
    return refuse(channel, kRefusal);
  level_ = 0;
  stage_ = Stage::kVerified;
  return Outcome::kVerified;
}

LoginExchange::Outcome LoginExchange::encryptedUser(const Request& request,
                                                    PacketChannel& channel) {
  reset();
  const int level = request.header.level;
  if (level < 2 || level > 4)
    return refuse(channel, "Unsupported encryption level " + std::to_string(level));
  if (request.fields.size() != 2 || request.fieldLength(1) != kProofPacket)
    return refuse(channel, "Malformed encrypted login");
  account_ = findAccount(request, hex(request.field(1), kIvSize));
  if (!account_) return refuse(channel, kRefusal);

  // The client proves P2 by sending R and SHA1(R) under the key P2[0..16).
  const AesKey loginKey(account_->p2.data(), 16);
  std::uint8_t proof[kProofPacket];
  std::memcpy(proof, request.field(1), kProofPacket);
  ctsDecrypt(loginKey, proof, 2 * kNonce);
  const Digest rHash = sha1(proof, kNonce);
  if (!sameBytes(rHash.data(), proof + kNonce, kNonce)) return refuse(channel, kRefusal);
  std::uint8_t r[kNonce];
  std::memcpy(r, proof, kNonce);

  std::uint8_t answer[2 * kNonce];
  randomBytes(answer, kNonce);
  const Digest sHash = sha1(answer, kNonce);
  std::memcpy(answer + kNonce, sHash.data(), kNonce);
  if (context_.options().loginBadS) answer[2 * kNonce - 1] ^= 0x5A;
  std::vector<std::uint8_t> sealed;
  sealPayload(loginKey, answer, sizeof answer, sealed);
  if (context_.options().loginWrongSize) sealed.push_back(0);

  const std::vector<std::uint8_t> key = deriveSessionKey(level, account_->p2, r, answer);
  sessionKey_ = std::make_unique<AesKey>(key.data(), key.size());
  if (!context_.sleep(context_.options().loginDelay)) return Outcome::kClosed;
  if (!channel.loginReply(sealed.data(), sealed.size(), 1)) return Outcome::kClosed;
  level_ = level;
  stage_ = Stage::kEncryptedChallenged;
  return Outcome::kContinue;
}

LoginExchange::Outcome LoginExchange::encryptedProof(const Request& request,
                                                     PacketChannel& channel) {
  if (stage_ != Stage::kEncryptedChallenged) return refuse(channel, "Unexpected login step");
  if (request.fieldLength(0) != kPasswordPacket)
    return refuse(channel, "Malformed encrypted login");
  std::uint8_t p1[kPasswordPacket];
  std::memcpy(p1, request.field(0), kPasswordPacket);
  ctsDecrypt(*sessionKey_, p1, kNonce);
  const Digest p2 = sha1(p1, kNonce);
  if (!sameBytes(p2.data(), account_->p2.data(), kNonce) || context_.options().rejectUser)
    return refuse(channel, kRefusal);
  stage_ = Stage::kVerified;
  return Outcome::kVerified;
}

bool LoginExchange::accept(PacketChannel& channel) {
  if (!channel.loginReply(nullptr, 0, 0)) return false;
  if (sessionKey_) channel.setSessionKey(std::move(sessionKey_));
  return true;
}

}  // namespace devserver
