# Installs the build tree BUILD_DIR into PREFIX and checks that the four
# programs are in PREFIX/bin (run by CTest: cmake -DBUILD_DIR=... -DPREFIX=... -P).
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(program vx5cvt vx5pcap vxprtin vx5firm)
  if(NOT EXISTS "${PREFIX}/bin/${program}")
    message(FATAL_ERROR "${program} is not in ${PREFIX}/bin")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
