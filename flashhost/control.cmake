# The Flash control host: the portable decision tables (flashhost_control_core, every
# preset) and the Windows control itself (flashhost). Included from
# flashhost/CMakeLists.txt, or from the control's tests when that has not happened.
if(NOT TARGET flashhost_control_core)
  add_library(flashhost_control_core STATIC
    ${CMAKE_CURRENT_LIST_DIR}/flash_member_table.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mouse_filter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mouse_synthesis.cpp
    ${CMAKE_CURRENT_LIST_DIR}/himetric.cpp
    ${CMAKE_CURRENT_LIST_DIR}/stock_events.cpp)
  target_include_directories(flashhost_control_core PUBLIC ${CMAKE_SOURCE_DIR})
endif()

if(WIN32 AND NOT TARGET flashhost)
  add_library(flashhost STATIC
    ${CMAKE_CURRENT_LIST_DIR}/FlashPlayerControl_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FlashPlayerControl_ops_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FlashPlayerControl_load_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/kxSWFPlayer2_win.cpp)
  target_link_libraries(flashhost PUBLIC flashhost_control_core flashhost_core contentmanager flashrt toolkit swfp_winbase
    ole32 oleaut32 uuid)
endif()
