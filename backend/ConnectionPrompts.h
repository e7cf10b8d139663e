#pragma once
// The dialogs with which SQLDriverConnect completes a connection string: the data-source
// settings and the login. The setup user interface provides them where it exists (Windows) and
// registers them once; without a registration every completion mode connects without a dialog,
// as SQL_DRIVER_NOPROMPT does. Texts are UTF-8.
#include <string>

#include "platform/Odbc.h"

// How a dialog ended. A dialog that could not be shown has failed: the connect reports it
// rather than treat it as the user's cancel.
enum class DialogOutcome { confirmed, cancelled, failed };

class ConnectionPrompts {
 public:
  virtual ~ConnectionPrompts() = default;

  // The data-source settings, filled from the connection string. When the user confirmed,
  // `attributes` holds the settings as an attribute string (";"-separated entries, or entries
  // each ended by a NUL with an empty entry last).
  virtual DialogOutcome editDataSource(SQLHWND window, const std::string& displayName,
                              const std::string& dsn, const std::string& connectionString,
                              SQLUSMALLINT completion, std::string& attributes) = 0;

  // The user name and password for the connection string.
  virtual DialogOutcome askLogin(SQLHWND window, const std::string& connectionString, std::string& user,
                        std::string& password) = 0;
};

// The registered prompts, or null. Registration is meant for the library's start-up (and for
// tests); the object must outlive every connect.
ConnectionPrompts* connectionPrompts();
void setConnectionPrompts(ConnectionPrompts* prompts);
