#include "app/shell/MainFrame.h"

#include "app/res/MenuVerify.h"
#include "app/shell/DriverApi.h"
#include "app/shell/ErrorLog.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/NumberText.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "driver/include/vykdrv32.h"

#include <cstdlib>
#include <exception>

using namespace app::res;

namespace {

constexpr uint16_t kAdcSerialConverter = 3;
constexpr uint16_t kAdcPavik = 4;
constexpr uint16_t kAdcUlmar = 14;
constexpr size_t kStatusTextMax = 255;
constexpr const char* kAutoRunSection = "Scripting\\AutoRunScript";

bool isUsbAdc(uint16_t adc)
{
    switch (adc) {
    case 4:
    case 7:
    case 9:
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
        return true;
    default:
        return false;
    }
}

bool multiplexesChannels(uint16_t adc)
{
    return adc == 2 || adc == 6 || adc == 7 || adc == 8 || adc == 10;
}

// The window name of a spectrum frame: its title before the first "|", without trailing
// blanks (the view titles its frame "%s | Next Save Filename: %s").
std::string windowName(std::string title)
{
    if (title.size() > kStatusTextMax)
        title.resize(kStatusTextMax);
    auto bar = title.find('|');
    if (bar != std::string::npos)
        title.resize(bar);
    while (!title.empty() && (title.back() == ' ' || title.back() == '\t'))
        title.pop_back();
    return title;
}

// The integer that starts at the 13th character of the firmware text ("FW Version: 2.10" and
// the like); 0 when the text is shorter or holds no number there.
long firmwareMajor(const std::string& text)
{
    if (text.size() <= 12)
        return 0;
    return std::strtol(text.c_str() + 12, nullptr, 10);
}

} // namespace

CMainFrame::CMainFrame(MainFrameWindow& window, DriverApi& driver, uint32_t instanceKey,
                       ScriptHost* script, CErrorLog* errorLog)
    : m_window(window), m_driver(driver), m_script(script), m_errorLog(errorLog),
      m_instanceKey(instanceKey)
{
    CINIFileSupport store(nullptr, 1);
    m_autoRun.enabled = store.GetUIntDefault(kAutoRunSection, "Enabled", 0);
    m_autoRun.filename = store.GetStringDefault(kAutoRunSection, "Filename", "XXX");
    m_autoRun.encrypted = store.GetUIntDefault(kAutoRunSection, "Encrypted", 0);
}

void CMainFrame::initDriverCache()
{
    m_cache.adcType = driver().VYK_GetADCType();
    m_cache.spectrometerType = driver().VYK_GetSpectrometerType();
    m_cache.irq = driver().VYK_GetIRQ();
    m_cache.baseAddress = driver().VYK_GetBaseAddress();
    m_cache.pciCardId = driver().VYK_GetPCICardID();
    m_currentUsbSerial = driver().VYK_GetCurrentUSBSerialNumber();
    m_mavrinModulation = 5;
}

bool CMainFrame::onIdle(int openSpectrumDocuments)
{
    if (m_scanPending == 0 && openSpectrumDocuments > 0 && m_acquisitionHalted == 0) {
        m_window.idleUpdate();
        m_scanPending = 1;
        StartNextScan();
    }
    return false;
}

uint32_t CMainFrame::GetNextMDIChild()
{
    const std::vector<uint32_t> children = m_window.childWindows();
    size_t index = 0;
    if (m_rememberedChild != 0) {
        size_t at = 0;
        while (at < children.size() && children[at] != m_rememberedChild)
            ++at;
        // A remembered child that has gone is forgotten; the walk starts again at the first.
        index = at < children.size() ? at + 1 : 0;
    }
    for (; index < children.size(); ++index) {
        m_rememberedChild = children[index];
        if (m_window.childKind(children[index]) != MainFrameWindow::ChildKind::Other)
            return children[index];
    }
    m_rememberedChild = 0;
    return 0;
}

int CMainFrame::CountMDIChildren()
{
    int count = 0;
    while (GetNextMDIChild() != 0)
        ++count;
    return count;
}

void CMainFrame::StartNextScan()
{
    m_scanPending = 1;
    if (m_singleThread == 0 && driver().VYK_AcquisitionThreadActive() != 0) {
        passChangesToRunningScan();
        if (!m_startDeferred) {
            m_startDeferred = true;
            m_window.setTimer(kScanRetryTimer, kScanRetryMs);
        }
        return;
    }
    if (m_startDeferred) {
        m_startDeferred = false;
        m_window.killTimer(kScanRetryTimer);
    }
    // The end of a pass is stepped over so the walk wraps; a second end without a spectrum
    // frame in between means there is none, and nothing is outstanding.
    int passEnds = 0;
    while (passEnds < 2) {
        const uint32_t frame = GetNextMDIChild();
        if (frame == 0) {
            ++passEnds;
            continue;
        }
        if (m_window.childKind(frame) == MainFrameWindow::ChildKind::Spectrum) {
            StartScan(frame);
            return;
        }
    }
    m_scanPending = 0;
}

namespace {

// Whether two records ask for different scans: the values a user, a reset or a script
// changes, not the driver's own bookkeeping.
bool acquisitionValuesDiffer(const RegistrationRecord& a, const RegistrationRecord& b)
{
    return a.integration != b.integration || a.scansToAverage != b.scansToAverage ||
           a.boxcarHalfWidth != b.boxcarHalfWidth || a.flashDelay != b.flashDelay ||
           a.triggerMode != b.triggerMode || a.correctForDark != b.correctForDark ||
           a.strobeFlashSelect != b.strobeFlashSelect || a.microsecondFlag != b.microsecondFlag ||
           a.microsecondIntegrationTime != b.microsecondIntegrationTime;
}

} // namespace

void CMainFrame::passChangesToRunningScan()
{
    if (m_scanFrame == 0)
        return;
    SpectrumScanView* view = m_window.activeSpectrumView(m_scanFrame);
    if (!view)
        return;
    RegistrationRecord& record = view->registrationRecord();
    // Another view took the frame's place meanwhile: the running scan is not its own.
    if (record.window != m_sentRecord.window || !acquisitionValuesDiffer(record, m_sentRecord))
        return;
    // Unchanged values are never sent again: the driver begins the scans to average anew with
    // every record it is given.
    record.timingDirty = 1;
    if (record.integration == 0)
        record.integration = 100;
    driver().VYK_ParamSet(&record);
    driver().VYK_StrobeEnable(view->strobeEnable());
    m_integrationTime = driver().VYK_GetIntegrationTime();
    m_sentRecord = record;
    showScanStatus(m_scanFrame, *view);
}

bool CMainFrame::StartNextScanEarly()
{
    if (m_scanPending == 0 || m_acquisitionHalted != 0 || m_singleThread != 0 || m_startDeferred)
        return false;
    // A script's event handlers run between this scan's data and the next start, and may
    // change what the next scan does.
    if (m_script && m_script->isRunning())
        return false;
    if (driver().VYK_AcquisitionThreadActive() != 0)
        return false;
    // A start that does not happen leaves the walk where it was, for the idle hook's start.
    const uint32_t remembered = m_rememberedChild;
    int passEnds = 0;
    while (passEnds < 2) {
        const uint32_t frame = GetNextMDIChild();
        if (frame == 0) {
            ++passEnds;
            continue;
        }
        if (m_window.childKind(frame) == MainFrameWindow::ChildKind::Spectrum) {
            if (StartScan(frame))
                return true;
            break;
        }
    }
    m_rememberedChild = remembered;
    return false;
}

bool CMainFrame::StartScan(uint32_t spectrumFrame)
{
    SpectrumScanView* view = m_window.activeSpectrumView(spectrumFrame);
    if (!view)
        return false;
    RegistrationRecord& record = view->registrationRecord();
    SpectrumScanView::Hardware& hardware = view->hardware();
    CSpectrometerConfiguration& configuration = view->configuration();

    const bool hardwareDiffers =
        hardware.spectrometerType != m_cache.spectrometerType ||
        hardware.adcType != m_cache.adcType || hardware.irq != m_cache.irq ||
        hardware.baseAddress != m_cache.baseAddress || hardware.serialPort != m_cache.serialPort ||
        hardware.pciCardId != m_cache.pciCardId;
    if (hardwareDiffers) {
        // All four 0 would make the driver show its set-up dialog.
        if (hardware.spectrometerType != 0 || hardware.adcType != 0 || hardware.irq != 0 ||
            hardware.baseAddress != 0)
            driver().VYK_ConfigEx(hardware.spectrometerType, hardware.adcType, hardware.irq,
                                  static_cast<uint16_t>(hardware.baseAddress), hardware.serialPort,
                                  hardware.pciCardId);
        m_cache.spectrometerType = configuration.GetSpectrometerType();
        m_cache.adcType = configuration.GetADCType();
        m_cache.irq = configuration.GetIRQ();
        m_cache.baseAddress = configuration.GetBaseAddress();
        m_cache.serialPort = configuration.GetSerialPort();
        m_cache.channelRotation = configuration.GetChannelRotation();
        m_cache.pciCardId = configuration.GetPCICardID();
        configuration.ApplyToDriver();
        if (m_cache.adcType == kAdcSerialConverter) {
            const uint16_t resolution = configuration.GetSerialPortResolution();
            if (resolution < 1 || resolution > 500)
                hardware.serialPortResolution = 1;
            KaldrisPixelMode pixelMode;
            pixelMode.mode = 1;
            pixelMode.arguments[0] = static_cast<int16_t>(resolution);
            pixelMode.count = 1;
            driver().KAL_SetPixelMode(&pixelMode);
        }
    }

    if (hardware.adcType == kAdcPavik && view->mavrinModulation() != m_mavrinModulation &&
        configuration.GetADCType() == kAdcPavik) {
        if (firmwareMajor(driver().Pavik_GetFirmwareVersion()) >= 2)
            driver().Pavik_SetMavrinModulation(view->mavrinModulation());
        m_mavrinModulation = view->mavrinModulation();
    }

    if (isUsbAdc(hardware.adcType)) {
        const std::string current = driver().VYK_GetCurrentUSBSerialNumber();
        const std::string wanted = configuration.GetUSBSerialNumber();
        if (current != wanted) {
            configuration.SetUSBSerialNumber(wanted);
            configuration.ApplyToDriver();
            m_currentUsbSerial = driver().VYK_GetCurrentUSBSerialNumber();
        }
    }

    if (record.window == 0 || !m_window.isWindow(record.window))
        return false;

    record.timingDirty = 1;
    if (record.integration == 0)
        record.integration = 100;

    if (multiplexesChannels(m_cache.adcType)) {
        const uint16_t rotation = configuration.GetChannelRotation();
        if (rotation == 0) {
            driver().VYK_DisableMultichannelSpectra();
        } else {
            driver().VYK_EnableMultichannelSpectra(rotation);
            for (int16_t& enable : record.channelEnables)
                enable = 0;
            record.channelEnables[0] = 1;
        }
    }

    m_integrationTime = driver().VYK_GetIntegrationTime();
    showScanStatus(spectrumFrame, *view);

    if (m_acquisitionHalted == 2)
        return false;
    if (m_acquisitionHalted == 1)
        m_acquisitionHalted = 2;

    driver().VYK_GetCurrentUSBSerialNumber();
    driver().VYK_ParamSet(&record);
    driver().VYK_StrobeEnable(view->strobeEnable());
    m_integrationTime = driver().VYK_GetIntegrationTime();
    m_scanFrame = spectrumFrame;
    m_sentRecord = record;
    if (m_singleThread == 0)
        driver().VYK_SingleScan_Thread(m_instanceKey);
    else
        driver().VYK_SingleScan(m_instanceKey);
    ++m_scansStarted;
    return true;
}

void CMainFrame::showScanStatus(uint32_t spectrumFrame, SpectrumScanView& view)
{
    const RegistrationRecord& record = view.registrationRecord();
    const std::string name = windowName(m_window.windowTitle(spectrumFrame));
    long shownTime = m_integrationTime;
    const char* unit = "msec";
    if (record.microsecondFlag == 1) {
        unit = "usec";
        if (view.configuration().GetADCType() == kAdcUlmar) {
            shownTime = m_integrationTime / 1000;
            unit = "sec";
        }
    }
    std::string status = app::text::formatC(
        "Now acquiring data for %s | Integration Time: %ld %s | Averages: %d | Boxcar %d",
        name.c_str(), shownTime, unit, record.scansToAverage, record.boxcarHalfWidth);
    switch (record.triggerMode) {
    case 1:
        status += " -- SOFTWARE TRIGGER.";
        break;
    case 2:
        status += " -- EXTERNAL SYNC.";
        break;
    case 3:
        status += " -- EXTERNAL HARDWARE TRIGGER";
        break;
    default:
        break;
    }
    if (view.timeNormalized())
        status += " -- TIME NORMALIZED";
    if (status.size() > kStatusTextMax)
        status.resize(kStatusTextMax);
    m_window.setStatusText(status);
}

bool CMainFrame::StartScanForWindow(const std::string& name)
{
    // Finish the current pass so the walk starts at the first child.
    while (GetNextMDIChild() != 0) {
    }
    while (const uint32_t frame = GetNextMDIChild()) {
        try {
            if (m_window.childKind(frame) == MainFrameWindow::ChildKind::Spectrum &&
                m_window.windowTitle(frame) == name) {
                m_acquisitionHalted = 1;
                StartScan(frame);
                return true;
            }
        } catch (const std::exception&) {
            if (m_errorLog)
                m_errorLog->LogException(nullptr, "MainFrame", __LINE__);
        }
    }
    return false;
}

void CMainFrame::SetAcquisitionSuspended(int32_t state)
{
    m_acquisitionHalted = state;
    if (state == 0) {
        StartNextScan();
        m_window.wakeIdle();
    }
}

void CMainFrame::SuspendAndStartNextScan()
{
    m_acquisitionHalted = 1;
    StartNextScan();
}

void CMainFrame::scanMessageHandled()
{
    if (m_scanPending == 0)
        return;
    m_scanPending = 0;
    // The next scan starts from the idle hook once the queue is empty, never from inside the
    // channel's message.
    m_window.wakeIdle();
}

int32_t CMainFrame::VerifyCommand(int32_t actionId)
{
    if (m_verifyMenuBusy)
        return 1;
    if (!m_script)
        return 1;
    int32_t answer = 1;
    try {
        if (!m_script->definesVerifyMenu())
            return 1;
        m_verifyMenuBusy = 1;
        answer = m_script->callVerifyMenu(actionId).value_or(0);
    } catch (const std::exception& error) {
        m_script->reportError(error.what());
        answer = 1;
    } catch (...) {
        m_script->reportError("unknown error");
        answer = 1;
    }
    m_verifyMenuBusy = 0;
    return answer;
}

void CMainFrame::OnKickStart()
{
    if (VerifyCommand(mvSpecSpectrumKickStart))
        StartNextScan();
}

void CMainFrame::sendGlobal(int32_t actionId, uintptr_t code, intptr_t argument)
{
    if (VerifyCommand(actionId))
        m_window.sendSpectrumCommand(code, argument);
}

void CMainFrame::OnGlobalDark()
{
    sendGlobal(mvSpecSpectrumGlobalStoreGlobalDark, 0, 0);
}

void CMainFrame::OnGlobalReference()
{
    sendGlobal(mvSpecSpectrumGlobalStoreGlobalReference, 1, 0);
}

void CMainFrame::OnGlobalSnapshot()
{
    if (!VerifyCommand(mvSpecSpectrumGlobalGlobalSnapshot))
        return;
    m_snapshotOn = m_snapshotOn ? 0 : 1;
    m_window.sendSpectrumCommand(2, m_snapshotOn);
}

void CMainFrame::OnGlobalEmergencyReset()
{
    sendGlobal(mvSpecSpectrumGlobalGlobalEmergencyReset, 3, 0);
}

void CMainFrame::OnUserMenu(unsigned commandId)
{
    m_window.fireUserMenu(static_cast<int32_t>(commandId));
}

void CMainFrame::OnTimer(unsigned id)
{
    if (id == kScanRetryTimer) {
        // A start waiting for the driver's previous scan. Every end of a wait kills the timer,
        // so a tick without a waiting start is stale and does nothing.
        if (m_startDeferred && m_acquisitionHalted == 2) {
            m_startDeferred = false;
            m_window.killTimer(kScanRetryTimer);
        } else if (m_startDeferred) {
            StartNextScan();
        }
    } else if (id == kCloseRetryTimer) {
        m_window.postClose();
        m_window.killTimer(kCloseRetryTimer);
    } else if (id >= kFirstScriptTimer && id <= kLastScriptTimer) {
        // Script timers fire once although they run as periodic window timers.
        m_window.killTimer(id);
        m_window.fireTimerTick(static_cast<int16_t>(id - kFirstScriptTimer));
    }
}

bool CMainFrame::OnClose()
{
    if (SpectrumScanView* view = m_window.activeView())
        view->setClosing();
    if (m_script && m_script->isRunning()) {
        m_script->stop();
        m_window.setTimer(kCloseRetryTimer, kCloseRetryMs);
        return false;
    }
    switch (m_cache.adcType) {
    case 4:
    case 7:
    case 9:
    case 11:
    case 253:
        driver().VYK_USB_ResetAllPipes();
        break;
    default:
        break;
    }
    driver().VYK_UnRegister(m_instanceKey);
    if (m_cache.spectrometerType == VYK_SPEC_ULMAR) {
        driver().Ulmar_SetTECEnable(0);
    } else if (m_cache.spectrometerType == VYK_SPEC_WESSOR ||
               m_cache.spectrometerType == VYK_SPEC_VELKO) {
        driver().Xandel_EnableCooler(0);
        driver().Xandel_EnableFan(0);
    }
    CINIFileSupport store(nullptr, 1);
    store.WriteString(kAutoRunSection, "Enabled", std::to_string(m_autoRun.enabled).c_str());
    if (!m_autoRun.filename.empty())
        store.WriteString(kAutoRunSection, "Filename", m_autoRun.filename.c_str());
    return true;
}
