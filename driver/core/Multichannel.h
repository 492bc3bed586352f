#pragma once

#include "driver/include/vykdrv32.h"

#include <span>

namespace driver::core {

// Splits an interleaved stream of m channels (2 to 8) held in channels[0]: sample p
// belongs to channel (p + m - 1) mod m and lands at index p of that channel; the m - 1
// indices between two own samples of a channel are interpolated linearly with the
// single-precision fractions j / m. `channels` holds m buffers of at least `pixels`
// floats; `scratch` at least `pixels` floats.
void deinterleaveStream(std::span<float* const> channels, int pixels, std::span<float> scratch);

// The Deinterleave slot of the interleaving A/D types. Called by end-of-scan processing
// with the scheduler mutex held.
void DeinterleaveChannels(RegistrationRecord* record);
// The Deinterleave slot of the DAQ700: nothing to do.
void DeinterleaveNone(RegistrationRecord* record);

// Multiplexer programming of the boards (port I/O through the state's backend). Called
// without the mutex held.
void SetMultiplexerBrontel(int count);
void ResetMultiplexerBrontel();
void SetMultiplexerCadrelPCI(int value);
void ResetMultiplexerCadrelPCI();

} // namespace driver::core
