#pragma once
// Marks an exported ODBC entry point. Everything else is hidden; on Windows the .def file lists them.
#ifdef _WIN32
#define KARVOD_EXPORT extern "C"
#else
#define KARVOD_EXPORT extern "C" __attribute__((visibility("default")))
#endif
