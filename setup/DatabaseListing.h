#pragma once
// How the wizard lists a server's databases (Next on the connection page with "connect to host"
// checked). The server's own listing unless replaced, so that the wizard can be driven without
// a server.
#include <functional>
#include <string>
#include <vector>

#include "setup/DataSourceSettings.h"

// Fills `names` and answers true, or answers false with the server's message (maybe empty).
using DatabaseLister = std::function<bool(const DataSourceSettings& settings,
                                          std::vector<std::string>& names, std::string& message)>;

const DatabaseLister& databaseLister();
// Answers the lister before.
DatabaseLister setDatabaseLister(DatabaseLister lister);
