#pragma once

#include "app/dialogs/PropertiesPage.h"
#include "app/dialogs/PropertiesSettings.h"

// "File Saving" (dialog 154) of the properties sheet: how spectrum data files are saved. Edits the
// sheet's working copy. GUI thread only.
class CPropertiesPropertyPageFileSaving : public app::dialogs::PropertiesPage
{
public:
    explicit CPropertiesPropertyPageFileSaving(app::dialogs::PropertiesSettings& s);
};
