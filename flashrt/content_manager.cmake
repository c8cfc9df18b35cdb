# The content manager: movies held in memory served to the runtime under pseudo URLs.
# Included from flashrt/CMakeLists.txt.
# contentmanager_core is portable; contentmanager is the COM half.
add_library(contentmanager_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/content_manager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stream_adapter.cpp)
target_include_directories(contentmanager_core PUBLIC ${CMAKE_SOURCE_DIR})

if(WIN32)
  add_library(contentmanager STATIC
    ${CMAKE_CURRENT_LIST_DIR}/content_manager_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/moniker_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/stream_adapter_win.cpp)
  target_link_libraries(contentmanager PUBLIC contentmanager_core swfp_winbase urlmon ole32 oleaut32 uuid)
endif()
