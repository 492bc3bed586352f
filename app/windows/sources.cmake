list(APPEND app_core_sources
    ${CMAKE_CURRENT_LIST_DIR}/HarluneGraphView.cpp
)

list(APPEND app_qt_sources
    ${CMAKE_CURRENT_LIST_DIR}/qt/GraphViewWidget.cpp
)
