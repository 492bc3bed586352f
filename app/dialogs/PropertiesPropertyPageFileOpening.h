#pragma once

#include "app/dialogs/PropertiesPage.h"
#include "app/dialogs/PropertiesSettings.h"

// "File Opening" (dialog 153) of the properties sheet: the checks made when a spectrum data file is
// opened. Edits the sheet's working copy. GUI thread only.
class CPropertiesPropertyPageFileOpening : public app::dialogs::PropertiesPage
{
public:
    explicit CPropertiesPropertyPageFileOpening(app::dialogs::PropertiesSettings& s);
};
