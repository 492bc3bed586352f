#include "app/shell/ErrorLog.h"

#include "platform/automation/FailureReports.h"

#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace {

const char* const kLineEnd = "\r\n";

std::string formatted(const char* format, auto... args)
{
    const int length = std::snprintf(nullptr, 0, format, args...);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

// Creates a file that did not exist before, so an earlier run's log of the same second is
// never emptied: "<stamp>.errorlog", else "<stamp>-2.errorlog", "<stamp>-3.errorlog" ...
std::FILE* createFreshLog(const std::string& stamp, std::string& path)
{
    for (int suffix = 1; suffix < 1000; ++suffix) {
        const std::string name =
            suffix == 1 ? stamp + ".errorlog" : formatted("%s-%d.errorlog", stamp.c_str(), suffix);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            std::FILE* file = ::fdopen(fd, "wb");
            if (file == nullptr) {
                ::close(fd);
                return nullptr;
            }
            std::error_code error;
            const auto absolute = std::filesystem::absolute(name, error);
            path = error ? name : absolute.string();
            return file;
        }
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
}

// The message of the exception being handled, empty outside a handler or for a non-standard one.
std::string currentExceptionText()
{
    const std::exception_ptr current = std::current_exception();
    if (!current)
        return {};
    try {
        std::rethrow_exception(current);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
    }
    return {};
}

std::string oneLine(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

} // namespace

CErrorLog::CErrorLog(ErrorLogEnvironment& environment) : m_environment(environment) {}

CErrorLog::~CErrorLog()
{
    if (m_file == nullptr)
        return;
    std::fflush(m_file);
    const long length = std::ftell(m_file);
    std::fclose(m_file);
    if (length == m_headerLength)
        std::remove(m_path.c_str());
}

void CErrorLog::Open()
{
    m_applicationVersion = m_environment.applicationVersion();
    m_driverVersion = m_environment.driverVersion();
    m_typeLibraryVersion = formatted("%d.%d", 1, 5);

    if (m_fileLoggingOn) {
        const std::tm now = m_environment.localTime();
        char stamp[64];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H-%M-%S", &now);
        m_file = createFreshLog(stamp, m_path);
        if (m_file == nullptr) {
            // No file (a read-only folder, a full disk): the boxes go on, file logging stops.
            m_fileLoggingOn = false;
            m_path.clear();
        } else {
            const std::string header = std::string("Harlune Error Log") + kLineEnd +
                                       "Application Version: " + m_applicationVersion + kLineEnd +
                                       "Driver Version: " + m_driverVersion + kLineEnd +
                                       "Type Library Version: " + m_typeLibraryVersion + kLineEnd +
                                       "----------- BEGIN LOG -----------" + kLineEnd;
            std::fputs(header.c_str(), m_file);
            std::fflush(m_file);
            m_headerLength = std::ftell(m_file);
        }
    }
    m_opened = true;
}

int CErrorLog::LogException(const char* description, const char* fileName, int line)
{
    try {
        if (!m_opened)
            Open();
        const char* file = fileName != nullptr ? fileName : "";
        const char* app = m_applicationVersion.c_str();
        const char* driver = m_driverVersion.c_str();
        const char* typeLibrary = m_typeLibraryVersion.c_str();

        {
            std::string what = description != nullptr ? description : currentExceptionText();
            platform::automation::FailureReports::add(
                formatted("%s (%s, line %d)", what.empty() ? "Exception occurred." : what.c_str(),
                          file, line));
        }

        if (m_boxesOn) {
            const std::string text =
                description != nullptr
                    ? formatted("Exception occurred.\n\nDescription: %s\nFilename: %s\nLine: "
                                "%d\nApplication Version: %s\nDriver Version: %s\nType Library "
                                "Version: %s\n\nPlease have all of this information when you "
                                "contact Varnholt.\n\nWould you like to continue to receive "
                                "exception warnings?",
                                description, file, line, app, driver, typeLibrary)
                    : formatted("Exception occurred.\n\nFilename: %s\nLine: %d\nApplication "
                                "Version: %s\nDriver Version: %s\nType Library Version: "
                                "%s\n\nPlease have all of this information when you contact "
                                "Varnholt.\n\nWould you like to continue to receive exception "
                                "warnings?",
                                file, line, app, driver, typeLibrary);
            if (!m_environment.askYesNo(text))
                m_boxesOn = false;
        }

        if (m_fileLoggingOn) {
            writeLine(description != nullptr
                          ? formatted("Exception occurred. Description: %s | Filename: %s | "
                                      "Line: %d | Application Version: %s | Driver Version: %s "
                                      "| Type Library Version: %s",
                                      description, file, line, app, driver, typeLibrary)
                          : formatted("Exception occurred. Filename: %s | Line: %d | "
                                      "Application Version: %s | Driver Version: %s | Type "
                                      "Library Version: %s",
                                      file, line, app, driver, typeLibrary));
        }
    } catch (...) {
        // The reporter of last resort reports nothing of its own.
    }
    return 1;
}

void CErrorLog::LogMessage(const std::string& text)
{
    try {
        if (!m_opened)
            Open();
        const std::string line = oneLine(text);
        platform::automation::FailureReports::add(line);
        if (m_fileLoggingOn)
            writeLine(line);
    } catch (...) {
        // As LogException: nothing of its own escapes.
    }
}

void CErrorLog::writeLine(const std::string& line)
{
    if (m_file == nullptr)
        return;
    std::fputs(line.c_str(), m_file);
    std::fputs(kLineEnd, m_file);
    // Flushed line by line, so a crash after a report keeps it.
    std::fflush(m_file);
}
