#include "platform/win32/win32_processes.h"

#include "platform/errors.h"
#include "platform/win32/text.h"

#include <algorithm>
#include <windows.h>

#include <tlhelp32.h> // after windows.h, which it needs

namespace lntc {

uint32_t Win32Processes::list(std::vector<ProcessEntry>& out) const {
    out.clear();
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return GetLastError();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        // The idle pseudo-process runs no program.
        if (entry.th32ProcessID == 0) continue;
        std::wstring_view name(entry.szExeFile);
        name = name.substr(name.find_last_of(L"\\/") + 1);
        size_t dot = name.rfind(L'.');
        if (dot != std::wstring_view::npos && dot > 0) name = name.substr(0, dot);
        if (name.empty()) continue;
        out.push_back({entry.th32ProcessID, win32::textFromWide(name)});
    }
    const DWORD why = GetLastError();
    CloseHandle(snapshot);
    if (why != ERROR_NO_MORE_FILES && why != ERROR_SUCCESS) {
        out.clear();
        return why;
    }
    std::sort(out.begin(), out.end(),
              [](const ProcessEntry& a, const ProcessEntry& b) { return a.pid < b.pid; });
    return err::Success;
}

bool Win32Processes::terminate(uint32_t pid) {
    if (pid == 0) return false;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
    if (process == nullptr) return false;
    // One that has ended already, but is still held by someone, is not ended again.
    const bool done =
        WaitForSingleObject(process, 0) != WAIT_OBJECT_0 && TerminateProcess(process, 1) != 0;
    CloseHandle(process);
    return done;
}

} // namespace lntc
