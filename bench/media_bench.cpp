// Building the default media table from the demo data, and reading the last section of the
// demo ldpx.cfg.
#include "library/accessors.h"
#include "library/lifecycle.h"
#include "media/default_media.h"
#include "media/ldpx_config.h"
#include "platform/platform.h"
#include "store/initialise.h"
#include "support/demo_files.h"
#include "support/temp_root.h"
#include "support/test_library.h"

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

using namespace lntc;
using namespace lntc::test;

namespace {

std::string demoFile(const char* name) {
    return readTextFile(std::string(LNTC_SOURCE_DIR) + "/share/demo/" + name);
}

void requireConfig(Library& lib) {
    const ServerConfig* config = nullptr;
    if (GetConfig(lib, &config, LNTC_CONFIG_VERSION) != 0)
        throw std::runtime_error("the shared configuration did not set up");
}

// The registry as product processes have it: the SQLite store under a machine root.
void BM_GetDefaultMedia_SqliteRegistry(benchmark::State& state) {
    TempRoot root;
    PosixPlatform posix(root.path());
    FakeSections sections; // keeps the run away from other processes' sections
    Platform platform = posix.platform();
    platform.sections = &sections;
    FakeProductLibs product;
    product.setDirectoryJson(kDefaultDirectory);
    RecordingHost host;
    Library lib(platform, product, host);
    if (LoadLibrary(lib) != 0) throw std::runtime_error("the registry root did not open");
    importRegText(*platform.registry, demoFile("default-media.reg"));
    requireConfig(lib);
    for (auto _ : state)
        benchmark::DoNotOptimize(GetDefaultMedia(lib));
    UnloadLibrary(lib);
}
BENCHMARK(BM_GetDefaultMedia_SqliteRegistry)->Unit(benchmark::kMillisecond);

void BM_ReadLdpxCfgFile_LastSection(benchmark::State& state) {
    FakeMachine machine;
    machine.files.addFile("c:\\qdsw_local\\sd\\ldpx.cfg", demoFile("ldpx.cfg"));
    TestLibrary t(machine);
    for (auto _ : state) {
        if (ReadLdpxCfgFile(t.lib(), "c:\\qdsw_local\\sd", "DRAWING_MASTER") != 0)
            state.SkipWithError("the demo section did not read");
    }
}
BENCHMARK(BM_ReadLdpxCfgFile_LastSection);

} // namespace

BENCHMARK_MAIN();
