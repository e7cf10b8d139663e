#include "devserver/Session.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "devserver/Protocol.h"
#include "devserver/ServerContext.h"

namespace devserver {

namespace {

const char* const kShowTablesSql =
    "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
    "ESCAPE '\\' ORDER BY name";

std::string databasePath(const std::string& dataDir, const std::string& name) {
  return (std::filesystem::path(dataDir) / (name + ".db")).string();
}

bool isSafeDatabaseName(const std::string& name) {
  return !name.empty() && name.find('/') == std::string::npos &&
         name.find('\\') == std::string::npos && name.find("..") == std::string::npos &&
         name.find('\0') == std::string::npos;
}

std::vector<std::string> listDatabases(const std::string& dataDir) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dataDir, error)) {
    const std::filesystem::path& path = entry.path();
    if (path.extension() == ".db" && entry.is_regular_file(error))
      names.push_back(path.stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Binds one value of the wire's value types. `withNul`: the bind exchange sends every value but
// blobs and NULLs with a NUL after it.
bool bindValue(sqlite3_stmt* statement, int index, std::uint8_t type, const std::uint8_t* data,
               std::size_t length, std::uint32_t zeroBlobLength, bool withNul, std::string& error) {
  const bool hasNul = withNul && type != valuetype::kBlob && type != valuetype::kNull;
  if (hasNul && length) --length;
  const std::string text =
      data ? std::string(reinterpret_cast<const char*>(data), length) : std::string();
  int rc = SQLITE_OK;
  switch (type) {
    case valuetype::kInt:
    case valuetype::kInt64: {
      char* end = nullptr;
      errno = 0;
      const long long value = std::strtoll(text.c_str(), &end, 10);
      if (text.empty() || *end || errno) {
        error = "Bad integer value '" + text + "'";
        return false;
      }
      rc = sqlite3_bind_int64(statement, index, value);
      break;
    }
    case valuetype::kDouble: {
      char* end = nullptr;
      const double value = std::strtod(text.c_str(), &end);
      if (text.empty() || *end) {
        error = "Bad real value '" + text + "'";
        return false;
      }
      rc = sqlite3_bind_double(statement, index, value);
      break;
    }
    case valuetype::kText:
      rc = sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                             SQLITE_TRANSIENT);
      break;
    case valuetype::kBlob:
      rc = sqlite3_bind_blob(statement, index, text.data(), static_cast<int>(text.size()),
                             SQLITE_TRANSIENT);
      break;
    case valuetype::kNull:
      rc = sqlite3_bind_null(statement, index);
      break;
    case valuetype::kZeroBlob:
      // The bind exchange gives the length by the value's size, a prepared bind in the header.
      rc = sqlite3_bind_zeroblob64(statement, index, withNul ? length : zeroBlobLength);
      break;
    default:
      error = "Unknown value type " + std::to_string(type);
      return false;
  }
  if (rc != SQLITE_OK) {
    error = sqlite3_errmsg(sqlite3_db_handle(statement));
    return false;
  }
  return true;
}

}  // namespace

Session::Session(int socket, unsigned id, ServerContext& context)
    : context_(context),
      id_(id),
      channel_(socket, id, &context.trace(), context.options().maxRequest,
               context.options().compressMin, context.options().clearReplies),
      login_(context) {}

Session::~Session() {
  dropPending();
  finalize(prepared_);
  finalize(bindStatement_);
}

void Session::finalize(sqlite3_stmt*& statement) {
  sqlite3_finalize(statement);
  statement = nullptr;
}

void Session::run() {
  Request request;
  bool loggedIn = false;
  for (;;) {
    results_.releaseIfHuge();
    switch (channel_.read(request)) {
      case ReadStatus::kClosed:
        return;
      case ReadStatus::kBadSignature:
        std::cerr << "session " << id_ << ": bad signature, closing\n";
        return;
      case ReadStatus::kTooLarge:
        std::cerr << "session " << id_ << ": request of " << request.header.size
                  << " bytes refused\n";
        channel_.error(code::kTooLarge, "Request of " + std::to_string(request.header.size) +
                                            " bytes exceeds the limit of " +
                                            std::to_string(context_.options().maxRequest) +
                                            " bytes");
        return;
      case ReadStatus::kMalformed:
        if (!channel_.error(code::kMalformed, "Malformed request")) return;
        continue;
      case ReadStatus::kRequest:
        break;
    }
    if (!(loggedIn ? dispatch(request) : handleLogin(request, loggedIn))) return;
  }
}

bool Session::handleLogin(const Request& request, bool& loggedIn) {
  if (request.header.command == command::kClose) {
    armFault(FaultTrigger::Point::kClose, "", 0);
    channel_.reply({});
    return false;
  }
  if (request.header.command != command::kLogin)
    return channel_.error(code::kNotLoggedIn, "Not logged in");
  armFault(FaultTrigger::Point::kLogin, "", 0);
  switch (login_.handle(request, channel_)) {
    case LoginExchange::Outcome::kContinue:
    case LoginExchange::Outcome::kRefused:
      return true;
    case LoginExchange::Outcome::kClosed:
      return false;
    case LoginExchange::Outcome::kVerified:
      break;
  }
  std::string error;
  db_ = Database::open(databasePath(context_.options().dataDir, "default"), true, error);
  if (!db_) {
    login_.reset();
    return channel_.error(code::kSql, error);
  }
  databaseName_ = "default";
  if (!login_.accept(channel_)) return false;
  loggedIn = true;
  std::cerr << "session " << id_ << ": " << login_.user() << " logged in"
            << (login_.level() ? " with encryption level " + std::to_string(login_.level()) : "")
            << '\n';
  return true;
}

bool Session::dispatch(const Request& request) {
  const RequestHeader& h = request.header;
  const bool serverCursorNext =
      h.command == command::kCursorNext && context_.options().serverCursors;
  if (h.command != command::kAck && !serverCursorNext) dropPending();
  switch (h.command) {
    case command::kQuery:
    case command::kExecute: {
      const std::string sql = request.text(0);
      context_.sqlLog().write(id_, h.command, sql);
      armFault(FaultTrigger::Point::kSql, sql, 0);
      armFault(FaultTrigger::Point::kChunk, sql, 1);
      for (const auto& [code, prefix] : context_.options().failSql)
        if (sql.compare(0, prefix.size(), prefix) == 0)
          return channel_.error(code,
                                "Refused by --fail-sql " + std::to_string(code) + ":" + prefix);
      return runText(sql, h.command == command::kQuery);
    }
    case command::kClose:
      armFault(FaultTrigger::Point::kClose, "", 0);
      channel_.reply({});
      return false;
    case command::kAck:
      if (h.selector == selector::kChunkAck) return continueResult();
      if (h.selector == selector::kGiveUp) {
        dropPending();
        return true;
      }
      break;
    case command::kAck10:
    case command::kCursorClose:
      return channel_.reply({});
    case command::kCursorNext:
      if (serverCursorNext) {
        if (pending_) return continueResult();
        ReplyFields end;
        end.code = code::kChunkEnd;
        return channel_.reply(end);
      }
      return channel_.error(code::kUnsupported, "Server-side cursors are not supported");
    case command::kBind:
      return bindExchange(request);
    case command::kPrepare:
    case command::kPreparedBind:
    case command::kPreparedExecute:
    case command::kPreparedSelect:
    case command::kPreparedClose:
      return preparedStatement(request);
  }
  return channel_.error(code::kUnsupported, "Unsupported command");
}

CursorOptions Session::cursorOptions() const {
  const Options& options = context_.options();
  return CursorOptions{options.chunkRows, options.tableNames, options.rowid, options.serverCursors};
}

bool Session::sqlError(const std::string& message) { return channel_.error(code::kSql, message); }

void Session::dropPending() {
  pending_.reset();
  pendingFault_.frames.clear();
}

bool Session::beginIfNeeded(std::string& error) {
  return autocommit_ || db_->inTransaction() || db_->execute("BEGIN", error);
}

bool Session::runText(const std::string& sql, bool wantRows) {
  const InterceptedSql intercepted = intercept(sql);
  if (!intercepted.error.empty()) return sqlError(intercepted.error);
  if (intercepted.kind != Intercepted::kNone) return answerIntercepted(intercepted, wantRows);
  return runSql(sql, wantRows);
}

// Every statement of the text runs; with rows wanted, the last one's rows are the answer.
bool Session::runSql(const std::string& sql, bool wantRows) {
  const std::string text = sqliteText(sql);
  std::string error;
  if (!beginIfNeeded(error)) return sqlError(error);
  const char* at = text.c_str();
  for (;;) {
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    if (!db_->prepare(at, statement, tail, error)) return sqlError(error);
    if (!statement) break;
    if (wantRows && isBlankSql(tail)) return sendResult(statement, true);
    const bool ok = db_->stepToEnd(statement, error);
    sqlite3_finalize(statement);
    if (!ok) return sqlError(error);
    at = tail;
  }
  return channel_.reply({});
}

bool Session::sendResult(sqlite3_stmt* statement, bool ownsStatement) {
  auto encoder = std::make_unique<CursorEncoder>(statement, ownsStatement, cursorOptions());
  ReplyFields fields;
  std::string error;
  if (encoder->next(results_, fields, error) == CursorEncoder::Status::kError)
    return sqlError(error);
  if (!encoder->partial())
    return channel_.reply(fields, results_.payload.data(), results_.payload.size(), true);
  pending_ =
      std::make_unique<ResultPipeline>(std::move(encoder), fields, results_.payload, channel_);
  return sendPending();
}

// An acknowledgement 25 asks for the next chunk; without a result in progress nothing is owed.
bool Session::continueResult() {
  if (!pendingFault_.frames.empty()) {
    const FaultFrame frame = std::move(pendingFault_.frames.front());
    pendingFault_.frames.pop_front();
    return sendFaultFrame(channel_, frame);
  }
  return !pending_ || sendPending();
}

bool Session::sendPending() {
  const bool ok = pending_->sendNext();
  if (pending_->finished()) pending_.reset();
  return ok;
}

bool Session::answerIntercepted(const InterceptedSql& sql, bool wantRows) {
  switch (sql.kind) {
    case Intercepted::kShowInfo: {
      std::vector<std::vector<std::string>> rows;
      const std::string& version = context_.options().serverVersion;
      if (!version.empty()) rows.push_back({"server_version", version});
      rows.push_back({"database", databaseName_});
      rows.push_back({"user", login_.user()});
      rows.push_back({"client_type", clientType_});
      rows.push_back({"autocommit", autocommit_ ? "ON" : "OFF"});
      return answerRows({"name", "value"}, rows, wantRows);
    }
    case Intercepted::kAutocommitOn:
      if (db_->inTransaction() && !endTransaction("COMMIT")) return true;
      autocommit_ = true;
      return channel_.reply({});
    case Intercepted::kAutocommitOff:
      autocommit_ = false;
      return channel_.reply({});
    case Intercepted::kCommit:
      return !db_->inTransaction() || endTransaction("COMMIT") ? channel_.reply({}) : true;
    case Intercepted::kRollback:
      return !db_->inTransaction() || endTransaction("ROLLBACK") ? channel_.reply({}) : true;
    case Intercepted::kUseDatabase:
      return useDatabase(sql.argument);
    case Intercepted::kShowDatabases: {
      std::vector<std::vector<std::string>> rows;
      for (const std::string& name : listDatabases(context_.options().dataDir))
        rows.push_back({name});
      return answerRows({"name"}, rows, wantRows);
    }
    case Intercepted::kDatabaseList: {
      std::vector<std::vector<std::string>> rows;
      for (const std::string& name : listDatabases(context_.options().dataDir)) {
        rows.push_back(
            {std::to_string(rows.size()), name, databasePath(context_.options().dataDir, name)});
      }
      return answerRows({"seq", "name", "file"}, rows, wantRows);
    }
    case Intercepted::kShowTables:
      return runSql(kShowTablesSql, wantRows);
    case Intercepted::kFault:
      return answerFault(sql.argument);
    case Intercepted::kStats:
      return answerStats(wantRows);
    case Intercepted::kClientType:
      clientType_ = sql.argument;
      break;
    case Intercepted::kPing:
    case Intercepted::kNone:
      break;
  }
  return channel_.reply({});
}

// A failed COMMIT or ROLLBACK has been answered with the error; the caller replies otherwise.
bool Session::endTransaction(const char* sql) {
  std::string error;
  if (db_->execute(sql, error)) return true;
  sqlError(error);
  return false;
}

// Rows the server makes up itself, as a cursor like any other (text columns).
bool Session::answerRows(const std::vector<std::string>& names,
                         const std::vector<std::vector<std::string>>& rows, bool wantRows) {
  if (!wantRows) return channel_.reply({});
  std::string sql = "SELECT ";
  for (std::size_t c = 0; c < names.size(); ++c) {
    if (c) sql += ", ";
    sql += rows.empty() ? "NULL" : "column" + std::to_string(c + 1);
    sql += " AS \"" + names[c] + "\"";
  }
  if (rows.empty()) {
    sql += " WHERE 0";
  } else {
    sql += " FROM (VALUES ";
    for (std::size_t r = 0; r < rows.size(); ++r) {
      sql += r ? ",(" : "(";
      for (std::size_t c = 0; c < names.size(); ++c) sql += c ? ",?" : "?";
      sql += ")";
    }
    sql += ")";
  }
  sqlite3_stmt* statement = nullptr;
  const char* tail = nullptr;
  std::string error;
  if (!db_->prepare(sql.c_str(), statement, tail, error)) return sqlError(error);
  int index = 0;
  for (const auto& row : rows)
    for (const std::string& value : row)
      sqlite3_bind_text(statement, ++index, value.data(), static_cast<int>(value.size()),
                        SQLITE_TRANSIENT);
  return sendResult(statement, true);
}

// The connections open besides this one, so that a test sees 0 once all others are gone.
bool Session::answerStats(bool wantRows) {
  if (!wantRows) return channel_.reply({});
  sqlite3_stmt* statement = nullptr;
  const char* tail = nullptr;
  std::string error;
  if (!db_->prepare("SELECT ? AS connections", statement, tail, error)) return sqlError(error);
  sqlite3_bind_int(statement, 1, context_.openConnections().load() - 1);
  return sendResult(statement, true);
}

bool Session::answerFault(const std::string& arguments) {
  FaultPlan plan;
  std::string error;
  if (!planFault(arguments, plan, error)) return channel_.error(code::kUnsupported, error);
  // The replies held back for requests before this one must not wait with it.
  if (!channel_.flush() || !context_.sleep(plan.delay)) return false;
  if (plan.afterAnswer)
    return answerWithFault(channel_, plan, [this] { return channel_.reply({}); });
  const FaultFrame first = std::move(plan.frames.front());
  plan.frames.pop_front();
  pendingFault_ = std::move(plan);
  return sendFaultFrame(channel_, first);
}

void Session::armFault(FaultTrigger::Point point, const std::string& sql, unsigned skip) {
  FaultPlan plan;
  if (context_.claimFault(point, sql, plan)) channel_.armFault(plan, skip);
}

bool Session::useDatabase(const std::string& name) {
  if (!isSafeDatabaseName(name))
    return channel_.error(code::kUnknownDatabase, "Invalid database name '" + name + "'");
  std::string error;
  auto database = Database::open(databasePath(context_.options().dataDir, name), false, error);
  if (!database) return channel_.error(code::kUnknownDatabase, "Unknown database '" + name + "'");
  if (db_->inTransaction() && !endTransaction("COMMIT")) return true;
  finalize(prepared_);
  finalize(bindStatement_);
  db_ = std::move(database);
  databaseName_ = name;
  return channel_.reply({});
}

bool Session::bindExchange(const Request& request) {
  const RequestHeader& h = request.header;
  std::string error;
  switch (h.selector) {
    case 0: {
      finalize(bindStatement_);
      const std::string sql = stripTypedLiteralKeywords(request.text(0));
      const char* tail = nullptr;
      if (!db_->prepare(sql.c_str(), bindStatement_, tail, error)) return sqlError(error);
      if (!bindStatement_) return channel_.error(code::kNoStatement, "No statement to bind");
      bindIndex_ = 0;
      return channel_.reply({});
    }
    case selector::kBindValue:
      if (!bindStatement_) return channel_.error(code::kNoStatement, "No statement to bind");
      if (!bindValue(bindStatement_, ++bindIndex_, h.valueType, request.field(0),
                     request.fieldLength(0), 0, true, error))
        return sqlError(error);
      return channel_.reply({});
    case selector::kBindEnd:
    case selector::kBindEndAlternate: {
      if (!bindStatement_) return channel_.error(code::kNoStatement, "No statement to bind");
      const bool ok = beginIfNeeded(error) && db_->stepToEnd(bindStatement_, error);
      finalize(bindStatement_);
      return ok ? channel_.reply({}) : sqlError(error);
    }
  }
  return channel_.error(code::kUnsupported, "Unsupported command");
}

bool Session::preparedStatement(const Request& request) {
  const RequestHeader& h = request.header;
  std::string error;
  if (h.command == command::kPrepare) {
    finalize(prepared_);
    const std::string sql = stripTypedLiteralKeywords(request.text(0));
    const char* tail = nullptr;
    if (!db_->prepare(sql.c_str(), prepared_, tail, error)) return sqlError(error);
    if (!prepared_) return channel_.error(code::kNoStatement, "No statement to prepare");
    return channel_.reply({});
  }
  if (h.command == command::kPreparedClose) {
    finalize(prepared_);
    return channel_.reply({});
  }
  if (!prepared_) return channel_.error(code::kNoStatement, "No prepared statement");
  switch (h.command) {
    case command::kPreparedBind:
      if (!bindValue(prepared_, h.parameterIndex, h.valueType, request.field(0),
                     request.fieldLength(0), h.valueLength, false, error))
        return sqlError(error);
      return channel_.reply({});
    case command::kPreparedExecute:
      if (!beginIfNeeded(error) || !db_->stepToEnd(prepared_, error)) return sqlError(error);
      return channel_.reply({});
    default:
      if (!beginIfNeeded(error)) return sqlError(error);
      return sendResult(prepared_, false);
  }
}

}  // namespace devserver
