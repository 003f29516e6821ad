#include "platform/win32/win32_machine_files.h"

#include "platform/errors.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_filesystem.h"
#include "platform/win32/win32_security.h"

namespace lntc {

namespace {

// A missing folder is made with the machine's security; one that is there must be a folder.
uint32_t ensureFolder(const std::wstring& path, bool mayBeLink) {
    DWORD a = GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) {
        win32::SecurityAttributes sa(win32::ObjectKind::Folder, win32::Reach::Machine);
        if (!sa.get()) return sa.error();
        if (!CreateDirectoryW(path.c_str(), sa.get()) && GetLastError() != ERROR_ALREADY_EXISTS)
            return GetLastError();
        a = GetFileAttributesW(path.c_str());
        if (a == INVALID_FILE_ATTRIBUTES) return GetLastError();
    }
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) return err::PathNotFound;
    return (a & FILE_ATTRIBUTE_REPARSE_POINT) && !mayBeLink ? err::AccessDenied : err::Success;
}

// Only a regular file with no other name: a hard link would let the writer reach a file
// that is not ours.
uint32_t checkOpened(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(h) != FILE_TYPE_DISK) return err::AccessDenied;
    if (!GetFileInformationByHandle(h, &info)) return GetLastError();
    if (info.dwFileAttributes &
        (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))
        return err::AccessDenied;
    return info.nNumberOfLinks == 1 ? err::Success : err::AccessDenied;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

Win32MachineFiles::Win32MachineFiles(const std::string& root)
    : root_(root), prefix_(win32::objectPrefix(root)) {
    while (root_.size() > 3 && (root_.back() == '\\' || root_.back() == '/'))
        root_.pop_back();
}

std::string Win32MachineFiles::hostPath(std::string_view name) const {
    std::string path = root_ + "\\" + std::string(name);
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

uint32_t Win32MachineFiles::append(std::string_view name, std::string_view text) {
    if (text.size() > MAXDWORD) return err::InvalidParameter;
    const std::wstring path = win32::wideFromText(hostPath(name));
    const size_t rootEnd = win32::wideFromText(root_).size();
    // The root (which may be a link the administrator made), then each folder below it.
    for (size_t i = rootEnd; i != std::wstring::npos; i = path.find(L'\\', i + 1))
        if (uint32_t e = ensureFolder(path.substr(0, i), i == rootEnd)) return e;
    win32::SecurityAttributes sa(win32::ObjectKind::File, win32::Reach::Machine);
    if (!sa.get()) return sa.error();
    // Append access alone: every write lands whole at the end, whoever else appends.
    HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                           kShareAll, sa.get(), OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError();
    uint32_t e = checkOpened(h);
    // Under Wine, what two processes append through FILE_APPEND_DATA overwrites each other
    // (lines go missing): the writers of a file take turns. One that waits too long writes all
    // the same, as Windows itself keeps such appends whole.
    win32::SecurityAttributes msa(win32::ObjectKind::Mutex, win32::Reach::Machine);
    const std::wstring turnName = win32::objectName(prefix_, "append." + std::string(name));
    HANDLE turn =
        msa.get() ? CreateMutexExW(msa.get(), turnName.c_str(), 0, SYNCHRONIZE | MUTEX_MODIFY_STATE)
                  : nullptr;
    const DWORD w = turn ? WaitForSingleObject(turn, 5000) : WAIT_FAILED;
    DWORD n = 0;
    if (e == err::Success &&
        !WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr))
        e = GetLastError();
    else if (e == err::Success && n != text.size())
        e = err::DiskFull;
    if (w == WAIT_OBJECT_0 || w == WAIT_ABANDONED) ReleaseMutex(turn);
    if (turn) CloseHandle(turn);
    CloseHandle(h);
    return e;
}

uint32_t Win32MachineFiles::read(std::string_view name, std::string& contents,
                                 uint64_t maxSize) const {
    HANDLE h = CreateFileW(win32::wideFromText(hostPath(name)).c_str(), GENERIC_READ, kShareAll,
                           nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_PATH_NOT_FOUND ? err::FileNotFound : GetLastError();
    uint32_t e = checkOpened(h);
    BY_HANDLE_FILE_INFORMATION info{};
    if (e == err::Success) e = win32::readOpenFile(h, maxSize, contents, info);
    CloseHandle(h);
    return e;
}

} // namespace lntc
