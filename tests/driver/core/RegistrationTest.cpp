#include "driver/core/DriverState.h"
#include "platform/win/c/pwin.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>

namespace driver::core::test {
namespace {

struct RegisterCase
{
    const char* name;
    std::function<void(RegistrationRecord&)> change;
    bool timers;
    int yesNoAnswer;
    int16_t expected;
    const char* boxText; // the first box's text, or "" for none
};

class RegisterTest : public ::testing::TestWithParam<RegisterCase>
{};

TEST_P(RegisterTest, ReturnsTheCodeAndShowsTheBox)
{
    const RegisterCase& c = GetParam();
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE, c.timers);
    fake->yesNoAnswer = c.yesNoAnswer;
    TestClient client(42, 7, {0, 2});
    c.change(client.record);

    EXPECT_EQ(VYK_Register(&client.record), c.expected);
    const auto boxes = fake->boxes();
    if (std::string(c.boxText).empty()) {
        EXPECT_TRUE(boxes.empty());
    } else {
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.front().text, c.boxText);
    }
    std::lock_guard lock(driverState().mutex);
    EXPECT_EQ(driverState().table.find(42) != nullptr, c.expected == VYK_SUCCESS);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegisterTest,
    ::testing::Values(
        RegisterCase{"Accepted", [](RegistrationRecord&) {}, true, kIdYes, 0, ""},
        RegisterCase{"NoWindow", [](RegistrationRecord& r) { r.window = 0; }, true, kIdYes, 6,
                     "VYK_Register failed.\nNo window or instance."},
        RegisterCase{"NoKey", [](RegistrationRecord& r) { r.instanceKey = 0; }, true, kIdYes, 6,
                     "VYK_Register failed.\nNo window or instance."},
        RegisterCase{"ChannelWithoutBuffer",
                     [](RegistrationRecord& r) { r.channelBuffers[2] = nullptr; }, true, kIdYes, 5,
                     "VYKDrv Register failed.\nChannel 2 has no buffer."},
        RegisterCase{"NoChannelEnabled",
                     [](RegistrationRecord& r) {
                         r.channelEnables[0] = 0;
                         r.channelEnables[2] = 0;
                     },
                     true, kIdYes, 8, "VYKDrv Register failed.\nNo channels enabled."},
        RegisterCase{"NoTimersDeclined", [](RegistrationRecord&) {}, false, kIdNo, 7,
                     "No Timers available. You may continue, \rbut there will be no timeout "
                     "available for \rhardware failures. Do you wish to continue?"},
        RegisterCase{"NoTimersAccepted", [](RegistrationRecord&) {}, false, kIdYes, 0,
                     "No Timers available. You may continue, \rbut there will be no timeout "
                     "available for \rhardware failures. Do you wish to continue?"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegisterTest, NullRecordIsRefused)
{
    auto fake = startFakeDriver();
    EXPECT_EQ(VYK_Register(nullptr), 6);
    EXPECT_EQ(VYK_ParamSet(nullptr), 6);
    EXPECT_EQ(VYK_Stat(nullptr), 0);
    EXPECT_EQ(VYK_UnRegister(12345), nullptr);
    EXPECT_EQ(VYK_BufferEmpty(12345, 0), 0);
}

TEST(RegisterTest, BoxesStayQuietWhenMessagesAreOff)
{
    auto fake = startFakeDriver();
    {
        std::lock_guard lock(driverState().mutex);
        driverState().messagesEnabled = false;
    }
    TestClient client(42, 0, {0});
    EXPECT_EQ(VYK_Register(&client.record), 6);
    EXPECT_TRUE(fake->boxes().empty());
}

TEST(RegisterTest, NinthKeyGrowsTheTableAndKeepsTheRecords)
{
    auto fake = startFakeDriver();
    std::vector<std::unique_ptr<TestClient>> clients;
    std::vector<RegistrationRecord*> addresses;
    std::vector<RegistrationRecord> contents;
    for (std::uint32_t key = 100; key < 108; ++key) {
        clients.push_back(
            std::make_unique<TestClient>(key, key + 1000, std::initializer_list<int>{0}));
        ASSERT_EQ(VYK_Register(&clients.back()->record), 0);
        ASSERT_EQ(VYK_ParamSet(&clients.back()->record), 0);
        std::lock_guard lock(driverState().mutex);
        addresses.push_back(driverState().table.find(key));
        contents.push_back(*addresses.back());
    }
    {
        std::lock_guard lock(driverState().mutex);
        EXPECT_EQ(driverState().table.size(), 8u);
        driverState().current = addresses[3];
        driverState().lastApplied = addresses[5];
    }
    TestClient ninth(200, 2000, {1});
    ASSERT_EQ(VYK_Register(&ninth.record), 0);

    std::lock_guard lock(driverState().mutex);
    DriverState& state = driverState();
    EXPECT_EQ(state.table.size(), 16u);
    EXPECT_EQ(state.table.indexOf(state.table.find(200)), 8u);
    EXPECT_EQ(state.current, addresses[3]);
    EXPECT_EQ(state.lastApplied, addresses[5]);
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(state.table.find(100 + static_cast<std::uint32_t>(i)), addresses[i]);
        EXPECT_EQ(std::memcmp(addresses[i], &contents[i], sizeof(RegistrationRecord)), 0);
    }
    for (std::size_t i = 9; i < 16; ++i)
        EXPECT_EQ(state.table.at(i).instanceKey, 0u);
}

TEST(RegisterTest, RegisterCopiesOnlyEnablesWindowKeyAndBuffers)
{
    auto fake = startFakeDriver();
    TestClient client(42, 7, {0, 3});
    client.record.integration = 99;
    client.record.scansToAverage = 5;
    client.record.flags = 4;
    ASSERT_EQ(VYK_Register(&client.record), 0);
    std::lock_guard lock(driverState().mutex);
    const RegistrationRecord* record = driverState().table.find(42);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->window, 7u);
    EXPECT_EQ(record->channelEnables[3], 1);
    EXPECT_EQ(record->channelBuffers[3], client.buffers[3].data());
    EXPECT_EQ(record->integration, 0);
    EXPECT_EQ(record->scansToAverage, 0);
    EXPECT_EQ(record->flags, 0);
    EXPECT_EQ(driverState().lastFound, record);
}

struct ParamSetCase
{
    const char* name;
    std::function<void(RegistrationRecord&)> change;
    int16_t expected;
    int16_t storedScans;
    int16_t storedBoxcar;
};

class ParamSetTest : public ::testing::TestWithParam<ParamSetCase>
{};

TEST_P(ParamSetTest, StoresOrRefuses)
{
    const ParamSetCase& c = GetParam();
    auto fake = startFakeDriver();
    TestClient client(42, 7, {0, 1});
    ASSERT_EQ(VYK_Register(&client.record), 0);
    c.change(client.record);
    EXPECT_EQ(VYK_ParamSet(&client.record), c.expected);
    std::lock_guard lock(driverState().mutex);
    const RegistrationRecord* record = driverState().table.find(42);
    ASSERT_NE(record, nullptr);
    if (c.expected == VYK_SUCCESS) {
        EXPECT_EQ(record->scansToAverage, c.storedScans);
        EXPECT_EQ(record->boxcarHalfWidth, c.storedBoxcar);
        EXPECT_EQ(record->timingDirty, 1);
        EXPECT_EQ(record->bufferStates[0], VYK_BUFFER_EMPTY);
        EXPECT_EQ(record->bufferStates[5], VYK_BUFFER_NOT_IN_USE);
        EXPECT_EQ(driverState().startupFlags, kStartupComplete);
    } else {
        EXPECT_EQ(record->timingDirty, 0); // a failed call leaves the record as it was
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParamSetTest,
    ::testing::Values(
        ParamSetCase{"Plain", [](RegistrationRecord&) {}, 0, 1, 0},
        ParamSetCase{"ScansToAverageZeroStoredAsOne",
                     [](RegistrationRecord& r) { r.scansToAverage = 0; }, 0, 1, 0},
        ParamSetCase{"NegativeScansStoredAsOne",
                     [](RegistrationRecord& r) { r.scansToAverage = -20; }, 0, 1, 0},
        ParamSetCase{"BoxcarMinusThreeStoredAsZero",
                     [](RegistrationRecord& r) { r.boxcarHalfWidth = -3; }, 0, 1, 0},
        ParamSetCase{"BoxcarKept", [](RegistrationRecord& r) { r.boxcarHalfWidth = 12; }, 0, 1, 12},
        ParamSetCase{"ChannelWithoutBuffer",
                     [](RegistrationRecord& r) {
                         r.channelEnables[6] = 1;
                         r.channelBuffers[6] = nullptr;
                     },
                     5, 0, 0},
        ParamSetCase{"IntegrationZero", [](RegistrationRecord& r) { r.integration = 0; }, 8, 0, 0},
        ParamSetCase{"UnknownKey", [](RegistrationRecord& r) { r.instanceKey = 999; }, 6, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParamSetTest, CommandOneWhileAcquiringIsBusyAndChangesNothing)
{
    auto fake = startFakeDriver();
    TestClient client(42, 7, {0});
    ASSERT_EQ(VYK_Register(&client.record), 0);
    ASSERT_EQ(VYK_ParamSet(&client.record), 0);
    {
        std::lock_guard lock(driverState().mutex);
        driverState().currentChannel = 0;
    }
    client.record.command = 1;
    client.record.integration = 77;
    EXPECT_EQ(VYK_ParamSet(&client.record), 3);
    {
        std::lock_guard lock(driverState().mutex);
        EXPECT_EQ(driverState().table.find(42)->integration, 10);
        driverState().currentChannel = -1;
    }
    EXPECT_EQ(fake->dialogs(), 0);
    // Idle, command 1 runs the set-up dialog and then stores.
    EXPECT_EQ(VYK_ParamSet(&client.record), 0);
    EXPECT_EQ(fake->dialogs(), 1);
}

TEST(ParamSetTest, CommandTwoTogglesStatusMessagesAndGavrelGetsAFlashDelay)
{
    auto fake = startFakeDriver(VYK_SPEC_GAVREL, VYK_ADC_NONE);
    TestClient client(42, 7, {0});
    ASSERT_EQ(VYK_Register(&client.record), 0);
    client.record.command = 2;
    client.record.flashDelay = 0;
    ASSERT_EQ(VYK_ParamSet(&client.record), 0);
    EXPECT_EQ(client.record.flashDelay, 1);
    {
        std::lock_guard lock(driverState().mutex);
        EXPECT_EQ(driverState().table.find(42)->flags, VYK_FLAG_STATUS_MESSAGES);
    }
    ASSERT_EQ(VYK_ParamSet(&client.record), 0);
    std::lock_guard lock(driverState().mutex);
    EXPECT_EQ(driverState().table.find(42)->flags, 0);
}

TEST(StatTest, CopiesTheRecordAndPostsStatus)
{
    auto fake = startFakeDriver();
    TestClient client(42, 7, {0});
    ASSERT_EQ(VYK_Register(&client.record), 0);
    ASSERT_EQ(VYK_ParamSet(&client.record), 0);
    RegistrationRecord copy{};
    copy.instanceKey = 42;
    EXPECT_EQ(VYK_Stat(&copy), 1);
    EXPECT_EQ(copy.integration, 10);
    EXPECT_EQ(copy.timingDirty, 1);
    const auto posts = fake->postedOf(VYK_MSG_STATUS);
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].window, 7u);
    EXPECT_EQ(posts[0].lParam, reinterpret_cast<std::intptr_t>(&copy));
    copy.instanceKey = 43;
    EXPECT_EQ(VYK_Stat(&copy), 0);
}

TEST(BufferEmptyTest, MarksEmptyForChannelsZeroToSevenOnly)
{
    auto fake = startFakeDriver();
    TestClient client(42, 7, {0, 7});
    ASSERT_EQ(VYK_Register(&client.record), 0);
    client.record.command = 2; // status messages on
    ASSERT_EQ(VYK_ParamSet(&client.record), 0);
    for (int channel : {0, 7, 8, -1}) {
        SCOPED_TRACE(channel);
        {
            std::lock_guard lock(driverState().mutex);
            for (auto& state : driverState().table.find(42)->bufferStates)
                state = VYK_BUFFER_FULL;
        }
        fake->clearPosts();
        EXPECT_NE(VYK_BufferEmpty(42, static_cast<int16_t>(channel)), 0);
        std::lock_guard lock(driverState().mutex);
        const RegistrationRecord* record = driverState().table.find(42);
        for (int c = 0; c < 8; ++c)
            EXPECT_EQ(record->bufferStates[c], c == channel ? VYK_BUFFER_EMPTY : VYK_BUFFER_FULL);
        EXPECT_EQ(fake->postedOf(VYK_MSG_STATUS).size(), 1u);
    }
}

TEST(UnRegisterTest, ClearsTheRecordAndFreesItsKey)
{
    auto fake = startFakeDriver();
    TestClient client(42, 7, {0});
    ASSERT_EQ(VYK_Register(&client.record), 0);
    RegistrationRecord* record = VYK_UnRegister(42);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->instanceKey, 0u);
    EXPECT_EQ(record->window, 0u);
    EXPECT_EQ(VYK_UnRegister(42), nullptr);
    // The freed record is the first one a new key takes.
    TestClient other(43, 8, {0});
    ASSERT_EQ(VYK_Register(&other.record), 0);
    std::lock_guard lock(driverState().mutex);
    EXPECT_EQ(driverState().table.find(43), record);
}

TEST(CorrectionSettersTest, StoreForChannelsZeroToSevenOnly)
{
    auto fake = startFakeDriver();
    const float coefficients[8] = {1.5f, 2, 3, 4, 5, 6, 7, 8};
    for (int channel : {-1, 0, 7, 8}) {
        VYK_SetNLCoefs(static_cast<int16_t>(channel), coefficients);
        VYK_EnableNLCorrection(static_cast<int16_t>(channel), -1);
        VYK_SetSLCoef(static_cast<int16_t>(channel), 0.25f);
        VYK_EnableSLCorrection(static_cast<int16_t>(channel), 1);
    }
    VYK_SetNLCoefs(3, nullptr);
    std::lock_guard lock(driverState().mutex);
    for (int c = 0; c < 8; ++c) {
        SCOPED_TRACE(c);
        const bool set = c == 0 || c == 7;
        const ChannelCorrections& corrections =
            driverState().corrections[static_cast<std::size_t>(c)];
        EXPECT_EQ(corrections.nlCoefficients[0], set ? 1.5 : 0.0);
        EXPECT_EQ(corrections.nlCoefficients[7], set ? 8.0 : 0.0);
        EXPECT_EQ(corrections.nlEnable, set ? -1 : 0); // sign-extended
        EXPECT_EQ(corrections.slConstant, set ? 0.25f : 0.0f);
        EXPECT_EQ(corrections.slEnable, set ? 1 : 0);
    }
}

} // namespace
} // namespace driver::core::test

namespace driver::core::test {
namespace {

TEST(KeyZeroTest, AddressesTheCurrentRecord)
{
    auto fake = startFakeDriver();
    TestClient client(42, 7, {0, 1});
    ASSERT_EQ(VYK_Register(&client.record), 0);
    ASSERT_EQ(VYK_ParamSet(&client.record), 0);
    RegistrationRecord* record = nullptr;
    {
        std::lock_guard lock(driverState().mutex);
        record = driverState().table.find(42);
        record->bufferStates[1] = VYK_BUFFER_FULL;
        driverState().current = record;
    }
    EXPECT_NE(VYK_BufferEmpty(0, 1), 0);
    RegistrationRecord copy{};
    EXPECT_EQ(VYK_Stat(&copy), 1);
    EXPECT_EQ(copy.instanceKey, 42u);
    EXPECT_EQ(copy.bufferStates[1], VYK_BUFFER_EMPTY);
    EXPECT_EQ(VYK_UnRegister(0), record);
    std::lock_guard lock(driverState().mutex);
    EXPECT_EQ(record->instanceKey, 0u);
}

} // namespace
} // namespace driver::core::test

namespace driver::core::test {
namespace {

TEST(FirstCallTest, RacingFirstCallsStartTheLibraryOnce)
{
    auto fake = std::make_shared<FakeDriverPlatform>();
    detachDriver();
    setDriverPlatform(fake);
    std::vector<std::unique_ptr<TestClient>> clients;
    for (std::uint32_t key = 1; key <= 4; ++key)
        clients.push_back(
            std::make_unique<TestClient>(key + 100, key, std::initializer_list<int>{0}));
    std::vector<std::thread> threads;
    std::vector<int16_t> results(clients.size(), -1);
    for (std::size_t i = 0; i < clients.size(); ++i)
        threads.emplace_back([&, i] { results[i] = VYK_Register(&clients[i]->record); });
    for (auto& thread : threads)
        thread.join();
    std::lock_guard lock(driverState().mutex);
    for (std::size_t i = 0; i < clients.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(results[i], 0);
        EXPECT_NE(driverState().table.find(clients[i]->record.instanceKey), nullptr);
    }
}

} // namespace
} // namespace driver::core::test

namespace driver::core::test {
namespace {

int answerNo(void* context, PWIN_HWND, const char* text, const char*, PWIN_UINT)
{
    *static_cast<std::string*>(context) = text ? text : "";
    return PWIN_IDNO;
}

TEST(RegisterTest, NoTimersDeclinedThroughThePlatformsBoxHook)
{
    detachDriver();
    setDriverPlatform(nullptr);
    attachDriver();
    {
        std::lock_guard lock(driverState().mutex);
        driverState().timersAvailable = 0; // as when the multimedia timer cannot be had
    }
    std::string shown;
    const PWIN_MESSAGEBOX_HOOK hook{answerNo, nullptr, &shown};
    pwin_SetMessageBoxHook(&hook);
    TestClient client(42, 7, {0});
    EXPECT_EQ(VYK_Register(&client.record), 7);
    pwin_SetMessageBoxHook(nullptr);
    EXPECT_EQ(shown.rfind("No Timers available.", 0), 0u);
    std::lock_guard lock(driverState().mutex);
    EXPECT_EQ(driverState().table.find(42), nullptr);
}

} // namespace
} // namespace driver::core::test
