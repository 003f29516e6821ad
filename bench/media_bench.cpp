// Building the default media table from the demo data, reading the last section of the demo
// ldpx.cfg, and filling the Print Manager printer list from a private cupsd with 200 printers
// as the dialog's Refresh does it.
#include "connectivity/connectivity_dialogs.h"
#include "library/accessors.h"
#include "library/lifecycle.h"
#include "media/default_media.h"
#include "media/ldpx_config.h"
#include "platform/posix/posix_platform.h"
#include "product/posix_product.h"
#include "resources/ids.h"
#include "store/records.h"
#include "support/cups_server.h"
#include "support/demo_files.h"
#include "support/temp_root.h"
#include "support/test_library.h"
#include "ui/headless_host.h"

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

using namespace lntc;
using namespace lntc::test;

namespace {

std::string demoFile(const char* name) {
    return readTextFile(std::string(LNTC_SOURCE_DIR) + "/share/demo/" + name);
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
    const ServerConfig* config = nullptr;
    if (LoadLibrary(lib) != 0) throw std::runtime_error("the registry root did not open");
    importRegText(*platform.registry, demoFile("default-media.reg"));
    if (GetConfig(lib, &config, LNTC_CONFIG_VERSION) != 0)
        throw std::runtime_error("the shared configuration did not set up");
    for (auto _ : state)
        benchmark::DoNotOptimize(GetDefaultMedia(lib.services()));
    UnloadLibrary(lib);
}
BENCHMARK(BM_GetDefaultMedia_SqliteRegistry)->Unit(benchmark::kMillisecond);

void BM_ReadLdpxCfgFile_LastSection(benchmark::State& state) {
    FakeMachine machine;
    machine.files.addFile("c:\\qdsw_local\\sd\\ldpx.cfg", demoFile("ldpx.cfg"));
    TestLibrary t(machine);
    for (auto _ : state)
        if (ReadLdpxCfgFile(t.lib().services(), "c:\\qdsw_local\\sd", "DRAWING_MASTER") != 0)
            state.SkipWithError("the demo section did not read");
}
BENCHMARK(BM_ReadLdpxCfgFile_LastSection);

class RefreshingDialog : public PrintManagerDialog {
  public:
    using PrintManagerDialog::PrintManagerDialog;
    void refresh() { onCommand(pmctl::Refresh, Notify::Clicked); }
};

void BM_FillPrinterList_Cupsd200(benchmark::State& state) {
    CupsServer server;
    for (int i = 0; server.running() && i < 200; ++i)
        if (!server.addPrinter("Printer" + std::to_string(i), "Room " + std::to_string(i)))
            throw std::runtime_error("lpadmin failed");
    if (!server.running()) return state.SkipWithError(server.reason().c_str());
    TempRoot root;
    PosixPlatform posix(root.path());
    PosixProductLibs product(*posix.platform().machineFiles, *posix.platform().sections, "bench");
    HeadlessHost host;
    Library lib(posix.platform(), product, host);
    QueueRecord q{};
    setField(q.Name, "LASER");
    q.Connectivity = 1;
    RefreshingDialog dialog(lib.services(), nullptr, q);
    size_t entries = 0;
    host.script(dlg::PrintManager)
        .then([&](const ModelWindow& w) {
            for (auto _ : state)
                dialog.refresh();
            entries = w.at(pmctl::Printer).items.size();
        })
        .cancel();
    dialog.doModal();
    if (entries != 201) state.SkipWithError("the list does not hold every printer");
}
BENCHMARK(BM_FillPrinterList_Cupsd200)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
