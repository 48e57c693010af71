# The programs of the project, in one list. Each is built from
# tools/<name>/ and installed with its manual page man/<name>.1; the build,
# the packages, the Windows checks, the package check, the install test,
# the malformed-input sweep and the memcheck test all take them from here.
# Included by the build and by the check scripts (cmake -P); the tests get
# it as the C++ header talk_programs.h (talk_programs_header).
#
# talk_program(NAME
#   SAMPLE_RUN "ARGS"        a complete run on the sample data (exit code 0):
#                            its arguments, separated by spaces, relative to
#                            the folder that make_samples writes
#   FAILING_RUNS "ARGS"...   runs in that folder that must fail ("" for none);
#                            the memcheck test adds to it cut.d88 (the D88
#                            sample cut inside a sector) and size.xdf (the XDF
#                            sample with a wrong size of TALKDATA.BIN)
#   ERRORS_TO stdout|stderr  the stream that takes its failure messages
#                            (standard error stays empty but for them)
#   ERROR_EXIT CODE          its exit code on a failure
#   HELP_EXIT CODE           the exit code of NAME --help
#   HELP_START "TEXT"        how the output of NAME --help begins
# )
set(TALK_PROGRAMS)

function(talk_program name)
  set(one SAMPLE_RUN ERRORS_TO ERROR_EXIT HELP_EXIT HELP_START)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "${one}" "FAILING_RUNS")
  foreach(field ${one})
    if(NOT DEFINED arg_${field})
      message(FATAL_ERROR "talk_program(${name}): ${field} missing")
    endif()
  endforeach()
  if(NOT arg_ERRORS_TO MATCHES "^(stdout|stderr)$")
    message(FATAL_ERROR "talk_program(${name}): ERRORS_TO is stdout or stderr")
  endif()
  foreach(field ${one} FAILING_RUNS)
    set(TALK_PROGRAM_${name}_${field} "${arg_${field}}" PARENT_SCOPE)
  endforeach()
  set(TALK_PROGRAMS ${TALK_PROGRAMS} ${name} PARENT_SCOPE)
endfunction()

# The four listers: errors on standard output, --help prints the usage and
# exits with 1.
talk_program(talkdir
  SAMPLE_RUN "dos"
  FAILING_RUNS "missing" ""
  ERRORS_TO stdout ERROR_EXIT 1
  HELP_EXIT 1 HELP_START "usage: talkdir [options]")
talk_program(talkd88
  SAMPLE_RUN "velk-towne.d88"
  FAILING_RUNS "-i 1 velk-towne.d88" "-i 2 velk-towne.d88" "cut.d88" "velktown.dsk"
  ERRORS_TO stdout ERROR_EXIT 1
  HELP_EXIT 1 HELP_START "usage: talkd88 [options]")
talk_program(talkxdf
  SAMPLE_RUN "velk-britannia.xdf"
  FAILING_RUNS "size.xdf" "velktown.dsk" "missing.xdf"
  ERRORS_TO stdout ERROR_EXIT 1
  HELP_EXIT 1 HELP_START "usage: talkxdf [options]")
talk_program(talkdsk
  SAMPLE_RUN "velktown.dsk"
  FAILING_RUNS "velk-towne.d88" "-x"
  ERRORS_TO stdout ERROR_EXIT 1
  HELP_EXIT 1 HELP_START "usage: talkdsk [options]")

# talkdata: errors on standard error, --help prints the usage and exits
# with 0; a damaged input is an error (1), a wrong command line a usage
# error (2).
talk_program(talkdata
  SAMPLE_RUN "export --format json velk-towne.d88"
  FAILING_RUNS "export missing.d88" "export --edition x68000 velktown.dsk" "disks cut.d88"
               "import --dry-run --in-place cut.d88 velk-britannia.xdf"
  ERRORS_TO stderr ERROR_EXIT 1
  HELP_EXIT 0 HELP_START "The talk data of every edition")

# Runs the program file EXE of program NAME with --help and stops with an
# error unless it does what the list says: the exit code, output that
# begins as given, nothing on standard error.
function(talk_check_help name exe)
  execute_process(COMMAND ${exe} --help
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE result)
  set(expected "${TALK_PROGRAM_${name}_HELP_START}")
  string(LENGTH "${expected}" length)
  string(SUBSTRING "${out}" 0 ${length} start)
  if(NOT result STREQUAL "${TALK_PROGRAM_${name}_HELP_EXIT}" OR NOT start STREQUAL expected
     OR NOT err STREQUAL "")
    message(FATAL_ERROR "${exe} --help: exit ${result}, expected "
      "${TALK_PROGRAM_${name}_HELP_EXIT} and output beginning \"${expected}\"; output:\n"
      "${out}${err}")
  endif()
endfunction()

# OUT = TEXT as a C++ string literal.
function(talk_cxx_string out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  string(REPLACE "\n" "\\n" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

# Writes FILE, a C++ header that holds the list as the table talk_programs
# with the path of each program of this build (cmake/talk_programs.h.in).
function(talk_programs_header file)
  set(TALK_PROGRAM_ROWS "")
  foreach(program ${TALK_PROGRAMS})
    set(runs "")
    foreach(run IN LISTS TALK_PROGRAM_${program}_FAILING_RUNS)
      string(APPEND runs "${run}\n")
    endforeach()
    talk_cxx_string(sample "${TALK_PROGRAM_${program}_SAMPLE_RUN}")
    talk_cxx_string(failing "${runs}")
    talk_cxx_string(help "${TALK_PROGRAM_${program}_HELP_START}")
    set(to_stderr false)
    if(TALK_PROGRAM_${program}_ERRORS_TO STREQUAL "stderr")
      set(to_stderr true)
    endif()
    string(APPEND TALK_PROGRAM_ROWS
      "    {\"${program}\", \"$<TARGET_FILE:${program}>\", ${sample},\n"
      "     ${failing}, ${to_stderr}, ${TALK_PROGRAM_${program}_ERROR_EXIT},\n"
      "     ${TALK_PROGRAM_${program}_HELP_EXIT}, ${help}},\n")
  endforeach()
  # configure_file fills in the rows, file(GENERATE) the programs' paths.
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/talk_programs.h.in ${file}.in @ONLY)
  file(GENERATE OUTPUT ${file} INPUT ${file}.in)
endfunction()
