# The Windows front-end: message boxes, the save-file dialog, the conditions dialog and the
# progress window on real windows, and the host's windows by their handles.
if(WIN32)
  add_library(vintor_ui_win32
    ${CMAKE_CURRENT_LIST_DIR}/win32_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32_desktop.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32_host_windows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32_conditions_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32_progress_view.cpp)
  target_link_libraries(vintor_ui_win32 PUBLIC vintor_options vintor_ui vintor_conditions
                                               vintor_text comctl32 comdlg32)
endif()
