#include "core/ValueText.h"

#include <locale>
#include <sstream>

namespace {

// The host application may have changed the global locale; texts for the server and the trace
// must not follow it.
std::ostringstream classicStream() {
  std::ostringstream stream;
  stream.imbue(std::locale::classic());
  return stream;
}

}  // namespace

std::string intToString(SQLINTEGER value) {
  std::ostringstream stream = classicStream();
  stream << value;
  return stream.str();
}

std::string doubleToString(double value) {
  std::ostringstream stream = classicStream();
  stream << value;
  return stream.str();
}

std::string charToString(const unsigned char* byte) {
  return std::string(1, static_cast<char>(*byte));
}

std::string dateToString(const SQL_DATE_STRUCT& date) {
  std::ostringstream stream = classicStream();
  stream << date.year << '-' << date.month << '-' << date.day;
  return stream.str();
}

std::string timeToString(const SQL_TIME_STRUCT& time) {
  std::ostringstream stream = classicStream();
  stream << time.hour << ':' << time.minute << ':' << time.second;
  return stream.str();
}

std::string timestampToString(const SQL_TIMESTAMP_STRUCT& timestamp) {
  std::ostringstream stream = classicStream();
  stream << timestamp.year << '-' << timestamp.month << '-' << timestamp.day << ' '
         << timestamp.hour << ':' << timestamp.minute << ':' << timestamp.second;
  return stream.str();
}
