// The Windows backends of processes, spooler, services, modules and windows, against what Wine
// gives; the test runs itself as the second process.
#include "platform/win32/text.h"
#include "platform/win32/win32_environment.h"
#include "platform/win32/win32_modules.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_sections.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_spooler.h"
#include "platform/win32/win32_windows.h"
#include "second_process.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

using namespace lntc;
using namespace std::chrono_literals;

namespace {

const std::string kRoot = "C:\\lntc-backends-test";
Win32Sections names(kRoot);
HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, names.objectName("ready").c_str());
HANDLE release = CreateEventW(nullptr, TRUE, FALSE, names.objectName("release").c_str());

// This program as the holder of a window record, once it holds it.
PROCESS_INFORMATION spawn(const std::wstring& role) {
    PROCESS_INFORMATION pi{};
    pi.hProcess = test::startSelf(role, ready, release);
    if (pi.hProcess != nullptr) pi.dwProcessId = GetProcessId(pi.hProcess);
    return pi;
}

TEST(Win32Backends, ProcessesAreListedByNameAndEnded) {
    PROCESS_INFORMATION child = spawn(L"window");
    ASSERT_NE(child.hProcess, nullptr);
    Win32Processes processes;
    std::vector<ProcessEntry> list;
    ASSERT_EQ(processes.list(list), 0u);
    std::vector<uint32_t> ours, all;
    for (const ProcessEntry& e : list) {
        all.push_back(e.pid);
        if (e.imageName == "win32_backends_tests") ours.push_back(e.pid);
    }
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    std::vector<uint32_t> expected{GetCurrentProcessId(), child.dwProcessId};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ours, expected) << "named without folder and extension";
    EXPECT_TRUE(processes.terminate(child.dwProcessId));
    DWORD code = 0;
    ASSERT_EQ(WaitForSingleObject(child.hProcess, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeProcess(child.hProcess, &code) && code == 1);
    CloseHandle(child.hProcess);
    for (uint32_t gone : {0u, static_cast<uint32_t>(child.dwProcessId)})
        EXPECT_FALSE(processes.terminate(gone)) << gone;
}

// Wine keeps the printers it is given in the registry and lists them, but opens none it did not
// find in CUPS; they are removed by their keys.
void removePrinters() {
    for (const wchar_t* name : {L"lntc b", L"LNTC C"})
        RegDeleteTreeW(
            HKEY_LOCAL_MACHINE,
            (L"System\\CurrentControlSet\\Control\\Print\\Printers\\" + std::wstring(name))
                .c_str());
}

void addPrinters() {
    wchar_t ppd[MAX_PATH + 16];
    GetTempPathW(MAX_PATH, ppd);
    wcscat(ppd, L"lntc.ppd");
    std::FILE* f = _wfopen(ppd, L"w");
    std::fputs("*PPD-Adobe: \"4.3\"\n", f), std::fclose(f);
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(L"LNTC Driver");
    driver.pDriverPath = driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDataFile = ppd;
    AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES);
    for (auto [name, comment] : {std::pair{L"lntc b", L"Second floor"}, {L"LNTC C", nullptr}}) {
        PRINTER_INFO_2W printer{};
        printer.pPrinterName = const_cast<wchar_t*>(name);
        printer.pPortName = const_cast<wchar_t*>(L"FILE:");
        printer.pDriverName = driver.pName;
        printer.pComment = const_cast<wchar_t*>(comment);
        printer.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
        AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
    }
}

TEST(Win32Backends, WinesSpoolerListsPortsAndPrinters) {
    removePrinters();
    Win32Spooler spooler;
    size_t bytes = 1;
    std::vector<SpoolerPrinter> printers{{"stale", ""}};
    EXPECT_TRUE(spooler.printersSize(bytes) == 0 && bytes == 0);
    EXPECT_TRUE(spooler.printers(printers) == 0 && printers.empty());
    addPrinters();
    EXPECT_TRUE(spooler.printersSize(bytes) == 0 && bytes == 156)
        << bytes << ", as Wine asks for the two";
    EXPECT_EQ(spooler.printers(printers), 0u);
    std::vector<std::pair<std::string, std::string>> listed;
    for (const SpoolerPrinter& p : printers)
        listed.emplace_back(p.name, p.comment);
    EXPECT_EQ(listed, (decltype(listed){{"lntc b", "Second floor"}, {"LNTC C", ""}}));
    for (const char* name : {"", "No Such Printer", "FILE:", "\\\\server", "x,Job 1", "lntc b"})
        EXPECT_EQ(spooler.openPrinter(name), 2u) << name;
    removePrinters();
    std::vector<std::string> ports;
    EXPECT_EQ(spooler.ports(ports), 0u);
    EXPECT_EQ(ports, (std::vector<std::string>{
                         "COM1:", "COM2:", "COM3:", "COM4:", "FILE:", "LPT1:", "LPT2:", "LPT3:"}));
    EXPECT_TRUE(spooler.portsSize(bytes) == 0 && bytes == 160u) << bytes << ": 8 pointers, names";
}

// A printer of a real CUPS server, which Wine shows as one of the system's (cups_test.sh starts
// the server, adds the printer and names it here): listed with its description, and opened.
TEST(Win32Backends, APrinterOfCupsIsListedAndOpens) {
    const char* name = std::getenv("LNTC_CUPS_PRINTER");
    if (name == nullptr) GTEST_SKIP() << "no CUPS server was started for this run";
    Win32Spooler spooler;
    std::vector<SpoolerPrinter> printers;
    ASSERT_EQ(spooler.printers(printers), 0u);
    std::vector<std::pair<std::string, std::string>> listed;
    for (const SpoolerPrinter& p : printers)
        listed.emplace_back(p.name, p.comment);
    EXPECT_EQ(listed, (decltype(listed){{name, "Third floor"}}));
    EXPECT_EQ(spooler.openPrinter(name), 0u);
    EXPECT_EQ(spooler.openPrinter(std::string(name) + "_gone"), 2u);
}

// Up to four calls left hanging; while four are, a spooler that hangs is not asked again: the
// next call answers 258 at once without being made. Once they end, calls are made again.
TEST(Win32Backends, ASpoolerCallThatHangsTimesOutAndItsLateAnswerIsDropped) {
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto ended = std::make_shared<std::atomic<int>>(0);
    auto hang = [go, ended] {
        const DWORD r = WaitForSingleObject(go, 10000);
        ++*ended;
        return static_cast<uint32_t>(r);
    };
    std::atomic<bool> made = false;
    auto quick = [&made] {
        made = true;
        return 7u;
    };
    for (int stranded = 0; stranded < 4; ++stranded) {
        EXPECT_EQ(win32::callWithin(quick, 5s), 7u) << stranded << " left hanging";
        EXPECT_EQ(win32::callWithin(hang, 50ms), 258u) << stranded;
    }
    made = false;
    EXPECT_EQ(win32::callWithin(quick, 5s), 258u) << "four left hanging";
    EXPECT_FALSE(made);
    SetEvent(go);
    for (int i = 0; i < 500 && *ended < 4; ++i)
        Sleep(10);
    EXPECT_EQ(*ended, 4) << "the stranded calls ran to their end";
    // Their count goes down as each thread's last step, just after it says it ended.
    uint32_t again = 0;
    for (int i = 0; i < 100 && (again = win32::callWithin(quick, 5s)) != 7u; ++i)
        Sleep(10);
    EXPECT_EQ(again, 7u);
    CloseHandle(go);
}

TEST(Win32Backends, ServicesResolveAndNamePorts) {
    Win32Services services;
    for (auto [name, code, address] : {std::tuple{std::string("localhost"), 0u, "127.0.0.1"},
                                       {"127.0.0.1", 0u, "127.0.0.1"},
                                       {"no-such-host.invalid", 11001u, ""},
                                       {"", 11001u, ""},
                                       {std::string("localhost\0.invalid", 18), 11001u, ""}}) {
        std::string got;
        EXPECT_TRUE(services.resolveHost(name, got) == code && got == address) << name << got;
    }
    for (auto [name, port] : {std::pair{"http", std::optional<uint16_t>(80)},
                              {"FTP", 21},
                              {"no-such-lintora-service", std::nullopt},
                              {"", std::nullopt}})
        EXPECT_EQ(services.servicePort(name), port) << name;
    bool present = true;
    EXPECT_TRUE(services.queryTcpip(present) == 0 && !present) << "Wine's manager has no Tcpip";
}

struct FixedPath : Win32Environment {
    std::string path;
    std::string modulePath() const override { return path; }
};

TEST(Win32Backends, ModulesLoadFromTheirPathAndStayWhenAsked) {
    FixedPath env;
    Win32Modules modules(env);
    const std::string self = Win32Environment().modulePath();
    const std::string dir = self.substr(0, self.rfind('\\')), dll = dir + "\\lntc_test_module.dll";
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::string junk = win32::textFromWide(temp) + "lntc-not-a-module.dll";
    std::FILE* f = _wfopen(win32::wideFromText(junk).c_str(), L"w");
    ASSERT_TRUE(f && std::fputs("MZ but no more", f) >= 0 && std::fclose(f) == 0);
    for (auto [path, code] :
         {std::pair{dir + "\\no-such-module.dll", 2u}, {junk, 193u}, {dir, 193u}}) {
        uint32_t error = 0;
        std::string why;
        EXPECT_EQ(modules.load(path, false, error, &why), nullptr);
        EXPECT_EQ(error, code) << path;
        EXPECT_TRUE(why.find(path) != std::string::npos && why.find("%1") == std::string::npos)
            << why;
    }
    uint32_t error = 1;
    for (bool stay : {false, true}) {
        auto module = modules.load(dll, stay, error);
        ASSERT_TRUE(module && error == 0);
        auto answer = reinterpret_cast<int (*)()>(module->symbol("lntc_test_answer"));
        EXPECT_TRUE(answer && answer() == 42 && module->symbol("lntc_no_such_symbol") == nullptr);
        EXPECT_TRUE(modules.isLoaded("LNTC_TEST_MODULE.dll"));
        module.reset();
        EXPECT_EQ(modules.isLoaded("lntc_test_module.dll"), stay);
    }
    const std::string lib = win32::textFromWide(temp) + "lntc-lib";
    RemoveDirectoryW(win32::wideFromText(lib + "\\lntc-2").c_str());
    CreateDirectoryW(win32::wideFromText(lib).c_str(), 0);
    env.path = lib + "\\liblntc.dll";
    EXPECT_EQ(modules.systemFolder(), lib);
    CreateDirectoryW(win32::wideFromText(lib + "\\lntc-2").c_str(), 0);
    EXPECT_EQ(modules.systemFolder(), lib + "\\lntc-2") << "an installed library's own folder";
}

TEST(Win32Backends, WindowsAreFoundOnScreenAndInTheRecordsOfLiveProcesses) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"LntcProbeClass";
    ASSERT_NE(RegisterClassW(&wc), 0);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"Lntc Probe Window", WS_OVERLAPPED, 0, 0,
                                  10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    Win32TopWindows windows(kRoot);
    TopWindows::Handle mine = 0;
    ASSERT_EQ(windows.registerWindow("Script Host", "LntcScript", mine), 0u);
    PROCESS_INFORMATION child = spawn(L"window");
    ASSERT_NE(child.hProcess, nullptr);
    for (auto [title, klass, found] : {std::tuple{"lntc probe WINDOW", "LNTCPROBECLASS", true},
                                       {"script host", "LNTCSCRIPT", true},
                                       {"Child Host", "ChildClass", true},
                                       {"Lntc Probe", "LntcProbe", false}}) {
        EXPECT_EQ(windows.existsWithTitle(title), found) << title;
        EXPECT_EQ(windows.existsWithClass(klass), found) << klass;
    }
    EXPECT_FALSE(Win32TopWindows("C:\\other-root").existsWithTitle("Script Host"));
    SetEvent(release);
    ASSERT_EQ(WaitForSingleObject(child.hProcess, 20000), WAIT_OBJECT_0);
    EXPECT_FALSE(windows.existsWithTitle("Child Host")) << "its process died with the record";
    CloseHandle(child.hProcess);
    windows.unregister(mine);
    EXPECT_FALSE(windows.existsWithTitle("Script Host"));
    DestroyWindow(window);
    for (auto [title, klass, code] : {std::tuple{512, 256, 0u}, {513, 1, 87u}, {1, 257, 87u}})
        EXPECT_EQ(windows.registerWindow(std::string(title, 't'), std::string(klass, 'c'), mine),
                  code)
            << title << " " << klass;
    uint32_t recorded = 1;
    while (windows.registerWindow("More", "More", mine) == 0)
        ++recorded;
    EXPECT_EQ(recorded, 128u) << "the table's slots, the dead child's taken again";
    EXPECT_EQ(windows.registerWindow("More", "More", mine), 8u);
}

} // namespace

int main(int argc, char** argv) {
    const std::string role = argc == 2 ? argv[1] : "";
    if (role == "window") {
        Win32TopWindows windows(kRoot);
        TopWindows::Handle handle = 0;
        if (windows.registerWindow("Child Host", "ChildClass", handle) != 0) return 2;
        SetEvent(ready);
        WaitForSingleObject(release, 20000);
        ExitProcess(0); // the record is left behind
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
