// Broken replies from the development server's fault knobs: each is refused with its error and
// nothing is read outside what arrived.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "client/kvl.h"
#include "tests/support/DevServer.h"

namespace {

constexpr const char* wrongSize = "Wrong PACKET SIZE received from the server";

struct Fault {
  const char* sql;
  int encryption;
  int code;
  const char* message;
};

class ClientFault : public testsupport::DevServerTest {
 protected:
  // A fresh session per fault: after most of them the stream is out of step.
  KvlConnection* connect(int encryption) {
    KvlConnection* connection = nullptr;
    int result = kvl_connect(&connection, "127.0.0.1", port(), "karvell", "karvell", 12, encryption);
    EXPECT_EQ(result, 0) << (connection ? kvl_error_message(connection) : "no record");
    if (result == 0) return connection;
    kvl_disconnect(connection, 0);
    return nullptr;
  }

  void expectRefused(const Fault& fault) {
    KvlConnection* connection = connect(fault.encryption);
    if (connection == nullptr) return;
    KvlCursor* cursor = kvl_select(connection, fault.sql);
    EXPECT_EQ(cursor, nullptr) << fault.sql;
    kvl_cursor_free(cursor);
    EXPECT_EQ(kvl_error_code(connection), fault.code) << fault.sql << ": " << kvl_error_message(connection);
    EXPECT_STREQ(kvl_error_message(connection), fault.message) << fault.sql;
    kvl_disconnect(connection, 0);
  }
};

TEST_F(ClientFault, BrokenRepliesAreRefused) {
  const Fault faults[] = {
      {"@@fault badsig", 0, 840, "Wrong SIGNATURE HEADER from the server"},
      {"@@fault error 4321 0", 0, 4321, ""},
      {"@@fault error 4321 0", 2, 4321, ""},
      {"@@fault bad-zlib", 0, -5, "An error occured while trying to uncompress received cursor"},
      {"@@fault bad-zlib", 4, -5, "An error occured while trying to uncompress received cursor"},
      {"@@fault short-encrypted", 3, 840, wrongSize},
      {"@@fault close-mid-payload", 0, 830, "An error occured while executing sock_read"},
      {"@@fault close-mid-payload", 2, 830, "An error occured while executing sock_read"},
  };
  for (const Fault& fault : faults) expectRefused(fault);
}

TEST_F(ClientFault, AResultOfMoreColumnsThanOdbcCountsIsRefused) {
  for (int encryption : {0, 2}) {
    expectRefused({"@@fault columns 40000", encryption, kvlTooManyColumns,
                   "The result has 40000 columns; at most 32767 are supported"});
  }
  KvlConnection* connection = connect(0);
  ASSERT_NE(connection, nullptr);
  KvlCursor* cursor = kvl_select(connection, "@@fault columns 32767");
  ASSERT_NE(cursor, nullptr) << kvl_error_message(connection);
  EXPECT_EQ(kvl_cursor_column_count(cursor), 32767);
  kvl_cursor_free(cursor);
  kvl_disconnect(connection, 0);
}

TEST_F(ClientFault, ErrorMessageOfTheAnnouncedLength) {
  KvlConnection* connection = connect(0);
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(kvl_execute(connection, "@@fault error 4321 40"), -1);
  EXPECT_EQ(kvl_error_code(connection), 4321);
  EXPECT_EQ(std::string(kvl_error_message(connection)).size(), 40u);
  EXPECT_EQ(kvl_ping(connection), 0);
  kvl_disconnect(connection, 1);
}

TEST_F(ClientFault, EveryMalformedCursorIsAWrongPacketSize) {
  const char* kinds[] = {"rows-columns-overflow", "types-past-payload", "lengths-past-payload", "name-unterminated",
                         "data-short", "huge-length", "rowid-no-columns", "chunk-columns", "chunk-rowid",
                         "inflated-size", "encrypted-no-key"};
  for (const char* kind : kinds) {
    std::string sql = std::string("@@fault malformed ") + kind;
    for (int encryption : {0, 2}) expectRefused({sql.c_str(), encryption, 840, wrongSize});
  }
}

class ClientLoginFault : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_WITHOUT_DEVSERVER(); }

  // Logs in to a server started with the given options; answers the connect's result and keeps
  // the error of the record it leaves.
  int login(const std::vector<std::string>& options, int encryption) {
    testsupport::DevServer server(options);
    if (!server.running()) return 1;
    KvlConnection* connection = nullptr;
    int result = kvl_connect(&connection, "127.0.0.1", server.port(), "karvell", "karvell", 12, encryption);
    code_ = connection != nullptr ? kvl_error_code(connection) : 0;
    message_ = connection != nullptr ? kvl_error_message(connection) : "";
    kvl_disconnect(connection, 0);
    return result;
  }

  // The login fails on the client's five-second wait for a reply, well before the seconds given.
  void expectLoginTimeout(const std::vector<std::string>& options, int encryption, double seconds) {
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(login(options, encryption), -1);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(), seconds);
    EXPECT_EQ(code_, 810);
    EXPECT_EQ(message_, "A timeout error occured inside kvl_socketread");
  }

  int code_ = 0;
  std::string message_;
};

TEST_F(ClientLoginFault, LoginReplyOfTheWrongSize) {
  for (int encryption : {0, 2}) {
    EXPECT_EQ(login({"--login-wrong-size"}, encryption), -1);
    EXPECT_EQ(code_, 840);
    EXPECT_EQ(message_, wrongSize);
  }
}

TEST_F(ClientLoginFault, ServerThatCannotProveThePasswordIsNotTrusted) {
  for (int encryption : {2, 3, 4}) {
    SCOPED_TRACE(encryption);
    EXPECT_EQ(login({"--login-bad-s"}, encryption), -1);
    EXPECT_EQ(code_, kvlServerAuthenticationFailed);
    EXPECT_EQ(message_, "Server authentication failed");
  }
}

TEST_F(ClientLoginFault, AClearReplyOnAnEncryptedSessionIsRefused) {
  // Whoever sits on the path could write one: results and errors alike.
  testsupport::DevServer server({"--clear-replies"});
  ASSERT_TRUE(server.running());
  for (int encryption : {2, 3, 4}) {
    SCOPED_TRACE(encryption);
    KvlConnection* connection = nullptr;
    ASSERT_EQ(kvl_connect(&connection, "127.0.0.1", server.port(), "karvell", "karvell", 12, encryption), 0)
        << kvl_error_message(connection);
    KvlCursor* cursor = kvl_select(connection, "SELECT 'forged'");
    EXPECT_EQ(cursor, nullptr);
    kvl_cursor_free(cursor);
    EXPECT_EQ(kvl_error_code(connection), 840);
    EXPECT_STREQ(kvl_error_message(connection), wrongSize);
    kvl_disconnect(connection, 0);
    connection = nullptr;
    ASSERT_EQ(kvl_connect(&connection, "127.0.0.1", server.port(), "karvell", "karvell", 12, encryption), 0);
    EXPECT_EQ(kvl_execute(connection, "@@fault error 4321 20"), -1);
    EXPECT_EQ(kvl_error_code(connection), 840);
    kvl_disconnect(connection, 0);
  }
  // A clear session reads the same server's replies as ever.
  KvlConnection* connection = nullptr;
  ASSERT_EQ(kvl_connect(&connection, "127.0.0.1", server.port(), "karvell", "karvell", 12, 0), 0);
  KvlCursor* cursor = kvl_select(connection, "SELECT 'clear'");
  EXPECT_NE(cursor, nullptr) << kvl_error_message(connection);
  kvl_cursor_free(cursor);
  kvl_disconnect(connection, 0);
}

TEST_F(ClientLoginFault, RejectedUser) {
  for (int encryption : {0, 3}) {
    EXPECT_EQ(login({"--reject-user"}, encryption), -1);
    EXPECT_EQ(code_, 7000);
  }
}

TEST_F(ClientLoginFault, LoginReplyLaterThanFiveSecondsTimesOut) {
  expectLoginTimeout({"--login-delay", "7"}, 0, 7.0);
}

TEST_F(ClientLoginFault, ALoginErrorWhoseMessageNeverComesTimesOut) {
  // The message of an error reply is read within the wait of the reply it belongs to.
  for (int encryption : {0, 2}) {
    SCOPED_TRACE(encryption);
    expectLoginTimeout({"--login-error-stall", "30"}, encryption, 20.0);
  }
}

TEST_F(ClientLoginFault, ALoginReplyTrickledByteByByteTimesOut) {
  // Each byte comes well within five seconds, the whole reply does not.
  expectLoginTimeout({"--login-trickle", "0.5"}, 0, 14.0);
}

}  // namespace
