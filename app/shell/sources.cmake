list(APPEND app_core_sources
    ${CMAKE_CURRENT_LIST_DIR}/Complex.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ErrorLog.cpp
)
