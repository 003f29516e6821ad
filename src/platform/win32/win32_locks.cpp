#include "platform/win32/win32_locks.h"

#include "platform/errors.h"
#include "platform/win32/win32_security.h"

#include <algorithm>
#include <set>
#include <thread>

namespace lntc {

namespace {

// The locks this thread holds: the mutex itself would let it in again.
thread_local std::set<std::wstring> heldHere;

class MutexHeld : public FileLocks::Held {
  public:
    MutexHeld(HANDLE mutex, std::wstring name) : mutex_(mutex), name_(std::move(name)) {
        heldHere.insert(name_);
    }
    ~MutexHeld() override {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
        heldHere.erase(name_);
    }
    MutexHeld(const MutexHeld&) = delete;
    MutexHeld& operator=(const MutexHeld&) = delete;

  private:
    HANDLE mutex_;
    std::wstring name_;
};

bool validName(const std::string& name) {
    if (name.empty() || name[0] == '.') return false;
    return std::ranges::all_of(name, [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    });
}

DWORD waitMilliseconds(std::chrono::milliseconds wait) {
    if (wait.count() <= 0) return 0;
    return wait.count() >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(wait.count());
}

} // namespace

Win32FileLocks::Win32FileLocks(const std::string& root) : prefix_(win32::objectPrefix(root)) {}

uint32_t Win32FileLocks::acquire(const std::string& name, std::chrono::milliseconds wait,
                                 std::unique_ptr<Held>& out) {
    out.reset();
    if (!validName(name)) return err::InvalidName;
    const std::wstring object = win32::objectName(prefix_, "lock." + name);
    if (heldHere.count(object)) {
        std::this_thread::sleep_for(wait);
        return err::LockViolation;
    }
    win32::SecurityAttributes sa(win32::ObjectKind::Mutex, win32::Reach::Machine);
    if (!sa.get()) return sa.error();
    // Only the rights to wait and let go: what the descriptor gives every user.
    HANDLE mutex = CreateMutexExW(sa.get(), object.c_str(), 0, SYNCHRONIZE | MUTEX_MODIFY_STATE);
    if (!mutex) return GetLastError();
    const DWORD w = WaitForSingleObject(mutex, waitMilliseconds(wait));
    if (w == WAIT_OBJECT_0 || w == WAIT_ABANDONED) {
        out = std::make_unique<MutexHeld>(mutex, object);
        return err::Success;
    }
    const uint32_t error = w == WAIT_TIMEOUT ? err::LockViolation : GetLastError();
    CloseHandle(mutex);
    return error;
}

} // namespace lntc
