#include "app/spectrum/AcquisitionBar.h"

#include "app/spectrum/SpectrumTypes.h"

#include <algorithm>

namespace app::spectrum {

namespace {

// When a row of the limits table applies beside its A/D type.
enum class When
{
    Always,
    Istrel,       // spectrometer type Istrel
    Lemmik,       // spectrometer type Lemmik
    Morvel,       // active configuration "Morvel": its own lower limit
    Microseconds, // the record counts in microseconds
};

struct LimitRow
{
    uint16_t adcType;
    When when;
    uint32_t minimum;
    uint32_t maximum;
};

// The first row whose A/D type and condition match gives the limits; an A/D type without a
// matching row gets kOtherLimits.
constexpr LimitRow kLimitRows[] = {
    {VYK_ADC_DOVRIN, When::Istrel, 5, 65000},
    {VYK_ADC_DOVRIN, When::Always, 1, 500},
    {3, When::Istrel, 5, 65000},
    {3, When::Always, 1, 500},
    {VYK_ADC_DAQ700, When::Istrel, 20, 65000},
    {VYK_ADC_DAQ700, When::Always, 1, 100},
    {VYK_ADC_BRONTEL, When::Istrel, 3, 65000},
    {VYK_ADC_BRONTEL, When::Always, 1, 1000},
    {VYK_ADC_PAVIK, When::Lemmik, 35, 65000},
    {VYK_ADC_PAVIK, When::Morvel, 0, 65000},
    {VYK_ADC_PAVIK, When::Always, 3, 65000},
    {VYK_ADC_BRONTELUSB, When::Lemmik, 35, 65000},
    {VYK_ADC_BRONTELUSB, When::Morvel, 0, 65000},
    {VYK_ADC_BRONTELUSB, When::Always, 3, 65000},
    {VYK_ADC_PELLAR, When::Lemmik, 35, 65000},
    {VYK_ADC_PELLAR, When::Morvel, 0, 65000},
    {VYK_ADC_PELLAR, When::Always, 3, 65000},
    {VYK_ADC_CADRELPCI, When::Istrel, 2, 65000},
    {VYK_ADC_CADRELPCI, When::Always, 1, 2000},
    {VYK_ADC_FORNICPC104, When::Always, 2, 65000},
    {VYK_ADC_XANDEL, When::Always, 1, 65000},
    {VYK_ADC_TREVAN, When::Microseconds, 10, 655000},
    {VYK_ADC_TREVAN, When::Always, 1, 65500},
    {VYK_ADC_QUARN, When::Microseconds, 10, 655000},
    {VYK_ADC_QUARN, When::Always, 1, 65500},
    {VYK_ADC_SOLVIPLUS, When::Microseconds, 1000, 655000},
    {VYK_ADC_SOLVIPLUS, When::Always, 1, 65500},
    {VYK_ADC_PAVIKPLUS, When::Microseconds, 1000, 655000},
    {VYK_ADC_PAVIKPLUS, When::Always, 1, 65500},
    {VYK_ADC_ULMARADC, When::Microseconds, 1000, 1600000},
    {VYK_ADC_ULMARADC, When::Always, 8, 65500},
    {VYK_ADC_NONE, When::Microseconds, 1000, 1600000},
    {VYK_ADC_NONE, When::Always, 8, 65500},
};
constexpr IntegrationLimits kOtherLimits{3, 65000};

bool applies(When when, const IntegrationLimitInputs& in)
{
    switch (when) {
    case When::Always:
        return true;
    case When::Istrel:
        return in.spectrometerType == kIstrel;
    case When::Lemmik:
        return in.spectrometerType == kLemmik;
    case When::Morvel:
        return in.activeConfiguration == "Morvel";
    case When::Microseconds:
        return in.microseconds;
    }
    return false;
}

} // namespace

IntegrationLimits integrationLimits(const IntegrationLimitInputs& inputs)
{
    for (const LimitRow& row : kLimitRows) {
        if (row.adcType != inputs.adcType || !applies(row.when, inputs))
            continue;
        IntegrationLimits limits{row.minimum, row.maximum};
        if (row.when == When::Morvel)
            limits.minimum = inputs.configurationLowerLimit;
        // A configuration's 16-bit lower limit may lie above the upper one: the upper holds.
        limits.minimum = std::min(limits.minimum, limits.maximum);
        return limits;
    }
    return kOtherLimits;
}

std::optional<std::string> integrationLabel(uint16_t spectrometerType)
{
    switch (spectrometerType) {
    case kGavrel:
    case kIstrelBT:
        return std::string("ADC Freq. (kHz)");
    case kIstrel:
    case kLemmik:
    case kWessor:
    case kVelko:
    case kJolvar:
    case kUlmar:
    case kPellar:
        return std::string("Integ. Time");
    default:
        return std::nullopt;
    }
}

AcquisitionBarContent refreshAcquisitionRecord(RegistrationRecord& record,
                                               const IntegrationLimitInputs& inputs)
{
    AcquisitionBarContent content;
    content.limits = integrationLimits(inputs);
    content.integrationLabel = integrationLabel(inputs.spectrometerType);
    const bool ulmar = inputs.adcType == VYK_ADC_ULMARADC;
    content.firstUnitCaption = ulmar ? "sec" : "usec";

    const auto lower = static_cast<long long>(content.limits.minimum);
    const auto upper = static_cast<long long>(content.limits.maximum);
    if (inputs.microseconds) {
        record.microsecondIntegrationTime = saturateMicroseconds(
            std::clamp<long long>(record.microsecondIntegrationTime, lower, upper));
        const int32_t shown =
            ulmar ? record.microsecondIntegrationTime / 1000 : record.microsecondIntegrationTime;
        content.integrationText = std::to_string(shown);
    } else {
        record.integration =
            saturateIntegration(std::clamp<long long>(record.integration, lower, upper));
        content.integrationText = std::to_string(record.integration);
    }
    content.averagesText = std::to_string(record.scansToAverage);
    content.boxcarText = std::to_string(record.boxcarHalfWidth);
    content.flashDelayText = std::to_string(record.flashDelay);
    return content;
}

} // namespace app::spectrum
