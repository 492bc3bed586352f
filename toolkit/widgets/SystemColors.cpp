#include "toolkit/widgets/SystemColors.h"

#include <QGuiApplication>
#include <QPalette>

namespace toolkit::widgets {

namespace fw = platform::framework;

namespace {

SystemColorSource& systemColorSource()
{
    static SystemColorSource instance;
    return instance;
}

fw::COLORREF paletteColor(int index)
{
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
    case COLOR_MENU:
    case COLOR_BTNFACE:
        return fromQColor(palette.color(QPalette::Button));
    case COLOR_WINDOW:
        return fromQColor(palette.color(QPalette::Base));
    case COLOR_WINDOWFRAME:
        return fromQColor(palette.color(QPalette::Shadow));
    case COLOR_MENUTEXT:
    case COLOR_BTNTEXT:
        return fromQColor(palette.color(QPalette::ButtonText));
    case COLOR_WINDOWTEXT:
        return fromQColor(palette.color(QPalette::Text));
    case COLOR_HIGHLIGHT:
        return fromQColor(palette.color(QPalette::Highlight));
    case COLOR_HIGHLIGHTTEXT:
        return fromQColor(palette.color(QPalette::HighlightedText));
    case COLOR_BTNSHADOW:
        return fromQColor(palette.color(QPalette::Dark));
    case COLOR_GRAYTEXT:
        return fromQColor(palette.color(QPalette::Disabled, QPalette::Text));
    case COLOR_BTNHIGHLIGHT:
        return fromQColor(palette.color(QPalette::Light));
    case COLOR_3DDKSHADOW:
        return fromQColor(palette.color(QPalette::Shadow));
    case COLOR_3DLIGHT:
        return fromQColor(palette.color(QPalette::Midlight));
    case COLOR_INFOTEXT:
        return fromQColor(palette.color(QPalette::ToolTipText));
    case COLOR_INFOBK:
        return fromQColor(palette.color(QPalette::ToolTipBase));
    default:
        return 0;
    }
}

} // namespace

fw::COLORREF GetSysColor(int index)
{
    if (const SystemColorSource& custom = systemColorSource())
        return custom(index);
    return paletteColor(index);
}

void setSystemColorSource(SystemColorSource replacement)
{
    systemColorSource() = std::move(replacement);
}

QColor toQColor(fw::COLORREF color)
{
    return QColor(static_cast<int>(fw::GetRValue(color)), static_cast<int>(fw::GetGValue(color)),
                  static_cast<int>(fw::GetBValue(color)));
}

fw::COLORREF fromQColor(const QColor& color)
{
    return fw::RGB(static_cast<unsigned>(color.red()), static_cast<unsigned>(color.green()),
                   static_cast<unsigned>(color.blue()));
}

} // namespace toolkit::widgets
