// Many product processes at once on one demo installation: short-lived readers through the C
// interface, `lntc show --json`, `lntc retain`, `lntc reg import` and long-lived holders, for
// a while. Counts what a process must never see: an empty queue table beside a non-zero
// count, a record torn between two imports, a failure status where success is due.
//
//   config_stress [--processes N] [--seconds T]      (defaults: 8 processes, 60 s)
//
// With --hosts, pairs of processes instead rewrite the hosts file at the same moment, each with
// its own port name, and it counts lost changes and processes told the wrong outcome.
//
//   config_stress --hosts [--pairs N]                 (default: 50 pairs)
#include <nlohmann/json.hpp>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "connectivity/hosts_file.h"
#include "library/lifecycle.h"
#include "library/production.h"
#include "lntc/lntc.h"
#include "support/child_process.h"
#include "support/demo_files.h"
#include "support/temp_root.h"

namespace {

enum Fault : int { BadStatus = 1, EmptyTable = 2, TornRecord = 4 };

using lntc::test::runProgram;

const std::string kLntc = LNTC_BIN_DIR "/lntc";
const char* const kQueueKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quendal\\PrintServer\\CurrentVersion\\Queues\\";

// A product process: loads the library, reads everything through the exports, and exits
// through the library's unload like any program.
int reader() {
    void* lib = dlopen(LNTC_LIB_DIR "/liblntc.so", RTLD_NOW);
    if (lib == nullptr) return BadStatus;
    auto getConfig = reinterpret_cast<decltype(&LNTC_GetConfig)>(dlsym(lib, "LNTC_GetConfig"));
    auto getName = reinterpret_cast<decltype(&LNTC_GetQueueName)>(dlsym(lib, "LNTC_GetQueueName"));
    auto getQueue = reinterpret_cast<decltype(&LNTC_GetQueue)>(dlsym(lib, "LNTC_GetQueue"));
    const ServerConfig* config = nullptr;
    if (getConfig(&config, LNTC_CONFIG_VERSION) != 0) return BadStatus;
    int faults = 0, found = 0;
    for (int i = 0; i < LNTC_MAX_QUEUES; ++i) {
        const char* name = nullptr;
        const QueueRecord* q = nullptr;
        if (getName(i, &name) != 0) continue;
        ++found;
        if (getQueue(name, &q, LNTC_QUEUE_VERSION) != 0)
            faults |= BadStatus;
        else if (std::strcmp(q->Description, q->DeviceName) != 0)
            faults |= TornRecord;
    }
    if (config->QueueCount == 0 || found != config->QueueCount) faults |= EmptyTable;
    return faults;
}

int checkShow(const lntc::test::RunResult& r) {
    auto doc = nlohmann::json::parse(r.out, nullptr, false);
    if (r.exitCode != 0 || doc.is_discarded() || doc.value("status", -1) != 0) return BadStatus;
    int faults =
        doc["ServerConfig"].value("QueueCount", 0) == 0 || doc["queues"].empty() ? EmptyTable : 0;
    for (const auto& q : doc["queues"])
        if (q.value("Description", "") != q.value("DeviceName", "")) faults |= TornRecord;
    return faults;
}

// Every queue's Description and DeviceName set to one generation's mark, in one file.
std::string importFile(const std::string& dir, const std::vector<std::string>& queues,
                       const std::string& mark) {
    std::string path = dir + "/gen-" + std::to_string(getpid()) + ".reg";
    std::ofstream f(path, std::ios::trunc);
    f << "REGEDIT4\n\n";
    for (const auto& q : queues)
        f << "[" << kQueueKey << q << "]\n\"Description\"=\"" << mark << "\"\n\"DeviceName\"=\""
          << mark << "\"\n\n";
    return path;
}

// Actions and, per fault kind, the actions that met it.
using Tally = std::array<long, 4>;

Tally work(double seconds, const std::string& dir, const std::vector<std::string>& queues,
           const std::string& self) {
    std::mt19937 random(static_cast<unsigned>(getpid()));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    auto status = [](std::vector<std::string> args) {
        return runProgram(kLntc, args, {}).exitCode ? BadStatus : 0;
    };
    Tally tally{};
    for (unsigned generation = 0; std::chrono::steady_clock::now() < deadline; ++tally[0]) {
        const std::string queue = queues[random() % queues.size()];
        int pick = static_cast<int>(random() % 100), faults = 0;
        if (pick < 40) {
            int rc = runProgram(self, {"--reader"}, {}).exitCode;
            faults = rc > 7 ? BadStatus : rc;
        } else if (pick < 60) {
            faults = checkShow(runProgram(kLntc, {"show", "--json"}, {}));
        } else if (pick < 75) {
            faults = status({"retain", queue, std::to_string(random() % 2)});
        } else if (pick < 88) {
            std::string mark =
                "gen " + std::to_string(getpid()) + "." + std::to_string(++generation);
            faults = status({"reg", "import", importFile(dir, queues, mark)});
        } else { // a holder for a moment: its input stays open until then
            FILE* hold = popen(("'" + kLntc + "' hold >/dev/null 2>&1").c_str(), "w");
            usleep(static_cast<useconds_t>(20 + random() % 300) * 1000);
            faults = hold == nullptr || pclose(hold) != 0;
        }
        for (int bit = 0; bit < 3; ++bit)
            tally[bit + 1] += faults >> bit & 1;
    }
    return tally;
}

// One TCP Direct configuration's rewrite in a process of its own, started when `go` is readable;
// its exit code says whether it was told of success.
pid_t rewriter(const std::string& root, int go, const std::string& address,
               const std::string& name) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    char c = 0;
    if (read(go, &c, 1) != 1) _exit(2);
    lntc::ProductionLibrary production(root);
    lntc::Library& lib = production.library();
    lntc::LoadLibrary(lib);
    const uint32_t status = lntc::UpdateHostsFile(lib.services(), nullptr, address, name);
    lntc::UnloadLibrary(lib);
    _exit(status == 0 ? 0 : 1);
}

int hostsStress(int pairs) {
    const lntc::test::TempRoot temp;
    setenv("LNTC_NO_GUI", "1", 1);
    const std::string etc = temp.path() + "/drive_c/WINDOWS/system32/drivers/etc";
    std::filesystem::create_directories(etc);
    std::ofstream(etc + "/hosts") << "127.0.0.1 localhost\n";
    long lost = 0, wrong = 0;
    for (int pair = 0; pair < pairs; ++pair) {
        int go[2];
        if (pipe(go) != 0) return 1;
        std::array<std::string, 2> names, addresses;
        std::array<pid_t, 2> pids{};
        for (int i = 0; i < 2; ++i) {
            names[i] = "PAIR" + std::to_string(pair) + "_" + std::to_string(i);
            addresses[i] = "10." + std::to_string(i) + "." + std::to_string(pair / 256) + "." +
                           std::to_string(pair % 256);
            pids[i] = rewriter(temp.path(), go[0], addresses[i], names[i]);
        }
        close(go[0]);
        if (write(go[1], "gg", 2) != 2) return 1; // both at once
        close(go[1]);
        std::array<int, 2> status{};
        for (int i = 0; i < 2; ++i)
            waitpid(pids[i], &status[i], 0);
        const std::string hosts = lntc::test::readTextFile(etc + "/hosts");
        for (int i = 0; i < 2; ++i) {
            const bool landed =
                hosts.find("\n" + addresses[i] + "\t" + names[i] + "\n") != std::string::npos;
            const bool told = WIFEXITED(status[i]) && WEXITSTATUS(status[i]) == 0;
            lost += !landed;
            wrong += landed != told;
        }
    }
    std::printf("pairs %d, rewrites %d\n", pairs, 2 * pairs);
    std::printf("lost changes %ld, processes told the wrong outcome %ld\n", lost, wrong);
    return lost == 0 && wrong == 0 ? 0 : 3;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--reader") == 0) return reader();
    if (argc > 1 && std::strcmp(argv[1], "--hosts") == 0) {
        int pairs = argc > 3 && std::strcmp(argv[2], "--pairs") == 0 ? std::atoi(argv[3]) : 50;
        if (pairs < 1) {
            std::fprintf(stderr, "usage: %s --hosts [--pairs N]\n", argv[0]);
            return 2;
        }
        return hostsStress(pairs);
    }
    int processes = 8;
    double seconds = 60;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--processes") == 0) processes = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[i + 1]);
    }
    if (processes < 1 || seconds <= 0) {
        std::fprintf(stderr, "usage: %s [--processes N] [--seconds T]\n", argv[0]);
        return 2;
    }
    const lntc::test::TempRoot temp; // the workers leave with _exit: it goes with this process
    const std::string self = std::filesystem::canonical("/proc/self/exe").string(),
                      root = temp.path();
    setenv("LNT_ROOT", root.c_str(), 1);
    setenv("LNTC_NO_GUI", "1", 1);
    runProgram(kLntc, {"demo-setup"}, {});
    std::vector<std::string> queues;
    auto doc = nlohmann::json::parse(runProgram(kLntc, {"show", "--json"}, {}).out, nullptr, false);
    for (const auto& q : doc.is_discarded() ? nlohmann::json::array() : doc["queues"])
        queues.push_back(q.value("Name", ""));
    if (queues.empty()) {
        std::fprintf(stderr, "no demo installation with queues under %s\n", root.c_str());
        return 1;
    }
    // Start from records whose two marked fields agree.
    runProgram(kLntc, {"reg", "import", importFile(root, queues, "gen 0")}, {});

    // The workers add their tallies into memory shared with this process.
    auto* shared = static_cast<Tally*>(
        mmap(nullptr, sizeof(Tally), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    if (shared == MAP_FAILED) return 1;
    *shared = Tally{};
    for (int w = 0; w < processes; ++w) {
        if (fork() == 0) {
            Tally t = work(seconds, root, queues, self);
            for (size_t i = 0; i < t.size(); ++i)
                __atomic_add_fetch(&(*shared)[i], t[i], __ATOMIC_SEQ_CST);
            _exit(0);
        }
    }
    while (wait(nullptr) > 0)
        ;
    const Tally total = *shared;
    long inconsistent = total[1] + total[2] + total[3];
    std::printf("processes %d, seconds %.0f, actions %ld\n", processes, seconds, total[0]);
    std::printf("inconsistencies %ld (bad status %ld, empty queue table %ld, torn record %ld)\n",
                inconsistent, total[1], total[2], total[3]);
    return inconsistent == 0 ? 0 : 3;
}
