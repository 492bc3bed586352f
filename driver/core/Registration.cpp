// The registration exports: VYK_Register, VYK_UnRegister, VYK_ParamSet, VYK_Stat,
// VYK_BufferEmpty, their SS_ aliases and the correction setters.
#include "driver/core/AcquisitionWorker.h"
#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/core/ExportGuard.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace driver::core {
namespace {

constexpr unsigned kFailureBox = kMbOk | kMbIconError | kMbTaskModal;

// The first enabled channel without a buffer, or -1.
int channelWithoutBuffer(const RegistrationRecord& record)
{
    for (int c = 0; c < kChannels; ++c) {
        if (record.channelEnables[c] != 0 && !record.channelBuffers[c])
            return c;
    }
    return -1;
}

void failureBox(const char* format, int channel)
{
    char text[128];
    std::snprintf(text, sizeof text, format, channel);
    showDriverBox(text, kCaptionWarning, kFailureBox, kIdOk);
}

int16_t registerClient(RegistrationRecord* client)
{
    if (!client || client->instanceKey == 0 || client->window == 0) {
        showDriverBox("VYK_Register failed.\nNo window or instance.", kCaptionWarning, kFailureBox,
                      kIdOk);
        return VYK_MISSING_ARGUMENT;
    }
    if (const int channel = channelWithoutBuffer(*client); channel >= 0) {
        failureBox("VYKDrv Register failed.\nChannel %d has no buffer.", channel);
        return VYK_NO_BUFFER_OR_RECORD;
    }
    if (nextEnabledChannel(*client, 0) < 0) {
        showDriverBox("VYKDrv Register failed.\nNo channels enabled.", kCaptionWarning, kFailureBox,
                      kIdOk);
        return VYK_NOT_INITIALISED;
    }

    DriverState& state = driverState();
    bool noTimers = false;
    bool messages = false;
    {
        std::lock_guard lock(state.mutex);
        noTimers = state.timersAvailable == 0;
        messages = state.messagesEnabled;
    }
    if (noTimers && messages) {
        DriverPlatform& platform = driverPlatform();
        platform.messageBeep(kMbIconExclamation);
        const int answer = platform.messageBox(
            "No Timers available. You may continue, \rbut there will be no timeout available for "
            "\rhardware failures. Do you wish to continue?",
            "VYKDrv Device Driver Warning!", kMbYesNo | kMbIconExclamation);
        if (answer == kIdNo)
            return VYK_DECLINED;
    }

    bool noMemory = false;
    {
        std::lock_guard lock(state.mutex);
        RegistrationRecord* record = state.table.find(client->instanceKey);
        if (!record) {
            // A record released while it is being scanned is not handed out again until
            // that scan has ended: the scan ends quietly on seeing it released, and must not
            // go on for the new client under the old one's scan.
            record = state.table.allocate(client->instanceKey,
                                          state.sequencerRunning ? state.current : nullptr);
            noMemory = record == nullptr;
        }
        if (record) {
            std::memcpy(record->channelEnables, client->channelEnables,
                        sizeof record->channelEnables);
            record->window = client->window;
            record->instanceKey = client->instanceKey;
            std::memcpy(record->channelBuffers, client->channelBuffers,
                        sizeof record->channelBuffers);
            state.lastFound = record;
            return VYK_SUCCESS;
        }
    }
    if (noMemory)
        showDriverBox("VYKDrv Register failed.\nNo memory available,\ncan not continue.",
                      kCaptionError, kFailureBox, kIdOk);
    return VYK_NO_BUFFER_OR_RECORD;
}

RegistrationRecord* unregisterClient(std::uint32_t key)
{
    DriverState& state = driverState();
    RegistrationRecord* record = nullptr;
    int boundMs = 0;
    {
        std::lock_guard lock(state.mutex);
        record = FindRegistration(state, key);
        if (record) {
            int channels = 0;
            for (int c = 0; c < kChannels; ++c)
                channels += record->channelEnables[c] == 1 ? 1 : 0;
            boundMs = (channels + 1) * std::max(1, int{record->integration}) *
                      std::max(1, int{record->scansToAverage});
            // The record is cleared before the worker is stopped, so a scan in progress
            // abandons it at its next step instead of running to its end.
            *record = RegistrationRecord{};
        }
    }
    cancelWaits();
    AcquisitionWorker& worker = acquisitionWorker();
    if (record && worker.key() == key)
        worker.stop(boundMs);
    return record;
}

int16_t setParameters(RegistrationRecord* client)
{
    if (!client)
        return VYK_MISSING_ARGUMENT;
    if (const int channel = channelWithoutBuffer(*client); channel >= 0) {
        failureBox("VYK_ParamSet failed.\nChannel %d has no buffer.", channel);
        return VYK_NO_BUFFER_OR_RECORD;
    }
    if (client->integration == 0) {
        showDriverBox("VYK_ParamSet failed.\nFrequency is zero.", kCaptionWarning, kFailureBox,
                      kIdOk);
        return VYK_NOT_INITIALISED;
    }

    DriverState& state = driverState();
    bool dialog = false;
    {
        std::lock_guard lock(state.mutex);
        if (client->flashDelay == 0 && state.spectrometerType == VYK_SPEC_GAVREL)
            client->flashDelay = 1;
        if (!FindRegistration(state, client->instanceKey))
            return VYK_MISSING_ARGUMENT;
        if (!(state.startupFlags & kStartupConfigured)) {
            dialog = true;
        } else if (client->command == 1) {
            if (state.currentChannel != -1)
                return VYK_BUSY;
            dialog = true;
        }
    }
    if (dialog)
        runSetupDialog();

    std::unique_lock lock(state.mutex);
    RegistrationRecord* record = FindRegistration(state, client->instanceKey);
    if (!record)
        return VYK_MISSING_ARGUMENT;
    const bool retimed = record->integration != client->integration;
    if (client->command == 2)
        record->flags = static_cast<int16_t>(record->flags ^ VYK_FLAG_STATUS_MESSAGES);
    state.startupFlags |= kStartupParametersSet;
    record->microsecondIntegrationTime = client->microsecondIntegrationTime;
    record->microsecondFlag = client->microsecondFlag;
    record->flashDelay = client->flashDelay;
    record->integration = client->integration;
    record->boxcarHalfWidth = client->boxcarHalfWidth < 0 ? int16_t{0} : client->boxcarHalfWidth;
    record->scansToAverage = client->scansToAverage < 1 ? int16_t{1} : client->scansToAverage;
    record->triggerWord = client->triggerWord;
    record->strobeFlashSelect = client->strobeFlashSelect;
    record->correctForDark = client->correctForDark;
    record->triggerMode = client->triggerMode;
    record->continueOnOverrun = client->continueOnOverrun;
    record->window = client->window;
    record->scanCounter = 0;
    record->timingDirty = 1;
    for (int c = 0; c < kChannels; ++c) {
        record->channelEnables[c] = client->channelEnables[c];
        record->bufferStates[c] =
            client->channelEnables[c] != 0 ? VYK_BUFFER_EMPTY : VYK_BUFFER_NOT_IN_USE;
        record->channelBuffers[c] = client->channelBuffers[c];
    }
    state.startupFlags |= kStartupFloatBuffers;
    lock.unlock();
    // A channel waiting out its exposure asks again whether its time still holds.
    if (retimed)
        state.scanFinished.notify_all();
    return VYK_SUCCESS;
}

int16_t statRecord(RegistrationRecord* client)
{
    if (!client)
        return 0;
    DriverState& state = driverState();
    std::uint32_t window = 0;
    {
        std::lock_guard lock(state.mutex);
        RegistrationRecord* record = FindRegistration(state, client->instanceKey);
        if (!record)
            return 0;
        std::memcpy(client, record, sizeof(RegistrationRecord));
        window = record->window;
    }
    return driverPlatform().postMessage(window, VYK_MSG_STATUS, 0,
                                        reinterpret_cast<std::intptr_t>(client))
               ? 1
               : 0;
}

int16_t bufferEmpty(std::uint32_t key, int16_t channel)
{
    DriverState& state = driverState();
    PendingPosts posts;
    {
        std::lock_guard lock(state.mutex);
        RegistrationRecord* record = FindRegistration(state, key);
        if (!record)
            return 0;
        if (channel >= 0 && channel < kChannels)
            record->bufferStates[channel] = VYK_BUFFER_EMPTY;
        if (record->flags & VYK_FLAG_STATUS_MESSAGES)
            posts.add(record->window, VYK_MSG_STATUS, 0, record);
    }
    posts.postAll();
    return 1;
}

template <class Apply> void withChannel(int16_t channel, Apply&& apply)
{
    if (channel < 0 || channel >= kChannels)
        return;
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    apply(state.corrections[static_cast<std::size_t>(channel)]);
}

} // namespace
} // namespace driver::core

using driver::core::guardExport;
using driver::core::guardExportVoid;

VYK_API int16_t VYK_Register(RegistrationRecord* record)
{
    return guardExport<int16_t>("VYK_Register", VYK_MISSING_ARGUMENT,
                                [&] { return driver::core::registerClient(record); });
}

VYK_API RegistrationRecord* VYK_UnRegister(uint32_t instanceKey)
{
    return guardExport<RegistrationRecord*>(
        "VYK_UnRegister", nullptr, [&] { return driver::core::unregisterClient(instanceKey); });
}

VYK_API int16_t VYK_ParamSet(RegistrationRecord* record)
{
    return guardExport<int16_t>("VYK_ParamSet", VYK_MISSING_ARGUMENT,
                                [&] { return driver::core::setParameters(record); });
}

VYK_API int16_t VYK_Stat(RegistrationRecord* record)
{
    return guardExport<int16_t>("VYK_Stat", 0, [&] { return driver::core::statRecord(record); });
}

VYK_API int16_t VYK_BufferEmpty(uint32_t instanceKey, int16_t channel)
{
    return guardExport<int16_t>("VYK_BufferEmpty", 0,
                                [&] { return driver::core::bufferEmpty(instanceKey, channel); });
}

VYK_API void VYK_SetNLCoefs(int16_t channel, const float* coefficients)
{
    guardExportVoid("VYK_SetNLCoefs", [&] {
        if (!coefficients)
            return;
        driver::core::withChannel(channel, [&](driver::core::ChannelCorrections& c) {
            for (std::size_t k = 0; k < c.nlCoefficients.size(); ++k)
                c.nlCoefficients[k] = coefficients[k];
        });
    });
}

VYK_API void VYK_EnableNLCorrection(int16_t channel, int16_t enable)
{
    guardExportVoid("VYK_EnableNLCorrection", [&] {
        driver::core::withChannel(
            channel, [&](driver::core::ChannelCorrections& c) { c.nlEnable = enable; });
    });
}

VYK_API void VYK_SetSLCoef(int16_t channel, float constant)
{
    guardExportVoid("VYK_SetSLCoef", [&] {
        driver::core::withChannel(
            channel, [&](driver::core::ChannelCorrections& c) { c.slConstant = constant; });
    });
}

VYK_API void VYK_EnableSLCorrection(int16_t channel, int16_t enable)
{
    guardExportVoid("VYK_EnableSLCorrection", [&] {
        driver::core::withChannel(
            channel, [&](driver::core::ChannelCorrections& c) { c.slEnable = enable; });
    });
}

VYK_API int16_t SS_Register(RegistrationRecord* record)
{
    return VYK_Register(record);
}

VYK_API RegistrationRecord* SS_UnRegister(uint32_t instanceKey)
{
    return VYK_UnRegister(instanceKey);
}

VYK_API int16_t SS_ParamSet(RegistrationRecord* record)
{
    return VYK_ParamSet(record);
}

VYK_API int16_t SS_Stat(RegistrationRecord* record)
{
    return VYK_Stat(record);
}

VYK_API int16_t SS_BufferEmpty(uint32_t instanceKey, int16_t channel)
{
    return VYK_BufferEmpty(instanceKey, channel);
}
