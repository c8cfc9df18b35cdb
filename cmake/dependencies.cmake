# Third-party libraries. Everything comes from Debian's packages, installed by
# scripts/setup.sh; libjpeg-turbo for MinGW is built by that script into build/deps.

# The Windows programs are single self-contained files: zlib links statically
# (MinGW's zlib package also offers an import library for zlib1.dll).
if(WIN32)
  set(ZLIB_USE_STATIC_LIBS ON)
endif()
find_package(ZLIB REQUIRED)

# nlohmann/json is header-only. For the MinGW builds we must not put the host's
# /usr/include on the include path, so expose just its folder through a link.
set(SWFP_JSON_INCLUDE ${CMAKE_BINARY_DIR}/json-include)
if(NOT EXISTS ${SWFP_JSON_INCLUDE}/nlohmann)
  file(MAKE_DIRECTORY ${SWFP_JSON_INCLUDE})
  file(CREATE_LINK /usr/include/nlohmann ${SWFP_JSON_INCLUDE}/nlohmann SYMBOLIC)
endif()
add_library(swfp_json INTERFACE)
target_include_directories(swfp_json SYSTEM INTERFACE ${SWFP_JSON_INCLUDE})

# GoogleTest: the host's prebuilt library natively, built from Debian's sources for MinGW.
if(WIN32)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Debian's googletest already defines the GTest:: aliases.
else()
  find_package(GTest REQUIRED)
endif()

# libjpeg-turbo (splash image). Natively Debian's package; for MinGW our own build.
if(WIN32)
  set(SWFP_JPEG_PREFIX ${CMAKE_SOURCE_DIR}/build/deps/${MINGW_TRIPLE})
  if(EXISTS ${SWFP_JPEG_PREFIX}/lib/libturbojpeg.a OR EXISTS ${SWFP_JPEG_PREFIX}/lib/libjpeg.a)
    add_library(swfp_jpeg STATIC IMPORTED)
    set_target_properties(swfp_jpeg PROPERTIES
      IMPORTED_LOCATION ${SWFP_JPEG_PREFIX}/lib/libjpeg.a
      INTERFACE_INCLUDE_DIRECTORIES ${SWFP_JPEG_PREFIX}/include)
  else()
    message(WARNING "libjpeg-turbo for ${MINGW_TRIPLE} not found in ${SWFP_JPEG_PREFIX}; run scripts/setup.sh")
  endif()
else()
  find_package(JPEG)
  if(JPEG_FOUND)
    add_library(swfp_jpeg ALIAS JPEG::JPEG)
  endif()
endif()
