# Installs BUILD_DIR into an empty PREFIX and runs the installed programs
# there; READELF shows that they were stripped.
include(${CMAKE_CURRENT_LIST_DIR}/programs.cmake)
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
  OUTPUT_QUIET RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
foreach(program ${TALK_PROGRAMS})
  foreach(file bin/${program} share/man/man1/${program}.1.gz)
    if(NOT EXISTS ${PREFIX}/${file})
      message(FATAL_ERROR "not installed: ${file}")
    endif()
  endforeach()
  execute_process(COMMAND ${READELF} --section-headers --wide ${PREFIX}/bin/${program}
    OUTPUT_VARIABLE sections RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR sections MATCHES "\\.(symtab|comment) ")
    message(FATAL_ERROR "installed ${program} is not stripped:\n${sections}")
  endif()
  talk_check_help(${program} ${PREFIX}/bin/${program})
endforeach()
foreach(file README.md copyright changelog.Debian.gz)
  set(file share/doc/talklist/${file})
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

# Two listers in full: the whole usage, and the messages of a missing image.
execute_process(COMMAND ${PREFIX}/bin/talkdsk --help
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE result)
set(usage "usage: talkdsk [options] [towne-disk.dsk]\noption: -?|--help           print usage\n\nread Towne disk image from 'velktown.dsk' if not specified\n")
if(NOT result EQUAL 1 OR NOT out STREQUAL usage OR NOT err STREQUAL "")
  message(FATAL_ERROR "installed talkdsk --help: exit ${result}, output:\n${out}${err}")
endif()
execute_process(COMMAND ${PREFIX}/bin/talkxdf ${PREFIX}/missing.xdf
  OUTPUT_VARIABLE out RESULT_VARIABLE result)
if(NOT result EQUAL 1 OR NOT out STREQUAL "open error '${PREFIX}/missing.xdf'\nerror: read disk image '${PREFIX}/missing.xdf'\n")
  message(FATAL_ERROR "installed talkxdf on a missing image: exit ${result}, output:\n${out}")
endif()
file(REMOVE_RECURSE ${PREFIX})
message(STATUS "installed programs run from ${PREFIX}")
