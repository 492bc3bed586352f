list(APPEND app_qt_sources
    ${CMAKE_CURRENT_LIST_DIR}/HarluneApp.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainFrameWidget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScanCountView.cpp
)
