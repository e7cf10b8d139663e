#include "setup/DatabaseListing.h"

#include <cstdint>
#include <utility>

#include "backend/ServerDatabases.h"

namespace {

bool listOnServer(const DataSourceSettings& settings, std::vector<std::string>& names,
                  std::string& message) {
  SQLINTEGER nativeError = 0;
  return listServerDatabases(settings.server, static_cast<std::uint16_t>(settings.port),
                             settings.encryption, settings.userId, settings.password, names,
                             nativeError, message) == SQL_SUCCESS;
}

DatabaseLister& installed() {
  static DatabaseLister lister = listOnServer;
  return lister;
}

}  // namespace

const DatabaseLister& databaseLister() { return installed(); }

DatabaseLister setDatabaseLister(DatabaseLister lister) {
  DatabaseLister previous = std::move(installed());
  installed() = std::move(lister);
  return previous;
}
