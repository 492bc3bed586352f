# The automation classes (I_...), their window selectors and the main frame's window as they
# see it. No Qt.
list(APPEND app_core_sources
    ${CMAKE_CURRENT_LIST_DIR}/AutomationClasses.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AutomationFrame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GraphAutomationObject.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GraphViewSelection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GridAutomationObject.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GridViewSelection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_CINIFileSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SaxBasicHost.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SaxBasicObjFrame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GenAcquisition.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GenMainToolbars.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GenMenu.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GenSpectralMath.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GenTimers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GenVersion.cpp
    ${CMAKE_CURRENT_LIST_DIR}/I_GenWindows.cpp
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
)
