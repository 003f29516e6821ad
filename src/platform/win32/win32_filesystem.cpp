#include "platform/win32/win32_filesystem.h"

#include "platform/errors.h"
#include "platform/win32/text.h"

#include <atomic>
#include <vector>

namespace lntc {

namespace {

constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                            FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_READONLY;

// The whole path, without a separator at its end; empty when it cannot be made.
std::wstring fullPath(std::string_view path) {
    std::wstring w = win32::wideFromText(path);
    if (w.empty() || w.find(L'\0') != std::wstring::npos) return {};
    for (wchar_t& c : w)
        if (c == L'/') c = L'\\';
    DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    std::wstring out(n, L'\0');
    n = n ? GetFullPathNameW(w.c_str(), n, out.data(), nullptr) : 0;
    out.resize(n < out.size() ? n : 0);
    while (out.size() > 3 && out.back() == L'\\')
        out.pop_back();
    return out;
}

// Length of the part that is never a link ("C:\", "\\server\share\"); 0 for a device path.
size_t rootLength(const std::wstring& p) {
    if (p.size() >= 3 && p[1] == L':' && p[2] == L'\\') return 3;
    if (p.rfind(L"\\\\", 0) != 0 || p.rfind(L"\\\\?\\", 0) == 0 || p.rfind(L"\\\\.\\", 0) == 0)
        return 0;
    size_t share = p.find(L'\\', 2);
    if (share == std::wstring::npos) return 0;
    size_t end = p.find(L'\\', share + 1);
    return end == std::wstring::npos ? p.size() : end + 1;
}

bool writeAll(HANDLE h, std::string_view data) {
    while (!data.empty()) {
        DWORD n = 0;
        DWORD chunk = data.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(data.size());
        if (!win32::fileCalls.write(h, data.data(), chunk, &n, nullptr)) return false;
        data.remove_prefix(n);
    }
    return true;
}

// Removes a file or a link, whatever its attributes.
bool removeEntry(const std::wstring& path, DWORD attrs) {
    if (attrs & FILE_ATTRIBUTE_READONLY) {
        const DWORD rest = attrs & ~DWORD(FILE_ATTRIBUTE_READONLY);
        SetFileAttributesW(path.c_str(), rest ? rest : FILE_ATTRIBUTE_NORMAL);
    }
    return (attrs & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str())
                                              : win32::fileCalls.remove(path.c_str());
}

} // namespace

namespace win32 {

FileCalls fileCalls = {CreateFileW, WriteFile,   FlushFileBuffers,
                       CloseHandle, MoveFileExW, DeleteFileW};

uint32_t readOpenFile(HANDLE file, uint64_t maxSize, std::string& contents,
                      BY_HANDLE_FILE_INFORMATION& info) {
    if (GetFileType(file) != FILE_TYPE_DISK) return err::AccessDenied;
    if (!GetFileInformationByHandle(file, &info)) return GetLastError();
    if (info.dwFileAttributes &
        (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))
        return err::AccessDenied;
    const uint64_t size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    if (size > maxSize) return err::FileTooLarge;
    std::string out;
    out.reserve(static_cast<size_t>(size));
    std::vector<char> chunk(1 << 16);
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &n, nullptr))
            return GetLastError();
        if (n == 0) break;
        if (out.size() + n > maxSize) return err::FileTooLarge;
        out.append(chunk.data(), n);
    }
    contents = std::move(out);
    return err::Success;
}

} // namespace win32

struct Win32FileSystem::Target {
    std::wstring path;
    DWORD attrs = INVALID_FILE_ATTRIBUTES; // of the last component itself, a link not followed
    // The folders on the way, held open without sharing deletion: while the target is used,
    // none of them can be renamed, removed, or replaced by a link.
    std::vector<HANDLE> held;
    Target() = default;
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;
    ~Target() {
        for (HANDLE h : held)
            CloseHandle(h);
    }
    bool exists() const { return attrs != INVALID_FILE_ATTRIBUTES; }
    bool isLink() const { return exists() && (attrs & FILE_ATTRIBUTE_REPARSE_POINT); }
    bool isFolder() const { return exists() && (attrs & FILE_ATTRIBUTE_DIRECTORY) && !isLink(); }
};

std::string Win32FileSystem::hostPath(std::string_view product) const {
    return win32::textFromWide(fullPath(product));
}

std::string Win32FileSystem::productPath(std::string_view host) const {
    return win32::textFromWide(fullPath(host));
}

// 0 with the path's last component looked at (missing or not) and its folders held, or why
// the path cannot be used: 5 for a device or a link among its folders, the system's error for
// a missing folder. Each folder is looked at through the handle that holds it.
uint32_t Win32FileSystem::target(std::string_view path, Target& t) const {
    t.path = fullPath(path);
    if (t.path.empty()) return err::PathNotFound;
    const size_t root = rootLength(t.path);
    if (root == 0) return err::AccessDenied;
    for (size_t i = t.path.find(L'\\', root); i != std::wstring::npos;
         i = t.path.find(L'\\', i + 1)) {
        const std::wstring folder = t.path.substr(0, i);
        // Listing is an access the system's sharing rules count, so that the missing share of
        // deletion keeps others from renaming the folder; reading attributes alone is not. A
        // folder this user may not list is looked at but not held.
        HANDLE h = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h != INVALID_HANDLE_VALUE) t.held.push_back(h);
        // Held, the name stays what it is, so a look by name is as good as one by handle.
        const DWORD a = GetFileAttributesW(folder.c_str());
        if (a == INVALID_FILE_ATTRIBUTES) break; // the call that uses the path says what is missing
        if (a & FILE_ATTRIBUTE_REPARSE_POINT) return err::AccessDenied;
    }
    t.attrs = GetFileAttributesW(t.path.c_str());
    if (!t.exists() && GetLastError() != ERROR_FILE_NOT_FOUND) return GetLastError();
    return err::Success;
}

uint32_t Win32FileSystem::attributes(std::string_view path, uint32_t& error) const {
    Target t;
    error = target(path, t);
    if (error == err::Success && !t.exists()) error = err::FileNotFound;
    if (error == err::Success && t.isLink()) error = err::AccessDenied;
    if (error != err::Success) return fileattr::Invalid;
    // Only what the Linux build can tell, so that callers see the same on both.
    const uint32_t attr = t.attrs & (fileattr::ReadOnly | fileattr::Directory | fileattr::Device);
    return attr ? attr : fileattr::Normal;
}

uint32_t Win32FileSystem::createDirectory(std::string_view path) {
    Target t;
    if (uint32_t e = target(path, t)) return e;
    if (t.exists()) return t.isLink() ? err::AccessDenied : err::AlreadyExists;
    return CreateDirectoryW(t.path.c_str(), nullptr) ? err::Success : GetLastError();
}

uint32_t Win32FileSystem::readFile(std::string_view path, std::string& contents, uint64_t maxSize,
                                   FileKeep* keep) const {
    Target t;
    if (uint32_t e = target(path, t)) return e;
    if (!t.exists()) return err::FileNotFound;
    if (t.attrs & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
        return err::AccessDenied;
    // What lies there is looked at again once open, as it may have been swapped meanwhile.
    HANDLE h = CreateFileW(t.path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError();
    BY_HANDLE_FILE_INFORMATION info{};
    const uint32_t e = win32::readOpenFile(h, maxSize, contents, info);
    CloseHandle(h);
    if (e == err::Success && keep != nullptr) {
        *keep = FileKeep{};
        keep->exists = true;
        keep->readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    }
    return e;
}

uint32_t Win32FileSystem::writeFile(std::string_view path, std::string_view contents) {
    return replaceFile(path, contents, nullptr);
}

// Readers see the old file or the new one, never a part: the data goes to a temporary file
// beside the target, reaches the disk, and then takes the target's place in one move.
// ReplaceFileW, which would keep the old file's security too, leaves files of its own behind
// under Wine.
uint32_t Win32FileSystem::replaceFile(std::string_view path, std::string_view contents,
                                      const FileKeep* like) {
    static std::atomic<unsigned> counter{0};
    Target t;
    if (uint32_t e = target(path, t)) return e;
    if (t.exists() && (t.attrs & kNotPlain)) return err::AccessDenied;
    const size_t slash = t.path.rfind(L'\\');
    const std::wstring folder = t.path.substr(0, slash + 1);
    const std::wstring name = t.path.substr(slash + 1);
    std::wstring tmp;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; h == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
        tmp = folder + L"." + name + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
              std::to_wstring(counter++) + L".tmp";
        h = win32::fileCalls.create(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return GetLastError();
    }
    if (h == INVALID_HANDLE_VALUE) return err::AlreadyExists;
    auto fail = [&](DWORD e) {
        if (h != INVALID_HANDLE_VALUE) win32::fileCalls.close(h);
        removeEntry(tmp, FILE_ATTRIBUTE_READONLY);
        return e;
    };
    if (!writeAll(h, contents) || !win32::fileCalls.flush(h)) return fail(GetLastError());
    // Flushed: a failing close loses nothing.
    win32::fileCalls.close(h);
    h = INVALID_HANDLE_VALUE;
    // What the replaced file had (hidden, system...), else what the copied one had.
    DWORD attrs = t.exists() ? t.attrs & ~DWORD(FILE_ATTRIBUTE_DIRECTORY) : 0;
    if (like != nullptr) attrs = like->readOnly ? FILE_ATTRIBUTE_READONLY : 0;
    if (attrs && !SetFileAttributesW(tmp.c_str(), attrs)) return fail(GetLastError());
    if (!win32::fileCalls.move(tmp.c_str(), t.path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(GetLastError());
    return err::Success;
}

// A stale scratch file, whatever its attributes, is removed rather than written to; the new
// one is made exclusively, so nothing put there meanwhile is written through.
uint32_t Win32FileSystem::writeScratchFile(std::string_view path, std::string_view contents,
                                           const FileKeep& like) {
    Target t;
    if (uint32_t e = target(path, t)) return e;
    if (t.isFolder()) return err::AccessDenied;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; h == INVALID_HANDLE_VALUE && attempt < 8; ++attempt) {
        const DWORD attrs = GetFileAttributesW(t.path.c_str());
        if (attrs != INVALID_FILE_ATTRIBUTES && !removeEntry(t.path, attrs) &&
            GetLastError() != ERROR_FILE_NOT_FOUND)
            return GetLastError();
        h = win32::fileCalls.create(t.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    like.readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return GetLastError();
    }
    if (h == INVALID_HANDLE_VALUE) return err::AlreadyExists;
    DWORD error = writeAll(h, contents) && win32::fileCalls.flush(h) ? 0 : GetLastError();
    win32::fileCalls.close(h);
    if (error == 0) return err::Success;
    removeEntry(t.path, FILE_ATTRIBUTE_READONLY);
    return error;
}

uint32_t Win32FileSystem::deleteFile(std::string_view path) {
    Target t;
    if (uint32_t e = target(path, t)) return e;
    if (!t.exists()) return err::FileNotFound;
    if (t.isFolder() || (!t.isLink() && (t.attrs & FILE_ATTRIBUTE_READONLY)))
        return err::AccessDenied;
    return removeEntry(t.path, t.attrs & ~DWORD(FILE_ATTRIBUTE_READONLY)) ? err::Success
                                                                          : GetLastError();
}

uint32_t Win32FileSystem::renameFile(std::string_view from, std::string_view to) {
    Target src, dst;
    if (uint32_t e = target(from, src)) return e;
    if (!src.exists()) return err::FileNotFound;
    if (uint32_t e = target(to, dst)) return e;
    const bool sameEntry =
        CompareStringOrdinal(src.path.c_str(), -1, dst.path.c_str(), -1, TRUE) == CSTR_EQUAL;
    if (sameEntry && src.path == dst.path) return err::Success;
    const bool file = !src.isFolder();
    if (file && !sameEntry && dst.exists() && (dst.attrs & kNotPlain)) return err::AccessDenied;
    DWORD flags = MOVEFILE_WRITE_THROUGH;
    if (file) flags |= MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED;
    if (win32::fileCalls.move(src.path.c_str(), dst.path.c_str(), flags)) return err::Success;
    const DWORD e = GetLastError();
    return e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS ? err::AccessDenied : e;
}

uint32_t Win32FileSystem::copyFile(std::string_view from, std::string_view to) {
    std::string data;
    FileKeep keep;
    if (uint32_t e = readFile(from, data, kDefaultReadLimit, &keep)) return e;
    return replaceFile(to, data, &keep);
}

uint32_t Win32FileSystem::currentDirectory(std::string& out) const {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring w(n, L'\0');
    n = n ? GetCurrentDirectoryW(n, w.data()) : 0;
    if (n == 0 || n >= w.size()) return GetLastError() ? GetLastError() : err::InvalidFunction;
    w.resize(n);
    out = win32::textFromWide(w);
    return err::Success;
}

} // namespace lntc
