// What the print server pays to read its configuration, and what filling and saving cost,
// over the real backends under a temporary machine root.
#include "platform/posix/sqlite_registry.h"
#include "library/accessors.h"
#include "library/lifecycle.h"
#include "store/initialise.h"
#include "library/production.h"
#include "store/records.h"
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

std::string queueName(int i) { return "QUEUE_" + std::to_string(i); }

// 16 queues with every value the loader reads.
void seedFullQueues(const std::string& root) {
    std::filesystem::create_directories(root + "/odr");
    std::ofstream(root + "/odr/directory.json")
        << R"({"odrs": [{"domain": "Alpha", "organization": "Quendal",
                         "systemDefaults": {"release": "3.1.0", "charset": 2}}]})";
    SqliteRegistry reg(root + "/registry.db");
    auto str = [&](RegKey k, const char* name, const std::string& v) {
        reg.setValue(k, name, regtype::Sz, v.c_str(), static_cast<uint32_t>(v.size() + 1));
    };
    auto num = [&](RegKey k, const char* name, uint32_t v) {
        reg.setValue(k, name, regtype::Dword, &v, 4);
    };
    for (int i = 0; i < LNTC_MAX_QUEUES; ++i) {
        RegKey k = kNoKey;
        reg.createKey(kLocalMachine, std::string(kProductRootPath) + "\\Queues\\" + queueName(i),
                      RegAccess::Write, k);
        str(k, "Printer", "HP_LASERJET_4M");
        str(k, "Description", "A queue with every value set, number " + std::to_string(i));
        str(k, "DeviceName", "LPT1:");
        str(k, "ImageHardware", "LJA");
        str(k, "PrintDest", "PRINTER_AND_DISK");
        str(k, "QDDefaultTray", "BOTTOM");
        str(k, "EjectTray", "UPPER_HOME");
        num(k, "EjectTraySwitch", 1);
        num(k, "EjectTrayPages", 500);
        num(k, "PrinterStatusTimeout", 5);
        num(k, "UseAlternateOrientation", 1);
        str(k, "OverscanAmt", "2.5");
        num(k, "DuplexAvailable", 1);
        num(k, "DuplexPrint", 1);
        str(k, "Tray1/Top", "LETTER, 1");
        str(k, "Tray2/Bottom", "LEGAL, 2");
        str(k, "Tray3/Third", "A4, 3");
        num(k, "CenterImage", 1);
        str(k, "DataEncode", "ASCII_85");
        num(k, "WaitTimeout", 300);
        num(k, "TCP_SocketNumber", 9100);
        str(k, "Connectivity", "TCP_DIRECT");
        str(k, "DuplexBinding", "LEFT_EDGE");
        num(k, "PrinterInitTimeout", 30);
        num(k, "PaperTrays", 3);
        num(k, "UseDisplayXform", 1);
        num(k, "Rotate180", 0);
        str(k, "PSDefaultTray", "TOP");
        str(k, "QDDefaultPaperSize", "E");
        str(k, "PSDefaultPaperSize", "D");
        str(k, "BestAvailPaperSizes", "E,D,C,B");
        num(k, "BestAvailPaperSizesCnt", 4);
        str(k, "PrinterAlias", "");
        reg.closeKey(k);
    }
}

struct Installed {
    std::string root = tempRoot();
    std::unique_ptr<ProductionLibrary> production;
    Installed() {
        seedFullQueues(root);
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
    for (int i = 0; i < LNTC_MAX_QUEUES; ++i) names.push_back(queueName(i));
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

} // namespace

BENCHMARK_MAIN();
