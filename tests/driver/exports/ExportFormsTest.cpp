#include "driver/exports/ExportForms.h"

#include "driver/core/DriverState.h"
#include "driver/exports/CoefficientForms.h"
#include "driver/include/vykdrv32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <elf.h>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace driver::exports {
namespace {

std::string libraryPath()
{
    char exe[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string path(exe, length > 0 ? static_cast<std::size_t>(length) : 0);
    return path.substr(0, path.rfind('/') + 1) + "libVYKDRV32.so";
}

// One line of the fixture: every name the library exports when all families are built.
struct ExpectedName
{
    std::string family;
    std::string form; // plain, twin, lvd
    std::string name;
    std::string target; // the plain export a twin or wrapper calls; "-" for none
};

std::vector<ExpectedName> expectedNames()
{
    std::ifstream file(HARLUNE_FIXTURE_DIR "/driver/exports/export-names.txt");
    std::vector<ExpectedName> names;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        ExpectedName name;
        fields >> name.family >> name.form >> name.name >> name.target;
        names.push_back(name);
    }
    return names;
}

// The names of the functions the shared object exports, from its dynamic symbol table
// (C++ symbols of linked-in libraries left out).
std::set<std::string> exportedFunctions(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string image{std::istreambuf_iterator<char>(file), {}};
    std::set<std::string> names;
    if (image.size() < sizeof(Elf64_Ehdr))
        return names;
    Elf64_Ehdr header;
    std::memcpy(&header, image.data(), sizeof header);
    auto section = [&](std::size_t index) {
        Elf64_Shdr s{};
        const std::size_t at = header.e_shoff + index * header.e_shentsize;
        if (at + sizeof s <= image.size())
            std::memcpy(&s, image.data() + at, sizeof s);
        return s;
    };
    for (std::size_t i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr symbols = section(i);
        if (symbols.sh_type != SHT_DYNSYM)
            continue;
        const Elf64_Shdr strings = section(symbols.sh_link);
        for (std::size_t at = symbols.sh_offset;
             at + sizeof(Elf64_Sym) <= symbols.sh_offset + symbols.sh_size;
             at += sizeof(Elf64_Sym)) {
            Elf64_Sym symbol;
            std::memcpy(&symbol, image.data() + at, sizeof symbol);
            if (symbol.st_shndx == SHN_UNDEF || ELF64_ST_TYPE(symbol.st_info) != STT_FUNC ||
                ELF64_ST_BIND(symbol.st_info) != STB_GLOBAL)
                continue;
            const std::string name(image.c_str() + strings.sh_offset + symbol.st_name);
            if (name.rfind("_Z", 0) != 0)
                names.insert(name);
        }
    }
    return names;
}

class ExportFormsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_library = dlopen(libraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_library, nullptr) << dlerror();
        m_expected = expectedNames();
        ASSERT_FALSE(m_expected.empty());
        // A family is built when one of its plain exports is there; the names of families
        // not built yet must then all be absent.
        std::map<std::string, bool> found;
        for (const ExpectedName& e : m_expected) {
            if (e.form == "plain")
                found[e.family] = found[e.family] || symbol<void>(e.name) != nullptr;
        }
        for (const auto& [family, present] : found) {
            if (present)
                m_families.insert(family);
            else
                m_missing.insert(family);
        }
    }
    void TearDown() override
    {
        if (m_library)
            dlclose(m_library);
    }
    template <class F> F* symbol(const std::string& name)
    {
        return reinterpret_cast<F*>(dlsym(m_library, name.c_str()));
    }
    bool present(const ExpectedName& e) const { return m_families.count(e.family) != 0; }

    void* m_library = nullptr;
    std::vector<ExpectedName> m_expected;
    std::set<std::string> m_families;
    std::set<std::string> m_missing;
};

TEST_F(ExportFormsTest, TheFixtureHoldsTheLibrarysWholeExportSet)
{
    std::map<std::string, std::size_t> counts;
    std::set<std::string> names;
    for (const ExpectedName& e : m_expected) {
        ++counts[e.form];
        EXPECT_TRUE(names.insert(e.name).second) << e.name << " listed twice";
    }
    EXPECT_EQ(counts["plain"], kLibraryPlainExports);
    EXPECT_EQ(counts["twin"], kLibraryTwins);
    EXPECT_EQ(counts["lvd"], kLibraryLvdWrappers);
    EXPECT_EQ(counts.size(), 3u);
}

TEST_F(ExportFormsTest, TheLibraryExportsExactlyTheNamesOfItsBuiltFamilies)
{
    for (const std::string& family : m_missing)
        std::cout << "family not built yet: " << family << "\n";
    RecordProperty("missing_families", static_cast<int>(m_missing.size()));
    for (const char* family :
         {"core", "boards", "serial", "usb", "java", "brontelusb", "xandel", "pellar"}) {
        EXPECT_TRUE(m_families.count(family)) << family;
    }

    const std::set<std::string> exported = exportedFunctions(libraryPath());
    std::map<std::string, std::size_t> expectedCounts;
    std::map<std::string, std::size_t> exportedCounts;
    for (const ExpectedName& e : m_expected) {
        SCOPED_TRACE(e.name);
        if (!present(e)) {
            EXPECT_EQ(exported.count(e.name), 0u) << "exported by a family not built";
            continue;
        }
        ++expectedCounts[e.form];
        EXPECT_NE(symbol<void>(e.name), nullptr);
        EXPECT_EQ(exported.count(e.name), 1u);
        exportedCounts[e.form] += exported.count(e.name);
    }
    std::set<std::string> listed;
    for (const ExpectedName& e : m_expected)
        listed.insert(e.name);
    for (const std::string& name : exported) {
        EXPECT_TRUE(listed.count(name)) << name << " is exported but not in the fixture";
    }
    EXPECT_EQ(exportedCounts, expectedCounts);
    EXPECT_EQ(exportedCounts["plain"], kLibraryPlainExports);
    EXPECT_EQ(exportedCounts["twin"], kLibraryTwins);
    EXPECT_EQ(exportedCounts["lvd"], kLibraryLvdWrappers);
}

TEST_F(ExportFormsTest, TheTableListsTheFixturesFormsWithTheirTargets)
{
    std::map<std::string, std::string> table;
    for (const auto& forms : {twinForms(), lvdForms()}) {
        for (const ExportForm& form : forms) {
            EXPECT_TRUE(table.emplace(form.name, form.target.empty() ? "-" : form.target).second)
                << form.name << " listed twice";
        }
    }
    std::set<std::string> plainOnly;
    for (const std::string& name : plainWithoutTwin())
        plainOnly.insert(name);

    std::set<std::string> expectedForms;
    std::set<std::string> twinTargets;
    for (const ExpectedName& e : m_expected) {
        if (e.form == "twin" && e.target != "-")
            twinTargets.insert(e.target);
    }
    for (const ExpectedName& e : m_expected) {
        if (!present(e))
            continue;
        SCOPED_TRACE(e.name);
        if (e.form == "plain") {
            // Plain exports without an undecorated twin are the ones the table says.
            const bool undecoratedTwin = twinTargets.count(e.name) && e.name != "Ulmar_WriteFPGA" &&
                                         e.name != "Pavik_I2C_Read" && e.name != "Pavik_I2C_Write";
            EXPECT_EQ(plainOnly.count(e.name) == 0, undecoratedTwin);
            continue;
        }
        expectedForms.insert(e.name);
        const auto row = table.find(e.name);
        ASSERT_NE(row, table.end()) << "no row in the table";
        EXPECT_EQ(row->second, e.target);
    }
    for (const auto& [name, target] : table) {
        EXPECT_TRUE(expectedForms.count(name)) << name << " has a row but is not in the fixture";
    }
}

TEST_F(ExportFormsTest, TwinsAndWrappersReturnThePlainResult)
{
    using Key16 = int16_t(uint32_t, int16_t);
    using Short = int16_t();
    using UShort = uint16_t();
    using Int = int32_t();
    using Double = double();
    using Analog = int16_t(int16_t, uint16_t);
    using Boxcar = int16_t(uint16_t);
    using I2c = int32_t(uint8_t, int32_t, uint8_t*);
    using I2cWrite = int32_t(uint8_t, int32_t, const uint8_t*);
    using Fpga = int32_t(uint8_t, int32_t);
    using Pin = int32_t(int32_t);
    // A failed call must not look like a match, so each case also names what it expects.
    struct Case
    {
        const char* plain;
        const char* form;
        std::function<long(void*)> call;
        std::optional<long> expected;
    };
    uint8_t bytes[8] = {};
    const std::vector<Case> cases = {
        {"VYK_BufferEmpty", "VYK_BufferEmpty_stdcall",
         [](void* f) { return reinterpret_cast<Key16*>(f)(4242, 9); }, std::nullopt},
        {"VYK_GetNumberOfPixels", "VYK_GNP_LVD",
         [](void* f) { return reinterpret_cast<Short*>(f)(); }, std::nullopt},
        {"VYK_GetADCType", "VYK_GetADCType_stdcall",
         [](void* f) { return reinterpret_cast<UShort*>(f)(); }, std::nullopt},
        {"VYK_GetSpectrometerType", "VYK_GST_LVD",
         [](void* f) { return reinterpret_cast<UShort*>(f)(); }, std::nullopt},
        {"VYK_GetD3State", "VYK_GetD3State_stdcall",
         [](void* f) { return reinterpret_cast<Short*>(f)(); }, 0},
        {"CadrelPCI_AnalogOut", "CadrelPCI_AnalogOut_stdcall",
         [](void* f) { return reinterpret_cast<Analog*>(f)(7, 0); }, 7},
        {"KAL_SetBoxcarWidth", "KAL_SetBoxcarWidth_stdcall",
         [](void* f) { return reinterpret_cast<Boxcar*>(f)(5); }, std::nullopt},
        {"KAL_GetVersion", "KAL_GV_LVD", [](void* f) { return reinterpret_cast<Short*>(f)(); },
         std::nullopt},
        {"VYK_GetKaldrisBaudRate", "VYK_KAL_GBR_LVD",
         [](void* f) { return reinterpret_cast<Short*>(f)(); }, std::nullopt},
        {"Pavik_GetMavrinModulation", "Pavik_GetMavrinModulation_stdcall",
         [](void* f) { return reinterpret_cast<Int*>(f)(); }, 0},
        {"Pavik_I2C_Read", "_Pavik_I2C_Read_stdcall_12",
         [&](void* f) { return reinterpret_cast<I2c*>(f)(0x50, 4, bytes); }, 0},
        {"Pavik_I2C_Write", "_Pavik_I2C_Write_stdcall_12",
         [&](void* f) { return reinterpret_cast<I2cWrite*>(f)(0x50, 4, bytes); }, 0},
        {"Ulmar_WriteFPGA", "_Ulmar_WriteFPGA_stdcall_8",
         [](void* f) { return reinterpret_cast<Fpga*>(f)(3, 9); }, 0},
        {"Trevan_SetGPIOPinOutput", "Trevan_SetGPIOPinOutput_stdcall",
         [](void* f) { return reinterpret_cast<Pin*>(f)(2); }, 0},
        {"Quarn_GetAutonullingSaturationValue", "Quarn_GetAutonullingSaturationValue_stdcall",
         [](void* f) { return static_cast<long>(reinterpret_cast<Double*>(f)()); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.form);
        void* plain = symbol<void>(c.plain);
        void* form = symbol<void>(c.form);
        ASSERT_NE(plain, nullptr);
        ASSERT_NE(form, nullptr);
        ASSERT_NE(plain, form);
        const long plainResult = c.call(plain);
        EXPECT_EQ(c.call(form), plainResult);
        if (c.expected) {
            EXPECT_EQ(plainResult, *c.expected);
        }
    }

    char plainVersion[64] = {};
    char lvdVersion[64] = {};
    using Version = int16_t(char*, int32_t);
    EXPECT_EQ(symbol<Version>("VYK_GDV_LVD")(lvdVersion, sizeof lvdVersion),
              symbol<Version>("VYK_GetDriverVersion")(plainVersion, sizeof plainVersion));
    EXPECT_STREQ(lvdVersion, plainVersion);
    EXPECT_GT(std::strlen(plainVersion), 0u);

    int array[3] = {};
    EXPECT_EQ(symbol<void*(void*)>("VYK_GetPointerToArray_stdcall")(array), array);
}

// The FullScan wrappers run the test-ramp mode, which needs no hardware: channel k's
// pixels land in the k-th 8192-byte slice of the data array and nowhere else.
TEST_F(ExportFormsTest, FullScanWrappersFillTheEnabledChannelsSlice)
{
    using Fs16 = int16_t(const int16_t*, float*);
    using Fs32 = int16_t(const int32_t*, float*);
    constexpr float kUntouched = -12345.0f;
    // An Istrel without A/D hardware: 2048 pixels, so a channel fills its whole slice.
    ASSERT_EQ(symbol<int16_t(int16_t, int16_t, int16_t, int16_t)>("VYK_Config")(VYK_SPEC_ISTREL,
                                                                                VYK_ADC_NONE, 0, 0),
              VYK_SUCCESS);
    ASSERT_EQ(symbol<int16_t()>("VYK_GetNumberOfPixels")(), 2048);
    struct Case
    {
        const char* name;
        int channel;
    };
    for (const Case c : {Case{"VYK_FS_LVD", 3}, Case{"VYK_FS_LVD_32", 3}, Case{"VYK_FS_LVD", 0},
                         Case{"VYK_FS_LVD_32", 7}}) {
        SCOPED_TRACE(std::string(c.name) + " channel " + std::to_string(c.channel));
        std::vector<float> data(8 * 2048, kUntouched);
        int16_t result = -1;
        if (std::string(c.name) == "VYK_FS_LVD") {
            int16_t fields[16] = {9, 0, 100, 0, 1, 0, 0, 0};
            fields[8 + c.channel] = 1;
            result = symbol<Fs16>(c.name)(fields, data.data());
        } else {
            // Only the low 16 bits of each field count: 0x10009 is mode 9.
            int32_t fields[18] = {0x10009, 0, 100, 0, 1, 0, 0, 0};
            fields[8 + c.channel] = 0x70001;
            result = symbol<Fs32>(c.name)(fields, data.data());
        }
        EXPECT_EQ(result, VYK_SUCCESS);
        for (std::size_t i = 0; i < data.size(); ++i) {
            const std::size_t byte = i * sizeof(float);
            const bool inSlice = byte >= 8192u * c.channel && byte < 8192u * (c.channel + 1);
            if (inSlice != (data[i] != kUntouched)) {
                ADD_FAILURE() << "float at byte " << byte << " is " << data[i];
                break;
            }
        }
    }
    EXPECT_EQ(symbol<Fs16>("VYK_FS_LVD")(nullptr, nullptr), VYK_MISSING_ARGUMENT);
    EXPECT_EQ(symbol<Fs32>("VYK_FS_LVD_32")(nullptr, nullptr), VYK_MISSING_ARGUMENT);
}

// A stand-in family whose record read and write the wrappers reshape.
CoefficientsRecord g_stored;
int g_calls = 0;

int32_t fakeGet(CoefficientsRecord* record)
{
    ++g_calls;
    *record = g_stored;
    return 7;
}

int32_t fakeSet(const CoefficientsRecord* record)
{
    ++g_calls;
    g_stored = *record;
    return 9;
}

TEST(CoefficientFormsTest, GetSpreadsTheRecordAndSetAssemblesIt)
{
    g_stored = {};
    std::strcpy(g_stored.serial, "PVK01234");
    for (int i = 0; i < 4; ++i)
        g_stored.wavelength[i] = 400.0f + static_cast<float>(i);
    g_stored.strayLight = 0.5f;
    for (int i = 0; i < 8; ++i)
        g_stored.nonLinearity[i] = static_cast<float>(i) / 10.0f;
    g_stored.nonLinearityOrder = 7;

    char serial[16];
    std::memset(serial, 'x', sizeof serial);
    float values[14];
    std::fill(std::begin(values), std::end(values), -1.0f);
    int32_t order = 0;
    EXPECT_EQ((getCoefficients<CoefficientsRecord, float, int32_t>("get", fakeGet, serial, values,
                                                                   &order)),
              7);
    EXPECT_STREQ(serial, "PVK01234");
    const float expected[13] = {400,  401,  402,  403,  0.5f, 0,   0.1f,
                                0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f};
    for (int i = 0; i < 13; ++i) {
        EXPECT_FLOAT_EQ(values[i], expected[i]) << i;
    }
    EXPECT_EQ(values[13], -1.0f) << "wrote past the 13 values";
    EXPECT_EQ(order, 7);

    // Set: a serial longer than 15 characters is cut; the record comes back as spread.
    const CoefficientsRecord before = g_stored;
    g_stored = {};
    EXPECT_EQ((setCoefficients<CoefficientsRecord, float, int32_t>("set", fakeSet, "PVK01234",
                                                                   values, &order)),
              9);
    EXPECT_EQ(std::memcmp(&g_stored, &before, sizeof before), 0);
    EXPECT_EQ((setCoefficients<CoefficientsRecord, float, int32_t>(
                  "set", fakeSet, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", values, &order)),
              9);
    EXPECT_STREQ(g_stored.serial, "ABCDEFGHIJKLMNO");

    // A null argument answers 0 without calling the family.
    g_calls = 0;
    EXPECT_EQ((getCoefficients<CoefficientsRecord, float, int32_t>("get", fakeGet, nullptr, values,
                                                                   &order)),
              0);
    EXPECT_EQ((setCoefficients<CoefficientsRecord, float, int32_t>("set", fakeSet, serial, nullptr,
                                                                   &order)),
              0);
    EXPECT_EQ(g_calls, 0);
}

// The BrontelUSB record: the converter's count and 31 coefficients travel as the 32 values,
// channel 7's third coefficient on its own.
BrontelUSBCoefficientsRecord g_brontel;

int32_t fakeBrontelGet(BrontelUSBCoefficientsRecord* record)
{
    *record = g_brontel;
    return 1;
}

int32_t fakeBrontelSet(const BrontelUSBCoefficientsRecord* record)
{
    g_brontel = *record;
    return 1;
}

TEST(CoefficientFormsTest, TheBrontelUsbRecordSpreadsIntoThirtyTwoValues)
{
    g_brontel = {};
    std::strcpy(g_brontel.serial, "BUSB0007");
    g_brontel.count = 5;
    for (int c = 0; c < 8; ++c)
        for (int k = 0; k < 4; ++k)
            g_brontel.wavelength[c][k] = static_cast<float>(10 * c + k);
    char serial[16] = {};
    float values[33];
    std::fill(std::begin(values), std::end(values), -1.0f);
    float last = 0;
    EXPECT_EQ((getCoefficients<BrontelUSBCoefficientsRecord, float, float>("get", fakeBrontelGet,
                                                                           serial, values, &last)),
              1);
    EXPECT_STREQ(serial, "BUSB0007");
    int32_t count = 0;
    std::memcpy(&count, &values[0], sizeof count);
    EXPECT_EQ(count, 5) << "the count's 32 bits travel unchanged";
    EXPECT_EQ(values[1], 0.0f);
    EXPECT_EQ(values[31], 72.0f);
    EXPECT_EQ(values[32], -1.0f) << "wrote past the 32 values";
    EXPECT_EQ(last, 73.0f);
    const BrontelUSBCoefficientsRecord before = g_brontel;
    g_brontel = {};
    EXPECT_EQ((setCoefficients<BrontelUSBCoefficientsRecord, float, float>("set", fakeBrontelSet,
                                                                           serial, values, &last)),
              1);
    EXPECT_EQ(std::memcmp(&g_brontel, &before, sizeof before), 0);
}

TEST_F(ExportFormsTest, CoefficientWrappersRefuseNullArguments)
{
    // The last field is a float in the BrontelUSB record, a 32-bit integer elsewhere.
    using Get = int32_t(char*, float*, int32_t*);
    using GetFloatLast = int32_t(char*, float*, float*);
    for (const ExportForm& form : lvdForms()) {
        if (form.name.find("GetCoefficients_LVD") == std::string::npos && form.name != "USB_GC_LVD")
            continue;
        SCOPED_TRACE(form.name);
        if (form.name.rfind("BrontelUSB_", 0) == 0) {
            GetFloatLast* get = symbol<GetFloatLast>(form.name);
            ASSERT_NE(get, nullptr);
            EXPECT_EQ(get(nullptr, nullptr, nullptr), 0);
            continue;
        }
        Get* get = symbol<Get>(form.name);
        ASSERT_NE(get, nullptr);
        EXPECT_EQ(get(nullptr, nullptr, nullptr), 0);
    }
}

// The configuration keeps a resolution of 1 to 500; others are taken as 1.
TEST(KaldrisSettingsTest, PixelResolutionOutOfRangeIsKeptAsOne)
{
    struct Case
    {
        int16_t given;
        int kept;
    };
    for (const Case c : {Case{600, 1}, Case{0, 1}, Case{-3, 1}, Case{500, 500}, Case{4, 4}}) {
        SCOPED_TRACE(c.given);
        VYK_SetKaldrisPixelResolution(c.given);
        std::lock_guard lock(core::driverState().mutex);
        EXPECT_EQ(core::driverState().kaldrisPixelResolution, c.kept);
    }
}

TEST_F(ExportFormsTest, SsDoScanIsVykDoScan)
{
    using DoScan = int16_t(DoScanBlock*);
    auto plain = std::make_unique<DoScanBlock>();
    auto alias = std::make_unique<DoScanBlock>();
    plain->mode = alias->mode = 9;
    plain->channelEnables[1] = alias->channelEnables[1] = 1;
    EXPECT_EQ(symbol<DoScan>("SS_DoScan")(alias.get()), symbol<DoScan>("VYK_DoScan")(plain.get()));
    EXPECT_EQ(std::memcmp(plain.get(), alias.get(), sizeof(DoScanBlock)), 0);
    EXPECT_NE(alias->spectra[1][5], 0.0f);
}

} // namespace
} // namespace driver::exports
