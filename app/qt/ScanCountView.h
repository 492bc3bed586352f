#pragma once

#include "app/shell/MainFrameWindow.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "driver/include/vykdrv32.h"
#include "platform/framework/View.h"

#include <memory>

class CMainFrame;
class CHarluneSpectrumDoc;
class DriverApi;

// The spectrum window's view until the spectrum view itself lands: it registers its record
// with the driver library, lends the document's scan buffers, counts the scans that arrive
// through the round-robin and shows the count. GUI thread only.
class ScanCountView : public platform::framework::View, public SpectrumScanView
{
public:
    ScanCountView(DriverApi& driver, CMainFrame& mainFrame, SpectrometerConfigurationHost& host,
                  const std::string& configurationFile);
    ~ScanCountView() override;

    int scansReceived() const { return m_scans; }
    // Whether the view has its configuration and record (after its first update).
    bool isReady() const { return m_configuration != nullptr; }

    // SpectrumScanView
    RegistrationRecord& registrationRecord() override { return m_record; }
    Hardware& hardware() override { return m_hardware; }
    int32_t mavrinModulation() const override { return 0; }
    int16_t strobeEnable() const override { return 0; }
    bool timeNormalized() const override { return false; }
    CSpectrometerConfiguration& configuration() override { return *m_configuration; }
    void setClosing() override { m_closing = true; }

    void OnInitialUpdate() override;
    void OnDraw(platform::framework::CDC* dc) override;
    intptr_t OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                             bool& handled) override;

private:
    DriverApi& m_driver;
    CMainFrame& m_mainFrame;
    RegistrationRecord m_record{};
    Hardware m_hardware;
    std::unique_ptr<CSpectrometerConfiguration> m_configuration;
    std::string m_configurationFile;
    SpectrometerConfigurationHost& m_host;
    int m_scans = 0;
    bool m_registered = false;
    bool m_closing = false;
};
