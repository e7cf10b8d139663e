#include "setup/DatabaseListing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "tests/support/DevServer.h"

namespace {

class DatabaseListingTest : public testsupport::DevServerTest {
 protected:
  DataSourceSettings settings(const std::string& password) const {
    DataSourceSettings s;
    s.server = "127.0.0.1";
    s.port = port();
    s.encryption = 4;
    s.userId = "karvell";
    s.password = password;
    return s;
  }
};

// Without a replacement the wizard asks the server itself.
TEST_F(DatabaseListingTest, TheDefaultListerAsksTheServer) {
  std::ofstream(server().dataFile("sales.db")).close();
  std::vector<std::string> names;
  std::string message;
  ASSERT_TRUE(databaseLister()(settings("karvell"), names, message)) << message;
  EXPECT_NE(std::find(names.begin(), names.end(), "sales"), names.end());

  names.clear();
  EXPECT_FALSE(databaseLister()(settings("wrong"), names, message));
  EXPECT_FALSE(message.empty());
}

}  // namespace
