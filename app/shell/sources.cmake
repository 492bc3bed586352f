list(APPEND app_core_sources
    ${CMAKE_CURRENT_LIST_DIR}/Complex.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ErrorLog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NumberText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/INIFileSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrometerConfiguration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SettingsBackend.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DriverLibrary.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainFrame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainFramePreferences.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StartupSwitches.cpp
)
list(APPEND app_core_sources
    ${CMAKE_CURRENT_LIST_DIR}/ActiveConfiguration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RecentFileList.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VersionText.cpp
)
list(APPEND app_qt_sources
    ${CMAKE_CURRENT_LIST_DIR}/qt/AboutDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qt/HtmlHelpLauncher.cpp
)
