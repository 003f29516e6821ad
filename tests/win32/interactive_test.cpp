// lntc-config.exe as an administrator runs it, on the demo installation: the main dialog on the
// screen with the records' queues, ended from the keyboard. Run on an X server of its own.
#include "resources/ids.h"

#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace {

// Runs a program of the build's; its process, or none.
HANDLE start(const std::wstring& program, const std::wstring& args = L"") {
    std::wstring cmd = L"\"" + std::wstring(LNTC_BIN_DIR) + L"\\" + program + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), 0, 0, 0, 0, 0, 0, &si, &pi)) return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

// The exit code, or 999 when the process has not ended within the patience.
DWORD ended(HANDLE process, DWORD patienceMs = 30000) {
    DWORD code = 999;
    if (WaitForSingleObject(process, patienceMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    else
        TerminateProcess(process, 999);
    CloseHandle(process);
    return code;
}

// The visible top-level window of that process with that title, once it is there.
HWND windowOf(HANDLE process, const wchar_t* title) {
    struct Search {
        DWORD pid;
        const wchar_t* title;
        HWND found = nullptr;
    } s{GetProcessId(process), title};
    for (int i = 0; i < 300 && !s.found && WaitForSingleObject(process, 100) == WAIT_TIMEOUT; ++i)
        EnumWindows(
            [](HWND w, LPARAM p) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(p);
                DWORD pid = 0;
                wchar_t text[128] = {};
                GetWindowThreadProcessId(w, &pid);
                GetWindowTextW(w, text, 128);
                if (pid == s.pid && IsWindowVisible(w) && std::wstring(text) == s.title)
                    s.found = w;
                return s.found == nullptr;
            },
            reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// A key pressed and let go where the keyboard's input goes in that window's thread.
void press(HWND window, WPARAM key) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    HWND to = info.hwndFocus != nullptr ? info.hwndFocus : window;
    PostMessageW(to, WM_KEYDOWN, key, 1);
    PostMessageW(to, WM_KEYUP, key, 0xC0000001);
}

std::wstring listItem(HWND list, int i) {
    wchar_t text[256] = {};
    const LRESULT n = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    if (n >= 0 && n < 256) SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    return text;
}

// A queue chosen with an arrow key in the list that has the focus, Enter presses the default
// button, Configure, whose dialog Escape closes; Escape then leaves
// the run without saving (1). OK pressed asks first, and Yes saves and ends it (0).
TEST(LntcConfigExe, TheMainDialogShowsTheRecordsQueuesAndTheKeyboardDrivesIt) {
    SetEnvironmentVariableW(L"LNT_ROOT", L"C:\\lntc-interactive-test");
    SetEnvironmentVariableW(L"LNT_PRINT_SERVER", L"ps-test");
    ASSERT_EQ(ended(start(L"lntc.exe", L"demo-setup")), 0u);
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Escape");
        HANDLE run = start(L"lntc-config.exe");
        ASSERT_NE(run, nullptr);
        HWND main = windowOf(run, L"Lintora Configuration");
        ASSERT_NE(main, nullptr) << "no main dialog within 30 s";
        HWND current = GetDlgItem(main, lntc::mainctl::Current);
        ASSERT_EQ(SendMessageW(current, LB_GETCOUNT, 0, 0), 4);
        EXPECT_EQ(listItem(current, 0) + L" " + listItem(current, 3), L"ACCOUNTS_LJ RICOH_MAIL");
        if (ok) {
            // Two of the ODR's queues are not configured yet: the system's message box asks.
            PostMessageW(GetDlgItem(main, IDOK), BM_CLICK, 0, 0);
            HWND warning = windowOf(run, L"Configuration Warning");
            ASSERT_NE(warning, nullptr);
            press(warning, VK_RETURN); // Yes, the box's default

        } else {
            // The queue list has the focus: a queue chosen, Configure can act on it.
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(main, lntc::mainctl::Configure)));
            press(main, VK_DOWN);
            for (int i = 0; i < 100 && !IsWindowEnabled(GetDlgItem(main, lntc::mainctl::Configure));
                 ++i)
                Sleep(100);
            press(main, VK_RETURN);
            HWND printer = windowOf(run, L"HP LaserJet 4M Plus Printer Configuration");
            ASSERT_NE(printer, nullptr) << "Enter did not open the queue's configuration";
            EXPECT_FALSE(IsWindowEnabled(main)) << "the sub-dialog is modal";
            press(printer, VK_ESCAPE);
            for (int i = 0; i < 100 && IsWindow(printer); ++i)
                Sleep(100);
            EXPECT_TRUE(IsWindowEnabled(main));
            press(main, VK_ESCAPE);
        }
        EXPECT_EQ(ended(run), ok ? 0u : 1u);
    }
}

} // namespace
