#include "app/dialogs/PropertiesPropertyPageMisc.h"

CPropertiesPropertyPageMisc::CPropertiesPropertyPageMisc(app::dialogs::PropertiesSettings& s)
    : PropertiesPage(158, "Misc. Settings")
{
    static constexpr const char* kWarnings[] = {"None", "Warning Message", "Flashing Window"};
    static constexpr const char* kStore[] = {"Store All Active Spectrometer Channels",
                                             "Store Selected Spectrometer Channels"};
    static constexpr const char* kHeader[] = {"Exclude Channel Header", "Include Channel Header"};
    static constexpr const char* kCopy[] = {"Copy Graphical Spectra",
                                            "Copy Spectral Data for All Channels",
                                            "Copy Spectral Data for Selected Channels"};
    static constexpr const char* kLabels[] = {"Percent Transmission", "Percent Reflection"};
    addCheck(1173, "Warn Before Overlay Spectrum is &Cleared", s.OverlayClearWarning);
    addCombo(1174, "Scope Mode Saturated Warning", kWarnings, s.ScopeModeSaturatedWarning);
    addNumber(1511, "Scope Mode Saturation Threshold", s.ScopeModeSaturationThreshold, "%g");
    addCombo(1175, "When Storing Reference and Dark", kStore, s.StoreDarkReference);
    addCombo(1176, "When Copying Spectral Data", kHeader, s.CopyIncludeHeader);
    addCombo(1177, "When Using Copy Toolbar Button Function", kCopy, s.CopyToolbarButtonFunction);
    addCombo(1178, "Percent Transmission Mode Label", kLabels, s.TransmissionModeLabel);
    addCheck(1574, "Show Overlay Annotations", s.OpenOverlayAnnotation);
    addCheck(1575, "Remember Graph Scale for New Spectra", s.RememberGraphScale);
    addCheck(1576, "Turn Off Light Source When Closing Window", s.TurnOffLightWhenClosingWindow);
}
