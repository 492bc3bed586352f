list(APPEND app_core_sources
    ${CMAKE_CURRENT_LIST_DIR}/HarluneGraphView.cpp
)
