// A whole scripted configuration run, as `lntc-config --script` does it: the demo installation
// with an ODR that lists 16 new queues for this print server; the script removes the demo's
// own queues, configures the first new one over TCP Direct and imports it into the other 15,
// then leaves with OK. Each iteration starts from a fresh copy of the machine root.
#include "configure/configure.h"
#include "library/lifecycle.h"
#include "library/production.h"
#include "ui/headless_host.h"
#include "ui/script_runner.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace lntc;
namespace fs = std::filesystem;

namespace {

constexpr int kQueues = 16;

std::string queueName(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "BENCH_%02d", i);
    return name;
}

std::string benchScript() {
    std::string s = "answer yes\nanswer yes\nanswer yes\nanswer yes\n" // the demo's queues go
                    "select \"Quendal Queues to Configure\" BENCH_00\n"
                    "select \"Printer Model\" \"HP LaserJet 4M\"\n"
                    "type Description \"Bench queue\"\nclick Configure\n"
                    "click \"TCP Direct Port\"\nclick Configure\n"
                    "type \"Printer TCP Direct Port Name\" bench_lj\n"
                    "type \"Printer TCP Direct Port Address\" 10.1.2.40\n"
                    "click OK\nclick Yes\nanswer ok\nanswer ok\nclick OK\nanswer ok\n";
    for (int i = 1; i < kQueues; ++i)
        s += "select \"Quendal Queues to Configure\" " + queueName(i) +
             "\nselect \"Printer Model\" \"HP LaserJet 4M\"\nclick Configure\nclick Import\n"
             "select From \"BENCH_00,   \\\"Bench queue\\\"\"\nclick OK\nanswer yes\nanswer ok\n";
    return s + "click OK\n";
}

// The demo installation with the bench's ODR directory, made once and removed at exit.
struct Prepared {
    std::string path;
    ~Prepared() { fs::remove_all(path); }
};

const std::string& preparedRoot() {
    static const Prepared root{[] {
        std::string templ = (fs::temp_directory_path() / "lntc-run-bench-XXXXXX").string();
        if (!mkdtemp(templ.data())) std::abort();
        std::string setup =
            "LNT_ROOT='" + templ + "' '" LNTC_BIN_DIR "/lntc' demo-setup >/dev/null";
        if (std::system(setup.c_str()) != 0) std::abort();
        std::string queues;
        for (int i = 0; i < kQueues; ++i)
            queues += std::string(i ? "," : "") + "{\"name\": \"" + queueName(i) +
                      "\", \"printServer\": \"bench-ps\"}";
        std::ofstream(templ + "/odr/directory.json")
            << R"({"odrs": [{"domain": "Alpha", "organization": "Quendal",
                "systemDefaults": {"release": "3.1.0", "charset": 2}, "queues": [)"
            << queues << "]}]}";
        return templ;
    }()};
    return root.path;
}

void BM_ScriptedRunConfiguresSixteenQueues(benchmark::State& state) {
    setenv("LNT_PRINT_SERVER", "bench-ps", 1);
    const std::string script = benchScript();
    const std::string root = preparedRoot() + "-run";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(root);
        fs::copy(preparedRoot(), root, fs::copy_options::recursive);
        state.ResumeTiming();
        HeadlessHost host;
        ProductionLibrary production(root);
        Library& lib = production.library();
        lib.setHost(host);
        if (LoadLibrary(lib) != 0) return state.SkipWithError("the library did not load");
        const uint32_t init = lib.store.initStatus = InitialiseSharedConfig(lib);
        ScriptRunner runner(host, ParseScript(script));
        int result =
            runner.run([&] { return static_cast<int>(RunConfiguration(lib, nullptr, init)); });
        UnloadLibrary(lib);
        if (runner.failure() || result != 1) {
            static std::string why;
            why = runner.failure() ? runner.failure()->message : "the run did not end with OK";
            return state.SkipWithError(why.c_str());
        }
    }
    fs::remove_all(root);
}
BENCHMARK(BM_ScriptedRunConfiguresSixteenQueues)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
