// The blocking scans (VYK_DoScan, its array forms, VYK_Flexible_Acquisition, VYK_FullScan),
// the worker hand-over (VYK_SingleScan_Thread) and the polling calls.
#include "driver/core/AcquisitionWorker.h"
#include "driver/core/DriverConfig.h"
#include "driver/core/DriverMessages.h"
#include "driver/core/DriverStartup.h"
#include "driver/core/DriverState.h"
#include "driver/core/ExportGuard.h"
#include "driver/core/Scheduler.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <memory>

namespace driver::core {
namespace {

// The blocking calls scan into buffers of their own, large enough for any pixel count
// and for end-of-scan processing, and copy into the caller's arrays only as far as each
// goes.
constexpr std::size_t kScanFloats = 4096;
constexpr std::size_t kSliceFloats = 2048;

// The key of the polling client's internal record; the blocking calls use key 1.
constexpr std::uint32_t kPollingKey = 0x564B4C56;

struct BlockingBuffers
{
    std::mutex mutex; // one blocking scan at a time
    std::array<std::array<float, kScanFloats>, kChannels> channels{};
};

BlockingBuffers& blockingBuffers()
{
    static BlockingBuffers buffers;
    return buffers;
}

// The polling record's buffers: allocated once per channel, for the largest write, and
// kept until the library goes away (a scan of the worker may be writing into them until
// the detach joins it).
std::array<std::unique_ptr<float[]>, kChannels>& pollingBuffers()
{
    static std::array<std::unique_ptr<float[]>, kChannels> buffers;
    return buffers;
}

// Made when the library is loaded, so that it is destroyed only after the detach that runs
// at unload or exit (exit handlers run in the reverse order of their registration).
[[maybe_unused]] const bool g_buffersMadeAtLoad = (blockingBuffers(), pollingBuffers(), true);

int pixelCount()
{
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    return state.pixelCount;
}

// What a blocking scan asks for, whatever the caller's block looked like.
struct BlockingRequest
{
    int16_t mode = 0;
    int16_t flashDelay = 0;
    int16_t integration = 0;
    int16_t boxcarHalfWidth = 0;
    int16_t scansToAverage = 0;
    std::array<int16_t, kChannels> enables{};
    int32_t strobeFlashSelect = 0;
    int32_t correctForDark = 0;
    int32_t triggerMode = 0;
    int32_t microsecondFlag = 0;
    int32_t microsecondIntegrationTime = 0;
    bool reportSetupFailures = true; // VYK_FullScan ignores Register and ParamSet failures
};

// The mode-1 / not-configured step: 3 while a channel is acquired; otherwise the
// set-up dialog. Returns the code to give back, or nothing to go on.
std::optional<int16_t> setupStep(int16_t mode)
{
    DriverState& state = driverState();
    bool configured = false;
    bool acquiring = false;
    {
        std::lock_guard lock(state.mutex);
        configured = (state.startupFlags & kStartupConfigured) != 0;
        acquiring = state.currentChannel != -1;
    }
    if (mode != 1 && configured)
        return std::nullopt;
    if (acquiring)
        return VYK_BUSY;
    ShowSetupDialog(true);
    if (mode == 1)
        return VYK_SUCCESS;
    return std::nullopt;
}

// Runs one scan of the internal record and waits for its end. The caller holds the
// blocking buffers' mutex; the scan lands in them.
int16_t runBlockingScan(const BlockingRequest& request, int32_t* output1, int32_t* output2)
{
    DriverState& state = driverState();
    BlockingBuffers& buffers = blockingBuffers();
    RegistrationRecord internal{};
    internal.size = static_cast<int16_t>(sizeof(RegistrationRecord));
    internal.flashDelay = request.flashDelay;
    internal.integration = static_cast<std::uint16_t>(request.integration);
    internal.boxcarHalfWidth = request.boxcarHalfWidth;
    internal.scansToAverage = request.scansToAverage;
    for (int c = 0; c < kChannels; ++c) {
        internal.channelEnables[c] = request.enables[static_cast<std::size_t>(c)];
        internal.channelBuffers[c] = buffers.channels[static_cast<std::size_t>(c)].data();
    }
    internal.strobeFlashSelect = request.strobeFlashSelect;
    internal.correctForDark = request.correctForDark;
    internal.triggerMode = request.triggerMode;
    internal.window = 1;
    internal.instanceKey = kDoScanKey;
    internal.microsecondFlag = request.microsecondFlag;
    internal.microsecondIntegrationTime = request.microsecondIntegrationTime;

    bool registered = false;
    {
        std::lock_guard lock(state.mutex);
        registered = state.table.find(kDoScanKey) != nullptr;
    }
    if (!registered) {
        const int16_t result = VYK_Register(&internal);
        if (result != VYK_SUCCESS && request.reportSetupFailures)
            return result;
    }
    {
        std::lock_guard lock(state.mutex);
        if (!state.table.find(kDoScanKey))
            return VYK_MISSING_ARGUMENT;
    }
    if (const int16_t result = VYK_ParamSet(&internal);
        result != VYK_SUCCESS && request.reportSetupFailures)
        return result;

    std::uint32_t expiries = 0;
    std::uint32_t epoch = 0;
    bool pump = false;
    {
        std::lock_guard lock(state.mutex);
        RegistrationRecord* record = state.table.find(kDoScanKey);
        if (!record)
            return VYK_MISSING_ARGUMENT;
        record->window = 0; // the result slot
        state.doScanBusy = true;
        state.scanAborted = false;
        expiries = state.watchdogExpiries;
        epoch = state.cancelEpoch;
        pump = state.doScanProcessYield;
    }
    const int16_t started = VYK_SingleScan(kDoScanKey);
    if (output1)
        *output1 = 0;
    if (output2)
        *output2 = 0;
    if (started != VYK_SUCCESS) {
        std::lock_guard lock(state.mutex);
        state.doScanBusy = false;
        return started;
    }

    // Until end-of-scan processing or the watchdog clears the flag; at once on VYK_Stop,
    // VYK_UnRegister or unloading. Pumping the caller's messages when configured to.
    bool cancelled = false;
    {
        std::unique_lock lock(state.mutex);
        cancelled = waitForScanEnd(
                        lock, state.doScanBusy, kDoScanKey, epoch, [] { return false; }, pump) ==
                    ScanWaitEnd::Cancelled;
        state.doScanBusy = false;
    }

    std::lock_guard lock(state.mutex);
    RegistrationRecord* record = state.table.find(kDoScanKey);
    if (!record)
        return VYK_ABORTED;
    for (int c = 0; c < kChannels; ++c)
        record->bufferStates[c] = VYK_BUFFER_EMPTY;
    if (state.scanAborted || cancelled)
        return VYK_ABORTED;
    if (state.watchdogExpiries != expiries)
        return VYK_HARDWARE_TIMEOUT;
    const auto slot = record->window;
    return slot == VYK_MSG_BUFFER_FULL ? int16_t{VYK_SUCCESS} : static_cast<int16_t>(slot);
}

int16_t doScan(DoScanBlock* block)
{
    if (!block)
        return VYK_MISSING_ARGUMENT;
    const bool upperGroup = block->channelGroup == 1;
    const int first = upperGroup ? 4 : 0;
    const std::size_t pixels =
        std::min(kSliceFloats, static_cast<std::size_t>(std::max(0, pixelCount())));
    if (block->mode == 9) {
        for (std::size_t k = 0; k < 4; ++k) {
            if (block->channelEnables[k] == 0)
                continue;
            for (std::size_t i = 0; i < pixels; ++i)
                block->spectra[k][i] = static_cast<float>(i + 10000 * k);
        }
        return VYK_SUCCESS;
    }
    BlockingRequest request;
    request.mode = block->mode;
    request.flashDelay = block->flashDelay;
    request.integration = block->integration;
    request.boxcarHalfWidth = block->boxcarHalfWidth;
    request.scansToAverage = block->scansToAverage;
    for (int k = 0; k < 4; ++k)
        request.enables[static_cast<std::size_t>(first + k)] = block->channelEnables[k];
    request.strobeFlashSelect = block->strobeFlashSelect;
    request.correctForDark = block->correctForDark;
    request.triggerMode = block->triggerMode;
    request.microsecondFlag = block->microsecondFlag;
    request.microsecondIntegrationTime = block->microsecondIntegrationTime;
    if (const auto early = setupStep(block->mode))
        return *early;

    BlockingBuffers& buffers = blockingBuffers();
    std::lock_guard scanLock(buffers.mutex);
    const int16_t result = runBlockingScan(request, &block->output1, &block->output2);
    const std::size_t copy =
        std::min(kSliceFloats, static_cast<std::size_t>(std::max(0, pixelCount())));
    for (int k = 0; k < 4; ++k) {
        if (block->channelEnables[k] == 0)
            continue;
        std::memcpy(block->spectra[k], buffers.channels[static_cast<std::size_t>(first + k)].data(),
                    copy * sizeof(float));
    }
    return result;
}

template <class Field> int16_t doScanArray(const Field* fields, float* output)
{
    if (!fields || !output)
        return VYK_MISSING_ARGUMENT;
    auto block = std::make_unique<DoScanBlock>();
    int16_t* head = &block->mode;
    // The first 13 fields of the block, each taken as its low 16 bits.
    for (int i = 0; i < 13; ++i)
        head[i] = static_cast<int16_t>(fields[i]);
    const int16_t result = doScan(block.get());
    std::memcpy(output, block->spectra, sizeof block->spectra);
    return result;
}

int16_t flexibleAcquisition(FlexibleAcquisitionBlock* block)
{
    if (!block)
        return VYK_MISSING_ARGUMENT;
    if (block->mode == 9) {
        for (std::size_t i = 0; i < 4; ++i) {
            if (block->enable[i] != 1)
                continue;
            for (std::size_t j = 0; j < kSliceFloats; ++j)
                block->spectra[i][j] = static_cast<float>(i * 1000 + j);
        }
        return VYK_SUCCESS;
    }
    if (block->mode == 1) {
        configure(0, 0, 0, 0);
        return VYK_SUCCESS;
    }
    int16_t combined = 0;
    auto single = std::make_unique<DoScanBlock>();
    for (std::size_t i = 0; i < 4; ++i) {
        if (block->enable[i] != 1)
            continue;
        *single = DoScanBlock{};
        single->flashDelay = block->flashDelay[i];
        single->integration = block->integration[i];
        single->boxcarHalfWidth = block->boxcarHalfWidth[i];
        single->scansToAverage = block->scansToAverage[i];
        single->channelEnables[i] = 1;
        single->strobeFlashSelect = block->strobeFlashSelect[i];
        single->correctForDark = block->correctForDark[i];
        single->triggerMode = block->triggerMode[i];
        single->channelGroup = block->channelGroup;
        single->microsecondFlag = block->microsecondFlag;
        single->microsecondIntegrationTime = block->microsecondIntegrationTime[i];
        const int16_t result = doScan(single.get());
        block->result[i] = result;
        std::memcpy(block->spectra[i], single->spectra[i], sizeof block->spectra[i]);
        combined = static_cast<int16_t>(combined | result);
    }
    return combined;
}

int16_t fullScan(FullScanBlock* block)
{
    if (!block)
        return VYK_MISSING_ARGUMENT;
    const std::size_t pixels = static_cast<std::size_t>(std::max(0, pixelCount()));
    if (block->mode == 9) {
        for (std::size_t k = 0; k < kChannels; ++k) {
            if (block->channelEnables[k] == 0 || !block->channelBuffers[k])
                continue;
            for (std::size_t i = 0; i < pixels; ++i)
                block->channelBuffers[k][i] = static_cast<float>(i + 100 * k);
        }
        return VYK_SUCCESS;
    }
    if (const auto early = setupStep(block->mode))
        return *early;
    BlockingRequest request;
    request.flashDelay = block->flashDelay;
    request.integration = block->integration;
    request.boxcarHalfWidth = block->boxcarHalfWidth;
    request.scansToAverage = block->scansToAverage;
    for (std::size_t k = 0; k < kChannels; ++k)
        request.enables[k] = block->channelEnables[k];
    request.strobeFlashSelect = block->strobeFlashSelect;
    request.correctForDark = block->correctForDark;
    request.triggerMode = block->triggerMode;
    request.microsecondFlag = block->microsecondFlag;
    request.microsecondIntegrationTime = block->microsecondIntegrationTime;
    request.reportSetupFailures = false;

    BlockingBuffers& buffers = blockingBuffers();
    std::lock_guard scanLock(buffers.mutex);
    const int16_t result = runBlockingScan(request, &block->output1, &block->output2);
    const std::size_t copy = std::min(kScanFloats, pixels);
    for (std::size_t k = 0; k < kChannels; ++k) {
        if (block->channelEnables[k] == 0 || !block->channelBuffers[k])
            continue;
        std::memcpy(block->channelBuffers[k], buffers.channels[k].data(), copy * sizeof(float));
    }
    return result;
}

// A/D types whose scans the library runs without the worker.
bool scansWithoutWorker(std::uint16_t adcType)
{
    return adcType == VYK_ADC_DOVRIN || adcType == VYK_ADC_DAQ700 || adcType == VYK_ADC_BRONTEL ||
           adcType == VYK_ADC_CADRELPCI || adcType == VYK_ADC_SERIAL ||
           adcType == VYK_ADC_FORNICPC104;
}

std::intptr_t singleScanThread(std::uint32_t key)
{
    DriverState& state = driverState();
    int boundMs = 0;
    std::uint16_t adc = 0;
    {
        std::lock_guard lock(state.mutex);
        RegistrationRecord* record = key == 0 ? nullptr : state.table.find(key);
        if (!record)
            return 0;
        adc = state.adcType;
        int channels = 0;
        for (int c = 0; c < kChannels; ++c)
            channels += record->channelEnables[c] == 1 ? 1 : 0;
        const int integration = record->integration == 0 ? 1 : record->integration;
        const int scans = record->scansToAverage <= 0 ? 1 : record->scansToAverage;
        boundMs = (channels + 1) * integration * scans;
    }
    if (scansWithoutWorker(adc))
        return VYK_SingleScan(key);
    return acquisitionWorker().handOver(key, boundMs);
}

int16_t initPolling(const PollingSetupBlock* block)
{
    if (!block)
        return VYK_MISSING_ARGUMENT;
    std::array<std::unique_ptr<float[]>, kChannels>& buffers = pollingBuffers();
    RegistrationRecord record{};
    record.size = static_cast<int16_t>(sizeof(RegistrationRecord));
    for (std::size_t c = 0; c < kChannels; ++c) {
        const auto enable = static_cast<int16_t>(block->channelEnables[c] & 0xFFFF);
        record.channelEnables[c] = enable;
        if (enable == 0)
            continue;
        // Room for any pixel count and for end-of-scan processing's full length.
        if (!buffers[c])
            buffers[c] = std::make_unique<float[]>(kScanFloats + 1);
        record.channelBuffers[c] = buffers[c].get();
    }
    record.scansToAverage = block->scansToAverage;
    record.boxcarHalfWidth = block->boxcarHalfWidth;
    record.integration = static_cast<std::uint16_t>(block->integration);
    record.triggerMode = block->triggerMode;
    record.flashDelay = block->flashDelay;
    record.triggerWord = block->triggerWord;
    record.window = static_cast<std::uint32_t>(block->window);
    record.timingDirty = 1;
    record.continueOnOverrun = 1;
    record.instanceKey = kPollingKey;
    DriverState& state = driverState();
    {
        // Registered directly: a polling client has no window to give.
        std::lock_guard lock(state.mutex);
        RegistrationRecord* slot = state.table.find(kPollingKey);
        if (!slot)
            slot = state.table.allocate(kPollingKey);
        if (slot) {
            std::memcpy(slot->channelEnables, record.channelEnables, sizeof record.channelEnables);
            slot->window = record.window;
            slot->instanceKey = kPollingKey;
            std::memcpy(slot->channelBuffers, record.channelBuffers, sizeof record.channelBuffers);
        }
    }
    VYK_ParamSet(&record);
    return VYK_SUCCESS;
}

int16_t getPollingSpectra(float* destination, const void* channelBlock)
{
    if (!destination || !channelBlock)
        return VYK_MISSING_ARGUMENT;
    int16_t channel = 0;
    std::memcpy(&channel, static_cast<const char*>(channelBlock) + 8, sizeof channel);
    if (channel < 0 || channel >= kChannels)
        return VYK_MISSING_ARGUMENT;
    const float* buffer = pollingBuffers()[static_cast<std::size_t>(channel)].get();
    if (!buffer)
        return VYK_NO_BUFFER_OR_RECORD;
    const std::size_t pixels =
        std::min(kScanFloats, static_cast<std::size_t>(std::max(0, pixelCount())));
    {
        DriverState& state = driverState();
        std::lock_guard lock(state.mutex);
        std::memcpy(destination, buffer, pixels * sizeof(float));
    }
    VYK_BufferEmpty(kPollingKey, channel);
    return VYK_SUCCESS;
}

} // namespace
} // namespace driver::core

using driver::core::guardExport;

VYK_API int16_t VYK_DoScan(DoScanBlock* block)
{
    return guardExport<int16_t>("VYK_DoScan", VYK_MISSING_ARGUMENT,
                                [&] { return driver::core::doScan(block); });
}

VYK_API int16_t SS_DoScan(DoScanBlock* block)
{
    return VYK_DoScan(block);
}

VYK_API int16_t VYK_DoScan_Array(const int16_t* fields, float* output)
{
    return guardExport<int16_t>("VYK_DoScan_Array", VYK_MISSING_ARGUMENT,
                                [&] { return driver::core::doScanArray(fields, output); });
}

VYK_API int16_t VYK_DoScan_Array_Long(const int32_t* fields, float* output)
{
    return guardExport<int16_t>("VYK_DoScan_Array_Long", VYK_MISSING_ARGUMENT,
                                [&] { return driver::core::doScanArray(fields, output); });
}

VYK_API int16_t VYK_Flexible_Acquisition(FlexibleAcquisitionBlock* block)
{
    return guardExport<int16_t>("VYK_Flexible_Acquisition", VYK_MISSING_ARGUMENT,
                                [&] { return driver::core::flexibleAcquisition(block); });
}

VYK_API int16_t VYK_FullScan(FullScanBlock* block)
{
    return guardExport<int16_t>("VYK_FullScan", VYK_MISSING_ARGUMENT,
                                [&] { return driver::core::fullScan(block); });
}

VYK_API intptr_t VYK_SingleScan_Thread(uint32_t instanceKey)
{
    return guardExport<intptr_t>("VYK_SingleScan_Thread", 0,
                                 [&] { return driver::core::singleScanThread(instanceKey); });
}

VYK_API int32_t VYK_AcquisitionThreadActive(void)
{
    return guardExport<int32_t>("VYK_AcquisitionThreadActive", 0,
                                [] { return driver::core::acquisitionWorker().busy(); });
}

VYK_API int16_t VYK_InitDriverForLV(const PollingSetupBlock* block)
{
    return guardExport<int16_t>("VYK_InitDriverForLV", VYK_MISSING_ARGUMENT,
                                [&] { return driver::core::initPolling(block); });
}

VYK_API int16_t VYK_SingleScanForLV(void)
{
    return guardExport<int16_t>("VYK_SingleScanForLV", 0, [] {
        driver::core::singleScanThread(driver::core::kPollingKey);
        return int16_t{0};
    });
}

VYK_API int16_t VYK_GetSpectraForLV(float* destination, const void* channelBlock)
{
    return guardExport<int16_t>("VYK_GetSpectraForLV", VYK_MISSING_ARGUMENT, [&] {
        return driver::core::getPollingSpectra(destination, channelBlock);
    });
}
