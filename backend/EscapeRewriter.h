#pragma once
// ODBC escape sequences in the server's dialect. Outside quotes and comments, "{ts ", "{d ",
// "{t ", "{fn " and "{oj " lose their prefix and "{escape " becomes "ESCAPE "; {mm/dd/yyyy},
// {mm/dd/yy}, {hh:mm[:ss]} and the date-time forms become DATE, TIME and TIMESTAMP literals (a
// two-digit year 80-99 is 19yy, 00-79 20yy, fields unpadded); finally every "}" is removed.
// Quoted text and comments are never changed, so '{1/2/2005}' reaches the server as written.
#include <string>

void rewriteEscapes(std::string& sql);
