// Directories typed by the administrator, in the product's path form: completed against the
// current drive and directory, checked, and created on request.
#pragma once
#include "ui/host.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace lntc {

struct Services;

struct CompletedPath {
    std::string drive;     // "X:"
    std::string directory; // "\dir\sub", or relative when on another drive
    std::string full() const { return drive + directory; }
};

// The typed text, trimmed, with a drive and (on the current drive) an absolute directory.
CompletedPath CompletePath(const Services& svc, std::string_view typed);

namespace dirmode {
inline constexpr uint32_t OfferCreate = 2; // offer to create a missing one, refuse a read-only one
inline constexpr uint32_t MustExist = 4;
} // namespace dirmode

// What drive + directory is for a mode: usable, missing, not to be had (error holds the
// platform's code), a file, or read-only (refused only by OfferCreate).
enum class DirectoryState { Usable, Missing, Failed, File, ReadOnly };
DirectoryState InspectDirectory(const Services& svc, const std::string& path, uint32_t mode,
                                uint32_t& error);

// Empty when drive + directory is a usable directory for the mode, else what the dialogs say
// about it; a missing one is refused as missing, with no offer to create it.
std::string DirectoryProblem(const Services& svc, const std::string& path, uint32_t mode);

// Whether drive + directory names a usable directory; says why not in a box owned by owner.
bool ValidateDirectory(const Services& svc, WindowRef owner, const std::string& drive,
                       const std::string& directory, uint32_t mode);

// Creates the missing directories of path from the left. True when the whole path is then a
// directory; a failure is shown.
bool CreateDirectoryPath(const Services& svc, WindowRef owner, const std::string& path);

} // namespace lntc
