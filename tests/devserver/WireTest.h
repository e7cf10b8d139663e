#pragma once
// A server per test and clients logged in to it.
#include <gtest/gtest.h>

#include <memory>

#include "tests/devserver/WireClient.h"
#include "tests/support/DevServer.h"

namespace wiretest {

class WireTest : public testsupport::DevServerTest {
 protected:
  // A client logged in as karvell, in clear or at an encryption level.
  std::unique_ptr<WireClient> login(int level = 0) {
    auto client = std::make_unique<WireClient>(port());
    EXPECT_TRUE(client->connected());
    const Reply reply = level ? client->loginEncrypted(level, "karvell", "karvell")
                              : client->loginClear("karvell", "karvell");
    EXPECT_TRUE(reply.ok && reply.code == 0) << reply.code << " " << reply.text();
    return client;
  }
};

// The rows of a cursor as texts, "NULL" for a NULL, for compact comparisons.
inline std::vector<std::vector<std::string>> cells(const Cursor& cursor) {
  std::vector<std::vector<std::string>> out;
  for (const Row& row : cursor.rows) {
    std::vector<std::string> texts;
    for (const auto& value : row) texts.push_back(value ? *value : "NULL");
    out.push_back(texts);
  }
  return out;
}

}  // namespace wiretest
