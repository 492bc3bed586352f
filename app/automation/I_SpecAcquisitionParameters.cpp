#include "app/automation/I_SpecAcquisitionParameters.h"

#include "app/shell/MainFrame.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/AcquisitionBar.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "platform/chart/Xrt.h"
#include "platform/chart/XrtProperties.h"

#include <algorithm>

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using namespace platform::chart;

const DispatchTable& I_SpecAcquisitionParameters::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecAcquisitionParameters;
        DispatchBinder<C> b;
        b.property("IntegrationTime", &C::GetIntegrationTime, &C::SetIntegrationTime)
            .property("Averages", &C::GetAverages, &C::SetAverages)
            .property("Boxcar", &C::GetBoxcar, &C::SetBoxcar)
            .property("CorrectForElectricalDark", &C::GetCorrectForElectricalDark,
                      &C::SetCorrectForElectricalDark)
            .property("ExternalTriggerMode", &C::GetExternalTriggerMode, &C::SetExternalTriggerMode)
            .property("StrobeEnable", &C::GetStrobeEnable, &C::SetStrobeEnable)
            .property("AutosaveOnExternalTrigger", &C::GetAutosaveOnExternalTrigger,
                      &C::SetAutosaveOnExternalTrigger)
            .property("FlashDelay", &C::GetFlashDelay, &C::SetFlashDelay);
        addWindowMembers(b);
        b.method("ShowConfigurationDialog", &C::ShowConfigurationDialog)
            .method("GetActualIntegrationTime", &C::GetActualIntegrationTime)
            .indexedProperty("ChannelEnabled", &C::GetChannelEnabled, &C::SetChannelEnabled,
                             {"channel"});
        return b.table();
    }();
    return t;
}

template <class F>
void I_SpecAcquisitionParameters::put(F&& body, bool refresh, std::source_location where)
{
    onView(
        false,
        [&](CHarluneSpectrumView& view) {
            std::forward<F>(body)(view);
            if (refresh)
                view.UpdateAcquisitionBar();
            return true;
        },
        where);
}

int32_t I_SpecAcquisitionParameters::GetIntegrationTime()
{
    return onView(int32_t{0}, [](CHarluneSpectrumView& view) {
        return static_cast<int32_t>(view.record().integration);
    });
}

void I_SpecAcquisitionParameters::SetIntegrationTime(int32_t ms)
{
    put([&](CHarluneSpectrumView& view) {
        view.record().integration = app::spectrum::saturateIntegration(ms);
    });
}

int16_t I_SpecAcquisitionParameters::GetAverages()
{
    return onView(int16_t{0},
                  [](CHarluneSpectrumView& view) { return view.record().scansToAverage; });
}

void I_SpecAcquisitionParameters::SetAverages(int16_t scans)
{
    put([&](CHarluneSpectrumView& view) {
        view.record().scansToAverage = app::spectrum::saturateRecordShort(scans);
    });
}

int16_t I_SpecAcquisitionParameters::GetBoxcar()
{
    return onView(int16_t{0},
                  [](CHarluneSpectrumView& view) { return view.record().boxcarHalfWidth; });
}

void I_SpecAcquisitionParameters::SetBoxcar(int16_t halfWidth)
{
    put([&](CHarluneSpectrumView& view) {
        view.record().boxcarHalfWidth = app::spectrum::saturateRecordShort(halfWidth);
    });
}

bool I_SpecAcquisitionParameters::GetCorrectForElectricalDark()
{
    return onView(false,
                  [](CHarluneSpectrumView& view) { return view.record().correctForDark != 0; });
}

void I_SpecAcquisitionParameters::SetCorrectForElectricalDark(bool on)
{
    put([&](CHarluneSpectrumView& view) { view.record().correctForDark = on ? 1 : 0; });
}

int16_t I_SpecAcquisitionParameters::GetExternalTriggerMode()
{
    return onView(int16_t{0}, [](CHarluneSpectrumView& view) {
        return static_cast<int16_t>(view.record().triggerMode);
    });
}

void I_SpecAcquisitionParameters::SetExternalTriggerMode(int16_t mode)
{
    // The 16-bit argument widens without sign into the 32-bit field.
    put([&](CHarluneSpectrumView& view) {
        view.record().triggerMode = static_cast<int32_t>(static_cast<uint16_t>(mode));
    });
}

bool I_SpecAcquisitionParameters::GetStrobeEnable()
{
    return onView(false, [](CHarluneSpectrumView& view) { return view.strobeEnable() != 0; });
}

void I_SpecAcquisitionParameters::SetStrobeEnable(bool on)
{
    // The bar refresh copies the switch into the record's strobe select.
    put([&](CHarluneSpectrumView& view) { view.setStrobeEnable(on ? 1 : 0); });
}

bool I_SpecAcquisitionParameters::GetAutosaveOnExternalTrigger()
{
    return onView(false,
                  [](CHarluneSpectrumView& view) { return view.autosaveOnExternalTrigger() != 0; });
}

void I_SpecAcquisitionParameters::SetAutosaveOnExternalTrigger(bool on)
{
    put([&](CHarluneSpectrumView& view) { view.setAutosaveOnExternalTrigger(on ? 1 : 0); }, false);
}

int32_t I_SpecAcquisitionParameters::GetFlashDelay()
{
    return onView(int32_t{0}, [](CHarluneSpectrumView& view) {
        return static_cast<int32_t>(view.record().flashDelay);
    });
}

void I_SpecAcquisitionParameters::SetFlashDelay(int32_t delay)
{
    put([&](CHarluneSpectrumView& view) {
        view.record().flashDelay = app::spectrum::saturateRecordShort(delay);
    });
}

void I_SpecAcquisitionParameters::ShowConfigurationDialog()
{
    onView(false, [](CHarluneSpectrumView& view) {
        view.OnConfigureDataAcquisition();
        return true;
    });
}

int32_t I_SpecAcquisitionParameters::GetActualIntegrationTime()
{
    return onView(int32_t{0}, [](CHarluneSpectrumView&) {
        return requireAutomationFrame().core().integrationTime();
    });
}

bool I_SpecAcquisitionParameters::GetChannelEnabled(int16_t channel)
{
    if (channel < 0 || channel >= kSpectrumChannels)
        return false;
    return onView(false, [&](CHarluneSpectrumView& view) {
        return view.configuration().GetChannelEnabled(channel) != 0;
    });
}

void I_SpecAcquisitionParameters::SetChannelEnabled(int16_t channel, bool enabled)
{
    if (channel != kAllChannels && (channel < 0 || channel >= kSpectrumChannels))
        return;
    onView(false, [&](CHarluneSpectrumView& view) {
        CSpectrometerConfiguration& c = view.configuration();
        const uint16_t value = enabled ? 1 : 0;
        for (int k = 0; k < kSpectrumChannels; ++k) {
            if (channel != kAllChannels && k != channel)
                continue;
            c.SetChannelEnabled(k, value);
            view.record().channelEnables[k] = static_cast<int16_t>(value);
        }
        ChannelSpectra& spectra = view.document().spectra();
        for (int k = 0; k < kSpectrumChannels; ++k)
            c.FillWavelengths(k, spectra.wavelengths[k].data());
        double minimum = 9999.0;
        double maximum = 0.0;
        const XrtHandle chart = view.chart();
        const XrtHandle data = view.chartData();
        // Every change below reaches the screen in one repaint.
        if (chart != 0)
            XrtSetValues(chart, {{kXrtRepaint, 0}});
        for (int k = 0; k < kSpectrumChannels; ++k) {
            if (c.GetChannelEnabled(k) == 1) {
                minimum = std::min(minimum, static_cast<double>(c.GetWLIntercept(k)));
                maximum = std::max(maximum, c.GetLastPixelWavelength(k));
                if (data != 0)
                    XrtDataSetXData(data, k, spectra.wavelengths[k].data(), kSpectrumPoints, 0);
            } else {
                spectra.processed[k].fill(0.0);
                spectra.wavelengths[k].fill(0.0);
                if (data != 0) {
                    XrtDataSetYData(data, k, spectra.processed[k].data(), kSpectrumPoints, 0);
                    XrtDataSetXData(data, k, spectra.wavelengths[k].data(), kSpectrumPoints, 0);
                }
            }
        }
        view.setDisplayedRange(minimum, maximum);
        if (chart != 0)
            XrtSetValues(chart, {{kXrtXDataMin, minimum},
                                 {kXrtXDataMax, maximum},
                                 {kXrtXMin, minimum},
                                 {kXrtXMax, maximum}});
        view.UpdateLegendLabels();
        if (chart != 0)
            XrtSetValues(chart, {{kXrtRepaint, 1}});
        return true;
    });
}
