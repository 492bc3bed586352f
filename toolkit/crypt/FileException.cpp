#include "toolkit/crypt/FileException.h"

#include <cerrno>
#include <cstring>

namespace toolkit::crypt {

FileException::FileException(Cause cause, std::string fileName, int osError)
    : m_cause(cause), m_fileName(std::move(fileName)), m_osError(osError)
{
    m_message = "file error " + std::to_string(static_cast<int>(cause));
    if (!m_fileName.empty()) {
        m_message += " on \"" + m_fileName + "\"";
    }
    if (osError != 0) {
        m_message += ": ";
        m_message += std::strerror(osError);
    }
}

FileException::Cause FileException::causeFromErrno(int error)
{
    switch (error) {
    case ENOENT:
        return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return badPath;
    case EMFILE:
    case ENFILE:
        return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBADF:
        return accessDenied;
    case EINVAL:
    case ESPIPE:
        return badSeek;
    case EIO:
        return hardIO;
    case EAGAIN:
        return lockViolation;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return diskFull;
    default:
        return genericException;
    }
}

} // namespace toolkit::crypt
