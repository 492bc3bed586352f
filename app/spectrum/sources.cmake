list(APPEND app_core_sources
    ${CMAKE_CURRENT_LIST_DIR}/AtomicFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileAcquisitionCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HarluneSpectrumDoc.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HarluneSpectrumView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProcessingSetupFromConfiguration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrumDataFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrumProcessing.cpp
)

list(APPEND app_qt_sources
    ${CMAKE_CURRENT_LIST_DIR}/qt/ShellSpectrumServices.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qt/SpectrumViewWidget.cpp
)
