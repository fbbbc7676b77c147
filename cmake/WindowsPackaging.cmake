# The Windows zip, made from the install tree by `cpack -G ZIP` in the build
# folder (cmake/Packaging.cmake makes the Linux package):
#   vx5200-tools-<version>-win64.zip
#     vx5200-tools-<version>-win64/   the programs (.exe), README.md, LICENSE
#       man/      the manual pages as HTML
#       examples/ the sample captures (.DT) with their listings (.TXT)
#       wireshark/ the Wireshark plugin, with where to put it
set(VX_PACKAGE_NAME vx5200-tools)

install(TARGETS vx5cvt vxprtin vx5firm vx5pcap RUNTIME DESTINATION .)

install(FILES README.md LICENSE DESTINATION .)

# Manual pages as HTML, for a system without man. groff draws each table as
# an image beside its page (<page>-1.png, ...); a table that crosses a page
# boundary of its drawing comes out cut, so each starts a page (in HTML a
# page break shows as nothing).
find_program(VX_GROFF groff REQUIRED)
set(vx_html_files)
file(GLOB vx_man_sources ${PROJECT_SOURCE_DIR}/man/*.[1-9])
set(vx_html_dir ${CMAKE_BINARY_DIR}/man-html)
file(MAKE_DIRECTORY ${vx_html_dir})
foreach(page ${vx_man_sources})
  get_filename_component(name ${page} NAME)
  file(STRINGS ${page} tables REGEX "^\\.TS")
  list(LENGTH tables table_count)
  set(outputs ${vx_html_dir}/${name}.html)
  if(table_count GREATER 0)
    foreach(n RANGE 1 ${table_count})
      list(APPEND outputs ${vx_html_dir}/${name}-${n}.png)
    endforeach()
  endif()
  # SOURCE_DATE_EPOCH: groff then writes no build time into the page.
  add_custom_command(OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
            sh -c "sed -e '/^\\.TS/i .bp' \"$1\" | ${VX_GROFF} -t -man -Thtml -P-I\"$2\"- > \"$2\".html" sh ${page} ${name}
    WORKING_DIRECTORY ${vx_html_dir}
    DEPENDS ${page} VERBATIM)
  list(APPEND vx_html_files ${outputs})
endforeach()
add_custom_target(vx_html_pages ALL DEPENDS ${vx_html_files})
install(FILES ${vx_html_files} DESTINATION man)

install(FILES examples/README.md DESTINATION examples)
install(DIRECTORY examples/ DESTINATION examples FILES_MATCHING PATTERN "*.DT" PATTERN "*.TXT")

file(GLOB vx_plugins ${PROJECT_SOURCE_DIR}/wireshark/*.lua)
if(vx_plugins)
  install(FILES ${vx_plugins} ${PROJECT_SOURCE_DIR}/cmake/windows/wireshark-plugin.txt DESTINATION wireshark)
endif()

set(CPACK_PACKAGE_NAME ${VX_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the VX-5200 tools authors")
set(CPACK_PACKAGE_FILE_NAME ${VX_PACKAGE_NAME}-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR ZIP)
include(CPack)
