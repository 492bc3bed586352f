#include "platform/automation/ClassRegistry.h"
#include "platform/automation/DispatchBinder.h"
#include "platform/automation/HandlerGuard.h"
#include "platform/automation/TypeLibraryEnums.h"
#include "platform/basic/Interpreter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace platform::automation;
using namespace platform::basic;

// Registered as "Harlune.GraphSettings" (four members): arrays in and out, a property
// and an indexed property.
class Spectra : public AutomationObject
{
public:
    Spectra() : AutomationObject(findClassByName("I_GraphSettings")) {}
    const DispatchTable& GetDispatchMap() const override { return table(); }
    static const DispatchTable& table()
    {
        static const DispatchTable t =
            DispatchBinder<Spectra>()
                .property("Gain", &Spectra::gain, &Spectra::setGain)
                .method("GetSpectrum", &Spectra::getSpectrum, {"channel", "values"})
                .method("SumOfEight", &Spectra::sumOfEight, {"values"})
                .indexedProperty("ChannelName", &Spectra::channelName, &Spectra::setChannelName,
                                 {"channel"})
                .table();
        return t;
    }

private:
    double gain() const { return m_gain; }
    void setGain(double g) { m_gain = g; }
    // Fills eight values; the caller's array must hold them.
    bool getSpectrum(int16_t channel, ByRef<double> values)
    {
        double* v = values.take(8);
        if (!v) {
            return false;
        }
        for (int i = 0; i < 8; ++i) {
            v[i] = channel * 100 + i * m_gain;
        }
        return true;
    }
    double sumOfEight(ByRef<double> values)
    {
        const double* v = values.take(8);
        if (!v) {
            return 0;
        }
        double s = 0;
        for (int i = 0; i < 8; ++i) {
            s += v[i];
        }
        return s;
    }
    std::string channelName(int16_t channel) const
    {
        return channel >= 0 && channel < 8 ? m_names[channel] : std::string();
    }
    void setChannelName(int16_t channel, const std::string& name)
    {
        if (channel >= 0 && channel < 8) {
            m_names[channel] = name;
        }
    }
    double m_gain = 1;
    std::string m_names[8];
};

// Registered as "Harlune.GenVersion": by-reference scalars.
class Version : public AutomationObject
{
public:
    Version() : AutomationObject(findClassByName("I_GenVersion")) {}
    const DispatchTable& GetDispatchMap() const override { return table(); }
    static const DispatchTable& table()
    {
        static const DispatchTable t =
            DispatchBinder<Version>()
                .method("GetDriverVersion", &Version::text)
                .method("GetProgramVersion", &Version::text)
                .method("GetTypeLibraryVersion", &Version::typeLibraryVersion, {"major", "minor"})
                .table();
        return t;
    }

private:
    std::string text() { return "1.0.0"; }
    void typeLibraryVersion(ByRef<int16_t> major, ByRef<int16_t> minor)
    {
        *major = 1;
        *minor = 5;
    }
};

// An extension whose members are global to scripts.
class Settings : public AutomationObject
{
public:
    const DispatchTable& GetDispatchMap() const override
    {
        static const DispatchTable t =
            DispatchBinder<Settings>()
                .property("UseRegistry", &Settings::useRegistry, &Settings::setUseRegistry)
                .method("GetLong", &Settings::getLong, {"section", "entry", "defvalue"})
                .table();
        return t;
    }

private:
    bool useRegistry() const { return m_use; }
    void setUseRegistry(bool v) { m_use = v; }
    int32_t getLong(const std::string& section, const std::string&, int32_t def)
    {
        return section == "Known" ? 42 : def;
    }
    bool m_use = true;
};

class Host : public InterpreterHost
{
public:
    void debugPrint(const std::string& text) override { output += text + "\n"; }
    void doEvents() override {}
    int msgBox(const std::string&, int, const std::string&) override { return 1; }
    DispatchPtr namedObject(const std::string&) override { return {}; }
    std::vector<DispatchPtr> extensions() override { return {extension}; }
    std::string output;
    DispatchPtr extension = DispatchPtr::adopt(new Settings);
};

class BindingTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        auto& registry = ClassRegistry::instance();
        ASSERT_TRUE(registry.registerClass(
            "I_GraphSettings", [] { return new Spectra; }, Spectra::table()));
        ASSERT_TRUE(registry.registerClass(
            "I_GenVersion", [] { return new Version; }, Version::table()));
        registerProgramEnumerations(registry);
    }

    std::string run(const std::string& body, int* error = nullptr)
    {
        Host host;
        Interpreter in(host);
        ScriptError e;
        if (!in.load("Sub Main\n" + body + "\nEnd Sub\n", "Test", e)) {
            ADD_FAILURE() << e.description << " at " << e.line;
            return {};
        }
        const RunStatus status = in.call("Main", {});
        if (error) {
            *error = status == RunStatus::Failed ? in.lastError().number : 0;
        } else {
            EXPECT_EQ(status, RunStatus::Completed)
                << in.lastError().description << " at " << in.lastError().line;
        }
        return host.output;
    }
};

TEST_F(BindingTest, MembersOfCreatedObjects)
{
    struct Case
    {
        const char* name;
        const char* body;
        const char* output;
    };
    const Case cases[] = {
        {"property get and put",
         "Dim s As Object\nSet s = CreateObject(\"Harlune.GraphSettings\")\ns.Gain = "
         "2\nDebug.Print s.Gain",
         " 2\n"},
        {"indexed property",
         "Dim s\nSet s = CreateObject(\"harlune.graphsettings\")\ns.ChannelName(3) = \"slave 3\"\n"
         "Debug.Print s.ChannelName(3); \"|\"; s.ChannelName(4); \"|\"",
         "slave 3||\n"},
        {"array element filled by a member",
         "Dim s, a(1 To 10) As Double, ok\nSet s = CreateObject(\"Harlune.GraphSettings\")\n"
         "s.Gain = 0.5\nok = s.GetSpectrum(2, a(3))\nDebug.Print ok; a(2); a(3); a(10)",
         "True 0  200  203.5\n"},
        {"array too short gives the neutral result",
         "Dim s, a(4) As Double, ok\nSet s = CreateObject(\"Harlune.GraphSettings\")\n"
         "a(0) = 9\nok = s.GetSpectrum(1, a(0))\nDebug.Print ok; a(0); s.SumOfEight(a(0))",
         "False 9  0\n"},
        {"whole array and variant array",
         "Dim s, a(7), b(7) As Double, i\nSet s = CreateObject(\"Harlune.GraphSettings\")\n"
         "For i = 0 To 7: a(i) = i: b(i) = i: Next\nDebug.Print s.SumOfEight(a(0)); "
         "s.SumOfEight(b)",
         " 28  28\n"},
        {"by-reference scalars",
         "Dim v, major As Integer, minor As Long\nSet v = CreateObject(\"Harlune.GenVersion\")\n"
         "v.GetTypeLibraryVersion major, minor\nDebug.Print major; minor; TypeName(minor); "
         "v.GetDriverVersion",
         " 1  5 Long1.0.0\n"},
        {"call with parentheses",
         "Dim v\nSet v = CreateObject(\"Harlune.GenVersion\")\nCall v.GetTypeLibraryVersion(1, "
         "2)\nDebug.Print \"ok\"",
         "ok\n"},
        {"extension globals",
         "Debug.Print GetLong(\"Known\", \"x\", 7); GetLong(\"Other\", \"x\", 7); "
         "UseRegistry\nUseRegistry = False\nDebug.Print UseRegistry",
         " 42  7 True\nFalse\n"},
        {"named arguments by the type library's parameter names",
         "Debug.Print GetLong(defvalue:=9, section:=\"Other\", entry:=\"x\"); GetLong(\"Known\", "
         "entry:=\"x\", defvalue:=1)",
         " 9  42\n"},
        {"on error resume next over failing calls",
         "Dim x\nOn Error Resume Next\nSet x = CreateObject(\"Harlune.GenVersion\")\n"
         "x.GetDriverVersion 1\nDebug.Print Err.Number\nx.NoSuchMember\nDebug.Print Err.Number; "
         "\"after\"",
         " 450\n 438 after\n"},
        {"enumeration constants", "Debug.Print mvFileNewSpectrumWindow; mvSpecFileClose; umFirst",
         " 49  16777217  47000\n"},
        {"with block",
         "With CreateObject(\"Harlune.GraphSettings\")\n.Gain = 3\nDebug.Print .Gain\nEnd With",
         " 3\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(c.body), c.output);
    }
}

TEST_F(BindingTest, ErrorsOfObjectCalls)
{
    struct Case
    {
        const char* name;
        const char* body;
        int error;
    };
    const Case cases[] = {
        {"unknown ProgID", "Dim x\nSet x = CreateObject(\"Harlune.Nothing\")", 429},
        {"class without factory", "Dim x\nSet x = CreateObject(\"Harlune.GridPrint\")", 429},
        {"unknown member", "Dim x\nSet x = CreateObject(\"Harlune.GenVersion\")\nx.NoSuchMember",
         438},
        {"argument overflow",
         "Dim x\nSet x = CreateObject(\"Harlune.GraphSettings\")\nx.ChannelName(70000) = \"a\"", 6},
        {"wrong argument count",
         "Dim x\nSet x = CreateObject(\"Harlune.GenVersion\")\nx.GetDriverVersion 1", 450},
        {"member of nothing", "Dim x As Object\nx.Gain = 1", 91},
        {"unknown parameter name", "Debug.Print GetLong(sector:=\"x\", entry:=\"y\", defvalue:=1)",
         448},
        {"member of a number", "Dim x\nx = 5\nDebug.Print x.Gain", 424},
        {"set without object", "Dim x\nSet x = 5", 424},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int error = 0;
        run(c.body, &error);
        EXPECT_EQ(error, c.error);
    }
}

TEST_F(BindingTest, ObjectsAreReleasedWithTheirVariables)
{
    const int locks = applicationLockCount();
    run("Dim i, s\nFor i = 1 To 100\nSet s = CreateObject(\"Harlune.GraphSettings\")\nNext\n"
        "Set s = Nothing");
    EXPECT_EQ(applicationLockCount(), locks);
}

} // namespace
