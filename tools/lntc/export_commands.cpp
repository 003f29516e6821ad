// Commands that go through the library's exports, as every product process does.
#include "commands.h"
#include "common/admin_text.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#ifdef _WIN32
#include <thread>
#include <windows.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace tool {

std::string statusText(uint32_t status) {
    LNTC_AdminText text{};
    if (LNTC_AdminStatusText(LNTC_ADMIN_VERSION, status, &text) == 0) return take(text);
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", status);
    return buf;
}

bool configUsable(uint32_t status, const ServerConfig* config) {
    if (config == nullptr) {
        std::fprintf(stderr, "lntc: configuration: %s\n", statusText(status).c_str());
        return false;
    }
    if (status != 0)
        std::fprintf(stderr,
                     "lntc: warning: %s: the configuration was filled without the ODR's "
                     "system defaults\n",
                     statusText(status).c_str());
    return true;
}

namespace {

bool attach(const ServerConfig** config) {
    startLibrary();
    uint32_t status = LNTC_GetConfig(config, LNTC_CONFIG_VERSION);
    return configUsable(status, *config);
}

} // namespace

int cmdShow(const Args& args) {
    bool json = false;
    for (const auto& a : args) {
        if (a == "--json")
            json = true;
        else
            return usageError("show takes only --json");
    }
    startLibrary();
    sayMachineRoot(json);
    const ServerConfig* config = nullptr;
    const uint32_t status = LNTC_GetConfig(&config, LNTC_CONFIG_VERSION);
    if (!configUsable(status, config)) return 1;
    // The same forms as queue show and dump: keywords, trays, none, times with their zone.
    LNTC_AdminText text{}, why{};
    const uint32_t rc = LNTC_AdminDocument(LNTC_ADMIN_VERSION,
                                           LNTC_ADMIN_DOC_SHOW | (json ? 0 : LNTC_ADMIN_DOC_YAML),
                                           nullptr, &text, &why);
    const std::string out = take(text);
    const std::string reason = take(why);
    if (rc != 0) {
        std::fprintf(stderr, "lntc: configuration: %s\n",
                     (reason.empty() ? statusText(rc) : reason).c_str());
        return 1;
    }
    std::fputs(out.c_str(), stdout);
    return 0;
}

int cmdRetain(const Args& args) {
    if (args.size() != 2 || (args[1] != "0" && args[1] != "1")) return usageError();
    const ServerConfig* config = nullptr;
    if (!attach(&config)) return 1;
    uint32_t status = LNTC_RetainFiles(args[0].c_str(), args[1] == "1" ? 1 : 0);
    if (status != 0) {
        std::fprintf(stderr, "lntc: queue %s: %s\n", quote(args[0]).c_str(),
                     statusText(status).c_str());
        return 1;
    }
    const QueueRecord* queue = nullptr;
    LNTC_GetQueue(args[0].c_str(), &queue, LNTC_QUEUE_VERSION);
    std::printf("%s: retain files %s (PrintDest %u)\n", printable(args[0]).c_str(),
                args[1] == "1" ? "on" : "off", queue ? queue->PrintDest : 0u);
    // The flag is in the shared records only: they go with the last process that holds them.
    int32_t held = 1;
    LNTC_AdminHeldElsewhere(LNTC_ADMIN_VERSION, &held);
    if (held == 0) {
        std::fprintf(stderr,
                     "lntc: no other process holds the configuration: the change ends with this "
                     "command (the flag lives only as long as the shared records)\n");
        return 1;
    }
    return 0;
}

// Answers through the exit status too: 0 it does, 1 it does not, 2 bad usage, 3 no answer.
int cmdPostScript(const Args& args) {
    constexpr int kNoAnswer = 3;
    if (args.size() != 1) return usageError();
    const ServerConfig* config = nullptr;
    if (!attach(&config)) return kNoAnswer;
    const QueueRecord* queue = nullptr;
    if (LNTC_GetQueue(args[0].c_str(), &queue, LNTC_QUEUE_VERSION) != 0) {
        std::fprintf(stderr, "lntc: no queue named %s\n", quote(args[0]).c_str());
        return kNoAnswer;
    }
    uint32_t flags = LNTC_IsPostScriptPrinter(args[0].c_str());
    std::printf("%s: %s (%u)\n", printable(args[0]).c_str(),
                flags ? "PostScript" : "not PostScript", flags);
    return flags != 0 ? 0 : 1;
}

int cmdKanjiFonts(const Args& args) {
    bool clear = false;
    for (const auto& a : args) {
        if (a == "--clear")
            clear = true;
        else
            return usageError();
    }
    startLibrary();
    std::printf("%u\n", LNTC_NeedKanjiDiskFonts(clear ? 1 : 0));
    // The export answers the value whether or not the deletion worked: ask again.
    if (!clear || LNTC_NeedKanjiDiskFonts(0) == 0) return 0;
    LNTC_AdminText text{};
    LNTC_AdminRegistryWritable(LNTC_ADMIN_VERSION, &text);
    std::string why = take(text);
    if (why.empty()) why = "it could not be deleted (see the error log)";
    std::fprintf(stderr, "lntc: NeedKanjiDiskFonts was not cleared: %s\n", why.c_str());
    return 1;
}

int cmdFind(const Args& args) {
    if (args.size() != 1) return usageError();
    startLibrary();
    uint32_t pid = LNTC_FindProcess(args[0].c_str());
    if (pid == 0) {
        std::fprintf(stderr, "lntc: no process named %s\n", quote(args[0]).c_str());
        return 1;
    }
    std::printf("%u\n", pid);
    return 0;
}

int cmdKill(const Args& args) {
    if (args.size() != 1) return usageError();
    startLibrary();
    uint32_t done = LNTC_KillProcess(args[0].c_str());
    if (done == 0) {
        std::fprintf(stderr, "lntc: no process named %s was stopped\n", quote(args[0]).c_str());
        return 1;
    }
    std::printf("%u\n", done);
    return 0;
}

#ifdef _WIN32
namespace {
// Set when standard input ends or the console asks the program to stop (Ctrl+C, Ctrl+Break,
// the window closed): the console's control events stand for the signals.
HANDLE g_released = nullptr;
BOOL WINAPI onControl(DWORD) {
    SetEvent(g_released);
    return TRUE;
}
} // namespace
#else
namespace {
volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) {
    g_stop = 1;
}
} // namespace
#endif

int cmdHold(const Args& args) {
    if (!args.empty()) return usageError("hold takes no arguments");
    const ServerConfig* config = nullptr;
    if (!attach(&config)) return 1;
#ifdef _WIN32
    g_released = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (g_released == nullptr) {
        std::fprintf(stderr, "lntc: hold: cannot wait (error %lu)\n", GetLastError());
        return 1;
    }
    SetConsoleCtrlHandler(onControl, TRUE);
#else
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &sa, nullptr);
#endif
    std::printf("holding (%u queues); close input or send a signal to release\n",
                config->QueueCount);
    std::fflush(stdout);
#ifdef _WIN32
    // A pipe cannot be waited on with the event: a reader of its own, left to the process's end.
    std::thread([] {
        char buf[256];
        DWORD n = 0;
        const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
        while (ReadFile(in, buf, sizeof buf, &n, nullptr) && n > 0) {
        }
        SetEvent(g_released);
    }).detach();
    WaitForSingleObject(g_released, INFINITE);
#else
    char buf[256];
    while (!g_stop) {
        pollfd p{STDIN_FILENO, POLLIN, 0};
        int r = poll(&p, 1, 500);
        if (r < 0) continue; // interrupted: the flag decides
        if (r > 0) {
            ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
            if (n <= 0) break;
        }
    }
#endif
    return 0;
}

} // namespace tool
