# Installs the build tree BUILD_DIR into PREFIX with --strip and checks the
# tree: each of PROGRAMS in bin (smaller than in the build: stripped), its
# gzip-compressed page in share/man/man1 and its completion, the capture
# format page in man5, and the documents and every sample in the doc folder
# (run by CTest: cmake -DBUILD_DIR=... -DPREFIX=... -DSOURCE_DIR=... -DPROGRAMS=... -P).
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}" --strip
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

function(expect_gzip path)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "${path} is not installed")
  endif()
  file(READ "${PREFIX}/${path}" magic LIMIT 2 HEX)
  if(NOT magic STREQUAL "1f8b")
    message(FATAL_ERROR "${path} is not gzip-compressed")
  endif()
endfunction()

set(doc share/doc/vx5200-tools)
foreach(program ${PROGRAMS})
  file(SIZE "${BUILD_DIR}/${program}" built)
  file(SIZE "${PREFIX}/bin/${program}" installed)
  if(NOT installed LESS built)
    message(FATAL_ERROR "bin/${program} is not stripped (${installed} of ${built} bytes)")
  endif()
  expect_gzip(share/man/man1/${program}.1.gz)
  if(NOT EXISTS "${PREFIX}/share/bash-completion/completions/${program}")
    message(FATAL_ERROR "no bash completion for ${program}")
  endif()
endforeach()
expect_gzip(share/man/man5/vx5200-capture.5.gz)
expect_gzip(${doc}/changelog.gz)
file(GLOB samples RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/examples/*.DT" "${SOURCE_DIR}/examples/*.TXT")
foreach(file README.md LICENSE copyright ${samples})
  if(NOT EXISTS "${PREFIX}/${doc}/${file}")
    message(FATAL_ERROR "${doc}/${file} is not installed")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
