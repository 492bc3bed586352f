#include "app/dialogs/PropertiesPropertyPageSettingFiles.h"

CPropertiesPropertyPageSettingFiles::CPropertiesPropertyPageSettingFiles(
    app::dialogs::PropertiesSettings& s)
    : PropertiesPage(155, "Configuration Files")
{
    addPath(1195, "Default Display Settings File", s.displaySettingsFile, 1176,
            {"Default Display SettingsFile",
             {{"Display Settings (*.display)", "*.display"}, {"All Files (*.*)", "*.*"}},
             "display"});
    addCheck(1179, "&Automatically Save Display Settings File on Exit",
             s.AlwaysSaveDisplaySettings);
    addPath(1196, "Default Spectrometer Settings File", s.spectrometerFile, 1178,
            {"Default Spectrometer Settings File",
             {{"Spectrometer Configurations (*.spec)", "*.spec"}, {"All Files (*.*)", "*.*"}},
             "spec"});
    addPath(1478, "Default Time Acquisition Settings File", s.timeAcquisitionFile, 1470,
            {"Default Time Acquisition Parameters Settings File",
             {{"Time Acquisition Parameters", "*.TimeParameters"}, {"All Files (*.*)", "*.*"}},
             "TimeParameters"});
    addCheck(1472, "Automatically &Save Time Acquisition Settings File on Exit",
             s.AlwaysSaveTimeParameters);
}
