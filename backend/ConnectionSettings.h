#pragma once
// The data-source settings of one connect, as texts: read from a DSN's keys in "ODBC.INI" or from
// a connection string, where keywords win and the DSN named in the string fills what they lack.
#include <array>
#include <cstddef>
#include <string>

enum class Setting : std::size_t {
  Server,
  Database,
  Port,
  Timeout,
  Encryption,
  UseKeychain,
  UserId,
  IncludeViews,
  WideApi,
  UnicodeTextTypes,
  MultiByteEncoding,
  QueryLogOn,
  QueryLogTime,
  QueryLogFile,
  // Only a connection string sets these when it names a DSN.
  AutoDetectEncoding,
  SendSystemEncoding,
  ReceiveSystemEncoding,
  ReturnUnicode,
  SetAppLocale,
  Count
};

class ConnectionSettings {
 public:
  static ConnectionSettings fromDsn(const std::string& dsn);
  static ConnectionSettings fromConnectionString(const std::string& text);

  // Settings that a data source keeps and that are still empty are read from it.
  void fillFromDsn(const std::string& dsn);
  // The server, database, port, timeout and encryption of a new connection string (the one the
  // settings dialog answers).
  void readServerSettings(const std::string& text);

  const std::string& operator[](Setting setting) const;
  // Upper-cased, the value is exactly "YES".
  bool isYes(Setting setting) const;
  // The encoding for text sent and received: MultiByteEncoding, or UTF-8 when either system
  // encoding is switched off.
  std::string encodingName() const;

 private:
  // Every setting from read(key).
  template <typename Read>
  static ConnectionSettings read(Read read);
  // Derived settings: "ReturnUnicode" and "SetAppLocale" switch on the flags they stand for.
  void settle();

  std::array<std::string, static_cast<std::size_t>(Setting::Count)> values_;
};

// Upper-cased, the text is exactly "YES" (or "NO"); an absent key reads as "".
bool isYesText(const std::string& text);
bool isNoText(const std::string& text);
