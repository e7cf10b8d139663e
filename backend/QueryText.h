#pragma once
// Whether a statement text returns rows, so that it goes to the server as a query rather than a
// command (a command's rows would be dropped).
#include <string>

// After blanks, comments and a UTF-8 byte-order mark, the text starts with SELECT, SHOW, WITH,
// VALUES, EXPLAIN or "(", or with PRAGMA and holds no "=" anywhere (a PRAGMA that sets a value).
bool isQueryText(const std::string& sql);

// The query as a table of a query that returns none of its rows, "SELECT * FROM (query) LIMIT 0",
// which describes its result without producing it: from its first word, without trailing blanks
// and semicolons, on lines of its own so that a trailing comment ends there. "" for a text that
// cannot stand as a table: only one that starts with SELECT, WITH, VALUES or "(" can (SHOW,
// EXPLAIN and PRAGMA cannot), and a command never.
std::string describingQuery(const std::string& sql);
