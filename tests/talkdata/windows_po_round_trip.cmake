# The PO round trip and the page of the Windows talkdata under wine, through the host's
# gettext and translate-toolkit (a test program under wine cannot start
# the host's programs): for each sample edition the export passes
# msgfmt --check without a warning, is translated as a platform saves it,
# imports, and its jobs list as translated; msgcat's re-wrapped file and
# msgmerge's update against a new export import to the same bytes, and the
# same file imported again changes nothing.
#   cmake -D WINE=... -D TALKDATA=talkdata.exe -D MAKE_SAMPLES=make_samples.exe
#         -D MSGFMT=... -D MSGCAT=... -D MSGMERGE=... -D PYTHON=... -D FILL_PO=fill_po.py
#         -D WORK=folder -P windows_po_round_trip.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(run)
  cmake_parse_arguments(ARG "" "OUTPUT" "" ${ARGN})
  if(ARG_OUTPUT)
    set(to OUTPUT_FILE ${WORK}/${ARG_OUTPUT})
  else()
    set(to OUTPUT_VARIABLE out)
  endif()
  execute_process(COMMAND ${ARG_UNPARSED_ARGUMENTS} WORKING_DIRECTORY ${WORK}
    ${to} ERROR_VARIABLE err RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ARG_UNPARSED_ARGUMENTS}: exit ${result}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

run(${WINE} ${MAKE_SAMPLES} .)
foreach(sample "dos;dos;I mend the nets." "apple2;velktown.dsk;I MEND THE NETS."
               "pc8801;velk-towne.d88;あみを　つくろう。" "x68000;velk-britannia.xdf;網を繕う。")
  list(GET sample 0 edition)
  list(GET sample 1 input)
  list(GET sample 2 job)
  run(${WINE} ${TALKDATA} export --format po --reference dos ${input} OUTPUT ${edition}.po)
  run(${MSGFMT} --check -o ${WORK}/${edition}.mo ${edition}.po)
  if(NOT err STREQUAL "")
    message(FATAL_ERROR "msgfmt --check warns of the ${edition} export:\n${err}")
  endif()
  run(${PYTHON} ${FILL_PO} ${edition}.po ${edition}-done.po ${job})
  run(${MSGCAT} --width=20 -o ${edition}-wrapped.po ${edition}-done.po)
  run(${MSGMERGE} --quiet -o ${edition}-merged.po ${edition}-done.po ${edition}.po)
  foreach(po done wrapped merged)
    run(${WINE} ${TALKDATA} import ${edition}-${po}.po ${input} --output ${edition}-${po}-out)
  endforeach()
  if(NOT out MATCHES "fuzzy entries skipped\n")
    message(FATAL_ERROR "the ${edition} import counts no fuzzy entries:\n${out}")
  endif()
  run(${WINE} ${TALKDATA} export --format tsv ${edition}-done-out OUTPUT ${edition}-done.tsv)
  run(${WINE} ${TALKDATA} export --format tsv ${edition}-wrapped-out OUTPUT ${edition}-wrapped.tsv)
  run(${WINE} ${TALKDATA} export --format tsv ${edition}-merged-out OUTPUT ${edition}-merged.tsv)
  file(READ ${WORK}/${edition}-done.tsv done)
  file(READ ${WORK}/${edition}-wrapped.tsv wrapped)
  file(READ ${WORK}/${edition}-merged.tsv merged)
  if(NOT done STREQUAL merged)
    message(FATAL_ERROR "the ${edition} file merged by msgmerge imports to other texts")
  endif()
  run(${WINE} ${TALKDATA} import ${edition}-done.po ${edition}-done-out --in-place)
  if(NOT out MATCHES "\nnothing changes; nothing written\n$")
    message(FATAL_ERROR "the ${edition} file imported again changes something:\n${out}")
  endif()
  string(REGEX MATCHALL "\tjob\t[^\n]*" jobs "${done}")
  list(REMOVE_DUPLICATES jobs)
  if(NOT jobs STREQUAL "\tjob\t${job}" OR NOT done STREQUAL wrapped)
    message(FATAL_ERROR "the ${edition} import holds other jobs: ${jobs}")
  endif()
  message(STATUS "${edition}: exported, checked, translated, imported")
endforeach()

# The page of the four samples: every record, and the seven records in
# which the two English samples differ, as on Linux.
run(${WINE} ${TALKDATA} view dos velktown.dsk velk-towne.d88 velk-britannia.xdf OUTPUT page.html)
file(READ ${WORK}/page.html page)
string(REGEX MATCHALL "<section class=\"record\" id=\"town-[0-9]+-person-[0-9]+\">" sections "${page}")
list(LENGTH sections count)
if(NOT count EQUAL 256 OR NOT page MATCHES "<p id=\"summary\">7 of 256 records differ")
  message(FATAL_ERROR "the Windows page holds ${count} records, or not the seven that differ")
endif()
message(STATUS "the page of the four samples: 256 records, 7 differ")
