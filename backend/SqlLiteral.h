#pragma once
// Texts written into SQL for the server, whose string literals double their quotes and take no
// backslash escapes.
#include <string>

// Every "'" doubled.
std::string doubleQuotes(const std::string& text);

// The text as one string literal: '...' with its quotes doubled.
std::string quotedLiteral(const std::string& text);
