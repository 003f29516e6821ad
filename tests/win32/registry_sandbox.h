// The Windows registry for a test: a key of the test's own below HKLM\SOFTWARE\LntcTest stands
// for the hive, and is removed with everything in it when the test ends.
#pragma once
#include "platform/win32/win32_registry.h"

#include <atomic>
#include <memory>
#include <string>
#include <windows.h>

namespace lntc::test {

struct Win32Backend {
    std::string base = "SOFTWARE\\LntcTest\\" + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(GetTickCount64()) + "-" + std::to_string(++count());
    std::unique_ptr<Registry> make() { return std::make_unique<Win32Registry>(base); }
    // Keeps the contents, opened for reading only.
    void makeReadOnly(std::unique_ptr<Registry>& reg) {
        reg.reset();
        reg = std::make_unique<Win32Registry>(base, true);
    }
    ~Win32Backend() {
        const std::wstring key(base.begin(), base.end());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\LntcTest"); // when no other test has one
    }
    static std::atomic<unsigned>& count() {
        static std::atomic<unsigned> n{0};
        return n;
    }
};

} // namespace lntc::test
