# swfp_add_native_tls_sources(TARGET source...)
# GCC for MinGW only emulates thread-local storage; clang compiles _Thread_local
# (and C++ thread_local) to the image's static TLS directory, as MSVC does. This
# compiles the given C or C++ sources with clang for the preset's MinGW triple
# and links the objects into TARGET, which the MinGW toolchain links as usual.
find_program(SWFP_CLANG clang)

function(swfp_add_native_tls_sources target)
  if(NOT WIN32)
    message(FATAL_ERROR "swfp_add_native_tls_sources is for the Windows presets")
  endif()
  if(NOT SWFP_CLANG)
    message(FATAL_ERROR "clang is needed to compile native TLS sources (scripts/setup.sh installs it)")
  endif()
  if(SWFP_BITS EQUAL 32)
    set(_triple i686-w64-mingw32)
  else()
    set(_triple x86_64-w64-mingw32)
  endif()
  foreach(_src ${ARGN})
    get_filename_component(_abs ${_src} ABSOLUTE)
    get_filename_component(_name ${_src} NAME_WE)
    set(_obj ${CMAKE_CURRENT_BINARY_DIR}/native_tls/${target}/${_name}.obj)
    add_custom_command(OUTPUT ${_obj}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/native_tls/${target}
      COMMAND ${SWFP_CLANG} --target=${_triple} -O2 -c ${_abs} -I${CMAKE_SOURCE_DIR} -o ${_obj}
      DEPENDS ${_abs}
      COMMENT "Compiling ${_name} with native TLS"
      VERBATIM)
    target_sources(${target} PRIVATE ${_obj})
    set_source_files_properties(${_obj} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
  endforeach()
endfunction()
