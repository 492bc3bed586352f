#include "app/shell/SpectrometerConfiguration.h"

#include "app/shell/INIFileSupport.h"
#include "tests/app/shell/ShellFakes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string configurationReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

class SpectrometerConfigurationTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const char* base = std::getenv("HARLUNE_TEST_DIR");
        m_dir = fs::path(base != nullptr ? base : fs::temp_directory_path().string()) /
                testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(m_dir);
    }

    std::string path(const char* name) const { return (m_dir / name).string(); }

    fs::path m_dir;
    FakeConfigurationHost m_host;
};

TEST_F(SpectrometerConfigurationTest, MissingFileGivesDefaultsAndStartsSetUpOnce)
{
    CSpectrometerConfiguration config(path("new.spec"), 0, m_host);
    EXPECT_EQ(config.GetSpectrometerType(), 0x200);
    EXPECT_EQ(config.GetADCType(), 255);
    EXPECT_EQ(config.GetIRQ(), 7);
    EXPECT_EQ(config.GetBaseAddress(), 768u);
    EXPECT_EQ(config.GetSerialNumber(), "Unknown");
    EXPECT_EQ(config.GetSerialPortBaudRate(), 6);
    EXPECT_EQ(config.GetChannelEnabled(0), 1);
    EXPECT_EQ(config.GetChannelEnabled(1), 0);
    EXPECT_EQ(config.GetInitialized(), 1u);
    EXPECT_EQ(config.GetScopeModeSaturationThreshold(), 4095.0);
    EXPECT_EQ(config.GetPixelCount(), 2048u);
    // The default calibration, evaluated in double from the float coefficients.
    const double last = 350.0 + 0.5 * 2047 + static_cast<double>(-2.0e-5f) * 2047.0 * 2047.0;
    EXPECT_DOUBLE_EQ(config.GetLastPixelWavelength(0), last);
    EXPECT_FLOAT_EQ(config.GetDisplayStart(0), 350.0f);
    EXPECT_FLOAT_EQ(config.GetDisplayEnd(3), static_cast<float>(last));
    ASSERT_FALSE(m_host.recorder.calls.empty());
    EXPECT_EQ(m_host.recorder.calls.back(), "Config(0,0,0,0)");
}

TEST_F(SpectrometerConfigurationTest, EveryFieldRoundTrips)
{
    {
        CSpectrometerConfiguration config(path("a.spec"), 0, m_host);
        config.SetAutoApply(0);
        config.SetSpectrometerType(0x600);
        config.SetADCType(7);
        config.SetSerialNumber("JOL-0042");
        config.SetSpectrometerSubType("UV");
        config.SetIRQ(10);
        config.SetBaseAddress(0x310);
        config.SetSerialPort(3);
        config.SetSerialPortResolution(2);
        config.SetChannelRotation(3);
        config.SetPCICardID(1);
        config.SetDisplayLimitedRange(1);
        config.SetLemmikOffset(12.5);
        config.SetKaldrisCompression(1);
        config.SetSerialPortBaudRate(4);
        config.SetUSBSerialNumber("USB2000+9");
        config.SetScopeModeSaturationThreshold(60000.25);
        for (int c = 0; c < 8; ++c) {
            const float wl[4] = {200.0f + c, 0.25f, -1.5e-5f, 3.0e-10f};
            config.SetWavelengthCoefs(c, wl);
            const float nl[8] = {0.9f, 1e-5f, -2e-9f, 3e-13f, 0, 0, 0, 1e-20f + c};
            config.SetNLCoefs(c, nl);
            config.SetNLEnabled(c, static_cast<int16_t>(c % 2));
            config.SetSLEnabled(c, 1);
            config.SetSLConstant(c, 0.125f * c);
            config.SetChannelEnabled(c, 1);
            config.SetDisplayStart(c, 300.0f + c);
            config.SetDisplayEnd(c, 900.0f - c);
            config.SetReferenceChannel(c, (c + 1) % 8);
            config.SetReferenceType(c, static_cast<uint16_t>(c % 4));
            config.SetReferenceWavelength(c, 500.5f);
            config.SetReferenceBandwidthStart(c, 450.0f);
            config.SetReferenceBandwidthEnd(c, 650.0f);
        }
        EXPECT_TRUE(config.WriteSpectrometerConfiguration());
    }
    FakeConfigurationHost other;
    CSpectrometerConfiguration back(path("a.spec"), 0, other);
    EXPECT_EQ(back.GetSpectrometerType(), 0x600);
    EXPECT_EQ(back.GetADCType(), 7);
    EXPECT_EQ(back.GetSerialNumber(), "JOL-0042");
    EXPECT_EQ(back.GetSpectrometerSubType(), "UV");
    EXPECT_EQ(back.GetIRQ(), 10);
    EXPECT_EQ(back.GetBaseAddress(), 0x310u);
    EXPECT_EQ(back.GetSerialPort(), 3);
    EXPECT_EQ(back.GetSerialPortResolution(), 2);
    EXPECT_EQ(back.GetChannelRotation(), 3);
    EXPECT_EQ(back.GetPCICardID(), 1);
    EXPECT_EQ(back.GetDisplayLimitedRange(), 1u);
    EXPECT_EQ(back.GetLemmikOffset(), 12.5);
    EXPECT_EQ(back.GetKaldrisCompression(), 1u);
    EXPECT_EQ(back.GetSerialPortBaudRate(), 4);
    EXPECT_EQ(back.GetUSBSerialNumber(), "USB2000+9");
    EXPECT_EQ(back.GetScopeModeSaturationThreshold(), 60000.25);
    EXPECT_EQ(back.GetInitialized(), 1u);
    for (int c = 0; c < 8; ++c) {
        SCOPED_TRACE(c);
        float wl[4];
        back.GetWavelengthCoefs(c, wl);
        EXPECT_FLOAT_EQ(wl[0], 200.0f + c);
        EXPECT_FLOAT_EQ(wl[1], 0.25f);
        EXPECT_FLOAT_EQ(wl[2], -1.5e-5f);
        EXPECT_FLOAT_EQ(wl[3], 3.0e-10f);
        float nl[8];
        back.GetNLCoefs(c, nl);
        EXPECT_FLOAT_EQ(nl[0], 0.9f);
        EXPECT_FLOAT_EQ(nl[3], 3e-13f);
        EXPECT_FLOAT_EQ(nl[7], 1e-20f + c);
        EXPECT_EQ(back.GetNLEnabled(c), c % 2);
        EXPECT_EQ(back.GetSLEnabled(c), 1);
        EXPECT_FLOAT_EQ(back.GetSLConstant(c), 0.125f * c);
        EXPECT_EQ(back.GetChannelEnabled(c), 1);
        EXPECT_FLOAT_EQ(back.GetDisplayStart(c), 300.0f + c);
        EXPECT_FLOAT_EQ(back.GetDisplayEnd(c), 900.0f - c);
        EXPECT_EQ(back.GetDisplayStartPixel(c), back.WavelengthToPixel(c, 300.0f + c));
        EXPECT_EQ(back.GetDisplayEndPixel(c), back.WavelengthToPixel(c, 900.0f - c));
        EXPECT_EQ(back.GetReferenceChannel(c), static_cast<uint32_t>((c + 1) % 8));
        EXPECT_EQ(back.GetReferenceType(c), c % 4);
        EXPECT_FLOAT_EQ(back.GetReferenceWavelength(c), 500.5f);
        EXPECT_FLOAT_EQ(back.GetReferenceBandwidthStart(c), 450.0f);
        EXPECT_FLOAT_EQ(back.GetReferenceBandwidthEnd(c), 650.0f);
    }
}

TEST_F(SpectrometerConfigurationTest, ReadsOldFormFiles)
{
    fs::copy_file(HARLUNE_FIXTURE_DIR "/app/shell/old-form.spec", path("old.spec"));
    CSpectrometerConfiguration config(path("old.spec"), 0, m_host);
    EXPECT_EQ(config.GetADCType(), 8); // "Kaldris" is the serial converter
    EXPECT_EQ(config.GetSerialNumber(), "IST2K1234");
    EXPECT_EQ(config.GetSpectrometerSubType(), "NONE");
    EXPECT_EQ(config.GetIRQ(), 5);
    EXPECT_EQ(config.GetBaseAddress(), 784u);
    EXPECT_EQ(config.GetSerialPortResolution(), 4);
    EXPECT_EQ(config.GetSerialPortBaudRate(), 5);
    EXPECT_EQ(config.GetScopeModeSaturationThreshold(), 3900.0);
    float wl[4];
    config.GetWavelengthCoefs(0, wl);
    EXPECT_FLOAT_EQ(wl[0], 339.25f);
    EXPECT_FLOAT_EQ(wl[2], -1.234e-5f);
    EXPECT_FLOAT_EQ(wl[3], 2.5e-10f);
    float nl[8];
    config.GetNLCoefs(0, nl);
    EXPECT_FLOAT_EQ(nl[0], 0.95f);
    EXPECT_FLOAT_EQ(nl[1], 1.1e-5f);
    EXPECT_FLOAT_EQ(nl[2], 0.0f);
    EXPECT_EQ(config.GetDisplayStartPixel(0), 150u);
    EXPECT_EQ(config.GetDisplayEndPixel(0), 1300u);
    // Channel 1 keeps the default calibration; its display range spans its pixels.
    EXPECT_FLOAT_EQ(config.GetDisplayStart(1), 350.0f);
    EXPECT_EQ(config.GetReferenceWavelengthPixel(1), config.WavelengthToPixel(0, 500.0));
    // Initialized: no set-up dialog.
    for (const std::string& call : m_host.recorder.calls)
        EXPECT_NE(call, "Config(0,0,0,0)");

    config.SetAutoApply(0);
    ASSERT_TRUE(config.WriteSpectrometerConfiguration());
    const std::string text = configurationReadAll(path("old.spec"));
    EXPECT_NE(text.find("ADCType=SERIALADC\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Kaldris\r\n"), std::string::npos);
    EXPECT_NE(text.find("WLSecond=-1.234000e-05\r\n"), std::string::npos);
}

TEST_F(SpectrometerConfigurationTest, ThresholdOf14IsTheConvertersFullScale)
{
    struct Case
    {
        const char* stored;
        double expected;
    };
    const Case cases[] = {{"14.0", 65535.0}, {"14", 65535.0}, {"14.5", 14.5}, {"200", 200.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        const std::string file = path("t.spec");
        {
            std::ofstream out(file, std::ios::trunc);
            out << "[General]\nInitialized=1\nScopeModeSaturationThreshold=" << c.stored << "\n";
        }
        m_host.recorder.maximumIntensity = 65535;
        m_host.withoutHardware = true; // nothing is written back
        CSpectrometerConfiguration config(file, 0, m_host);
        EXPECT_EQ(config.GetScopeModeSaturationThreshold(), c.expected);
    }
}

TEST_F(SpectrometerConfigurationTest, WavelengthToPixelEdges)
{
    m_host.withoutHardware = true;
    CSpectrometerConfiguration config(path("w.spec"), 0, m_host);
    const float linear[4] = {400.0f, 1.0f, 0.0f, 0.0f}; // pixel p at 400 + p nm
    config.SetAutoApply(0);
    config.SetWavelengthCoefs(0, linear);
    struct Case
    {
        double wavelength;
        uint16_t pixel;
    };
    const Case cases[] = {{100.0, 0},    {400.0, 0},     {400.5, 0},     {401.0, 0},  {401.5, 1},
                          {1000.0, 599}, {2447.0, 2046}, {2447.5, 2047}, {1e9, 2047}, {-1e9, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wavelength);
        EXPECT_EQ(config.WavelengthToPixel(0, c.wavelength), c.pixel);
    }
    EXPECT_EQ(config.WavelengthToPixel(8, 500.0), 0);
    EXPECT_EQ(config.PixelToWavelength(0, -5), 400.0);
    EXPECT_EQ(config.PixelToWavelength(0, 99999), 2447.0);
}

TEST_F(SpectrometerConfigurationTest, ReferencePixelsFollowTheLinearRule)
{
    m_host.withoutHardware = true;
    CSpectrometerConfiguration config(path("r.spec"), 0, m_host);
    config.SetAutoApply(0);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> slope(0.1f, 0.6f);
    std::uniform_real_distribution<float> curve(-8e-5f, 8e-5f);
    for (int trial = 0; trial < 4; ++trial) {
        SCOPED_TRACE(trial);
        for (int c = 0; c < 8; ++c) {
            // Trial 3 gives channel 2 a calibration that turns back, so the walk must not
            // be used for it.
            const float second = (trial == 3 && c == 2) ? -4e-4f : curve(random);
            const float wl[4] = {300.0f + 10.0f * c, slope(random), second, 0.0f};
            config.SetWavelengthCoefs(c, wl);
        }
        for (int c = 0; c < 8; ++c) {
            config.SetReferenceChannel(c, (c + 2) % 8);
            config.SetReferenceWavelength(c, 520.0f);
            config.SetReferenceBandwidthStart(c, 480.0f);
            config.SetReferenceBandwidthEnd(c, 700.0f);
            config.SetReferenceType(c, static_cast<uint16_t>(1 + c % 3));
        }
        std::vector<uint16_t> map(config.GetPixelCount());
        for (int c = 0; c < 8; ++c) {
            const int r = (c + 2) % 8;
            switch (config.GetReferenceType(c)) {
            case 1:
                EXPECT_EQ(config.GetReferenceWavelengthPixel(c), config.WavelengthToPixel(r, 520));
                break;
            case 2:
                config.GetReferencePixelMap(c, map.data());
                for (unsigned p = 0; p < map.size(); ++p)
                    ASSERT_EQ(map[p], config.WavelengthToPixel(r, config.PixelToWavelength(c, p)))
                        << "channel " << c << " pixel " << p;
                break;
            case 3:
                EXPECT_EQ(config.GetReferenceBandwidthStartPixel(c),
                          config.WavelengthToPixel(r, 480));
                EXPECT_EQ(config.GetReferenceBandwidthEndPixel(c),
                          config.WavelengthToPixel(r, 700));
                break;
            }
        }
    }
}

TEST_F(SpectrometerConfigurationTest, UlmarMapHas1024Entries)
{
    m_host.withoutHardware = true;
    CSpectrometerConfiguration config(path("u.spec"), 0, m_host);
    config.SetAutoApply(0);
    config.SetSpectrometerType(0x700);
    config.SetReferenceType(0, 2);
    std::vector<uint16_t> map(1025, 0xBEEF);
    config.GetReferencePixelMap(0, map.data());
    // The last pixel whose wavelength lies below that of pixel 1023 in the same calibration.
    EXPECT_EQ(map[1023], 1022);
    EXPECT_EQ(map[1024], 0xBEEF);
}

TEST_F(SpectrometerConfigurationTest, ApplyToDriverSequence)
{
    struct Case
    {
        const char* name;
        uint16_t adc;
        uint16_t rotation;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"serial converter",
         8,
         0,
         {"ConfigEx(512,8,7,768,0,0)", "SetKaldrisBaudRate(6)", "SetKaldrisCompressedMode(0)",
          "SetKaldrisPixelResolution(1)", "DisableMultichannel"}},
        {"board with rotation", 2, 3, {"ConfigEx(512,2,7,768,0,0)", "EnableMultichannel(3)"}},
        {"usb",
         4,
         0,
         {"ConfigEx(512,4,7,768,0,0)", "GetCurrentUSBSerial", "SetCurrentUSBSerial(S1)",
          "SetLastUSBScanValid(0)"}},
        {"none", 255, 0, {"ConfigEx(512,255,7,768,0,0)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeConfigurationHost host;
        host.liveView = 77;
        CSpectrometerConfiguration config(path("d.spec"), 77, host);
        config.SetAutoApply(0);
        config.SetADCType(c.adc);
        config.SetChannelRotation(c.rotation);
        config.SetUSBSerialNumber("S1");
        host.recorder.currentSerial = "other";
        host.recorder.calls.clear();
        host.mainFrameSerial.clear();
        config.ApplyToDriver();
        ASSERT_GE(host.recorder.calls.size(), 32u);
        EXPECT_EQ(host.recorder.calls[0], "EnableSL(0,0)");
        EXPECT_EQ(host.recorder.calls[1], "EnableNL(0,0)");
        EXPECT_EQ(host.recorder.calls[2], "SetSLCoef(0,1)");
        EXPECT_EQ(host.recorder.calls[31], "SetNLCoefs(7,0..0)");
        EXPECT_EQ(host.recorder.callsAfterCorrections(), c.expected);
        EXPECT_EQ(host.mainFrameSerial, c.adc == 4 ? "S1" : "");
        host.withoutHardware = true;
    }
}

TEST_F(SpectrometerConfigurationTest, SetterPushesOnlyWithAutoApply)
{
    m_host.withoutHardware = true;
    CSpectrometerConfiguration config(path("p.spec"), 0, m_host);
    m_host.recorder.calls.clear();
    config.SetIRQ(9);
    EXPECT_EQ(m_host.recorder.calls.size(), 33u); // corrections and ConfigEx
    config.SetAutoApply(0);
    m_host.recorder.calls.clear();
    config.SetIRQ(10);
    config.SetChannelEnabled(2, 1);
    EXPECT_TRUE(m_host.recorder.calls.empty());
}

TEST_F(SpectrometerConfigurationTest, ManufacturingModeReadsOnlyTheTypeAndNeverWrites)
{
    {
        std::ofstream out(path("m.spec"));
        out << "[General]\nSpectrometerType=Ulmar\nADCType=Pavik\nIRQ=3\nInitialized=0\n";
    }
    const std::string before = configurationReadAll(path("m.spec"));
    {
        CSpectrometerConfiguration config(path("m.spec"), 0, m_host);
        EXPECT_EQ(config.GetADCType(), 4);
        m_host.manufacturingExtensions = 2;
        config.Load(path("m.spec"));
        EXPECT_EQ(config.GetSpectrometerType(), 0x700);
        EXPECT_EQ(config.GetIRQ(), 3); // kept from the first read, not read again
        EXPECT_EQ(config.GetInitialized(), 1u);
        EXPECT_EQ(config.GetScopeModeSaturationThreshold(), 4095.0);
    }
    EXPECT_EQ(configurationReadAll(path("m.spec")), before);
}

TEST_F(SpectrometerConfigurationTest, UnknownSpectrometerCodeKeepsTheFilesLine)
{
    {
        std::ofstream out(path("k.spec"));
        out << "[General]\nSpectrometerType=Lemmik\nInitialized=1\n";
    }
    {
        CSpectrometerConfiguration config(path("k.spec"), 0, m_host);
        config.SetAutoApply(0);
        config.SetSpectrometerType(0x1234);
        EXPECT_STREQ(config.SpectrometerTypeName(), "Unknown (0x1234)");
    }
    EXPECT_NE(configurationReadAll(path("k.spec")).find("SpectrometerType=Lemmik"),
              std::string::npos);
}

TEST_F(SpectrometerConfigurationTest, NamesOfTypes)
{
    EXPECT_EQ(CSpectrometerConfiguration::adcTypeFromName("SERIALUSB"), 8);
    EXPECT_EQ(CSpectrometerConfiguration::adcTypeFromName("pavik"), 255); // case matters
    EXPECT_STREQ(CSpectrometerConfiguration::adcTypeNameOf(3), "SERIALADC");
    EXPECT_STREQ(CSpectrometerConfiguration::adcTypeNameOf(5), "SERIALADC");
    EXPECT_STREQ(CSpectrometerConfiguration::adcTypeNameOf(200), "NONE");
    EXPECT_STREQ(CSpectrometerConfiguration::adcTypeNameOf(10), "Fornic-PC104");
    EXPECT_EQ(CSpectrometerConfiguration::spectrometerTypeFromName("Nonsense"), 0x200);
    EXPECT_EQ(CSpectrometerConfiguration::spectrometerTypeFromName("PellarSPEC"), 0xFD00);
    EXPECT_EQ(CSpectrometerConfiguration::pixelCountOfType(0x500), 256u);
    EXPECT_EQ(CSpectrometerConfiguration::pixelCountOfType(0x600), 3648u);
}

TEST_F(SpectrometerConfigurationTest, FailedWriteLeavesTheOldFileWhole)
{
    const std::string file = path("full.spec");
    {
        std::ofstream out(file);
        out << "[General]\nSerialNumber=KEEP-ME\nInitialized=1\n";
    }
    const std::string before = configurationReadAll(file);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A disk that fills after 1000 bytes: the whole file cannot be written.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1000, 1000};
        setrlimit(RLIMIT_FSIZE, &limit);
        FakeConfigurationHost host;
        host.withoutHardware = true;
        CSpectrometerConfiguration config(file, 0, host);
        config.SetAutoApply(0);
        config.SetSerialNumber("NEW");
        _exit(config.WriteSpectrometerConfiguration() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write should have failed";
    EXPECT_EQ(configurationReadAll(file), before);
}

} // namespace
