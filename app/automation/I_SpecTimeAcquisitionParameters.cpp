#include "app/automation/I_SpecTimeAcquisitionParameters.h"

#include "app/spectrum/HarluneSpectrumView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;
using app::spectrum::TimeAcquisitionSettings;

const DispatchTable& I_SpecTimeAcquisitionParameters::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecTimeAcquisitionParameters;
        DispatchBinder<C> b;
        b.property("StreamDataToDisk", &C::GetStreamDataToDisk, &C::SetStreamDataToDisk)
            .property("ShowValuesInStatusBar", &C::GetShowValuesInStatusBar,
                      &C::SetShowValuesInStatusBar)
            .property("WriteToDiskEveryXAcq", &C::GetWriteToDiskEveryXAcq,
                      &C::SetWriteToDiskEveryXAcq)
            .property("StreamFilename", &C::GetStreamFilename, &C::SetStreamFilename)
            .property("SaveFullSpectrum", &C::GetSaveFullSpectrum, &C::SetSaveFullSpectrum)
            .property("SaveEveryAcquisition", &C::GetSaveEveryAcquisition,
                      &C::SetSaveEveryAcquisition)
            .property("ContinueUntilManuallyStopped", &C::GetContinueUntilManuallyStopped,
                      &C::SetContinueUntilManuallyStopped)
            .property("InitialDelay", &C::GetInitialDelay, &C::SetInitialDelay)
            .property("InitialDelayUnits", &C::GetInitialDelayUnits, &C::SetInitialDelayUnits)
            .property("Frequency", &C::GetFrequency, &C::SetFrequency)
            .property("FrequencyUnits", &C::GetFrequencyUnits, &C::SetFrequencyUnits)
            .property("Duration", &C::GetDuration, &C::SetDuration)
            .property("DurationUnits", &C::GetDurationUnits, &C::SetDurationUnits);
        addWindowMembers(b);
        return b.table();
    }();
    return t;
}

template <class R, class F> R I_SpecTimeAcquisitionParameters::read(R neutral, F&& field)
{
    return onView(neutral,
                  [&](View& v) { return static_cast<R>(field(v.timeParameters().settings)); });
}

template <class F> void I_SpecTimeAcquisitionParameters::write(F&& field)
{
    onView(false, [&](View& v) {
        field(v.timeParameters().settings);
        return true;
    });
}

bool I_SpecTimeAcquisitionParameters::GetStreamDataToDisk()
{
    return read(false, [](TimeAcquisitionSettings& s) { return s.StreamDataToDisk != 0; });
}

void I_SpecTimeAcquisitionParameters::SetStreamDataToDisk(bool value)
{
    write([&](TimeAcquisitionSettings& s) { s.StreamDataToDisk = value ? 1 : 0; });
}

bool I_SpecTimeAcquisitionParameters::GetShowValuesInStatusBar()
{
    return read(false, [](TimeAcquisitionSettings& s) { return s.ShowValuesInStatusBar != 0; });
}

void I_SpecTimeAcquisitionParameters::SetShowValuesInStatusBar(bool value)
{
    write([&](TimeAcquisitionSettings& s) { s.ShowValuesInStatusBar = value ? 1 : 0; });
}

// The field is 32 bits: the short widens with its sign, and the getter answers the low 16 bits.
int16_t I_SpecTimeAcquisitionParameters::GetWriteToDiskEveryXAcq()
{
    return read(int16_t{0}, [](TimeAcquisitionSettings& s) {
        return static_cast<int16_t>(static_cast<uint16_t>(s.LogFrequency & 0xFFFFu));
    });
}

void I_SpecTimeAcquisitionParameters::SetWriteToDiskEveryXAcq(int16_t value)
{
    write([&](TimeAcquisitionSettings& s) {
        s.LogFrequency = static_cast<uint32_t>(static_cast<int32_t>(value));
    });
}

std::string I_SpecTimeAcquisitionParameters::GetStreamFilename()
{
    return read(std::string(),
                [](TimeAcquisitionSettings& s) { return app::spectrum::timeFilename(s); });
}

// The name is kept in its 260-byte field, cut at a character boundary; an empty name, which
// no run could open, is refused.
void I_SpecTimeAcquisitionParameters::SetStreamFilename(const std::string& value)
{
    if (value.empty())
        return;
    write([&](TimeAcquisitionSettings& s) { app::spectrum::setTimeFilename(s, value); });
}

bool I_SpecTimeAcquisitionParameters::GetSaveFullSpectrum()
{
    return read(false, [](TimeAcquisitionSettings& s) { return s.SaveFullSpectrum != 0; });
}

void I_SpecTimeAcquisitionParameters::SetSaveFullSpectrum(bool value)
{
    write([&](TimeAcquisitionSettings& s) { s.SaveFullSpectrum = value ? 1 : 0; });
}

bool I_SpecTimeAcquisitionParameters::GetSaveEveryAcquisition()
{
    return read(false, [](TimeAcquisitionSettings& s) { return s.SaveEveryAcquisition != 0; });
}

void I_SpecTimeAcquisitionParameters::SetSaveEveryAcquisition(bool value)
{
    write([&](TimeAcquisitionSettings& s) { s.SaveEveryAcquisition = value ? 1 : 0; });
}

bool I_SpecTimeAcquisitionParameters::GetContinueUntilManuallyStopped()
{
    return read(false,
                [](TimeAcquisitionSettings& s) { return s.ContinueUntilManuallyStopped != 0; });
}

void I_SpecTimeAcquisitionParameters::SetContinueUntilManuallyStopped(bool value)
{
    write([&](TimeAcquisitionSettings& s) { s.ContinueUntilManuallyStopped = value ? 1 : 0; });
}

int32_t I_SpecTimeAcquisitionParameters::GetInitialDelay()
{
    return read(int32_t{0},
                [](TimeAcquisitionSettings& s) { return static_cast<int32_t>(s.InitialDelay); });
}

void I_SpecTimeAcquisitionParameters::SetInitialDelay(int32_t value)
{
    write([&](TimeAcquisitionSettings& s) { s.InitialDelay = static_cast<uint32_t>(value); });
}

int16_t I_SpecTimeAcquisitionParameters::GetInitialDelayUnits()
{
    return read(int16_t{0}, [](TimeAcquisitionSettings& s) {
        return static_cast<int16_t>(s.InitialDelayUnit);
    });
}

void I_SpecTimeAcquisitionParameters::SetInitialDelayUnits(int16_t value)
{
    write([&](TimeAcquisitionSettings& s) { s.InitialDelayUnit = static_cast<uint16_t>(value); });
}

int32_t I_SpecTimeAcquisitionParameters::GetFrequency()
{
    return read(int32_t{0},
                [](TimeAcquisitionSettings& s) { return static_cast<int32_t>(s.Frequency); });
}

void I_SpecTimeAcquisitionParameters::SetFrequency(int32_t value)
{
    write([&](TimeAcquisitionSettings& s) { s.Frequency = static_cast<uint32_t>(value); });
}

int16_t I_SpecTimeAcquisitionParameters::GetFrequencyUnits()
{
    return read(int16_t{0},
                [](TimeAcquisitionSettings& s) { return static_cast<int16_t>(s.FrequencyUnit); });
}

void I_SpecTimeAcquisitionParameters::SetFrequencyUnits(int16_t value)
{
    write([&](TimeAcquisitionSettings& s) { s.FrequencyUnit = static_cast<uint16_t>(value); });
}

int32_t I_SpecTimeAcquisitionParameters::GetDuration()
{
    return read(int32_t{0},
                [](TimeAcquisitionSettings& s) { return static_cast<int32_t>(s.Duration); });
}

void I_SpecTimeAcquisitionParameters::SetDuration(int32_t value)
{
    write([&](TimeAcquisitionSettings& s) { s.Duration = static_cast<uint32_t>(value); });
}

int16_t I_SpecTimeAcquisitionParameters::GetDurationUnits()
{
    return read(int16_t{0},
                [](TimeAcquisitionSettings& s) { return static_cast<int16_t>(s.DurationUnit); });
}

void I_SpecTimeAcquisitionParameters::SetDurationUnits(int16_t value)
{
    write([&](TimeAcquisitionSettings& s) { s.DurationUnit = static_cast<uint16_t>(value); });
}
