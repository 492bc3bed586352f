#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

// What the error log needs from the rest of the program: the user's answer to the
// exception box, the version texts and the local time. The program plugs in its message
// boxes and version resources; tests plug in a fake.
class ErrorLogEnvironment
{
public:
    virtual ~ErrorLogEnvironment() = default;
    // Shows the box text with Yes and No buttons (no icon); true when the user answers Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    virtual std::string applicationVersion() = 0;
    virtual std::string driverVersion() = 0;
    virtual std::tm localTime() = 0;
};

// The program's single sink for caught exceptions: a Yes/No box until the user declines
// further boxes, and one line per report appended to a file named by the time of the first
// report ("%Y-%m-%d-%H-%M-%S.errorlog" in the current directory of that moment). A run
// without reports leaves no file. GUI thread only.
class CErrorLog
{
public:
    explicit CErrorLog(ErrorLogEnvironment& environment);
    ~CErrorLog();
    CErrorLog(const CErrorLog&) = delete;
    CErrorLog& operator=(const CErrorLog&) = delete;

    // Reports one exception; description may be null. Always returns 1 and never throws.
    // Without a description, the text of the exception being handled (if any) goes to an
    // outside client's failing call (platform::automation::FailureReports), not to the file.
    int LogException(const char* description, const char* fileName, int line);

    // Writes one line of text to the file, without a box (a box nobody could see, a step the
    // program took in place of a user's answer); line ends in the text become blanks. The
    // text also goes to an outside client's failing call. Never throws.
    void LogMessage(const std::string& text);

    // Gathers the versions and creates the file; called by the first LogException.
    void Open();

    // The file's path once created (empty before, or when it could not be created).
    const std::string& logFilePath() const { return m_path; }
    bool boxesOn() const { return m_boxesOn; }

private:
    void writeLine(const std::string& line);

    ErrorLogEnvironment& m_environment;
    bool m_opened = false;
    bool m_boxesOn = true;
    bool m_fileLoggingOn = true;
    std::string m_applicationVersion;
    std::string m_driverVersion;
    std::string m_typeLibraryVersion;
    std::FILE* m_file = nullptr;
    std::string m_path;
    long m_headerLength = 0;
};
