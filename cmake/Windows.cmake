# The Windows cross build (cmake/mingw-w64-x86_64.cmake), included from the
# top CMakeLists.txt after the libraries and the four programs, which build
# from the same folders as on Linux (platform/ takes its Win32 side). Here:
# the unit tests that build for Windows, run under Wine through the
# cross-compiling emulator; the end-to-end tests, a Linux test program (built
# in host/ by a Linux build of this source tree) that runs the .exe under
# Wine; the check that the programs import system DLLs only; the zip.

if(BUILD_TESTING)
  # GoogleTest from Debian's sources (googletest), built with the cross compiler.
  set(VX_GTEST_SOURCE_DIR /usr/src/googletest/googletest CACHE PATH "GoogleTest sources to build for Windows")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${VX_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  include(GoogleTest)

  # The library tests that need no child process, temporary folder or
  # memory stream of the Linux C library.
  add_executable(decode_tests tests/decode/code_tables_test.cpp tests/decode/converters_test.cpp
                              tests/decode/dump_columns_test.cpp tests/decode/frame_assembly_test.cpp)
  target_link_libraries(decode_tests PRIVATE decode capture capture_writer GTest::gtest_main)
  gtest_discover_tests(decode_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)

  add_test(NAME Windows.MakeExamplesWritesTheSamples
    COMMAND ${CMAKE_COMMAND} "-DRUN=${CMAKE_CROSSCOMPILING_EMULATOR}" -DPROGRAM=$<TARGET_FILE:make_examples>
            -DWORK_DIR=${CMAKE_BINARY_DIR}/samples-check -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
            -P ${PROJECT_SOURCE_DIR}/cmake/windows/samples_check.cmake)
  add_test(NAME Windows.ProgramsImportSystemDllsOnly
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DDIR=${CMAKE_BINARY_DIR}
            -P ${PROJECT_SOURCE_DIR}/cmake/windows/check_imports.cmake)

  # The end-to-end tests: a Linux build of this tree in host/ gives the test
  # program (tests/windows) and the Linux programs whose output the Windows
  # programs must match. Built with the rest (host compilers, not the cross ones).
  include(ExternalProject)
  ExternalProject_Add(host
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/host
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DVX_WINDOWS_BUILD_DIR=${CMAKE_BINARY_DIR}
               -DVX_WINE_PREFIX=${CMAKE_BINARY_DIR}/wine-prefix
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target windows_tests --parallel 2
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    DEPENDS vx5cvt vx5pcap vxprtin vx5firm)
  foreach(suite Vx5cvtOnWindows Vx5pcapOnWindows SerialToolsOnWindows)
    add_test(NAME Windows.${suite} COMMAND ${CMAKE_BINARY_DIR}/host/windows_tests --gtest_filter=${suite}.*)
    set_tests_properties(Windows.${suite} PROPERTIES TIMEOUT 300)
  endforeach()
endif()

include(cmake/WindowsPackaging.cmake)
