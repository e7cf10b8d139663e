#include "setup/DatabaseListing.h"

#include <utility>

namespace {

DatabaseLister& installed() {
  static DatabaseLister lister;
  return lister;
}

}  // namespace

const DatabaseLister& databaseLister() { return installed(); }

DatabaseLister setDatabaseLister(DatabaseLister lister) {
  DatabaseLister previous = std::move(installed());
  installed() = std::move(lister);
  return previous;
}
