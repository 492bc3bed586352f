#pragma once

#include "app/automation/SpectrumAutomationObject.h"
#include "app/spectrum/SpectrumTypes.h"
#include "platform/automation/DispatchBinder.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <source_location>

// "Harlune.SpecSpectralData": whole spectra of the target spectrum window. A spectrum crosses
// as a channel and the first element of a script array; exactly the spectrometer's pixel count
// of values moves, the document's entries beyond it stay. The setters change the arrays only
// (Dark and Reference also mark the channel stored): ProcessSpectra makes the window follow.
// A channel outside 0 to 7 or an array shorter than the pixel count answers FALSE and changes
// nothing. GUI thread only.
class I_SpecSpectralData : public SpectrumAutomationObject
{
public:
    // The script-visible mode beyond the view's modes: Scope with the stored dark subtracted.
    static constexpr int16_t kScopeMinusDark = 6;

    static I_SpecSpectralData* create() { return new I_SpecSpectralData(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    using Spectrum = platform::automation::ByRef<double>;

    int16_t GetProcessingMode();
    // Stores the mode (6: Scope with the dark subtracted) and runs the mode's command as the
    // menu does; a value that is no mode runs Scope.
    void SetProcessingMode(int16_t mode);
    double GetReferenceColorTemperature();
    // Stores the temperature and recomputes the active channels' irradiance factors; 0, a
    // negative or a non-finite temperature changes nothing.
    void SetReferenceColorTemperature(double kelvin);

    bool GetDarkSpectrum(int16_t channel, Spectrum out);
    bool GetReferenceSpectrum(int16_t channel, Spectrum out);
    bool GetSampleSpectrum(int16_t channel, Spectrum out);
    bool GetSampleDarkSpectrum(int16_t channel, Spectrum out);
    bool GetDriftCorrectedSampleSpectrum(int16_t channel, Spectrum out);
    bool GetProcessedSpectrum(int16_t channel, Spectrum out);
    bool GetWavelengths(int16_t channel, Spectrum out);
    bool SetDarkSpectrum(int16_t channel, Spectrum in);
    bool SetReferenceSpectrum(int16_t channel, Spectrum in);
    bool SetSampleSpectrum(int16_t channel, Spectrum in);
    bool SetDriftCorrectedSampleSpectrum(int16_t channel, Spectrum in);
    bool SetSampleDarkSpectrum(int16_t channel, Spectrum in);
    bool SetProcessedSpectrum(int16_t channel, Spectrum in);
    bool SetWavelengths(int16_t channel, Spectrum in);
    // Whether every active channel has what the processed modes need: a dark and a reference,
    // and under time normalisation a sample dark too.
    bool ProcessedModesAvailable();
    bool ProcessSpectra();
    bool GetIrradConvArray(int16_t channel, Spectrum out);
    bool SetIrradConvArray(int16_t channel, Spectrum in);

private:
    I_SpecSpectralData() : SpectrumAutomationObject("I_SpecSpectralData") {}
    ~I_SpecSpectralData() override = default;

    // Copies the pixel count of values between the script's array and the channel's array of
    // a kind; a setter with a stored flag sets the channel's flag.
    bool copyOut(int16_t channel, ChannelArrays ChannelSpectra::*kind, Spectrum out,
                 std::source_location where = std::source_location::current());
    bool copyIn(int16_t channel, ChannelArrays ChannelSpectra::*kind, Spectrum in,
                ChannelFlags ChannelSpectra::*stored = nullptr,
                std::source_location where = std::source_location::current());
};
