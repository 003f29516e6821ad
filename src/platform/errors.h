// Platform error numbers as the product logic talks about them (Win32 numbering).
#pragma once
#include <cstdint>
#include <string>

namespace lntc {

namespace err {
inline constexpr uint32_t Success = 0;
inline constexpr uint32_t InvalidFunction = 1;
inline constexpr uint32_t FileNotFound = 2;
inline constexpr uint32_t PathNotFound = 3;
inline constexpr uint32_t TooManyOpenFiles = 4;
inline constexpr uint32_t AccessDenied = 5;
inline constexpr uint32_t InvalidHandle = 6;
inline constexpr uint32_t NotEnoughMemory = 8;
inline constexpr uint32_t InvalidData = 13;
inline constexpr uint32_t OutOfMemory = 14;
inline constexpr uint32_t WriteProtect = 19;
inline constexpr uint32_t NotReady = 21;
inline constexpr uint32_t SharingViolation = 32;
inline constexpr uint32_t LockViolation = 33;
inline constexpr uint32_t HandleEof = 38;
inline constexpr uint32_t NotSupported = 50;
inline constexpr uint32_t FileExists = 80;
inline constexpr uint32_t InvalidParameter = 87;
inline constexpr uint32_t BrokenPipe = 109;
inline constexpr uint32_t DiskFull = 112;
inline constexpr uint32_t InsufficientBuffer = 122;
inline constexpr uint32_t InvalidName = 123;
inline constexpr uint32_t ModNotFound = 126;
inline constexpr uint32_t ProcNotFound = 127;
inline constexpr uint32_t DirNotEmpty = 145;
inline constexpr uint32_t Busy = 170;
inline constexpr uint32_t AlreadyExists = 183;
inline constexpr uint32_t BadExeFormat = 193;
inline constexpr uint32_t FilenameExcedRange = 206;
inline constexpr uint32_t FileTooLarge = 223;
inline constexpr uint32_t MoreData = 234;
inline constexpr uint32_t HostNotFound = 11001;
inline constexpr uint32_t Timeout = 258; // WAIT_TIMEOUT
inline constexpr uint32_t NoMoreItems = 259;
inline constexpr uint32_t Directory = 267;
inline constexpr uint32_t NotOwner = 288;
inline constexpr uint32_t Badkey = 1010;
inline constexpr uint32_t CantOpen = 1011;
inline constexpr uint32_t CantRead = 1012;
inline constexpr uint32_t CantWrite = 1013;
inline constexpr uint32_t RegistryCorrupt = 1015;
inline constexpr uint32_t RegistryIoFailed = 1016;
inline constexpr uint32_t KeyDeleted = 1018;
inline constexpr uint32_t ProcessAborted = 1067;
inline constexpr uint32_t InvalidOwner = 1307;
inline constexpr uint32_t ClassAlreadyExists = 1410;
inline constexpr uint32_t ClassDoesNotExist = 1411;
} // namespace err

// Win32 number for an errno value.
uint32_t errorFromErrno(int e);

// The platform's message text for a code ("The system cannot find the file specified.").
std::string systemErrorText(uint32_t code);

} // namespace lntc
