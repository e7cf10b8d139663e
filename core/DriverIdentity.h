#pragma once
// What the driver says about itself through SQLGetInfo. A connection handle answers these before
// any connection exists, so they depend on nothing but the build (the third such answer, the
// file version, is platform::driverVersionText()).

// The driver module's file name: "karvod64.dll" on Windows, "libkarvod64.so" elsewhere.
const char* driverFileName();

// The ODBC version the driver conforms to: "03.00".
const char* driverOdbcVersion();
