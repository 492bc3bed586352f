#include "app/qt/ScanCountView.h"

#include "app/shell/DriverApi.h"
#include "app/shell/MainFrame.h"
#include "app/shell/NumberText.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "platform/framework/CDC.h"

#include <exception>

// Defined with the spectrum document wrapper.
CHarluneSpectrumDoc* spectrumDocumentOf(platform::framework::Document* document);

ScanCountView::ScanCountView(DriverApi& driver, CMainFrame& mainFrame,
                             SpectrometerConfigurationHost& host,
                             const std::string& configurationFile)
    : m_driver(driver), m_mainFrame(mainFrame), m_configurationFile(configurationFile), m_host(host)
{
    m_record.size = static_cast<int16_t>(sizeof(RegistrationRecord));
    m_record.integration = 100;
    m_record.scansToAverage = 1;
    m_record.channelEnables[0] = 1;
    m_record.instanceKey = mainFrame.instanceKey();
}

ScanCountView::~ScanCountView() = default;

void ScanCountView::OnInitialUpdate()
{
    m_record.window = GetSafeHwnd();
    m_configuration =
        std::make_unique<CSpectrometerConfiguration>(m_configurationFile, m_record.window, m_host);
    m_hardware.spectrometerType = m_configuration->GetSpectrometerType();
    m_hardware.adcType = m_configuration->GetADCType();
    m_hardware.irq = m_configuration->GetIRQ();
    m_hardware.baseAddress = m_configuration->GetBaseAddress();
    m_hardware.serialPort = m_configuration->GetSerialPort();
    m_hardware.pciCardId = m_configuration->GetPCICardID();
    m_hardware.serialPortResolution = m_configuration->GetSerialPortResolution();
    if (CHarluneSpectrumDoc* document = spectrumDocumentOf(GetDocument())) {
        for (int c = 0; c < kSpectrumChannels; ++c)
            m_record.channelBuffers[c] = document->rawScanBuffer(c).values;
    }
    m_registered = m_driver.VYK_Register(&m_record) == VYK_SUCCESS;
    if (!m_registered)
        m_mainFrame.SetAcquisitionSuspended(2);
    else
        // A scan asked for before this view was ready found nothing to start: let the idle
        // hook start one now.
        m_mainFrame.scanMessageHandled();
    View::OnInitialUpdate();
}

void ScanCountView::OnDraw(platform::framework::CDC* dc)
{
    dc->TextOut(10, 10, app::text::formatC("Scans received: %d", m_scans));
}

intptr_t ScanCountView::OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                                        bool& handled)
{
    try {
        switch (message) {
        case VYK_MSG_BUFFER_FULL:
            ++m_scans;
            m_driver.VYK_BufferEmpty(m_record.instanceKey, static_cast<int16_t>(wParam));
            m_mainFrame.scanMessageHandled();
            update();
            handled = true;
            return 0;
        case VYK_MSG_TIMEOUT:
        case VYK_MSG_OVERRUN:
        case VYK_MSG_ABORTED:
            m_mainFrame.scanMessageHandled();
            handled = true;
            return 0;
        case CMainFrame::WM_SPECTRUM_COMMAND:
            handled = true;
            return 1;
        default:
            break;
        }
    } catch (const std::exception&) {
        handled = true;
        return 0;
    }
    return View::OnWindowMessage(message, wParam, lParam, handled);
}
