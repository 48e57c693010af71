# Runs each lister (given as TALK_PROGRAM_<name>) on the sample data in
# DEMO_DIR, keeps every listing there and shows the first record of each.
# Japanese listings are also converted to UTF-8 when iconv is at hand.
find_program(ICONV iconv)

function(show_listing title program input listing japanese)
  set(tool ${TALK_PROGRAM_${program}})
  if(NOT tool)
    return()
  endif()
  execute_process(COMMAND ${tool} ${input}
    WORKING_DIRECTORY ${DEMO_DIR}
    OUTPUT_FILE ${DEMO_DIR}/${listing}
    RESULT_VARIABLE exit_code)
  set(shown ${DEMO_DIR}/${listing})
  if(japanese AND ICONV)
    string(REPLACE ".txt" "-utf8.txt" converted ${listing})
    execute_process(COMMAND ${ICONV} -f SHIFT_JIS -t UTF-8 ${DEMO_DIR}/${listing}
      OUTPUT_FILE ${DEMO_DIR}/${converted})
    set(shown ${DEMO_DIR}/${converted})
  endif()
  file(READ ${shown} text)
  string(REGEX MATCHALL "\n" line_ends "${text}")
  list(LENGTH line_ends line_count)
  string(FIND "${text}" "\n\n" first_end)
  string(SUBSTRING "${text}" 0 ${first_end} first_record)
  message("== ${title}: ${tool} ${input}")
  message("   exit code ${exit_code}, ${line_count} lines in ${shown}; the first record:")
  message("${first_record}\n")
  if(NOT exit_code EQUAL 0)
    message(FATAL_ERROR "${title}: the listing of the sample data failed")
  endif()
endfunction()

show_listing("DOS edition" talkdir dos listing-dos.txt FALSE)
show_listing("Apple II edition" talkdsk velktown.dsk listing-apple2.txt FALSE)
show_listing("PC-8801 edition" talkd88 velk-towne.d88 listing-pc8801.txt TRUE)
show_listing("X68000 edition" talkxdf velk-britannia.xdf listing-x68000.txt TRUE)
