#include "platform/win32/win32_windows.h"

#include "platform/errors.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_sections.h"
#include "platform/win32/win32_security.h"

#include <algorithm>
#include <cstring>

namespace lntc {

namespace {

constexpr size_t kSlots = 128;
constexpr size_t kTitleMax = 512;
constexpr size_t kClassMax = 256;
constexpr uint32_t kMagic = 0x6E774C31; // layout of the table, should it ever change
constexpr DWORD kGuardPatience = 5000;

struct Slot {
    volatile LONG pid; // 0: free; written last
    uint32_t handle;
    uint64_t started; // the process's creation time, against a reused id
    uint16_t classLength;
    uint16_t titleLength;
    wchar_t className[kClassMax];
    wchar_t title[kTitleMax];
};

uint64_t startOf(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

uint64_t ownStart() {
    static const uint64_t started = startOf(GetCurrentProcess());
    return started;
}

bool alive(DWORD pid, uint64_t started) {
    if (pid == GetCurrentProcessId()) return ownStart() == started;
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    // Refused: some process of another user has the id, so it is not known to be gone.
    if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running =
        WaitForSingleObject(process, 0) == WAIT_TIMEOUT && startOf(process) == started;
    CloseHandle(process);
    return running;
}

class Guard {
  public:
    explicit Guard(const std::wstring& name) {
        win32::SecurityAttributes sa(win32::ObjectKind::Mutex, win32::Reach::Machine);
        mutex_ = sa.get() ? CreateMutexW(sa.get(), FALSE, name.c_str()) : nullptr;
        // Others than administrators may not ask for all of an existing mutex, only to wait.
        if (mutex_ == nullptr && GetLastError() == ERROR_ACCESS_DENIED)
            mutex_ = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str());
        if (mutex_ == nullptr) return;
        // A holder that died left the table as it was between two whole records.
        const DWORD w = WaitForSingleObject(mutex_, kGuardPatience);
        held_ = w == WAIT_OBJECT_0 || w == WAIT_ABANDONED;
    }
    ~Guard() {
        if (held_) ReleaseMutex(mutex_);
        if (mutex_ != nullptr) CloseHandle(mutex_);
    }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
    bool held() const { return held_; }

  private:
    HANDLE mutex_ = nullptr;
    bool held_ = false;
};

bool equalNoCase(const wchar_t* a, size_t aLength, const std::wstring& b) {
    return CompareStringOrdinal(a, static_cast<int>(aLength), b.data(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

} // namespace

struct Win32TopWindows::Table {
    uint32_t magic;
    uint32_t slots;
    Slot slot[kSlots];
};

Win32TopWindows::Win32TopWindows(const std::string& root) {
    Win32Sections names(root);
    mappingName_ = names.objectName("top-windows");
    guardName_ = names.objectName("top-windows", "guard");
}

Win32TopWindows::~Win32TopWindows() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (table_ == nullptr) return;
    Guard guard(guardName_);
    if (guard.held())
        for (Handle handle : mine_)
            drop(handle);
    UnmapViewOfFile(table_);
    CloseHandle(mapping_);
}

uint32_t Win32TopWindows::openTable() {
    if (table_ != nullptr) return err::Success;
    win32::SecurityAttributes sa(win32::ObjectKind::Mapping, win32::Reach::Machine);
    if (sa.get() == nullptr) return sa.error();
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, sa.get(), PAGE_READWRITE, 0, sizeof(Table),
                                  mappingName_.c_str());
    if (mapping_ == nullptr) return GetLastError();
    table_ = static_cast<Table*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, sizeof(Table)));
    if (table_ == nullptr) {
        const DWORD e = GetLastError();
        CloseHandle(mapping_);
        mapping_ = nullptr;
        return e;
    }
    // A new mapping is zeros: the first holder, under the guard, marks its layout.
    if (table_->magic == 0) table_->magic = kMagic, table_->slots = kSlots;
    if (table_->magic != kMagic || table_->slots != kSlots) {
        UnmapViewOfFile(table_);
        CloseHandle(mapping_);
        table_ = nullptr;
        mapping_ = nullptr;
        return err::InvalidData;
    }
    return err::Success;
}

uint32_t Win32TopWindows::registerWindow(const std::string& title, const std::string& className,
                                         Handle& out) {
    out = 0;
    const std::wstring wideTitle = win32::wideFromText(title);
    const std::wstring wideClass = win32::wideFromText(className);
    if (wideTitle.size() > kTitleMax || wideClass.size() > kClassMax) return err::InvalidParameter;
    std::lock_guard<std::mutex> lock(mutex_);
    Guard guard(guardName_);
    if (!guard.held()) return err::Timeout;
    if (uint32_t e = openTable()) return e;
    Slot* free = nullptr;
    for (Slot& s : table_->slot) {
        if (s.pid != 0 && !alive(static_cast<DWORD>(s.pid), s.started)) s.pid = 0;
        if (s.pid == 0 && free == nullptr) free = &s;
    }
    if (free == nullptr) return err::NotEnoughMemory;
    const Handle handle = next_++;
    free->handle = static_cast<uint32_t>(handle);
    free->started = ownStart();
    free->classLength = static_cast<uint16_t>(wideClass.size());
    free->titleLength = static_cast<uint16_t>(wideTitle.size());
    std::memcpy(free->className, wideClass.data(), wideClass.size() * sizeof(wchar_t));
    std::memcpy(free->title, wideTitle.data(), wideTitle.size() * sizeof(wchar_t));
    InterlockedExchange(&free->pid, static_cast<LONG>(GetCurrentProcessId()));
    mine_.insert(handle);
    out = handle;
    return err::Success;
}

void Win32TopWindows::drop(Handle handle) {
    const LONG self = static_cast<LONG>(GetCurrentProcessId());
    for (Slot& s : table_->slot)
        if (s.pid == self && s.handle == handle) InterlockedExchange(&s.pid, 0);
}

void Win32TopWindows::unregister(Handle handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (table_ == nullptr || mine_.erase(handle) == 0) return;
    Guard guard(guardName_);
    // Without the guard the record stays until this object goes: better than a torn table.
    if (guard.held())
        drop(handle);
    else
        mine_.insert(handle);
}

bool Win32TopWindows::existsWithTitle(const std::string& title) const {
    const std::wstring wide = win32::wideFromText(title);
    if (wide.find(L'\0') == std::wstring::npos && FindWindowW(nullptr, wide.c_str()) != nullptr)
        return true;
    return recorded(Field::Title, wide);
}

bool Win32TopWindows::existsWithClass(const std::string& className) const {
    const std::wstring wide = win32::wideFromText(className);
    if (!wide.empty() && wide.find(L'\0') == std::wstring::npos &&
        FindWindowW(wide.c_str(), nullptr) != nullptr)
        return true;
    return recorded(Field::Class, wide);
}

bool Win32TopWindows::recorded(Field field, const std::wstring& value) const {
    // Read only when the table is refused for writing: records of the dead then stay.
    DWORD access = FILE_MAP_READ | FILE_MAP_WRITE;
    HANDLE mapping = OpenFileMappingW(access, FALSE, mappingName_.c_str());
    if (mapping == nullptr && GetLastError() == ERROR_ACCESS_DENIED)
        mapping = OpenFileMappingW(access = FILE_MAP_READ, FALSE, mappingName_.c_str());
    if (mapping == nullptr) return false; // nobody records a window
    auto* table = static_cast<Table*>(MapViewOfFile(mapping, access, 0, 0, sizeof(Table)));
    bool found = false;
    if (table != nullptr) {
        Guard guard(guardName_);
        if (table->magic == kMagic && table->slots == kSlots)
            for (Slot& s : table->slot) {
                if (s.pid == 0) continue;
                if (!alive(static_cast<DWORD>(s.pid), s.started)) {
                    // Only cleared under the guard: a registration may be filling it.
                    if (guard.held() && access != FILE_MAP_READ) InterlockedExchange(&s.pid, 0);
                    continue;
                }
                // Lengths are clamped: another process may be writing them now.
                found =
                    field == Field::Title
                        ? equalNoCase(s.title, std::min<size_t>(s.titleLength, kTitleMax), value)
                        : equalNoCase(s.className, std::min<size_t>(s.classLength, kClassMax),
                                      value);
                if (found) break;
            }
        UnmapViewOfFile(table);
    }
    CloseHandle(mapping);
    return found;
}

} // namespace lntc
