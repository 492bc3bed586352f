list(APPEND app_qt_sources
    ${CMAKE_CURRENT_LIST_DIR}/ChildFrameSpectrum.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChildGraphFrame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChildGridFrame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FramePlacement.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HarluneApp.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainFrameWidget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScanCountView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpinControl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UnattendedUiServices.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VYKTemplateChildFrame.cpp
)

# The child frames' handlers and their profile entries, without widgets (no Qt).
list(APPEND app_core_sources
    ${CMAKE_CURRENT_LIST_DIR}/FrameProfile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrumFrameControls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrumViewBarAdapter.cpp
)
