#include "platform/errors.h"

#include <cerrno>
#include <cstdio>

namespace lntc {

uint32_t errorFromErrno(int e) {
    switch (e) {
    case 0:
        return err::Success;
    case ENOENT:
        return err::FileNotFound;
    case ENOTDIR:
        return err::PathNotFound;
    case EMFILE:
    case ENFILE:
        return err::TooManyOpenFiles;
    case EACCES:
    case EPERM:
        return err::AccessDenied;
    case EBADF:
        return err::InvalidHandle;
    case ENOMEM:
        return err::NotEnoughMemory;
    case EROFS:
        return err::WriteProtect;
    case EBUSY:
        return err::Busy;
    case EEXIST:
        return err::AlreadyExists;
    case EINVAL:
        return err::InvalidParameter;
    case ENOSPC:
        return err::DiskFull;
    case ENAMETOOLONG:
        return err::FilenameExcedRange;
    case EFBIG:
        return err::FileTooLarge;
    case ENOTEMPTY:
        return err::DirNotEmpty;
    case EISDIR:
        return err::Directory;
    case EPIPE:
        return err::BrokenPipe;
    case ESRCH:
        return err::InvalidParameter;
    case EAGAIN:
        return err::LockViolation;
    case ENOSYS:
    case EOPNOTSUPP:
        return err::NotSupported;
    default:
        return err::InvalidFunction;
    }
}

std::string systemErrorText(uint32_t code) {
    switch (code) {
    case err::Success:
        return "The operation completed successfully.";
    case err::InvalidFunction:
        return "Incorrect function.";
    case err::FileNotFound:
        return "The system cannot find the file specified.";
    case err::PathNotFound:
        return "The system cannot find the path specified.";
    case err::TooManyOpenFiles:
        return "The system cannot open the file.";
    case err::AccessDenied:
        return "Access is denied.";
    case err::InvalidHandle:
        return "The handle is invalid.";
    case err::NotEnoughMemory:
        return "Not enough storage is available to process this command.";
    case err::InvalidData:
        return "The data is invalid.";
    case err::OutOfMemory:
        return "Not enough storage is available to complete this operation.";
    case err::WriteProtect:
        return "The media is write protected.";
    case err::NotReady:
        return "The device is not ready.";
    case err::SharingViolation:
        return "The process cannot access the file because it is being used by another process.";
    case err::LockViolation:
        return "The process cannot access the file because another process has locked a portion "
               "of the file.";
    case err::HandleEof:
        return "Reached the end of the file.";
    case err::NotSupported:
        return "The request is not supported.";
    case err::FileExists:
        return "The file exists.";
    case err::InvalidParameter:
        return "The parameter is incorrect.";
    case err::BrokenPipe:
        return "The pipe has been ended.";
    case err::DiskFull:
        return "There is not enough space on the disk.";
    case err::InsufficientBuffer:
        return "The data area passed to a system call is too small.";
    case err::InvalidName:
        return "The filename, directory name, or volume label syntax is incorrect.";
    case err::ModNotFound:
        return "The specified module could not be found.";
    case err::ProcNotFound:
        return "The specified procedure could not be found.";
    case err::DirNotEmpty:
        return "The directory is not empty.";
    case err::Busy:
        return "The requested resource is in use.";
    case err::AlreadyExists:
        return "Cannot create a file when that file already exists.";
    case err::BadExeFormat:
        return "The file is not a valid module.";
    case err::FilenameExcedRange:
        return "The filename or extension is too long.";
    case err::FileTooLarge:
        return "The file size exceeds the limit allowed and cannot be saved.";
    case err::MoreData:
        return "More data is available.";
    case err::Timeout:
        return "The wait operation timed out.";
    case err::NoMoreItems:
        return "No more data is available.";
    case err::Directory:
        return "The directory name is invalid.";
    case err::InvalidOwner:
        return "This security ID may not be assigned as the owner of this object.";
    case err::Badkey:
        return "The configuration registry key is invalid.";
    case err::CantOpen:
        return "The configuration registry key could not be opened.";
    case err::CantRead:
        return "The configuration registry key could not be read.";
    case err::CantWrite:
        return "The configuration registry key could not be written.";
    case err::RegistryCorrupt:
        return "The registry is corrupted.";
    case err::RegistryIoFailed:
        return "An I/O operation initiated by the registry failed unrecoverably.";
    case err::KeyDeleted:
        return "Illegal operation attempted on a registry key that has been marked for deletion.";
    case err::ClassAlreadyExists:
        return "Class already exists.";
    case err::ClassDoesNotExist:
        return "Class does not exist.";
    default: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "Unknown error %lu.", static_cast<unsigned long>(code));
        return buf;
    }
    }
}

} // namespace lntc
