// What the print server pays to read its configuration, and what filling and saving cost,
// over the real backends under a temporary machine root; and what the hosts file costs.
#include "connectivity/connectivity_dialogs.h"
#include "connectivity/hosts_file.h"
#include "library/accessors.h"
#include "library/lifecycle.h"
#include "library/production.h"
#include "platform/posix/sqlite_registry.h"
#include "resources/ids.h"
#include "store/fields.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "store/shared_records.h"
#include "support/demo_files.h"
#include "support/temp_root.h"
#include "ui/headless_host.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using namespace lntc;

namespace {

std::string queueName(int i) {
    return "QUEUE_" + std::to_string(i);
}

// A machine root with 16 queues, each with every value the loader reads; with a hosts file of
// 100,000 lines, the port name PRN1 in the last one; and, when loaded, a library over it.
struct Installed {
    test::TempRoot temp;
    const std::string root = temp.path();
    std::unique_ptr<ProductionLibrary> production;
    Library& lib() { return production->library(); }
    explicit Installed(bool load = true, bool hostsFile = false) {
        std::filesystem::create_directories(root + "/odr");
        std::ofstream(root + "/odr/directory.json")
            << R"({"odrs": [{"domain": "Alpha", "organization": "Quendal",
                             "systemDefaults": {"release": "3.1.0", "charset": 2}}]})";
        std::string file = "REGEDIT4\n";
        for (int i = 0; i < LNTC_MAX_QUEUES; ++i) {
            file += "[HKEY_LOCAL_MACHINE\\" + std::string(kProductRootPath) + "\\Queues\\" +
                    queueName(i) + "]\n\"Printer\"=\"HP_LASERJET_4M\"\n";
            for (const Field& f : kQueueFields) {
                const bool number = f.stored == Stored::Number || f.stored == Stored::Word;
                if (f.stored != Stored::None && std::string_view(f.name) != "Printer")
                    file += "\"" + std::string(f.name) + "\"=" +
                            (number       ? "dword:1"
                             : f.keywords ? "\"" + std::string(f.keywords->words.back()) + "\""
                                          : "\"A value set, number " + std::to_string(i) + "\"") +
                            "\n";
            }
        }
        SqliteRegistry reg(root + "/registry.db");
        test::importRegText(reg, file);
        const std::string etc = root + "/drive_c/WINDOWS/system32/drivers/etc";
        std::filesystem::create_directories(etc);
        std::ofstream out(etc + "/hosts");
        for (int i = 1; hostsFile && i < 100000; ++i)
            out << "10." << i / 65536 << '.' << i / 256 % 256 << '.' << i % 256 << "\tHOST_" << i
                << (i % 10 == 0 ? " alias\n" : "\n");
        out << "10.200.0.1\tPRN1\n";
        if (!load) return;
        production = std::make_unique<ProductionLibrary>(root);
        const ServerConfig* c = nullptr;
        if (LoadLibrary(lib()) != 0) std::abort();
        GetConfig(lib(), &c, LNTC_CONFIG_VERSION);
    }
    ~Installed() {
        if (production) UnloadLibrary(lib());
    }
};

void BM_GetConfig(benchmark::State& state) {
    Installed site;
    const ServerConfig* c = nullptr;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetConfig(site.lib(), &c, LNTC_CONFIG_VERSION));
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(BM_GetConfig);

// One lookup per call, walking the 16 names in turn: the average is over all slot positions.
void BM_GetQueue16Slots(benchmark::State& state) {
    Installed site;
    std::vector<std::string> names;
    for (int i = 0; i < LNTC_MAX_QUEUES; ++i)
        names.push_back(queueName(i));
    const QueueRecord* q = nullptr;
    size_t i = 0;
    for (auto _ : state) {
        const char* name = names[i++ % names.size()].c_str();
        benchmark::DoNotOptimize(GetQueue(site.lib(), name, &q, LNTC_QUEUE_VERSION));
        benchmark::DoNotOptimize(q);
    }
}
BENCHMARK(BM_GetQueue16Slots);

// Creating the sections and filling them from a store with 16 fully populated queues.
void BM_FirstFill16Queues(benchmark::State& state) {
    Installed site(false);
    for (auto _ : state) {
        state.PauseTiming();
        {
            ProductionLibrary production(site.root);
            Library& lib = production.library();
            LoadLibrary(lib);
            state.ResumeTiming();
            uint32_t rc = InitialiseSharedConfig(lib);
            state.PauseTiming();
            if (rc != 0 || lib.records().config()->QueueCount != LNTC_MAX_QUEUES) std::abort();
            UnloadLibrary(lib); // the last holder leaves: the next round fills afresh
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstFill16Queues)->Unit(benchmark::kMillisecond);

void BM_SaveQueueRecord(benchmark::State& state) {
    Installed site;
    const QueueRecord* current = nullptr;
    GetQueue(site.lib(), queueName(7).c_str(), &current, LNTC_QUEUE_VERSION);
    QueueRecord q = *current;
    unsigned n = 0;
    for (auto _ : state) {
        setField(q.Description, "saved " + std::to_string(++n));
        if (!site.lib().records().SaveQueueRecord(q, false).ok()) std::abort();
    }
}
BENCHMARK(BM_SaveQueueRecord)->Unit(benchmark::kMillisecond);

void BM_LookupHostsName_LastOf100000(benchmark::State& state) {
    Installed site(true, true);
    std::string address;
    for (auto _ : state)
        if (!LookupHostsName(site.lib().services(), "PRN1", address)) std::abort();
}
BENCHMARK(BM_LookupHostsName_LastOf100000)->Unit(benchmark::kMillisecond);

void BM_UpdateHostsFile_LastOf100000(benchmark::State& state) {
    Installed site(true, true);
    int i = 0;
    for (auto _ : state) {
        const std::string address = "10.200.0." + std::to_string(++i % 250 + 1);
        if (UpdateHostsFile(site.lib().services(), nullptr, address, "PRN1") != 0) std::abort();
    }
}
BENCHMARK(BM_UpdateHostsFile_LastOf100000)->Unit(benchmark::kMillisecond);

// Opening TCP Direct on the hosts file of 100,000 lines: the port-name list filled (up to its
// 65,535 names) and sorted, the queue's name looked up. Goal: under 100 ms.
void BM_OpenTcpDirect_100000Lines(benchmark::State& state) {
    Installed site(true, true);
    HeadlessHost host;
    site.lib().setHost(host);
    QueueRecord q{};
    setField(q.Name, "LASER");
    setField(q.Printer, "GENERIC_POSTSCRIPT");
    setField(q.DeviceName, "PRN1");
    q.Connectivity = 1;
    q.TCP_SocketNumber = 9100;
    size_t listed = 0;
    for (auto _ : state) {
        host.script(dlg::TcpDirect)
            .then([&](const ModelWindow& w) { listed = w.at(tcpctl::PortName).items.size(); })
            .cancel();
        TcpDirectDialog(site.lib().services(), nullptr, q).doModal();
    }
    if (listed != 65535) state.SkipWithError("the port-name list is not full");
}
BENCHMARK(BM_OpenTcpDirect_100000Lines)->Unit(benchmark::kMillisecond);

// What the rewrite's turn-taking costs by itself when nobody else holds the lock.
void BM_HostsLockTakeAndLetGo(benchmark::State& state) {
    Installed site(true);
    FileLocks& locks = *site.lib().platform().locks;
    for (auto _ : state) {
        std::unique_ptr<FileLocks::Held> held;
        if (locks.acquire("hosts", std::chrono::milliseconds(0), held) != 0) std::abort();
    }
}
BENCHMARK(BM_HostsLockTakeAndLetGo)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
