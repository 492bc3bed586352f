#pragma once

#include "app/dialogs/PropertiesPage.h"
#include "app/dialogs/PropertiesSettings.h"

// "Misc. Settings" (dialog 158) of the properties sheet: overlays, saturation, storing, copying and
// the transmission label. Edits the sheet's working copy. GUI thread only.
class CPropertiesPropertyPageMisc : public app::dialogs::PropertiesPage
{
public:
    explicit CPropertiesPropertyPageMisc(app::dialogs::PropertiesSettings& s);
};
