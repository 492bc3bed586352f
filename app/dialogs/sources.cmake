# The settings dialogs' rules and neighbour adapters, without widgets (no Qt).
list(APPEND app_core_sources
    ${CMAKE_CURRENT_LIST_DIR}/ConfigurationDialogAdapter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataAcquisitionSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataExchangeRules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainFrameDialogAdapter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrumViewDialogAdapter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StyleLists.cpp
)

# The dialogs themselves (Qt): the library app_dialogs.
list(APPEND app_dialogs_sources
    ${CMAKE_CURRENT_LIST_DIR}/TimeAcquisitionChannelPropertySheet.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TimeAcquisitionConfigurationDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AutoincrementFilenameDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChannelChecks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ColorField.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConfigureCursorDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CreateNewGraphDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CreateNewGridDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataAcquisitionPropertyPageBasic.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataAcquisitionPropertyPageStrobe.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataAcquisitionPropertyPageTrigger.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataAcquisitionPropertySheet.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataExchange.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReferenceColorTemperatureDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RenameSpectralWindowDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SelectChannelsToCopyDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SelectSpectrometerChannelsDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ValueDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WarningDialog.cpp
)

# The spectrometer sheet and the model features dialog.
list(APPEND app_core_sources
    ${CMAKE_CURRENT_LIST_DIR}/LibraryDialogDriver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SheetConfigurationAdapter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrometerSheetSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrumViewSheetAdapter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TrevanFeatureTexts.cpp
)
list(APPEND app_dialogs_sources
    ${CMAKE_CURRENT_LIST_DIR}/SpectrometerChannelSelector.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrometerPageFields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrometerPropertyPageDisplayedRange.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrometerPropertyPageInterface.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrometerPropertyPageNonLinearity.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrometerPropertyPageReference.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrometerPropertyPageStrayLight.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrometerPropertyPageWavelength.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrometerPropertySheet.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TrevanFeaturesDialog.cpp
)

# The display and properties sheets and the chart dialogs.
list(APPEND app_core_sources
    ${CMAKE_CURRENT_LIST_DIR}/ChartDialogAdapters.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialogChart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PropertiesSettings.cpp
)
list(APPEND app_dialogs_sources
    ${CMAKE_CURRENT_LIST_DIR}/ChartFontFields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConfigureAxisTextDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConfigureChartTracesDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConfigureLegendDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConfigureSpectrumGridDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DisplayPropertyPageActiveLine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DisplayPropertyPageActivePoint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DisplayPropertyPageStaticLine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DisplayPropertyPageStaticPoint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DisplayPropertySheet.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DisplayStylePage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EditAnnotationDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PropertiesPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PropertiesPropertyPageFileOpening.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PropertiesPropertyPageFileSaving.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PropertiesPropertyPageMisc.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PropertiesPropertyPagePrinting.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PropertiesPropertyPageSettingFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PropertiesPropertyPageSounds.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PropertiesPropertySheet.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SetSpectrumScaleDialog.cpp
)
