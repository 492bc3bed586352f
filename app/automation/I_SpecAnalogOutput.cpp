#include "app/automation/I_SpecAnalogOutput.h"

#include "app/spectrum/HarluneSpectrumView.h"

#include <cmath>
#include <limits>

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;

namespace {

constexpr double kMavrinFullScale = 65534.0;
constexpr double kBrontelFullScale = 4095.0;

// The run's hold on its object: the run's eight outputs through the object's members, and the
// object's reference released with the run.
class RunAnalogOutput : public app::spectrum::TimeAnalogOutput
{
public:
    explicit RunAnalogOutput(I_SpecAnalogOutput* object) : m_object(object) {}
    ~RunAnalogOutput() override { m_object->Release(); }
    RunAnalogOutput(const RunAnalogOutput&) = delete;
    RunAnalogOutput& operator=(const RunAnalogOutput&) = delete;

    void SetRange(int32_t channel, double minimum, double maximum) override
    {
        if (channel >= 0 && channel < I_SpecAnalogOutput::kChannels)
            (void)m_object->SetRange(static_cast<int16_t>(channel), minimum, maximum);
    }
    void SetValue(int32_t channel, double value) override
    {
        if (channel >= 0 && channel < I_SpecAnalogOutput::kChannels)
            (void)m_object->SetValue(static_cast<int16_t>(channel), value);
    }

private:
    I_SpecAnalogOutput* m_object;
};

} // namespace

const DispatchTable& I_SpecAnalogOutput::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecAnalogOutput;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.method("SetRawValue", &C::SetRawValue, {"channel", "counts"})
            .method("SetRange", &C::SetRange, {"channel", "low", "high"})
            .unguarded()
            .method("SetValue", &C::SetValue, {"channel", "value"})
            .method("SetVoltage", &C::SetVoltage, {"channel", "volts"})
            .indexedProperty("Gain", &C::GetGain, &C::SetGain, {"channel"})
            .unguarded()
            .indexedProperty("Offset", &C::GetOffset, &C::SetOffset, {"channel"})
            .unguarded();
        return b.table();
    }();
    return t;
}

std::unique_ptr<app::spectrum::TimeAnalogOutput> I_SpecAnalogOutput::makeForRun(View& view)
{
    return std::make_unique<RunAnalogOutput>(new I_SpecAnalogOutput(&view));
}

I_SpecAnalogOutput::I_SpecAnalogOutput(View* runView)
    : SpectrumAutomationObject("I_SpecAnalogOutput"), m_runView(runView)
{
    m_gain.fill(1.0);
    m_offset.fill(0.0);
    // The kind is that of the window the object starts on; a run's object takes its own
    // window's, so a run in a window that is not active drives that window's converter.
    View* view = runView;
    if (view == nullptr) {
        const uint32_t frame = m_selection.target();
        AutomationFrame* main = automationFrame();
        view = frame != 0 && main != nullptr ? main->spectrumView(frame) : nullptr;
    }
    if (view == nullptr)
        return;
    if (view->pavikPluginState() == 1) {
        m_kind = kMavrin;
        m_fullScale = kMavrinFullScale;
    } else if (view->brontelDacState() == 1) {
        m_kind = kBrontelUSB;
        m_fullScale = kBrontelFullScale;
    } else {
        return;
    }
    m_voltageMinimum = 0.0;
    m_voltageMaximum = 5.0;
}

int32_t I_SpecAnalogOutput::countsOf(double quotient)
{
    // A zero gain makes the quotient infinite or NaN: nothing sensible to write but 0.
    if (!std::isfinite(quotient))
        return 0;
    constexpr double kLowest = std::numeric_limits<int32_t>::min();
    constexpr double kHighest = std::numeric_limits<int32_t>::max();
    if (quotient <= kLowest)
        return std::numeric_limits<int32_t>::min();
    if (quotient >= kHighest)
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(quotient);
}

bool I_SpecAnalogOutput::SetRawValue(int16_t channel, int32_t counts)
{
    // Without a converter there is nothing to write to: say so.
    if (m_kind == kNoConverter)
        return false;
    const int32_t limit = static_cast<int32_t>(m_fullScale);
    if (counts > limit)
        counts = limit;
    if (counts < 0)
        counts = 0;
    const auto write = [&](View& v) {
        if (m_kind == kMavrin)
            (void)v.CallPavikSetMavrinDA(counts);
        else
            (void)v.CallBrontelUSBDACWriteValue(channel, counts);
        return true;
    };
    return m_runView != nullptr ? write(*m_runView) : onView(false, write);
}

bool I_SpecAnalogOutput::SetRange(int16_t channel, double low, double high)
{
    if (!validChannel(channel) || !std::isfinite(low) || !std::isfinite(high))
        return false;
    m_offset[channel] = low;
    m_gain[channel] = (high - low) / (m_fullScale + 1.0);
    return true;
}

bool I_SpecAnalogOutput::SetValue(int16_t channel, double value)
{
    if (!validChannel(channel) || m_kind == kNoConverter)
        return false;
    return SetRawValue(channel, countsOf((value - m_offset[channel]) / m_gain[channel]));
}

bool I_SpecAnalogOutput::SetVoltage(int16_t channel, double volts)
{
    if (!validChannel(channel) || m_kind == kNoConverter)
        return false;
    if (volts > m_voltageMaximum)
        volts = m_voltageMaximum;
    if (volts < m_voltageMinimum)
        volts = m_voltageMinimum;
    const double step = (m_voltageMaximum - m_voltageMinimum) / (m_fullScale + 1.0);
    return SetRawValue(channel, countsOf(volts / step));
}

double I_SpecAnalogOutput::GetGain(int16_t channel)
{
    return validChannel(channel) ? m_gain[channel] : -1.0;
}

void I_SpecAnalogOutput::SetGain(int16_t channel, double gain)
{
    if (validChannel(channel) && std::isfinite(gain))
        m_gain[channel] = gain;
}

double I_SpecAnalogOutput::GetOffset(int16_t channel)
{
    return validChannel(channel) ? m_offset[channel] : -1.0;
}

void I_SpecAnalogOutput::SetOffset(int16_t channel, double offset)
{
    if (validChannel(channel) && std::isfinite(offset))
        m_offset[channel] = offset;
}
