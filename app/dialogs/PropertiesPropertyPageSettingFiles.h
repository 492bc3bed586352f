#pragma once

#include "app/dialogs/PropertiesPage.h"
#include "app/dialogs/PropertiesSettings.h"

// "Configuration Files" (dialog 155) of the properties sheet: the view's default setting files.
// Edits the sheet's working copy. GUI thread only.
class CPropertiesPropertyPageSettingFiles : public app::dialogs::PropertiesPage
{
public:
    explicit CPropertiesPropertyPageSettingFiles(app::dialogs::PropertiesSettings& s);
};
