#pragma once
// The connection to a Karvell server: reads the data-source settings from a DSN or a connection
// string, prompts where the completion mode asks for it and the platform can, logs in through the
// client library, runs the set-up commands and carries transactions and autocommit to the server.
// The connected state is the base's (setConnected), so SQL_ATTR_CONNECTION_DEAD tells the truth.
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "backend/ConnectionPrompts.h"
#include "core/Connection.h"

struct KvlConnection;
class ConnectionSettings;

// The SQLGetInfo answers that describe this server (name, width as in core/InfoItems.h, value).
#define KARVELL_INFO_ANSWERS(X)                                                               \
  X(AccessibleProcedures, Text, "N")                                                          \
  X(AccessibleTables, Text, "N")                                                              \
  X(AlterDomain, U32, 0)                                                                      \
  X(AlterTable, U32, 0x21)                                                                    \
  X(BatchRowCount, U32, 0)                                                                    \
  X(BatchSupport, U32, 0)                                                                     \
  X(BookmarkPersistence, U32, 0x40)                                                           \
  X(CatalogTerm, Text, "database")                                                            \
  X(CatalogUsage, U32, 0xD)                                                                   \
  X(ConvertBigint, U32, 0x3F3FF)                                                              \
  X(ConvertBit, U32, 0x3F3FF)                                                                 \
  X(ConvertChar, U32, 0x3F3FF)                                                                \
  X(ConvertDate, U32, 0x3F3FF)                                                                \
  X(ConvertDecimal, U32, 0x3F3FF)                                                             \
  X(ConvertDouble, U32, 0x3F3FF)                                                              \
  X(ConvertFloat, U32, 0x3F3FF)                                                               \
  X(ConvertInteger, U32, 0x3F3FF)                                                             \
  X(ConvertIntervalYearMonth, U32, 0x3F3FF)                                                   \
  X(ConvertIntervalDayTime, U32, 0x3F3FF)                                                     \
  X(ConvertLongvarchar, U32, 0x3F3FF)                                                         \
  X(ConvertNumeric, U32, 0x3F3FF)                                                             \
  X(ConvertReal, U32, 0x3F3FF)                                                                \
  X(ConvertSmallint, U32, 0x3F3FF)                                                            \
  X(ConvertTime, U32, 0x3F3FF)                                                                \
  X(ConvertTimestamp, U32, 0x3F3FF)                                                           \
  X(ConvertTinyint, U32, 0x3F3FF)                                                             \
  X(ConvertVarchar, U32, 0x3F3FF)                                                             \
  X(ConvertFunctions, U32, 2)                                                                 \
  X(CreateAssertion, U32, 0)                                                                  \
  X(CreateCharacterSet, U32, 0)                                                               \
  X(CreateCollation, U32, 0)                                                                  \
  X(CreateDomain, U32, 0)                                                                     \
  X(CreateSchema, U32, 0)                                                                     \
  X(CreateTable, U32, 0x701)                                                                  \
  X(CreateTranslation, U32, 0)                                                                \
  X(CreateView, U32, 1)                                                                       \
  X(CursorCommitBehavior, U16, 2)                                                             \
  X(CursorRollbackBehavior, U16, 2)                                                           \
  X(CursorSensitivity, U32, 0)                                                                \
  X(DatetimeLiterals, U32, 0)                                                                 \
  X(DbmsName, Text, "Karvell")                                                                \
  X(DefaultTxnIsolation, U32, 8)                                                              \
  X(DropAssertion, U32, 0)                                                                    \
  X(DropCharacterSet, U32, 0)                                                                 \
  X(DropCollation, U32, 0)                                                                    \
  X(DropDomain, U32, 0)                                                                       \
  X(DropSchema, U32, 0)                                                                       \
  X(DropTable, U32, 0)                                                                        \
  X(DropTranslation, U32, 0)                                                                  \
  X(DropView, U32, 1)                                                                         \
  X(FetchDirection, U32, 0xBF)                                                                \
  X(ForwardOnlyCursorAttributes1, U32, 9)                                                     \
  X(ForwardOnlyCursorAttributes2, U32, 3)                                                     \
  X(GetdataExtensions, U32, 0xB)                                                              \
  X(GroupBy, U16, 1)                                                                          \
  X(IdentifierCase, U16, 3)                                                                   \
  X(InfoSchemaViews, U32, 0)                                                                  \
  X(Integrity, Text, "N")                                                                     \
  X(Keywords, Text,                                                                           \
    "CREATE,SELECT,DROP,DELETE,UPDATE,INSERT,INTO,VALUES,TABLE,INDEX,FROM,SET,WHERE,AND,"     \
    "CURRENT,OF")                                                                             \
  X(LikeEscapeClause, Text, "N")                                                              \
  X(LockTypes, U32, 0)                                                                        \
  X(MaxColumnNameLen, U16, 255)                                                               \
  X(MaxColumnsInGroupBy, U16, 2000)                                                           \
  X(MaxColumnsInIndex, U16, 2000)                                                             \
  X(MaxColumnsInOrderBy, U16, 2000)                                                           \
  X(MaxColumnsInSelect, U16, 2000)                                                            \
  X(MaxCursorNameLen, U16, 255)                                                               \
  X(MaxIdentifierLen, U16, 255)                                                               \
  X(MaxStatementLen, U32, 1000000)                                                            \
  X(MaxTableNameLen, U16, 255)                                                                \
  X(MaxTablesInSelect, U16, 64)                                                               \
  X(MultResultSets, Text, "N")                                                                \
  X(MultipleActiveTxn, Text, "N")                                                             \
  X(NumericFunctions, U32, 0x420001)                                                          \
  X(OdbcInterfaceConformance, U32, 1)                                                         \
  X(OdbcGrammarConformance, U16, 0)                                                           \
  X(PosOperations, U32, 0x13)                                                                 \
  X(PositionedStatements, U32, 0)                                                             \
  X(ProcedureTerm, Text, "")                                                                  \
  X(Procedures, Text, "N")                                                                    \
  X(RowUpdates, Text, "N")                                                                    \
  X(SchemaTerm, Text, "")                                                                     \
  X(SchemaUsage, U32, 0)                                                                      \
  X(ScrollConcurrency, U32, 2)                                                                \
  X(ScrollOptions, U32, 0x11)                                                                 \
  X(SqlConformance, U32, 1)                                                                   \
  X(Sql92Grant, U32, 0)                                                                       \
  X(Sql92NumericValueFunctions, U32, 4)                                                       \
  X(Sql92Predicates, U32, 0x1E07)                                                             \
  X(Sql92RelationalJoinOperators, U32, 0x1FA)                                                 \
  X(Sql92Revoke, U32, 0)                                                                      \
  X(Sql92RowValueConstructor, U32, 3)                                                         \
  X(Sql92StringFunctions, U32, 0xEE)                                                          \
  X(StandardCliConformance, U32, 0)                                                           \
  X(StaticCursorAttributes1, U32, 0x1120F)                                                    \
  X(StaticCursorAttributes2, U32, 3)                                                          \
  X(StringFunctions, U32, 0x1C58)                                                             \
  X(Subqueries, U32, 0xF)                                                                     \
  X(SystemFunctions, U32, 0)                                                                  \
  X(TimedateAddIntervals, U32, 0)                                                             \
  X(TimedateDiffIntervals, U32, 0)                                                            \
  X(TimedateFunctions, U32, 1)                                                                \
  X(TxnIsolationOption, U32, SQL_TXN_READ_COMMITTED | SQL_TXN_SERIALIZABLE)

class KarvellConnection : public Connection {
 public:
  explicit KarvellConnection(Environment* environment);
  ~KarvellConnection() override;

  // A KarvellStatement; null when memory is short.
  Statement* createStatement() override;
  // An application's own descriptor (SQLAllocHandle(SQL_HANDLE_DESC)), to stand in for a
  // statement's application descriptors; null when memory is short.
  Descriptor* createDescriptor() override;

  SQLRETURN connectToDsn(const std::string& dsn, const std::string& user,
                         const std::string& password) override;
  using Connection::driverConnect;
  SQLRETURN driverConnect(SQLHWND window, const std::string& inString, std::string& outString,
                          SQLUSMALLINT completion) override;
  // Always SQL_SUCCESS; frees the statements and descriptors still made on the connection, then
  // closes the server connection when there is one.
  SQLRETURN disconnect() override;
  SQLRETURN getInfo(SQLUSMALLINT infoType, SQLPOINTER value, SQLSMALLINT bufferLength,
                    SQLSMALLINT* stringLength) override;
  // A dotted table name with two dots loses its first qualifier.
  std::string toNativeSql(const std::string& sql) override;
  SQLRETURN endTran(SQLSMALLINT completionType) override;
  // Stored always; sent to the server while connected (login sends the stored value).
  SQLRETURN setAutocommit(SQLUINTEGER autocommit) override;
  // The levels SQL_TXN_ISOLATION_OPTION lists; another level answers "HYC00", a value that is
  // no level "HY024".
  SQLRETURN setTxnIsolation(SQLUINTEGER isolation) override;
  // While connected the server switches to the database first ("USE DATABASE"); a refusal
  // answers the server's error and keeps the database in use. Before connecting the name is
  // stored, and the connect uses that database rather than the data source's.
  SQLRETURN setCurrentCatalog(const std::string& catalog) override;
  // The database in use while connected, as SQL_DATABASE_NAME answers.
  std::string getCurrentCatalog() override;

#define KARVELL_DECLARE_INFO_ANSWER(name, kind, value) Info##kind getInfo##name() override;
  KARVELL_INFO_ANSWERS(KARVELL_DECLARE_INFO_ANSWER)
#undef KARVELL_DECLARE_INFO_ANSWER
  // "major.minor.patch" of the server's version; 0.0.0 before login or without one.
  InfoText getInfoDbmsVer() override;

  // Whether SQLTables lists views, and whether character columns are described with the wide
  // SQL types; statements take both when they are made.
  bool includeViews() const;
  bool effectiveUnicodeTextTypes() const;
  // Opens and authenticates the server connection for the stored settings and runs the set-up
  // commands; on failure nothing stays open and "08S01" is posted.
  SQLRETURN login(const std::string& password);
  // Null while not connected.
  KvlConnection* clientConnection() const;
  // Connected, and the stream to the server still trusted.
  bool isAlive() const;
  SQLUINTEGER getConnectionDead() override;
  // Bounds the replies of a statement's requests, until the next bound, by its query time-out
  // (0: none); inside the set-up commands the connection's bound holds instead.
  void boundStatementReplies(SQLULEN seconds);
  // The state of a request the client library failed: "HY008" when a cancel ended it, the
  // expired time-out's "HYT00" or "HYT01", "08007" for a transaction's end whose outcome is
  // unknown, else "08S01"; null when the server answered with an error of its own.
  const char* clientFailureState(bool endsTransaction) const;
  // Held while a statement marks itself as waiting for the server and while a cancel looks.
  std::mutex& cancelMutex();

 private:
  // The settings both connect paths share once they are read: encodings, flags, numbers and the
  // query log. `wide` and `unicode` are the starting values of the two flags.
  void applySettings(const ConnectionSettings& settings, bool wide, bool unicode);
  void applyServerSettings(const ConnectionSettings& settings);
  // Runs the prompts of the completion mode; SQL_NO_DATA when the user cancelled, "IM008" when a
  // dialog could not be shown.
  SQLRETURN prompt(SQLHWND window, SQLUSMALLINT completion, ConnectionSettings& settings,
                   std::string& working, std::string& user, std::string& password);
  SQLRETURN unconfirmedPrompt(DialogOutcome outcome);
  SQLRETURN postClientFailure(int code, int clientCode, const std::string& clientMessage);
  SQLRETURN runSetupCommands();
  // Bounds the replies of the connection's own requests by SQL_ATTR_CONNECTION_TIMEOUT.
  void boundConnectionReplies();
  // Posts the failure of a connection-level request: the client state when the stream is lost,
  // else the server's error under `serverState`.
  SQLRETURN postRequestFailure(bool endsTransaction, const char* serverState = "08S01");
  // The "server_version" row of SHOW INFO, read on a private statement.
  void readServerVersion();
  void trace(const std::string& line);

  KvlConnection* client_ = nullptr;
  int port_ = 4430;
  int timeout_ = 12;
  bool timeoutGiven_ = false;  // the DSN or the connection string named one
  bool inSetup_ = false;
  std::mutex cancelMutex_;
  const char* timeoutState_ = "HYT00";  // what an expired bound of the current request answers
  // 0 clear, 2/3/4 AES-128/192/256; -1 for a value that names no level (the connect is refused).
  int encryption_ = 0;
  std::string encryptionText_;
  bool includeViews_ = false;
  // The "UserID" of a DSN that keeps one; read, not used to log in.
  std::string userId_;
  std::string serverVersion_;
  int versionMajor_ = 0;
  int versionMinor_ = 0;
  int versionPatch_ = 0;
};
