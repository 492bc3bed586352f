#pragma once

#include "platform/framework/WinTypes.h"

#include <QColor>

#include <functional>

namespace toolkit::widgets {

// The system colour indices the toolkit's controls read.
enum SystemColor : int
{
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
};

// "No colour": nothing is filled.
constexpr platform::framework::COLORREF CLR_NONE = 0xFFFFFFFF;
// "The default colour" of a tool or item.
constexpr platform::framework::COLORREF CLR_DEFAULT = 0xFF000000;

// The system colour of an index: the application palette's colour for it unless a test has
// installed another source. Unknown indices answer black. GUI thread only.
platform::framework::COLORREF GetSysColor(int index);

// Replaces where system colours come from (an empty function restores the palette).
using SystemColorSource = std::function<platform::framework::COLORREF(int index)>;
void setSystemColorSource(SystemColorSource source);

// Conversions between COLORREF (0x00BBGGRR) and QColor.
QColor toQColor(platform::framework::COLORREF color);
platform::framework::COLORREF fromQColor(const QColor& color);

} // namespace toolkit::widgets
