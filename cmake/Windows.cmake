# The Windows cross build (cmake/mingw-w64-x86_64.cmake), included from the
# top CMakeLists.txt in place of the Linux build until platform/ has its Win32
# side. It builds what builds for Windows today: the OS-free libraries
# (decode, translate, and vxbase with the capture file's POSIX calls served by
# cmake/windows/posix-shim), the decode unit tests, run under Wine through the
# cross-compiling emulator, and make_examples.exe writing the samples byte for
# byte under Wine. Programs found built are checked for imports of
# system DLLs only and packed by `cpack -G ZIP`.

# GoogleTest from Debian's sources (libgtest-dev), built with the cross compiler.
set(VX_GTEST_SOURCE_DIR /usr/src/googletest/googletest CACHE PATH "GoogleTest sources to build for Windows")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${VX_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

set(vx_shim ${PROJECT_SOURCE_DIR}/cmake/windows/posix-shim)
add_library(vxbase STATIC converter/capture_file.cpp converter/conditions_header.cpp converter/listing_writer.cpp
                          converter/options.cpp converter/record_window.cpp)
target_include_directories(vxbase PUBLIC ${PROJECT_SOURCE_DIR} ${vx_shim})
target_compile_options(vxbase PUBLIC -include ${vx_shim}/posix_shim.h)
add_subdirectory(decode)
add_subdirectory(translate)
add_subdirectory(examples)  # the capture writer

if(BUILD_TESTING)
  include(GoogleTest)
  # The unit tests that need neither child processes nor POSIX streams.
  add_executable(decode_tests tests/decode/code_tables_test.cpp tests/decode/converters_test.cpp
                              tests/decode/dump_columns_test.cpp tests/decode/frame_assembly_test.cpp
                              tests/decode/record_stream_test.cpp)
  target_link_libraries(decode_tests PRIVATE decode vxbase capture_writer GTest::gtest_main)
  gtest_discover_tests(decode_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)

  add_test(NAME Windows.MakeExamplesWritesTheSamples
    COMMAND ${CMAKE_COMMAND} "-DRUN=${CMAKE_CROSSCOMPILING_EMULATOR}" -DPROGRAM=$<TARGET_FILE:make_examples>
            -DWORK_DIR=${CMAKE_BINARY_DIR}/samples-check -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
            -P ${PROJECT_SOURCE_DIR}/cmake/windows/samples_check.cmake)
  add_test(NAME Windows.ProgramsImportSystemDllsOnly
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DDIR=${CMAKE_BINARY_DIR}
            -P ${PROJECT_SOURCE_DIR}/cmake/windows/check_imports.cmake)
endif()

include(cmake/WindowsPackaging.cmake)
