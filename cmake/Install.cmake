# `cmake --install` puts the driver where the system's Driver Manager keeps ODBC drivers and ships
# the odbcinst.ini section that registers it:
#   odbcinst -i -d -f <prefix>/share/karvod/karvell-odbcinst.ini
# (and `odbcinst -u -d -n "Karvell ODBC"` removes it).
include(GNUInstallDirs)
# Relative to the prefix: with the prefix /usr, GNUInstallDirs names Debian's multiarch library
# folder, whose odbc/ holds unixODBC's drivers (`odbcinst -j` shows the ini files it reads).
set(KARVOD_ODBC_DRIVER_DIR "${CMAKE_INSTALL_LIBDIR}/odbc" CACHE STRING
    "Folder of the installed driver, under the install prefix unless absolute")
set(KARVOD_ODBCINST_TEMPLATE_DIR "${CMAKE_INSTALL_DATADIR}/karvod")
install(TARGETS karvod64 LIBRARY DESTINATION ${KARVOD_ODBC_DRIVER_DIR})
# Written at install time: the prefix may be chosen then (`cmake --install build --prefix DIR`),
# and the section names the driver where it is installed.
install(CODE "
  set(driver_dir \"${KARVOD_ODBC_DRIVER_DIR}\")
  if(NOT IS_ABSOLUTE \"\${driver_dir}\")
    set(driver_dir \"\${CMAKE_INSTALL_PREFIX}/\${driver_dir}\")
  endif()
  set(KARVOD_DRIVER_PATH \"\${driver_dir}/$<TARGET_FILE_NAME:karvod64>\")
  set(template
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${KARVOD_ODBCINST_TEMPLATE_DIR}/karvell-odbcinst.ini\")
  message(STATUS \"Installing: \${template}\")
  configure_file(\"${CMAKE_SOURCE_DIR}/cmake/karvell-odbcinst.ini.in\" \"\${template}\" @ONLY)
")
