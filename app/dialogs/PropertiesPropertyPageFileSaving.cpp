#include "app/dialogs/PropertiesPropertyPageFileSaving.h"

CPropertiesPropertyPageFileSaving::CPropertiesPropertyPageFileSaving(
    app::dialogs::PropertiesSettings& s)
    : PropertiesPage(154, "File Saving")
{
    static constexpr const char* kFormats[] = {"No Header", "Standard", "Grams/32 SPC"};
    static constexpr const char* kChannels[] = {"All Active Spectrometer Channels",
                                                "Selected Spectrometer Channels"};
    static constexpr const char* kDigits[] = {"0", "1", "2", "3", "4", "5",
                                              "6", "7", "8", "9", "10"};
    addCombo(1189, "Default File Format", kFormats, s.DefaultFileFormat);
    addCheck(1188, "Always Warn if &Overwriting File", s.FileOverwriteWarning);
    addCheck(1184, "Always Save &Dark Spectra", s.AlwaysSaveDark);
    addCheck(1187, "Always Save &Experiment File", s.AlwaysSaveExperiment);
    addCheck(1185, "Always Save &Reference Spectra", s.AlwaysSaveReference);
    addCheck(1186, "Always Save &Sample Spectra", s.AlwaysSaveSample);
    addCheck(1515, "Always Save Data in E&xponential Format", s.AlwaysExponential);
    addCombo(1518, "Save Data Files for", kChannels, s.SaveFilesForSelected);
    // The index is the number of digits.
    addCombo(1032, "Saved Precision", kDigits, s.DefaultSavePrecision);
}
