#pragma once
// The databases of a server, for choosing one before any data source exists (the setup
// wizard's database page).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Odbc.h"

// Connects with the given settings on a connection of its own, asks "show databases" and
// appends the names, whole, to `names`. Encryption is the client library's level: 0 clear,
// 2, 3, 4 AES-128, AES-192, AES-256. SQL_SUCCESS, or SQL_ERROR with the first diagnostic's
// native error and message; nothing stays open either way.
SQLRETURN listServerDatabases(const std::string& server, std::uint16_t port,
                              std::uint32_t encryption, const std::string& user,
                              const std::string& password, std::vector<std::string>& names,
                              SQLINTEGER& nativeError, std::string& message);
