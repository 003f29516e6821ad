// Files and folders of the machine root, opened so that another local user cannot redirect
// them: no symlink is followed, and only what this installation could have made is accepted.
#pragma once
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace lntc {

// Creates the folder with exactly this mode when it is missing (whatever the umask), then
// checks it: a real folder (not a symlink), not writable by others, owned by this process's
// user, by root, or by the owner of the folder it lies in. 0 or a platform error.
uint32_t ensureTrustedDir(const std::string& path, mode_t mode);

// Gives a folder this process just made exactly mode, whatever the umask, keeping the
// set-group-id bit it took from a shared folder above it: its files then keep taking that
// folder's group (a machine root shared by a group). 0 or -1 with errno.
int setNewFolderMode(int fd, mode_t mode);
int setNewFolderMode(const std::string& path, mode_t mode);

// Opens a file in a trusted folder with O_NOFOLLOW and O_CLOEXEC added to flags. With O_CREAT
// a missing file is created with exactly mode. The file must be a regular file with one link,
// not writable by others, owned by this process's user or by the folder's owner; anything else
// answers 5 (access denied). fd is -1 on failure.
uint32_t openTrustedFile(const std::string& path, int flags, mode_t mode, int& fd);

// Reads an open file whole: only a regular file of at most maxSize bytes, held to that limit
// also when it grows while it is read (5, 223 or another platform error). st is what fstat
// said of it.
uint32_t readRegularFile(int fd, uint64_t maxSize, std::string& contents, struct stat& st);

} // namespace lntc
