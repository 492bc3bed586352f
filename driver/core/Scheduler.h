#pragma once

#include <cstdint>
#include <functional>

namespace driver::core {

// Starts a single or continuous scan for the key, or queues it while another record
// scans. Any thread.
int16_t startScan(std::uint32_t key, bool continuous);

// Ends continuous scanning of the key's record at the end of the running scan and waits,
// bounded, while a channel is being acquired.
int16_t stopScan(std::uint32_t key);

// Sleeps ms mod 1000, then whole seconds, pumping the calling thread's messages before
// each sleep when the configuration asks for it. True only for a negative argument.
bool WaitMilliseconds(int ms);

// WaitMilliseconds that ends early once `stopLocked` (asked with the scheduler mutex held)
// is true; it is asked again whenever the state's scanFinished condition is notified, which
// VYK_UnRegister and the library's detach do. True when the wait ended on `stopLocked`.
bool WaitMillisecondsUnless(int ms, const std::function<bool()>& stopLocked);

// Removes and dispatches every pending message of the calling thread.
void PumpMessages();

} // namespace driver::core
