# Installation of the programs (cmake/programs.cmake) with their manual
# pages and documents, and the packages made from it: a .deb on Linux that
# Debian's lintian accepts, a .zip for each Windows build. The libraries,
# the tests and the sample maker are not installed.
include(GNUInstallDirs)

set(talk_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(talk_package_files ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${talk_package_files})

# The maintainer named in the .deb and its changelog.
set(TALK_PACKAGE_MAINTAINER "talklist project <talklist@users.noreply.example>" CACHE STRING
    "the maintainer of the packages: name <address>")

# Installed programs are stripped, as Debian's own helper strips them: no
# symbols, no compiler notes.
install(TARGETS ${TALK_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(CMAKE_STRIP)
  foreach(program ${TALK_PROGRAMS})
    install(CODE "
      set(file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${program}>\")
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                              \"\${file}\" RESULT_VARIABLE result)
      if(NOT result EQUAL 0)
        message(FATAL_ERROR \"cannot strip \${file}\")
      endif()")
  endforeach()
endif()

# DESTINATION: SOURCE as a text file with CR LF line ends, written when
# the build is configured (and again whenever SOURCE changes).
function(talk_crlf_copy source destination)
  file(READ ${source} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${destination} "${text}")
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

if(WIN32)
  # Windows has no man: plain-text copies of the pages, made on the build
  # host, stand beside the programs, in UTF-8 as the pages are (talkdata's
  # holds Japanese characters). Every text file of the archive has CR LF
  # line ends, as Windows editors expect; a short README for Windows stands
  # at its top.
  find_program(TALK_GROFF groff REQUIRED)
  foreach(tool ${TALK_PROGRAMS})
    set(page ${PROJECT_SOURCE_DIR}/man/${tool}.1)
    set(text ${CMAKE_BINARY_DIR}/man/${tool}.txt)
    add_custom_command(OUTPUT ${text}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND bash -c "set -o pipefail; export LC_ALL=C.UTF-8; '${TALK_GROFF}' -k -man -Tutf8 -c '${page}' | col -bx | sed 's/$/\\r/' > '${text}'"
      DEPENDS ${page} VERBATIM)
    list(APPEND talk_manual_texts ${text})
  endforeach()
  add_custom_target(manual_texts ALL DEPENDS ${talk_manual_texts})
  install(FILES ${talk_manual_texts} DESTINATION ${CMAKE_INSTALL_BINDIR})
  configure_file(${talk_packaging}/README-windows.txt ${talk_package_files}/README.txt @ONLY
                 NEWLINE_STYLE CRLF)
  talk_crlf_copy(${PROJECT_SOURCE_DIR}/README.md ${talk_package_files}/README.md)
  talk_crlf_copy(${PROJECT_SOURCE_DIR}/LICENSE ${talk_package_files}/LICENSE.txt)
  install(FILES ${talk_package_files}/README.txt ${talk_package_files}/README.md
                ${talk_package_files}/LICENSE.txt DESTINATION .)
else()
  # Debian's layout: manual pages and the changelog compressed with gzip
  # at its highest level and without a time stamp, the licence in a
  # copyright file of Debian's machine-readable format, and lintian's
  # overrides with their reasons.
  find_program(TALK_GZIP gzip REQUIRED)
  set(gz ${talk_package_files}/gz)
  set(TALK_DEBIAN_VERSION ${PROJECT_VERSION}-1)
  configure_file(${talk_packaging}/changelog.Debian.in ${talk_package_files}/changelog.Debian
                 @ONLY)
  set(talk_gzipped)
  set(sources ${talk_package_files}/changelog.Debian)
  foreach(tool ${TALK_PROGRAMS})
    list(APPEND sources ${PROJECT_SOURCE_DIR}/man/${tool}.1)
  endforeach()
  foreach(source ${sources})
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${gz}/${name}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${gz}
      COMMAND ${CMAKE_COMMAND} -E copy ${source} ${gz}/${name}
      COMMAND ${TALK_GZIP} -9nf ${gz}/${name}
      DEPENDS ${source} VERBATIM)
    list(APPEND talk_gzipped ${gz}/${name}.gz)
  endforeach()
  add_custom_target(package_documents ALL DEPENDS ${talk_gzipped})
  foreach(tool ${TALK_PROGRAMS})
    install(FILES ${gz}/${tool}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()

  # The copyright file: the licence of LICENSE, whose copyright line names
  # the holders.
  file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE holders REGEX "^Copyright ")
  string(REGEX REPLACE "^Copyright (\\(c\\) )?" "" holders "${holders}")
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
  string(REGEX REPLACE "^[^\n]*\n\nCopyright [^\n]*\n\n" "" licence "${licence}")
  string(STRIP "${licence}" licence)
  string(REPLACE "\n\n" "\n.\n" licence "${licence}")
  string(REPLACE "\n" "\n " licence "${licence}")
  file(WRITE ${talk_package_files}/copyright
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: ${PROJECT_NAME}\n\n"
    "Files: *\nCopyright: ${holders}\nLicense: Expat\n\n"
    "License: Expat\n ${licence}\n")
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${PROJECT_SOURCE_DIR}/LICENSE)

  set(TALK_STATIC_OVERRIDES "")
  if(TALK_STATIC_TOOLS)
    set(TALK_STATIC_OVERRIDES
      "\n# Each program's whole run lasts a few milliseconds: linked statically, it\n"
      "# spares the dynamic loader's work at every start, which is a large part\n"
      "# of such a run. The programs use nothing of the system beyond the C and\n"
      "# C++ runtime.\n")
    string(CONCAT TALK_STATIC_OVERRIDES ${TALK_STATIC_OVERRIDES})
    foreach(tool ${TALK_PROGRAMS})
      string(APPEND TALK_STATIC_OVERRIDES
        "${PROJECT_NAME}: statically-linked-binary [usr/${CMAKE_INSTALL_BINDIR}/${tool}]\n")
    endforeach()
  endif()
  configure_file(${talk_packaging}/lintian-overrides.in ${talk_package_files}/lintian-overrides
                 @ONLY)

  install(FILES README.md ${talk_package_files}/copyright ${gz}/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${talk_package_files}/lintian-overrides
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME ${PROJECT_NAME})
endif()

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "talklist project")
set(CPACK_PACKAGE_CONTACT "${TALK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "list, export and edit the talk data of four editions of a role-playing game")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-windows-x86)
  else()
    set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-windows-x64)
  endif()
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGE_DESCRIPTION
      "Five command-line programs for the conversation data of a role-playing\ngame's non-player characters, as four editions store it: DOS town files,\nan Apple II disk image, PC-8801 D88 images and an X68000 XDF image.\ntalkdir, talkdsk, talkd88 and talkxdf each read one edition and print one\ncommon listing, so that the editions can be compared line by line.\ntalkdata exports any edition as UTF-8 text, JSON, gettext PO or TSV,\nwrites edited texts back into the edition's storage, writes character\ntables and compares two editions.")
endif()
include(CPack)

# The installed programs run from a fresh prefix.
if(TALK_BUILD_TESTS AND NOT CMAKE_CROSSCOMPILING)
  add_test(NAME install_into_prefix
    COMMAND ${CMAKE_COMMAND} -D BUILD_DIR=${CMAKE_BINARY_DIR}
            -D PREFIX=${CMAKE_BINARY_DIR}/install-test -D READELF=${CMAKE_READELF}
            -P ${PROJECT_SOURCE_DIR}/cmake/install_test.cmake)
  set_tests_properties(install_into_prefix PROPERTIES LABELS quick)
endif()
