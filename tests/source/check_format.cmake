cmake_minimum_required(VERSION 3.25)
# Fails when a C++ source of the project is not laid out as the project's
# .clang-format says (Debian's clang-format). Skips (exit code 77) where no
# clang-format is installed.
#   cmake -D SOURCE_DIR=... -D CLANG_FORMAT=... -P check_format.cmake
if(NOT CLANG_FORMAT OR NOT EXISTS "${CLANG_FORMAT}")
  message("no clang-format: the layout of the sources is not checked")
  cmake_language(EXIT 77)
endif()
set(folders bench builders characters common d88 editions fat12 files fuzz samples tests tools)
set(sources)
foreach(folder ${folders})
  file(GLOB_RECURSE found ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
  list(APPEND sources ${found})
endforeach()
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror --style=file ${sources}
  RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "sources not laid out as .clang-format says (clang-format -i FILE "
    "mends them):\n${errors}")
endif()
list(LENGTH sources count)
message(STATUS "${count} sources laid out as .clang-format says")
