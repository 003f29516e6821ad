// The configuration run, scripted as `lntc-config --script` does it, and its main dialog's
// start-up.
#include "configure/configure.h"
#include "library/lifecycle.h"
#include "library/production.h"
#include "resources/ids.h"
#include "store/registry_access.h"
#include "store/shared_records.h"
#include "support/child_process.h"
#include "support/temp_root.h"
#include "support/ui_support.h"
#include "ui/headless_host.h"
#include "ui/script_runner.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

using namespace lntc;

namespace {

std::string name(int i) {
    return (i < 10 ? "BENCH_0" : "BENCH_") + std::to_string(i);
}

// An ODR of `count` queues, every `step`th of which (from the first) is on this print server.
std::string queues(int count, int step, const std::string& ours) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += std::string(i ? "," : "") + "{\"name\": \"" + name(i) + "\", \"printServer\": \"" +
               (i % step ? "elsewhere" : ours) + "\"}";
    }
    return R"({"default": "Alpha:Quendal", "odrs": [{"domain": "Alpha", "organization":
        "Quendal", "systemDefaults": {"release": "3.1.0", "charset": 2}, "queues": [)" +
           out + "]}]}";
}

// The demo installation with an ODR that lists 16 new queues for this print server; the script
// removes the demo's own queues, configures the first new one over TCP Direct and imports it
// into the other 15, then leaves with OK. Each iteration starts from a fresh copy of the
// machine root, made once and removed at exit. Goal: under 1 s.
void BM_ScriptedRunConfiguresSixteenQueues(benchmark::State& state) {
    static const struct Prepared {
        test::TempRoot root;
        Prepared() {
            if (test::runProgram(LNTC_BIN_DIR "/lntc", {"demo-setup"}, {{"LNT_ROOT", root.path()}})
                    .exitCode != 0)
                std::abort();
            std::ofstream(root.path() + "/odr/directory.json") << queues(16, 1, "bench-ps");
        }
    } prepared;
    std::string script = "answer yes\nanswer yes\nanswer yes\nanswer yes\n" // the demo's queues go
                         "select \"Quendal Queues to Configure\" BENCH_00\n"
                         "select \"Printer Model\" \"HP LaserJet 4M\"\n"
                         "type Description \"Bench queue\"\nclick Configure\n"
                         "click \"TCP Direct Port\"\nclick Configure\n"
                         "type \"Printer TCP Direct Port Name\" bench_lj\n"
                         "type \"Printer TCP Direct Port Address\" 10.1.2.40\n"
                         "click OK\nclick Yes\nanswer ok\nanswer ok\nclick OK\nanswer ok\n";
    for (int i = 1; i < 16; ++i)
        script +=
            "select \"Quendal Queues to Configure\" " + name(i) +
            "\nselect \"Printer Model\" \"HP LaserJet 4M\"\nclick Configure\nclick Import\n"
            "select From \"BENCH_00,   \\\"Bench queue\\\"\"\nclick OK\nanswer yes\nanswer ok\n";
    script += "click OK\n";
    setenv("LNT_PRINT_SERVER", "bench-ps", 1);
    const test::TempRoot run;
    const std::string& root = run.path();
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(root);
        std::filesystem::copy(prepared.root.path(), root, std::filesystem::copy_options::recursive);
        state.ResumeTiming();
        HeadlessHost host;
        ProductionLibrary production(root);
        Library& lib = production.library();
        lib.setHost(host);
        if (LoadLibrary(lib) != 0) return state.SkipWithError("the library did not load");
        const uint32_t init = InitialiseSharedConfig(lib);
        ScriptRunner runner(host, ParseScript(script));
        int result = runner.run(
            [&] { return static_cast<int>(RunConfiguration(lib.services(), nullptr, init)); });
        UnloadLibrary(lib);
        if (runner.failure() || result != 1) {
            static std::string why;
            why = runner.failure() ? runner.failure()->message : "the run did not end with OK";
            return state.SkipWithError(why.c_str());
        }
    }
}
BENCHMARK(BM_ScriptedRunConfiguresSixteenQueues)->Unit(benchmark::kMillisecond);

// The ODR directory given, the fonts, the shared records filled, and 16 of its count queues
// (spread evenly) configured; the fill's status.
template <typename Name>
uint32_t seedSixteen(test::HeadlessLibrary& h, const std::string& directoryJson, int count,
                     Name queueName) {
    Library& lib = h.lib();
    h.t.product.setDirectoryJson(directoryJson);
    WriteStringValue(lib.registryRoot(), kFontsKey, "Font1", "Courier");
    WriteStringValue(lib.registryRoot(), kFontsKey, "DefaultFont", "Courier");
    WriteCharsetById(lib.registryRoot(), 4100, 11);
    const uint32_t status = InitialiseSharedConfig(lib);
    for (int i = 0; i < count; i += count / 16) {
        QueueRecord q{};
        InitNewQueueRecord(1, queueName(i), "", q);
        lib.records().SaveQueueRecord(q, true);
    }
    return status;
}

// Construction, start-up and the queue retrieval against an ODR of 10,000 print queue
// objects, 16 of which address this server (all 16 configured here). Goal: under 100 ms.
void MainDialogStartUp(benchmark::State& state) {
    test::HeadlessLibrary h(false);
    Library& lib = h.lib();
    const uint32_t status = seedSixteen(h, queues(10000, 625, "testhost"), 10000, name);
    size_t listed = 0;
    for (auto _ : state) {
        h.host.script(dlg::Main)
            .then([&](const ModelWindow& w) { listed = w.at(mainctl::Current).items.size(); })
            .closeBox();
        benchmark::DoNotOptimize(RunConfiguration(lib.services(), nullptr, status));
    }
    if (listed != 16) state.SkipWithError("the current list does not hold the 16 queues");
}
BENCHMARK(MainDialogStartUp)->Unit(benchmark::kMillisecond);

// The start-up against an ODR whose 60,000 queues all address this server, listed in descending
// order (one by one, each would go to the top of the sorted list), 16 of them configured: the
// to-configure list takes 59,984 names, the current list 16. Goal: under 100 ms.
void MainDialogStartUp60000Descending(benchmark::State& state) {
    test::HeadlessLibrary h(false);
    Library& lib = h.lib();
    auto queueName = [](int i) {
        std::string digits = std::to_string(i);
        return "Q" + std::string(5 - digits.size(), '0') + digits;
    };
    std::string list;
    for (int i = 59999; i >= 0; --i)
        list +=
            "{\"name\": \"" + queueName(i) + "\", \"printServer\": \"testhost\"}" + (i ? "," : "");
    h.t.product.parseOnce = true; // what is measured is the dialog, not the name service
    const std::string directory = R"({"default": "Alpha:Quendal", "odrs": [{"domain": "Alpha",
        "organization": "Quendal", "systemDefaults": {"release": "3.1.0", "charset": 2},
        "queues": [)" + list + "]}]}";
    const uint32_t status = seedSixteen(h, directory, 60000, queueName);
    std::pair<size_t, size_t> listed;
    for (auto _ : state) {
        h.host.script(dlg::Main)
            .then([&](const ModelWindow& w) {
                listed = {w.at(mainctl::ToConfigure).items.size(),
                          w.at(mainctl::Current).items.size()};
            })
            .closeBox();
        benchmark::DoNotOptimize(RunConfiguration(lib.services(), nullptr, status));
    }
    if (listed != std::pair<size_t, size_t>(59984, 16))
        state.SkipWithError("the lists do not hold the 60,000 queues");
}
BENCHMARK(MainDialogStartUp60000Descending)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
