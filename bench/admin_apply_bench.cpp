// `lntc apply` as an administrator runs it: a whole process, on a print server of 16 fully
// populated TCP Direct queues.
#include "support/child_process.h"
#include "support/temp_root.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace {

using lntc::test::runProgram;

const std::string kTool = LNTC_BIN_DIR "/lntc";

std::string name(int i) {
    return (i < 10 ? "BENCH_0" : "BENCH_") + std::to_string(i);
}

// The 16 queues with every value their model keeps, a wait and a description that follow
// `turn`, and their ports' hosts lines.
std::string configuration(int turn) {
    std::string queues, hosts;
    for (int i = 0; i < 16; ++i) {
        const std::string port = "bench_" + std::to_string(i);
        queues += (i ? ",\n" : "") + std::string("\"") + name(i) +
                  R"(": {"Printer": "HP_LASERJET_4MPLUS", "Description": "Bench queue )" +
                  std::to_string(i) + " turn " + std::to_string(turn) + R"(", "DeviceName": ")" +
                  port +
                  R"(", "PrintDest": "PRINTER_ONLY", "QDDefaultTray": "TOP",
            "PrinterStatusTimeout": 5, "UseAlternateOrientation": 0, "OverscanAmt": 5.0,
            "DuplexAvailable": 1, "DuplexPrint": 0, "Tray1/Top": {"Paper": "LETTER",
            "Priority": 1}, "Tray2/Bottom": {"Paper": "LEGAL", "Priority": 2},
            "Tray3/Third": "none", "CenterImage": 1, "DataEncode": "ASCII_85",
            "WaitTimeout": )" +
                  std::to_string(100 + turn * 20 + i) +
                  R"(, "TCP_SocketNumber": 9100, "Connectivity": "TCP_DIRECT",
            "DuplexBinding": "LEFT_EDGE"})";
        hosts += (i ? ", " : "") + std::string("\"") + port + "\": \"10.1.2." +
                 std::to_string(40 + i) + "\"";
    }
    return "{\"Queues\": {" + queues + "},\n\"Hosts\": {" + hosts + "}}\n";
}

std::map<std::string, std::string> env(const std::string& root) {
    return {{"LNT_ROOT", root}, {"LNT_PRINT_SERVER", "bench-ps"}};
}

// The demo installation with an ODR that lists the 16 queues for this server, which replace
// the demo's own.
struct Server {
    lntc::test::TempRoot root;
    std::string files[2];
    Server() {
        if (runProgram(kTool, {"demo-setup"}, env(root.path())).exitCode != 0) std::abort();
        std::string listed;
        for (int i = 0; i < 16; ++i)
            listed += (i ? "," : "") + std::string("{\"name\": \"") + name(i) +
                      "\", \"printServer\": \"bench-ps\"}";
        std::ofstream(root.path() + "/odr/directory.json")
            << R"({"default": "Alpha:Quendal", "odrs": [{"domain": "Alpha", "organization":
            "Quendal", "systemDefaults": {"release": "3.1.0", "charset": 2}, "queues": [)" +
                   listed + "]}]}";
        for (int turn = 0; turn < 2; ++turn) {
            files[turn] = root.path() + "/turn" + std::to_string(turn) + ".json";
            std::ofstream(files[turn]) << configuration(turn);
        }
        const auto r = runProgram(kTool, {"apply", "--prune", files[0]}, env(root.path()));
        if (r.exitCode != 0) {
            std::fprintf(stderr, "%s", r.err.c_str());
            std::abort();
        }
    }
};

// A file that changes every queue (two values each): planned, checked and applied, with its
// history entry. Goal: under 100 ms.
void BM_ApplyChangingEveryQueue(benchmark::State& state) {
    Server server;
    int turn = 0;
    for (auto _ : state) {
        turn = 1 - turn;
        const auto r = runProgram(kTool, {"apply", server.files[turn]}, env(server.root.path()));
        if (r.exitCode != 0 || r.out.find("Applied 32 changes.") == std::string::npos)
            return state.SkipWithError(("the apply did not change every queue: " + r.err).c_str());
    }
}
BENCHMARK(BM_ApplyChangingEveryQueue)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same file again: planned, nothing to do. Goal: under 50 ms.
void BM_ApplyWithNothingToChange(benchmark::State& state) {
    Server server;
    for (auto _ : state) {
        const auto r = runProgram(kTool, {"apply", server.files[0]}, env(server.root.path()));
        if (r.exitCode != 0 || r.out.find("No changes") == std::string::npos)
            return state.SkipWithError(("the apply was not a no-op: " + r.err + r.out).c_str());
    }
}
BENCHMARK(BM_ApplyWithNothingToChange)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
