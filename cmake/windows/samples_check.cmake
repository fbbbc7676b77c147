# make_examples.exe, run under Wine, writes the sample captures byte for byte
# as they are committed (binary files through the Windows C runtime).
#   cmake -DRUN=<emulator> -DPROGRAM=<make_examples.exe> -DWORK_DIR=<folder>
#         -DSOURCE_DIR=<source folder> -P samples_check.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/samples)
# A relative folder name: the program sees no Unix path.
execute_process(COMMAND ${RUN} ${PROGRAM} samples WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "make_examples.exe ended with status ${status}")
endif()
file(GLOB samples RELATIVE ${SOURCE_DIR}/examples ${SOURCE_DIR}/examples/*.DT)
foreach(sample ${samples})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/samples/${sample} ${SOURCE_DIR}/examples/${sample}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${sample} written under Wine differs from examples/${sample}")
  endif()
endforeach()
list(LENGTH samples count)
message(STATUS "${count} samples the same")
