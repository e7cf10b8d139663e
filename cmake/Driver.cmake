# The driver module: every folder library linked whole, exports limited to api/exports.txt.
if(WIN32)
  # The setup dialogs, bitmaps and string tables; the script is UTF-8.
  set(KARVOD_SETUP_RESOURCES ${CMAKE_SOURCE_DIR}/setup/win32/Setup.rc)
  set_source_files_properties(${KARVOD_SETUP_RESOURCES} PROPERTIES COMPILE_OPTIONS "-c;65001")
endif()
set(karvod_driver_parts platform core client statement backend api setup)
set(karvod_driver_archives "")
foreach(part IN LISTS karvod_driver_parts)
  get_target_property(kind karvod_${part} TYPE)
  if(kind STREQUAL "STATIC_LIBRARY")
    list(APPEND karvod_driver_archives $<TARGET_FILE:karvod_${part}>)
  endif()
endforeach()

set(driver_sources ${CMAKE_SOURCE_DIR}/api/LibraryEntry.cpp)
if(WIN32)
  configure_file(${CMAKE_SOURCE_DIR}/api/karvod64.rc.in ${CMAKE_BINARY_DIR}/karvod64.rc @ONLY)
  list(APPEND driver_sources ${CMAKE_BINARY_DIR}/karvod64.rc ${CMAKE_BINARY_DIR}/karvod64.def
       ${KARVOD_SETUP_RESOURCES})
endif()

add_library(karvod64 SHARED ${driver_sources})
set_target_properties(karvod64 PROPERTIES PREFIX "lib" OUTPUT_NAME karvod64)
if(WIN32)
  set_target_properties(karvod64 PROPERTIES PREFIX "")
endif()
target_include_directories(karvod64 PRIVATE ${CMAKE_SOURCE_DIR})
foreach(part IN LISTS karvod_driver_parts)
  add_dependencies(karvod64 karvod_${part})
endforeach()
target_link_libraries(karvod64 PRIVATE
  -Wl,--whole-archive ${karvod_driver_archives} -Wl,--no-whole-archive
  ${KARVOD_SYSTEM_LIBS})
if(NOT WIN32)
  target_link_options(karvod64 PRIVATE
    -Wl,--version-script=${CMAKE_BINARY_DIR}/karvod64.map
    -Wl,-Bsymbolic-functions -Wl,--no-undefined)
  set_property(TARGET karvod64 APPEND PROPERTY LINK_DEPENDS ${CMAKE_BINARY_DIR}/karvod64.map)
endif()
