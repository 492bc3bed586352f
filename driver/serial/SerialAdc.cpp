#include "driver/serial/SerialAdc.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/core/Scheduler.h"
#include "driver/serial/ScanBusy.h"
#include "driver/serial/SerialAdcProtocol.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace driver::serial {
namespace {

using Time = std::chrono::nanoseconds;

constexpr int kBaudRates[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr std::size_t kQueueBytes = 10000;
// Room for the longest frame (a list of 2048 pixels with two escaped values each).
constexpr std::size_t kReceiveBytes = 32768;
constexpr int kScanMarginMs = 4000;
constexpr int kHiddenModeCode = 5817;

bool refusedOn(unsigned mask, int type)
{
    return type >= 0 && type < 32 && (mask >> type) & 1u;
}

// Deadlines are taken on the port's own time, on which its waits run.
Time deadlineAfter(SerialPort& port, int ms)
{
    return port.now() + std::chrono::milliseconds(ms);
}

int msLeft(SerialPort& port, Time deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - port.now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits without pumping messages: the port lock is held, and a handler run by a pump could
// call back into the converter.
void pause(int ms)
{
    if (ms > 0)
        core::driverPlatform().sleepMs(static_cast<std::uint32_t>(ms));
}

// Time the bytes take on the line at `baud` (10 bits a byte), plus a margin.
int lineTimeMs(std::size_t bytes, int baud)
{
    return static_cast<int>(bytes * 10 * 1000 / static_cast<std::size_t>(std::max(baud, 300))) +
           1000;
}

} // namespace

int baudOfIndex(int index)
{
    return index >= 0 && index <= 6 ? kBaudRates[index] : 0;
}

std::uint32_t serialScanTimeMs(int converterType, std::uint16_t integrationMs,
                               std::uint16_t scansToAdd, bool raman)
{
    std::uint32_t p = 0;
    if (converterType == 0)
        p = static_cast<std::uint32_t>(integrationMs) * scansToAdd;
    else
        p = static_cast<std::uint32_t>(scansToAdd) *
                (integrationMs < 41 ? integrationMs + 40u : integrationMs) +
            50u;
    return raman ? 8 * p : p;
}

std::int16_t SerialAdc::refusal(unsigned refusedTypes, bool hiddenOnly)
{
    // Nothing here waits for the port lock before the busy test: a scan holds that lock,
    // and a command must answer -5 at once meanwhile.
    if (refusedOn(refusedTypes, m_type.load()))
        return kKalNotSupported;
    if (hiddenOnly && !m_hidden.load())
        return kKalNeedsHiddenMode;
    if (scanBusyFlag().isBusy())
        return kKalBusy;
    std::lock_guard lock(m_port);
    if (!m_serial) {
        m_status = kKalPortClosed;
        return kKalPortClosed;
    }
    return kKalDone;
}

std::int16_t SerialAdc::sendWithAckLocked(std::span<const std::uint8_t> bytes, bool purge,
                                          int ackDelayMs)
{
    if (!m_serial)
        return kKalPortClosed;
    if (purge) {
        m_serial->purgeInput();
        m_status = 1;
    }
    if (!m_serial->write(bytes, lineTimeMs(bytes.size(), m_baud))) {
        core::debugLog("NO BYTE\n");
        return kKalNoAck;
    }
    pause(ackDelayMs);
    if (!m_serial->waitReadable(kAckTimeoutMs)) {
        core::debugLog("NO BYTE\n");
        return kKalNoAck;
    }
    std::uint8_t reply = 0;
    if (m_serial->read({&reply, 1}) != 1) {
        core::debugLog("NO BYTE\n");
        return kKalNoAck;
    }
    if (reply != kAck) {
        core::debugLog("NO ACK - 0x%02x\n", reply);
        // Whatever else the converter is sending would spoil the next command's reply.
        std::array<std::uint8_t, 512> rest{};
        while (readUntilQuietLocked(rest, kQuietGapMs, 2000) == rest.size()) {
        }
        return kKalNoAck;
    }
    return kKalDone;
}

bool SerialAdc::readExactLocked(std::span<std::uint8_t> bytes, int timeoutMs)
{
    const Time deadline = deadlineAfter(*m_serial, timeoutMs);
    std::size_t done = 0;
    while (done < bytes.size()) {
        done += m_serial->read(bytes.subspan(done));
        if (done >= bytes.size())
            break;
        const int left = msLeft(*m_serial, deadline);
        if (left == 0 || !m_serial->waitReadable(left))
            return false;
    }
    return true;
}

std::size_t SerialAdc::readUntilQuietLocked(std::span<std::uint8_t> bytes, int gapMs, int timeoutMs)
{
    const Time deadline = deadlineAfter(*m_serial, timeoutMs);
    std::size_t done = 0;
    for (;;) {
        done += m_serial->read(bytes.subspan(done));
        if (done >= bytes.size() || msLeft(*m_serial, deadline) == 0)
            break;
        if (!m_serial->waitReadable(std::min(gapMs, msLeft(*m_serial, deadline))))
            break;
    }
    return done;
}

std::int16_t SerialAdc::command(char letter, std::initializer_list<std::uint16_t> args,
                                unsigned refusedTypes, bool hiddenOnly, int ackDelayMs)
{
    const std::int16_t refused = refusal(refusedTypes, hiddenOnly);
    if (refused != kKalDone)
        return refused;
    const std::vector<std::uint8_t> bytes = encodeCommand(letter, args);
    std::lock_guard lock(m_port);
    return sendWithAckLocked(bytes, true, ackDelayMs);
}

std::int16_t SerialAdc::query(char letter, std::initializer_list<std::uint16_t> args, bool prefixed,
                              unsigned refusedTypes, bool hiddenOnly)
{
    const std::int16_t refused = refusal(refusedTypes, hiddenOnly);
    if (refused != kKalDone)
        return refused;
    const std::vector<std::uint8_t> bytes =
        prefixed ? encodeQuery(letter, args) : encodeCommand(letter, args);
    std::lock_guard lock(m_port);
    if (sendWithAckLocked(bytes, true, 0) != kKalDone)
        return kKalNoAck;
    std::array<std::uint8_t, 2> reply{};
    if (!readExactLocked(reply, kReplyTimeoutMs)) {
        core::debugLog("NO REPLY\n");
        return kKalNoAck;
    }
    return static_cast<std::int16_t>((reply[0] << 8) | reply[1]);
}

std::int16_t SerialAdc::init(int port, int baudIndex)
{
    {
        std::lock_guard lock(m_port);
        if (m_initialised)
            return 0;
    }
    scanBusyFlag().forceClear();
    std::unique_lock lock(m_port);
    if (m_serial)
        return 1;
    m_hidden = false;
    m_integration = 100;
    m_scansToAdd = 1;
    m_checksum = 0;
    m_cdsMode = 0;
    m_trigger = 0;
    m_type = 0;
    m_status = 0;
    m_lastScanFailed = false;
    ramanMode = 0;
    interpolateMissingPixels = true;
    int baud = baudOfIndex(baudIndex);
    if (baud == 0) {
        lock.unlock();
        core::showDriverBox("Bad baud rate -- setting default", "", core::kMbOk, core::kIdOk);
        lock.lock();
        baud = 9600;
    }
    m_serial = OpenSerialPort(port, kQueueBytes, kQueueBytes);
    if (!m_serial) {
        lock.unlock();
        core::showDriverBox("Can not open serial port.\nPerhaps is it in use by another device.",
                            "Fatal Error", core::kMbOk | core::kMbIconError, core::kIdOk);
        return 0;
    }
    // The converter always starts at 9600 baud; KAL_SetBaudRate changes the speed.
    m_serial->setBaud(baud);
    m_serial->setLine(9600, 8, 1, 0);
    m_baud = 9600;
    m_type = 0;
    for (int type = 1; type <= 3 && m_type.load() == 0; ++type) {
        const char letter = "=-_"[type - 1];
        const std::vector<std::uint8_t> bytes = encodeCommand(letter, {});
        if (sendWithAckLocked(bytes, true, 0) == kKalDone)
            m_type = type;
    }
    m_baudIndex = baudIndex;
    m_portNumber = port;
    m_trigger = 0;
    m_initialised = true;
    m_initialisedView = true;
    lock.unlock();
    scanBusyFlag().forceClear();
    {
        // The CDS mode starts at 0 again; end-of-scan processing reads it from the state.
        core::DriverState& state = core::driverState();
        std::lock_guard stateLock(state.mutex);
        state.kaldrisDoubleSamplingMode = false;
    }
    return 1;
}

std::int16_t SerialAdc::determineType()
{
    const std::int16_t refused = refusal(0, false);
    if (refused != kKalDone)
        return refused;
    std::lock_guard lock(m_port);
    m_type = 0;
    for (int type = 1; type <= 3; ++type) {
        const char letter = "=-_"[type - 1];
        const std::vector<std::uint8_t> bytes = encodeCommand(letter, {});
        if (sendWithAckLocked(bytes, true, 0) == kKalDone) {
            m_type = type;
            break;
        }
    }
    return static_cast<std::int16_t>(m_type);
}

std::int16_t SerialAdc::setBaudRateLocked(int index)
{
    if (m_type.load() == 1 && index > 4)
        index = 4;
    if (!m_serial) {
        m_status = kKalPortClosed;
        return kKalPortClosed;
    }
    const std::vector<std::uint8_t> bytes = encodeCommand('K', {static_cast<std::uint16_t>(index)});
    if (sendWithAckLocked(bytes, true, 0) != kKalDone)
        return kKalNoAck;
    pause(100);
    const int baud = baudOfIndex(index);
    if (m_serial->setBaud(baud))
        m_baud = baud;
    pause(100);
    if (sendWithAckLocked(bytes, true, 0) != kKalDone)
        return kKalNoAck;
    m_status = 1;
    return kKalDone;
}

std::int16_t SerialAdc::setBaudRate(int index)
{
    if (index > 6 || index < 0)
        return kKalOutOfRange;
    if (scanBusyFlag().isBusy())
        return kKalBusy;
    std::lock_guard lock(m_port);
    return setBaudRateLocked(index);
}

std::int16_t SerialAdc::close(int mode)
{
    {
        std::lock_guard lock(m_port);
        if (!m_initialised)
            return 0;
        if (mode > 3 || mode < 0)
            return kKalOutOfRange;
        if (!m_serial) {
            m_status = kKalPortClosed;
            return kKalPortClosed;
        }
    }
    scanBusyFlag().forceClear();
    std::lock_guard lock(m_port);
    m_initialised = false;
    m_initialisedView = false;
    setBaudRateLocked(2);
    if (mode >= 1 && mode <= 3) {
        const std::vector<std::uint8_t> bytes =
            encodeCommand('C', {static_cast<std::uint16_t>(mode)});
        m_status = sendWithAckLocked(bytes, true, 0);
    } else if (m_serial && m_serial->setBaud(9600)) {
        m_baud = 9600;
    }
    m_serial.reset();
    return m_status;
}

std::int16_t SerialAdc::setSerialPort(int port)
{
    int baudIndex = 2;
    {
        std::lock_guard lock(m_port);
        if (port == m_portNumber && m_serial)
            return 1;
    }
    if (scanBusyFlag().isBusy())
        return kKalBusy;
    {
        std::lock_guard lock(m_port);
        if (m_portNumber == 0)
            return 0;
        baudIndex = m_baudIndex;
    }
    close(0);
    {
        // A link that was not initialised still holds its port: let it go.
        std::lock_guard lock(m_port);
        m_serial.reset();
        m_initialised = false;
        m_initialisedView = false;
    }
    return init(port, baudIndex);
}

void SerialAdc::closePort()
{
    std::lock_guard lock(m_port);
    m_serial.reset();
    m_initialised = false;
    m_initialisedView = false;
}

std::int16_t SerialAdc::setScansToAdd(std::uint16_t scans)
{
    const std::int16_t result = command('A', {scans});
    if (result == kKalDone) {
        std::lock_guard lock(m_port);
        m_scansToAdd = scans;
    }
    return result;
}

std::int16_t SerialAdc::setIntegrationTime(std::uint16_t ms)
{
    const std::int16_t result = command('I', {ms});
    if (result == kKalDone) {
        std::lock_guard lock(m_port);
        m_integration = ms;
    }
    return result;
}

std::int16_t SerialAdc::setExternalTrigger(std::uint16_t mode)
{
    if (mode == 2 && (m_type.load() == 1 || m_type.load() == 3))
        return kKalOutOfRange;
    const std::int16_t result = command('T', {mode});
    if (result == kKalDone) {
        std::lock_guard lock(m_port);
        m_trigger = mode;
    }
    return result;
}

std::int16_t SerialAdc::setChecksumMode(std::uint16_t mode)
{
    const std::int16_t result = command('k', {mode});
    if (result == kKalDone) {
        std::lock_guard lock(m_port);
        m_checksum = mode;
    }
    return result;
}

std::int16_t SerialAdc::setLemmikCDSMode(std::uint16_t mode)
{
    const std::int16_t result = command('h', {mode}, kTypes13);
    if (result == kKalDone) {
        {
            std::lock_guard lock(m_port);
            m_cdsMode = mode;
        }
        core::DriverState& state = core::driverState();
        std::lock_guard lock(state.mutex);
        state.kaldrisDoubleSamplingMode = mode != 0;
    }
    return result;
}

std::int16_t SerialAdc::setFlashDelay(std::uint16_t delay)
{
    return command('f', {std::min<std::uint16_t>(delay, 255)}, 0xFu & ~0x4u);
}

std::int16_t SerialAdc::clearMemory(std::uint16_t memory)
{
    if (memory > 2)
        return kKalOutOfRange;
    return command('L', {memory}, kTypes13, false, 7000);
}

std::int16_t SerialAdc::scanReceivedOk(std::uint16_t ok)
{
    if (ok > 1)
        return kKalOutOfRange;
    return command('O', {ok}, kTypes123);
}

std::int16_t SerialAdc::getNumberOfScansInMemory(std::uint16_t memory)
{
    if (memory != 1 && memory != 2)
        return kKalOutOfRange;
    return query('W', {memory}, false, kTypes13);
}

std::int16_t SerialAdc::setPixelMode(const PixelModeRecord* record)
{
    if (!record || record->mode > kHighestPixelMode)
        return kKalOutOfRange;
    const int form = record->mode & 0xFF;
    // A list names at most the 81 pixels the record holds.
    if (form == 4 && record->count > kListArguments)
        return kKalOutOfRange;
    const std::int16_t refused = refusal(0, false);
    if (refused != kKalDone)
        return refused;
    std::vector<std::uint8_t> bytes = encodeCommand('P', {record->mode});
    auto append = [&bytes](std::uint16_t word) {
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
        bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
    };
    switch (form) {
    case 0:
        break;
    case 1:
    case 2:
        append(record->args[0]);
        break;
    case 3:
        for (int k = 0; k < 3; ++k)
            append(record->args[k]);
        break;
    case 4:
        append(record->count);
        for (int k = 0; k < record->count; ++k)
            append(record->args[k]);
        break;
    default:
        return kKalNoAck; // an unknown form is never sent
    }
    std::lock_guard lock(m_port);
    return sendWithAckLocked(bytes, true, 0);
}

std::int16_t SerialAdc::getFullPixelMode(PixelModeRecord* record)
{
    if (!record)
        return kKalOutOfRange;
    const std::int16_t refused = refusal(0, false);
    if (refused != kKalDone)
        return refused;
    std::lock_guard lock(m_port);
    const std::vector<std::uint8_t> bytes = encodeQuery('p');
    m_status = sendWithAckLocked(bytes, false, 0);
    if (m_status != kKalDone)
        return m_status;
    pause(20);
    // The reply is at most a whole record; anything beyond is not read.
    std::array<std::uint8_t, sizeof(PixelModeRecord)> reply{};
    const std::size_t got = readUntilQuietLocked(reply, 20, kReplyTimeoutMs);
    const std::size_t words = got / 2;
    auto word = [&reply, words](std::size_t k) -> std::uint16_t {
        return k < words ? static_cast<std::uint16_t>(reply[2 * k] | (reply[2 * k + 1] << 8)) : 0;
    };
    *record = PixelModeRecord{};
    record->mode = word(0);
    switch (record->mode & 0xFF) {
    case 1:
    case 2:
        record->args[0] = word(1);
        record->count = 1;
        break;
    case 3:
        for (std::size_t k = 0; k < 3; ++k)
            record->args[k] = word(1 + k);
        record->count = 3;
        break;
    case 4: {
        const std::size_t count = std::min<std::size_t>(word(1), kListArguments);
        record->count = static_cast<std::uint16_t>(count);
        for (std::size_t k = 0; k < count; ++k)
            record->args[k] = word(2 + k);
        break;
    }
    default:
        break;
    }
    return m_status;
}

std::int16_t SerialAdc::readSlowMemory(std::uint16_t high, std::uint16_t low, std::uint8_t* data,
                                       std::uint8_t* trailer)
{
    if (!data || !trailer)
        return kKalOutOfRange;
    const std::int16_t refused = refusal(kTypes123, false);
    if (refused != kKalDone)
        return refused;
    std::lock_guard lock(m_port);
    const std::vector<std::uint8_t> bytes = encodeCommand('r', {high, low});
    const std::int16_t ack = sendWithAckLocked(bytes, true, 0);
    if (ack != kKalDone)
        return ack;
    std::array<std::uint8_t, 272> block{};
    if (!readExactLocked(block, lineTimeMs(block.size(), m_baud)))
        return kKalNoAck;
    std::memcpy(data, block.data(), 256);
    std::memcpy(trailer, block.data() + 256, 16);
    return kKalDone;
}

std::int16_t SerialAdc::setStoredString(std::uint16_t slot, const char* text)
{
    if (!text)
        return kKalOutOfRange;
    const std::size_t length = ::strnlen(text, 256);
    // The line end ends the text on the wire: a text may not hold one.
    if (length > 255 || std::memchr(text, 0x0A, length))
        return kKalOutOfRange;
    const std::int16_t refused = refusal(kType3, false);
    if (refused != kKalDone)
        return refused;
    std::vector<std::uint8_t> bytes = encodeCommand('x', {slot});
    bytes.insert(bytes.end(), text, text + length);
    bytes.push_back(0x0A);
    std::lock_guard lock(m_port);
    const std::int16_t ack = sendWithAckLocked(bytes, true, 0);
    if (ack != kKalDone)
        return ack;
    pause(205);
    m_serial->purgeInput();
    return kKalDone;
}

std::int16_t SerialAdc::getStoredString(std::uint16_t slot, char* text)
{
    if (!text)
        return kKalOutOfRange;
    std::memset(text, 0, 15);
    const std::int16_t refused = refusal(kType3, false);
    if (refused != kKalDone)
        return refused;
    std::lock_guard lock(m_port);
    const std::vector<std::uint8_t> bytes = encodeQuery('x', {slot});
    if (sendWithAckLocked(bytes, true, 0) != kKalDone)
        return kKalNoAck;
    pause(10);
    std::array<std::uint8_t, 256> reply{};
    const std::size_t got = readUntilQuietLocked(reply, 20, kReplyTimeoutMs);
    for (std::size_t k = 0; k < got && k < 15; ++k) {
        if (reply[k] == 0x0A || reply[k] == 0)
            break;
        text[k] = static_cast<char>(reply[k]);
    }
    return kKalDone;
}

std::int16_t SerialAdc::enterHiddenMode(int code)
{
    if (code != kHiddenModeCode)
        return kKalNoAck;
    const std::int16_t refused = refusal(0, false);
    if (refused != kKalDone)
        return refused;
    std::lock_guard lock(m_port);
    const std::uint8_t bytes[] = {'{', '~'};
    const std::int16_t ack = sendWithAckLocked(bytes, true, 0);
    m_hidden = ack == kKalDone;
    return ack;
}

std::int16_t SerialAdc::notImplemented(const char* text)
{
    if (scanBusyFlag().isBusy())
        return kKalBusy;
    core::showDriverBox(text, "Error", core::kMbOk, core::kIdOk);
    return kKalDone;
}

std::int16_t SerialAdc::readFrameLocked(bool skipFirst, std::uint16_t* buffer,
                                        int firstByteTimeoutMs, bool untilTrigger,
                                        std::uint64_t token)
{
    ScanBusyFlag& busy = scanBusyFlag();
    auto aborted = [&busy, token] {
        // AbortSerialScan cleared the flag (and someone may hold it anew).
        return token != 0 && !busy.isHeldBy(token);
    };
    // Waiting for a trigger also ends when the client stops or releases its scan or the
    // library detaches (the core's cancel epoch moved since the scan began), and after the
    // configured trigger time-out when one is set.
    core::DriverState& state = core::driverState();
    const bool triggerWait = untilTrigger;
    const std::uint32_t epoch = m_scanEpoch;
    auto cancelled = [&state, epoch] {
        std::lock_guard lock(state.mutex);
        return state.cancelEpoch != epoch;
    };
    if (untilTrigger && m_triggerTimeoutMs > 0) {
        untilTrigger = false;
        firstByteTimeoutMs = static_cast<int>(std::min<long long>(
            static_cast<long long>(firstByteTimeoutMs) + m_triggerTimeoutMs, 0x7FFFFFFF));
    }
    // The first bytes: by the scan's time-out, or, waiting for a trigger, until the
    // trigger comes or the scan is aborted.
    const Time deadline = deadlineAfter(*m_serial, firstByteTimeoutMs);
    // (A converter without a scan answers one byte.)
    while (m_serial->bytesWaiting() < 1) {
        if (aborted() || (triggerWait && cancelled()))
            return kKalTimeout;
        const int slice = untilTrigger ? 100 : std::min(100, msLeft(*m_serial, deadline));
        if (!untilTrigger && slice == 0)
            return kKalTimeout;
        m_serial->waitReadable(slice);
    }

    // Read until the frame is whole: its end marker (and sum) decides; a frame that never
    // becomes whole ends when the line stays quiet for a gap.
    std::vector<std::uint8_t> bytes(kReceiveBytes);
    std::size_t got = 0;
    ScanFrame frame;
    FrameStatus status = FrameStatus::Truncated;
    const Time frameDeadline = deadlineAfter(*m_serial, lineTimeMs(kReceiveBytes, m_baud));
    for (;;) {
        const std::size_t n = m_serial->read(std::span(bytes).subspan(got));
        got += n;
        if ((n > 0 || got == 0) && stopAtFrameEnd.load()) {
            status =
                decodeScanFrame(std::span(bytes).first(got), m_checksum == 1, skipFirst, frame);
            if (status != FrameStatus::Truncated)
                break;
        }
        if (got >= bytes.size() || msLeft(*m_serial, frameDeadline) == 0 || aborted())
            break;
        if (!m_serial->waitReadable(std::min(kQuietGapMs, msLeft(*m_serial, frameDeadline))))
            break;
    }
    if (!stopAtFrameEnd.load())
        status = decodeScanFrame(std::span(bytes).first(got), m_checksum == 1, skipFirst, frame);
    switch (status) {
    case FrameStatus::Ok:
        fillScanBuffer(frame, interpolateMissingPixels.load(),
                       std::span<std::uint16_t, kScanBufferWords>(buffer, kScanBufferWords));
        return kKalDone;
    case FrameStatus::NoScan:
        return kKalNoAck;
    case FrameStatus::BadChecksum:
        return kKalBadChecksum;
    case FrameStatus::BadHeader:
        if (skipFirst)
            return kKalNotFfff;
        [[fallthrough]];
    default: {
        // Let the rest of a broken frame arrive, so that it does not spoil the next one.
        std::array<std::uint8_t, 512> drain{};
        const Time drainDeadline = deadlineAfter(*m_serial, 2000);
        while (m_serial->waitReadable(std::min(kQuietGapMs, msLeft(*m_serial, drainDeadline))) &&
               msLeft(*m_serial, drainDeadline) > 0)
            m_serial->read(drain);
        return kKalBadFrame;
    }
    }
}

std::int16_t SerialAdc::scanLocked(std::uint16_t* buffer, std::uint64_t token)
{
    {
        core::DriverState& state = core::driverState();
        std::lock_guard lock(state.mutex);
        m_scanEpoch = state.cancelEpoch;
        m_triggerTimeoutMs = state.trigTimeoutMs;
    }
    m_scanTimeMs = serialScanTimeMs(m_type, m_integration, m_scansToAdd, ramanMode.load() != 0);
    m_scanTimeView = m_scanTimeMs;
    const std::vector<std::uint8_t> scanCommand = encodeCommand('S', {});
    for (int retry = 0;; ++retry) {
        m_serial->purgeInput();
        if (!m_serial->write(scanCommand, lineTimeMs(1, m_baud)))
            return kKalTimeout;
        const int timeoutMs =
            static_cast<int>(std::min<std::uint32_t>(m_scanTimeMs + kScanMarginMs, 0x7FFFFFFF));
        const std::int16_t result =
            readFrameLocked(false, buffer, timeoutMs, m_trigger != 0, token);
        if (result == kKalDone || result == kKalNoAck || result == kKalTimeout) {
            if (result == kKalDone)
                m_lastScanFailed = false;
            else if (result == kKalTimeout)
                m_lastScanFailed = true;
            m_serial->purgeInput();
            return result;
        }
        if (result == kKalBadFrame)
            core::debugLog("SHITSHIT\n");
        else
            core::debugLog("CHECKSUM-------\n");
        if (retry > 3 || !scanBusyFlag().isHeldBy(token)) {
            m_lastScanFailed = true;
            m_serial->purgeInput();
            return result;
        }
    }
}

std::int16_t SerialAdc::scan(std::uint16_t* buffer)
{
    if (!buffer)
        return kKalOutOfRange;
    ScanBusyHold hold(scanBusyFlag());
    if (!hold.held())
        return kKalBusy;
    std::lock_guard lock(m_port);
    if (!m_serial) {
        // Nothing can answer on a closed port.
        m_status = kKalPortClosed;
        m_lastScanFailed = true;
        return kKalTimeout;
    }
    return scanLocked(buffer, hold.token());
}

std::int16_t SerialAdc::readoutOneScan(std::uint16_t memory, std::uint16_t* buffer)
{
    if (memory > 2)
        return kKalOutOfRange;
    if (!buffer)
        return kKalOutOfRange;
    if (getNumberOfScansInMemory(memory) == 0)
        return kKalNoAck;
    ScanBusyHold hold(scanBusyFlag());
    if (!hold.held())
        return kKalBusy;
    std::lock_guard lock(m_port);
    if (!m_serial) {
        m_status = kKalPortClosed;
        return kKalPortClosed;
    }
    const std::vector<std::uint8_t> bytes = encodeCommand('Z', {memory});
    const std::int16_t ack = sendWithAckLocked(bytes, true, 0);
    if (ack != kKalDone)
        return ack;
    pause(memory == 1 ? 30 : 300);
    const std::int16_t result = readFrameLocked(true, buffer, kReplyTimeoutMs, false, hold.token());
    m_serial->purgeInput();
    return result;
}

std::int16_t SerialAdc::scanWithAverage(std::uint16_t* buffer, int scans, float* average)
{
    if (!buffer || !average)
        return 0;
    std::fill_n(average, kFramePixels, 0.0f);
    if (scans < 1)
        return kKalOutOfRange;
    int pixels = kFramePixels;
    {
        core::DriverState& state = core::driverState();
        std::lock_guard lock(state.mutex);
        pixels = std::clamp(state.pixelCount, 0, kFramePixels);
    }
    core::PumpMessages();
    std::int16_t result = 0;
    auto addScan = [&] {
        result = scan(buffer);
        for (int i = 0; i < pixels; ++i)
            average[i] += static_cast<float>(buffer[kScanBufferPixelWord + i]);
    };
    if (scans / 15 > 0) {
        setScansToAdd(15);
        for (int k = 0; k < scans / 15; ++k)
            addScan();
    }
    if (scans % 15 > 0) {
        setScansToAdd(static_cast<std::uint16_t>(scans % 15));
        addScan();
    }
    core::PumpMessages();
    core::WaitMilliseconds(25);
    for (int i = 0; i < kFramePixels; ++i)
        average[i] /= static_cast<float>(scans);
    return result;
}

void SerialAdc::abortScan()
{
    std::uint32_t periodMs = 0;
    {
        // The link state is read without the port lock: a running scan holds it.
        if (!m_initialisedView.load())
            return;
        periodMs = m_scanTimeView.load();
    }
    scanBusyFlag().forceClear();
    core::WaitMilliseconds(static_cast<int>(periodMs / 1000));
    std::lock_guard lock(m_port);
    if (m_serial)
        m_serial->purgeInput();
}

bool SerialAdc::isInitialised() const
{
    std::lock_guard lock(m_port);
    return m_initialised;
}

bool SerialAdc::isPortOpen() const
{
    std::lock_guard lock(m_port);
    return m_serial != nullptr;
}

int SerialAdc::converterType() const
{
    return m_type.load();
}

std::uint16_t SerialAdc::integrationTime() const
{
    std::lock_guard lock(m_port);
    return m_integration;
}

std::uint16_t SerialAdc::scansToAdd() const
{
    std::lock_guard lock(m_port);
    return m_scansToAdd;
}

int SerialAdc::currentBaud() const
{
    std::lock_guard lock(m_port);
    return m_baud;
}

bool SerialAdc::lastScanFailed() const
{
    std::lock_guard lock(m_port);
    return m_lastScanFailed;
}

std::int16_t SerialAdc::statusWord() const
{
    std::lock_guard lock(m_port);
    return m_status;
}

SerialAdc& serialAdc()
{
    static SerialAdc adc;
    return adc;
}

// Made at load, so destroyed only after the library's detach at unload or exit.
[[maybe_unused]] const bool g_serialAdcMadeAtLoad = (serialAdc(), true);

void CloseSerialADCPort()
{
    serialAdc().closePort();
}

void AbortSerialScan()
{
    serialAdc().abortScan();
}

} // namespace driver::serial
