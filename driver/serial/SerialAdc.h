#pragma once

#include "driver/serial/SerialPort.h"

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <span>

namespace driver::serial {

// The pixel-mode record of KAL_SetPixelMode and KAL_GetFullPixelMode: mode, 81 argument
// words (the pixel numbers of a list), count.
struct PixelModeRecord
{
    std::uint16_t mode;
    std::uint16_t args[81];
    std::uint16_t count;
};
static_assert(sizeof(PixelModeRecord) == 166);

// Results of the converter exports.
inline constexpr std::int16_t kKalDone = 1;
inline constexpr std::int16_t kKalNoAck = 0;
inline constexpr std::int16_t kKalPortClosed = -1;
inline constexpr std::int16_t kKalTimeout = -2;
inline constexpr std::int16_t kKalNotFfff = -4;
inline constexpr std::int16_t kKalBusy = -5;
inline constexpr std::int16_t kKalNeedsHiddenMode = -6;
inline constexpr std::int16_t kKalBadFrame = -7;
inline constexpr std::int16_t kKalBadChecksum = -8;
inline constexpr std::int16_t kKalNotSupported = -9;
inline constexpr std::int16_t kKalOutOfRange = -9999;

// Converter types on which a command is refused, as a bit mask of type numbers.
inline constexpr unsigned kTypes123 = 0xE; // 1, 2, 3
inline constexpr unsigned kTypes13 = 0xA;  // 1, 3
inline constexpr unsigned kType3 = 0x8;

// Bounds of the waits for a reply (the converter is untrusted: every read ends).
inline constexpr int kAckTimeoutMs = 100;
inline constexpr int kReplyTimeoutMs = 1000;
inline constexpr int kQuietGapMs = 50;

// The link to the serial A/D converter and its commands, one at a time on the one port.
// Every method may be called from any thread: a port lock serialises the commands, and
// the library's scan-busy flag keeps them away (result -5) while a scan runs.
class SerialAdc
{
public:
    // Link set-up.
    std::int16_t init(int port, int baudIndex);
    std::int16_t close(int mode);
    std::int16_t setSerialPort(int port);
    std::int16_t setBaudRate(int index);
    std::int16_t determineType();
    // Closes the port without a word to the converter (library detach).
    void closePort();

    // A command with ACK: the letter and its arguments. `refusedTypes` answers -9 on those
    // converter types; `hiddenOnly` answers -6 outside the hidden mode; `ackDelayMs` waits
    // before the ACK is awaited.
    std::int16_t command(char letter, std::initializer_list<std::uint16_t> args,
                         unsigned refusedTypes = 0, bool hiddenOnly = false, int ackDelayMs = 0);
    // A query answered by ACK and two bytes (high first): the value, or 0 without reply.
    // `prefixed` sends "?" before the letter.
    std::int16_t query(char letter, std::initializer_list<std::uint16_t> args, bool prefixed,
                       unsigned refusedTypes = 0, bool hiddenOnly = false);

    // Commands that keep what the converter acknowledged.
    std::int16_t setScansToAdd(std::uint16_t scans);
    std::int16_t setIntegrationTime(std::uint16_t ms);
    std::int16_t setExternalTrigger(std::uint16_t mode);
    std::int16_t setChecksumMode(std::uint16_t mode);
    std::int16_t setLemmikCDSMode(std::uint16_t mode);
    std::int16_t setFlashDelay(std::uint16_t delay);
    std::int16_t clearMemory(std::uint16_t memory);
    std::int16_t scanReceivedOk(std::uint16_t ok);
    std::int16_t getNumberOfScansInMemory(std::uint16_t memory);
    std::int16_t setPixelMode(const PixelModeRecord* record);
    std::int16_t getFullPixelMode(PixelModeRecord* record);
    std::int16_t readSlowMemory(std::uint16_t high, std::uint16_t low, std::uint8_t* data,
                                std::uint8_t* trailer);
    std::int16_t setStoredString(std::uint16_t slot, const char* text);
    // Fills the caller's 15 bytes (unterminated when the text has 15 characters).
    std::int16_t getStoredString(std::uint16_t slot, char* text);
    std::int16_t enterHiddenMode(int code);
    std::int16_t notImplemented(const char* text);

    // Scans.
    std::int16_t scan(std::uint16_t* buffer);
    std::int16_t readoutOneScan(std::uint16_t memory, std::uint16_t* buffer);
    std::int16_t scanWithAverage(std::uint16_t* buffer, int scans, float* average);
    // Ends a running scan from outside: clears the busy flag, waits a scan period, purges.
    void abortScan();

    // Driver-side settings.
    std::atomic<bool> interpolateMissingPixels{true};
    std::atomic<int> ramanMode{0};
    // A frame is complete as soon as its end marker (and sum) arrived; off, every frame
    // waits for the line to stay quiet for a gap (for comparison in the benchmark).
    std::atomic<bool> stopAtFrameEnd{true};

    // State for the operation sets and tests.
    bool isInitialised() const;
    bool isPortOpen() const;
    int converterType() const;
    std::uint16_t integrationTime() const;
    std::uint16_t scansToAdd() const;
    int currentBaud() const;
    bool lastScanFailed() const;
    std::int16_t statusWord() const;

private:
    struct Link;
    // Checks the common refusals in order: type, hidden mode, busy, port. 1 when clear.
    std::int16_t refusal(unsigned refusedTypes, bool hiddenOnly);
    // Sends bytes and awaits the ACK; the port lock is held.
    std::int16_t sendWithAckLocked(std::span<const std::uint8_t> bytes, bool purge, int ackDelayMs);
    // Reads exactly `count` bytes within `timeoutMs`; false when they do not come.
    bool readExactLocked(std::span<std::uint8_t> bytes, int timeoutMs);
    // Reads until no byte arrives for `gapMs` (bounded by `capacity` and `timeoutMs`).
    std::size_t readUntilQuietLocked(std::span<std::uint8_t> bytes, int gapMs, int timeoutMs);
    std::int16_t setBaudRateLocked(int index);
    std::int16_t scanLocked(std::uint16_t* buffer, std::uint64_t token);
    std::int16_t readFrameLocked(bool skipFirst, std::uint16_t* buffer, int firstByteTimeoutMs,
                                 bool untilTrigger, std::uint64_t token);

    mutable std::mutex m_port; // one command at a time on the port, and the link state
    std::unique_ptr<SerialPort> m_serial;
    bool m_initialised = false;
    int m_portNumber = 0;
    int m_baudIndex = 2;
    int m_baud = 9600;
    std::atomic<int> m_type{0}; // read without the port lock by the refusals
    std::int16_t m_status = 0;
    std::atomic<bool> m_hidden{false};
    std::uint16_t m_integration = 100;
    std::uint16_t m_scansToAdd = 1;
    std::uint16_t m_checksum = 0;
    std::uint16_t m_cdsMode = 0;
    std::uint16_t m_trigger = 0;
    std::uint32_t m_scanTimeMs = 0;
    std::uint32_t m_scanEpoch = 0; // the core's cancel epoch when the scan began
    int m_triggerTimeoutMs = 0;    // the configured trigger time-out then (0: none)
    bool m_lastScanFailed = false;
    // Copies for AbortSerialScan, which must not wait for the port lock a scan holds.
    std::atomic<bool> m_initialisedView{false};
    std::atomic<std::uint32_t> m_scanTimeView{0};
};

// The process-wide converter link.
SerialAdc& serialAdc();

// The baud rate of a baud index (0 = 2400 ... 6 = 115200); 0 outside 0 to 6.
int baudOfIndex(int index);

// The scan time of one converter scan (ms) by converter type, integration time, scans
// added and Raman mode.
std::uint32_t serialScanTimeMs(int converterType, std::uint16_t integrationMs,
                               std::uint16_t scansToAdd, bool raman);

// Closes the converter's port (library detach).
void CloseSerialADCPort();
// Ends a running serial scan (the set-up dialog, before it changes the set-up).
void AbortSerialScan();

} // namespace driver::serial
