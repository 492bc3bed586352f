#include "driver/core/Multichannel.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/core/ExportGuard.h"

#include <algorithm>
#include <array>
#include <memory>

namespace driver::core {
namespace {

// The interpolation fractions j / m as the single-precision decimal constants in use
// (row m, column j - 1).
constexpr std::array<std::array<float, 7>, 9> kFractions{{
    {},
    {},
    {0.5f},
    {0.333333f, 0.666666f},
    {0.25f, 0.5f, 0.75f},
    {0.2f, 0.4f, 0.6f, 0.8f},
    {0.166666f, 0.333333f, 0.5f, 0.666666f, 0.833333f},
    {0.142857f, 0.285714f, 0.428571f, 0.571429f, 0.714286f, 0.857143f},
    {0.125f, 0.25f, 0.375f, 0.5f, 0.625f, 0.75f, 0.875f},
}};

// Board registers used here: the Brontel multiplexer (range 0, offset 7, 8 bits) and the
// CadrelPCI rotator channel count and multiplexer/rotator register (range 1, 16 bits).
constexpr std::uint32_t kBrontelMultiplexer = 7;
constexpr std::uint32_t kCadrelRotatorCount = 0;
constexpr std::uint32_t kCadrelMultiplexer = 14;

std::shared_ptr<platform::portio::PortIo> portIoLocked(DriverState& state)
{
    return state.portIo ? state.portIo : platform::portio::noPortIo();
}

} // namespace

void deinterleaveStream(std::span<float* const> channels, int pixels, std::span<float> scratch)
{
    const int m = static_cast<int>(channels.size());
    if (m < 2 || m > 8 || pixels <= 0 || scratch.size() < static_cast<std::size_t>(pixels))
        return;
    float* stream = channels[0];
    std::copy(stream, stream + pixels, scratch.begin());
    std::fill(stream, stream + pixels, 0.0f);
    for (int p = 0; p < pixels; ++p)
        channels[static_cast<std::size_t>((p + m - 1) % m)][p] =
            scratch[static_cast<std::size_t>(p)];
    const auto& fractions = kFractions[static_cast<std::size_t>(m)];
    for (int c = 0; c < m; ++c) {
        float* buffer = channels[static_cast<std::size_t>(c)];
        for (int q = (c + 1) % m; q + m < pixels; q += m) {
            const float a = buffer[q];
            const float b = buffer[q + m];
            for (int j = 1; j < m; ++j)
                buffer[q + j] = a + (b - a) * fractions[static_cast<std::size_t>(j - 1)];
        }
    }
}

void DeinterleaveChannels(RegistrationRecord* record)
{
    if (!record)
        return;
    DriverState& state = driverState();
    const int n = state.multichannelCount;
    const int last = std::clamp(n, 0, kChannels - 1);
    for (int c = 0; c < kChannels; ++c)
        record->channelEnables[c] = c <= last ? 1 : 0;
    for (int c = 0; c <= last; ++c) {
        if (!record->channelBuffers[c])
            return;
    }
    if (state.multichannelMode != 1 || n == 0 || n > kChannels - 1)
        return;
    deinterleaveStream(
        std::span<float* const>(record->channelBuffers, static_cast<std::size_t>(n + 1)),
        state.pixelCount, state.floatScratch);
}

void DeinterleaveNone(RegistrationRecord*) {}

void SetMultiplexerBrontel(int count)
{
    DriverState& state = driverState();
    std::shared_ptr<platform::portio::PortIo> io;
    {
        std::lock_guard lock(state.mutex);
        io = portIoLocked(state);
    }
    io->writePort(0, kBrontelMultiplexer, 1,
                  static_cast<std::uint32_t>(count < 8 ? count + 8 : 15));
}

void ResetMultiplexerBrontel()
{
    DriverState& state = driverState();
    std::shared_ptr<platform::portio::PortIo> io;
    {
        std::lock_guard lock(state.mutex);
        io = portIoLocked(state);
    }
    io->writePort(0, kBrontelMultiplexer, 1, 0);
}

void SetMultiplexerCadrelPCI(int value)
{
    DriverState& state = driverState();
    bool plus = false;
    {
        std::lock_guard lock(state.mutex);
        plus = state.cadrelPciPlus;
    }
    if (!plus && value > 256) {
        showDriverBox("Special Pixel Rotator Mode is not supported by this card.  Placing card in "
                      "Normal Rotator Mode.",
                      "Error: Mode Not Supported", kMbOk | kMbIconWarning, kIdOk);
        value -= 256;
    }
    std::shared_ptr<platform::portio::PortIo> io;
    std::uint32_t count = 0;
    std::uint32_t multiplexer = 0;
    {
        std::lock_guard lock(state.mutex);
        io = portIoLocked(state);
        if (value < 256) {
            state.multichannelMode = 1;
            count = 8;
            multiplexer = static_cast<std::uint32_t>(value % 256 + 8);
            state.rotatorValue = value;
        } else {
            state.multichannelMode = 2;
            if (value == state.rotatorValue)
                return;
            const int channels = value % 256 + 1;
            count = static_cast<std::uint32_t>(channels * 8);
            state.rotatorBuffer.assign(static_cast<std::size_t>(channels) * 4096, 0);
            multiplexer = (static_cast<std::uint32_t>(state.specialRotatorDelay * 4096) & 0xFFFF) |
                          (static_cast<std::uint32_t>(value) & 0xE7) | 0x10;
            state.appliedPeriodMs = 0;
            state.rotatorValue = value;
        }
    }
    io->writePort(1, kCadrelRotatorCount, 2, count);
    io->writePort(1, kCadrelMultiplexer, 2, multiplexer);
}

void ResetMultiplexerCadrelPCI()
{
    DriverState& state = driverState();
    std::shared_ptr<platform::portio::PortIo> io;
    bool fix = false;
    {
        std::lock_guard lock(state.mutex);
        io = portIoLocked(state);
        fix = state.pciRq5Fix;
        state.rotatorBuffer.clear();
        state.rotatorBuffer.shrink_to_fit();
        state.multichannelMode = 0;
    }
    io->writePort(1, kCadrelRotatorCount, 2, fix ? 8 : 4);
    io->writePort(1, kCadrelMultiplexer, 2, 0);
}

namespace {

void disableMultichannel()
{
    DriverState& state = driverState();
    int adc = 0;
    {
        std::lock_guard lock(state.mutex);
        state.multichannelMode = 0;
        state.rotatorValue = 0;
        adc = state.adcType;
    }
    if (adc == VYK_ADC_BRONTEL || adc == VYK_ADC_FORNICPC104)
        ResetMultiplexerBrontel();
    else if (adc == VYK_ADC_CADRELPCI)
        ResetMultiplexerCadrelPCI();
}

void enableMultichannel(std::uint16_t value)
{
    if (value == 0) {
        disableMultichannel();
        return;
    }
    DriverState& state = driverState();
    int adc = 0;
    int count = 0;
    {
        std::lock_guard lock(state.mutex);
        state.multichannelMode = value < 256 ? 1 : 2;
        state.multichannelCount = value % 256;
        count = state.multichannelCount;
        adc = state.adcType;
    }
    if (adc == VYK_ADC_BRONTEL || adc == VYK_ADC_FORNICPC104)
        SetMultiplexerBrontel(count);
    else if (adc == VYK_ADC_CADRELPCI)
        SetMultiplexerCadrelPCI(value);
}

} // namespace
} // namespace driver::core

VYK_API int16_t VYK_EnableMultichannelSpectra(uint16_t v)
{
    return driver::core::guardExport<int16_t>("VYK_EnableMultichannelSpectra", 0, [&] {
        driver::core::enableMultichannel(v);
        return 0;
    });
}

VYK_API void VYK_DisableMultichannelSpectra(void)
{
    driver::core::guardExportVoid("VYK_DisableMultichannelSpectra",
                                  [] { driver::core::disableMultichannel(); });
}
