// Many product processes at once on one demo installation: short-lived readers through the C
// interface, `lntc show --json`, `lntc retain`, `lntc reg import` and long-lived holders, for
// a while. Counts what a process must never see: an empty queue table beside a non-zero
// count, a record torn between two imports, a failure status where success is due.
//
//   config_stress [--processes N] [--seconds T]      (defaults: 8 processes, 60 s)
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "lntc/lntc.h"

namespace {

enum Fault : int { BadStatus = 1, EmptyTable = 2, TornRecord = 4 };

const std::string kBin = LNTC_BIN_DIR;
const std::string kLib = LNTC_LIB_DIR;
const char* const kQueueKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quendal\\PrintServer\\CurrentVersion\\Queues\\";

struct Result {
    int status = -1; // exit code, or 128 + signal
    std::string out;
};

// Runs a program with stdin from input (closed at once when empty) and collects its output.
Result run(const std::vector<std::string>& argv, const std::string& input = "",
           int holdMs = 0) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return {};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        int devnull = ::open("/dev/null", O_WRONLY);
        if (devnull >= 0) dup2(devnull, 2);
        close(in[0]);
        close(in[1]);
        close(out[0]);
        close(out[1]);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    if (!input.empty()) (void)!write(in[1], input.data(), input.size());
    if (holdMs > 0) usleep(static_cast<useconds_t>(holdMs) * 1000);
    close(in[1]);
    Result r;
    char buf[4096];
    ssize_t n;
    while ((n = read(out[0], buf, sizeof buf)) > 0)
        r.out.append(buf, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

// A product process: loads the library, reads everything through the exports, and exits
// through the library's unload like any program.
int reader() {
    void* lib = dlopen((kLib + "/liblntc.so").c_str(), RTLD_NOW);
    if (lib == nullptr) return BadStatus;
    auto getConfig = reinterpret_cast<decltype(&LNTC_GetConfig)>(dlsym(lib, "LNTC_GetConfig"));
    auto getName = reinterpret_cast<decltype(&LNTC_GetQueueName)>(dlsym(lib, "LNTC_GetQueueName"));
    auto getQueue = reinterpret_cast<decltype(&LNTC_GetQueue)>(dlsym(lib, "LNTC_GetQueue"));
    const ServerConfig* config = nullptr;
    if (getConfig(&config, LNTC_CONFIG_VERSION) != 0) return BadStatus;
    int faults = 0, found = 0;
    for (int i = 0; i < LNTC_MAX_QUEUES; ++i) {
        const char* name = nullptr;
        if (getName(i, &name) != 0) continue;
        ++found;
        const QueueRecord* q = nullptr;
        if (getQueue(name, &q, LNTC_QUEUE_VERSION) != 0)
            faults |= BadStatus;
        else if (std::strcmp(q->Description, q->DeviceName) != 0)
            faults |= TornRecord;
    }
    if (config->QueueCount == 0 || found != config->QueueCount) faults |= EmptyTable;
    return faults;
}

int checkShow(const Result& r) {
    if (r.status != 0) return BadStatus;
    auto doc = nlohmann::json::parse(r.out, nullptr, false);
    if (doc.is_discarded() || doc.value("status", -1) != 0) return BadStatus;
    int faults = 0;
    const auto& queues = doc["queues"];
    if (doc["ServerConfig"].value("QueueCount", 0) == 0 || queues.empty()) faults |= EmptyTable;
    for (const auto& q : queues)
        if (q.value("Description", "") != q.value("DeviceName", "")) faults |= TornRecord;
    return faults;
}

// Every queue's Description and DeviceName set to one generation's mark, in one file.
std::string importFile(const std::string& dir, const std::vector<std::string>& queues,
                       unsigned generation, int worker) {
    std::string path = dir + "/gen-" + std::to_string(worker) + ".reg";
    std::ofstream f(path, std::ios::trunc);
    f << "REGEDIT4\n\n";
    for (const auto& q : queues) {
        std::string mark = "gen " + std::to_string(worker) + "." + std::to_string(generation);
        f << "[" << kQueueKey << q << "]\n\"Description\"=\"" << mark << "\"\n\"DeviceName\"=\""
          << mark << "\"\n\n";
    }
    return path;
}

struct Tally {
    long actions = 0;
    long faults[3] = {0, 0, 0}; // bad status, empty table, torn record
    void add(int f) {
        ++actions;
        for (int bit = 0; bit < 3; ++bit)
            if (f & (1 << bit)) ++faults[bit];
    }
};

Tally work(int worker, double seconds, const std::string& dir,
           const std::vector<std::string>& queues, const std::string& self) {
    std::mt19937 random(static_cast<unsigned>(getpid()));
    const std::string lntc = kBin + "/lntc";
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    Tally tally;
    unsigned generation = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        int pick = static_cast<int>(random() % 100);
        if (pick < 40) {
            Result r = run({self, "--reader"});
            tally.add(r.status > 7 ? BadStatus : r.status);
        } else if (pick < 60) {
            tally.add(checkShow(run({lntc, "show", "--json"})));
        } else if (pick < 75) {
            const std::string& q = queues[random() % queues.size()];
            Result r = run({lntc, "retain", q, random() % 2 ? "1" : "0"});
            tally.add(r.status == 0 ? 0 : BadStatus);
        } else if (pick < 88) {
            std::string file = importFile(dir, queues, ++generation, worker);
            tally.add(run({lntc, "reg", "import", file}).status == 0 ? 0 : BadStatus);
        } else {
            Result r = run({lntc, "hold"}, "", 20 + static_cast<int>(random() % 300));
            tally.add(r.status == 0 ? 0 : BadStatus);
        }
    }
    return tally;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--reader") == 0) return reader();
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
    std::string self = std::filesystem::canonical("/proc/self/exe").string();

    char templ[] = "/tmp/lntc-stress-XXXXXX";
    if (mkdtemp(templ) == nullptr) return 1;
    std::string root = templ;
    setenv("LNT_ROOT", root.c_str(), 1);
    setenv("LNTC_NO_GUI", "1", 1);
    if (run({kBin + "/lntc", "demo-setup"}).status != 0) {
        std::fprintf(stderr, "demo-setup failed under %s\n", root.c_str());
        return 1;
    }
    std::vector<std::string> queues;
    auto doc = nlohmann::json::parse(run({kBin + "/lntc", "show", "--json"}).out, nullptr, false);
    if (!doc.is_discarded())
        for (const auto& q : doc["queues"])
            queues.push_back(q.value("Name", ""));
    if (queues.empty()) {
        std::fprintf(stderr, "the demo installation has no queues\n");
        return 1;
    }
    // Start from records whose two marked fields agree.
    run({kBin + "/lntc", "reg", "import", importFile(root, queues, 0, 0)});

    std::vector<std::pair<pid_t, int>> workers;
    for (int w = 0; w < processes; ++w) {
        int fds[2];
        if (pipe(fds) != 0) return 1;
        pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            Tally t = work(w + 1, seconds, root, queues, self);
            (void)!write(fds[1], &t, sizeof t);
            _exit(0);
        }
        close(fds[1]);
        workers.emplace_back(pid, fds[0]);
    }
    Tally total;
    for (auto [pid, fd] : workers) {
        Tally t;
        if (read(fd, &t, sizeof t) == static_cast<ssize_t>(sizeof t)) {
            total.actions += t.actions;
            for (int i = 0; i < 3; ++i)
                total.faults[i] += t.faults[i];
        }
        close(fd);
        waitpid(pid, nullptr, 0);
    }
    std::filesystem::remove_all(root);
    long inconsistent = total.faults[0] + total.faults[1] + total.faults[2];
    std::printf("processes %d, seconds %.0f, actions %ld\n", processes, seconds, total.actions);
    std::printf("inconsistencies %ld (bad status %ld, empty queue table %ld, torn record %ld)\n",
                inconsistent, total.faults[0], total.faults[1], total.faults[2]);
    return inconsistent == 0 ? 0 : 3;
}
