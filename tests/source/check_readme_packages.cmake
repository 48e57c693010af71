cmake_minimum_required(VERSION 3.25)
# Fails unless the README's Developing section shows the package list of
# setup/packages.txt: one apt-get line with the packages of the programs
# and the demo, one with what the tests add, each in the list's order.
#   cmake -D SOURCE_DIR=... -P check_readme_packages.cmake
file(STRINGS ${SOURCE_DIR}/setup/packages.txt lines)
set(run "")
set(test "")
foreach(line ${lines})
  if(line MATCHES "^(run|test)[ \t]+([^ \t]+)")
    string(APPEND ${CMAKE_MATCH_1} " ${CMAKE_MATCH_2}")
  endif()
endforeach()
file(READ ${SOURCE_DIR}/README.md readme)
string(FIND "${readme}" "\n## Developing" developing)
if(developing LESS 0)
  message(FATAL_ERROR "README.md has no Developing section")
endif()
string(SUBSTRING "${readme}" ${developing} -1 readme)
# The README may break a long line with a backslash.
string(REGEX REPLACE "[ \t]*\\\\\n[ \t]*" " " readme "${readme}")
foreach(part run test)
  set(line "apt-get install --no-install-recommends${${part}}")
  string(FIND "${readme}" "${line}\n" at)
  if(at LESS 0)
    message(FATAL_ERROR "README.md's Developing section lacks the line\n  ${line}")
  endif()
endforeach()
message(STATUS "README.md shows the package list")
