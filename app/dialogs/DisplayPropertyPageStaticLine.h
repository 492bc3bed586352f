#pragma once

#include "app/dialogs/DisplayStylePage.h"

// "Overlay Line Type" (dialog 114) of the display sheet: the overlays' line styles, widths and
// colours. GUI thread only.
class CDisplayPropertyPageStaticLine : public app::dialogs::DisplayStylePage
{
public:
    CDisplayPropertyPageStaticLine();
};
