// The bind exchange of command 19 and the prepared statement of commands 50 to 54.
#include <zlib.h>

#include "tests/devserver/WireTest.h"

namespace wiretest {
namespace {

using Table = std::vector<std::vector<std::string>>;

Bytes bytesOf(const std::string& text, bool withNul) {
  Bytes bytes(text.begin(), text.end());
  if (withNul) bytes.push_back(0);
  return bytes;
}

class BindTest : public WireTest {
 protected:
  // A value packet of the bind exchange as the client sends it: compressed, the clear length in
  // bytes 20-23.
  static bool sendValue(WireClient& client, std::uint8_t type, const Bytes& value) {
    Bytes packed(compressBound(value.size()));
    uLongf length = packed.size();
    compress2(packed.data(), &length, value.data(), value.size(), Z_DEFAULT_COMPRESSION);
    packed.resize(length);
    RequestOptions options;
    options.valuePacket = true;
    options.flags = 0x01 | 0x08;
    options.valueType = type;
    options.valueLength = static_cast<std::uint32_t>(value.size());
    return client.send(19, 27, {packed}, options);
  }

  static std::uint16_t preparedBind(WireClient& client, std::uint16_t index, std::uint8_t type,
                                    const std::vector<Bytes>& fields, std::uint32_t length = 0) {
    RequestOptions options;
    options.valueType = type;
    options.parameterIndex = index;
    options.valueLength = length;
    if (!client.send(51, 0, fields, options)) return 0xFFFF;
    return client.read().code;
  }
};

TEST_F(BindTest, BindExchangeInsertsEveryValueType) {
  for (int level : {0, 2}) {
    auto client = login(level);
    ASSERT_EQ(
        client->execute("DROP TABLE IF EXISTS b; CREATE TABLE b(i, r, t, bl, n, big, z)").code, 0);
    ASSERT_TRUE(client->send(19, 0, {textField("INSERT INTO b VALUES (?, ?, ?, ?, ?, ?, ?)")}));
    ASSERT_EQ(client->read().code, 0);
    const std::vector<std::pair<std::uint8_t, Bytes>> values = {{1, bytesOf("42", true)},
                                                                {2, bytesOf("2.500000", true)},
                                                                {3, bytesOf("it's text", true)},
                                                                {4, Bytes{0, 1, 2, 255}},
                                                                {5, Bytes{0}},
                                                                {8, bytesOf("9000000000", true)},
                                                                {9, bytesOf("abcd", true)}};
    for (const auto& [type, value] : values) {
      ASSERT_TRUE(sendValue(*client, type, value));
      const Reply reply = client->read();
      ASSERT_TRUE(reply.ok);
      ASSERT_EQ(reply.code, 0) << int(type) << ": " << reply.text();
    }
    ASSERT_TRUE(client->send(19, 28, {}));
    ASSERT_EQ(client->read().code, 0);
    EXPECT_EQ(cells(client->query("SELECT typeof(i), i, typeof(r), r, t, hex(bl), typeof(n), big, "
                                  "hex(z) FROM b")),
              (Table{{"integer", "42", "real", "2.5", "it's text", "000102FF", "null", "9000000000",
                      "00000000"}}));
  }
}

TEST_F(BindTest, BindExchangeErrors) {
  auto client = login();
  ASSERT_TRUE(client->send(19, 0, {textField("INSERT INTO missing VALUES (?)")}));
  EXPECT_EQ(client->read().code, 7010);
  ASSERT_TRUE(sendValue(*client, 3, bytesOf("x", true)));
  EXPECT_EQ(client->read().code, 7040) << "no statement to bind to";
  ASSERT_TRUE(client->send(19, 0, {textField("SELECT ?")}));
  ASSERT_EQ(client->read().code, 0);
  ASSERT_TRUE(sendValue(*client, 1, bytesOf("1", true)));
  ASSERT_EQ(client->read().code, 0);
  ASSERT_TRUE(sendValue(*client, 1, bytesOf("2", true)));
  EXPECT_EQ(client->read().code, 7010) << "one parameter too many";
  ASSERT_TRUE(client->send(19, 0, {textField("SELECT ?")}));
  ASSERT_EQ(client->read().code, 0);
  ASSERT_TRUE(sendValue(*client, 1, bytesOf("twelve", true)));
  EXPECT_NE(client->read().code, 0) << "not an integer";
}

TEST_F(BindTest, PreparedStatementBindsExecutesAndSelects) {
  auto client = login(3);
  ASSERT_EQ(client->execute("CREATE TABLE p(a, b, c)").code, 0);
  ASSERT_TRUE(client->send(50, 0, {textField("INSERT INTO p VALUES (?, ?, ?)")}));
  ASSERT_EQ(client->read().code, 0);
  EXPECT_EQ(preparedBind(*client, 1, 1, {bytesOf("7", false)}), 0);
  EXPECT_EQ(preparedBind(*client, 2, 3, {bytesOf("seven", false)}), 0);
  EXPECT_EQ(preparedBind(*client, 3, 5, {}), 0);
  ASSERT_TRUE(client->send(52, 0, {}));
  ASSERT_EQ(client->read().code, 0);
  // Bindings stay until they are replaced.
  EXPECT_EQ(preparedBind(*client, 1, 2, {bytesOf("-1.250000", false)}), 0);
  EXPECT_EQ(preparedBind(*client, 3, 9, {}, 3), 0);
  ASSERT_TRUE(client->send(52, 0, {}));
  ASSERT_EQ(client->read().code, 0);
  EXPECT_EQ(preparedBind(*client, 1, 8, {bytesOf("-9000000000", false)}), 0);
  EXPECT_EQ(preparedBind(*client, 3, 4, {Bytes{0xde, 0xad}}), 0);
  ASSERT_TRUE(client->send(52, 0, {}));
  ASSERT_EQ(client->read().code, 0);
  EXPECT_EQ(preparedBind(*client, 4, 1, {bytesOf("1", false)}), 7010) << "no parameter 4";

  ASSERT_TRUE(client->send(50, 0, {textField("SELECT a, b, quote(c) FROM p WHERE b = ?")}));
  ASSERT_EQ(client->read().code, 0);
  EXPECT_EQ(preparedBind(*client, 1, 3, {bytesOf("seven", false)}), 0);
  for (int run = 0; run < 2; ++run) {
    ASSERT_TRUE(client->send(53, 0, {}));
    const Cursor cursor = client->readCursor();
    ASSERT_TRUE(cursor.ok) << cursor.error;
    EXPECT_EQ(cells(cursor), (Table{{"7", "seven", "NULL"},
                                    {"-1.25", "seven", "X'000000'"},
                                    {"-9000000000", "seven", "X'DEAD'"}}));
  }
  ASSERT_TRUE(client->send(54, 0, {}));
  EXPECT_EQ(client->read().code, 0);
  ASSERT_TRUE(client->send(52, 0, {}));
  EXPECT_EQ(client->read().code, 7040) << "closed";
}

}  // namespace
}  // namespace wiretest
