#pragma once

#include "driver/java/JavaDriverBackend.h"

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace sim::java {

// The Java driver's devices without a VM: the same behaviour as our Java classes, for
// tests of the bridge, the operation sets and the feature exports. Devices are set per
// model word; registers keep what the setters wrote. Every call is recorded. Any thread.
class FakeJavaDriver final : public driver::java::JavaDriverBackend
{
public:
    // The VM or the class cannot be had.
    void setLoadResult(driver::java::JavaLoadResult result);
    // The devices of a model, by index; replaces the default (one device at 0).
    void setDevices(const std::string& model, std::map<int, std::string> serials);
    // The method fails (as a Java exception) until cleared.
    void setThrowing(driver::java::JavaMethod method, bool fails);
    void setSaturation(double saturation);
    // Calls made since the last clearCalls().
    std::vector<driver::java::JavaMethod> calls() const;
    int callCount(driver::java::JavaMethod method) const;
    void clearCalls();
    int loadCount() const;
    // The last integer argument of a setter, or -1.
    long long lastArgument(driver::java::JavaMethod method) const;

    driver::java::JavaLoadResult load(const std::string& classPath) override;
    void unload() override;
    std::optional<driver::java::JavaValue>
    call(driver::java::JavaMethod method, std::span<const driver::java::JavaArg> args) override;

private:
    std::string serialAtLocked(int index) const;
    int pixelsLocked() const;

    mutable std::mutex m_mutex;
    driver::java::JavaLoadResult m_loadResult = driver::java::JavaLoadResult::Loaded;
    std::string m_classPath;
    std::string m_model;
    bool m_loaded = false;
    int m_loads = 0;
    std::map<std::string, std::map<int, std::string>> m_devices;
    std::map<std::string, std::string> m_slots; // "model:index:slot" -> text
    std::set<driver::java::JavaMethod> m_throwing;
    std::vector<driver::java::JavaMethod> m_calls;
    std::map<driver::java::JavaMethod, long long> m_lastArgument;
    std::map<int, long long> m_registers; // by getter method
    std::vector<std::uint8_t> m_lastSent;
    int m_openIndex = -1;
    int m_scans = 1;
    int m_triggerMode = 0;
    double m_saturation = 65535.0;
    std::vector<double> m_o2 = std::vector<double>(17, 0.5);
};

} // namespace sim::java
