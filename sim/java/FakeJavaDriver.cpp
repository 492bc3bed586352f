#include "sim/java/FakeJavaDriver.h"

#include <algorithm>

namespace sim::java {

using driver::java::JavaArg;
using driver::java::JavaLoadResult;
using driver::java::JavaMethod;
using driver::java::JavaValue;
using M = JavaMethod;

namespace {

// Which getter reads back what a setter wrote.
constexpr std::pair<JavaMethod, JavaMethod> kRegisterPairs[] = {
    {M::setMasterClockDivisor, M::getMasterClockDivisor},
    {M::setContinuousStrobeBase, M::getContinuousStrobeBase},
    {M::setContinuousStrobeClockFeature, M::getContinuousStrobeClock},
    {M::setContinuousStrobeClock, M::getContinuousStrobeClock},
    {M::setIntegrationTimeBaseClock, M::getIntegrationTimeBaseClock},
    {M::setIntegrationClockTimer, M::getIntegrationClockTimer},
    {M::setShutterClock, M::getShutterClock},
    {M::setSingleStrobeHigh, M::getSingleStrobeHigh},
    {M::setSingleStrobeLow, M::getSingleStrobeLow},
    {M::setStrobeEnable, M::getStrobeEnable},
    {M::setGPIOMux, M::getGPIOMux},
    {M::setGPIOMuxReg, M::getGPIOMux},
    {M::setGPIOIO, M::getGPIOIO},
    {M::setGPIODataReg, M::getGPIODataReg},
    {M::setHardwareTriggerDelay, M::getHardwareTriggerDelay},
    {M::setHarewareTriggerMode, M::getHardwareTriggerMode},
    {M::setMavrinModulation, M::getMavrinModulation},
};

std::string modelOf(const std::string& classPath)
{
    const std::size_t slash = classPath.rfind('/');
    return slash == std::string::npos ? classPath : classPath.substr(slash + 1);
}

} // namespace

void FakeJavaDriver::setLoadResult(JavaLoadResult result)
{
    std::lock_guard lock(m_mutex);
    m_loadResult = result;
}

void FakeJavaDriver::setDevices(const std::string& model, std::map<int, std::string> serials)
{
    std::lock_guard lock(m_mutex);
    m_devices[model] = std::move(serials);
}

void FakeJavaDriver::setThrowing(JavaMethod method, bool fails)
{
    std::lock_guard lock(m_mutex);
    if (fails)
        m_throwing.insert(method);
    else
        m_throwing.erase(method);
}

void FakeJavaDriver::setSaturation(double saturation)
{
    std::lock_guard lock(m_mutex);
    m_saturation = saturation;
}

std::vector<JavaMethod> FakeJavaDriver::calls() const
{
    std::lock_guard lock(m_mutex);
    return m_calls;
}

int FakeJavaDriver::callCount(JavaMethod method) const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count(m_calls.begin(), m_calls.end(), method));
}

void FakeJavaDriver::clearCalls()
{
    std::lock_guard lock(m_mutex);
    m_calls.clear();
}

int FakeJavaDriver::loadCount() const
{
    std::lock_guard lock(m_mutex);
    return m_loads;
}

long long FakeJavaDriver::lastArgument(JavaMethod method) const
{
    std::lock_guard lock(m_mutex);
    auto found = m_lastArgument.find(method);
    return found == m_lastArgument.end() ? -1 : found->second;
}

JavaLoadResult FakeJavaDriver::load(const std::string& classPath)
{
    std::lock_guard lock(m_mutex);
    ++m_loads;
    m_loaded = m_loadResult == JavaLoadResult::Loaded;
    if (!m_loaded)
        return m_loadResult;
    m_classPath = classPath;
    m_model = modelOf(classPath);
    // A new driver object: nothing open.
    m_openIndex = -1;
    return JavaLoadResult::Loaded;
}

void FakeJavaDriver::unload()
{
    std::lock_guard lock(m_mutex);
    m_loaded = false;
    m_classPath.clear();
}

std::string FakeJavaDriver::serialAtLocked(int index) const
{
    auto model = m_devices.find(m_model);
    if (model == m_devices.end())
        return index == 0 ? m_model + "0001" : std::string();
    auto found = model->second.find(index);
    return found == model->second.end() ? std::string() : found->second;
}

int FakeJavaDriver::pixelsLocked() const
{
    if (m_model == "Trevan" || m_model == "Quarn")
        return 3648;
    if (m_model == "Ulmar")
        return 1044;
    return 2048;
}

std::optional<JavaValue> FakeJavaDriver::call(JavaMethod method, std::span<const JavaArg> args)
{
    std::lock_guard lock(m_mutex);
    if (!m_loaded || !driver::java::classBindsMethod(m_classPath, method))
        return std::nullopt;
    m_calls.push_back(method);
    if (m_throwing.count(method))
        return std::nullopt;
    auto integer = [&](std::size_t i) { return i < args.size() ? args[i].integer : 0; };
    if (!args.empty())
        m_lastArgument[method] = integer(0);
    for (const auto& [setter, getter] : kRegisterPairs) {
        if (setter == method) {
            m_registers[static_cast<int>(getter)] = integer(0);
            return JavaValue{};
        }
        if (getter == method) {
            JavaValue value;
            value.integer = m_registers[static_cast<int>(getter)];
            return value;
        }
    }

    JavaValue value;
    const std::string slotKey = m_model + ":" + std::to_string(m_openIndex) + ":";
    switch (method) {
    case M::openSpectrometer:
        if (serialAtLocked(static_cast<int>(integer(0))).empty())
            return value; // 0: no device there
        m_openIndex = static_cast<int>(integer(0));
        value.integer = 1;
        return value;
    case M::closeSpectrometer:
        m_openIndex = -1;
        return value;
    case M::getDeviceIndex:
        value.integer = m_openIndex;
        return value;
    case M::setExternalTriggerMode:
        m_triggerMode = static_cast<int>(integer(0));
        return value;
    case M::scan:
        m_scans = std::max<int>(static_cast<int>(integer(0)), 1);
        return value;
    case M::getAccumulator: {
        // Each scan's pixel i holds 100 + i mod 1000 plus the trigger mode. The models average
        // their scans inside the driver; the Ulmar's accumulator holds their sum, which the
        // library divides.
        const int pixels = pixelsLocked();
        const double factor = m_model == "Ulmar" ? m_scans : 1.0;
        value.doubles.resize(static_cast<std::size_t>(pixels));
        for (int i = 0; i < pixels; ++i)
            value.doubles[static_cast<std::size_t>(i)] =
                factor * (100.0 + i % 1000 + m_triggerMode);
        return value;
    }
    case M::getCoefficient:
    case M::getSerialNumber: {
        const int slot = method == M::getSerialNumber ? 0 : static_cast<int>(integer(0));
        if (m_openIndex < 0) {
            value.isNull = true;
            return value;
        }
        auto stored = m_slots.find(slotKey + std::to_string(slot));
        if (stored != m_slots.end())
            value.text = stored->second;
        else if (slot == 0)
            value.text = serialAtLocked(m_openIndex);
        else
            value.isNull = true;
        return value;
    }
    case M::setCoefficient:
        if (m_openIndex >= 0)
            m_slots[slotKey + std::to_string(integer(0))] =
                std::string(args.size() > 1 ? args[1].text : "");
        return value;
    case M::getStringDescriptor:
        if (integer(0) == 1)
            value.text = m_model + " firmware 2.10";
        else
            value.isNull = true;
        return value;
    case M::sendData:
        m_lastSent.assign(args[1].bytes.begin(), args[1].bytes.end());
        value.integer = static_cast<long long>(m_lastSent.size());
        return value;
    case M::getData: {
        const std::size_t n = args[1].bytes.size();
        value.bytes.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            value.bytes[i] = i < m_lastSent.size() ? m_lastSent[i] : 0x5A;
        value.integer = static_cast<long long>(n);
        return value;
    }
    case M::setI2C:
        value.integer = static_cast<long long>(args[2].bytes.size());
        return value;
    case M::getI2C:
        for (int k = 0; k < static_cast<int>(integer(1)); ++k)
            value.bytes.push_back(static_cast<std::uint8_t>(integer(0) + k));
        return value;
    case M::getSPI:
        for (int k = 0; k < static_cast<int>(integer(0)); ++k)
            value.bytes.push_back(static_cast<std::uint8_t>(0xA0 + k));
        return value;
    case M::setPSOC:
        m_registers[static_cast<int>(M::getPSOC)] = integer(0) * 8;
        return value;
    case M::getPSOC:
        value.integer = m_registers[static_cast<int>(M::getPSOC)];
        return value;
    case M::getPSOCVersion:
        value.text = "PSoC 1.4";
        return value;
    case M::getFPGAFirmware:
        value.text = "FPGA 3.0";
        return value;
    case M::setFPGA:
        m_registers[1000 + static_cast<int>(integer(0) & 0xFF)] = integer(1);
        return value;
    case M::getFPGA:
        value.integer = m_registers[1000 + static_cast<int>(integer(0) & 0xFF)];
        return value;
    case M::getLastAutonullingStatusValue:
        value.integer = 7;
        return value;
    case M::getLastAutonullingDarkValue:
        value.integer = 1234;
        return value;
    case M::getAutonullingSaturationValue:
        value.real = m_saturation;
        return value;
    case M::getBoardTemperature:
        value.real = 31.25;
        return value;
    case M::getMainBoardTemperature:
        value.real = 35.5;
        return value;
    case M::getDetectorBoardTemperature:
        value.real = 28.0;
        return value;
    case M::getTECTemperature:
        value.real = 20.0;
        return value;
    case M::getExternalTemperatureCelsius:
        value.real = 21.5;
        return value;
    case M::getTemperatureCoefficient:
        value.real = integer(0) == 0 ? 0.5 : 0.25;
        return value;
    case M::getO2ProbeCalibrationCoefficients:
        value.doubles = m_o2;
        return value;
    case M::setO2ProbeCalibrationCoefficients:
        m_o2.assign(args[0].doubles.begin(), args[0].doubles.end());
        return value;
    case M::getGPIOPinMux:
        value.integer = (m_registers[static_cast<int>(M::getGPIOMux)] >> integer(0)) & 1;
        return value;
    case M::getGPIOPinIO:
        value.integer = (m_registers[static_cast<int>(M::getGPIOIO)] >> integer(0)) & 1;
        return value;
    case M::getGPIOPinData:
        value.integer = (m_registers[static_cast<int>(M::getGPIODataReg)] >> integer(0)) & 1;
        return value;
    case M::setGPIOPinData: {
        long long& reg = m_registers[static_cast<int>(M::getGPIODataReg)];
        reg = integer(1) ? reg | (1LL << integer(0)) : reg & ~(1LL << integer(0));
        return value;
    }
    default:
        return value; // the other setters keep nothing the tests read
    }
}

} // namespace sim::java
