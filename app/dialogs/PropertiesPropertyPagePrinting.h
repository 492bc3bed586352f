#pragma once

#include "app/dialogs/PropertiesPage.h"
#include "app/dialogs/PropertiesSettings.h"

// "Printing" (dialog 159) of the properties sheet: black-and-white printing. Edits the sheet's
// working copy. GUI thread only.
class CPropertiesPropertyPagePrinting : public app::dialogs::PropertiesPage
{
public:
    explicit CPropertiesPropertyPagePrinting(app::dialogs::PropertiesSettings& s);
};
