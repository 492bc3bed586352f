#pragma once

#include "app/dialogs/DisplayStylePage.h"

// "Overlay Point Type" (dialog 115) of the display sheet: the overlays' point styles, sizes,
// colours and fill patterns. GUI thread only.
class CDisplayPropertyPageStaticPoint : public app::dialogs::DisplayStylePage
{
public:
    CDisplayPropertyPageStaticPoint();
};
