#pragma once

#include "app/dialogs/PropertiesPage.h"
#include "app/dialogs/PropertiesSettings.h"

// "Sounds" (dialog 157) of the properties sheet: the event sounds: a wave file per event, browsed
// and played. Edits the sheet's working copy. GUI thread only.
class CPropertiesPropertyPageSounds : public app::dialogs::PropertiesPage
{
public:
    CPropertiesPropertyPageSounds(app::dialogs::PropertiesSettings& s,
                                  app::dialogs::PropertiesSheetView& view);
};
