// Listing a server's databases before any data source exists.
#include <gtest/gtest.h>

#include <fstream>

#include "backend/ServerDatabases.h"
#include "tests/backend/BackendServerTest.h"

namespace backendtest {
namespace {

class ServerDatabasesTest : public BackendServerTest {};

TEST_F(ServerDatabasesTest, NamesOfTheDataDirectory) {
  std::ofstream(server().dataFile("sales.db")).close();
  std::ofstream(server().dataFile("O'Brien.db")).close();
  std::vector<std::string> names;
  SQLINTEGER native = 1;
  std::string message = "unchanged";
  ASSERT_EQ(listServerDatabases("127.0.0.1", static_cast<std::uint16_t>(port()), 3, "karvell",
                                "karvell", names, native, message),
            SQL_SUCCESS)
      << message;
  EXPECT_EQ(names, (std::vector<std::string>{"O'Brien", "default", "sales"}));
  EXPECT_EQ(native, 0);
  EXPECT_EQ(serverLogCount("with encryption level 3"), 1);
  EXPECT_EQ(sqlLog().front(), "3 SET AUTOCOMMIT TO ON;");
  EXPECT_EQ(sqlLog().back(), "2 show databases");
  EXPECT_EQ(openConnections(), 0);
}

// A server that keeps the list on its side hands it out a chunk at a time and tells no count.
class ServerDatabasesOnServerCursorsTest : public BackendServerTest {
 protected:
  std::vector<std::string> extraServerArgs() const override {
    return {"--server-cursors", "--chunk-rows", "2"};
  }
};

TEST_F(ServerDatabasesOnServerCursorsTest, EveryNameArrives) {
  for (const char* name : {"a.db", "b.db", "c.db"}) std::ofstream(server().dataFile(name)).close();
  std::vector<std::string> names;
  SQLINTEGER native = 1;
  std::string message;
  ASSERT_EQ(listServerDatabases("127.0.0.1", static_cast<std::uint16_t>(port()), 0, "karvell",
                                "karvell", names, native, message),
            SQL_SUCCESS)
      << message;
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "c", "default"}));
}

TEST_F(ServerDatabasesTest, WrongPasswordAndAwkwardCredentials) {
  std::vector<std::string> names;
  SQLINTEGER native = 0;
  std::string message;
  EXPECT_EQ(listServerDatabases("127.0.0.1", static_cast<std::uint16_t>(port()), 0, "karvell",
                                "wrong", names, native, message),
            SQL_ERROR);
  EXPECT_EQ(native, 7000);
  EXPECT_FALSE(bareMessage(message).empty());
  EXPECT_TRUE(names.empty());
  // A ";" in the user name or the password is part of it, not a new key.
  ASSERT_EQ(listServerDatabases("127.0.0.1", static_cast<std::uint16_t>(port()), 0, "odd;user",
                                "p;w}d", names, native, message),
            SQL_SUCCESS)
      << message;
  EXPECT_EQ(names, (std::vector<std::string>{"default"}));
  EXPECT_EQ(openConnections(), 0);
}

}  // namespace
}  // namespace backendtest
