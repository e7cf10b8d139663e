// Requests and replies on the wire, played against a server in memory.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>

#include "client/kvl.h"
#include "client/kvl_cts.h"
#include "client/kvl_framing.h"
#include "client/kvl_login.h"
#include "tests/client/ClientMemoryPeer.h"

namespace {

using clienttest::Bytes;
using clienttest::MemoryPeer;
using clienttest::packet;
using clienttest::Reply;

Bytes hex(const std::string& digits) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
    out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  }
  return out;
}

// Gives the connection AES session keys as an encrypted login at this level would.
void encryptAt(KvlConnection* connection, unsigned level) {
  std::uint8_t p2[20], r[20], s[20];
  for (int i = 0; i < 20; ++i) {
    p2[i] = static_cast<std::uint8_t>(i * 7);
    r[i] = static_cast<std::uint8_t>(i);
    s[i] = static_cast<std::uint8_t>(20 + i);
  }
  ASSERT_GT(kvl_derive_session_keys(connection, level, p2, r, s), 0);
  connection->encryptionLevel = level;
}

// IV and ciphertext of text under the connection's session key, as a server would send them.
Bytes sealed(KvlConnection* connection, const Bytes& clear) {
  Bytes out(16 + clear.size());
  for (int i = 0; i < 16; ++i) out[i] = static_cast<std::uint8_t>(0xA0 + i);
  std::memcpy(out.data() + 16, clear.data(), clear.size());
  kvl_aes_cbc_encrypt(out.data() + 16, clear.size(), out.data(), &connection->encrypt);
  return out;
}

Bytes textBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes deflated(const Bytes& clear) {
  Bytes out(compressBound(clear.size()));
  uLongf length = out.size();
  EXPECT_EQ(compress2(out.data(), &length, clear.data(), clear.size(), Z_DEFAULT_COMPRESSION), Z_OK);
  out.resize(length);
  return out;
}

TEST(ClientFraming, PingInClearIsTheGoldenRequest) {
  MemoryPeer peer;
  peer.queue(packet(Reply{}));
  ASSERT_EQ(kvl_ping(peer.connection()), 0);
  EXPECT_EQ(peer.sent(), hex("53514C53" "0000000A" "03000100" "00000400" "00000001" "00000000" "0000000C"
                             "00000000" "00000006" "50494E473B00"));
}

TEST(ClientFraming, EncryptedRequestSendsClearLengthsThenIvAndCiphertext) {
  MemoryPeer peer;
  encryptAt(peer.connection(), 2);
  peer.queue(packet(Reply{}));
  ASSERT_EQ(kvl_ping(peer.connection()), 0);
  Bytes& sent = peer.sent();
  ASSERT_EQ(sent.size(), 32u + 4 + 16 + 6);
  EXPECT_EQ(Bytes(sent.begin() + 4, sent.begin() + 8), hex("0000001A"));  // 4 + 6 + 16
  EXPECT_EQ(sent[13], 2);
  EXPECT_EQ(Bytes(sent.begin() + 32, sent.begin() + 36), hex("00000006"));
  Bytes wire(sent.begin() + 36, sent.end());
  ASSERT_EQ(kvl_aes_cbc_decrypt(wire.data(), wire.size(), &peer.connection()->decrypt), 0);
  EXPECT_EQ(Bytes(wire.begin(), wire.begin() + 6), hex("50494E473B00"));
}

TEST(ClientFraming, EncryptedHeaderOnlyRequestHasNoIv) {
  MemoryPeer peer;
  encryptAt(peer.connection(), 4);
  kvl_write_header(peer.connection(), 0, 0, kvlCommandPreparedExecute, 0);
  ASSERT_EQ(kvl_send_request(peer.connection(), nullptr, 0, nullptr, 0), 0);
  ASSERT_EQ(peer.sent().size(), 32u);
  EXPECT_EQ(Bytes(peer.sent().begin() + 4, peer.sent().begin() + 8), hex("00000000"));
}

TEST(ClientFraming, EncryptedRequestWithEmptyDataStillSendsTheAnnouncedIv) {
  MemoryPeer peer;
  encryptAt(peer.connection(), 3);
  std::uint8_t lengths[4] = {0, 0, 0, 0};
  kvl_write_header(peer.connection(), 4, 1, kvlCommandExecute, 0);
  ASSERT_EQ(kvl_send_request(peer.connection(), lengths, 4, nullptr, 0), 0);
  EXPECT_EQ(Bytes(peer.sent().begin() + 4, peer.sent().begin() + 8), hex("00000014"));
  EXPECT_EQ(peer.sent().size(), 32u + 4 + 16);
}

TEST(ClientFraming, HeaderCarriesTimeoutZeroAndTheClientKind) {
  MemoryPeer peer;
  peer.connection()->timeout = 0;
  peer.connection()->unhashedUser = 1;
  kvl_write_header(peer.connection(), 0, 0, kvlCommandClose, 0);
  const std::uint8_t* header = peer.connection()->requestHeader.bytes;
  EXPECT_EQ(kvl_load_be32(header + 24), 0u);
  EXPECT_EQ(header[14], 3);
  EXPECT_EQ(header[10], 0x01);
}

TEST(ClientFraming, TextRequestFlagsFollowTheCommand) {
  struct Case {
    std::uint8_t command;
    int flag, serverSide;
    std::uint8_t flags;
  } cases[] = {{kvlCommandExecute, 1, 1, 0x21}, {kvlCommandQuery, 1, 1, 0x41}, {kvlCommandQuery, 0, 0, 0x01}};
  for (const Case& c : cases) {
    MemoryPeer peer;
    ASSERT_EQ(kvl_send_text_request(peer.connection(), c.command, "x", c.flag, c.serverSide), 0);
    EXPECT_EQ(peer.sent()[10], c.flags) << int(c.command);
  }
  MemoryPeer peer;
  peer.queue(packet(Reply{}));
  KvlCursor* cursor = kvl_select(peer.connection(), "SELECT 1;", 1);
  EXPECT_EQ(peer.sent()[10], 0x01);
  kvl_cursor_free(cursor);
}

TEST(ClientFraming, ShortValueIsStillSentCompressed) {
  MemoryPeer peer;
  ASSERT_EQ(kvl_send_value(peer.connection(), reinterpret_cast<const std::uint8_t*>("ab"), 2, KVL_TYPE_TEXT, 1), 0);
  const Bytes& sent = peer.sent();
  EXPECT_EQ(sent[8], kvlCommandBind);
  EXPECT_EQ(sent[9], kvlBindValue);
  EXPECT_EQ(sent[10], 0x01 | 0x08 | 0x20);
  EXPECT_EQ(sent[12], KVL_TYPE_TEXT);
  EXPECT_EQ(kvl_load_be32(sent.data() + 16), 1u);
  EXPECT_EQ(kvl_load_be32(sent.data() + 20), 2u);
  ASSERT_EQ(kvl_load_be32(sent.data() + 4), sent.size() - 32);
  Bytes clear(2);
  uLongf length = clear.size();
  ASSERT_EQ(uncompress(clear.data(), &length, sent.data() + 32, sent.size() - 32), Z_OK);
  EXPECT_EQ(clear, textBytes("ab"));
}

TEST(ClientFraming, AcknowledgementsReadAReplyOnlyWhereOneComes) {
  struct Case {
    int code;
    std::uint8_t command, selector;
    bool replied;
  } cases[] = {{10, 10, 0, true}, {28, 19, 28, true}, {29, 19, 29, true}, {25, 9, 25, false}, {26, 9, 26, false}};
  for (const Case& c : cases) {
    MemoryPeer peer;
    peer.queue(packet(Reply{}));
    ASSERT_EQ(kvl_send_ack(peer.connection(), c.code), 0);
    EXPECT_EQ(peer.sent()[8], c.command);
    EXPECT_EQ(peer.sent()[9], c.selector);
    EXPECT_EQ(peer.unread(), c.replied ? 0u : 32u) << c.code;
  }
}

TEST(ClientFraming, ErrorRepliesCarryTheServersCodeAndText) {
  struct Case {
    const char* what;
    Reply reply;
    int code;
    const char* message;
  } cases[] = {
      {"message", Reply{1234, 0, 0, 0, 0, 0, 0, textBytes("no such table: t, and a few more words!!")}, 1234,
       "no such table: t, and a few more words!!"},
      {"empty payload", Reply{1234, 0, 0, 0, 0, 0, 0, {}}, 1234, ""},
      {"bad signature", Reply{}, 840, "Wrong SIGNATURE HEADER from the server"},
  };
  cases[2].reply.payload = {};
  for (Case& c : cases) {
    MemoryPeer peer;
    Bytes bytes = packet(c.reply);
    if (c.code == 840) bytes[0] = 'X';
    peer.queue(bytes);
    EXPECT_EQ(kvl_execute(peer.connection(), "SELECT;"), -1) << c.what;
    EXPECT_EQ(kvl_error_code(peer.connection()), c.code) << c.what;
    EXPECT_STREQ(kvl_error_message(peer.connection()), c.message) << c.what;
  }
}

TEST(ClientFraming, LongErrorTextIsCutAt511Characters) {
  MemoryPeer peer;
  peer.queue(packet(Reply{7010, 0, 0, 0, 0, 0, 0, Bytes(700, 'e')}));
  EXPECT_EQ(kvl_execute(peer.connection(), "x"), -1);
  EXPECT_EQ(std::string(kvl_error_message(peer.connection())), std::string(511, 'e'));
}

TEST(ClientFraming, EncryptedErrorTextEndsAtItsClearLength) {
  MemoryPeer peer;
  encryptAt(peer.connection(), 2);
  peer.queue(packet(Reply{7010, 0, 1, 0, 0, 0, 0, sealed(peer.connection(), textBytes("boom"))}));
  EXPECT_EQ(kvl_execute(peer.connection(), "x"), -1);
  EXPECT_EQ(kvl_error_code(peer.connection()), 7010);
  EXPECT_STREQ(kvl_error_message(peer.connection()), "boom");
}

TEST(ClientFraming, EndCodeIsSuccessWithAnySizeAndFieldCount) {
  MemoryPeer peer;
  peer.queue(packet(Reply{777, 0, 0, 0, 0, 0, 9, textBytes("ignored")}));
  peer.queue(packet(Reply{}));
  EXPECT_EQ(kvl_execute(peer.connection(), "x"), 0);
  EXPECT_EQ(kvl_execute(peer.connection(), "y"), 0);
  EXPECT_EQ(peer.unread(), 0u);
}

TEST(ClientFraming, RepliesThatCannotBeTrustedAreRefused) {
  MemoryPeer clear;
  Bytes zipped = deflated(Bytes(100, 'z'));
  Bytes corrupt = zipped;
  corrupt[4] ^= 0x55;
  struct Case {
    const char* what;
    Reply reply;
    bool encrypted;
    int code;
  } cases[] = {
      {"encrypted without a session key", Reply{0, 0, 1, 0, 0, 0, 0, Bytes(32, 1)}, false, 840},
      {"encrypted shorter than an IV", Reply{0, 0, 1, 0, 0, 0, 0, Bytes(15, 1)}, true, 840},
      {"inflated size differs", Reply{0, 0x08, 0, 99, 0, 0, 0, zipped}, false, 840},
      {"inflated size beyond any stream", Reply{0, 0x08, 0, 0xFFFFFFF0u, 0, 0, 0, zipped}, false, 840},
      {"corrupt stream", Reply{0, 0x08, 0, 100, 0, 0, 0, corrupt}, false, -5},
  };
  for (const Case& c : cases) {
    MemoryPeer peer;
    if (c.encrypted) encryptAt(peer.connection(), 2);
    peer.queue(packet(c.reply));
    EXPECT_EQ(kvl_execute(peer.connection(), "x"), -1) << c.what;
    EXPECT_EQ(kvl_error_code(peer.connection()), c.code) << c.what;
  }
}

TEST(ClientFraming, HugeAnnouncedPayloadFailsAtTheShortStreamNotAtAllocation) {
  MemoryPeer peer;
  Reply reply;
  reply.payload = Bytes(100, 'x');
  reply.announcedSize = 0xFFFFFFF0u;
  peer.queue(packet(reply));
  EXPECT_EQ(kvl_execute(peer.connection(), "x"), -1);
  EXPECT_EQ(kvl_error_code(peer.connection()), 830);
  EXPECT_STREQ(kvl_error_message(peer.connection()), "An error occured while executing sock_read");
  EXPECT_LE(peer.connection()->payloadCapacity, std::size_t{1} << 20);
}

TEST(ClientFraming, CompressedEncryptedReplyIsDecryptedThenInflated) {
  MemoryPeer peer;
  encryptAt(peer.connection(), 4);
  Bytes clear(5000, 'q');
  peer.queue(packet(Reply{0, 0x08, 1, 5000, 0, 0, 0, sealed(peer.connection(), deflated(clear))}));
  int end = 0;
  ASSERT_EQ(kvl_read_reply(peer.connection(), -1, -1, 0, &end, 0), 0);
  ASSERT_EQ(peer.connection()->payloadLength, 5000u);
  EXPECT_EQ(Bytes(peer.connection()->payload, peer.connection()->payload + 5000), clear);
}

TEST(ClientFraming, ExpectedSizeAndFieldCountAreChecked) {
  MemoryPeer peer;
  peer.queue(packet(Reply{0, 0, 0, 0, 0, 0, 1, Bytes(21, 0)}));
  int end = 0;
  EXPECT_EQ(kvl_read_reply(peer.connection(), 20, 1, 0, &end, 5), -1);
  EXPECT_STREQ(kvl_error_message(peer.connection()), "Wrong PACKET SIZE received from the server");
  MemoryPeer other;
  other.queue(packet(Reply{0, 0, 0, 0, 0, 0, 2, Bytes(20, 0)}));
  EXPECT_EQ(kvl_read_reply(other.connection(), 20, 1, 0, &end, 5), -1);
  EXPECT_EQ(kvl_error_code(other.connection()), 840);
  EXPECT_STREQ(kvl_error_message(other.connection()), "Wrong NUMBER OF FIELDS received from the server");
}

TEST(ClientFraming, ReadDataHandsOverThePayloadOrGivesUp) {
  MemoryPeer peer;
  peer.queue(packet(Reply{0, 0, 0, 0, 0, 0, 1, textBytes("abc")}));
  std::uint32_t length = 0;
  int end = 0;
  const std::uint8_t* data = kvl_read_data(peer.connection(), &length, &end);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), length), "abc");
  EXPECT_TRUE(peer.sent().empty());

  peer.queue(packet(Reply{4321, 0, 0, 0, 0, 0, 0, textBytes("refused")}));
  EXPECT_EQ(kvl_read_data(peer.connection(), &length, &end), nullptr);
  ASSERT_EQ(peer.sent().size(), 32u);
  EXPECT_EQ(peer.sent()[8], kvlCommandAcknowledge);
  EXPECT_EQ(peer.sent()[9], kvlAckGaveUp);
  EXPECT_EQ(kvl_error_code(peer.connection()), 4321);
  EXPECT_STREQ(kvl_error_message(peer.connection()), "refused");
}

}  // namespace
