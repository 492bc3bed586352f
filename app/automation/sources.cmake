# The automation classes (I_...), their window selectors and the main frame's window as they
# see it. No Qt.
list(APPEND app_core_sources
    ${CMAKE_CURRENT_LIST_DIR}/AutomationClasses.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AutomationFrame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AutomationLineReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CompactArray.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AutomationSocketPolicy.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GraphAutomationObject.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GraphViewSelection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GridAutomationObject.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GridViewSelection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_CINIFileSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NumericsMessageCapture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SaxBasicHost.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SaxBasicObjFrame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GenAcquisition.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GenMainToolbars.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GenMenu.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GenSpectralMath.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GenTimers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GenVersion.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GenWindows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecAnalogOutput.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecConcentration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecEmergency.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecSpectrometer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecTimeAcquisition.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecTimeAcquisitionParameters.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecTimeChannels.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecTimeCombo.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecSpecInterface.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecSpecNonLinearity.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecSpecReference.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecSpecStrayLight.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecSpecWavelength.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrumAutomationObject.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrumViewSelection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ViewSelection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrumChartObject.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecCursor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecDataDisplay.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecGraphScale.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecGraphSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecGrid.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecLegend.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecTraceSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecOverlay.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecAnnotation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecSpectrumToolbars.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecUSBMavrin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecUSBNorrel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecWessor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecMiscSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecSoundsSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecAutoincrementFilename.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecFileSavingSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecFileOpeningSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecConfigurationFilesSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecPrintingSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecSpectralData.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecSpectrumFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecAcquisitionParameters.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_SpecStoreSpectra.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GraphGeneral.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GraphData.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GraphCursor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GraphScale.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GraphGrid.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GraphLegend.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GraphSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GraphTitles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GraphTraceSettings.cpp
)

# The grid classes drive the grid window's view, which lives in app_grid with the grid control:
# they are registered by registerGridAutomation.
list(APPEND app_grid_sources
    ${CMAKE_CURRENT_LIST_DIR}/GridAutomationClasses.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GridData.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GridFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GridGeneral.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GridFormat.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GridClipboard.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GridPrint.cpp
)

# The server for outside automation clients on a local socket (Qt Core and Network only).
list(APPEND app_automation_server_sources
    ${CMAKE_CURRENT_LIST_DIR}/qt/AutomationServer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qt/AutomationSession.cpp
)
