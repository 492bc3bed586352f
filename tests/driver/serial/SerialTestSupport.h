#pragma once

#include "sim/serial/SerialAdcSimulator.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace driver::serial::test {

// Names the simulator's device as COM1 in the test's "VYKDRV.INI".
inline void pointPortAt(const sim::serial::SerialAdcSimulator& simulator, int port = 1)
{
    const char* ini = std::getenv("VYKDRV_INI");
    const std::string path = ini && *ini ? ini : "VYKDRV.INI";
    std::ofstream out(path, std::ios::trunc);
    out << "[Setup]\r\nSerialDevice" << port << "=" << simulator.devicePath() << "\r\n";
}

} // namespace driver::serial::test
