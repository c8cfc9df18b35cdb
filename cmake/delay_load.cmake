# Delay-loaded system libraries. A program linked with swfp_delay_load(<target>
# <lib>...) names those libraries in its delay-import table instead of its
# import table: the system loader does not load them before the program runs,
# and the first call loads them through LoadLibraryA, after start-up has limited
# the library search to the system folder. The delay-import libraries are made
# with dlltool from the functions the toolchain's own import library lists, and
# carry its name in a folder only this program searches first: every -l<lib>
# of its link line, whichever static library asked for it, takes them.
function(swfp_delay_load target)
  set(dir ${CMAKE_BINARY_DIR}/delayload)
  file(MAKE_DIRECTORY ${dir})
  set(archives)
  foreach(lib IN LISTS ARGN)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${lib}.a
                    OUTPUT_VARIABLE implib OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${implib}
                    OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
    string(REGEX MATCHALL "[0-9a-fA-F]+ T [^\r\n]+" entries "${symbols}")
    if(NOT rc EQUAL 0 OR NOT entries)
      message(FATAL_ERROR "no functions found in the import library ${implib}")
    endif()
    set(def "LIBRARY ${lib}.dll\nEXPORTS\n")
    foreach(entry IN LISTS entries)
      string(REGEX REPLACE "^[0-9a-fA-F]+ T " "" name "${entry}")
      if(SWFP_BITS EQUAL 32)
        string(REGEX REPLACE "^_" "" name "${name}")  # dlltool adds the underscore back
      endif()
      string(APPEND def "  ${name}\n")
    endforeach()
    # Written only when it changed, so the archive is not remade at every configure.
    file(CONFIGURE OUTPUT ${dir}/${lib}.def CONTENT "${def}")
    set(archive ${dir}/lib${lib}.a)
    set(kill_at)
    if(SWFP_BITS EQUAL 32)
      set(kill_at --kill-at)  # stdcall names are looked up without their @n
    endif()
    add_custom_command(OUTPUT ${archive}
      COMMAND ${MINGW_TRIPLE}-dlltool --input-def ${dir}/${lib}.def --dllname ${lib}.dll ${kill_at}
              --output-delaylib ${archive}
      DEPENDS ${dir}/${lib}.def
      COMMENT "Delay-import library for ${lib}.dll")
    list(APPEND archives ${archive})
  endforeach()
  add_custom_target(${target}_delay_imports DEPENDS ${archives})
  add_dependencies(${target} ${target}_delay_imports)
  target_link_directories(${target} BEFORE PRIVATE ${dir})
endfunction()
