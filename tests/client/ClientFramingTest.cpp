// Requests and replies on the wire, played against a server in memory.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "client/kvl.h"
#include "client/kvl_cts.h"
#include "client/kvl_framing.h"
#include "client/kvl_login.h"
#include "tests/client/ClientMemoryPeer.h"
#include "tests/client/CryptoTestHex.h"

namespace {

using clienttest::Bytes;
using clienttest::fields;
using clienttest::MemoryPeer;
using clienttest::Packet;
using clienttest::packet;
using clienttest::packets;
using clienttest::Reply;

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
  EXPECT_EQ(peer.sent(), fromHex("53514C53" "0000000A" "03000100" "00000400" "00000001" "00000000" "0000000C"
                             "00000000" "00000006" "50494E473B00"));
}

TEST(ClientFraming, EncryptedRequestSendsClearLengthsThenIvAndCiphertext) {
  MemoryPeer peer;
  encryptAt(peer.connection(), 2);
  peer.queue(packet(Reply{}));
  ASSERT_EQ(kvl_ping(peer.connection()), 0);
  Bytes& sent = peer.sent();
  ASSERT_EQ(sent.size(), 32u + 4 + 16 + 6);
  EXPECT_EQ(Bytes(sent.begin() + 4, sent.begin() + 8), fromHex("0000001A"));  // 4 + 6 + 16
  EXPECT_EQ(sent[13], 2);
  EXPECT_EQ(Bytes(sent.begin() + 32, sent.begin() + 36), fromHex("00000006"));
  Bytes wire(sent.begin() + 36, sent.end());
  ASSERT_EQ(kvl_aes_cbc_decrypt(wire.data(), wire.size(), &peer.connection()->decrypt), 0);
  EXPECT_EQ(Bytes(wire.begin(), wire.begin() + 6), fromHex("50494E473B00"));
}

TEST(ClientFraming, EncryptedHeaderOnlyRequestHasNoIv) {
  MemoryPeer peer;
  encryptAt(peer.connection(), 4);
  kvl_write_header(peer.connection(), 0, 0, kvlCommandPreparedExecute, 0);
  ASSERT_EQ(kvl_send_request(peer.connection(), nullptr, 0, nullptr, 0), 0);
  ASSERT_EQ(peer.sent().size(), 32u);
  EXPECT_EQ(Bytes(peer.sent().begin() + 4, peer.sent().begin() + 8), fromHex("00000000"));
}

TEST(ClientFraming, EncryptedRequestWithEmptyDataStillSendsTheAnnouncedIv) {
  MemoryPeer peer;
  encryptAt(peer.connection(), 3);
  std::uint8_t lengths[4] = {0, 0, 0, 0};
  kvl_write_header(peer.connection(), 4, 1, kvlCommandExecute, 0);
  ASSERT_EQ(kvl_send_request(peer.connection(), lengths, 4, nullptr, 0), 0);
  EXPECT_EQ(Bytes(peer.sent().begin() + 4, peer.sent().begin() + 8), fromHex("00000014"));
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
  EXPECT_LE(peer.connection()->payloadCapacity, std::size_t{16} << 20);
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

// Each chunk's inflated payload is taken by its cursor; the compressed bytes of the next chunk
// land in the buffer the previous one left, decrypted where they lie.
TEST(ClientFraming, CompressedRepliesShareOneReceiveBuffer) {
  MemoryPeer peer;
  encryptAt(peer.connection(), 4);
  Bytes first(6000);
  for (std::size_t i = 0; i < first.size(); ++i) first[i] = static_cast<std::uint8_t>(i * 7 % 251);
  Bytes second(5000, 'b');
  second[4999] = 'c';
  for (const Bytes* clear : {&first, &second}) {
    peer.queue(packet(Reply{0, 0x08, 1, static_cast<std::uint32_t>(clear->size()), 0, 0, 0,
                            sealed(peer.connection(), deflated(*clear))}));
  }
  int end = 0;
  ASSERT_EQ(kvl_read_reply(peer.connection(), -1, -1, 0, &end, 0), 0);
  KvlConnection* connection = peer.connection();
  const std::uint8_t* packed = connection->packed;
  ASSERT_NE(packed, nullptr);
  EXPECT_EQ(Bytes(connection->payload, connection->payload + connection->payloadLength), first);
  std::free(connection->payload);  // as a cursor takes it
  connection->payload = nullptr;
  connection->payloadCapacity = 0;

  ASSERT_EQ(kvl_read_reply(connection, -1, -1, 0, &end, 0), 0);
  EXPECT_EQ(connection->packed, packed);
  EXPECT_EQ(connection->payloadCapacity, second.size());
  EXPECT_EQ(Bytes(connection->payload, connection->payload + connection->payloadLength), second);
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

TEST(ClientFraming, EveryRequestLeavesInOneWrite) {
  const std::string large(100000, 'x');  // more than the connection keeps a buffer for
  using Send = int (*)(KvlConnection* connection, const std::string& large);
  Send ping = [](KvlConnection* c, const std::string&) { return kvl_send_text_request(c, 3, "PING;", 0, 0); };
  Send statement = [](KvlConnection* c, const std::string& text) {
    return kvl_send_text_request(c, 3, text.c_str(), 0, 0);
  };
  Send acknowledge = [](KvlConnection* c, const std::string&) { return kvl_send_ack(c, kvlAckNextChunk); };
  Send value = [](KvlConnection* c, const std::string&) {
    return kvl_send_value(c, reinterpret_cast<const std::uint8_t*>("value"), 5, KVL_TYPE_TEXT, 1);
  };
  struct Case {
    const char* what;
    unsigned level;
    Send send;
  } cases[] = {
      {"text in clear", 0, ping},
      {"text encrypted", 4, ping},
      {"large text encrypted", 2, statement},
      {"header only", 3, acknowledge},
      {"value", 0, value},
  };
  for (const Case& c : cases) {
    MemoryPeer peer;
    if (c.level != 0) encryptAt(peer.connection(), c.level);
    // Twice: the second request reuses, or after a large one replaces, the first one's buffer.
    for (int round = 1; round <= 2; ++round) {
      std::size_t before = peer.sent().size();
      ASSERT_EQ(c.send(peer.connection(), large), 0) << c.what;
      EXPECT_EQ(peer.writes(), round) << c.what;
      EXPECT_EQ(peer.sent().size() - before, 32 + kvl_load_be32(peer.sent().data() + before + 4)) << c.what;
    }
    EXPECT_EQ(std::memcmp(peer.sent().data(), peer.sent().data() + peer.sent().size() / 2, 32), 0) << c.what;
  }
}

TEST(ClientFraming, PreparedBindersSendTypeIndexAndValueText) {
  // The number texts printf writes in the "C" locale.
  auto printed = [](const char* format, auto value) {
    char text[400];
    int length = std::snprintf(text, sizeof text, format, value);
    return std::string(text, static_cast<std::size_t>(length));
  };
  struct Case {
    const char* what;
    void (*bind)(KvlPreparedStatement* statement);
    std::uint8_t type;
    std::uint16_t index;
    bool hasField;
    std::string field;
    std::uint32_t zeroBlob;
  } cases[] = {
      {"int", [](KvlPreparedStatement* s) { kvl_prepared_bind_int(s, 3, -7); }, 1, 3, true, "-7", 0},
      {"int64", [](KvlPreparedStatement* s) { kvl_prepared_bind_int64(s, 2, -9000000000LL); }, 8, 2, true,
       "-9000000000", 0},
      {"double", [](KvlPreparedStatement* s) { kvl_prepared_bind_double(s, 1, 2.5); }, 2, 1, true,
       printed("%f", 2.5), 0},
      {"tiny double", [](KvlPreparedStatement* s) { kvl_prepared_bind_double(s, 1, -4e-7); }, 2, 1, true,
       printed("%f", -4e-7), 0},
      {"largest double", [](KvlPreparedStatement* s) { kvl_prepared_bind_double(s, 9, -DBL_MAX); }, 2, 9, true,
       printed("%f", -DBL_MAX), 0},
      {"text", [](KvlPreparedStatement* s) { kvl_prepared_bind_text(s, 4, "text"); }, 3, 4, true, "text", 0},
      {"blob", [](KvlPreparedStatement* s) { kvl_prepared_bind_blob(s, 5, "\x01\0\x02", 3); }, 4, 5, true,
       std::string("\x01\0\x02", 3), 0},
      {"blob of a text", [](KvlPreparedStatement* s) { kvl_prepared_bind_blob(s, 6, "abc", -1); }, 4, 6, true, "abc",
       0},
      {"null", [](KvlPreparedStatement* s) { kvl_prepared_bind_null(s, 7); }, 5, 7, false, "", 0},
      {"zero blob", [](KvlPreparedStatement* s) { kvl_prepared_bind_zeroblob(s, 300, 4); }, 9, 300, false, "", 4},
  };
  for (const Case& c : cases) {
    MemoryPeer peer;
    for (int reply = 0; reply < 3; ++reply) peer.queue(packet(Reply{}));  // prepare, bind, close
    KvlPreparedStatement* statement = kvl_prepare(peer.connection(), "SELECT ?;");
    ASSERT_NE(statement, nullptr) << c.what;
    peer.sent().clear();
    c.bind(statement);
    EXPECT_EQ(kvl_error_code(peer.connection()), 0) << c.what;
    std::vector<Packet> sent = packets(peer.sent());
    ASSERT_EQ(sent.size(), 1u) << c.what;
    const Bytes& header = sent[0].header;
    EXPECT_EQ(header[8], kvlCommandPreparedBind) << c.what;
    EXPECT_EQ(header[9], 0) << c.what;
    EXPECT_EQ(header[12], c.type) << c.what;
    EXPECT_EQ(kvl_load_be16(header.data() + 28), c.index) << c.what;
    EXPECT_EQ(kvl_load_be32(header.data() + 20), c.zeroBlob) << c.what;
    std::vector<Bytes> values = fields(sent[0]);
    ASSERT_EQ(values.size(), c.hasField ? 1u : 0u) << c.what;
    if (c.hasField) {
      EXPECT_EQ(std::string(values[0].begin(), values[0].end()), c.field) << c.what;
    }
    EXPECT_EQ(peer.unread(), 32u) << c.what << ": the bind read its reply";
    EXPECT_EQ(kvl_prepared_close(statement), 0);
  }
}

TEST(ClientFraming, BindExchangeSendsEveryValueWithItsTerminatorAndEndsOnAFailure) {
  const char blob[] = {'\x01', '\0', '\x02'};
  const void* values[] = {"42", "hey", blob, nullptr};
  int lengths[] = {2, -1, 3, 0};
  const int types[] = {KVL_TYPE_INTEGER, KVL_TYPE_TEXT, KVL_TYPE_BLOB, KVL_TYPE_NULL};
  const Bytes expected[] = {textBytes(std::string("42", 3)), textBytes(std::string("hey", 4)), Bytes(blob, blob + 3),
                            Bytes(1, 0)};
  for (int failing : {-1, 1}) {
    MemoryPeer peer;
    peer.queue(packet(Reply{}));  // the statement
    for (int i = 0; i < 4; ++i) {
      Reply reply;
      if (i == failing) reply = Reply{7011, 0, 0, 0, 0, 0, 0, textBytes("constraint failed")};
      peer.queue(packet(reply));
    }
    peer.queue(packet(Reply{}));  // the end
    kvl_bind(peer.connection(), "INSERT INTO t VALUES (?, ?, ?, ?);", values, lengths, types, 4);
    std::vector<Packet> sent = packets(peer.sent());
    std::size_t valuesSent = failing < 0 ? 4 : static_cast<std::size_t>(failing) + 1;
    ASSERT_EQ(sent.size(), 1 + valuesSent + (failing < 0 ? 1 : 0)) << failing;
    EXPECT_EQ(sent[0].header[8], kvlCommandBind);
    EXPECT_EQ(sent[0].header[9], 0);
    for (std::size_t i = 0; i < valuesSent; ++i) {
      const Packet& value = sent[1 + i];
      EXPECT_EQ(value.header[8], kvlCommandBind) << i;
      EXPECT_EQ(value.header[9], kvlBindValue) << i;
      EXPECT_EQ(value.header[10], 0x01 | 0x08 | 0x20) << i;
      EXPECT_EQ(value.header[12], types[i]) << i;
      EXPECT_EQ(kvl_load_be32(value.header.data() + 16), 1u) << i;
      Bytes clear(expected[i].size() + 1);
      uLongf length = clear.size();
      ASSERT_EQ(uncompress(clear.data(), &length, value.body.data(), value.body.size()), Z_OK) << i;
      clear.resize(length);
      EXPECT_EQ(clear, expected[i]) << i;
      EXPECT_EQ(kvl_load_be32(value.header.data() + 20), expected[i].size()) << i;
    }
    if (failing < 0) {
      EXPECT_EQ(sent.back().header[8], kvlCommandBind);
      EXPECT_EQ(sent.back().header[9], kvlBindEnd);
      EXPECT_EQ(kvl_error_code(peer.connection()), 0);
      EXPECT_EQ(peer.unread(), 0u);
    } else {
      EXPECT_EQ(kvl_error_code(peer.connection()), 7011);
      EXPECT_STREQ(kvl_error_message(peer.connection()), "constraint failed");
    }
    EXPECT_EQ(lengths[1], -1) << "the caller's lengths stay as they were";
    EXPECT_EQ(lengths[3], 0);
    EXPECT_EQ(values[3], nullptr);
  }
}

}  // namespace
