cmake_minimum_required(VERSION 3.25)
# Fails when the player's import table names a library that is not on the
# system's known-DLL list. The system loader looks for such a library beside
# the executable first, before the player runs: a DLL planted there would run
# inside it. Those libraries are delay-loaded instead (swfp_delay_load in
# app/CMakeLists.txt), after start-up has limited the search to the system folder.
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot read ${EXE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" names "${dump}")
set(known_dlls advapi32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll
    shell32.dll shlwapi.dll user32.dll)
set(count 0)
foreach(entry ${names})
  string(REPLACE "DLL Name: " "" dll "${entry}")
  string(TOLOWER "${dll}" dll)
  math(EXPR count "${count} + 1")
  if(NOT dll IN_LIST known_dlls AND NOT dll MATCHES "^api-ms-win-")
    message(FATAL_ERROR "${EXE} imports ${dll}, which is not a known DLL: delay-load it")
  endif()
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "no imports found in ${EXE}: objdump output not understood")
endif()
message(STATUS "${count} known system libraries imported")
