// harlune-automation: a command-line client of the program's automation server. One call per
// run, a description of the classes, the program's events, or a session of JSON requests read
// from standard input. Plain output for shell scripts; the exit code tells how it went.
#include "app/automation/AutomationSocketPolicy.h"
#include "app/automation/CompactArray.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocalSocket>
#include <QLocale>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <limits>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitCallFailed = 1; // the server answered with an error
constexpr int kExitUsage = 2;
constexpr int kExitNoServer = 3; // no server, a refused server, or a lost connection

constexpr const char* kUsage =
    "usage: harlune-automation [options] PROGID MEMBER [ARG...]\n"
    "       harlune-automation [options] --describe [PROGID]\n"
    "       harlune-automation [options] --listen [--count N]\n"
    "       harlune-automation [options] --hello\n"
    "       harlune-automation [options] --session\n"
    "\n"
    "A call prints its result on one line and then each by-reference argument's values\n"
    "on a line of their own. An ARG is read as JSON when it is one (5, 2.5, true, \"text\",\n"
    "[1,2,3]) and as text otherwise; NaN, Infinity and -Infinity are doubles.\n"
    "--session sends each line of standard input as one JSON request and prints each\n"
    "reply and event line as it comes.\n"
    "\n"
    "options:\n"
    "  --get | --put        call MEMBER as a property get or put (default: as declared)\n"
    "  --socket PATH        the server's socket (default: the program's own)\n"
    "  --start              start the program (hidden, \"/Automation\") when no server answers\n"
    "  --program PATH       the program --start runs (default: Harlune beside this client)\n"
    "  --timeout MS         how long to wait for the server and each reply (default 30000)\n"
    "\n"
    "exit codes: 0 success, 1 the call failed, 2 bad usage, 3 no server or connection lost\n";

void fail(const std::string& text)
{
    std::fprintf(stderr, "harlune-automation: %s\n", text.c_str());
}

struct Options
{
    std::string socketPath = app::automation::automationSocketPath();
    std::string program;
    bool start = false;
    int timeoutMs = 30000;
    enum class Mode
    {
        Call,
        Describe,
        Listen,
        Hello,
        Session
    } mode = Mode::Call;
    std::string call; // "", "get" or "put"
    long count = -1;  // events to wait for with --listen (-1: until the server goes)
    std::vector<std::string> words;
};

class Client
{
public:
    explicit Client(int timeoutMs) : m_timeoutMs(timeoutMs) {}

    bool connectTo(const std::string& path)
    {
        m_socket.connectToServer(QString::fromStdString(path));
        return m_socket.waitForConnected(1000);
    }
    // The server must run as this user: another user's socket in a path we were given is
    // refused before a request is sent.
    bool serverIsOurs()
    {
        const std::optional<uid_t> peer =
            app::automation::peerUid(static_cast<int>(m_socket.socketDescriptor()));
        return peer && app::automation::acceptPeer(*peer, getuid());
    }
    bool send(const QByteArray& line)
    {
        m_socket.write(line);
        m_socket.write("\n");
        while (m_socket.bytesToWrite() > 0)
            if (!m_socket.waitForBytesWritten(m_timeoutMs))
                return false;
        return true;
    }
    bool sendRequest(QJsonObject request)
    {
        request[QStringLiteral("id")] = ++m_lastId;
        return send(QJsonDocument(request).toJson(QJsonDocument::Compact));
    }
    // The next line from the server; none when the connection ends or the wait runs out
    // (a negative wait: no bound).
    std::optional<QByteArray> readLine(int waitMs)
    {
        const QDeadlineTimer deadline =
            waitMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(waitMs);
        while (!m_socket.canReadLine()) {
            if (m_socket.state() != QLocalSocket::ConnectedState)
                return std::nullopt;
            const qint64 leftMs = deadline.isForever() ? 1000 : deadline.remainingTime();
            if (leftMs <= 0)
                return std::nullopt;
            m_socket.waitForReadyRead(static_cast<int>(std::min<qint64>(leftMs, 1000)));
        }
        return readOne();
    }
    // The reply to the last request; event lines met on the way are skipped.
    std::optional<QJsonObject> reply()
    {
        for (;;) {
            const std::optional<QByteArray> line = readLine(m_timeoutMs);
            if (!line)
                return std::nullopt;
            const QJsonObject object = QJsonDocument::fromJson(*line).object();
            if (object.contains(QLatin1String("id")))
                return object;
        }
    }
    QLocalSocket& socket() { return m_socket; }

private:
    QByteArray readOne()
    {
        // Room for everything waiting up front: without a bound the line grows chunk by
        // chunk, copied at each step, which dominates a spectrum's tens of kilobytes.
        QByteArray line = m_socket.readLine(m_socket.bytesAvailable() + 1);
        if (line.endsWith('\n'))
            line.chop(1);
        return line;
    }

    QLocalSocket m_socket;
    int m_timeoutMs;
    qint64 m_lastId = 0;
};

// A value as plain text: numbers shortest-exact, texts as they are, null as nothing.
std::string plain(const QJsonValue& value)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (d == static_cast<double>(static_cast<long long>(d)) && d > -9.0e15 && d < 9.0e15)
            return std::to_string(static_cast<long long>(d));
        return QByteArray::number(d, 'g', QLocale::FloatingPointShortest).toStdString();
    }
    if (value.isBool())
        return value.toBool() ? "true" : "false";
    if (value.isString())
        return value.toString().toStdString();
    if (value.isObject() && value.toObject().contains(QLatin1String("handle")))
        return "object " + plain(value.toObject().value(QLatin1String("handle")));
    if (value.isArray()) {
        std::string out;
        for (const QJsonValue& element : value.toArray())
            out += (out.empty() ? "" : " ") + plain(element);
        return out;
    }
    return "";
}

QJsonValue argumentValue(const std::string& word)
{
    const QByteArray wrapped = "[" + QByteArray::fromStdString(word) + "]";
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(wrapped, &error);
    if (error.error == QJsonParseError::NoError && document.isArray() &&
        document.array().size() == 1)
        return document.array().at(0);
    return QString::fromStdString(word);
}

// A double of an array: a number, or one of the texts that stand for the non-finite ones.
std::optional<double> clientArrayDouble(const QJsonValue& element)
{
    if (element.isDouble())
        return element.toDouble();
    if (element == QJsonValue(QStringLiteral("NaN")))
        return std::numeric_limits<double>::quiet_NaN();
    if (element == QJsonValue(QStringLiteral("Infinity")))
        return std::numeric_limits<double>::infinity();
    if (element == QJsonValue(QStringLiteral("-Infinity")))
        return -std::numeric_limits<double>::infinity();
    return std::nullopt;
}

// An array argument of numbers in the protocol's compact form ({"f64": base64 of the
// little-endian doubles}), which the server reads and answers without number text; other
// values (and arrays holding anything but numbers) go as they are.
QJsonValue compactArgument(const QJsonValue& value)
{
    if (!value.isArray() || value.toArray().isEmpty())
        return value;
    std::vector<double> numbers;
    for (const QJsonValue& element : value.toArray()) {
        const std::optional<double> number = clientArrayDouble(element);
        if (!number)
            return value;
        numbers.push_back(*number);
    }
    std::string text;
    app::automation::appendCompactDoubles(text, numbers);
    QJsonObject compact;
    compact[QStringLiteral("f64")] = QString::fromStdString(text);
    return compact;
}

// A by-reference array of a reply as a JSON array: the compact form decoded, non-finite
// doubles as their texts.
QJsonValue expandedArray(const QJsonValue& ref)
{
    if (!ref.isObject())
        return ref;
    const QByteArray text = ref.toObject().value(QLatin1String("f64")).toString().toLatin1();
    const std::optional<std::vector<double>> values = app::automation::parseCompactDoubles(
        std::string_view(text.constData(), static_cast<size_t>(text.size())));
    QJsonArray out;
    if (!values)
        return out;
    for (const double d : *values) {
        if (std::isnan(d))
            out.append(QStringLiteral("NaN"));
        else if (std::isinf(d))
            out.append(d > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity"));
        else
            out.append(d);
    }
    return out;
}

// Reports an error reply; true when the reply is a success.
bool succeeded(const QJsonObject& reply)
{
    if (reply.value(QLatin1String("ok")).toBool())
        return true;
    fail(reply.value(QLatin1String("error")).toString().toStdString() + ": " +
         reply.value(QLatin1String("text")).toString().toStdString());
    return false;
}

// Sends a request and waits for its reply: kExitOk with the reply in reply, kExitNoServer when
// the connection failed, kExitCallFailed (reported) for an error reply.
int exchange(Client& client, const QJsonObject& request, QJsonObject& reply)
{
    if (!client.sendRequest(request))
        return kExitNoServer;
    const std::optional<QJsonObject> answer = client.reply();
    if (!answer)
        return kExitNoServer;
    if (!succeeded(*answer))
        return kExitCallFailed;
    reply = *answer;
    return kExitOk;
}

// Whether the process has ended (gone, or a zombie nobody reaped yet).
bool processEnded(qint64 pid)
{
    if (::kill(static_cast<pid_t>(pid), 0) != 0)
        return errno == ESRCH;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close >= 0 && close + 2 < text.size() && text.at(close + 2) == 'Z';
}

// Ends the program this client started and then gave up on, so that no hidden program is left
// holding the single-instance lock: asked to end first, killed when it does not within 5 s.
void endStartedProgram(qint64 pid)
{
    if (pid <= 0)
        return;
    ::kill(static_cast<pid_t>(pid), SIGTERM);
    QDeadlineTimer deadline(5000);
    while (!processEnded(pid) && !deadline.hasExpired())
        QThread::msleep(20);
    if (!processEnded(pid))
        ::kill(static_cast<pid_t>(pid), SIGKILL);
}

bool startProgram(const Options& options, qint64& pid)
{
    QString program = QString::fromStdString(options.program);
    if (program.isEmpty())
        program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Harlune"));
    if (!QFileInfo(program).isExecutable()) {
        fail("cannot start " + program.toStdString());
        return false;
    }
    return QProcess::startDetached(program, {QStringLiteral("/Automation")}, QString(), &pid);
}

// Connects, starting the program first when asked and no server answers; waits (bounded)
// for the started program's socket.
int connectClient(Client& client, const Options& options)
{
    if (!client.connectTo(options.socketPath)) {
        if (!options.start) {
            fail("no automation server at " + options.socketPath);
            return kExitNoServer;
        }
        qint64 pid = 0;
        if (!startProgram(options, pid))
            return kExitNoServer;
        QDeadlineTimer deadline(options.timeoutMs);
        bool connected = false;
        bool ended = false;
        while (!connected && !ended && !deadline.hasExpired()) {
            QThread::msleep(50);
            connected = client.connectTo(options.socketPath);
            ended = !connected && processEnded(pid);
        }
        if (ended) {
            fail("the started program ended without serving " + options.socketPath +
                 " (its error log may say why)");
            return kExitNoServer;
        }
        if (!connected) {
            fail("the started program did not serve " + options.socketPath +
                 " in time; it has been ended");
            endStartedProgram(pid);
            return kExitNoServer;
        }
    }
    if (!client.serverIsOurs()) {
        fail("refused the server at " + options.socketPath + ": it runs as another user");
        return kExitNoServer;
    }
    return kExitOk;
}

int runCall(Client& client, const Options& options)
{
    if (options.words.size() < 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    QJsonObject create;
    create[QStringLiteral("request")] = QStringLiteral("create");
    create[QStringLiteral("progId")] = QString::fromStdString(options.words[0]);
    QJsonObject created;
    if (const int code = exchange(client, create, created); code != kExitOk)
        return code;
    QJsonObject invoke;
    invoke[QStringLiteral("request")] = QStringLiteral("invoke");
    invoke[QStringLiteral("handle")] = created.value(QLatin1String("handle"));
    const QJsonValue member = argumentValue(options.words[1]);
    invoke[QStringLiteral("member")] =
        member.isDouble() ? member : QJsonValue(QString::fromStdString(options.words[1]));
    if (!options.call.empty())
        invoke[QStringLiteral("call")] = QString::fromStdString(options.call);
    QJsonArray args;
    for (size_t i = 2; i < options.words.size(); ++i)
        args.append(compactArgument(argumentValue(options.words[i])));
    invoke[QStringLiteral("args")] = args;
    QJsonObject result;
    if (const int code = exchange(client, invoke, result); code != kExitOk)
        return code;
    std::printf("%s\n", plain(result.value(QLatin1String("result"))).c_str());
    for (const QJsonValue& ref : result.value(QLatin1String("refs")).toArray())
        if (ref.isArray() || ref.isObject())
            std::printf("%s\n", plain(expandedArray(ref)).c_str());
    return kExitOk;
}

int runDescribe(Client& client, const Options& options)
{
    QJsonObject request;
    request[QStringLiteral("request")] = QStringLiteral("describe");
    if (!options.words.empty())
        request[QStringLiteral("progId")] = QString::fromStdString(options.words[0]);
    QJsonObject reply;
    if (const int code = exchange(client, request, reply); code != kExitOk)
        return code;
    if (options.words.empty()) {
        for (const QJsonValue& row : reply.value(QLatin1String("classes")).toArray())
            std::printf("%s %s %s\n", row[QLatin1String("progId")].toString().toStdString().c_str(),
                        row[QLatin1String("class")].toString().toStdString().c_str(),
                        row[QLatin1String("clsid")].toString().toStdString().c_str());
        for (const QJsonValue& row : reply.value(QLatin1String("events")).toArray())
            std::printf("event %d %s\n", row[QLatin1String("dispid")].toInt(),
                        row[QLatin1String("name")].toString().toStdString().c_str());
        return kExitOk;
    }
    for (const QJsonValue& row : reply.value(QLatin1String("members")).toArray()) {
        std::string params;
        for (const QJsonValue& param : row[QLatin1String("params")].toArray())
            params += (params.empty() ? "" : ", ") +
                      param[QLatin1String("type")].toString().toStdString() + " " +
                      param[QLatin1String("name")].toString().toStdString();
        std::string kind = row[QLatin1String("kind")].toString().toStdString();
        if (row[QLatin1String("kind")].toString() != QLatin1String("method") &&
            !row[QLatin1String("put")].toBool())
            kind += " read-only";
        std::printf("%d %s %s(%s) -> %s\n", row[QLatin1String("dispid")].toInt(), kind.c_str(),
                    row[QLatin1String("name")].toString().toStdString().c_str(), params.c_str(),
                    row[QLatin1String("result")].toString().toStdString().c_str());
    }
    return kExitOk;
}

int runListen(Client& client, const Options& options)
{
    QJsonObject request;
    request[QStringLiteral("request")] = QStringLiteral("advise");
    request[QStringLiteral("source")] = QStringLiteral("EventGenerator");
    QJsonObject reply;
    if (const int code = exchange(client, request, reply); code != kExitOk)
        return code;
    // Ready: a script waiting for this line knows the events from now on reach it.
    std::printf("listening\n");
    std::fflush(stdout);
    for (long seen = 0; options.count < 0 || seen < options.count;) {
        const std::optional<QByteArray> line = client.readLine(-1);
        if (!line)
            return options.count < 0 ? kExitOk : kExitNoServer;
        const QJsonObject event = QJsonDocument::fromJson(*line).object();
        if (!event.contains(QLatin1String("event")))
            continue;
        std::string text = event.value(QLatin1String("event")).toString().toStdString();
        for (const QJsonValue& arg : event.value(QLatin1String("args")).toArray())
            text += " " + plain(arg);
        std::printf("%s\n", text.c_str());
        std::fflush(stdout);
        ++seen;
    }
    return kExitOk;
}

int runHello(Client& client)
{
    QJsonObject request;
    request[QStringLiteral("request")] = QStringLiteral("hello");
    QJsonObject reply;
    if (const int code = exchange(client, request, reply); code != kExitOk)
        return code;
    std::printf("protocol %d\nlibrary %s %d.%d\n", reply.value(QLatin1String("protocol")).toInt(),
                reply.value(QLatin1String("library")).toString().toStdString().c_str(),
                reply.value(QLatin1String("major")).toInt(),
                reply.value(QLatin1String("minor")).toInt());
    return kExitOk;
}

// Sends each input line as it is and prints every line the server sends, until the input
// ends and every request is answered. The exit code is 1 when any reply was an error.
int runSession(Client& client)
{
    int status = kExitOk;
    std::string input;
    while (std::getline(std::cin, input)) {
        if (input.empty())
            continue;
        if (!client.send(QByteArray::fromStdString(input)))
            return kExitNoServer;
        for (;;) {
            const std::optional<QByteArray> line = client.readLine(-1);
            if (!line)
                return kExitNoServer;
            std::printf("%s\n", line->constData());
            std::fflush(stdout);
            const QJsonObject object = QJsonDocument::fromJson(*line).object();
            if (object.contains(QLatin1String("id")) || !object.contains(QLatin1String("event"))) {
                if (!object.value(QLatin1String("ok")).toBool())
                    status = kExitCallFailed;
                break;
            }
        }
    }
    return status;
}

std::optional<Options> parseOptions(const QStringList& arguments)
{
    Options options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const std::string a = arguments[i].toStdString();
        auto next = [&]() -> std::optional<std::string> {
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments[++i].toStdString();
        };
        if (!options.words.empty() && options.mode == Options::Mode::Call &&
            a.rfind("--", 0) != 0) {
            options.words.push_back(a);
        } else if (a == "--socket") {
            const auto v = next();
            if (!v)
                return std::nullopt;
            options.socketPath = *v;
        } else if (a == "--program") {
            const auto v = next();
            if (!v)
                return std::nullopt;
            options.program = *v;
        } else if (a == "--timeout" || a == "--count") {
            const auto v = next();
            bool ok = false;
            const long n = v ? QString::fromStdString(*v).toLong(&ok) : 0;
            if (!ok || n < 0)
                return std::nullopt;
            if (a == "--timeout")
                options.timeoutMs = static_cast<int>(std::min(n, 3600L * 1000));
            else
                options.count = n;
        } else if (a == "--start") {
            options.start = true;
        } else if (a == "--get" || a == "--put") {
            options.call = a.substr(2);
        } else if (a == "--describe") {
            options.mode = Options::Mode::Describe;
        } else if (a == "--listen") {
            options.mode = Options::Mode::Listen;
        } else if (a == "--hello") {
            options.mode = Options::Mode::Hello;
        } else if (a == "--session") {
            options.mode = Options::Mode::Session;
        } else if (a.rfind("--", 0) == 0) {
            return std::nullopt;
        } else {
            options.words.push_back(a);
        }
    }
    return options;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const std::optional<Options> options = parseOptions(QCoreApplication::arguments());
    if (!options || (options->mode == Options::Mode::Call && options->words.size() < 2)) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    Client client(options->timeoutMs);
    if (const int status = connectClient(client, *options); status != kExitOk)
        return status;
    switch (options->mode) {
    case Options::Mode::Call:
        return runCall(client, *options);
    case Options::Mode::Describe:
        return runDescribe(client, *options);
    case Options::Mode::Listen:
        return runListen(client, *options);
    case Options::Mode::Hello:
        return runHello(client);
    case Options::Mode::Session:
        return runSession(client);
    }
    return kExitUsage;
}
