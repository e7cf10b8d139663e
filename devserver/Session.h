#pragma once
// One client connection from its login to its close: reads requests, runs their SQL on the
// session's own SQLite connection and answers them.
#include <memory>
#include <string>
#include <vector>

#include "devserver/CursorEncoder.h"
#include "devserver/Database.h"
#include "devserver/FaultPlan.h"
#include "devserver/LoginExchange.h"
#include "devserver/Options.h"
#include "devserver/PacketChannel.h"
#include "devserver/ResultPipeline.h"
#include "devserver/SqlInterceptor.h"

struct sqlite3_stmt;

namespace devserver {

class ServerContext;

class Session {
 public:
  Session(int socket, unsigned id, ServerContext& context);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Serves the connection until the client closes it, a fatal error or the server stops.
  void run();

 private:
  bool handleLogin(const Request& request, bool& loggedIn);
  // Each answers false when the connection is to be closed.
  bool dispatch(const Request& request);
  bool runText(const std::string& sql, bool wantRows);
  bool runSql(const std::string& sql, bool wantRows);
  bool answerIntercepted(const InterceptedSql& sql, bool wantRows);
  bool answerRows(const std::vector<std::string>& names,
                  const std::vector<std::vector<std::string>>& rows, bool wantRows);
  bool answerStats(bool wantRows);
  bool answerFault(const std::string& arguments);
  // Arms the next fault the server's options place at this point on the reply after `skip`.
  void armFault(FaultTrigger::Point point, const std::string& sql, unsigned skip);
  bool useDatabase(const std::string& name);
  bool endTransaction(const char* sql);
  // Answers the statement's rows; a chunked result stays pending for the acknowledgements.
  bool sendResult(sqlite3_stmt* statement, bool ownsStatement);
  bool continueResult();
  bool sendPending();
  bool bindExchange(const Request& request);
  bool preparedStatement(const Request& request);
  bool sqlError(const std::string& message);
  CursorOptions cursorOptions() const;
  // In a session with autocommit off, data statements run inside a transaction.
  bool beginIfNeeded(std::string& error);
  void dropPending();
  void finalize(sqlite3_stmt*& statement);

  ServerContext& context_;
  unsigned id_;
  PacketChannel channel_;
  LoginExchange login_;
  std::unique_ptr<Database> db_;
  std::string databaseName_;
  std::string clientType_;
  bool autocommit_ = true;
  ResultBuffers results_;                    // each result's first reply is built here
  std::unique_ptr<ResultPipeline> pending_;  // a chunked result waiting for acknowledgements
  FaultPlan pendingFault_;
  sqlite3_stmt* prepared_ = nullptr;       // commands 50 to 54
  sqlite3_stmt* bindStatement_ = nullptr;  // the bind exchange of command 19
  int bindIndex_ = 0;
};

}  // namespace devserver
