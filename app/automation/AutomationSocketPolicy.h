#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

// Where the automation server's socket lives and who may use it: only the same user on this
// machine. The decisions are plain functions so that they are checked without a second user.
// Any thread.
namespace app::automation {

// The socket's folder: "$XDG_RUNTIME_DIR/harlune", or without a runtime folder
// "$TMPDIR/harlune-<uid>" ("/tmp" without $TMPDIR), beside the single-instance lock file.
std::string automationSocketFolder();
// The socket: "automation.sock" in that folder.
std::string automationSocketPath();

enum class FolderVerdict
{
    Usable,
    NotAFolder,   // a file, a link or something else stands at the path
    OtherOwner,   // another user made it (another user can create the name in /tmp first)
    OpenToOthers, // group or others may enter, read or write it
};

// Judges a folder from its owner and mode: only a folder of this user with no rights for
// group or others is used.
FolderVerdict judgeSocketFolder(bool isFolder, uid_t owner, mode_t mode, uid_t self);
const char* folderVerdictText(FolderVerdict verdict);

// Makes the folder (0700) when it is missing and judges what is there; the reason for a
// refusal in `reason`.
bool prepareSocketFolder(const std::string& folder, std::string& reason);

// Whether a path fits into a local socket address (with its terminating NUL).
bool fitsSocketAddress(const std::string& path);

// Whether the other end of a connection may talk to us: the same user only.
bool acceptPeer(uid_t peer, uid_t self);
// The user id of the other end of a connected local socket, or none when it cannot be read.
std::optional<uid_t> peerUid(int socketFd);

} // namespace app::automation
