#pragma once

#include "app/dialogs/SheetConfigurationAdapter.h"
#include "app/dialogs/SpectrometerSheetNeighbours.h"

class CHarluneSpectrumView;

namespace app::dialogs {

// A spectrum view as the spectrometer sheet and the model features dialog see it: its
// configuration, hardware record, flags, document arrays, chart and mode commands, and the
// features dialog's refresh interval. GUI thread.
class SpectrumViewSheetAdapter : public SpectrometerSheetView, public FeaturesDialogOwner
{
public:
    explicit SpectrumViewSheetAdapter(CHarluneSpectrumView& view);

    SheetConfiguration& sheetConfiguration() override { return m_configuration; }
    std::string usbSerialNumber() override;
    uint16_t adcType() override;
    uint16_t spectrometerType() override;
    void setUsbSerialNumber(const std::string& serial) override;
    void setAdcType(uint16_t value) override;
    void setSpectrometerType(uint16_t value) override;
    void setIrq(uint16_t value) override;
    void setBaseAddress(uint32_t value) override;
    void setSerialPort(uint16_t value) override;
    void setSerialPortResolution(uint16_t value) override;
    void setPciCardId(uint16_t value) override;
    void setChannelEnableWord(int channel, int16_t value) override;
    void setConfigurationApplying(int value) override;
    void setDeviceProbe(int value) override;
    void setDeviceChanged(int value) override;
    void setDisplayedRange(double minimumNm, double maximumNm) override;
    double* wavelengths(int channel) override;
    double* plotted(int channel) override;
    void setChartRepaint(bool on) override;
    void setChartXData(int channel, const double* values, int count) override;
    void setChartYData(int channel, const double* values, int count) override;
    void setChartXLimits(double minimum, double maximum) override;
    void setChartLastPoint(int channel, int point) override;
    int processingMode() override;
    void runProcessingModeCommand(int mode) override;

    int featuresRefreshIntervalMs() override;
    void setFeaturesRefreshIntervalMs(int intervalMs) override;
    uint16_t configurationAdcType() override;

private:
    CHarluneSpectrumView& m_view;
    SheetConfigurationAdapter m_configuration;
};

} // namespace app::dialogs
