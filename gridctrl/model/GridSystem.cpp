#include "gridctrl/model/GridSystem.h"

#include <optional>

namespace gridctrl::model {

namespace {

const GridSystem& builtInSystem()
{
    static const GridSystem system;
    return system;
}

const GridSystem* g_installed = nullptr;
const GridSystem* g_default = nullptr;
std::optional<std::string> g_decimalSeparator;

} // namespace

COLORREF GridSystem::sysColor(int index) const
{
    switch (index) {
    case kColorWindow:
    case kColorHighlightText:
        return rgbColor(255, 255, 255);
    case kColorWindowText:
        return rgbColor(0, 0, 0);
    case kColorHighlight:
        return rgbColor(0, 120, 215);
    case kColorBtnFace:
        return rgbColor(240, 240, 240);
    default:
        return rgbColor(0, 0, 0);
    }
}

int GridSystem::systemMetric(int index) const
{
    switch (index) {
    case kMetricVScrollWidth:
    case kMetricHScrollHeight:
        return 17;
    default:
        return 0;
    }
}

bool GridSystem::isKeyDown(int) const
{
    return false;
}

QLocale GridSystem::userLocale() const
{
    return QLocale::system();
}

const GridSystem& gridSystem()
{
    if (g_installed) {
        return *g_installed;
    }
    return g_default ? *g_default : builtInSystem();
}

void setDefaultGridSystem(const GridSystem* system)
{
    g_default = system;
    g_decimalSeparator.reset();
}

const GridSystem* setGridSystem(const GridSystem* system)
{
    const GridSystem* previous = g_installed;
    g_installed = system;
    g_decimalSeparator.reset();
    return previous;
}

const std::string& userDecimalSeparator()
{
    if (!g_decimalSeparator) {
        std::string separator = gridSystem().userLocale().decimalPoint().toStdString();
        g_decimalSeparator = separator.empty() ? std::string(".") : std::move(separator);
    }
    return *g_decimalSeparator;
}

} // namespace gridctrl::model
