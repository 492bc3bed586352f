#pragma once

#include "driver/serial/SerialPort.h"
#include "sim/serial/SerialAdcSimulator.h"
#include "sim/serial/SimulatorPort.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

namespace driver::serial::test {

// Names the simulator's device as COM1 in the test's "VYKDRV.INI", and has the driver open
// it through a SimulatorPort: its reply time-outs run out only when the converter has
// nothing more to send, so no case depends on how fast the machine runs.
inline void pointPortAt(const sim::serial::SerialAdcSimulator& simulator, int port = 1)
{
    const char* ini = std::getenv("VYKDRV_INI");
    const std::string path = ini && *ini ? ini : "VYKDRV.INI";
    std::ofstream out(path, std::ios::trunc);
    out << "[Setup]\r\nSerialDevice" << port << "=" << simulator.devicePath() << "\r\n";
    setSerialPortOpener(sim::serial::simulatorPortOpener(simulator));
}

// The time the driver's waits on the simulator's line have let pass.
inline std::chrono::milliseconds lineTime(const sim::serial::SerialAdcSimulator& simulator)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::nanoseconds(simulator.lineProgress()->portTimeNs.load()));
}

} // namespace driver::serial::test
