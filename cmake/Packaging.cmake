# Install rules and the Debian package. Included last from the top
# CMakeLists.txt, so that every program target already exists.
#
#   cmake --install build --prefix DIR [--strip]
#       DIR/bin                                 the programs
#       DIR/share/man/man1, man5                the manual pages, gzip -9n
#       DIR/share/doc/vx5200-tools              README, LICENSE, copyright,
#                                               changelog.gz, examples/
#       DIR/share/bash-completion/completions   one completion per program
#       DIR/lib/<multiarch>/wireshark/plugins   the Wireshark plugin (modulo 128)
#   cpack -G DEB (in the build folder)
#       vx5200-tools_<version>_<arch>.deb with the same tree under /usr
include(GNUInstallDirs)

set(VX_PACKAGE_NAME vx5200-tools)
set(VX_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${VX_PACKAGE_NAME})
set(VX_COMPLETION_DIR ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions)

# The programs, each with its manual page and its completion.
set(vx_programs ${VX_PROGRAMS})
install(TARGETS ${vx_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages and the changelog are compressed at build time as Debian
# wants them: gzip -9n keeps no name or time, so the result is reproducible.
set(vx_man_pages)
foreach(program ${vx_programs})
  list(APPEND vx_man_pages ${program}.1)
endforeach()
list(APPEND vx_man_pages vx5200-capture.5)
set(vx_gzipped)
function(vx_gzip source output)
  get_filename_component(dir ${output} DIRECTORY)
  get_filename_component(plain ${output} NAME_WLE)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${dir}/${plain}
    COMMAND gzip -9nf ${dir}/${plain}
    DEPENDS ${source} VERBATIM)
  set(vx_gzipped ${vx_gzipped} ${output} PARENT_SCOPE)
endfunction()
foreach(page ${vx_man_pages})
  vx_gzip(${CMAKE_SOURCE_DIR}/man/${page} ${CMAKE_BINARY_DIR}/man/${page}.gz)
  string(REGEX REPLACE ".*\\." "" section ${page})
  install(FILES ${CMAKE_BINARY_DIR}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
vx_gzip(${CMAKE_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_target(vx_compressed_docs ALL DEPENDS ${vx_gzipped})

# Debian's machine-readable copyright file: its head from packaging/, the
# licence text from LICENSE (one source), each line indented by one blank and
# empty lines written as " .".
file(READ ${CMAKE_SOURCE_DIR}/packaging/copyright.in vx_copyright)
file(STRINGS ${CMAKE_SOURCE_DIR}/LICENSE vx_license_lines)
set(vx_in_terms FALSE)
foreach(line IN LISTS vx_license_lines)
  if(line MATCHES "^Permission is hereby granted")
    set(vx_in_terms TRUE)
  endif()
  if(vx_in_terms AND line STREQUAL "")
    string(APPEND vx_copyright " .\n")
  elseif(vx_in_terms)
    string(APPEND vx_copyright " ${line}\n")
  endif()
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/packaging/copyright "${vx_copyright}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/packaging/copyright.in)

install(FILES README.md LICENSE ${CMAKE_BINARY_DIR}/packaging/copyright
              ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${VX_DOC_DIR})
install(FILES examples/README.md DESTINATION ${VX_DOC_DIR}/examples)
install(DIRECTORY examples/ DESTINATION ${VX_DOC_DIR}/examples
        FILES_MATCHING PATTERN "*.DT" PATTERN "*.TXT")

# One completion script; bash-completion looks a command up by its name, so
# each further program gets a link to it (made here, installed as a link).
set(vx_completions ${CMAKE_SOURCE_DIR}/completion/vx5cvt)
foreach(program ${vx_programs})
  if(NOT program STREQUAL vx5cvt)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/completion)
    file(CREATE_LINK vx5cvt ${CMAKE_BINARY_DIR}/completion/${program} SYMBOLIC)
    list(APPEND vx_completions ${CMAKE_BINARY_DIR}/completion/${program})
  endif()
endforeach()
install(FILES ${vx_completions} DESTINATION ${VX_COMPLETION_DIR})

# The Wireshark plugin that decodes vx5pcap's LAPB and SDLC modulo 128
# exports, in the global Lua plugins folder that Debian's Wireshark 4.0 to 4.6
# read (`tshark -G folders`: /usr/lib/<multiarch>/wireshark/plugins).
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(VX_WIRESHARK_PLUGIN_DIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/wireshark/plugins)
else()
  set(VX_WIRESHARK_PLUGIN_DIR lib/wireshark/plugins)
endif()
install(FILES wireshark/vx5200_mod128.lua DESTINATION ${VX_WIRESHARK_PLUGIN_DIR})

# The Debian package.
set(CPACK_PACKAGE_NAME ${VX_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the VX-5200 tools authors")
set(CPACK_PACKAGE_CONTACT "VX-5200 tools authors <vx5200-tools@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tools for the VX-5200 serial line monitor")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(vx_pcap_line "")
if(TARGET vx5pcap)
  set(vx_pcap_line " * vx5pcap exports a capture as pcapng for packet analyzers;\n")
endif()
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Console tools that accompany the VX-5200 serial data-communications
protocol analyzer (a line monitor that records the send and receive data
of a serial line, its interface control lines, idle times and timestamps):
.
 * vx5cvt turns a capture data file into a printable listing: character
   and hexadecimal dumps, line-state charts, and translations of SDLC,
   X.25 LAPB, LAPD, X.25 packets, Q.931 messages and PPP;
${vx_pcap_line} * vxprtin stores what the analyzer prints over a serial port;
 * vx5firm loads a firmware image into the analyzer through its loader.
.
The package holds manual pages for the programs and for the capture file
format, bash completion, sample captures with their listings, and a
Wireshark plugin that decodes LAPB and SDLC modulo 128 exports.")
# The package is built from the staged install tree; stripping happens there.
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
