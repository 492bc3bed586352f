#pragma once

#include "app/dialogs/ChartDialogNeighbours.h"
#include "app/dialogs/PropertiesPropertyPageFileOpening.h"
#include "app/dialogs/PropertiesPropertyPageFileSaving.h"
#include "app/dialogs/PropertiesPropertyPageMisc.h"
#include "app/dialogs/PropertiesPropertyPagePrinting.h"
#include "app/dialogs/PropertiesPropertyPageSettingFiles.h"
#include "app/dialogs/PropertiesPropertyPageSounds.h"
#include "app/dialogs/PropertiesSettings.h"
#include "platform/framework/PropertySheet.h"

// "Harlune Settings": the program's preferences on six pages. The constructor loads the
// working copy from the main frame's preference record, the view's default file names and
// its configuration's saturation threshold; OK and Apply write all of it back (pages never
// shown with their loaded values). Nothing goes to the settings store here: the main frame
// stores its record when it goes. Cancel writes nothing. GUI thread only.
class CPropertiesPropertySheet : public platform::framework::PropertySheet
{
public:
    CPropertiesPropertySheet(app::dialogs::PropertiesSheetView& view, QWidget* parent);

    void OnApplySteps() override;

    const app::dialogs::PropertiesSettings& settings() const { return m_settings; }

private:
    app::dialogs::PropertiesSheetView& m_view;
    app::dialogs::PropertiesSettings m_settings;
    CPropertiesPropertyPageFileSaving m_fileSaving;
    CPropertiesPropertyPageFileOpening m_fileOpening;
    CPropertiesPropertyPagePrinting m_printing;
    CPropertiesPropertyPageSounds m_sounds;
    CPropertiesPropertyPageSettingFiles m_settingFiles;
    CPropertiesPropertyPageMisc m_misc;
};
