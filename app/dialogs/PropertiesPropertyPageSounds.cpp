#include "app/dialogs/PropertiesPropertyPageSounds.h"

#include "app/dialogs/ChartDialogNeighbours.h"

#include <iterator>

CPropertiesPropertyPageSounds::CPropertiesPropertyPageSounds(
    app::dialogs::PropertiesSettings& s, app::dialogs::PropertiesSheetView& view)
    : PropertiesPage(157, "Sounds")
{
    struct Row
    {
        const char* label;
        unsigned edit, browse, play;
        const char* title;
    };
    // In the order of PropertiesSettings::sounds.
    static constexpr Row kRows[] = {
        {"Save Dark", 1474, 1194, 1202, "Select Save Dark Sound"},
        {"Save Reference", 1473, 1475, 1203, "Select Save Reference Sound"},
        {"Save Sample", 1470, 1476, 1204, "Select Save Data Sound"},
        {"Save Experiment", 1469, 1477, 1205, "Select Save Experiment Sound"},
        {"Store Dark", 1468, 1198, 1206, "Select Store Dark Sound"},
        {"Store Reference", 1467, 1199, 1207, "Select Store Reference Sound"},
        {"Scope Mode Saturated", 1177, 1200, 1208, "Select Scope Mode Saturated Sound"},
        {"Warning", 1175, 1201, 1209, "Select Warning Sound"},
        {"Error", 1466, 1210, 1211, "Select Error Sound"},
    };
    addCheck(1191, "&Enable Sounds", s.SoundEnabled);
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        const Row& row = kRows[i];
        app::dialogs::PathBrowse browse{
            row.title, {{"Waveform Files (*.wav)", "*.wav"}, {"All Files (*.*)", "*.*"}}, "wav"};
        addPath(row.edit, row.label, s.sounds[i], row.browse, browse, row.play, &view);
    }
}
