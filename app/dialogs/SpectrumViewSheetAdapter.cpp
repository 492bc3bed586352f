#include "app/dialogs/SpectrumViewSheetAdapter.h"

#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "platform/chart/Xrt.h"
#include "platform/chart/XrtProperties.h"

namespace app::dialogs {

using namespace platform::chart;

SpectrumViewSheetAdapter::SpectrumViewSheetAdapter(CHarluneSpectrumView& view)
    : m_view(view), m_configuration(view.configuration())
{}

std::string SpectrumViewSheetAdapter::usbSerialNumber()
{
    return m_view.hardware().usbSerialNumber;
}

uint16_t SpectrumViewSheetAdapter::adcType()
{
    return m_view.hardware().adcType;
}

uint16_t SpectrumViewSheetAdapter::spectrometerType()
{
    return m_view.hardware().spectrometerType;
}

void SpectrumViewSheetAdapter::setUsbSerialNumber(const std::string& serial)
{
    m_view.hardware().usbSerialNumber = serial.substr(0, 15);
}

void SpectrumViewSheetAdapter::setAdcType(uint16_t value)
{
    m_view.hardware().adcType = value;
}

void SpectrumViewSheetAdapter::setSpectrometerType(uint16_t value)
{
    m_view.hardware().spectrometerType = value;
}

void SpectrumViewSheetAdapter::setIrq(uint16_t value)
{
    m_view.hardware().irq = value;
}

void SpectrumViewSheetAdapter::setBaseAddress(uint32_t value)
{
    m_view.hardware().baseAddress = value;
}

void SpectrumViewSheetAdapter::setSerialPort(uint16_t value)
{
    m_view.hardware().serialPort = value;
}

void SpectrumViewSheetAdapter::setSerialPortResolution(uint16_t value)
{
    m_view.hardware().serialPortResolution = value;
}

void SpectrumViewSheetAdapter::setPciCardId(uint16_t value)
{
    m_view.hardware().pciCardId = value;
}

void SpectrumViewSheetAdapter::setChannelEnableWord(int channel, int16_t value)
{
    if (channel >= 0 && channel < 8)
        m_view.record().channelEnables[channel] = value;
}

void SpectrumViewSheetAdapter::setConfigurationApplying(int value)
{
    m_view.setConfigurationApplying(value);
}

void SpectrumViewSheetAdapter::setDeviceProbe(int value)
{
    m_view.setDeviceProbe(value);
}

void SpectrumViewSheetAdapter::setDeviceChanged(int value)
{
    m_view.setDeviceChanged(value);
}

void SpectrumViewSheetAdapter::setDisplayedRange(double minimumNm, double maximumNm)
{
    m_view.setDisplayedRange(minimumNm, maximumNm);
}

double* SpectrumViewSheetAdapter::wavelengths(int channel)
{
    return m_view.document().spectra().wavelengths.at(channel).data();
}

double* SpectrumViewSheetAdapter::plotted(int channel)
{
    return m_view.document().spectra().processed.at(channel).data();
}

void SpectrumViewSheetAdapter::setChartRepaint(bool on)
{
    XrtSetValues(m_view.chart(), {{kXrtRepaint, on ? 1 : 0}});
}

void SpectrumViewSheetAdapter::setChartXData(int channel, const double* values, int count)
{
    XrtDataSetXData(m_view.chartData(), channel, values, count, 0);
}

void SpectrumViewSheetAdapter::setChartYData(int channel, const double* values, int count)
{
    XrtDataSetYData(m_view.chartData(), channel, values, count, 0);
}

void SpectrumViewSheetAdapter::setChartXLimits(double minimum, double maximum)
{
    XrtSetValues(m_view.chart(), {{kXrtXDataMin, minimum},
                                  {kXrtXMin, minimum},
                                  {kXrtXDataMax, maximum},
                                  {kXrtXMax, maximum}});
}

void SpectrumViewSheetAdapter::setChartLastPoint(int channel, int point)
{
    XrtDataSetLastPoint(m_view.chartData(), channel, point);
}

int SpectrumViewSheetAdapter::processingMode()
{
    return static_cast<int>(m_view.processingMode());
}

void SpectrumViewSheetAdapter::runProcessingModeCommand(int mode)
{
    switch (mode) {
    case 0:
        m_view.OnScopeMode();
        break;
    case 1:
        m_view.OnAbsorbanceMode();
        break;
    case 2:
        m_view.OnTransmissionMode();
        break;
    case 3:
        m_view.OnRelativeIrradianceMode();
        break;
    default:
        break;
    }
}

int SpectrumViewSheetAdapter::featuresRefreshIntervalMs()
{
    return m_view.trevanDialogTimerInterval();
}

void SpectrumViewSheetAdapter::setFeaturesRefreshIntervalMs(int intervalMs)
{
    m_view.setTrevanDialogTimerInterval(intervalMs);
}

uint16_t SpectrumViewSheetAdapter::configurationAdcType()
{
    return m_view.configuration().GetADCType();
}

} // namespace app::dialogs
