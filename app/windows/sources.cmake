list(APPEND app_core_sources
    ${CMAKE_CURRENT_LIST_DIR}/HarluneGraphView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VYKTemplateView.cpp
)

list(APPEND app_qt_sources
    ${CMAKE_CURRENT_LIST_DIR}/qt/GraphViewWidget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qt/TemplateViewWidget.cpp
)
