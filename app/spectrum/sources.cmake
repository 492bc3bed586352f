list(APPEND app_core_sources
    ${CMAKE_CURRENT_LIST_DIR}/AcquisitionBar.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AtomicFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileAcquisitionCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HarluneSpectrumDoc.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HarluneSpectrumView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HarluneSpectrumViewCommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HarluneSpectrumViewDisplay.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HarluneSpectrumViewCursor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HarluneSpectrumViewAccessories.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HarluneSpectrumViewDisplaySettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HarluneSpectrumViewFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HarluneSpectrumViewOverlays.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HarluneSpectrumViewTime.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProcessingSetupFromConfiguration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RemovableDrive.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectralDataText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrumCursor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrumDataFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrumPrintMapping.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrumProcessing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TimeAcquisition.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WindowsPaths.cpp
)

list(APPEND app_qt_sources
    ${CMAKE_CURRENT_LIST_DIR}/qt/ShellSpectrumServices.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qt/SpectrumDocQuestions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qt/SpectrumPrinting.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qt/SpectrumViewWidget.cpp
)
