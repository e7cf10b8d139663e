#pragma once
// Whether a statement text returns rows, so that it goes to the server as a query rather than a
// command (a command's rows would be dropped).
#include <string>

// After blanks, comments and a UTF-8 byte-order mark, the text starts with SELECT, SHOW, WITH,
// VALUES, EXPLAIN or "(", or with PRAGMA and holds no "=" anywhere (a PRAGMA that sets a value).
bool isQueryText(const std::string& sql);
