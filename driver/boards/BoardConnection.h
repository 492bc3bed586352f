#pragma once

#include <cstdint>
#include <string>

namespace driver::boards {

// Connects the configured board: opens the port-I/O device (by name, "_Default30" when
// none was set), maps the board's ports at the configured base address, connects the
// IRQ and starts the interrupt thread, whose handler is the set's TransferData slot.
// VYK_SUCCESS, or VYK_INTERRUPT_NOT_INSTALLED with the reason in lastBoardError().
// Client thread, without the scheduler mutex.
int16_t connectBoard();
// Stops the interrupt thread and closes the device; the driver's port I/O falls back to
// the no-op backend.
void disconnectBoard();
bool boardConnected();
std::string lastBoardError();

// The device name opened by connectBoard (empty: the default).
void setBoardDeviceName(const std::string& name);

} // namespace driver::boards
