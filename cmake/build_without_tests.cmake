# Configures SOURCE_DIR in BUILD_DIR without the tests, as if GoogleTest and
# Google Benchmark were not installed, builds it with GENERATOR and CXX and
# runs the demo there: the programs, the sample maker and the demo need
# nothing of the tests. The cache is made anew each time; objects are kept.
file(REMOVE ${BUILD_DIR}/CMakeCache.txt)
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BUILD_DIR} -G ${GENERATOR}
          -D CMAKE_CXX_COMPILER=${CXX} -D TALK_WARNINGS_AS_ERRORS=${WARNINGS_AS_ERRORS}
          -D TALK_BUILD_TESTS=OFF -D CMAKE_DISABLE_FIND_PACKAGE_GTest=ON
          -D CMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "configuring without the tests failed")
endif()
foreach(target all demo)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target} -j 2
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "building ${target} without the tests failed")
  endif()
endforeach()
