cmake_minimum_required(VERSION 3.25)
# Fails when a listing tool links iostreams or std::filesystem, whose
# start-up costs more than a whole listing: none of their symbols may stand
# in the program file, defined or wanted from a shared library.
#   cmake -D NM=... -D PROGRAMS="a;b" -P check_lister_symbols.cmake
set(found "")
foreach(program ${PROGRAMS})
  execute_process(COMMAND ${NM} -C ${program} OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${NM} cannot read ${program}")
  endif()
  string(REGEX MATCHALL "[^\n]*(std::filesystem|std::ios_base|std::basic_[io]stream)[^\n]*"
    lines "${symbols}")
  list(LENGTH lines count)
  if(count GREATER 0)
    list(GET lines 0 first)
    string(APPEND found "  ${program}: ${count} symbols, such as ${first}\n")
  endif()
endforeach()
if(found)
  message(FATAL_ERROR "listing tools link iostreams or std::filesystem:\n${found}")
endif()
message(STATUS "no iostreams and no std::filesystem in ${PROGRAMS}")
