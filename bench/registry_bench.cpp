// The registry's cost per small write, as the store logic issues them when saving a dialog.
#include "platform/posix/sqlite_registry.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string tempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "lntc-bench-XXXXXX").string();
    if (!mkdtemp(templ.data())) std::abort();
    return templ;
}

// 35 writes, each opening its key, setting one value and closing the key.
void BM_SqliteSmallWrites(benchmark::State& state) {
    const std::string dir = tempDir();
    {
        lntc::SqliteRegistry reg(dir + "/registry.db");
        uint32_t n = 0;
        for (auto _ : state) {
            for (int i = 0; i < 35; ++i) {
                lntc::RegKey k = lntc::kNoKey;
                reg.createKey(lntc::kLocalMachine,
                              "Software\\Lintora\\Queue" + std::to_string(i % 16),
                              lntc::RegAccess::Write, k);
                ++n;
                reg.setValue(k, "Value" + std::to_string(i), lntc::regtype::Dword, &n, 4);
                reg.closeKey(k);
            }
        }
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SqliteSmallWrites)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
