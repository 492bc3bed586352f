#include "app/dialogs/TrevanFeatureTexts.h"

#include "app/shell/NumberText.h"

#include <algorithm>
#include <cmath>

namespace app::dialogs {

std::string millisecondsText(double seconds)
{
    return app::text::formatC("%.3e msec", seconds * 1000.0);
}

std::string outputVoltsText(int count)
{
    return app::text::formatC("%.3f V", count * 0.009765625);
}

std::string analogInputText(int count)
{
    return app::text::formatC("%d Counts, %.3f V", count, count * 0.0006103515625);
}

std::string singleStrobeWarning(int highCount, int lowCount)
{
    return highCount < lowCount ? std::string() : std::string(kSingleStrobeWarning);
}

bool strobeDividesIntegration(double integrationMs, double strobePeriodSeconds)
{
    const double periodMs = strobePeriodSeconds * 1000.0;
    if (!std::isfinite(periodMs) || !std::isfinite(integrationMs) || periodMs <= 0.0)
        return false;
    const double remainder = std::fmod(std::fabs(integrationMs), periodMs);
    // The period comes from integer clock counts divided by a clock rate, so a divisor may
    // miss by a few units in the last place of the larger value.
    const double tolerance = 1e-9 * std::max(std::fabs(integrationMs), periodMs);
    return remainder <= tolerance || periodMs - remainder <= tolerance;
}

std::string continuousStrobeWarning(double integrationMs, double strobePeriodSeconds)
{
    return strobeDividesIntegration(integrationMs, strobePeriodSeconds)
               ? std::string()
               : std::string(kContinuousStrobeWarning);
}

} // namespace app::dialogs
