#include "core/DriverIdentity.h"

#include <cstdio>
#include <cstdlib>

const char* driverFileName() {
#ifdef _WIN32
  return "karvod64.dll";
#else
  return "libkarvod64.so";
#endif
}

const char* driverOdbcVersion() { return "03.00"; }

std::string odbcDriverVersion(const std::string& fileVersion) {
  unsigned long parts[3] = {0, 0, 0};
  const char* at = fileVersion.c_str();
  for (unsigned long& part : parts) {
    char* end = nullptr;
    part = std::strtoul(at, &end, 10);
    if (*end != '.') break;
    at = end + 1;
  }
  // Each field keeps its width: a larger number is cut to its low digits.
  char text[16];
  std::snprintf(text, sizeof text, "%02lu.%02lu.%04lu", parts[0] % 100, parts[1] % 100,
                parts[2] % 10000);
  return text;
}
