# Installation of the programs (cmake/programs.cmake) with their manual
# pages, the README and the licence, and the packages made from it: a .deb
# on Linux, a .zip for each Windows build. The libraries, the tests and the
# sample maker are not installed.
include(GNUInstallDirs)

install(TARGETS ${TALK_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(WIN32)
  # Windows has no man: plain-text copies of the pages, made on the build
  # host, stand beside the programs.
  find_program(TALK_NROFF nroff REQUIRED)
  foreach(tool ${TALK_PROGRAMS})
    set(page ${PROJECT_SOURCE_DIR}/man/${tool}.1)
    set(text ${CMAKE_BINARY_DIR}/man/${tool}.txt)
    add_custom_command(OUTPUT ${text}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND bash -c "set -o pipefail; '${TALK_NROFF}' -man -Tascii -c '${page}' | col -bx > '${text}'"
      DEPENDS ${page} VERBATIM)
    list(APPEND talk_manual_texts ${text})
  endforeach()
  add_custom_target(manual_texts ALL DEPENDS ${talk_manual_texts})
  install(FILES ${talk_manual_texts} DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES README.md LICENSE DESTINATION .)
else()
  foreach(tool ${TALK_PROGRAMS})
    install(FILES man/${tool}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME talklist)
set(CPACK_PACKAGE_VENDOR "the talklist developers")
set(CPACK_PACKAGE_CONTACT "the talklist developers <talklist@users.noreply.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "list the conversation data of four editions of a role-playing game alike")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_PACKAGE_FILE_NAME talklist-${PROJECT_VERSION}-windows-x86)
  else()
    set(CPACK_PACKAGE_FILE_NAME talklist-${PROJECT_VERSION}-windows-x64)
  endif()
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGE_DESCRIPTION
      "Four command-line tools that read the conversation data of a\nrole-playing game's non-player characters from the storage of four editions\n(DOS town files, an Apple II disk image, PC-8801 D88 images, an X68000 XDF\nimage) and print one common listing, so that the editions can be compared\nline by line.")
endif()
include(CPack)

# The installed programs run from a fresh prefix.
if(TALK_BUILD_TESTS AND NOT CMAKE_CROSSCOMPILING)
  add_test(NAME install_into_prefix
    COMMAND ${CMAKE_COMMAND} -D BUILD_DIR=${CMAKE_BINARY_DIR}
            -D PREFIX=${CMAKE_BINARY_DIR}/install-test -P ${PROJECT_SOURCE_DIR}/cmake/install_test.cmake)
  set_tests_properties(install_into_prefix PROPERTIES LABELS quick)
endif()
