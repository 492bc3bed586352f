#pragma once

#include "app/dialogs/DisplayStylePage.h"

// "Active Point Type" (dialog 113) of the display sheet: the channels' point styles, sizes, fill
// patterns and colours, with the Spliced Spectrum row. GUI thread only.
class CDisplayPropertyPageActivePoint : public app::dialogs::DisplayStylePage
{
public:
    CDisplayPropertyPageActivePoint();
};
