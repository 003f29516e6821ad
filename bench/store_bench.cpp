// What the print server pays to read its configuration, and what filling and saving cost,
// over the real backends under a temporary machine root; and what the hosts file costs.
#include "connectivity/hosts_file.h"
#include "library/accessors.h"
#include "library/lifecycle.h"
#include "library/production.h"
#include "platform/posix/sqlite_registry.h"
#include "store/initialise.h"
#include "store/records.h"
#include "store/regfile.h"
#include "store/registry_access.h"
#include "store/save.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace lntc;

namespace {

std::string tempRoot() {
    std::string templ = (std::filesystem::temp_directory_path() / "lntc-bench-XXXXXX").string();
    if (!mkdtemp(templ.data())) std::abort();
    return templ;
}

std::string queueName(int i) {
    return "QUEUE_" + std::to_string(i);
}

// Every value the loader reads, for each queue.
const char* const kQueueValues =
    "\"Printer\"=\"HP_LASERJET_4M\"\n\"DeviceName\"=\"LPT1:\"\n\"ImageHardware\"=\"LJA\"\n"
    "\"PrintDest\"=\"PRINTER_AND_DISK\"\n\"QDDefaultTray\"=\"BOTTOM\"\n"
    "\"EjectTray\"=\"UPPER_HOME\"\n\"EjectTraySwitch\"=dword:1\n\"EjectTrayPages\"=dword:1f4\n"
    "\"PrinterStatusTimeout\"=dword:5\n\"UseAlternateOrientation\"=dword:1\n"
    "\"OverscanAmt\"=\"2.5\"\n\"DuplexAvailable\"=dword:1\n\"DuplexPrint\"=dword:1\n"
    "\"Tray1/Top\"=\"LETTER, 1\"\n\"Tray2/Bottom\"=\"LEGAL, 2\"\n\"Tray3/Third\"=\"A4, 3\"\n"
    "\"CenterImage\"=dword:1\n\"DataEncode\"=\"ASCII_85\"\n\"WaitTimeout\"=dword:12c\n"
    "\"TCP_SocketNumber\"=dword:238c\n\"Connectivity\"=\"TCP_DIRECT\"\n"
    "\"DuplexBinding\"=\"LEFT_EDGE\"\n\"PrinterInitTimeout\"=dword:1e\n\"PaperTrays\"=dword:3\n"
    "\"UseDisplayXform\"=dword:1\n\"Rotate180\"=dword:0\n\"PSDefaultTray\"=\"TOP\"\n"
    "\"QDDefaultPaperSize\"=\"E\"\n\"PSDefaultPaperSize\"=\"D\"\n"
    "\"BestAvailPaperSizes\"=\"E,D,C,B\"\n\"BestAvailPaperSizesCnt\"=dword:4\n"
    "\"PrinterAlias\"=\"\"\n";

// 16 queues with every value the loader reads.
void seedFullQueues(const std::string& root) {
    std::filesystem::create_directories(root + "/odr");
    std::ofstream(root + "/odr/directory.json")
        << R"({"odrs": [{"domain": "Alpha", "organization": "Quendal",
                         "systemDefaults": {"release": "3.1.0", "charset": 2}}]})";
    std::string file = "REGEDIT4\n";
    for (int i = 0; i < LNTC_MAX_QUEUES; ++i)
        file += "[HKEY_LOCAL_MACHINE\\" + std::string(kProductRootPath) + "\\Queues\\" +
                queueName(i) + "]\n\"Description\"=\"A queue with every value set, number " +
                std::to_string(i) + "\"\n" + kQueueValues;
    SqliteRegistry reg(root + "/registry.db");
    RegFileError error;
    if (importRegistry(reg, file, error) != 0) std::abort();
}

// A loaded library over 16 full queues; with a hosts file of 100,000 lines, the port name PRN1
// in the last one.
struct Installed {
    std::string root = tempRoot();
    std::unique_ptr<ProductionLibrary> production;
    explicit Installed(bool hostsFile = false) {
        seedFullQueues(root);
        const std::string etc = root + "/drive_c/WINDOWS/system32/drivers/etc";
        std::filesystem::create_directories(etc);
        std::ofstream out(etc + "/hosts");
        for (int i = 1; hostsFile && i < 100000; ++i)
            out << "10." << i / 65536 << '.' << i / 256 % 256 << '.' << i % 256 << "\tHOST_" << i
                << (i % 10 == 0 ? " alias\n" : "\n");
        out << "10.200.0.1\tPRN1\n";
        production = std::make_unique<ProductionLibrary>(root);
        if (LoadLibrary(production->library()) != 0) std::abort();
        const ServerConfig* c = nullptr;
        GetConfig(production->library(), &c, LNTC_CONFIG_VERSION);
    }
    ~Installed() {
        UnloadLibrary(production->library());
        production.reset();
        std::filesystem::remove_all(root);
    }
};

void BM_GetConfig(benchmark::State& state) {
    Installed site;
    Library& lib = site.production->library();
    const ServerConfig* c = nullptr;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetConfig(lib, &c, LNTC_CONFIG_VERSION));
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(BM_GetConfig);

// One lookup per call, walking the 16 names in turn: the average is over all slot positions.
void BM_GetQueue16Slots(benchmark::State& state) {
    Installed site;
    Library& lib = site.production->library();
    std::vector<std::string> names;
    for (int i = 0; i < LNTC_MAX_QUEUES; ++i)
        names.push_back(queueName(i));
    const QueueRecord* q = nullptr;
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetQueue(lib, names[i].c_str(), &q, LNTC_QUEUE_VERSION));
        benchmark::DoNotOptimize(q);
        i = (i + 1) % names.size();
    }
}
BENCHMARK(BM_GetQueue16Slots);

// Creating the sections and filling them from a store with 16 fully populated queues.
void BM_FirstFill16Queues(benchmark::State& state) {
    const std::string root = tempRoot();
    seedFullQueues(root);
    for (auto _ : state) {
        state.PauseTiming();
        {
            ProductionLibrary production(root);
            Library& lib = production.library();
            LoadLibrary(lib);
            state.ResumeTiming();
            uint32_t rc = InitialiseSharedConfig(lib);
            state.PauseTiming();
            if (rc != 0 || lib.store.config.get()->QueueCount != LNTC_MAX_QUEUES) std::abort();
            // The last holder leaves: the next round fills afresh.
            UnloadLibrary(lib);
        }
        state.ResumeTiming();
    }
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_FirstFill16Queues)->Unit(benchmark::kMillisecond);

void BM_SaveQueueRecord(benchmark::State& state) {
    Installed site;
    Library& lib = site.production->library();
    const QueueRecord* current = nullptr;
    GetQueue(lib, queueName(7).c_str(), &current, LNTC_QUEUE_VERSION);
    QueueRecord q = *current;
    unsigned n = 0;
    for (auto _ : state) {
        setField(q.Description, "saved " + std::to_string(++n));
        if (SaveQueueRecord(lib, q, false) != 0) std::abort();
    }
}
BENCHMARK(BM_SaveQueueRecord)->Unit(benchmark::kMillisecond);

void BM_LookupHostsName_LastOf100000(benchmark::State& state) {
    Installed m(true);
    std::string address;
    for (auto _ : state)
        if (!LookupHostsName(m.production->library(), "PRN1", address)) std::abort();
}
BENCHMARK(BM_LookupHostsName_LastOf100000)->Unit(benchmark::kMillisecond);

void BM_UpdateHostsFile_LastOf100000(benchmark::State& state) {
    Installed m(true);
    int i = 0;
    for (auto _ : state) {
        const std::string address = "10.200.0." + std::to_string(++i % 250 + 1);
        if (UpdateHostsFile(m.production->library(), nullptr, address, "PRN1") != 0) std::abort();
    }
}
BENCHMARK(BM_UpdateHostsFile_LastOf100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
