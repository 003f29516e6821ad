// Top-level windows of the machine: the system's own, found by the system's window search, and
// those of hosts that draw no system window (the script and terminal hosts), which record
// theirs in a table that the processes of one machine root share.
#pragma once
#include "platform/windows.h"

#include <mutex>
#include <set>
#include <string>
#include <windows.h>

namespace lntc {

// The table is a named file mapping of the session ("Local\lnt.<root hash>.top-windows", as the
// sections are named), filled under a named mutex. A record names its process by id and start
// time: one whose process has ended, or whose id now belongs to another, is dropped when next
// seen. The mapping vanishes with the last process that recorded a window.
class Win32TopWindows : public TopWindows {
  public:
    explicit Win32TopWindows(const std::string& root);
    ~Win32TopWindows() override;
    Win32TopWindows(const Win32TopWindows&) = delete;
    Win32TopWindows& operator=(const Win32TopWindows&) = delete;

    // A title longer than 512 or a class longer than 256 characters is refused with 87 (the
    // system's class names are no longer); a full table with 8.
    uint32_t registerWindow(const std::string& title, const std::string& className,
                            Handle& out) override;
    void unregister(Handle handle) override;
    bool existsWithTitle(const std::string& title) const override;
    bool existsWithClass(const std::string& className) const override;

  private:
    struct Table;
    enum class Field { Title, Class };
    bool recorded(Field field, const std::wstring& value) const;
    uint32_t openTable();
    void drop(Handle handle);

    std::wstring mappingName_;
    std::wstring guardName_;
    mutable std::mutex mutex_;
    HANDLE mapping_ = nullptr; // while this process has records
    Table* table_ = nullptr;
    std::set<Handle> mine_;
    Handle next_ = 1;
};

} // namespace lntc
