#include "configure/directories.h"

#include "library/services.h"
#include "platform/errors.h"
#include "platform/filesystem.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "ui/message_box.h"

#include <cctype>
#include <vector>

namespace lntc {

namespace {

bool hasDrive(std::string_view s) {
    return s.size() >= 2 && s[1] == ':';
}

char upperChar(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// "\" between a directory and what follows, without doubling one the directory ends with.
std::string joined(const std::string& directory, std::string_view rest) {
    if (rest.empty()) return directory;
    if (!directory.empty() && directory.back() == '\\') return directory + std::string(rest);
    return directory + "\\" + std::string(rest);
}

} // namespace

CompletedPath CompletePath(const Services& svc, std::string_view typed) {
    constexpr std::string_view kBlanks = " \t\n\r";
    const size_t first = typed.find_first_not_of(kBlanks);
    std::string_view text = first == std::string_view::npos
                                ? std::string_view{}
                                : typed.substr(first, typed.find_last_not_of(kBlanks) - first + 1);

    std::string cwd;
    std::string currentDrive = "C:", currentDir = ".";
    if (svc.platform.files->currentDirectory(cwd) == err::Success && hasDrive(cwd)) {
        currentDrive = cwd.substr(0, 2);
        currentDir = cwd.substr(2);
    }

    CompletedPath out;
    if (hasDrive(text)) {
        out.drive = std::string(text.substr(0, 2));
        std::string_view rest = text.substr(2);
        // Drive letters name the same drive in either case.
        if ((rest.empty() || rest[0] != '\\') && upperChar(text[0]) == upperChar(currentDrive[0]))
            out.directory = joined(currentDir, rest);
        else
            out.directory = std::string(rest);
    } else {
        out.drive = currentDrive;
        out.directory =
            !text.empty() && text[0] == '\\' ? std::string(text) : joined(currentDir, text);
    }
    return out;
}

DirectoryState InspectDirectory(const Services& svc, const std::string& path, uint32_t mode,
                                uint32_t& error) {
    error = 0;
    const uint32_t attr = svc.platform.files->attributes(path, error);
    if (attr == fileattr::Invalid) {
        if (error == err::FileNotFound || error == err::PathNotFound)
            return DirectoryState::Missing;
        if (error == 0) error = err::PathNotFound;
        return DirectoryState::Failed;
    }
    if (!(attr & fileattr::Directory)) return DirectoryState::File;
    if ((attr & fileattr::ReadOnly) && (mode & dirmode::OfferCreate))
        return DirectoryState::ReadOnly;
    return DirectoryState::Usable;
}

std::string DirectoryProblem(const Services& svc, const std::string& path, uint32_t mode) {
    uint32_t error = 0;
    const StringLookup& strings = svc.ui.strings();
    switch (InspectDirectory(svc, path, mode, error)) {
    case DirectoryState::Usable:
        return {};
    case DirectoryState::Missing:
        return formatMessage(strings.load(str::PathMissing).c_str(), path.c_str());
    case DirectoryState::Failed:
        return systemErrorText(error);
    case DirectoryState::File:
        return strings.load(str::PathIsFile);
    case DirectoryState::ReadOnly:
        return formatMessage(strings.load(str::PathReadOnly).c_str(), path.c_str());
    }
    return {};
}

bool ValidateDirectory(const Services& svc, WindowRef owner, const std::string& drive,
                       const std::string& directory, uint32_t mode) {
    const std::string path = drive + directory;
    uint32_t error = 0;
    switch (InspectDirectory(svc, path, mode, error)) {
    case DirectoryState::Usable:
        return true;
    case DirectoryState::Missing:
        if (mode & dirmode::OfferCreate) {
            if (MessageBoxId(svc.ui, owner, str::PathStatusCaption, mb::Question, str::CreatePath,
                             path.c_str()) != id::Yes)
                return false;
            return CreateDirectoryPath(svc, owner, path);
        }
        if (mode == dirmode::MustExist)
            ErrorId(svc.ui, owner, str::PathMissing, path.c_str());
        else
            ShowLastSystemError(svc.ui, owner, error);
        return false;
    case DirectoryState::Failed:
        ShowLastSystemError(svc.ui, owner, error);
        return false;
    case DirectoryState::File:
        ErrorId(svc.ui, owner, str::PathIsFile);
        return false;
    case DirectoryState::ReadOnly:
        ErrorId(svc.ui, owner, str::PathReadOnly, path.c_str());
        return false;
    }
    return false;
}

bool CreateDirectoryPath(const Services& svc, WindowRef owner, const std::string& path) {
    FileSystem& files = *svc.platform.files;
    const std::string drive = hasDrive(path) ? path.substr(0, 2) : std::string();
    // "." and ".." are folded first: creating a folder only to step out of it again would
    // leave it behind.
    std::vector<std::string> parts;
    size_t i = drive.size();
    const bool absolute = i < path.size() && path[i] == '\\';
    while (i < path.size()) {
        size_t end = path.find('\\', i);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(i, end - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(std::move(part));
        }
        i = end + 1;
    }
    std::string current = drive;
    for (const std::string& part : parts) {
        // A relative directory on another drive stays relative to that drive's own.
        current += current == drive && !absolute ? part : "\\" + part;
        const uint32_t rc = files.createDirectory(current);
        if (rc != err::Success && rc != err::AlreadyExists && rc != err::FileExists) {
            ShowLastSystemError(svc.ui, owner, rc);
            return false;
        }
    }
    uint32_t error = 0;
    const uint32_t attr = files.attributes(current.empty() ? path : current, error);
    if (attr != fileattr::Invalid && (attr & fileattr::Directory)) return true;
    // The last name is taken by a file: what was asked for is not there.
    ShowLastSystemError(svc.ui, owner, attr == fileattr::Invalid ? error : err::AlreadyExists);
    return false;
}

} // namespace lntc
