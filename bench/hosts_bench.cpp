// Looking a port name up and rewriting its line in a hosts file of 100,000 lines, the name in
// the last one, over the real file system under a temporary machine root.
#include "connectivity/hosts_file.h"
#include "library/production.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace lntc;

namespace {

constexpr int kLines = 100000;

class HostsMachine {
  public:
    HostsMachine() {
        root_ = (std::filesystem::temp_directory_path() / "lntc-bench-XXXXXX").string();
        if (!mkdtemp(root_.data())) std::abort();
        const std::string etc = root_ + "/drive_c/WINDOWS/system32/drivers/etc";
        std::filesystem::create_directories(etc);
        std::ofstream out(etc + "/hosts");
        out << "# A large site's hosts file\n";
        for (int i = 1; i < kLines - 1; ++i)
            out << "10." << i / 65536 << '.' << i / 256 % 256 << '.' << i % 256 << "\tHOST_" << i
                << (i % 10 == 0 ? " alias\n" : "\n");
        out << "10.200.0.1\tPRN1\n";
        production_ = std::make_unique<ProductionLibrary>(root_);
    }
    ~HostsMachine() {
        production_.reset();
        std::filesystem::remove_all(root_);
    }
    Library& lib() { return production_->library(); }

  private:
    std::string root_;
    std::unique_ptr<ProductionLibrary> production_;
};

void BM_LookupHostsName_LastOf100000(benchmark::State& state) {
    HostsMachine m;
    std::string address;
    for (auto _ : state) {
        if (!LookupHostsName(m.lib(), "PRN1", address)) state.SkipWithError("PRN1 not found");
        benchmark::DoNotOptimize(address);
    }
}
BENCHMARK(BM_LookupHostsName_LastOf100000)->Unit(benchmark::kMillisecond);

void BM_UpdateHostsFile_LastOf100000(benchmark::State& state) {
    HostsMachine m;
    int i = 0;
    for (auto _ : state) {
        const std::string address = "10.200.0." + std::to_string(++i % 250 + 1);
        if (UpdateHostsFile(m.lib(), nullptr, address, "PRN1") != 0)
            state.SkipWithError("the rewrite failed");
    }
}
BENCHMARK(BM_UpdateHostsFile_LastOf100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
