#include "app/automation/AutomationClasses.h"

#include "app/automation/I_CINIFileSupport.h"
#include "app/automation/I_GenAcquisition.h"
#include "app/automation/I_GenMainToolbars.h"
#include "app/automation/I_GenMenu.h"
#include "app/automation/I_GenSpectralMath.h"
#include "app/automation/I_GenTimers.h"
#include "app/automation/I_GenVersion.h"
#include "app/automation/I_GenWindows.h"
#include "app/automation/I_GraphCursor.h"
#include "app/automation/I_GraphData.h"
#include "app/automation/I_GraphGeneral.h"
#include "app/automation/I_GraphGrid.h"
#include "app/automation/I_GraphLegend.h"
#include "app/automation/I_GraphScale.h"
#include "app/automation/I_GraphSettings.h"
#include "app/automation/I_GraphTitles.h"
#include "app/automation/I_GraphTraceSettings.h"
#include "app/automation/I_SpecAcquisitionParameters.h"
#include "app/automation/I_SpecAnalogOutput.h"
#include "app/automation/I_SpecAnnotation.h"
#include "app/automation/I_SpecAutoincrementFilename.h"
#include "app/automation/I_SpecConcentration.h"
#include "app/automation/I_SpecConfigurationFilesSettings.h"
#include "app/automation/I_SpecCursor.h"
#include "app/automation/I_SpecDataDisplay.h"
#include "app/automation/I_SpecEmergency.h"
#include "app/automation/I_SpecFileOpeningSettings.h"
#include "app/automation/I_SpecFileSavingSettings.h"
#include "app/automation/I_SpecGraphScale.h"
#include "app/automation/I_SpecGraphSettings.h"
#include "app/automation/I_SpecGrid.h"
#include "app/automation/I_SpecLegend.h"
#include "app/automation/I_SpecMiscSettings.h"
#include "app/automation/I_SpecOverlay.h"
#include "app/automation/I_SpecPrintingSettings.h"
#include "app/automation/I_SpecSettings.h"
#include "app/automation/I_SpecSoundsSettings.h"
#include "app/automation/I_SpecSpecInterface.h"
#include "app/automation/I_SpecSpecNonLinearity.h"
#include "app/automation/I_SpecSpecReference.h"
#include "app/automation/I_SpecSpecStrayLight.h"
#include "app/automation/I_SpecSpecWavelength.h"
#include "app/automation/I_SpecSpectralData.h"
#include "app/automation/I_SpecSpectrometer.h"
#include "app/automation/I_SpecSpectrumFiles.h"
#include "app/automation/I_SpecSpectrumToolbars.h"
#include "app/automation/I_SpecStoreSpectra.h"
#include "app/automation/I_SpecTimeAcquisition.h"
#include "app/automation/I_SpecTimeAcquisitionParameters.h"
#include "app/automation/I_SpecTimeChannels.h"
#include "app/automation/I_SpecTimeCombo.h"
#include "app/automation/I_SpecTraceSettings.h"
#include "app/automation/I_SpecUSBMavrin.h"
#include "app/automation/I_SpecUSBNorrel.h"
#include "app/automation/I_SpecWessor.h"
#include "app/spectrum/TimeAcquisition.h"
#include "numerics/ErrorReporting.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/TypeLibraryEnums.h"
#include "platform/win/Log.h"

namespace {

template <class C> void bind(platform::automation::ClassRegistry& registry, const char* name)
{
    // A table whose length differs from the class table's is refused: a mistake in the rows.
    if (!registry.registerClass(
            name, []() -> platform::automation::AutomationObject* { return C::create(); },
            C::table()))
        platform::win::logError("automation", "class %s was not registered", name);
}

// The types of I_GenSpectralMath's integrals and derivatives.
void registerSpectralMathEnumerations(platform::automation::ClassRegistry& registry)
{
    registry.registerEnumeration({"INTEGRALTYPE",
                                  {
                                      {"intRectangular", I_GenSpectralMath::kRectangular},
                                      {"intTrapezoidal", I_GenSpectralMath::kTrapezoidal},
                                      {"intSimpsons", I_GenSpectralMath::kSimpsons},
                                  }});
    registry.registerEnumeration({"DERIVATIVETYPE",
                                  {
                                      {"dNumeric", I_GenSpectralMath::kNumeric},
                                      {"dCubicSpline", I_GenSpectralMath::kCubicSpline},
                                  }});
}

// The file format and the channels of the file-saving settings.
void registerFileSettingsEnumerations(platform::automation::ClassRegistry& registry)
{
    using S = I_SpecFileSavingSettings;
    registry.registerEnumeration({"FILEFORMAT",
                                  {
                                      {"fmtNoHeader", S::fmtNoHeader},
                                      {"fmtStandard", S::fmtStandard},
                                      {"fmtSPC", S::fmtSPC},
                                  }});
    registry.registerEnumeration({"SAVEOPENFOR",
                                  {
                                      {"forAll", S::forAll},
                                      {"forSelected", S::forSelected},
                                  }});
}

} // namespace

void registerHarluneAutomation(platform::automation::ClassRegistry& registry)
{
    // A fatal error of the numerical library on a script's data must fail the automation
    // call, not end the program with every unsaved spectrum: the stop throws, and the
    // spectral-math members catch it.
    numerics::setStopHook(&numerics::throwOnStop);
    platform::automation::registerProgramEnumerations(registry);
    registerSpectralMathEnumerations(registry);
    bind<I_CINIFileSupport>(registry, "I_CINIFileSupport");
    bind<I_GenAcquisition>(registry, "I_GenAcquisition");
    bind<I_GenMainToolbars>(registry, "I_GenMainToolbars");
    bind<I_GenMenu>(registry, "I_GenMenu");
    bind<I_GenSpectralMath>(registry, "I_GenSpectralMath");
    bind<I_GenTimers>(registry, "I_GenTimers");
    bind<I_GenVersion>(registry, "I_GenVersion");
    bind<I_GenWindows>(registry, "I_GenWindows");
    bind<I_SpecSpecInterface>(registry, "I_SpecSpecInterface");
    bind<I_SpecSpecNonLinearity>(registry, "I_SpecSpecNonLinearity");
    bind<I_SpecSpecReference>(registry, "I_SpecSpecReference");
    bind<I_SpecSpecStrayLight>(registry, "I_SpecSpecStrayLight");
    bind<I_SpecSpecWavelength>(registry, "I_SpecSpecWavelength");
    bind<I_SpecCursor>(registry, "I_SpecCursor");
    bind<I_SpecDataDisplay>(registry, "I_SpecDataDisplay");
    bind<I_SpecGraphScale>(registry, "I_SpecGraphScale");
    bind<I_SpecGraphSettings>(registry, "I_SpecGraphSettings");
    bind<I_SpecGrid>(registry, "I_SpecGrid");
    bind<I_SpecLegend>(registry, "I_SpecLegend");
    bind<I_SpecTraceSettings>(registry, "I_SpecTraceSettings");
    bind<I_SpecOverlay>(registry, "I_SpecOverlay");
    bind<I_SpecAnnotation>(registry, "I_SpecAnnotation");
    registerFileSettingsEnumerations(registry);
    bind<I_SpecSpectrumToolbars>(registry, "I_SpecSpectrumToolbars");
    bind<I_SpecUSBMavrin>(registry, "I_SpecUSBMavrin");
    bind<I_SpecUSBNorrel>(registry, "I_SpecUSBNorrel");
    bind<I_SpecWessor>(registry, "I_SpecWessor");
    bind<I_SpecMiscSettings>(registry, "I_SpecMiscSettings");
    bind<I_SpecSoundsSettings>(registry, "I_SpecSoundsSettings");
    bind<I_SpecAutoincrementFilename>(registry, "I_SpecAutoincrementFilename");
    bind<I_SpecFileSavingSettings>(registry, "I_SpecFileSavingSettings");
    bind<I_SpecFileOpeningSettings>(registry, "I_SpecFileOpeningSettings");
    bind<I_SpecConfigurationFilesSettings>(registry, "I_SpecConfigurationFilesSettings");
    bind<I_SpecPrintingSettings>(registry, "I_SpecPrintingSettings");
    bind<I_SpecSettings>(registry, "I_SpecSettings");
    bind<I_SpecSpectralData>(registry, "I_SpecSpectralData");
    bind<I_SpecSpectrumFiles>(registry, "I_SpecSpectrumFiles");
    bind<I_SpecAcquisitionParameters>(registry, "I_SpecAcquisitionParameters");
    bind<I_SpecStoreSpectra>(registry, "I_SpecStoreSpectra");
    bind<I_SpecTimeAcquisition>(registry, "I_SpecTimeAcquisition");
    bind<I_SpecTimeAcquisitionParameters>(registry, "I_SpecTimeAcquisitionParameters");
    bind<I_SpecTimeChannels>(registry, "I_SpecTimeChannels");
    bind<I_SpecTimeCombo>(registry, "I_SpecTimeCombo");
    bind<I_SpecAnalogOutput>(registry, "I_SpecAnalogOutput");
    bind<I_SpecEmergency>(registry, "I_SpecEmergency");
    bind<I_SpecConcentration>(registry, "I_SpecConcentration");
    bind<I_SpecSpectrometer>(registry, "I_SpecSpectrometer");
    bind<I_GraphGeneral>(registry, "I_GraphGeneral");
    bind<I_GraphData>(registry, "I_GraphData");
    bind<I_GraphCursor>(registry, "I_GraphCursor");
    bind<I_GraphScale>(registry, "I_GraphScale");
    bind<I_GraphGrid>(registry, "I_GraphGrid");
    bind<I_GraphLegend>(registry, "I_GraphLegend");
    bind<I_GraphSettings>(registry, "I_GraphSettings");
    bind<I_GraphTitles>(registry, "I_GraphTitles");
    bind<I_GraphTraceSettings>(registry, "I_GraphTraceSettings");
    // A time acquisition's analog outputs are an analog-output object on the converters of
    // the window that runs it.
    app::spectrum::setTimeAnalogOutputFactory(
        [](CHarluneSpectrumView& view) { return I_SpecAnalogOutput::makeForRun(view); });
}
