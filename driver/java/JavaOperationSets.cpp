#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/core/OperationSetSelector.h"
#include "driver/core/Scheduler.h"
#include "driver/core/Sequencer.h"
#include "driver/include/vykdrv32.h"
#include "driver/java/JavaBridge.h"
#include "driver/java/JavaModels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>
#include <optional>
#include <strings.h>

namespace driver::java {
namespace {

constexpr JavaModel kModels[] = {
    {"SolviPlus", "SolviPlusOperationSet", "com/varnholt/tarnwick/solviplus/SolviPlus",
     VYK_ADC_SOLVIPLUS, false, false, "SolviPlus", "SolviPlus"},
    {"PavikPlus", "PavikPlusOperationSet", "com/varnholt/tarnwick/pavikplus/PavikPlus",
     VYK_ADC_PAVIKPLUS, true, false, "Pavik+", "PavikPlus"},
    {"Trevan", "TrevanOperationSet", "com/varnholt/tarnwick/trevan/Trevan", VYK_ADC_TREVAN, false,
     false, "Trevan", "Trevan"},
    {"Quarn", "QuarnOperationSet", "com/varnholt/tarnwick/quarn/Quarn", VYK_ADC_QUARN, true, false,
     "Quarn", "Quarn"},
    {"Ulmar", "UlmarOperationSet", "com/varnholt/tarnwick/ulmar/Ulmar", VYK_ADC_ULMARADC, false,
     true, "Ulmar", "Ulmar"},
};
constexpr int kModelCount = static_cast<int>(std::size(kModels));

// What the sets last sent to the device; shared by the five sets since one device is
// driven at a time.
struct SetState
{
    std::mutex mutex;
    std::optional<int> lastIntegration; // the value compared with the record's new one
    std::optional<int> lastFlashDelay;
    std::optional<bool> lastValid; // the validity last reported to the client
    double saturation = 0.0;
};

SetState& setState()
{
    static SetState instance;
    return instance;
}

// Made at load, so destroyed only after the library's detach at unload or exit.
[[maybe_unused]] const bool g_setStateMadeAtLoad = (setState(), true);

int16_t javaProgramIntegration(const JavaModel&, RegistrationRecord* record)
{
    core::DriverState& state = core::driverState();
    int flashDelay = 0;
    {
        std::lock_guard lock(state.mutex);
        flashDelay = record->flashDelay;
    }
    SetState& s = setState();
    {
        std::lock_guard lock(s.mutex);
        if (s.lastFlashDelay == flashDelay)
            return 0;
        s.lastFlashDelay = flashDelay;
    }
    JavaSetContinuousStrobeClock(flashDelay);
    return 0;
}

int16_t javaProgramFrequency(const JavaModel& model, RegistrationRecord* record)
{
    core::DriverState& state = core::driverState();
    int value = 0;
    int milliseconds = 0;
    bool microseconds = false;
    bool reinitialising = false;
    bool noDelay = false;
    {
        std::lock_guard lock(state.mutex);
        noDelay = state.noIntegrationTimeDelayMode != 0;
        microseconds = record->microsecondFlag == 1;
        if (model.ulmarTiming && !microseconds && record->integration < 8)
            record->integration = 8;
        value = microseconds ? record->microsecondIntegrationTime : record->integration;
        if (!microseconds && record->integration == 0)
            record->integration = 1;
        milliseconds = record->integration;
        reinitialising = state.reopen;
    }
    SetState& s = setState();
    std::optional<int> last;
    {
        std::lock_guard lock(s.mutex);
        if (s.lastIntegration == value)
            return 0;
        last = s.lastIntegration;
    }
    if (reinitialising)
        return 0;

    int sent = 0;
    double settleMs = 0.0;
    if (model.ulmarTiming) {
        sent = microseconds ? value : milliseconds;
        settleMs = 1.2 * sent;
        if (last && *last >= sent)
            settleMs = 0.0;
    } else {
        sent = microseconds ? value : milliseconds * 1000;
        settleMs = 1.2 * (microseconds ? value / 1000 : milliseconds);
        if (last && *last >= milliseconds)
            settleMs = 0.0;
    }
    JavaSetIntegrationTime(sent);
    // "NoIntegrationTimeDelayMode": the client does without the settling wait.
    if (noDelay)
        settleMs = 0.0;
    if (settleMs > 0.0)
        core::WaitMilliseconds(static_cast<int>(settleMs));
    std::lock_guard lock(s.mutex);
    s.lastIntegration = value;
    return 0;
}

void openConfiguredDevice(const JavaModel& model)
{
    std::string serial;
    {
        core::DriverState& state = core::driverState();
        std::lock_guard lock(state.mutex);
        serial = state.usbSerialNumber;
    }
    std::array<JavaDeviceSlot, VYK_JAVA_DEVICE_SLOTS> list{};
    identifyAllJava(model, list.data());
    int index = 0;
    for (int i = 0; i < VYK_JAVA_DEVICE_SLOTS; ++i) {
        const JavaDeviceSlot& slot = list[static_cast<std::size_t>(i)];
        if (slot.found && !serial.empty() && strcasecmp(slot.serial, serial.c_str()) == 0) {
            index = i;
            break;
        }
    }
    if (JavaGetDeviceIndex() != -1)
        JavaCloseSpectrometer();
    JavaOpenSpectrometer(index);
}

int16_t javaResetAndApplyTiming(const JavaModel& model, RegistrationRecord* record)
{
    core::DriverState& state = core::driverState();
    bool reinitialise = false;
    bool channel0 = false;
    {
        std::lock_guard lock(state.mutex);
        record->status = 0;
        reinitialise = state.reopen;
        channel0 = record->channelEnables[0] != 0;
    }
    if (reinitialise) {
        // Another model's identification may have loaded its class meanwhile.
        if (!ensureJavaClass(model)) {
            core::driverPlatform().messageBox("Unable to open Tarnwick", "", core::kMbOk);
            // The configuration is written as not initialised, so the next start asks for
            // the set-up instead of connecting again.
            std::lock_guard lock(state.mutex);
            state.initialized = false;
            state.acquisitionStatus = core::kStatusStopped;
            return 0;
        }
        if (channel0) {
            {
                SetState& s = setState();
                std::lock_guard lock(s.mutex);
                s.lastIntegration.reset();
                s.lastFlashDelay.reset();
            }
            openConfiguredDevice(model);
        }
        {
            std::lock_guard lock(state.mutex);
            state.reopen = false;
        }
        if (model.autonulling) {
            auto value = callJava(JavaMethod::getAutonullingSaturationValue);
            const double saturation = value ? value->real : 0.0;
            {
                SetState& s = setState();
                std::lock_guard lock(s.mutex);
                s.saturation = saturation;
            }
            core::debugLog("Sat: %f\n", saturation);
        }
    }
    javaProgramFrequency(model, record);
    javaProgramIntegration(model, record);
    std::lock_guard lock(state.mutex);
    record->timingDirty = 0;
    return 0;
}

core::ChannelStart javaStartChannel(const JavaModel& model, RegistrationRecord* record)
{
    core::DriverState& state = core::driverState();
    core::killWatchdog();
    bool dirty = false;
    {
        std::lock_guard lock(state.mutex);
        if (record->scansToAverage == 0)
            record->scansToAverage = 1;
        dirty = record->timingDirty == 1;
    }
    if (dirty)
        core::ApplyTimingIfChanged(record);

    core::PendingPosts posts;
    int channel = -1;
    int triggerMode = 0;
    int scans = 1;
    int pixels = 0;
    bool autonulling = false;
    {
        std::lock_guard lock(state.mutex);
        state.acquisitionStatus = core::kStatusAcquiring;
        if (record->flags & VYK_FLAG_STATUS_MESSAGES)
            posts.add(record->window, VYK_MSG_STATUS, 0, record);
        channel = state.currentChannel;
        const bool hasBuffer =
            channel >= 0 && channel < core::kChannels && record->channelBuffers[channel];
        if (!hasBuffer) {
            state.lastChannelDone = channel;
            state.acquisitionStatus = core::kStatusChannelDone;
            channel = -1;
        } else {
            triggerMode = channel == 0 && record->scanCounter == 0 ? record->triggerMode : 0;
            scans = record->scansToAverage;
            // The one Java scan call below takes every scan to average: the sequencer goes
            // on to the next channel instead of acquiring this one again.
            record->scanCounter = static_cast<std::int16_t>(std::max(scans - 1, 0));
            pixels = std::clamp(state.pixelCount, 0, static_cast<int>(core::kFloatScratchFloats));
            autonulling = model.autonulling && state.autonullingEnabled;
        }
    }
    posts.postAll();
    if (channel < 0)
        return core::ChannelStart::Advance;

    JavaSetExternalTriggerMode(triggerMode);
    const bool scanned = JavaScan(scans) == 1 && JavaGetAccumulator() == 1;

    // The scan goes to a buffer of our own first: the record may be released meanwhile.
    std::vector<float> spectrum(static_cast<std::size_t>(pixels), 0.0f);
    bool valid = false;
    if (scanned) {
        if (auto copied = copyJavaSpectrum(spectrum))
            valid = true;
    }
    int autonullingDark = 0;
    int autonullingStatus = 0;
    if (valid && autonulling) {
        double saturation = 0.0;
        {
            SetState& s = setState();
            std::lock_guard lock(s.mutex);
            saturation = s.saturation;
        }
        // Without a saturation value the scaling would divide by zero: values stay.
        if (saturation > 0.0) {
            for (float& v : spectrum)
                v = static_cast<float>(std::trunc(v * 65535.0 / saturation));
        }
        auto dark = callJava(JavaMethod::getLastAutonullingDarkValue);
        auto status = callJava(JavaMethod::getLastAutonullingStatusValue);
        autonullingDark = dark ? static_cast<int>(dark->integer) : 0;
        autonullingStatus = status ? static_cast<int>(status->integer) : 0;
        for (std::size_t i = 0; i < std::min<std::size_t>(2, spectrum.size()); ++i)
            spectrum[i] = 0.0f;
    }

    bool reportValidity = false;
    {
        SetState& s = setState();
        std::lock_guard lock(s.mutex);
        if (s.lastValid != valid) {
            reportValidity = true;
            s.lastValid = valid;
        }
    }

    core::PendingPosts validity;
    {
        std::lock_guard lock(state.mutex);
        if (record->instanceKey == 0) {
            // Released during the scan: nothing is written; the sequencer steps on once.
            state.acquisitionStatus = core::kStatusStopped;
            record->continuous = 0;
            return core::ChannelStart::Advance;
        }
        // An invalid scan delivers zeros, never the data of an earlier scan.
        std::copy(spectrum.begin(), spectrum.end(), record->channelBuffers[channel]);
        if (autonulling && valid) {
            record->lastAutonullingDarkValue = autonullingDark;
            record->lastAutonullingStatus = autonullingStatus;
        }
        if (reportValidity)
            validity.add(record->window, VYK_MSG_DATA_VALIDITY, valid ? 0 : 1, record);
        state.acquisitionStatus = core::kStatusChannelDone;
        state.lastChannelDone = channel;
    }
    validity.postAll();
    return core::ChannelStart::Advance;
}

template <int M> core::ChannelStart startChannelOf(RegistrationRecord* record)
{
    return javaStartChannel(kModels[M], record);
}
template <int M> int16_t programIntegrationOf(RegistrationRecord* record)
{
    return javaProgramIntegration(kModels[M], record);
}
template <int M> int16_t programFrequencyOf(RegistrationRecord* record)
{
    return javaProgramFrequency(kModels[M], record);
}
template <int M> int16_t resetAndApplyTimingOf(RegistrationRecord* record)
{
    return javaResetAndApplyTiming(kModels[M], record);
}

template <int M> core::OperationSet javaMakeSet()
{
    core::OperationSet set;
    set.name = kModels[M].setName;
    set.StartChannel = startChannelOf<M>;
    set.ProgramIntegration = programIntegrationOf<M>;
    set.ProgramFrequency = programFrequencyOf<M>;
    set.ResetAndApplyTiming = resetAndApplyTimingOf<M>;
    set.AdvanceSequencer = core::GenericAdvanceSequencer;
    return set;
}

template <int... M>
std::array<core::OperationSet, kModelCount> makeSets(std::integer_sequence<int, M...>)
{
    return {javaMakeSet<M>()...};
}

const std::array<core::OperationSet, kModelCount>& javaSets()
{
    static const auto all = makeSets(std::make_integer_sequence<int, kModelCount>{});
    return all;
}

// The sets are there from library start on, before any selection.
const bool g_javaRegistered = [] {
    registerJavaOperationSets();
    return true;
}();

} // namespace

std::span<const JavaModel> javaModels()
{
    return kModels;
}

const JavaModel* javaModelForAdc(std::uint16_t adcType)
{
    for (const JavaModel& model : kModels) {
        if (model.adcType == adcType)
            return &model;
    }
    return nullptr;
}

void registerJavaOperationSets()
{
    for (int i = 0; i < kModelCount; ++i)
        core::registerOperationSet(kModels[i].setName, javaSets()[static_cast<std::size_t>(i)]);
}

core::OperationSet javaOperationSet(const JavaModel& model)
{
    for (int i = 0; i < kModelCount; ++i) {
        if (&kModels[i] == &model)
            return javaSets()[static_cast<std::size_t>(i)];
    }
    return {};
}

void resetJavaSetState()
{
    SetState& s = setState();
    std::lock_guard lock(s.mutex);
    s.lastIntegration.reset();
    s.lastFlashDelay.reset();
    s.lastValid.reset();
    s.saturation = 0.0;
}

} // namespace driver::java
