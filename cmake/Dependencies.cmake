find_package(Threads REQUIRED)
if(WIN32)
  # Boost is header-only here; the host's headers serve the cross build through a folder that
  # holds only boost/, so no host C header can shadow mingw's own.
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/boost-include)
  file(CREATE_LINK /usr/include/boost ${CMAKE_BINARY_DIR}/boost-include/boost SYMBOLIC)
  add_library(Boost::boost INTERFACE IMPORTED)
  set_target_properties(Boost::boost PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/boost-include)
else()
  find_package(Boost REQUIRED)
endif()

if(WIN32)
  # mingw's zlib ships both an import library and a static archive; the driver takes the archive.
  find_library(KARVOD_STATIC_ZLIB NAMES libz.a REQUIRED)
  add_library(ZLIB::ZLIB STATIC IMPORTED)
  set_target_properties(ZLIB::ZLIB PROPERTIES IMPORTED_LOCATION ${KARVOD_STATIC_ZLIB})
  set(KARVOD_SYSTEM_LIBS ZLIB::ZLIB ws2_32 version bcrypt user32 gdi32 comdlg32 advapi32 shell32)
else()
  find_package(ZLIB REQUIRED)
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
  find_package(SQLite3 REQUIRED)
  find_library(KARVOD_ODBCINST odbcinst REQUIRED)
  find_path(KARVOD_ODBC_INCLUDE sql.h REQUIRED)
  set(KARVOD_SYSTEM_LIBS ${KARVOD_ODBCINST} ZLIB::ZLIB Threads::Threads ${CMAKE_DL_LIBS})
endif()

# GoogleTest is built from the sources Debian ships, so both targets use the same framework.
set(KARVOD_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${KARVOD_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
