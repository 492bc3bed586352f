#pragma once

#include <cstdint>

namespace driver::serial {

// The serial A/D converter's part of connecting the configured hardware: opens the link on
// the configured port, marks the hardware connected and switches to the configured speed.
// 0 connected, 8 when the converter could not be opened. Called without the driver mutex.
std::int16_t connectSerialAdc(int port, int baudIndex);

// The part of disconnecting: back to 9600 baud, then the link is closed.
void disconnectSerialAdc();

} // namespace driver::serial
