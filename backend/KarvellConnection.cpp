#include "backend/KarvellConnection.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <new>

#include "backend/ConnectionPrompts.h"
#include "backend/ConnectionSettings.h"
#include "backend/ConnectionStringEntry.h"
#include "backend/KarvellStatement.h"
#include "client/kvl.h"
#include "core/AttributeString.h"
#include "core/Environment.h"
#include "core/TextUtilities.h"
#include "statement/Descriptor.h"
#include "statement/SqlTextScanner.h"

namespace {

// Applications that need other encoding settings than the defaults. A row matches when its name
// begins the executable's name and the application's version is at least its minimum.
struct ApplicationOverride {
  const char* name;
  int minimumVersion;
  bool wideApi;
  bool unicodeTextTypes;
  const char* encoding;
};

constexpr ApplicationOverride applicationOverrides[] = {{"XXXX", 0, false, false, ""}};

const ApplicationOverride* findApplicationOverride(const std::string& name,
                                                   const std::string& versionText) {
  const int version = std::atoi(versionText.c_str());
  for (const ApplicationOverride& row : applicationOverrides) {
    if (name.compare(0, std::char_traits<char>::length(row.name), row.name) == 0 &&
        row.minimumVersion <= version)
      return &row;
  }
  return nullptr;
}

// The client library's level for an "Encryption" value: empty or NONE (any case) is clear; -1
// for a value that names no level, which must not silently connect in clear.
int encryptionLevel(const std::string& text) {
  if (text.empty() || compareNoCase(text.c_str(), "NONE") == 0) return 0;
  if (compareNoCase(text.c_str(), "AES128") == 0) return 2;
  if (compareNoCase(text.c_str(), "AES192") == 0) return 3;
  if (compareNoCase(text.c_str(), "AES256") == 0) return 4;
  return -1;
}

// Adds "KEY=value" to a connection string, with the separator it needs; an empty value adds
// nothing.
void appendEntry(std::string& connectionString, const char* key, const std::string& value) {
  if (value.empty()) return;
  if (!connectionString.empty() && connectionString.back() != ';') connectionString += ';';
  connectionString += connectionStringEntry(key, value) + ";";
}

// A number setting; values beyond int are clamped rather than wrapped.
int settingNumber(const std::string& text) {
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// A window the dialogs can belong to: neither null nor all ones.
bool isDialogParent(SQLHWND window) {
  return window != nullptr && window != reinterpret_cast<SQLHWND>(~std::uintptr_t{0});
}

}  // namespace

KarvellConnection::KarvellConnection(Environment* environment) : Connection(environment) {
  setEncoding("UTF-8");
}

KarvellConnection::~KarvellConnection() { disconnect(); }

Statement* KarvellConnection::createStatement() { return new (std::nothrow) KarvellStatement(this); }

Descriptor* KarvellConnection::createDescriptor() {
  return new (std::nothrow) Descriptor(this, DescriptorType::explicitlyAllocated);
}

SQLRETURN KarvellConnection::connectToDsn(const std::string& dsn, const std::string& user,
                                          const std::string& password) {
  diagnostics().clear();
  dataSourceName_ = dsn;
  user_ = user;
  userId_.clear();
  const ConnectionSettings settings = ConnectionSettings::fromDsn(dsn);
  applySettings(settings, isWideAPI(), isUnicodeTextTypes());
  applyServerSettings(settings);
  return login(password);
}

SQLRETURN KarvellConnection::driverConnect(SQLHWND window, const std::string& inString,
                                           std::string& outString, SQLUSMALLINT completion) {
  diagnostics().clear();
  std::string working = inString;
  const std::string dsn = connectionStringValue(working, "DSN");
  dataSourceName_ = dsn;
  userId_.clear();
  ConnectionSettings settings = ConnectionSettings::fromConnectionString(working);
  settings.fillFromDsn(dsn);
  applySettings(settings, false, false);

  std::string user = connectionStringValue(working, "UID");
  std::string password = connectionStringValue(working, "PWD");
  SQLRETURN rc = prompt(window, completion, settings, working, user, password);
  user_ = user;
  applyServerSettings(settings);
  if (SQL_SUCCEEDED(rc)) rc = login(password);
  outString = working;
  return rc;
}

SQLRETURN KarvellConnection::prompt(SQLHWND window, SQLUSMALLINT completion,
                                    ConnectionSettings& settings, std::string& working,
                                    std::string& user, std::string& password) {
  ConnectionPrompts* prompts = connectionPrompts();
  const bool completes = completion == SQL_DRIVER_COMPLETE ||
                         completion == SQL_DRIVER_COMPLETE_REQUIRED;
  // Without a window to own them the dialogs would block a service on a screen nobody sees: the
  // mode then acts as SQL_DRIVER_NOPROMPT.
  if (prompts == nullptr || !isDialogParent(window) ||
      !(completes || completion == SQL_DRIVER_PROMPT))
    return SQL_SUCCESS;
  const std::string& dsn = dataSourceName_;
  if (completion == SQL_DRIVER_PROMPT || settings[Setting::Database].empty()) {
    std::string attributes;
    const DialogOutcome outcome = prompts->editDataSource(window, environment()->displayName(),
                                                          dsn, working, completion, attributes);
    if (outcome != DialogOutcome::confirmed) return unconfirmedPrompt(outcome);
    const std::string confirmed =
        normalizeConnectionString(attributes.data(), static_cast<SQLINTEGER>(attributes.size()));
    // The wizard answers the settings; the application's credentials stay unless it answered
    // its own.
    working = confirmed;
    if (connectionStringValue(confirmed, "UID").empty()) appendEntry(working, "UID", user);
    if (connectionStringValue(confirmed, "PWD").empty()) appendEntry(working, "PWD", password);
    // What the user confirmed wins; the data source fills only what it leaves out.
    settings.readServerSettings(working);
    settings.fillFromDsn(dsn);
    user = connectionStringValue(working, "UID");
    password = connectionStringValue(working, "PWD");
  }
  if (user.empty()) {
    const DialogOutcome outcome = prompts->askLogin(window, working, user, password);
    if (outcome != DialogOutcome::confirmed) return unconfirmedPrompt(outcome);
    appendEntry(working, "UID", user);
    appendEntry(working, "PWD", password);
  }
  // The completed string goes back to the application to connect with again as it stands: it
  // names the data source or the driver, as the Driver Manager needs.
  if (connectionStringValue(working, "DSN").empty() &&
      connectionStringValue(working, "DRIVER").empty()) {
    working = (dsn.empty() ? "DRIVER={" + environment()->displayName() + "}"
                           : connectionStringEntry("DSN", dsn)) +
              ";" + working;
  }
  return SQL_SUCCESS;
}

SQLRETURN KarvellConnection::unconfirmedPrompt(DialogOutcome outcome) {
  if (outcome == DialogOutcome::cancelled) return SQL_NO_DATA;
  diagnostics().post("IM008", 0, "", -1, -1);
  return SQL_ERROR;
}

void KarvellConnection::applySettings(const ConnectionSettings& settings, bool wide,
                                      bool unicode) {
  if (settings.isYes(Setting::WideApi)) wide = true;
  if (settings.isYes(Setting::UnicodeTextTypes)) unicode = true;
  std::string encoding = settings.encodingName();
  const std::string& autoDetect = settings[Setting::AutoDetectEncoding];
  if (isYesText(autoDetect) || (!wide && !unicode && encoding.empty() && autoDetect.empty())) {
    if (const ApplicationOverride* row = findApplicationOverride(
            environment()->applicationName(), environment()->applicationVersion())) {
      wide = row->wideApi;
      unicode = row->unicodeTextTypes;
      encoding = row->encoding;
    }
  }
  setUnicodeTextTypes(unicode);
  if (wide) setWideAPI(true);
  trace("// wideAPI: " + std::to_string(wide ? 1 : 0) +
        " unicodeTextTypes: " + std::to_string(unicode ? 1 : 0) + " encoding: " + encoding);
  setSendEncoding(encoding);
  setReceiveEncoding(encoding);
  if (settings.isYes(Setting::QueryLogOn) && !settings[Setting::QueryLogFile].empty()) {
    enableQueryLog(static_cast<SQLUINTEGER>(settingNumber(settings[Setting::QueryLogTime])),
                   settings[Setting::QueryLogFile]);
  }
  if (settings.isYes(Setting::UseKeychain)) userId_ = settings[Setting::UserId];
  includeViews_ = settings.isYes(Setting::IncludeViews);
}

void KarvellConnection::applyServerSettings(const ConnectionSettings& settings) {
  server_ = settings[Setting::Server];
  database_ = settings[Setting::Database];
  if (!settings[Setting::Port].empty()) port_ = settingNumber(settings[Setting::Port]);
  timeoutGiven_ = !settings[Setting::Timeout].empty();
  if (timeoutGiven_) timeout_ = settingNumber(settings[Setting::Timeout]);
  encryptionText_ = settings[Setting::Encryption];
  encryption_ = encryptionLevel(encryptionText_);
}

SQLRETURN KarvellConnection::getInfo(SQLUSMALLINT infoType, SQLPOINTER value,
                                     SQLSMALLINT bufferLength, SQLSMALLINT* stringLength) {
  diagnostics().clear();
  return Connection::getInfo(infoType, value, bufferLength, stringLength);
}

// The server quotes identifiers in back quotes too: a dot inside them is part of the name.
std::string KarvellConnection::toNativeSql(const std::string& sql) {
  return stripNameQualifiers(sql, 2);
}

bool KarvellConnection::includeViews() const { return includeViews_; }

bool KarvellConnection::effectiveUnicodeTextTypes() const { return isUnicodeTextTypes(); }

KvlConnection* KarvellConnection::clientConnection() const { return client_; }

bool KarvellConnection::isAlive() const {
  return isConnected() && client_ != nullptr && kvl_connection_lost(client_) == 0;
}

SQLUINTEGER KarvellConnection::getConnectionDead() { return isAlive() ? SQL_CD_FALSE : SQL_CD_TRUE; }

void KarvellConnection::boundStatementReplies(SQLULEN seconds) {
  if (inSetup_ || client_ == nullptr) return;
  kvl_set_reply_limit(client_, static_cast<std::uint32_t>(std::min<SQLULEN>(seconds, UINT32_MAX)));
  timeoutState_ = "HYT00";
}

void KarvellConnection::boundConnectionReplies() {
  kvl_set_reply_limit(client_, getConnectionTimeout());
  timeoutState_ = "HYT01";
}

std::mutex& KarvellConnection::cancelMutex() { return cancelMutex_; }

const char* KarvellConnection::clientFailureState(bool endsTransaction) const {
  if (client_ == nullptr || kvl_connection_lost(client_) == 0) return nullptr;
  switch (kvl_error_code(client_)) {
    case kvlCancelled: return "HY008";
    case kvlTimedOut: return timeoutState_;
    default: return endsTransaction ? "08007" : "08S01";
  }
}

void KarvellConnection::trace(const std::string& line) {
  if (isTracing()) traceStream().writeLine(line);
}
