#pragma once

#include "driver/core/DriverState.h"
#include "driver/usb/UsbTransport.h"
#include "sim/usb/SimulatedUsbSpectrometer.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

// A driver on the fake platform with simulated USB devices, and a client that scans.
namespace driver::usb::test {

inline std::vector<std::uint8_t> bytes(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

class UsbScanFixture : public ::testing::Test
{
protected:
    static constexpr std::uint32_t kKey = 5;
    static constexpr std::uint32_t kWindow = 77;

    // Plugs the devices in (in this order), then starts the driver with the types.
    void start(std::vector<std::shared_ptr<sim::usb::SimulatedUsbSpectrometer>> devices,
               int spectrometer, int adc, const char* serial = "")
    {
        auto backend = std::make_shared<sim::usb::SimUsbBackend>();
        for (auto& d : devices)
            backend->add(d);
        setUsbBackend(backend);
        StoreCurrentUSBSerialNumber(serial);
        m_fake = core::test::startFakeDriver(spectrometer, adc);
        std::lock_guard lock(core::driverState().mutex);
        core::driverState().startupFlags |= core::kStartupInterruptHandler;
    }

    void TearDown() override
    {
        CloseUsbDevice();
        setUsbBackend(std::make_shared<sim::usb::SimUsbBackend>());
        StoreCurrentUSBSerialNumber("");
    }

    std::unique_ptr<core::test::TestClient> client(std::initializer_list<int> channels, int scans)
    {
        auto c = std::make_unique<core::test::TestClient>(kKey, kWindow, channels);
        c->record.scansToAverage = static_cast<int16_t>(scans);
        EXPECT_EQ(VYK_Register(&c->record), 0);
        return c;
    }

    // One scan as the program does it; the single-scan result (0 when it ran), after
    // waiting for one buffer-full message per enabled channel.
    int scan(core::test::TestClient& c, std::size_t channels = 1)
    {
        EXPECT_EQ(VYK_ParamSet(&c.record), 0);
        const auto before = m_fake->postedOf(VYK_MSG_BUFFER_FULL).size();
        const int result = VYK_SingleScan(kKey);
        if (result == 0) {
            EXPECT_TRUE(m_fake->waitForPosts(VYK_MSG_BUFFER_FULL, before + channels,
                                             std::chrono::seconds(10)));
        }
        return result;
    }

    std::vector<std::uintptr_t> validityPosts()
    {
        std::vector<std::uintptr_t> out;
        for (const auto& post : m_fake->postedOf(VYK_MSG_DATA_VALIDITY))
            out.push_back(post.wParam);
        return out;
    }

    static std::vector<std::vector<std::uint8_t>>
    commands(const sim::usb::SimulatedUsbSpectrometer& sim)
    {
        std::vector<std::vector<std::uint8_t>> out;
        for (const auto& t : sim.log())
            out.push_back(t.bytes);
        return out;
    }

    static bool logged(const sim::usb::SimulatedUsbSpectrometer& sim,
                       const std::vector<std::uint8_t>& command)
    {
        for (const auto& t : sim.log()) {
            if (t.bytes == command)
                return true;
        }
        return false;
    }

    std::shared_ptr<core::test::FakeDriverPlatform> m_fake;
};

} // namespace driver::usb::test
