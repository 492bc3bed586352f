#pragma once

#include "driver/java/JavaDriverBackend.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace driver::java {

// The bridge to the Java driver object of the Java-driven models: which class is loaded,
// the spectrum buffer, and one wrapper per Java call. Every wrapper answers 0 (0.0) when
// no driver is loaded or the Java method failed. Any thread: calls from the client
// threads and the acquisition worker run side by side; the backend keeps each thread
// attached to the VM once.

// Installs the backend (tests install a fake); nullptr restores the real VM. Call while
// no Java call runs.
void setJavaBackend(std::shared_ptr<JavaDriverBackend> backend);

// Loads the driver class (unloading another one first): 1 when the object is created and
// every method bound, else 0 with a message box.
int LoadJavaDriver(const char* classPath);
// Forgets the loaded class: 1, or 0 when nothing was loaded.
int UnloadJavaDriver();
int IsJavaDriverLoaded();
std::string GetLoadedJavaClassName();
// Waits while a scan holds the hardware's scan-busy flag.
void WaitWhileHardwareBusy();

// Calls a method of the loaded driver; no value when not loaded or the call failed.
std::optional<JavaValue> callJava(JavaMethod method, std::initializer_list<JavaArg> args = {});

int JavaOpenSpectrometer(int deviceIndex);
int JavaCloseSpectrometer();
// Time in the Java driver's unit; outside 10 (1 for the UlmarADC type) to 65535000: 0.
int JavaSetIntegrationTime(int time);
int JavaSetStrobeEnable(int flag);
int JavaSetContinuousStrobeClock(int clock);
int JavaSetExternalTriggerMode(int mode);
// Only channel 0 reaches the driver.
int JavaSetSpectrometerChannel(int channel);
// Acquires `scans` scans, holding the scan-busy flag meanwhile.
int JavaScan(int scans);
// Fetches the accumulated spectrum into the bridge's spectrum buffer (the core's pixel
// count, zero-padded when the driver returns fewer values).
int JavaGetAccumulator();
// Copies the spectrum buffer into `out` as floats (at most out.size() values); no value
// when no driver is loaded.
std::optional<std::size_t> copyJavaSpectrum(std::span<float> out);
// Text results are cut to fit `size` bytes including the terminating zero.
int JavaGetCoefficient(int slot, char* text, std::size_t size);
int JavaGetSerialNumber(char* text, std::size_t size);
int JavaSetCoefficient(int slot, const char* text);
int JavaGetStringDescriptor(int index, char* text, std::size_t size);
int JavaGetDeviceIndex();
int JavaBulkOut(int pipe, const std::uint8_t* bytes, int length);
int JavaBulkIn(int pipe, std::uint8_t* buffer, int length);

// Copies `text` into a caller's buffer of `size` bytes, always terminated.
void copyText(const std::string& text, char* out, std::size_t size);

} // namespace driver::java
