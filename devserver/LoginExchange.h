#pragma once
// The two-step login of command 1, in clear (challenge and response) or encrypted (both sides
// prove the password hash and agree on an AES session key).
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "devserver/Crypto.h"

namespace devserver {

class PacketChannel;
class ServerContext;
struct Request;

// A user as the server keeps it: the name and P2 = SHA1(SHA1(password)).
struct Account {
  std::string name;
  Digest p2;
};

std::vector<Account> makeAccounts(const std::vector<std::pair<std::string, std::string>>& users);

class LoginExchange {
 public:
  enum class Outcome {
    kContinue,  // a first step was answered
    kVerified,  // the last step checked out: call accept() once the session is ready
    kRefused,   // answered with code 7000; the exchange starts over
    kClosed,    // the connection is gone or the server is stopping
  };

  explicit LoginExchange(ServerContext& context) : context_(context) {}

  Outcome handle(const Request& request, PacketChannel& channel);
  // Sends the final reply and, after an encrypted login, switches the channel to the session key.
  bool accept(PacketChannel& channel);
  // Turns a verified login down after all (the session could not be set up).
  void reset();

  std::string user() const { return account_ ? account_->name : std::string(); }
  int level() const { return level_; }

 private:
  Outcome clearUser(const Request& request, PacketChannel& channel);
  Outcome clearResponse(const Request& request, PacketChannel& channel);
  Outcome encryptedUser(const Request& request, PacketChannel& channel);
  Outcome encryptedProof(const Request& request, PacketChannel& channel);
  Outcome refuse(PacketChannel& channel, const std::string& message);
  const Account* findAccount(const Request& request, const std::string& hashSuffix) const;

  enum class Stage { kStart, kClearChallenged, kEncryptedChallenged, kVerified };

  ServerContext& context_;
  Stage stage_ = Stage::kStart;
  const Account* account_ = nullptr;
  int level_ = 0;
  Digest challenge_{};
  std::unique_ptr<AesKey> sessionKey_;
};

// The session key of an encrypted login: 16, 24 or 32 bytes for levels 2, 3 and 4.
std::vector<std::uint8_t> deriveSessionKey(int level, const Digest& p2, const std::uint8_t* r,
                                           const std::uint8_t* s);

}  // namespace devserver
