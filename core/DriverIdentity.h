#pragma once
// What the driver says about itself through SQLGetInfo. A connection handle answers these before
// any connection exists, so they depend on nothing but the build.
#include <string>

// The driver module's file name: "karvod64.dll" on Windows, "libkarvod64.so" elsewhere.
const char* driverFileName();

// The ODBC version the driver conforms to: "03.00".
const char* driverOdbcVersion();

// SQL_DRIVER_VER: the module's file version "major.minor.release.build" in ODBC's "##.##.####"
// form, major, minor and release zero-padded ("1.0.0.1" gives "01.00.0000"). A version that is
// not there ("" when the module has no version resource) gives "00.00.0000".
std::string odbcDriverVersion(const std::string& fileVersion);
