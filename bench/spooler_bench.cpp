// Filling the Print Manager printer list from a private cupsd that has 200 printers, as the
// dialog's Refresh does it.
#include "connectivity/connectivity_dialogs.h"
#include "platform/platform.h"
#include "product/posix_product.h"
#include "resources/ids.h"
#include "store/library.h"
#include "store/records.h"
#include "support/cups_server.h"
#include "support/temp_root.h"
#include "ui/headless_host.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace lntc;
using namespace lntc::test;

namespace {

class RefreshingDialog : public PrintManagerDialog {
  public:
    using PrintManagerDialog::PrintManagerDialog;
    void refresh() { onCommand(pmctl::Refresh, Notify::Clicked); }
};

void BM_FillPrinterList_Cupsd200(benchmark::State& state) {
    CupsServer server;
    if (!server.running()) {
        state.SkipWithError(server.reason().c_str());
        return;
    }
    for (int i = 0; i < 200; ++i) {
        if (!server.addPrinter("Printer" + std::to_string(i), "Room " + std::to_string(i))) {
            state.SkipWithError("lpadmin failed");
            return;
        }
    }
    TempRoot root;
    PosixPlatform posix(root.path());
    PosixProductLibs product(root.path(), *posix.platform().sections, "bench");
    HeadlessHost host;
    Library lib(posix.platform(), product, host);
    QueueRecord q{};
    setField(q.Name, "LASER");
    q.Connectivity = 1;
    RefreshingDialog dialog(lib, nullptr, q);
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
