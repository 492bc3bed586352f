list(APPEND app_core_sources
    ${CMAKE_CURRENT_LIST_DIR}/HarluneGraphView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VYKTemplateView.cpp
)

list(APPEND app_qt_sources
    ${CMAKE_CURRENT_LIST_DIR}/qt/GraphViewWidget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qt/TemplateViewWidget.cpp
)

# The grid window's view over the grid control (no widgets; the control's model needs Qt
# Core), in a library of its own.
list(APPEND app_grid_sources
    ${CMAKE_CURRENT_LIST_DIR}/GridCsv.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HarluneGridView.cpp
)

list(APPEND app_qt_sources
    ${CMAKE_CURRENT_LIST_DIR}/qt/GridViewWidget.cpp
)
