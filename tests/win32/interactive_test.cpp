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

// The library freed by another thread than the one its logo was shown by, as a product's process
// may: the logo goes at that thread's next message, and nothing of the freed library is called.
TEST(LntcDll, ALogoShownByAnotherThreadGoesWhenTheLibraryIsFreed) {
    SetEnvironmentVariableW(L"LNT_ROOT", L"C:\\lntc-unload-test");
    static HMODULE library = LoadLibraryW((std::wstring(LNTC_BIN_DIR) + L"\\lntc.dll").c_str());
    ASSERT_NE(library, nullptr);
    static HANDLE freed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // Starts the library (a version no library has: it answers, and shows the logo first), then
    // serves its windows until a second after the library is freed.
    HANDLE shower = CreateThread(
        nullptr, 0,
        [](void*) -> DWORD {
            using GetConfig = uint32_t (*)(const void**, uint32_t);
            const void* config = nullptr;
            reinterpret_cast<GetConfig>(GetProcAddress(library, "LNTC_GetConfig"))(&config, 0);
            for (DWORD until = 0; until == 0 || GetTickCount() < until; Sleep(10)) {
                MSG m;
                while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageW(&m);
                if (until == 0 && WaitForSingleObject(freed, 0) == WAIT_OBJECT_0)
                    until = GetTickCount() + 1000;
            }
            return 0;
        },
        nullptr, 0, nullptr);
    HWND logo = nullptr;
    for (int i = 0; i < 100 && (logo = FindWindowW(L"lnt_logo", nullptr)) == nullptr; ++i)
        Sleep(100);
    ASSERT_NE(logo, nullptr) << "no logo was shown";
    FreeLibrary(library);
    SetEvent(freed);
    // Gone while its thread still runs (its end would take the window with it).
    bool gone = false;
    for (int i = 0; i < 50 && !(gone = !IsWindow(logo)); ++i)
        Sleep(10);
    EXPECT_TRUE(gone && WaitForSingleObject(shower, 0) == WAIT_TIMEOUT);
    ASSERT_EQ(WaitForSingleObject(shower, 10000), WAIT_OBJECT_0);
    CloseHandle(shower);
}

} // namespace
