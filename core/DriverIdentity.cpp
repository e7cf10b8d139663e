#include "core/DriverIdentity.h"

const char* driverFileName() {
#ifdef _WIN32
  return "karvod64.dll";
#else
  return "libkarvod64.so";
#endif
}

const char* driverOdbcVersion() { return "03.00"; }
