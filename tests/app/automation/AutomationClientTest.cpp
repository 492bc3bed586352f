// The command-line client as a process of its own against the program running offscreen:
// hello, calls with by-reference arrays, events, and the program started for automation
// that ends once its last client has gone.
#include "app/shell/INIFileSupport.h"
#include "tests/app/qt/RunUntil.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

QString binary(const char* name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name));
}

std::string socketPath()
{
    return std::string(std::getenv("XDG_RUNTIME_DIR")) + "/harlune/automation.sock";
}

bool serverAnswers()
{
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(socketPath()));
    return socket.waitForConnected(200);
}

struct ClientRun
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the client to its end (bounded) with the given standard input.
ClientRun client(const QStringList& arguments, const QByteArray& input = {})
{
    QProcess process;
    process.start(binary("harlune-automation"), arguments);
    EXPECT_TRUE(process.waitForStarted(10000));
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// Ends a program started for automation that this test run made, if it is still there: it is
// found by the test's own runtime folder in its environment.
void endStrayProgram()
{
    const std::string marker = std::string("XDG_RUNTIME_DIR=") + std::getenv("XDG_RUNTIME_DIR");
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path() / "exe", error).filename() != "Harlune")
            continue;
        std::ifstream environ(entry.path() / "environ", std::ios::binary);
        std::string variable;
        while (std::getline(environ, variable, '\0'))
            if (variable == marker)
                kill(std::stoi(pid), SIGKILL);
    }
}

// A default spectrometer without A/D (the driver's synthetic channel, so live scans run with
// "/none") and a short integration time, so the program asks no first-start question.
void seedNoHardwareSpectrometer()
{
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    const std::string spec = std::string(dir ? dir : ".") + "/Default.spec";
    std::ofstream(spec)
        << "[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\nInitialized=1\r\n";
    CINIFileSupport store(nullptr, 1);
    store.WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
    store.WriteString("Preferences", "SingleThread", "0");
    store.WriteInt("DefaultAcquisitionParameters", "IntegrationTime", 4);
}

class AutomationClientTest : public ::testing::Test
{
protected:
    AutomationClientTest() { seedNoHardwareSpectrometer(); }
    ~AutomationClientTest() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(10000);
        }
        endStrayProgram();
    }
    void startProgram(const QStringList& arguments)
    {
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(binary("Harlune"), arguments);
        ASSERT_TRUE(program.waitForStarted(10000));
        ASSERT_TRUE(runUntil(serverAnswers, 30000));
    }

    QProcess program;
};

TEST_F(AutomationClientTest, HelloAndCallsWithArraysThroughTheClient)
{
    startProgram({"/none"});
    const ClientRun hello = client({"--hello"});
    EXPECT_EQ(hello.exitCode, 0) << hello.err;
    EXPECT_EQ(lines(hello.out),
              (std::vector<std::string>{"protocol 1",
                                        "library {CC2B8C8C-ADB4-0000-B838-C448D8CC27C6} 1.5"}));

    const ClientRun version = client({"Harlune.GenVersion", "GetTypeLibraryVersion", "0", "0"});
    EXPECT_EQ(version.exitCode, 0) << version.err;
    EXPECT_EQ(lines(version.out), (std::vector<std::string>{"", "1", "5"}));
    // Arrays of numbers travel in the compact form and print as numbers; the elements the
    // member does not write come back as they went.
    const ClientRun arrays =
        client({"Harlune.GenVersion", "GetTypeLibraryVersion", "[0]", "[0,7,-2.5e3]"});
    EXPECT_EQ(arrays.exitCode, 0) << arrays.err;
    EXPECT_EQ(lines(arrays.out), (std::vector<std::string>{"", "1", "5 7 -2500"}));

    // 3648 pixels of sums, bit for bit, in one session.
    QJsonArray a;
    QJsonArray b;
    QJsonArray zeros;
    std::vector<double> expected;
    for (int i = 0; i < 3648; ++i) {
        const double x = 1.0 / (i + 7.0);
        const double y = std::sqrt(i + 0.5) * 1e-3;
        a.append(x);
        b.append(y);
        zeros.append(0);
        expected.push_back(x + y);
    }
    auto line = [](QJsonObject o) {
        return QJsonDocument(o).toJson(QJsonDocument::Compact) + "\n";
    };
    const QByteArray session =
        line({{"id", 1}, {"request", "create"}, {"progId", "Harlune.GenSpectralMath"}}) +
        line({{"id", 2},
              {"request", "invoke"},
              {"handle", 1},
              {"member", "NumberOfPixels"},
              {"call", "put"},
              {"args", QJsonArray{3648}}}) +
        line({{"id", 3},
              {"request", "invoke"},
              {"handle", 1},
              {"member", "AddSpectra"},
              {"args", QJsonArray{a, b, zeros}}});
    const ClientRun sums = client({"--session"}, session);
    EXPECT_EQ(sums.exitCode, 0) << sums.err;
    const std::vector<std::string> replies = lines(sums.out);
    ASSERT_EQ(replies.size(), 3u);
    const QJsonObject reply =
        QJsonDocument::fromJson(QByteArray::fromStdString(replies[2])).object();
    EXPECT_EQ(reply.value("result"), QJsonValue(true));
    const QJsonArray out = reply.value("refs").toArray().at(2).toArray();
    ASSERT_EQ(out.size(), 3648);
    for (int i = 0; i < 3648; ++i)
        ASSERT_EQ(std::bit_cast<uint64_t>(out.at(i).toDouble()),
                  std::bit_cast<uint64_t>(expected[static_cast<size_t>(i)]))
            << i;

    // The spectrum window's sample: its spectrometer's pixel count of values (2048 here), the
    // rest of the client's array left as it was.
    const QByteArray spectrumArgs = "0,[" + QByteArray("-7.5,").repeated(4095) + "-7.5]";
    QJsonArray sample;
    ASSERT_TRUE(runUntil(
        [&] {
            const ClientRun read = client(
                {"--session"},
                line({{"id", 1}, {"request", "create"}, {"progId", "Harlune.SpecSpectralData"}}) +
                    "{\"id\":2,\"request\":\"invoke\",\"handle\":1,\"member\":"
                    "\"GetSampleSpectrum\",\"args\":[" +
                    spectrumArgs + "]}\n");
            const std::vector<std::string> got = lines(read.out);
            if (got.size() != 2)
                return false;
            const QJsonObject reply =
                QJsonDocument::fromJson(QByteArray::fromStdString(got[1])).object();
            sample = reply.value("refs").toArray().at(1).toArray();
            return reply.value("result") == QJsonValue(true);
        },
        30000));
    ASSERT_EQ(sample.size(), 4096);
    const ClientRun pixels = client({"Harlune.SpecSpectrometer", "GetNumberOfPixels"});
    EXPECT_EQ(lines(pixels.out), std::vector<std::string>{"2048"});
    for (qsizetype i = 0; i < sample.size(); ++i)
        ASSERT_EQ(sample.at(i).toDouble() != -7.5, i < 2048) << i;

    // Errors come back as an exit code and a line on standard error.
    const ClientRun overflow =
        client({"--put", "Harlune.GenSpectralMath", "NumberOfPixels", "70000"});
    EXPECT_EQ(overflow.exitCode, 1);
    EXPECT_NE(overflow.err.find("overflow"), std::string::npos) << overflow.err;
    const ClientRun describe = client({"--describe", "Harlune.GenVersion"});
    EXPECT_EQ(describe.exitCode, 0);
    EXPECT_NE(describe.out.find("3 method GetTypeLibraryVersion(short* "), std::string::npos)
        << describe.out;
}

// One connection's requests, sent at once through the client's session mode; the objects it
// makes get the handles 1, 2, ... in order.
class Session
{
public:
    int create(const char* progId)
    {
        add({{"request", "create"}, {"progId", progId}});
        return ++m_handles;
    }
    int invoke(int handle, const char* member, const QJsonArray& args, const char* call = nullptr)
    {
        QJsonObject o{
            {"request", "invoke"}, {"handle", handle}, {"member", member}, {"args", args}};
        if (call)
            o.insert("call", call);
        return add(o);
    }
    // The replies by request id; every request must have succeeded.
    std::map<int, QJsonObject> run() const
    {
        std::map<int, QJsonObject> replies;
        const ClientRun run = client({"--session"}, m_lines);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        for (const std::string& line : lines(run.out)) {
            const QJsonObject reply =
                QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
            EXPECT_EQ(reply.value("ok"), QJsonValue(true)) << line;
            replies[reply.value("id").toInt()] = reply;
        }
        EXPECT_EQ(replies.size(), static_cast<size_t>(m_id)) << run.out;
        return replies;
    }

private:
    int add(QJsonObject o)
    {
        o.insert("id", ++m_id);
        m_lines += QJsonDocument(o).toJson(QJsonDocument::Compact) + "\n";
        return m_id;
    }

    QByteArray m_lines;
    int m_id = 0;
    int m_handles = 0;
};

// The texts of a grid's cells, [row - 1][col - 1], read through the data object.
using Sheet = std::vector<std::vector<std::string>>;

Sheet readSheet(int cols, int rows)
{
    Session s;
    const int data = s.create("Harlune.GridData");
    std::vector<int> ids;
    for (int row = 1; row <= rows; ++row)
        for (int col = 1; col <= cols; ++col)
            ids.push_back(s.invoke(data, "Text", {col, row}, "get"));
    const std::map<int, QJsonObject> replies = s.run();
    Sheet sheet(static_cast<size_t>(rows), std::vector<std::string>(static_cast<size_t>(cols)));
    size_t next = 0;
    for (auto& line : sheet)
        for (std::string& cell : line) {
            const auto reply = replies.find(ids[next++]);
            if (reply != replies.end())
                cell = reply->second.value("result").toString().toStdString();
        }
    return sheet;
}

// Script copies take exactly the cells they name, whatever was current or selected before, and a
// paste lands with its first value in the cell it names; a paste or copy out of the sheet answers
// FALSE and changes nothing.
TEST_F(AutomationClientTest, GridCopiesTakeTheirCellsAndPastesLandWhereTheyAreAsked)
{
    startProgram({"/none"});
    constexpr int kCols = 4;
    constexpr int kRows = 6;
    Sheet sheet(kRows, std::vector<std::string>(kCols));
    {
        Session s;
        const int windows = s.create("Harlune.GenWindows");
        s.invoke(windows, "NewGridWindow", {kCols, kRows, 1, "Clip"});
        const int data = s.create("Harlune.GridData");
        for (int row = 1; row <= kRows; ++row)
            for (int col = 1; col <= kCols; ++col) {
                const std::string text = std::to_string(col) + "." + std::to_string(row);
                sheet[row - 1][col - 1] = text;
                s.invoke(data, "Text", {col, row, QString::fromStdString(text)}, "put");
            }
        s.run();
    }
    ASSERT_EQ(readSheet(kCols, kRows), sheet);

    // Each step: the calls (clipboard object 1, general object 2), every one answering as
    // given, then the cells that change.
    struct Call
    {
        const char* member;
        QJsonArray args;
        bool answer;
        int object = 1;
    };
    struct Step
    {
        const char* name;
        std::vector<Call> calls;
        std::vector<std::tuple<int, int, std::string>> changes;
    };
    const Step steps[] = {
        {"a cell copied while another is current",
         {{"SetActiveCell", {1, 1}, true, 2},
          {"CopyCell", {3, 3, false}, true},
          {"Paste", {2, 4}, true}},
         {{2, 4, "3.3"}}},
        {"a copy after a paste takes its cell alone",
         {{"Paste", {1, 1}, true}, {"CopyCell", {4, 6, false}, true}, {"Paste", {4, 1}, true}},
         {{1, 1, "3.3"}, {4, 1, "4.6"}}},
        {"a range",
         {{"CopyRange", {2, 2, 3, 3, false}, true}, {"Paste", {1, 5}, true}},
         {{1, 5, "2.2"}, {2, 5, "3.2"}, {1, 6, "2.3"}, {2, 6, "3.3"}}},
        {"a column",
         {{"SetActiveCell", {2, 2}, true, 2},
          {"CopyColumn", {4, false}, true},
          {"Paste", {3, 1}, true}},
         {{3, 1, "4.6"},
          {3, 2, "4.2"},
          {3, 3, "4.3"},
          {3, 4, "4.4"},
          {3, 5, "4.5"},
          {3, 6, "4.6"}}},
        {"out of the sheet",
         {{"CopyCell", {1, 2, false}, true},
          {"Paste", {kCols + 1, 1}, false},
          {"Paste", {1, kRows + 1}, false},
          {"Paste", {0, 1}, false},
          {"CopyCell", {kCols + 1, 1, true}, false},
          {"CopyRange", {3, 5, kCols + 1, kRows, true}, false},
          {"CopyRange", {0, 1, 2, 2, true}, false},
          {"CopyColumn", {kCols + 1, true}, false},
          {"CopyRow", {kRows + 1, true}, false},
          {"SetActiveCell", {kCols + 1, 1}, false, 2},
          // The clipboard still holds the one cell copied first.
          {"Paste", {4, 4}, true}},
         {{4, 4, "1.2"}}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        Session s;
        const int handles[] = {0, s.create("Harlune.GridClipboard"),
                               s.create("Harlune.GridGeneral")};
        std::vector<std::pair<int, bool>> answers;
        for (const Call& call : step.calls)
            answers.emplace_back(s.invoke(handles[call.object], call.member, call.args),
                                 call.answer);
        const std::map<int, QJsonObject> replies = s.run();
        for (size_t i = 0; i < answers.size(); ++i) {
            const auto reply = replies.find(answers[i].first);
            ASSERT_NE(reply, replies.end());
            const QJsonValue result = reply->second.value("result");
            EXPECT_TRUE(result.isBool()) << step.calls[i].member;
            EXPECT_EQ(result.toBool(), answers[i].second) << step.calls[i].member;
        }
        for (const auto& [col, row, text] : step.changes)
            sheet[static_cast<size_t>(row - 1)][static_cast<size_t>(col - 1)] = text;
        EXPECT_EQ(readSheet(kCols, kRows), sheet);
    }
}

TEST_F(AutomationClientTest, AListeningClientReceivesTimerTicksAndNewSpectra)
{
    startProgram({"/none"});
    QProcess listener;
    listener.start(binary("harlune-automation"), {"--listen"});
    ASSERT_TRUE(listener.waitForStarted(10000));
    ASSERT_TRUE(runUntil([&] { return listener.canReadLine(); }, 30000));
    EXPECT_EQ(listener.readLine().trimmed(), "listening");

    const ClientRun set = client({"Harlune.GenTimers", "SetTimer", "5", "100"});
    EXPECT_EQ(set.exitCode, 0) << set.err;
    bool tick = false;
    bool spectra = false;
    EXPECT_TRUE(runUntil(
        [&] {
            while (listener.canReadLine()) {
                const QByteArray event = listener.readLine().trimmed();
                tick = tick || event == "TimerTick 5";
                spectra = spectra || event.startsWith("NewSpectraReady ");
            }
            return tick && spectra;
        },
        30000));
    EXPECT_TRUE(tick);
    EXPECT_TRUE(spectra);
    EXPECT_EQ(client({"Harlune.GenTimers", "KillTimer", "5"}).exitCode, 0);
    listener.kill();
    listener.waitForFinished(10000);
}

TEST_F(AutomationClientTest, AProgramStartedNormallyStaysWhenItsClientLeaves)
{
    startProgram({"/none"});
    EXPECT_EQ(client({"Harlune.GenVersion", "GetProgramVersion"}).exitCode, 0);
    // A later call is served: the program went on past the first client's leaving.
    EXPECT_EQ(client({"--hello"}).exitCode, 0);
    EXPECT_EQ(program.state(), QProcess::Running);
}

TEST_F(AutomationClientTest, StartRunsAHiddenProgramThatEndsAfterItsLastClient)
{
    ASSERT_FALSE(serverAnswers());
    const ClientRun none = client({"--hello"});
    EXPECT_EQ(none.exitCode, 3);

    const ClientRun started = client({"--start", "--timeout", "60000", "--hello"});
    EXPECT_EQ(started.exitCode, 0) << started.err;
    // The program ends by itself: its socket goes with it.
    EXPECT_TRUE(runUntil([] { return !std::filesystem::exists(socketPath()); }, 30000));
    EXPECT_FALSE(serverAnswers());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
