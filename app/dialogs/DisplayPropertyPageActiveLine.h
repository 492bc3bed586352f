#pragma once

#include "app/dialogs/DisplayStylePage.h"

// "Active Line Type" (dialog 112) of the display sheet: the channels' line styles, widths and
// colours, with the Spliced Spectrum row. GUI thread only.
class CDisplayPropertyPageActiveLine : public app::dialogs::DisplayStylePage
{
public:
    CDisplayPropertyPageActiveLine();
};
