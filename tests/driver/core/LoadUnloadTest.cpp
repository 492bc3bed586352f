// Loads the shared library, scans through the worker and the blocking call, unloads it and
// loads it again, all in one process: the unload must stop and join the worker, write the
// configuration and leave nothing running that the next load could trip over. Meant to run
// under AddressSanitizer and ThreadSanitizer as well.
#include "driver/include/vykdrv32.h"
#include "platform/win/c/pwin.h"

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <memory>
#include <poll.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace driver::core::test {
namespace {

std::string libraryPath()
{
    char exe[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string path(exe, length > 0 ? static_cast<std::size_t>(length) : 0);
    return path.substr(0, path.rfind('/') + 1) + "libVYKDRV32.so";
}

std::string iniPath()
{
    const char* path = std::getenv("VYKDRV_INI");
    return path ? path : "";
}

std::string iniText()
{
    std::ifstream file(iniPath(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Waits, bounded, for the next message of the calling thread and dispatches it.
bool pumpOne(std::chrono::milliseconds bound)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    for (;;) {
        PWIN_MSG msg;
        if (pwin_PeekMessage(&msg, 0, 0, 0, PWIN_PM_REMOVE)) {
            pwin_DispatchMessage(&msg);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd fd{pwin_GetQueueWaitHandle(), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left.count()));
    }
}

struct Received
{
    int full = 0;
};

PWIN_LRESULT handler(void* context, PWIN_HWND, PWIN_UINT message, PWIN_WPARAM, PWIN_LPARAM)
{
    if (message == VYK_MSG_BUFFER_FULL)
        ++static_cast<Received*>(context)->full;
    return 0;
}

template <class F> F resolve(void* library, const char* name)
{
    void* symbol = dlsym(library, name);
    EXPECT_NE(symbol, nullptr) << name;
    return reinterpret_cast<F>(symbol);
}

TEST(LoadUnloadTest, ScanUnloadAndLoadAgain)
{
    {
        std::ofstream file(iniPath(), std::ios::binary | std::ios::trunc);
        file << "[Setup]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\nInitialized=1\r\n";
    }
    Received received;
    const PWIN_HWND window = pwin_CreateMessageWindow(handler, &received, nullptr);
    ASSERT_NE(window, 0u);
    for (int load = 0; load < 3; ++load) {
        SCOPED_TRACE(load);
        void* library = dlopen(libraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto reg = resolve<int16_t (*)(RegistrationRecord*)>(library, "VYK_Register");
        auto paramSet = resolve<int16_t (*)(RegistrationRecord*)>(library, "VYK_ParamSet");
        auto scanThread = resolve<intptr_t (*)(uint32_t)>(library, "VYK_SingleScan_Thread");
        auto doScan = resolve<int16_t (*)(DoScanBlock*)>(library, "VYK_DoScan");
        auto adcType = resolve<uint16_t (*)()>(library, "VYK_GetADCType");
        ASSERT_EQ(adcType(), VYK_ADC_NONE);

        std::vector<float> buffer(4096);
        RegistrationRecord record{};
        record.size = sizeof record;
        record.integration = 2;
        record.scansToAverage = 1;
        record.channelEnables[0] = 1;
        record.channelBuffers[0] = buffer.data();
        record.window = window;
        record.instanceKey = 42;
        ASSERT_EQ(reg(&record), 0);
        ASSERT_EQ(paramSet(&record), 0);
        const int before = received.full;
        ASSERT_NE(scanThread(42), 0);
        while (received.full == before)
            ASSERT_TRUE(pumpOne(std::chrono::seconds(10)));
        EXPECT_GT(buffer[100], 0.0f);

        auto block = std::make_unique<DoScanBlock>();
        block->integration = 2;
        block->scansToAverage = 1;
        block->channelEnables[1] = 1;
        EXPECT_EQ(doScan(block.get()), 0);
        EXPECT_GT(block->spectra[1][100], 0.0f);

        // The worker is waiting for its next scan while the library goes away.
        ASSERT_EQ(dlclose(library), 0);
        if (void* still = dlopen(libraryPath().c_str(), RTLD_NOW | RTLD_NOLOAD)) {
            ADD_FAILURE() << "the library stayed loaded";
            dlclose(still);
        }
        EXPECT_NE(iniText().find("Initialized=1"), std::string::npos);
    }
    pwin_DestroyWindow(window);
}

// Drops every message posted to the calling thread (the loops below do not read them).
void drainMessages()
{
    PWIN_MSG msg;
    while (pwin_PeekMessage(&msg, 0, 0, 0, PWIN_PM_REMOVE))
        ;
}

void writeNoHardwareIni()
{
    std::ofstream file(iniPath(), std::ios::binary | std::ios::trunc);
    file << "[Setup]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\nInitialized=1\r\n";
}

struct UnloadCase
{
    const char* name;
    int integration; // ms; the synthetic channel waits half of it twice
    int rounds;
};

class UnloadAtOnceTest : public ::testing::TestWithParam<UnloadCase>
{};

// A client hands a scan to the worker and unloads the library at once, with no pause in
// between, many times: the unload must end the worker's scan and join it before the
// library's code goes away, whatever the worker is doing at that moment. Then a load scans.
TEST_P(UnloadAtOnceTest, UnloadRightAfterAHandOverThenLoadAndScan)
{
    const UnloadCase& c = GetParam();
    writeNoHardwareIni();
    Received received;
    const PWIN_HWND window = pwin_CreateMessageWindow(handler, &received, nullptr);
    ASSERT_NE(window, 0u);
    std::vector<float> buffer(4096);
    for (int round = 0; round < c.rounds; ++round) {
        SCOPED_TRACE(round);
        void* library = dlopen(libraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto reg = resolve<int16_t (*)(RegistrationRecord*)>(library, "VYK_Register");
        auto paramSet = resolve<int16_t (*)(RegistrationRecord*)>(library, "VYK_ParamSet");
        auto scanThread = resolve<intptr_t (*)(uint32_t)>(library, "VYK_SingleScan_Thread");
        RegistrationRecord record{};
        record.size = sizeof record;
        record.integration = static_cast<uint16_t>(c.integration);
        record.scansToAverage = 1;
        record.channelEnables[0] = 1;
        record.channelBuffers[0] = buffer.data();
        record.window = window;
        record.instanceKey = 42;
        ASSERT_EQ(reg(&record), 0);
        ASSERT_EQ(paramSet(&record), 0);
        ASSERT_NE(scanThread(42), 0);
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(dlclose(library), 0);
        // A safety bound only: most of a 20 s scan, which the unload must not wait out.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
        if (void* still = dlopen(libraryPath().c_str(), RTLD_NOW | RTLD_NOLOAD)) {
            ADD_FAILURE() << "the library stayed loaded";
            dlclose(still);
        }
        drainMessages();
    }

    void* library = dlopen(libraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto reg = resolve<int16_t (*)(RegistrationRecord*)>(library, "VYK_Register");
    auto paramSet = resolve<int16_t (*)(RegistrationRecord*)>(library, "VYK_ParamSet");
    auto scanThread = resolve<intptr_t (*)(uint32_t)>(library, "VYK_SingleScan_Thread");
    std::fill(buffer.begin(), buffer.end(), 0.0f);
    RegistrationRecord record{};
    record.size = sizeof record;
    record.integration = 2;
    record.scansToAverage = 1;
    record.channelEnables[0] = 1;
    record.channelBuffers[0] = buffer.data();
    record.window = window;
    record.instanceKey = 43;
    ASSERT_EQ(reg(&record), 0);
    ASSERT_EQ(paramSet(&record), 0);
    const int before = received.full;
    ASSERT_NE(scanThread(43), 0);
    while (received.full == before)
        ASSERT_TRUE(pumpOne(std::chrono::seconds(10)));
    EXPECT_GT(buffer[100], 0.0f);
    ASSERT_EQ(dlclose(library), 0);
    pwin_DestroyWindow(window);
}

INSTANTIATE_TEST_SUITE_P(Cases, UnloadAtOnceTest,
                         ::testing::Values(UnloadCase{"ShortScans", 2, 300},
                                           UnloadCase{"TwentySecondScans", 20000, 20}),
                         [](const auto& info) { return std::string(info.param.name); });

// Each load makes the library's state, worker, buffers and device context; each unload
// must free them again. In an address-sanitizer build the leak checker looks at the
// process after the loop (and at its exit); elsewhere this case only loads and unloads.
TEST(LoadUnloadTest, LoadAndUnloadManyTimesLeaksNothing)
{
    writeNoHardwareIni();
    Received received;
    const PWIN_HWND window = pwin_CreateMessageWindow(handler, &received, nullptr);
    ASSERT_NE(window, 0u);
    std::vector<float> buffer(4096);
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(round);
        void* library = dlopen(libraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto reg = resolve<int16_t (*)(RegistrationRecord*)>(library, "VYK_Register");
        auto paramSet = resolve<int16_t (*)(RegistrationRecord*)>(library, "VYK_ParamSet");
        auto scanThread = resolve<intptr_t (*)(uint32_t)>(library, "VYK_SingleScan_Thread");
        auto doScan = resolve<int16_t (*)(DoScanBlock*)>(library, "VYK_DoScan");
        RegistrationRecord record{};
        record.size = sizeof record;
        record.integration = 2;
        record.scansToAverage = 1;
        record.channelEnables[0] = 1;
        record.channelBuffers[0] = buffer.data();
        record.window = window;
        record.instanceKey = 42;
        ASSERT_EQ(reg(&record), 0);
        ASSERT_EQ(paramSet(&record), 0);
        const int before = received.full;
        ASSERT_NE(scanThread(42), 0);
        while (received.full == before)
            ASSERT_TRUE(pumpOne(std::chrono::seconds(10)));
        auto block = std::make_unique<DoScanBlock>();
        block->integration = 2;
        block->scansToAverage = 1;
        block->channelEnables[1] = 1;
        EXPECT_EQ(doScan(block.get()), 0);
        ASSERT_EQ(dlclose(library), 0);
        drainMessages();
    }
    pwin_DestroyWindow(window);
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
}

} // namespace
} // namespace driver::core::test
