#pragma once
// Adding, configuring and removing this driver's data sources for the ODBC installer
// (ConfigDSNW, ConfigDSN). Without a window nothing is shown and the attributes are written as
// given; with one the wizard runs.
#include <string>

// Requests: 1 ODBC_ADD_DSN, 2 ODBC_CONFIG_DSN, 3 ODBC_REMOVE_DSN; other requests do nothing.
// False for a failure, with an installer error posted; a cancelled wizard or a declined
// overwrite is no failure.
bool configDsn(void* window, unsigned short request, const char16_t* driverName,
               const char16_t* attributes);
