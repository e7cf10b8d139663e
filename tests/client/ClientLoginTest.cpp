// The login exchange on the wire, against a server played from memory, and its hashes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "client/kvl_cts.h"
#include "client/kvl_framing.h"
#include "client/kvl_login.h"
#include "client/kvl_sha1.h"
#include "tests/client/ClientMemoryPeer.h"
#include "tests/client/CryptoTestHex.h"

namespace {

using clienttest::Bytes;
using clienttest::MemoryPeer;
using clienttest::packet;
using clienttest::Reply;

Bytes digestOf(const std::string& text) {
  Bytes digest(20);
  sha1_digest(digest.data(), text.data(), text.size());
  return digest;
}

Reply loginReply(Bytes payload) {
  Reply reply;
  reply.fields = payload.empty() ? 0 : 1;
  reply.payload = std::move(payload);
  return reply;
}

TEST(ClientLogin, ChallengeResponseAndSessionKeysMatchTheWorkedValues) {
  std::uint8_t challenge[20];
  for (int i = 0; i < 20; ++i) challenge[i] = static_cast<std::uint8_t>(100 + i);
  std::uint8_t response[20];
  kvl_challenge_response(response, challenge, "secret");
  EXPECT_EQ(toHex(response, 20), "e4299a21ef8cb43b214790f2dbabaa25b7e33fc6");

  MemoryPeer peer;
  Bytes p2 = digestOf(std::string(reinterpret_cast<const char*>(digestOf("secret").data()), 20));
  EXPECT_EQ(toHex(p2.data(), 20), "14e65567abdb5135d0cfd9a70b3032c179a49ee7");
  std::uint8_t r[20], s[20];
  for (int i = 0; i < 20; ++i) {
    r[i] = static_cast<std::uint8_t>(i);
    s[i] = static_cast<std::uint8_t>(20 + i);
  }
  const std::uint8_t level3[24] = {0x02, 0x07, 0xa2, 0xb3, 0x37, 0x3c, 0x6a, 0x79, 0xdb, 0x50, 0x21, 0x3d,
                                   0xef, 0x78, 0xfd, 0xcd, 0x94, 0x6c, 0xcf, 0x40, 0, 0, 0, 0};
  ASSERT_EQ(kvl_derive_session_keys(peer.connection(), 3, p2.data(), r, s), 24);
  AesContext expected{};
  aes_key_schedule_enc(level3, 24, &expected);
  const AesContext& derived = peer.connection()->encrypt;
  ASSERT_EQ(derived.rounds, 12);
  EXPECT_EQ(std::memcmp(expected.roundKeys, derived.roundKeys, 4 * 4 * (12 + 1)), 0);
  EXPECT_EQ(kvl_derive_session_keys(peer.connection(), 5, p2.data(), r, s), -1);
}

TEST(ClientLogin, UserNameHashStreamsAnyLength) {
  std::uint8_t iv[16];
  for (int i = 0; i < 16; ++i) iv[i] = static_cast<std::uint8_t>(0xF0 + i);
  std::string longName(5000, 'n');
  char out[42];
  kvl_hashed_user_name(out, longName.c_str(), iv);
  Bytes digest = digestOf(longName + toHex(iv, 16));
  EXPECT_EQ(std::string(out), toHex(digest.data(), 20));
}

TEST(ClientLogin, ClearLoginSendsTheUserFieldAndTheResponse) {
  struct Case {
    bool unhashed;
    const char* token;
    std::string userField;
    std::uint8_t kind, firstSelector;
  } cases[] = {
      {false, nullptr, "a9993e364706816aba3e25717850c26c9cd0d89d" + std::string(1, '\0'), 4, 20},
      {true, nullptr, std::string("abc", 4), 3, 20},
      {false, "tok", "a9993e364706816aba3e25717850c26c9cd0d89d" + std::string(1, '\0'), 4, 40},
  };
  for (const Case& c : cases) {
    MemoryPeer peer;
    KvlConnection* connection = peer.connection();
    std::strcpy(connection->user, "abc");
    std::strcpy(connection->password, "secret");
    connection->unhashedUser = c.unhashed;
    kvl_set_token(connection, c.token);
    Bytes challenge(20, 7);
    peer.queue(packet(loginReply(challenge)));
    peer.queue(packet(loginReply({})));
    ASSERT_EQ(kvl_login_clear(connection), 0) << kvl_error_message(connection);

    std::vector<clienttest::Packet> sent = clienttest::packets(peer.sent());
    ASSERT_EQ(sent.size(), 2u);
    const clienttest::Packet& first = sent[0];
    EXPECT_EQ(first.header[8], kvlCommandLogin);
    EXPECT_EQ(first.header[9], c.firstSelector);
    EXPECT_EQ(first.header[14], c.kind);
    std::vector<Bytes> userFields = clienttest::fields(first);
    ASSERT_EQ(userFields.size(), 1u);
    EXPECT_EQ(std::string(userFields[0].begin(), userFields[0].end()), c.userField);

    const clienttest::Packet& second = sent[1];
    EXPECT_EQ(second.header[9], c.firstSelector + 1);
    std::uint8_t response[20];
    kvl_challenge_response(response, challenge.data(), "secret");
    std::vector<Bytes> proofFields = clienttest::fields(second);
    ASSERT_EQ(proofFields.size(), c.token ? 2u : 1u);
    EXPECT_EQ(proofFields[0], Bytes(response, response + 20));
    if (c.token) {
      EXPECT_EQ(proofFields[1], Bytes({'t', 'o', 'k', '\0'}));
    }
    EXPECT_EQ(64 + first.body.size() + second.body.size(), peer.sent().size());
  }
}

TEST(ClientLogin, EncryptedLoginProvesBothSidesAndAgreesOnTheSessionKey) {
  for (const char* token : {static_cast<const char*>(nullptr), "a-token"}) {
    MemoryPeer peer;
    KvlConnection* connection = peer.connection();
    connection->encryptionLevel = 4;
    kvl_set_token(connection, token);
    Bytes p1 = digestOf("karvell");
    Bytes p2 = digestOf(std::string(p1.begin(), p1.end()));
    AesContext loginEncrypt, loginDecrypt;
    aes_key_schedule_enc(p2.data(), 16, &loginEncrypt);
    aes_key_schedule_dec(p2.data(), 16, &loginDecrypt);
    // The server's proof of its nonce S under P2.
    Bytes proof(56, 0x11);
    for (int i = 0; i < 20; ++i) proof[16 + i] = static_cast<std::uint8_t>(0x40 + i);
    sha1_digest(proof.data() + 36, proof.data() + 16, 20);
    Bytes s(proof.begin() + 16, proof.begin() + 36);
    kvl_aes_cbc_encrypt(proof.data() + 16, 40, proof.data(), &loginEncrypt);
    peer.queue(packet(loginReply(proof)));
    peer.queue(packet(loginReply({})));
    ASSERT_EQ(kvl_login_encrypted(connection), 0) << kvl_error_message(connection);
    EXPECT_EQ(connection->encryptionLevel, 4u);

    std::vector<clienttest::Packet> sent = clienttest::packets(peer.sent());
    ASSERT_EQ(sent.size(), 2u);
    const clienttest::Packet& first = sent[0];
    EXPECT_EQ(first.header[9], token ? 42 : 22);
    EXPECT_EQ(first.header[13], 4);
    EXPECT_EQ(kvl_load_be32(first.header.data() + 4), 8u + 41 + 56);
    std::vector<Bytes> firstFields = clienttest::fields(first);
    ASSERT_EQ(firstFields.size(), 2u);
    Bytes sealedR = firstFields[1];
    ASSERT_EQ(sealedR.size(), 56u);
    std::string userField(firstFields[0].begin(), firstFields[0].end() - 1);
    Bytes expectedUser = digestOf("karvell" + toHex(sealedR.data(), 16));
    EXPECT_EQ(userField, toHex(expectedUser.data(), 20));
    ASSERT_EQ(kvl_aes_cbc_decrypt(sealedR.data(), 56, &loginDecrypt), 0);
    Bytes r(sealedR.begin(), sealedR.begin() + 20);
    EXPECT_EQ(Bytes(sealedR.begin() + 20, sealedR.begin() + 40), digestOf(std::string(r.begin(), r.end())));

    // The server derives the same key from P2, R and S, and finds P1 (and the token) under it.
    MemoryPeer server;
    ASSERT_EQ(kvl_derive_session_keys(server.connection(), 4, p2.data(), r.data(), s.data()), 32);
    const clienttest::Packet& second = sent[1];
    EXPECT_EQ(second.header[9], token ? 43 : 23);
    EXPECT_EQ(second.header[13], 0);
    std::vector<Bytes> secondFields = clienttest::fields(second);
    ASSERT_EQ(secondFields.size(), token ? 2u : 1u);
    Bytes sealedP1 = secondFields[0];
    ASSERT_EQ(sealedP1.size(), 36u);
    ASSERT_EQ(kvl_aes_cbc_decrypt(sealedP1.data(), 36, &server.connection()->decrypt), 0);
    EXPECT_EQ(Bytes(sealedP1.begin(), sealedP1.begin() + 20), p1);
    if (token) {
      Bytes sealedToken = secondFields[1];
      ASSERT_EQ(sealedToken.size(), std::strlen(token) + 1 + 16);
      ASSERT_EQ(kvl_aes_cbc_decrypt(sealedToken.data(), sealedToken.size(), &server.connection()->decrypt), 0);
      EXPECT_STREQ(reinterpret_cast<const char*>(sealedToken.data()), token);
    }
  }
}

TEST(ClientLogin, WrongServerProofIsAnUntrustedServerAndKeepsTheLevel) {
  MemoryPeer peer;
  peer.connection()->encryptionLevel = 3;
  peer.queue(packet(loginReply(Bytes(56, 0x5A))));
  EXPECT_EQ(kvl_login_encrypted(peer.connection()), -1);
  EXPECT_EQ(kvl_error_code(peer.connection()), kvlServerAuthenticationFailed);
  EXPECT_STREQ(kvl_error_message(peer.connection()), "Server authentication failed");
  EXPECT_EQ(peer.connection()->encryptionLevel, 3u);
}

}  // namespace
