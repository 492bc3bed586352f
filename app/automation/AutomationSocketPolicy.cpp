#include "app/automation/AutomationSocketPolicy.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace app::automation {

std::string automationSocketFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0')
        return std::string(runtime) + "/harlune";
    const char* temp = std::getenv("TMPDIR");
    const std::string folder = temp != nullptr && *temp != '\0' ? temp : "/tmp";
    return folder + "/harlune-" + std::to_string(getuid());
}

std::string automationSocketPath()
{
    return automationSocketFolder() + "/automation.sock";
}

FolderVerdict judgeSocketFolder(bool isFolder, uid_t owner, mode_t mode, uid_t self)
{
    if (!isFolder)
        return FolderVerdict::NotAFolder;
    if (owner != self)
        return FolderVerdict::OtherOwner;
    if ((mode & (S_IRWXG | S_IRWXO)) != 0)
        return FolderVerdict::OpenToOthers;
    return FolderVerdict::Usable;
}

const char* folderVerdictText(FolderVerdict verdict)
{
    switch (verdict) {
    case FolderVerdict::Usable:
        return "usable";
    case FolderVerdict::NotAFolder:
        return "not a folder";
    case FolderVerdict::OtherOwner:
        return "owned by another user";
    case FolderVerdict::OpenToOthers:
        return "open to other users";
    }
    return "unknown";
}

bool prepareSocketFolder(const std::string& folder, std::string& reason)
{
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        reason = std::string("cannot make it: ") + std::strerror(errno);
        return false;
    }
    // lstat: a link planted at the name is refused, never followed.
    struct stat info
    {};
    if (lstat(folder.c_str(), &info) != 0) {
        reason = std::string("cannot read it: ") + std::strerror(errno);
        return false;
    }
    const FolderVerdict verdict =
        judgeSocketFolder(S_ISDIR(info.st_mode), info.st_uid, info.st_mode, getuid());
    if (verdict != FolderVerdict::Usable) {
        reason = folderVerdictText(verdict);
        return false;
    }
    return true;
}

bool fitsSocketAddress(const std::string& path)
{
    return !path.empty() && path.size() < sizeof(sockaddr_un::sun_path);
}

bool acceptPeer(uid_t peer, uid_t self)
{
    return peer == self;
}

std::optional<uid_t> peerUid(int socketFd)
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (socketFd < 0 || getsockopt(socketFd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
        size != sizeof credentials)
        return std::nullopt;
    return credentials.uid;
}

} // namespace app::automation
