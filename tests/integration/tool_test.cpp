// The lntc tool on a demo installation, as an administrator or a script uses it.
#include "support/child_process.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace lntc::test;
using Json = nlohmann::json;

namespace {

const std::string kTool = std::string(LNTC_BIN_DIR) + "/lntc";

class Tool : public ::testing::Test {
  protected:
    TempRoot root;
    std::map<std::string, std::string> env() const {
        return {{"LNT_ROOT", root.path()},
                {"LNT_PRINT_SERVER", "ps-test"},
                {"LNTC_SHARE", std::string(LNTC_SOURCE_DIR) + "/share"}};
    }
    RunResult run(const std::vector<std::string>& args) { return runProgram(kTool, args, env()); }
    void SetUp() override { ASSERT_EQ(run({"demo-setup"}).exitCode, 0); }
    Json show() {
        RunResult r = run({"show", "--json"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return Json::parse(r.out);
    }
    std::string rootDb() const { return root.path() + "/registry.db"; }
    std::string exportAll() {
        RunResult r = run({"reg", "export", "HKEY_LOCAL_MACHINE\\SOFTWARE"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.out;
    }
};

TEST_F(Tool, ShowListsTheDemoConfigurationAsJson) {
    Json j = show();
    EXPECT_EQ(j["status"], 0);
    const Json& c = j["ServerConfig"];
    EXPECT_EQ(c["QueueCount"], 4);
    EXPECT_EQ(c["QueueDepth"], 8);
    EXPECT_EQ(c["Domain"], "Alpha");
    EXPECT_EQ(c["Font1"], "lg.2ps");
    EXPECT_EQ(c["Font25"], "");
    EXPECT_EQ(c["OdrRelease"], 310);
    ASSERT_EQ(j["queues"].size(), 4u);
    std::map<std::string, Json> byName;
    for (const auto& q : j["queues"])
        byName[q["Name"]] = q;
    const Json& lj = byName.at("ACCOUNTS_LJ");
    EXPECT_EQ(lj["Printer"], "HP_LASERJET_4MPLUS");
    EXPECT_EQ(lj["Tray2/Bottom"], "LEGAL, 2");
    EXPECT_EQ(lj["DuplexBinding"], 1);
    EXPECT_EQ(byName.at("PLANS_E")["PrintDest"], 3);
    EXPECT_EQ(byName.at("RICOH_MAIL")["EjectTray"], 4);
    EXPECT_EQ(byName.at("POSTSCRIPT_GEN")["TCP_SocketNumber"], 9100);
    EXPECT_EQ(byName.at("POSTSCRIPT_GEN")["OverscanAmt"], 5.0);
    // Running the demo set-up again keeps what is there.
    EXPECT_NE(run({"demo-setup"}).out.find("already present"), std::string::npos);

    RunResult text = run({"show"});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_NE(text.out.find("Queue slot 0: ACCOUNTS_LJ"), std::string::npos);
}

TEST_F(Tool, RetainIsSeenWhileTheConfigurationIsHeld) {
    ChildProcess holder(kTool, {"hold"}, env());
    ASSERT_NE(holder.readLine().value_or("").find("holding (4 queues)"), std::string::npos);
    RunResult r = run({"retain", "ACCOUNTS_LJ", "1"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "ACCOUNTS_LJ: retain files on (PrintDest 3)\n");
    const Json held = show();
    for (const auto& q : held["queues"]) {
        if (q["Name"] == "ACCOUNTS_LJ") {
            EXPECT_EQ(q["PrintDest"], 3);
        }
    }
    EXPECT_EQ(run({"retain", "NOPE", "1"}).exitCode, 1);
    EXPECT_EQ(run({"retain", "ACCOUNTS_LJ", "yes"}).exitCode, 2);
    holder.closeInput();
    EXPECT_EQ(holder.wait(), 0);
    // With the last holder gone the next fill comes from the store again.
    const Json refilled = show();
    for (const auto& q : refilled["queues"]) {
        if (q["Name"] == "ACCOUNTS_LJ") {
            EXPECT_EQ(q["PrintDest"], 1);
        }
    }
}

TEST_F(Tool, HoldEndsOnASignal) {
    ChildProcess holder(kTool, {"hold"}, env());
    ASSERT_TRUE(holder.readLine().has_value());
    kill(holder.pid(), SIGTERM);
    int status = holder.wait();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(Tool, PostScriptAndKanjiFonts) {
    RunResult ps = run({"postscript", "ACCOUNTS_LJ"});
    EXPECT_EQ(ps.out, "ACCOUNTS_LJ: PostScript (1)\n");
    EXPECT_EQ(run({"postscript", "POSTSCRIPT_GEN"}).out, "POSTSCRIPT_GEN: PostScript (8)\n");
    EXPECT_EQ(run({"postscript", "RICOH_MAIL"}).out, "RICOH_MAIL: not PostScript (0)\n");
    RunResult missing = run({"postscript", "accounts_lj"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("no queue named 'accounts_lj'"), std::string::npos);

    std::string file = root.path() + "/kanji.reg";
    std::ofstream(file) << "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quendal\\PrintServer\\"
                           "CurrentVersion\\Fonts]\n\"NeedKanjiDiskFonts\"=dword:00000001\n";
    ASSERT_EQ(run({"reg", "import", file}).exitCode, 0);
    EXPECT_EQ(run({"kanji-fonts"}).out, "1\n");
    EXPECT_EQ(run({"kanji-fonts", "--clear"}).out, "1\n");
    EXPECT_EQ(run({"kanji-fonts"}).out, "0\n");

    // A store that cannot be written keeps the value, and the tool says so.
    ASSERT_EQ(run({"reg", "import", file}).exitCode, 0);
    ASSERT_EQ(::chmod(rootDb().c_str(), 0444), 0);
    RunResult kept = run({"kanji-fonts", "--clear"});
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_EQ(kept.out, "1\n");
    EXPECT_NE(kept.err.find("not cleared: the registry is read-only"), std::string::npos)
        << kept.err;
    EXPECT_EQ(run({"kanji-fonts"}).out, "1\n");
}

TEST_F(Tool, FindAndKillByImageName) {
    // A process with a name nothing else on the machine has.
    std::string image = root.path() + "/lntcvictim.bin";
    std::filesystem::copy_file("/bin/sleep", image);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execl(image.c_str(), image.c_str(), "60", nullptr);
        _exit(127);
    }
    RunResult found;
    for (int i = 0; i < 200; ++i) { // until the child has replaced its image
        found = run({"find", "LNTCVICTIM"});
        if (found.exitCode == 0) break;
        usleep(10000);
    }
    EXPECT_EQ(found.out, std::to_string(pid) + "\n");
    EXPECT_EQ(run({"find", "lntcvictim.bin"}).exitCode, 1);
    RunResult killed = run({"kill", "lntcvictim"});
    EXPECT_EQ(killed.out, "1\n");
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    RunResult again = run({"kill", "lntcvictim"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.out, "0\n");
}

TEST_F(Tool, AMalformedImportNamesItsLineAndChangesNothing) {
    std::string before = exportAll();
    std::string file = root.path() + "/bad.reg";
    std::ofstream(file) << "REGEDIT4\n\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quendal\\PrintServer\\CurrentVersion\\"
                           "General]\n"
                           "\"QueueDepth\"=dword:00000002\n"
                           "\"TimeFormat\"=dword:xyz\n";
    RunResult r = run({"reg", "import", file});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("line 5"), std::string::npos) << r.err;
    EXPECT_EQ(exportAll(), before);
    EXPECT_EQ(show()["ServerConfig"]["QueueDepth"], 8);
    EXPECT_EQ(run({"reg", "import", root.path() + "/missing.reg"}).exitCode, 1);
}

TEST_F(Tool, ExportedFilesImportIntoAnotherMachine) {
    std::string file = root.path() + "/queues.reg";
    ASSERT_EQ(run({"reg", "export",
                   "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quendal\\PrintServer\\CurrentVersion", file})
                  .exitCode,
              0);
    std::ifstream in(file, std::ios::binary);
    char bom[2] = {};
    in.read(bom, 2);
    EXPECT_EQ(static_cast<unsigned char>(bom[0]), 0xFF); // UTF-16LE as the editors write it
    EXPECT_EQ(static_cast<unsigned char>(bom[1]), 0xFE);

    TempRoot other;
    auto otherEnv = env();
    otherEnv["LNT_ROOT"] = other.path();
    ASSERT_EQ(runProgram(kTool, {"reg", "import", file}, otherEnv).exitCode, 0);
    std::filesystem::create_directories(other.path() + "/odr");
    std::filesystem::copy_file(root.path() + "/odr/directory.json",
                               other.path() + "/odr/directory.json");
    RunResult r = runProgram(kTool, {"show", "--json"}, otherEnv);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    Json j = Json::parse(r.out);
    EXPECT_EQ(j["queues"].size(), 4u);
    EXPECT_EQ(j["ServerConfig"]["QueueDepth"], 8);
    EXPECT_EQ(run({"reg", "export", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Nothing"}).exitCode, 1);
}

// When the name service is down an administrator most needs to look: the commands work on
// the records filled without the ODR, with a warning naming the status.
TEST_F(Tool, CommandsWorkWithAWarningWhenTheOdrDoesNotAnswer) {
    const std::string file = root.path() + "/odr/directory.json";
    Json directory = Json::parse(std::ifstream(file));
    for (auto& odr : directory["odrs"])
        odr["answers"] = false;
    std::ofstream(file) << directory.dump();

    RunResult r = run({"show", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("warning: 0x9C00001A (the ODR does not answer)"), std::string::npos)
        << r.err;
    Json j = Json::parse(r.out);
    EXPECT_EQ(j["status"], 0x9C00001Au);
    EXPECT_EQ(j["ServerConfig"]["QueueDepth"], 8);
    EXPECT_EQ(j["ServerConfig"]["OdrRelease"], 268);
    EXPECT_EQ(j["queues"].size(), 4u);
    const std::vector<std::string> others[] = {{"show"},
                                               {"postscript", "ACCOUNTS_LJ"},
                                               {"retain", "ACCOUNTS_LJ", "1"},
                                               {"orientation", "ACCOUNTS_LJ", "LETTER"},
                                               {"media"}};
    for (const auto& args : others) {
        RunResult o = run(args);
        EXPECT_EQ(o.exitCode, 0) << args[0] << ": " << o.err;
        EXPECT_NE(o.err.find("0x9C00001A"), std::string::npos) << args[0] << ": " << o.err;
    }
}

TEST_F(Tool, MessagesShowControlBytesOfTheInputEscaped) {
    const std::string file = root.path() + "/hive.reg";
    std::ofstream(file) << "REGEDIT4\n[HKEY_\x1b]0;owned\x07\\A]\n";
    const std::string notAFolder = root.path() + "/root\x1b[8m";
    std::ofstream(notAFolder) << "a file where the machine root should be";
    struct Case {
        std::vector<std::string> args;
        std::string expected;
        std::string machineRoot = "";
    };
    const std::vector<Case> cases = {
        {{"postscript", "Q\x1b[2J"}, "no queue named 'Q\\x1b[2J'"},
        {{"frob\x07"}, "unknown command 'frob\\x07'"},
        {{"reg", "import", file}, "unsupported hive 'HKEY_\\x1b]0;owned\\x07'"},
        {{"reg", "import", root.path() + "/no\rfile"},
         "cannot read '" + root.path() + "/no\\x0dfile'"},
        {{"reg", "export", "HKLM\\No\x9b"}, "'HKLM\\No\\x9b'"},
        {{"show"}, root.path() + "/root\\x1b[8m", notAFolder},
        {{"reg", "export", "HKLM"}, root.path() + "/root\\x1b[8m", notAFolder},
    };
    for (const auto& c : cases) {
        auto vars = env();
        if (!c.machineRoot.empty()) vars["LNT_ROOT"] = c.machineRoot;
        RunResult r = runProgram(kTool, c.args, vars);
        EXPECT_NE(r.exitCode, 0);
        EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
        for (unsigned char b : r.err)
            EXPECT_TRUE(b >= 0x20 || b == '\n') << "raw control byte in: " << r.err;
    }
}

TEST_F(Tool, ATreeDeeperThanFilesCanHoldIsNotExportedButCanBeDeleted) {
    // Written past the tool, as a store filled before keys were limited could be.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(rootDb().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "BEGIN;"
                           "INSERT INTO keys(parent, name, lname) SELECT id, 'Deep', 'deep' "
                           "FROM keys WHERE parent = 1 AND lname = 'software';",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_stmt* add = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 "INSERT INTO keys(parent, name, lname) "
                                 "VALUES(last_insert_rowid(), 'k', 'k')",
                                 -1, &add, nullptr),
              SQLITE_OK);
    for (int i = 0; i < 600; ++i) {
        ASSERT_EQ(sqlite3_step(add), SQLITE_DONE);
        sqlite3_reset(add);
    }
    sqlite3_finalize(add);
    ASSERT_EQ(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    RunResult r = run({"reg", "export", "HKEY_LOCAL_MACHINE\\SOFTWARE"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("nested deeper than 512 levels"), std::string::npos) << r.err;

    const std::string file = root.path() + "/drop.reg";
    std::ofstream(file) << "REGEDIT4\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Deep]\n";
    ASSERT_EQ(run({"reg", "import", file}).exitCode, 0);
    EXPECT_EQ(exportAll().find("Deep"), std::string::npos);
}

TEST_F(Tool, DemoSetupGivesItsFoldersAndFilesTheirModesWhateverTheUmask) {
    TempRoot other;
    auto vars = env();
    const std::string fresh = other.path() + "/fresh";
    vars["LNT_ROOT"] = fresh + "/root";
    const mode_t umask = ::umask(0);
    RunResult first = runProgram(kTool, {"demo-setup"}, vars);
    // A link left where a file goes is replaced, not written through.
    const std::string victim = other.path() + "/victim";
    std::ofstream(victim) << "not the demo's";
    const std::string font = fresh + "/root/drive_c/qdsw_local/fonts/iso.2ps";
    std::filesystem::remove(font);
    std::filesystem::create_symlink(victim, font);
    RunResult again = runProgram(kTool, {"demo-setup", "--force"}, vars);
    ::umask(umask);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    ASSERT_EQ(again.exitCode, 0) << again.err;
    std::ifstream in(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not the demo's");

    struct stat top {};
    ASSERT_EQ(::stat(fresh.c_str(), &top), 0);
    EXPECT_EQ(top.st_mode & 07777, 0750u) << "a missing folder above the root";
    std::map<std::string, unsigned> modes;
    for (const auto& e : std::filesystem::recursive_directory_iterator(fresh)) {
        struct stat st {};
        ASSERT_EQ(::lstat(e.path().c_str(), &st), 0);
        const std::string name = e.path().string().substr(fresh.size() + 1);
        modes[name] = st.st_mode & 07777;
        EXPECT_EQ(st.st_mode & 0007, 0u) << name << " is open to everybody";
    }
    const std::map<std::string, unsigned> expected = {
        {"root", 0750},
        {"root/registry.db", 0660},
        {"root/odr", 0750},
        {"root/odr/directory.json", 0640},
        {"root/drive_c", 0750},
        {"root/drive_c/qdsw", 0750},
        {"root/drive_c/qdsw/lnt/bin", 0750},
        {"root/drive_c/qdsw/lnt/bin/LJA.dll", 0640},
        {"root/drive_c/qdsw_local/tmp", 0750},
        {"root/drive_c/qdsw_local/sd/ldpx.cfg", 0640},
        {"root/drive_c/qdsw_local/fonts", 0750},
        {"root/drive_c/qdsw_local/fonts/iso.2ps", 0640},
    };
    for (const auto& [name, mode] : expected)
        EXPECT_EQ(modes[name], mode) << name;
    size_t fonts = 0;
    for (const auto& [name, mode] : modes)
        fonts += name.rfind("root/drive_c/qdsw_local/fonts/", 0) == 0;
    EXPECT_EQ(fonts, 4u) << "no temporary file left behind";
}

TEST_F(Tool, ADamagedRegistryTakesNoImportAndTheLogSaysWhy) {
    const auto size = std::filesystem::file_size(rootDb());
    {
        std::fstream f(rootDb(), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(size / 2 / 4096 * 4096));
        f << std::string(4096, '\xA5');
    }
    auto bytes = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string damaged = bytes(rootDb());
    const std::string file = root.path() + "/new.reg";
    std::ofstream(file) << "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\New]\n\"v\"=\"x\"\n";
    for (const auto& args : {std::vector<std::string>{"reg", "import", file},
                             std::vector<std::string>{"demo-setup", "--force"}}) {
        RunResult r = run(args);
        EXPECT_EQ(r.exitCode, 1) << args[0];
        EXPECT_NE(r.err.find("failed its integrity check"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("nothing was imported"), std::string::npos) << r.err;
    }
    RunResult shown = run({"show"});
    EXPECT_EQ(shown.exitCode, 0) << "read as far as it can be: " << shown.err;
    EXPECT_EQ(bytes(rootDb()), damaged);
    EXPECT_NE(bytes(root.path() + "/log/error.log").find("failed its integrity check"),
              std::string::npos);
}

TEST_F(Tool, UsageErrorsAreClear) {
    RunResult r = run({"frobnicate"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("unknown command 'frobnicate'"), std::string::npos);
    EXPECT_EQ(run({"show", "--xml"}).exitCode, 2);
    EXPECT_EQ(run({"reg"}).exitCode, 2);
    EXPECT_EQ(runProgram(kTool, {}, env()).exitCode, 2);
}

} // namespace
