// A test program that starts itself again as a second process in a role named on its command
// line, and waits until that process signals `ready`.
#pragma once
#include <string>
#include <windows.h>

namespace lntc::test {

inline HANDLE startSelf(const std::wstring& role, HANDLE ready, HANDLE release) {
    ResetEvent(ready), ResetEvent(release);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" " + role;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), 0, 0, 0, 0, 0, 0, &si, &pi) ||
        WaitForSingleObject(ready, 20000) != WAIT_OBJECT_0)
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

} // namespace lntc::test
