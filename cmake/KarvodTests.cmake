# Where the tests find the development server and the driver module. On Windows the server is the
# Linux build's, handed over by scripts/test; a test that needs it and finds none is skipped.
if(WIN32)
  set(KARVELL_DEVSERVER "" CACHE FILEPATH "Linux karvell-devserver used by the Windows tests")
elseif(TARGET karvell-devserver)
  set(KARVELL_DEVSERVER $<TARGET_FILE:karvell-devserver>)
else()
  set(KARVELL_DEVSERVER "")
endif()

function(karvod_test folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${folder} ${sources})
  target_include_directories(test_${folder} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(test_${folder} PRIVATE ${ARGN} karvod_test_support GTest::gtest_main)
  add_dependencies(test_${folder} karvod64)
  if(TARGET karvell-devserver)
    add_dependencies(test_${folder} karvell-devserver)
  endif()
  add_test(NAME ${folder} COMMAND test_${folder})
  set_tests_properties(${folder} PROPERTIES
    ENVIRONMENT "KARVELL_DEVSERVER=${KARVELL_DEVSERVER};KARVOD_DRIVER=$<TARGET_FILE:karvod64>;KARVOD_SOURCE_DIR=${CMAKE_SOURCE_DIR};KARVOD_BINARY_DIR=${CMAKE_BINARY_DIR}"
    TIMEOUT 900)
endfunction()
