#include "app/dialogs/PropertiesPropertyPagePrinting.h"

CPropertiesPropertyPagePrinting::CPropertiesPropertyPagePrinting(
    app::dialogs::PropertiesSettings& s)
    : PropertiesPage(159, "Printing")
{
    addCheck(1197, "&Printing in Black and White only", s.PrintBWOnly);
}
