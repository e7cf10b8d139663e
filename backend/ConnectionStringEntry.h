#pragma once
// Entries written into connection strings. A value that holds ";", or starts with "{" or a blank,
// is written in braces with each "}" doubled, so that it reads back whole and adds no keys; any
// other value is written as it is.
#include <string>

// "KEY=value" without a separator.
std::string connectionStringEntry(const char* key, const std::string& value);
