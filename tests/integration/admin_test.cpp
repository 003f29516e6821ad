// The administrator's commands on a demo installation, as separate processes over the real
// registry database: the dialogs' rules, changes landing whole or not at all, their history.
#include "support/child_process.h"
#include "support/demo_files.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <map>
#include <pwd.h>
#include <regex>
#include <unistd.h>

using namespace lntc::test;

namespace {

const std::string kTool = std::string(LNTC_BIN_DIR) + "/lntc";
const std::string kProbe = std::string(LNTC_BIN_DIR) + "/lntc_probe";

class Admin : public ::testing::Test {
  protected:
    TempRoot root;
    std::map<std::string, std::string> env() const {
        return {{"LNT_ROOT", root.path()},
                {"LNT_PRINT_SERVER", "ps-test"},
                {"SUDO_USER", "alice"},
                {"LNTC_SHARE", std::string(LNTC_SOURCE_DIR) + "/share"}};
    }
    void SetUp() override { ASSERT_EQ(run({"demo-setup"}).exitCode, 0); }
    RunResult run(const std::vector<std::string>& args, const std::string& input = "") {
        return runProgram(kTool, args, env(), input);
    }
    // The exit code, the errors, then the output.
    std::string said(const std::vector<std::string>& args, const std::string& input = "") {
        const RunResult r = run(args, input);
        return std::to_string(r.exitCode) + " " + r.err + r.out;
    }
    std::string file(const std::string& name, const std::string& text) {
        std::ofstream(root.path() + "/" + name) << text;
        return root.path() + "/" + name;
    }
    // Everything a change could have touched.
    std::string state() {
        return run({"dump"}).out + run({"history"}).out + readTextFile(hostsFile());
    }
    std::string hostsFile() const {
        return root.path() + "/drive_c/WINDOWS/system32/drivers/etc/hosts";
    }
    std::string historyKeys() {
        const std::string all =
            run({"reg", "export", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quendal\\PrintServer\\History"})
                .out;
        std::string keys;
        const std::regex key(R"(\\History\\(\d{8})\])");
        for (std::sregex_iterator it(all.begin(), all.end(), key), end; it != end; ++it)
            keys += (*it)[1].str() + " ";
        return keys;
    }
};

const std::string kNothing = "nothing was changed\n";
const std::string kWait = "Please enter an integer between 0 and 1800.\n";

// A rule the dialogs hold (each rule and its message are the queue rules' tests) refuses a
// change through `queue set` and through a file; a file whose last queue breaks a rule changes
// nothing of the queues before it, nor its hosts. The limit itself is taken.
TEST_F(Admin, TheDialogsRulesRefuseAChangeWhole) {
    const std::string before = state();
    const std::string last = file("last.yaml", "Queues:\n  ACCOUNTS_LJ: {WaitTimeout: 60}\n"
                                               "  POSTSCRIPT_GEN: {WaitTimeout: 1801}\n");
    const std::string hosts = file("hosts.yaml", "Hosts: {psprinter: 10.9.9.9}\nQueues:\n"
                                                 "  POSTSCRIPT_GEN: {WaitTimeout: 1801}\n");
    // clang-format off
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"queue", "set", "ACCOUNTS_LJ", "WaitTimeout=1801"},
         "1 lntc queue set: queue 'ACCOUNTS_LJ': " + kWait + "lntc queue set: " + kNothing},
        {{"apply", last}, "1 lntc apply: queue 'POSTSCRIPT_GEN': " + kWait + "lntc apply: " + kNothing},
        {{"apply", hosts}, "1 lntc apply: queue 'POSTSCRIPT_GEN': " + kWait + "lntc apply: " + kNothing},
        {{"apply", "--dry-run", last}, "1 lntc apply: queue 'POSTSCRIPT_GEN': " + kWait + "lntc apply: " + kNothing},
    };
    // clang-format on
    for (const auto& [args, expected] : cases) {
        EXPECT_EQ(said(args), expected) << args[1];
        EXPECT_EQ(state(), before) << args[1];
    }
    EXPECT_EQ(said({"queue", "set", "ACCOUNTS_LJ", "WaitTimeout=1800"}),
              "0 ~ queue ACCOUNTS_LJ WaitTimeout 300 -> 1800\nApplied 1 change.\n");
}

// Applying what is already so changes nothing and records nothing; a preview says with its exit
// status whether there is something to do, and does nothing.
TEST_F(Admin, ApplyingAFileAgainOrTheDumpChangesNothing) {
    const std::string f = file("two.yaml", "Queues:\n  ACCOUNTS_LJ: {WaitTimeout: 60}\n"
                                           "  POSTSCRIPT_GEN: {WaitTimeout: 120, Description: "
                                           "Lobby}\n");
    const std::string plan = "~ queue ACCOUNTS_LJ WaitTimeout 300 -> 60\n~ queue POSTSCRIPT_GEN "
                             "Description Any Level 2 PostScript printer on the network -> "
                             "Lobby\n~ queue POSTSCRIPT_GEN WaitTimeout 180 -> 120\n";
    const std::string none = "0 No changes: the configuration is already as asked.\n";
    const std::string before = state();
    EXPECT_EQ(said({"apply", "-"}, run({"dump"}).out), none);
    EXPECT_EQ(said({"apply", "--dry-run", "--exit-code", f}),
              "1 " + plan + "Dry run: 3 changes planned, nothing was changed.\n");
    EXPECT_EQ(said({"apply", "--dry-run", f}).substr(0, 2), "0 ");
    EXPECT_EQ(state(), before);
    EXPECT_EQ(said({"apply", f}), "0 " + plan + "Applied 3 changes.\n");
    const std::string after = state();
    EXPECT_EQ(said({"apply", f}), none);
    EXPECT_EQ(said({"apply", "--dry-run", "--exit-code", f}), none);
    EXPECT_EQ(said({"apply", "-"}, run({"dump"}).out), none);
    EXPECT_EQ(state(), after);
    EXPECT_EQ(historyKeys(), "00000001 ");
}

// A product process that filled the shared records before the change reads the new values and
// the new queue from them.
TEST_F(Admin, ARunningReaderSeesTheAppliedValues) {
    ChildProcess reader(kProbe, {}, env());
    ASSERT_EQ(reader.ask("config"), "config 0 4 DefaultODR 310");
    ASSERT_EQ(reader.ask("queue POSTSCRIPT_GEN"),
              "queue 0 1 OTHER|Any Level 2 PostScript printer on the network|psprinter");
    const std::string f = file("f.yaml", "Queues:\n  POSTSCRIPT_GEN: {Description: Lobby, "
                                         "PrintDest: PRINTER_AND_DISK}\n  LEGAL_DEPT: {Printer: "
                                         "HP_LASERJET_4MV, DeviceName: 'LPT3:'}\n");
    ASSERT_EQ(run({"apply", f}).exitCode, 0);
    EXPECT_EQ(reader.ask("queue POSTSCRIPT_GEN"), "queue 0 3 OTHER|Lobby|psprinter");
    EXPECT_EQ(reader.ask("queue LEGAL_DEPT"), "queue 0 1 HP_LASERJET_4MV||LPT3:");
    EXPECT_EQ(reader.ask("config"), "config 0 5 DefaultODR 310");
}

// A deleted queue comes back whole with the entry before its deletion; each change is recorded
// with who made it, what made it and what it changed.
TEST_F(Admin, RestoreBringsBackADeletedQueueAndTheHistorySaysWhoDidWhat) {
    ASSERT_EQ(run({"queue", "set", "ACCOUNTS_LJ", "WaitTimeout=60"}).exitCode, 0);
    auto shown = [&] {
        return std::regex_replace(run({"queue", "show", "RICOH_MAIL"}).out,
                                  std::regex("UpdateTime: .*\n"), "");
    };
    const std::string was = shown();
    EXPECT_EQ(said({"queue", "delete", "RICOH_MAIL"}),
              "1 lntc queue delete: not confirmed: standard input is not a terminal; give --yes\n");
    EXPECT_EQ(said({"queue", "delete", "RICOH_MAIL", "--yes"}),
              "0 - queue RICOH_MAIL\nApplied 1 change.\n");
    EXPECT_EQ(run({"queue", "list"}).out.find("RICOH_MAIL"), std::string::npos);
    const std::regex time(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)");
    const std::string user = std::string(getpwuid(getuid())->pw_name) + " (sudo by alice)";
    EXPECT_EQ(std::regex_replace(said({"history", "show", "2"}), time, "T"),
              "0 Change 2, T by " + user + ": queue delete RICOH_MAIL\n  - queue RICOH_MAIL\n");
    EXPECT_EQ(said({"restore", "1", "--yes"}),
              "0 + queue RICOH_MAIL\nRestored the configuration as it was after change 1.\n");
    EXPECT_EQ(shown(), was);
    std::string listed = "N       TIME                       USER              CHANGE\n";
    for (const char* change : {"3       T  %s  restore 1: + queue RICOH_MAIL\n",
                               "2       T  %s  queue delete RICOH_MAIL: - queue RICOH_MAIL\n",
                               "1       T  %s  queue set ACCOUNTS_LJ: ~ queue ACCOUNTS_LJ "
                               "WaitTimeout 300 -> 60\n"})
        listed += std::regex_replace(change, std::regex("%s"), user);
    EXPECT_EQ(std::regex_replace(run({"history"}).out, time, "T"), listed);
}

// A new queue is one the ODR lists for this print server, and starts as the dialogs' Create
// makes it: the model's defaults, its default media, then the values given.
TEST_F(Admin, AddTakesOnlyTheOdrsQueuesForThisServerAndStartsThemAsCreateDoes) {
    const std::string before = state();
    for (const char* name : {"BRANCH_OFFICE", "NOPE"})
        EXPECT_EQ(
            said({"queue", "add", name, "--model", "HP_LASERJET_4MV"}),
            "1 lntc queue add: queue '" + std::string(name) +
                "': the ODR does not list it for this print server\nlntc queue add: " + kNothing);
    EXPECT_EQ(state(), before);
    EXPECT_EQ(
        said({"queue", "add", "LEGAL_DEPT", "--model", "HP_LASERJET_4MV", "Connectivity=TCP_DIRECT",
              "DeviceName=legal_lj", "DataEncode=ASCII_85", "--address", "10.1.2.30"}),
        "0 + queue LEGAL_DEPT\n+ hosts legal_lj 10.1.2.30\nApplied 2 changes.\n");
    const std::string shown = run({"queue", "show", "LEGAL_DEPT"}).out;
    for (const char* line :
         {"\nImageHardware: LJB\n", "\nWaitTimeout: 300\n", "\nTCP_SocketNumber: 9100\n",
          "\nTray1/Top:\n  Paper: LETTER\n  "
          "Priority: 1\n"})
        EXPECT_NE(shown.find(line), std::string::npos) << line << shown;
    EXPECT_TRUE(readTextFile(hostsFile()).ends_with("\n10.1.2.30\tlegal_lj\n"));
}

// The history keeps its last 200 entries: the 200th is kept with all before it, the 201st
// pushes out the oldest.
TEST_F(Admin, TheHistoryKeepsTwoHundredEntries) {
    std::string seed = "REGEDIT4\n", kept;
    for (int n = 1; n <= 198; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "%08d", n);
        seed += std::string("\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quendal\\PrintServer\\History\\") +
                name + "]\n\"Source\"=\"seed\"\n\"Changes\"=\"~ earlier\"\n";
        kept += std::string(name) + " ";
    }
    // The import is itself entry 199.
    ASSERT_EQ(said({"reg", "import", "-"}, seed), "0 imported standard input\n");
    ASSERT_EQ(run({"queue", "set", "ACCOUNTS_LJ", "WaitTimeout=60"}).exitCode, 0);
    EXPECT_EQ(historyKeys(), kept + "00000199 00000200 ");
    ASSERT_EQ(run({"queue", "set", "ACCOUNTS_LJ", "WaitTimeout=61"}).exitCode, 0);
    EXPECT_EQ(historyKeys(), kept.substr(9) + "00000199 00000200 00000201 ");
}

// The hosts line of a new queue's port is written before the registry batch; when the registry
// refuses the batch, the hosts file is as it was, without the new line.
TEST_F(Admin, AHostsLineWrittenForAChangeTheRegistryRefusesIsTakenBack) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((root.path() + "/registry.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TRIGGER legal BEFORE INSERT ON keys WHEN NEW.lname = "
                           "'legal_dept' BEGIN SELECT RAISE(ABORT, ''); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const std::string before = state();
    const RunResult r =
        run({"queue", "add", "LEGAL_DEPT", "--model", "HP_LASERJET_4MV", "Connectivity=TCP_DIRECT",
             "DeviceName=legal_lj", "DataEncode=ASCII_85", "--address", "10.1.2.30",
             "--description", "Legal"});
    EXPECT_EQ(std::to_string(r.exitCode) + r.err.substr(r.err.find('\n') + 1),
              "1lntc queue add: " + kNothing);
    EXPECT_EQ(state(), before);
}

} // namespace
