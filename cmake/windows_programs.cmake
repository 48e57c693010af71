# Windows builds: each program must be a console program that needs only the
# system's KERNEL32.dll and msvcrt.dll.
if(WIN32 AND CMAKE_OBJDUMP)
  enable_testing()
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(pe_magic 010b)
  else()
    set(pe_magic 020b)
  endif()
  foreach(tool ${TALK_PROGRAMS})
    add_test(NAME windows_program_${tool}
      COMMAND ${CMAKE_COMMAND} -D FILE=$<TARGET_FILE:${tool}> -D OBJDUMP=${CMAKE_OBJDUMP}
              -D MAGIC=${pe_magic} -P ${CMAKE_CURRENT_LIST_DIR}/check_pe.cmake)
  endforeach()
  # The check itself must be able to fail: the other word size is refused.
  list(GET TALK_PROGRAMS 0 first)
  add_test(NAME windows_program_check_refuses
    COMMAND ${CMAKE_COMMAND} -D FILE=$<TARGET_FILE:${first}> -D OBJDUMP=${CMAKE_OBJDUMP}
            -D MAGIC=0000 -P ${CMAKE_CURRENT_LIST_DIR}/check_pe.cmake)
  set_tests_properties(windows_program_check_refuses PROPERTIES WILL_FAIL TRUE)
  foreach(tool ${TALK_PROGRAMS} check_refuses)
    set_tests_properties(windows_program_${tool} PROPERTIES LABELS quick)
  endforeach()
endif()
