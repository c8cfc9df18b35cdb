# Test registration. Every test program is one CTest entry: starting a process
# under Wine costs seconds, so we never register one entry per test case.
enable_testing()

# swfp_add_test(NAME name SOURCES ... [LIBS ...] [WINDOWS_ONLY] [NATIVE_ONLY] [LABELS ...])
# Windows test programs get the cross-compiling emulator (wine64) from the toolchain.
function(swfp_add_test)
  cmake_parse_arguments(T "WINDOWS_ONLY;NATIVE_ONLY;NO_GTEST_MAIN" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  if(T_WINDOWS_ONLY AND NOT WIN32)
    return()
  endif()
  if(T_NATIVE_ONLY AND WIN32)
    return()
  endif()
  # While several people work in one tree, a test whose sources are not written
  # yet can be skipped instead of breaking everyone's configure (never in CI).
  if(SWFP_SKIP_INCOMPLETE_TESTS)
    foreach(src ${T_SOURCES})
      if(NOT IS_ABSOLUTE ${src} AND NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${src})
        message(STATUS "skipping ${T_NAME}: ${src} does not exist yet")
        return()
      endif()
    endforeach()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest)
  if(NOT T_NO_GTEST_MAIN)
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
  endif()
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
  # 32-bit Windows test programs are built and linked, never run.
  if(WIN32 AND SWFP_BITS EQUAL 32)
    return()
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_color=no)
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 600
    ENVIRONMENT "SWFP_SOURCE_DIR=${CMAKE_SOURCE_DIR};SWFP_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
endfunction()
