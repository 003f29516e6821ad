// The lntc tool on a demo installation: that each command reaches the library and the store
// and reports what they say, as an administrator or a script uses it.
#include "store/fields.h"
#include "support/child_process.h"
#include "support/demo_files.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <netinet/in.h>
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
    std::string exportAll() { return run({"reg", "export", "HKEY_LOCAL_MACHINE\\SOFTWARE"}).out; }
};

// The keys of a record's object that are not each of its values once, in record order (as
// scripts rely on), under the name the record's field table gives.
std::vector<std::string> outOfOrder(const Json& object, std::span<const lntc::Field> fields) {
    std::map<std::string, size_t> offsets;
    for (const lntc::Field& f : fields)
        for (int e = 0; e < f.place.count; ++e)
            offsets[lntc::valueName(f, e)] = f.place.offset + e * f.place.size;
    std::vector<std::string> wrong;
    size_t last = 0;
    for (const auto& [key, value] : object.items()) {
        auto it = offsets.find(key);
        if (it == offsets.end() || it->second < last) {
            wrong.push_back(key);
        } else {
            last = it->second;
            offsets.erase(it);
        }
    }
    for (const auto& [name, offset] : offsets)
        wrong.push_back("missing " + name);
    return wrong;
}

TEST_F(Tool, ShowGivesEveryFieldUnderItsNameInRecordOrder) {
    Json j = runJson({"show", "--json"});
    EXPECT_EQ(j["status"], 0);
    EXPECT_EQ(outOfOrder(j["ServerConfig"], lntc::kConfigFields), std::vector<std::string>{});
    ASSERT_EQ(j["queues"].size(), 4u);
    EXPECT_EQ(j["queues"][0].begin().key(), "slot");
    j["queues"][0].erase("slot");
    EXPECT_EQ(outOfOrder(j["queues"][0], lntc::kQueueFields), std::vector<std::string>{});
    EXPECT_EQ(j["ServerConfig"]["Domain"], "Alpha");
    EXPECT_EQ(j["queues"][0]["Tray2/Bottom"], "LEGAL, 2");
    const std::string text = run({"show"}).out;
    EXPECT_NE(text.find("  Magic                  0x56981342\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Queue slot 0: ACCOUNTS_LJ\n  UpdateTime"), std::string::npos);
    EXPECT_NE(run({"demo-setup"}).out.find("already present"), std::string::npos);
}

// Names from the command line or a file are echoed with their control bytes escaped.
TEST_F(Tool, CommandsAnswerWhatTheLibraryAndTheStoreSay) {
    const std::string hive = file("hive.reg", "REGEDIT4\n[HKEY_\x1b]0;owned\x07\\A]\n");
    const std::string bad = file("bad.reg", "REGEDIT4\n\n[" + kProductKey +
                                                "\\General]\n\"QueueDepth\"=dword:00000002\n"
                                                "\"TimeFormat\"=dword:xyz\n");
    const struct {
        std::vector<std::string> args;
        int exit;
        std::string out, err; // the output (a part of it on failure), a part of the errors
    } cases[] = {
        {{"postscript", "POSTSCRIPT_GEN"}, 0, "POSTSCRIPT_GEN: PostScript (8)\n", ""},
        {{"postscript", "Q\x1b[2J"}, 1, "", "no queue named 'Q\\x1b[2J'"},
        {{"retain", "NOPE", "1"}, 1, "", "queue 'NOPE'"},
        {{"kanji-fonts"}, 0, "0\n", ""},
        {{"find", "no-such-image"}, 1, "", "no process named 'no-such-image'"},
        {{"paper", "46"}, 0, "46 B4_L 14.3 x 10.1 in\n", ""},
        {{"paper", "UNKNOWN"}, 1, "", ""},
        {{"orientation", "RICOH_MAIL", "letter"}, 0, "letter on RICOH_MAIL: 1 (landscape)\n", ""},
        {{"ldpx", "HP_LASERJET_4M"}, 1, "0xFFFFFFFF", "Error reading the Large Document Printer"},
        {{"reg", "import", bad}, 1, "", "line 5"},
        {{"reg", "import", hive}, 1, "", "unsupported hive 'HKEY_\\x1b]0;owned\\x07'"},
        {{"reg", "export", "HKLM\\No\x9b"}, 1, "", "'HKLM\\No\\x9b'"},
        {{"frob\x07"}, 2, "", "unknown command 'frob\\x07'"},
        {{}, 2, "", "usage"},
        {{"retain", "ACCOUNTS_LJ", "yes"}, 2, "", ""},
    };
    const std::string before = exportAll();
    for (const auto& c : cases) {
        const std::string what = c.args.empty() ? "" : c.args[0] + " " + c.args.back();
        RunResult r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << what << ": " << r.err;
        EXPECT_EQ(c.exit == 0 ? r.out == c.out : r.out.find(c.out) != std::string::npos, true)
            << what << ": " << r.out;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << what << ": " << r.err;
        for (unsigned char b : r.err)
            EXPECT_TRUE(b >= 0x20 || b == '\n') << "raw control byte in: " << r.err;
    }
    EXPECT_EQ(exportAll(), before); // a malformed import changes nothing
}

TEST_F(Tool, RetainIsSeenWhileTheConfigurationIsHeldAndHoldEndsOnASignal) {
    ChildProcess holder(kTool, {"hold"}, env());
    ASSERT_NE(holder.readLine().value_or("").find("holding (4 queues)"), std::string::npos);
    RunResult r = run({"retain", "ACCOUNTS_LJ", "1"});
    EXPECT_EQ(r.out, "ACCOUNTS_LJ: retain files on (PrintDest 3)\n") << r.err;
    EXPECT_EQ(runJson({"show", "--json"})["queues"][0]["PrintDest"], 3);
    kill(holder.pid(), SIGTERM);
    EXPECT_TRUE(exitedWith(holder.wait(), 0));
    // With the last holder gone the next fill comes from the store again.
    EXPECT_EQ(runJson({"show", "--json"})["queues"][0]["PrintDest"], 1);
}

TEST_F(Tool, FindAndKillByImageName) {
    const std::string image = root.path() + "/lntcvictim.bin"; // a name nothing else has
    std::filesystem::copy_file("/bin/sleep", image);
    ChildProcess victim(image, {"60"}, {});
    RunResult found{1, "", ""};
    for (int i = 0; i < 200 && found.exitCode != 0; ++i) { // until the child runs its image
        found = run({"find", "LNTCVICTIM"});
        if (found.exitCode != 0) usleep(10000);
    }
    EXPECT_EQ(found.out, std::to_string(victim.pid()) + "\n");
    EXPECT_EQ(run({"kill", "lntcvictim"}).out, "1\n");
    EXPECT_TRUE(WIFSIGNALED(victim.wait()));
    EXPECT_EQ(run({"kill", "lntcvictim"}).exitCode, 1);
}

TEST_F(Tool, AnExportedFileImportsIntoAnotherMachine) {
    const std::string exported = root.path() + "/queues.reg";
    ASSERT_EQ(run({"reg", "export", kProductKey, exported}).exitCode, 0);
    std::ifstream in(exported, std::ios::binary);
    EXPECT_EQ(in.get() + in.get() * 256, 0xFEFF); // UTF-16LE with its byte-order mark
    TempRoot other;
    auto vars = env();
    vars["LNT_ROOT"] = other.path();
    ASSERT_EQ(runProgram(kTool, {"reg", "import", exported}, vars).exitCode, 0);
    RunResult r = runProgram(kTool, {"show", "--json"}, vars);
    ASSERT_EQ(r.exitCode, 0) << r.err; // without an ODR directory: no queues are lost
    EXPECT_EQ(Json::parse(r.out)["queues"].size(), 4u);
}

// When the name service is down an administrator most needs to look: the commands work on
// the records filled without the ODR, with a warning naming the status.
TEST_F(Tool, CommandsWorkWithAWarningWhenTheOdrDoesNotAnswer) {
    const std::string path = root.path() + "/odr/directory.json";
    Json directory = Json::parse(std::ifstream(path));
    for (auto& odr : directory["odrs"])
        odr["answers"] = false;
    std::ofstream(path) << directory.dump();
    Json j = runJson({"show", "--json"});
    EXPECT_EQ(j["status"], 0x9C00001Au);
    EXPECT_EQ(j["queues"].size(), 4u);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"show"}, {"retain", "ACCOUNTS_LJ", "1"}, {"orientation", "ACCOUNTS_LJ", "LETTER"}}) {
        RunResult o = run(args);
        EXPECT_EQ(o.exitCode, 0) << args[0] << ": " << o.err;
        EXPECT_NE(o.err.find("warning: 0x9C00001A (the ODR does not answer)"), std::string::npos)
            << args[0] << ": " << o.err;
    }
}

TEST_F(Tool, MediaAndTheLargeDocumentFileAsTheStoreHasThem) {
    Json media = runJson({"media", "--json"});
    EXPECT_EQ(media.size(), 15u);
    EXPECT_EQ(media["RICOH_LP-M32"]["PaperSizes"][0]["usOrientation"], 1);
    const Json xerox = runJson({"ldpx", "XEROX_8840C", "--json"})["values"];
    EXPECT_EQ(xerox["Psize"]["PaperSizes"][2]["command"], "03");
    ASSERT_EQ(run({"reg", "import",
                   file("drop.reg", "REGEDIT4\n[-" + kProductKey + "\\Default Media]\n")})
                  .exitCode,
              0);
    RunResult r = run({"media"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("LNTKEY 'Default Media' c:\\qdsw_local\\sd\\lntmedia.key"),
              std::string::npos)
        << r.err;
}

TEST_F(Tool, AReadOnlyOrDamagedRegistryIsReadButNeverWritten) {
    const std::string kanji =
        file("kanji.reg",
             "REGEDIT4\n\n[" + kProductKey + "\\Fonts]\n\"NeedKanjiDiskFonts\"=dword:00000001\n");
    ASSERT_EQ(run({"reg", "import", kanji}).exitCode, 0);
    ASSERT_EQ(::chmod(rootDb().c_str(), 0444), 0);
    RunResult kept = run({"kanji-fonts", "--clear"});
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_NE(kept.err.find("not cleared: the registry is read-only"), std::string::npos);
    EXPECT_EQ(run({"kanji-fonts"}).out, "1\n");
    ASSERT_EQ(::chmod(rootDb().c_str(), 0660), 0);
    EXPECT_EQ(run({"kanji-fonts", "--clear"}).out, "1\n");
    EXPECT_EQ(run({"kanji-fonts"}).out, "0\n");

    const auto size = std::filesystem::file_size(rootDb());
    {
        std::fstream f(rootDb(), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(size / 2 / 4096 * 4096));
        f << std::string(4096, '\xA5');
    }
    RunResult r = run({"reg", "import", kanji});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("failed its integrity check"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing was imported"), std::string::npos) << r.err;
    EXPECT_EQ(run({"show"}).exitCode, 0) << "read as far as it can be";
    EXPECT_NE(readTextFile(root.path() + "/log/error.log").find("failed its integrity check"),
              std::string::npos);
}

// Below a folder shared by a group (set-group-id), new folders keep the bit, so that the
// files made in them take the group and its members can read them.
TEST_F(Tool, DemoSetupGivesItsFoldersAndFilesTheirModesWhateverTheUmask) {
    for (bool shared : {false, true}) {
        TempRoot other;
        if (shared) {
            ASSERT_EQ(::chmod(other.path().c_str(), 02770), 0);
        }
        const unsigned folderMode = shared ? 02750 : 0750;
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
        RunResult show = runProgram(kTool, {"show"}, vars);
        ::umask(umask);
        ASSERT_EQ(first.exitCode + again.exitCode + show.exitCode, 0)
            << first.err << again.err << show.err;
        std::ifstream in(victim);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not the demo's");
        struct stat st {};
        ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, folderMode) << "a missing folder above the root";
        size_t fonts = 0;
        for (const auto& e : std::filesystem::recursive_directory_iterator(fresh)) {
            ASSERT_EQ(::lstat(e.path().c_str(), &st), 0);
            const std::string name = e.path().string().substr(fresh.size() + 1);
            const unsigned wanted = name == "root/registry.db" ? 0660
                                    : S_ISDIR(st.st_mode)      ? folderMode
                                                               : 0640;
            if (!name.starts_with("root/run/")) { // lock files are the library's own
                EXPECT_EQ(st.st_mode & 07777, wanted) << name << (shared ? " (shared)" : "");
            }
            fonts += name.starts_with("root/drive_c/qdsw_local/fonts/");
        }
        EXPECT_EQ(fonts, 4u) << "no temporary file left behind";
        ASSERT_EQ(::stat((fresh + "/root/run").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, folderMode) << "the library's run/";
    }
}

#ifdef LNTC_HAVE_QT
// The run served over VNC answers on the loopback address only, although Qt's vnc platform
// listens on every interface.
TEST_F(Tool, ConfigOverVncListensOnLoopbackOnly) {
    int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    socklen_t len = sizeof any;
    ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&any), len), 0);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&any), &len);
    ::close(probe);
    char port[8];
    std::snprintf(port, sizeof port, ":%04X ", ntohs(any.sin_port)); // as /proc/net lists it
    auto vars = env();
    vars["LNTC_NO_GUI"] = "";
    ChildProcess config(kConfig, {"--vnc", std::to_string(ntohs(any.sin_port))}, vars);
    std::string listening; // the local address of the listening socket
    for (int i = 0; i < 200 && listening.empty(); ++i) {
        for (const char* table : {"/proc/net/tcp6", "/proc/net/tcp"}) {
            std::istringstream lines(readTextFile(table));
            for (std::string line; std::getline(lines, line);) {
                std::istringstream fields(line);
                std::string slot, local, remote, state;
                fields >> slot >> local >> remote >> state;
                if (state == "0A" && (local + " ").find(port) != std::string::npos)
                    listening = local;
            }
        }
        if (listening.empty()) ::usleep(50 * 1000);
    }
    ::kill(config.pid(), SIGTERM);
    config.wait();
    EXPECT_TRUE(listening == "0000000000000000FFFF00000100007F" + std::string(port).substr(0, 5) ||
                listening == "0100007F" + std::string(port).substr(0, 5))
        << listening;
}

// A failing script stops the configuration run: exit 2, its line on standard error and in the
// transcript, the run's window cancelled, the registry as it was.
TEST_F(Tool, ConfigScriptThatFailsStopsTheRunAtItsLine) {
    const std::string before = exportAll();
    const std::string transcript = root.path() + "/transcript.json";
    RunResult r = runProgram(
        kConfig,
        {"--script", file("fails.script", "# the main dialog is in front\nexpect dialog 9999\n"),
         "--transcript", transcript},
        env());
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_NE(r.err.find("lntc-config: line 2: "), std::string::npos) << r.err;
    std::ifstream in(transcript);
    const Json t = Json::parse(in);
    EXPECT_EQ(t["result"], 1);
    EXPECT_EQ(t["error"]["line"], 2);
    ASSERT_GE(t["events"].size(), 2u);
    EXPECT_TRUE(std::any_of(t["events"].begin(), t["events"].end(), [](const Json& e) {
        return e["kind"] == "dialog" && e["id"] == 203 && e["line"] == 0;
    }));
    EXPECT_EQ(t["events"].back(), Json::parse(R"({"kind": "end", "id": 203, "result": 2})"));
    EXPECT_EQ(exportAll(), before);
    // A line that is no action fails before anything runs.
    RunResult bad = runProgram(kConfig, {"--script", "-"}, env(), "# x\nfrobnicate now\n");
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("line 2: \"frobnicate\" is no action"), std::string::npos) << bad.err;
}

// The demo's configuration run from its script: what it configured is in the registry.
TEST_F(Tool, ConfigScriptConfiguresOneQueueOfEachModelClass) {
    const std::string transcript = root.path() + "/demo.json";
    RunResult r =
        runProgram(kConfig,
                   {"--script", std::string(LNTC_SOURCE_DIR) + "/share/demo/configure.script",
                    "--transcript", transcript},
                   env());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::ifstream in(transcript);
    const Json t = Json::parse(in);
    EXPECT_TRUE(t["error"].is_null());
    EXPECT_EQ(t["events"].back(), Json::parse(R"({"kind": "end", "id": 203, "result": 1})"));
    const std::string queues = run({"reg", "export", "--regedit4", kProductKey + "\\Queues"}).out;
    auto valuesOf = [&](const std::string& queue) {
        size_t at = queues.find("\\Queues\\" + queue + "]");
        return at == std::string::npos ? std::string()
                                       : queues.substr(at, queues.find("\n[", at) - at);
    };
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"LEGAL_DEPT",
         {"\"Printer\"=\"HP_LASERJET_4MV\"", "\"Connectivity\"=\"TCP_DIRECT\"",
          "\"DeviceName\"=\"legal_lj\"", "\"DataEncode\"=\"ASCII_85\""}},
        {"MARKETING_COLOR", {"\"Printer\"=\"OTHER\"", "\"DeviceName\"=\"psprinter\""}},
        {"RICOH_MAIL", {"\"Printer\"=\"RICOH_LP-M20\"", "\"PrinterInitTimeout\"=dword:00000078"}},
        {"PLANS_E", {"\"Printer\"=\"VERSATEC_8636\"", "\"PrinterInitTimeout\"=dword:0000005a"}},
    };
    for (const auto& [queue, lines] : cases) {
        const std::string values = valuesOf(queue);
        for (const std::string& line : lines)
            EXPECT_NE(values.find(line), std::string::npos) << queue << ": " << line;
    }
}
#endif

} // namespace
