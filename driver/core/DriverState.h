#pragma once

#include "driver/core/OperationSet.h"
#include "driver/core/RegistrationTable.h"
#include "platform/portio/PortIo.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace driver::core {

// StartupFlags bits; scans start only when all six are set.
inline constexpr std::uint16_t kStartupInterruptHandler = 0x1;
inline constexpr std::uint16_t kStartupParametersSet = 0x2;
inline constexpr std::uint16_t kStartupDataBuffer = 0x4;
inline constexpr std::uint16_t kStartupFloatBuffers = 0x8;
inline constexpr std::uint16_t kStartupTimerSet = 0x10;
inline constexpr std::uint16_t kStartupConfigured = 0x20;
inline constexpr std::uint16_t kStartupComplete = 0x3F;

// Acquisition status word.
inline constexpr std::int16_t kStatusAcquiring = 2;
inline constexpr std::int16_t kStatusChannelDone = 3;
inline constexpr std::int16_t kStatusStopped = 4;
inline constexpr std::int16_t kStatusTimedOut = 5;

// The instance key of the blocking calls' internal record (no window; the window word is
// its result slot).
inline constexpr std::uint32_t kDoScanKey = 1;

inline constexpr int kChannels = 8;
inline constexpr std::size_t kRawBufferSamples = 8192 / 2;
inline constexpr std::size_t kFloatScratchFloats = 16384 / 4;
inline constexpr int kScanTimes = 11;

// Per-channel corrections of end-of-scan processing.
struct ChannelCorrections
{
    std::array<double, 8> nlCoefficients{}; // intercept c0, then c1 to c7
    std::int32_t nlEnable = 0;              // the step runs only when exactly 1
    float slConstant = 0.0f;
    std::int32_t slEnable = 0;  // the step runs only when exactly 1
    float evenDarkLevel = 0.0f; // carried from scan to scan
    float oddDarkLevel = 0.0f;
};

// The driver's process-wide state, as it is after library start.
struct DriverFields
{
    // Configuration.
    std::uint16_t spectrometerType = VYK_SPEC_GAVREL;
    std::uint16_t adcType = VYK_ADC_DOVRIN;
    int irq = 7;
    int baseAddress = 768;
    int serialPort = 1;
    int pciCardId = 0;
    int daqCardId = 0;
    int firstPixel = 950;
    int pixelCount = 2048;
    std::string usbSerialNumber;
    bool messagesEnabled = true;
    int trigTimeoutMs = 0;
    bool autonullingEnabled = true;
    bool doScanProcessYield = true;
    bool extrigProcessYield = false;
    bool pciRq5Fix = false;
    int specialRotatorDelay = 1;
    // "Initialized": connect at start instead of asking. Read at start, set by every
    // connection, cleared when a back-end cannot be loaded.
    bool initialized = false;
    int serialPortBaudIndex = 5;
    bool compressKalData = false;
    int kaldrisPixelResolution = 1;
    int noIntegrationTimeDelayMode = 0;
    int cadrelPciMasterClockDivisor = 4;
    bool strobeState = true;
    bool lastUsbScanValid = false;

    // Multichannel spectra.
    int multichannelMode = 0;  // 0 off, 1 interleaved, 2 whole channels
    int multichannelCount = 0; // channels 0 to n
    int rotatorValue = 0;
    std::vector<std::uint8_t> rotatorBuffer;
    bool cadrelPciPlus = false;

    // Serial A/D states read by end-of-scan processing.
    bool kaldrisDoubleSamplingMode = false;
    bool scanAborted = false;

    std::uint16_t startupFlags = 0;
    int connectedMarker = 0;
    bool reopen = true;
    bool usbType = false; // a USB A/D type is connected

    // Registration and scheduling.
    RegistrationTable table;
    RegistrationRecord* current = nullptr;
    RegistrationRecord* lastFound = nullptr;
    RegistrationRecord* lastApplied = nullptr;
    int currentChannel = -1; // -1: idle
    int lastChannelDone = -1;
    std::int16_t acquisitionStatus = kStatusStopped;
    bool sequencerRunning = false; // from a scan start until the sequencer is idle again

    // Watchdog: a one-shot timer per channel start; the epoch tells a stale expiry apart.
    std::uint32_t watchdogTimer = 0;
    bool watchdogFirstExpiry = false;
    std::uint32_t watchdogDelayMs = 0;
    std::uint32_t channelEpoch = 0;

    std::uint32_t timersAvailable = 30000; // 0: no multimedia timer, no watchdog
    int appliedPeriodMs = 1;
    int appliedFlashDelay = 0;
    int frequencyDivisor = 10;

    std::vector<std::uint16_t> rawBuffer = std::vector<std::uint16_t>(kRawBufferSamples);
    std::size_t rawWrite = 0;
    std::vector<float> floatScratch = std::vector<float>(kFloatScratchFloats);

    OperationSet ops;
    std::array<ChannelCorrections, kChannels> corrections{};
    std::array<std::uint32_t, kScanTimes> scanTimes{};

    bool overrun = false;
    bool overrunPosted = false;
    std::uint32_t watchdogExpiries = 0; // counts every expiry that acted on a scan
    std::uint32_t cancelEpoch = 0;      // advanced by VYK_Stop, VYK_UnRegister and detach
    bool detaching = false;             // the library is going away: every scan ends now
    bool doScanBusy = false;            // scan-busy flag of the blocking calls
    bool workerScanBusy = false;        // scan-busy flag of the worker thread

    std::uint32_t randomState = 1;

    std::shared_ptr<platform::portio::PortIo> portIo = platform::portio::noPortIo();
};

// DriverFields with the scheduler mutex. The mutex guards every field; it is never held
// across a post, a wait, a message box or I/O. scanFinished is notified whenever a
// scan-busy flag clears or the sequencer goes idle.
struct DriverState : DriverFields
{
    std::mutex mutex;
    std::condition_variable scanFinished;

    // Back to the state of a freshly started library (keeps the mutex).
    void resetFields() { static_cast<DriverFields&>(*this) = DriverFields{}; }
};

// The process-wide state.
DriverState& driverState();

// A record lookup as the exports do it: key 0 is the current record; the result becomes
// the last-found record. Call with the mutex held.
RegistrationRecord* FindRegistration(DriverState& state, std::uint32_t key);

// The first enabled channel of the record at or after `from`, or -1.
int nextEnabledChannel(const RegistrationRecord& record, int from);

} // namespace driver::core
