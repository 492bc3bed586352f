#pragma once

#include <exception>
#include <string>

namespace toolkit::crypt {

// A failed file operation, with the cause codes the program's file classes use.
class FileException : public std::exception
{
public:
    enum Cause
    {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
    };

    FileException(Cause cause, std::string fileName, int osError = 0);

    Cause cause() const noexcept { return m_cause; }
    const std::string& fileName() const noexcept { return m_fileName; }
    // The errno value behind the failure, 0 when none.
    int osError() const noexcept { return m_osError; }
    const char* what() const noexcept override { return m_message.c_str(); }

    // The cause that an errno value stands for.
    static Cause causeFromErrno(int error);

private:
    Cause m_cause;
    std::string m_fileName;
    int m_osError;
    std::string m_message;
};

} // namespace toolkit::crypt
