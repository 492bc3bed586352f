#pragma once

#include "app/automation/SpectrumAutomationObject.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumView.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <source_location>
#include <utility>

// The part the five spectrometer-configuration classes share: the target window's
// configuration, the channel range of its per-channel fields and the conversion of script
// doubles to its single-precision fields. GUI thread only.
class SpectrometerConfigurationObject : public SpectrumAutomationObject
{
public:
    static constexpr int kChannels = 8;

protected:
    using SpectrumAutomationObject::SpectrumAutomationObject;

    static bool validChannel(int16_t channel) { return channel >= 0 && channel < kChannels; }

    // A script double as a single-precision field takes it; nothing for NaN, an infinity or
    // a value beyond the float range, which a put refuses.
    static std::optional<float> toSingle(double value)
    {
        if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
            return std::nullopt;
        return static_cast<float>(value);
    }

    // Runs body(configuration) on the target window's configuration; with no target, logs and
    // answers neutral.
    template <class R, class F>
    R onConfiguration(R neutral, F&& body,
                      std::source_location where = std::source_location::current())
    {
        return onView(
            neutral,
            [&](CHarluneSpectrumView& view) -> R {
                return std::forward<F>(body)(view.configuration());
            },
            where);
    }

    // The same for a channel's field: a channel outside 0 to 7 answers neutral without a log
    // line and reaches no window.
    template <class R, class F>
    R onChannel(int16_t channel, R neutral, F&& body,
                std::source_location where = std::source_location::current())
    {
        if (!validChannel(channel))
            return neutral;
        return onConfiguration(neutral, std::forward<F>(body), where);
    }

    // The same for a put, which has no result.
    template <class F>
    void withConfiguration(F&& body, std::source_location where = std::source_location::current())
    {
        onConfiguration(
            false,
            [&](CSpectrometerConfiguration& configuration) {
                std::forward<F>(body)(configuration);
                return true;
            },
            where);
    }
    template <class F>
    void withChannel(int16_t channel, F&& body,
                     std::source_location where = std::source_location::current())
    {
        if (validChannel(channel))
            withConfiguration(std::forward<F>(body), where);
    }

    // Runs body(configuration) with every failure swallowed and no log line, for the members
    // that catch without logging; neutral when there is no target or body throws.
    template <class R, class F> R onConfigurationSilently(R neutral, F&& body) noexcept
    {
        try {
            const uint32_t frame = m_selection.target();
            AutomationFrame* main = automationFrame();
            CHarluneSpectrumView* view = frame != 0 && main ? main->spectrumView(frame) : nullptr;
            if (view == nullptr)
                return neutral;
            return std::forward<F>(body)(view->configuration());
        } catch (...) {
            return neutral;
        }
    }
};
