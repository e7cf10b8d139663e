#pragma once
// The data source settings the wizard edits: read from a DSN in "ODBC.INI" or from an attribute
// string, handed back as an installer attribute list, and described in the wizard's summary.
#include <string>
#include <vector>

constexpr int defaultPort = 4430;

struct DataSourceSettings {
  std::string dsnName;
  std::string description;
  std::string database;
  std::string server = "localhost";
  int port = defaultPort;
  // 0 none, 2 AES-128, 3 AES-192, 4 AES-256.
  unsigned encryption = 0;
  // An "Encryption" value the driver does not know, written back as it was unless the user
  // picks an entry.
  std::string otherEncryption;
  bool autoDetectEncoding = true;
  bool utf8Encoding = false;
  bool includeViews = false;
  bool queryLogOn = false;
  unsigned queryLogTime = 5000;
  std::string queryLogFile = "c:\\Query.txt";
  bool listDatabases = false;
  // Credentials for the database listing and the connection test; never written to the DSN.
  std::string userId;
  std::string password;
  std::vector<std::string> databaseNames;
};

// Reads the keys the wizard manages; absent keys leave their fields alone, except as the
// reading rules say ("Server" empty gives "localhost").
void readSettingsFromDsn(DataSourceSettings& settings, const std::string& dsn);
// A connection string, or an installer list of which only the first entry counts: the text is
// read up to its first NUL.
void readSettingsFromString(DataSourceSettings& settings, const std::string& text);

// Entries "key=value", each followed by a NUL, the list ended by a further NUL. writeEmpty
// lists cleared settings with empty values, so that writing the list clears them in the DSN.
std::u16string buildAttributeList(const DataSourceSettings& settings, bool includeDsn,
                                  bool writeEmpty, bool includeDatabase);

// The conclusion page's text, lines ended by CR LF.
std::u16string buildSummary(const DataSourceSettings& settings);

// The name of the system's narrow code page, as the encoding choices show it.
std::u16string systemEncodingName();

// An empty port field stands for the default port; otherwise 1 to 65535 in decimal digits.
bool parsePortField(const std::u16string& text, int& port);
