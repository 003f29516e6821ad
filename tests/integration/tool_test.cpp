// The lntc tool on a demo installation: that each command reaches the library and the store
// and reports what they say, as an administrator or a script uses it.
#include "support/child_process.h"
#include "support/demo_files.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sqlite3.h>

#include <arpa/inet.h>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <map>
#include <netinet/in.h>
#include <regex>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace lntc::test;
using Json = nlohmann::ordered_json;

namespace {

const std::string kTool = std::string(LNTC_BIN_DIR) + "/lntc";
const std::string kConfig = std::string(LNTC_BIN_DIR) + "/lntc-config";
const std::string kProductKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quendal\\PrintServer\\CurrentVersion";

// The exit code, the errors, then the output.
std::string said(const RunResult& r) {
    return std::to_string(r.exitCode) + " " + r.err + r.out;
}

class Tool : public ::testing::Test {
  protected:
    TempRoot root;
    std::map<std::string, std::string> env(const std::string& at = "") const {
        return {{"LNT_ROOT", at.empty() ? root.path() : at},
                {"LNT_PRINT_SERVER", "ps-test"},
                {"LNTC_SHARE", std::string(LNTC_SOURCE_DIR) + "/share"}};
    }
    RunResult run(const std::vector<std::string>& args, const std::string& at = "") {
        return runProgram(kTool, args, env(at));
    }
    void SetUp() override { ASSERT_EQ(run({"demo-setup"}).exitCode, 0); }
    Json runJson(const std::vector<std::string>& args) {
        RunResult r = run(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return Json::parse(r.out);
    }
    std::string file(const std::string& name, const std::string& text) {
        std::ofstream(root.path() + "/" + name) << text;
        return root.path() + "/" + name;
    }
    std::string rootDb() const { return root.path() + "/registry.db"; }
    // Into a file, as the editors' current format.
    std::string exportAll() {
        const std::string to = root.path() + "/all.reg";
        const std::string r = said(run({"reg", "export", "HKEY_LOCAL_MACHINE\\SOFTWARE", to}));
        return r + readTextFile(to);
    }
};

// The records' fields in record order, which is not the field tables' (Magic and UpdateTime
// lead; the text form, the command table shows), the media table and the large-document file
// as the store has them.
TEST_F(Tool, ShowMediaAndLdpxGiveTheRecordsAsTheStoreHasThem) {
    Json j = runJson({"show", "--json"});
    EXPECT_EQ(std::to_string(j["Queues"].size()) + j["Queues"].begin().key() +
                  j["General"]["Magic"].dump() + j["Status"].dump() + j["ODR"].dump() +
                  j["Queues"]["ACCOUNTS_LJ"]["Tray2/Bottom"].dump() +
                  j["Queues"]["ACCOUNTS_LJ"]["Connectivity"].dump(),
              R"(4ACCOUNTS_LJ"0x56981342"{"Code":"0x00000000","Text":"success"}"Alpha:Quendal")"
              R"({"Paper":"LEGAL","Priority":2}"OTHER/PARALLEL")");
    Json media = runJson({"media", "--json"});
    const Json xerox = runJson({"ldpx", "XEROX_8840C", "--json"})["values"];
    EXPECT_EQ(std::to_string(media.size()) + media["RICOH_LP-M32"]["PaperSizes"][0].dump() +
                  xerox["Psize"]["PaperSizes"][2]["command"].dump(),
              R"(15{"szName":"LETTER","usOrientation":1}"03")");
}

// One run per command family. Names from the command line or a file are echoed with their
// control bytes escaped; a malformed import changes nothing.
TEST_F(Tool, CommandsAnswerWhatTheLibraryAndTheStoreSay) {
    const std::string hive = file("hive.reg", "REGEDIT4\n[HKEY_\x1b]0;owned\x07\\A]\n");
    const std::string bad = file("bad.reg", "REGEDIT4\n\n[" + kProductKey +
                                                "\\General]\n\"QueueDepth\"=dword:00000002\n"
                                                "\"TimeFormat\"=dword:xyz\n");
    // clang-format off
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"show"}, "0 Machine root " + root.path() + "\n\nGeneral:\n  VerboseOnStartup: 0\n"},
        {{"demo-setup"}, "0 demo installation already present under " + root.path() + "\n"},
        {{"postscript", "POSTSCRIPT_GEN"}, "0 POSTSCRIPT_GEN: PostScript (8)\n"},
        {{"postscript", "Q\x1b[2J"}, "3 lntc: no queue named 'Q\\x1b[2J'\n"},
        {{"retain", "NOPE", "1"}, "1 lntc: queue 'NOPE': 0xCF190002 (no such queue)\n"},
        {{"paper", "46"}, "0 46 B4_L 14.3 x 10.1 in\n"},
        {{"orientation", "RICOH_MAIL", "letter"}, "0 letter on RICOH_MAIL: 1 (landscape)\n"},
        {{"ldpx", "HP_LASERJET_4M"}, "1 lntc: Error reading the Large Document Printer LDPX.CFG"},
        {{"reg", "import", bad}, "1 lntc: '" + bad + "': line 5: invalid dword value; expected 1 to 8 hex digits\n"},
        {{"reg", "import", hive}, "1 lntc: '" + hive + "': line 2: unsupported hive 'HKEY_\\x1b]0;owned\\x07'; only "
                                  "HKEY_LOCAL_MACHINE can be imported\n"},
        {{"reg", "export", "HKLM\\No\x9b"}, "1 lntc: 'HKLM\\No\\x9b': The system cannot find the file specified.\n"},
        {{"frob\x07"}, "2 lntc: unknown command 'frob\\x07'\nusage: lntc [--root DIR] COMMAND [ARGS]\n"},
        {{"retain", "ACCOUNTS_LJ", "yes"}, "2 usage: lntc retain QUEUE 0|1\n"},
    };
    // clang-format on
    const std::string before = exportAll();
    for (const auto& [args, expected] : cases)
        EXPECT_EQ(said(run(args)).substr(0, expected.size()), expected);
    EXPECT_EQ(exportAll(), before);
}

// Each command explains itself and names all its options; what a script tests answers through
// the exit status, with messages on standard error only.
TEST_F(Tool, HelpVersionUsageAndExitStatusesAsScriptsExpectThem) {
    // clang-format off
    const std::pair<const char*, const char*> usages[] = {
        {"show", "show [--json]"}, {"retain", "retain QUEUE 0|1"},
        {"postscript", "postscript QUEUE"}, {"kanji-fonts", "kanji-fonts [--clear]"},
        {"find", "find NAME"}, {"kill", "kill NAME"}, {"hold", "hold"},
        {"reg", "reg import FILE|-\n       lntc reg export [--regedit4|--v5] KEY [FILE]"},
        {"media", "media [--json]"}, {"orientation", "orientation QUEUE PAPER"},
        {"ldpx", "ldpx MODEL [--json]"}, {"paper", "paper NAME|ID"},
        {"demo-setup", "demo-setup [--force]"}, {"log", "log [-f] [-n N]"}};
    const struct { std::vector<std::string> args; int code; std::string out, err; } cases[] = {
        {{"--version"}, 0, "lntc " LNTC_VERSION "\n", ""},
        {{"show", "--frob"}, 2, "", "lntc: show takes only --json\nusage: lntc show [--json]\n"},
        {{"--root"}, 2, "", "lntc: --root needs a folder\nusage: lntc [--root DIR]"},
        {{"find", "nosuchimage"}, 1, "", "lntc: no process named 'nosuchimage'\n"},
        {{"kill", "nosuchimage"}, 1, "", "lntc: no process named 'nosuchimage' was stopped\n"},
        {{"postscript", "PLANS_E"}, 1, "PLANS_E: not PostScript (0)\n", ""},
        {{"postscript"}, 2, "", "usage: lntc postscript QUEUE\n"},
        {{"postscript", "NOPE"}, 3, "", "lntc: no queue named 'NOPE'\n"},
        {{"retain", "ACCOUNTS_LJ", "1"}, 1, "ACCOUNTS_LJ: retain files on (PrintDest 3)\n",
         "lntc: no other process holds the configuration: the change ends with this command"},
        {{"log", "-n", "1000001"}, 2, "", "lntc: -n takes a number of lines from 0 to 1000000\n"},
        {{"complete", "options", "reg"}, 0, "--regedit4\n--v5\n", ""},
        {{"complete", "models"}, 0, "OTHER\nHP_LASERJET_4M\n", ""},
        {{"complete", "papers"}, 0, "A_HALF\nA_HALF_L\n", ""},
    };
    // clang-format on
    for (const auto& [command, usage] : usages) {
        const std::string expected = std::string("usage: lntc ") + usage + "\n";
        RunResult r = run({command, "--help"});
        EXPECT_EQ(std::to_string(r.exitCode) + r.err + r.out.substr(0, expected.size()),
                  "0" + expected);
    }
    for (const auto& c : cases) {
        RunResult r = run(c.args);
        EXPECT_EQ(std::to_string(r.exitCode) + "|" + r.out.substr(0, c.out.size()) + "|" +
                      r.err.substr(0, c.err.size()),
                  std::to_string(c.code) + "|" + c.out + "|" + c.err)
            << c.args[0];
        EXPECT_TRUE((!c.out.empty() || r.out.empty()) && (!c.err.empty() || r.err.empty()))
            << c.args[0] << r.out << r.err;
    }
    if (std::filesystem::exists(kConfig)) {
        EXPECT_EQ(said(runProgram(kConfig, {"--version"}, env())),
                  "0 lntc-config " LNTC_VERSION "\n");
    }
}

// Help, the version and a wrong call start nothing: no machine root is made or filled. --root
// wins over LNT_ROOT, and the queues it holds are completed.
TEST_F(Tool, OnlyAGoodCallStartsTheLibraryOnTheRootItNames) {
    const std::string empty = root.path() + "/empty", absent = root.path() + "/absent";
    std::filesystem::create_directory(empty);
    std::string codes;
    for (const std::string& at : {empty, absent})
        for (const std::vector<std::string>& args :
             std::vector<std::vector<std::string>>{{"--help"},
                                                   {"show", "--help"},
                                                   {"--version"},
                                                   {"show", "x"},
                                                   {"frob"},
                                                   {"--root"},
                                                   {"complete", "queues"}})
            codes += std::to_string(run(args, at).exitCode);
    EXPECT_EQ(codes, "00022200002220");
    EXPECT_TRUE(std::filesystem::is_empty(empty));
    EXPECT_FALSE(std::filesystem::exists(absent));
    RunResult r = runProgram(kTool, {"--root", root.path(), "show", "--json"}, env(absent));
    EXPECT_EQ(std::to_string(r.exitCode) + r.err +
                  std::to_string(Json::parse(r.out)["Queues"].size()),
              "0lntc: machine root " + root.path() + "\n4");
    EXPECT_FALSE(std::filesystem::exists(absent));
    EXPECT_EQ(said(runProgram(kTool, {"--root=" + root.path(), "complete", "queues"}, env(absent))),
              "0 ACCOUNTS_LJ\nPLANS_E\nPOSTSCRIPT_GEN\nRICOH_MAIL\n");
}

// A registry file from a pipe, bounded as files are (at 16 MiB, and one past); the log's last
// lines, bounded the same way.
TEST_F(Tool, RegistryFromStandardInputAndTheLogsLastLines) {
    const std::string reg =
        "REGEDIT4\n\n[" + kProductKey + "\\General]\n\"QueueDepth\"=dword:00000007\n";
    EXPECT_EQ(said(runProgram(kTool, {"reg", "import", "-"}, env(), reg)),
              "0 imported standard input\n");
    EXPECT_NE(
        run({"reg", "export", kProductKey + "\\General"}).out.find("\"QueueDepth\"=dword:00000007"),
        std::string::npos);
    const size_t limit = size_t{16} << 20;
    EXPECT_EQ(said(runProgram(kTool, {"reg", "import", "-"}, env(), std::string(limit, 'x')))
                  .substr(0, 30),
              "1 lntc: standard input: line 1");
    EXPECT_EQ(said(runProgram(kTool, {"reg", "import", "-"}, env(), std::string(limit + 1, 'x'))),
              "1 lntc: standard input is larger than 16 MiB; nothing was imported\n");
    std::filesystem::create_directories(root.path() + "/log");
    file("log/error.log", "one\ntwo\nthree\n");
    EXPECT_EQ(said(run({"log", "-n", "2"})), "0 two\nthree\n");
    EXPECT_EQ(said(run({"log", "-n", "1000000"})), "0 one\ntwo\nthree\n");
    // Followed until interrupted, which ends it as any program.
    ChildProcess follower(kTool, {"log", "-f", "-n", "1"}, env());
    EXPECT_EQ(follower.readLine().value_or(""), "three");
    std::ofstream(root.path() + "/log/error.log", std::ios::app) << "four\n";
    EXPECT_EQ(follower.readLine().value_or(""), "four");
    kill(follower.pid(), SIGINT);
    EXPECT_TRUE(WIFSIGNALED(follower.wait()));
}

TEST_F(Tool, FindAndKillByImageName) {
    const std::string image = root.path() + "/lntcvictim.bin"; // a name nothing else has
    std::filesystem::copy_file("/bin/sleep", image);
    ChildProcess victim(image, {"60"}, {});
    RunResult found{}; // polled until the child runs its image
    for (int i = 0; i < 200 && (found = run({"find", "LNTCVICTIM"})).exitCode != 0; ++i)
        usleep(10000);
    EXPECT_EQ(found.out, std::to_string(victim.pid()) + "\n");
    EXPECT_EQ(said(run({"kill", "lntcvictim"})), "0 1\n");
    EXPECT_TRUE(WIFSIGNALED(victim.wait()));
    EXPECT_EQ(said(run({"find", "lntcvictim"})), "1 lntc: no process named 'lntcvictim'\n");
}

// A retain is seen by the others while the configuration is held, and hold ends on a signal.
// When the name service is down an administrator most needs to look: the commands work on the
// records filled without the ODR, and the one that fills them warns, naming the status.
TEST_F(Tool, RetainIsSeenWhileHeldAndCommandsWorkWithAWarningWhenTheOdrDoesNotAnswer) {
    const std::string path = root.path() + "/odr/directory.json";
    Json directory = Json::parse(std::ifstream(path));
    for (auto& odr : directory["odrs"])
        odr["answers"] = false;
    std::ofstream(path) << directory.dump();
    ChildProcess holder(kTool, {"hold"}, env());
    ASSERT_NE(holder.readLine().value_or("").find("holding (4 queues)"), std::string::npos);
    EXPECT_EQ(said(run({"retain", "ACCOUNTS_LJ", "1"})),
              "0 ACCOUNTS_LJ: retain files on (PrintDest 3)\n");
    EXPECT_EQ(runJson({"show", "--json"})["Queues"]["ACCOUNTS_LJ"]["PrintDest"],
              "PRINTER_AND_DISK");
    kill(holder.pid(), SIGTERM);
    EXPECT_TRUE(exitedWith(holder.wait(), 0));
    // With the last holder gone the next fill comes from the store again.
    RunResult r = run({"show", "--json"});
    EXPECT_EQ(
        r.err + Json::parse(r.out)["Queues"]["ACCOUNTS_LJ"]["PrintDest"].dump(),
        "lntc: machine root " + root.path() +
            "\nlntc: warning: 0x9C00001A (the ODR does not answer): the configuration was filled "
            "without the ODR's system defaults\n\"PRINTER_ONLY\"");
}

TEST_F(Tool, AReadOnlyOrDamagedRegistryIsReadButNeverWritten) {
    const std::string kanji =
        file("kanji.reg",
             "REGEDIT4\n\n[" + kProductKey + "\\Fonts]\n\"NeedKanjiDiskFonts\"=dword:00000001\n");
    ASSERT_EQ(run({"reg", "import", kanji}).exitCode, 0);
    std::string runs;
    for (mode_t mode : {0444, 0660}) {
        ASSERT_EQ(::chmod(rootDb().c_str(), mode), 0);
        runs += said(run({"kanji-fonts", "--clear"}));
        runs += said(run({"kanji-fonts"}));
    }
    EXPECT_EQ(runs,
              "1 lntc: NeedKanjiDiskFonts was not cleared: the registry is read-only\n1\n0 1\n"
              "0 1\n0 0\n");

    // Garbage over a page in the middle, as a failing disk or a stray write leaves it.
    {
        std::fstream f(rootDb(), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(std::filesystem::file_size(rootDb()) / 8192 * 4096));
        f << std::string(4096, '\xA5');
    }
    const std::string damaged = readTextFile(rootDb());
    RunResult r = run({"reg", "import", kanji});
    EXPECT_TRUE(r.exitCode == 1 && r.err.find("failed its integrity check") != std::string::npos &&
                r.err.ends_with("; nothing was imported\n"))
        << r.err;
    EXPECT_EQ(run({"show"}).exitCode, 0) << "read as far as it can be";
    EXPECT_NE(readTextFile(root.path() + "/log/error.log").find("failed its integrity check"),
              std::string::npos);
    EXPECT_EQ(readTextFile(rootDb()), damaged) << "not a byte written";
}

// Below a folder shared by a group (set-group-id), new folders keep the bit, so that the
// files made in them take the group and its members can read them.
TEST_F(Tool, DemoSetupGivesItsFoldersAndFilesTheirModesWhateverTheUmask) {
    const std::string victim = root.path() + "/victim";
    std::ofstream(victim) << "not the demo's";
    for (bool shared : {false, true}) {
        TempRoot other;
        ASSERT_EQ(shared ? ::chmod(other.path().c_str(), 02770) : 0, 0);
        const unsigned folderMode = shared ? 02750 : 0750;
        const std::string fresh = other.path() + "/fresh/root";
        const mode_t umask = ::umask(0);
        std::string runs = said(run({"demo-setup"}, fresh)).substr(0, 2);
        // A link left where a file goes is replaced, not written through.
        const std::string font = fresh + "/drive_c/qdsw_local/fonts/iso.2ps";
        std::filesystem::remove(font);
        std::filesystem::create_symlink(victim, font);
        runs += said(run({"demo-setup", "--force"}, fresh)).substr(0, 2);
        runs += said(run({"show"}, fresh)).substr(0, 2);
        ::umask(umask);
        EXPECT_EQ(runs + readTextFile(victim), "0 0 0 not the demo's");
        // Every mode, a missing folder above the root and the library's run/ among them (not
        // its lock files); no temporary font file left behind.
        std::string wrong;
        size_t fonts = 0;
        for (const auto& e : std::filesystem::recursive_directory_iterator(other.path())) {
            struct stat st {};
            ASSERT_EQ(::lstat(e.path().c_str(), &st), 0);
            const std::string name = e.path().string().substr(other.path().size());
            const unsigned wanted = name == "/fresh/root/registry.db" ? 0660
                                    : S_ISDIR(st.st_mode)             ? folderMode
                                                                      : 0640;
            if ((st.st_mode & 07777) != wanted && !name.starts_with("/fresh/root/run/"))
                wrong += name + " ";
            fonts += name.starts_with("/fresh/root/drive_c/qdsw_local/fonts/");
        }
        EXPECT_EQ(std::tuple(wrong, fonts), std::tuple("", 4u));
        // The demo's printer names, where the library looks for them.
        EXPECT_TRUE(std::filesystem::is_regular_file(
            fresh + "/drive_c/WINDOWS/system32/drivers/etc/hosts"));
    }
}

#ifdef LNTC_HAVE_QT
// What a connection to the port hears first, made by a process of the user as: the server's
// banner, or nothing when it is closed unanswered. "!" when the child cannot become as.
std::string firstWords(uint16_t port, uid_t as) {
    ForkedChild child([&](ForkedChild& self) {
        if (as != ::geteuid() && (::setgroups(0, nullptr) || ::setgid(as) || ::setuid(as))) {
            self.tell('!');
            return 1;
        }
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET, a.sin_port = htons(port),
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const timeval wait{60, 0}; // only a hung server waits this long
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        char words[12];
        const ssize_t n = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0
                              ? ::recv(fd, words, sizeof words, MSG_WAITALL)
                              : -1;
        for (ssize_t i = 0; i < n; ++i)
            self.tell(words[i]);
        return 0;
    });
    std::string heard;
    for (char c; (c = child.await()) != 0;)
        heard += c;
    child.join();
    return heard;
}

// The run served over VNC answers on the loopback address only, although Qt's vnc platform
// listens on every interface, and to its own user only: another user's connection is closed
// before the protocol starts, logged, and the server listens on. A port it cannot listen on
// ends it at once.
TEST_F(Tool, ConfigOverVncServesItsUserOnLoopbackOnly) {
    uint16_t free = 0;
    ::close(LoopbackListener(free));
    char port[8];
    std::snprintf(port, sizeof port, ":%04X ", free); // as /proc/net lists it
    auto vars = env();
    vars["LNTC_NO_GUI"] = "";
    ChildProcess config(kConfig, {"--vnc", std::to_string(free)}, vars);
    std::string listening; // the local address of the listening socket
    for (int i = 0; i < 200 && listening.empty(); ++i, ::usleep(50 * 1000)) {
        std::istringstream lines(readTextFile("/proc/net/tcp6") + readTextFile("/proc/net/tcp"));
        for (std::string slot, local, remote, state, rest;
             lines >> slot >> local >> remote >> state; std::getline(lines, rest))
            if (state == "0A" && (local + " ").find(port) != std::string::npos) listening = local;
    }
    const bool asRoot = ::geteuid() == 0;
    const std::string other = asRoot ? firstWords(free, 65534) : "",
                      own = firstWords(free, ::geteuid());
    ::kill(config.pid(), SIGTERM);
    config.wait();
    const std::string at = std::string(port).substr(0, 5);
    EXPECT_TRUE(listening == "0000000000000000FFFF00000100007F" + at ||
                listening == "0100007F" + at)
        << listening;
    EXPECT_TRUE(own.starts_with("RFB 003.00") && own.size() == 12) << own;
    if (asRoot) {
        EXPECT_EQ(other, "");
        const std::string path = root.path() + "/log/error.log",
                          log = std::filesystem::exists(path) ? readTextFile(path) : "";
        EXPECT_TRUE(std::regex_search(log, std::regex("lntc-config: refused a VNC connection from "
                                                      "127.0.0.1 port [0-9]+: it was made by "
                                                      "user 65534, and only user 0 may connect")))
            << log;
    }

    // Taken, or below 1024 for a user without the privilege.
    const int taken = LoopbackListener(free);
    const std::string line = "lntc-config: cannot listen on localhost port ";
    EXPECT_EQ(said(runProgram(kConfig, {"--vnc", std::to_string(free)}, vars)),
              "2 " + line + std::to_string(free) + ": Address already in use\n");
    ::close(taken);
    if (asRoot && readTextFile("/proc/sys/net/ipv4/ip_unprivileged_port_start") == "1024\n") {
        EXPECT_EQ(said(runProgram(
                      "/usr/bin/setpriv",
                      {"--reuid=65534", "--regid=65534", "--clear-groups", kConfig, "--vnc", "80"},
                      vars)),
                  "2 " + line + "80: Permission denied\n");
    }
    if (!asRoot) GTEST_SKIP() << "another user's connection needs root to make";
}

// A failing script stops the configuration run: exit 2, its line on standard error and in the
// transcript, the run's window cancelled, the registry as it was; so does a transcript that
// cannot be written, before the run or at its end (a device behind a link is written, never
// replaced). The demo's script runs to OK, what it configured is in the registry, and the
// history names the script as the maker of its saves.
TEST_F(Tool, ConfigScriptsStopAtTheirFailingLineOrConfigureTheDemo) {
    const std::string before = exportAll(), transcript = root.path() + "/transcript.json";
    auto config = [&](const std::string& script, const std::string& input = "") {
        RunResult r =
            runProgram(kConfig, {"--script", script, "--transcript", transcript}, env(), input);
        const Json t = Json::parse(std::ifstream(transcript));
        return std::to_string(r.exitCode) + " " + r.err +
               (t["error"].is_object() ? t["error"]["line"].dump() : "-") +
               t["events"].back().dump();
    };
    const std::string failed = config("-", "# the main dialog is in front\nexpect dialog 9999\n");
    EXPECT_TRUE(failed.starts_with("2 lntc-config: line 2: ") &&
                failed.ends_with(R"(2{"kind":"end","id":203,"result":2})"))
        << failed;
    const std::string missing = root.path() + "/missing/t.json", full = root.path() + "/full";
    std::filesystem::create_symlink("/dev/full", full);
    std::string runs;
    for (const std::string& to : {missing, full})
        runs += said(
            runProgram(kConfig, {"--script", "-", "--transcript", to}, env(), "click Cancel\n"));
    EXPECT_EQ(runs, "2 lntc-config: cannot write the transcript " + missing +
                        ": No such file or directory\n2 lntc-config: cannot write the transcript " +
                        full + ": No space left on device\n");
    EXPECT_EQ(std::filesystem::read_symlink(full), "/dev/full");
    EXPECT_EQ(exportAll(), before);
    const std::string demo = std::string(LNTC_SOURCE_DIR) + "/share/demo/configure.script";
    EXPECT_EQ(config(demo), R"(0 -{"kind":"end","id":203,"result":1})");
    EXPECT_NE(run({"history"}).out.find("  script " + demo + ": + queue LEGAL_DEPT"),
              std::string::npos);
    // One queue of each model class, beside the demo's own.
    const std::string queues = run({"reg", "export", kProductKey + "\\Queues"}).out;
    for (const char* q :
         {"LEGAL_DEPT", "MARKETING_COLOR", "PLANS_E", "POSTSCRIPT_GEN", "RICOH_MAIL"})
        EXPECT_NE(queues.find("\\Queues\\" + std::string(q) + "]"), std::string::npos) << q;
}

// A dry run plays the demo's script on a copy and prints its plan, the root's files untouched.
// A failing script takes back what it saved (its hosts line aside, which is why it comes last),
// and the history says so.
TEST_F(Tool, ConfigScriptsPreviewOnACopyAndRollBackWhenTheyFail) {
    const std::string demo = std::string(LNTC_SOURCE_DIR) + "/share/demo/configure.script";
    const std::string hosts = root.path() + "/drive_c/WINDOWS/system32/drivers/etc/hosts";
    const std::string before = run({"dump"}).out;
    const std::string files = readTextFile(rootDb()) + readTextFile(hosts);
    const RunResult planned = runProgram(kConfig, {"--script", demo, "--dry-run"}, env());
    EXPECT_EQ(planned.exitCode, 0) << planned.err;
    EXPECT_NE(planned.out.find("\n+ queue LEGAL_DEPT\n"), std::string::npos) << planned.out;
    EXPECT_EQ(run({"dump"}).out, before);
    EXPECT_TRUE(readTextFile(rootDb()) + readTextFile(hosts) == files);

    std::string legal; // the demo's script up to the save of its first queue
    std::ifstream in(demo);
    for (std::string line; std::getline(in, line) && !line.starts_with("expect items \"Current");)
        legal += line + "\n";
    const RunResult failed =
        runProgram(kConfig, {"--script", "-"}, env(), legal + "expect dialog 9999\n");
    EXPECT_EQ(failed.exitCode, 2) << failed.err;
    EXPECT_EQ(run({"dump"}).out, before);
    const std::string history = run({"history"}).out;
    for (const char* entry : {"  script rolled back: - queue LEGAL_DEPT\n",
                              "  script standard input: + queue LEGAL_DEPT"})
        EXPECT_NE(history.find(entry), std::string::npos) << entry << "\n" << history;
}

// A display named in the environment that does not answer (port 65535, above those the system
// hands out) leaves a process on the console: no logo, and the configuration, without a
// terminal to fall back on, says so and stops.
TEST_F(Tool, ADisplayThatDoesNotAnswerIsNoDisplay) {
    auto vars = env();
    vars.insert({{"QT_QPA_PLATFORM", ""}, {"WAYLAND_DISPLAY", ""}, {"LNTC_NO_GUI", ""}});
    vars["DISPLAY"] = "127.0.0.1:59535";
    EXPECT_EQ(runProgram(kTool, {"show"}, vars).exitCode, 0);
    EXPECT_EQ(said(runProgram(kConfig, {}, vars)),
              "2 lntc-config: the display named by DISPLAY or WAYLAND_DISPLAY does not answer; set "
              "DISPLAY or WAYLAND_DISPLAY, or use --vnc [PORT] or --script FILE\n");
    // Without a terminal either (pipes), the terminal cannot be asked for.
    EXPECT_EQ(said(runProgram(kConfig, {"--tui"}, vars)),
              "2 lntc-config: --tui needs a terminal on standard input and output\n");
}

// The registry refuses (a real database whose triggers abort the writes): a queue's save says why
// and that the queue was not configured; a key that stays keeps its queue; the general record's
// save keeps the main dialog open and says why, and Close asks whether to leave without it.
TEST_F(Tool, WhatTheRegistryRefusesIsShownAndChangesNothing) {
    const std::string before = exportAll();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(rootDb().c_str(), &db), SQLITE_OK);
    EXPECT_EQ(
        sqlite3_exec(db,
                     "CREATE TRIGGER general BEFORE INSERT ON vals WHEN NEW.key IN (SELECT id "
                     "FROM keys WHERE lname IN ('general', 'legal_dept')) BEGIN SELECT "
                     "RAISE(ABORT, ''); END; CREATE TRIGGER accounts BEFORE DELETE ON keys "
                     "WHEN OLD.lname = 'accounts_lj' BEGIN SELECT RAISE(ABORT, ''); END",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
    const std::string script =
        "select \"Quendal Queues to Configure\" LEGAL_DEPT\nselect \"Printer Model\" \"HP LaserJet "
        "4MV\"\nclick Configure\nclick OK\nexpect box \"An I/O operation initiated by the registry "
        "failed\"\nanswer ok\nexpect box \"The LEGAL_DEPT queue was not configured.\"\nanswer ok\n"
        "expect items \"Quendal Queues to Configure\" LEGAL_DEPT MARKETING_COLOR\nselect \"Current "
        "Quendal Queues\" ACCOUNTS_LJ\nclick Delete\nanswer yes\nexpect box \"An I/O operation "
        "initiated by the registry failed\"\nanswer ok\nexpect box \"The ACCOUNTS_LJ queue was not "
        "deleted.\"\nanswer ok\nexpect selected \"Current Quendal Queues\" ACCOUNTS_LJ\nclick OK\n"
        "answer yes\nexpect box \"Error writing the font and general options to the Registry.  An "
        "I/O\"\nanswer ok\nclick Close\nanswer yes\nexpect box \"If you exit now, these changes "
        "will be lost\"\nanswer no\nclick Close\nanswer yes\nanswer yes\n";
    EXPECT_EQ(said(runProgram(kConfig, {"--script", "-"}, env(), script)), "1 ");
    EXPECT_EQ(exportAll(), before);
}
#endif

} // namespace
