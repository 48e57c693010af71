# Cross build of 64-bit Windows console programs with mingw-w64,
# linked statically so that they need only KERNEL32.dll and msvcrt.dll.
# The compilers with POSIX threads: the tests' framework needs std::mutex;
# the tools use no threads, so nothing of the thread library is linked.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Tests run the programs under wine's 64-bit loader: TALK_WINE64, from the
# environment variable of that name when it is set, else found on PATH or
# in /usr/lib/wine, where Debian keeps it.
if(NOT DEFINED TALK_WINE64 AND DEFINED ENV{TALK_WINE64})
  set(TALK_WINE64 $ENV{TALK_WINE64} CACHE FILEPATH "wine's 64-bit loader, which runs the tests")
endif()
find_program(TALK_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH
  DOC "wine's 64-bit loader, which runs the tests")
if(TALK_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TALK_WINE64})
endif()
