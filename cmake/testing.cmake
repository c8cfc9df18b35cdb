# Test registration. Every test program is one CTest entry: starting a process
# under Wine costs seconds, so we never register one entry per test case.
enable_testing()

# Native programs finish in seconds (under sanitizers on a busy machine, in
# well under two minutes); Windows programs pay for Wine's start-up and
# for real windows and timers. A program that needs more says so with TIMEOUT.
set(SWFP_NATIVE_TEST_TIMEOUT 120)
set(SWFP_WINDOWS_TEST_TIMEOUT 180)

# The exit code of a test program some of whose cases skipped and none failed
# (tests/support/test_main.cpp); CTest reports the program as skipped.
set(SWFP_TEST_SKIP_CODE 77)

# swfp_add_test(NAME name SOURCES ... [LIBS ...] [DEPENDS target...] [TIMEOUT seconds]
#               [WINDOWS_ONLY] [NATIVE_ONLY] [LABELS ...])
# DEPENDS names targets the program needs at run time (modules, fixtures, programs
# it starts); a missing one is a configure error, never a silently dropped test.
# Windows test programs get the cross-compiling emulator (wine64) from the toolchain.
function(swfp_add_test)
  cmake_parse_arguments(T "WINDOWS_ONLY;NATIVE_ONLY" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;DEPENDS" ${ARGN})
  if(T_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "swfp_add_test(${T_NAME}): unknown arguments ${T_UNPARSED_ARGUMENTS}")
  endif()
  if(T_WINDOWS_ONLY AND NOT WIN32)
    return()
  endif()
  if(T_NATIVE_ONLY AND WIN32)
    return()
  endif()
  # While several people work in one tree, a test whose sources are not written
  # yet can be left out instead of breaking everyone's configure. ./test.sh and CI
  # turn this off, so there a missing source is an error.
  if(SWFP_SKIP_INCOMPLETE_TESTS)
    foreach(src ${T_SOURCES})
      if(NOT IS_ABSOLUTE ${src} AND NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${src})
        message(WARNING "leaving out ${T_NAME}: ${src} does not exist yet")
        return()
      endif()
    endforeach()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} swfp_test_main)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
  if(T_DEPENDS)
    add_dependencies(${T_NAME} ${T_DEPENDS})
  endif()
  # 32-bit Windows test programs are built and linked, never run.
  if(WIN32 AND SWFP_BITS EQUAL 32)
    return()
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_color=no)
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
  if(NOT T_TIMEOUT)
    if(WIN32)
      set(T_TIMEOUT ${SWFP_WINDOWS_TEST_TIMEOUT})
    else()
      set(T_TIMEOUT ${SWFP_NATIVE_TEST_TIMEOUT})
    endif()
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT}
    SKIP_RETURN_CODE ${SWFP_TEST_SKIP_CODE}
    ENVIRONMENT "SWFP_SOURCE_DIR=${CMAKE_SOURCE_DIR};SWFP_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
endfunction()
