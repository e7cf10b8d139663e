#include "backend/DriverFactories.h"

#include <new>

#include "backend/KarvellConnection.h"
#include "core/DriverIdentity.h"
#include "core/Environment.h"

namespace {

// Names the driver's preference store and is the base of its version text.
constexpr const char* preferenceIdentifier = "com.ferrow.odbc.karvellodbc";

}  // namespace

Environment* createEnvironment() {
  return new (std::nothrow)
      Environment(preferenceIdentifier, driverFileName(), "Karvell ODBC", "Ferrow", nullptr);
}

Connection* createConnection(Environment* environment) {
  return new (std::nothrow) KarvellConnection(environment);
}
