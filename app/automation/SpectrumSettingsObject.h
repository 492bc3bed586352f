#pragma once

#include "app/automation/SpectrumAutomationObject.h"
#include "app/automation/SpectrumFrameBars.h"
#include "app/shell/MainFramePreferences.h"
#include "app/spectrum/HarluneSpectrumView.h"

#include <cstddef>
#include <source_location>
#include <stdexcept>
#include <string>
#include <utility>

// The part the toolbar, accessory and settings classes share: the target window's frame bars,
// the view's fields, and the main frame's preferences, which a target window leads to (without
// one, a member changes nothing). GUI thread only.
class SpectrumSettingsObject : public SpectrumAutomationObject
{
public:
    // File names are kept in 260-byte fields; the base of autoincrement names in 260 with the
    // dot and index added later, so at most 259 bytes each.
    static constexpr std::size_t kMaxPathBytes = 259;

protected:
    using SpectrumAutomationObject::SpectrumAutomationObject;

    // A script's file name that does not fit its field is refused whole: cut, it would name
    // another file.
    static bool fitsPath(const std::string& path) { return path.size() <= kMaxPathBytes; }

    // Runs body(view) for a put; with no target, logs as onView.
    template <class F>
    void withView(F&& body, std::source_location where = std::source_location::current())
    {
        onView(
            false,
            [&](CHarluneSpectrumView& view) {
                std::forward<F>(body)(view);
                return true;
            },
            where);
    }

    // Runs body(bars) on the target window's frame bars.
    template <class R, class F>
    R onBars(R neutral, F&& body, std::source_location where = std::source_location::current())
    {
        return onTarget(
            neutral,
            [&](uint32_t frame) -> R {
                SpectrumFrameBars* bars = requireAutomationFrame().spectrumFrameBars(frame);
                if (bars == nullptr)
                    throw std::runtime_error("the spectrum window has no frame bars");
                return std::forward<F>(body)(*bars);
            },
            where);
    }

    // Runs body(preferences) on the main frame's preferences, reached through the target
    // window: with no spectrum window open, nothing is read or changed.
    template <class R, class F>
    R onPreferences(R neutral, F&& body,
                    std::source_location where = std::source_location::current())
    {
        return onTarget(
            neutral,
            [&](uint32_t) -> R {
                MainFramePreferences* preferences = requireAutomationFrame().mainPreferences();
                if (preferences == nullptr)
                    throw std::runtime_error("the main frame has no preferences");
                return std::forward<F>(body)(*preferences);
            },
            where);
    }
    template <class F>
    void withPreferences(F&& body, std::source_location where = std::source_location::current())
    {
        onPreferences(
            false,
            [&](MainFramePreferences& preferences) {
                std::forward<F>(body)(preferences);
                return true;
            },
            where);
    }
};
