// Start-up of the configuration run's main dialog: construction, start-up and the queue
// retrieval against an ODR of 10,000 print queue objects, 16 of which address this server
// (all 16 configured here). Goal: under 100 ms per opening.
#include "configure/configure.h"
#include "library/lifecycle.h"
#include "resources/ids.h"
#include "store/registry_access.h"
#include "store/save.h"
#include "support/test_library.h"
#include "ui/headless_host.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace lntc;
using namespace lntc::test;

namespace {

std::string bigDirectory() {
    std::string queues;
    for (int i = 0; i < 10000; ++i) {
        bool ours = i % 625 == 0; // 16 of them
        if (i) queues += ",";
        queues += R"({"name":"Q)" + std::to_string(i) + R"(","printServer":")" +
                  (ours ? "testhost" : "elsewhere") + R"("})";
    }
    return R"({"default":"Alpha:Quendal","odrs":[{"domain":"Alpha","organization":"Quendal",)"
           R"("systemDefaults":{"release":"3.1.0","charset":2},"queues":[)" +
           queues + "]}]}";
}

void MainDialogStartUp(benchmark::State& state) {
    FakeMachine machine;
    TestLibrary t{machine};
    HeadlessHost host;
    Library& lib = t.lib();
    lib.setHost(host);
    t.product.setDirectoryJson(bigDirectory());
    WriteStringValue(lib, kFontsKey, "Font1", "Courier");
    WriteStringValue(lib, kFontsKey, "DefaultFont", "Courier");
    WriteCharsetById(lib, 4100, 11);
    uint32_t status = InitialiseSharedConfig(lib);
    for (int i = 0; i < 10000; i += 625) {
        QueueRecord q{};
        InitNewQueueRecord(1, "Q" + std::to_string(i), "", q);
        SaveQueueRecord(lib, q, true);
    }
    int listed = 0;
    for (auto _ : state) {
        host.script(dlg::Main)
            .then([&](const ModelWindow& w) { listed = w.at(mainctl::Current).items.size(); })
            .closeBox();
        benchmark::DoNotOptimize(RunConfiguration(lib, nullptr, status));
    }
    if (listed != 16) state.SkipWithError("the current list does not hold the 16 queues");
}
BENCHMARK(MainDialogStartUp)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
