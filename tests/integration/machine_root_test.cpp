// Real processes and files on one machine root: the shared sections and the registry database
// below the library, the product's processes through liblntc.so's exports, and product logic
// that rewrites files.
#include "configure/configure.h"
#include "configure/directories.h"
#include "connectivity/hosts_file.h"
#include "library/accessors.h"
#include "library/admin/regfile.h"
#include "library/library.h"
#include "library/lifecycle.h"
#include "library/production.h"
#include "media/ldpx_config.h"
#include "platform/errors.h"
#include "platform/posix/posix_filesystem.h"
#include "platform/posix/posix_locks.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_sections.h"
#include "platform/posix/sqlite_registry.h"
#include "product/posix_product.h"
#include "store/initialise.h"
#include "store/models.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "store/shared_records.h"
#include "support/child_process.h"
#include "support/demo_files.h"
#include "support/locales.h"
#include "support/recording_host.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <regex>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace lntc;
using namespace lntc::test;
using namespace std::chrono_literals;
using FillState = Section::FillState;
namespace fs = std::filesystem;

namespace {

const std::string kProbe = std::string(LNTC_BIN_DIR) + "/lntc_probe";
const std::string kCHost = std::string(LNTC_BIN_DIR) + "/lntc_c_host";
const std::string kQtApp = std::string(LNTC_BIN_DIR) + "/lntc_qt_app";
const std::string kLibDir = LNTC_LIB_DIR;
const std::string kLibrary = kLibDir + "/liblntc.so";
const std::string kRoot = "[HKEY_LOCAL_MACHINE\\" + std::string(kProductRootPath) + "\\";
const std::string kConfig = "config 0 2 Main 310";
const std::string kLaser = "queue 0 1 HP_LASERJET_4M|first floor|";

class SharedConfig : public ::testing::Test {
  protected:
    TempRoot root;
    std::map<std::string, std::string> env() const {
        // Under AddressSanitizer the fault must still end the process as a fault.
        return {{"LNT_ROOT", root.path()},
                {"LNT_PRINT_SERVER", "ps-test"},
                {"ASAN_OPTIONS", "handle_segv=0"}};
    }
    // Registry lines below the product's root, as in a registry file.
    void seed(const std::string& lines) {
        SqliteRegistry reg(root.path() + "/registry.db");
        importRegText(reg, "REGEDIT4\n" + lines);
    }
    void SetUp() override {
        fs::create_directories(root.path() + "/odr");
        std::ofstream(root.path() + "/odr/directory.json")
            << R"({"odrs": [{"domain": "Alpha", "organization": "Quendal",
            "systemDefaults": {"release": "3.1.0", "charset": 2}}]})";
        seed(kRoot +
             "Queues\\LASER]\n\"Printer\"=\"HP_LASERJET_4M\"\n"
             "\"Description\"=\"first floor\"\n" +
             kRoot + "Queues\\PLOT]\n\"Printer\"=\"XEROX_8840C\"\n" + kRoot +
             "General]\n\"DefaultODR\"=\"Main\"\n");
    }
};

// A saving process killed at any moment leaves a store that opens, passes SQLite's own check,
// and holds each queue either before or after a whole save.
TEST_F(SharedConfig, AWriterKilledDuringASaveLeavesAReadableStore) {
    std::mt19937 random(12345);
    for (int round = 0; round < 6; ++round) {
        ForkedChild writer([&](ForkedChild& c) {
            setenv("LNT_ROOT", root.path().c_str(), 1);
            ProductionLibrary production(root.path());
            Library& lib = production.library();
            const ServerConfig* config = nullptr;
            const QueueRecord* current = nullptr;
            if (LoadLibrary(lib) != 0 || GetConfig(lib, &config, LNTC_CONFIG_VERSION) != 0 ||
                GetQueue(lib, "LASER", &current, LNTC_QUEUE_VERSION) != 0)
                return 3;
            QueueRecord q = *current;
            c.tell('r');
            for (unsigned n = 0;; ++n) {
                setField(q.Description, "save " + std::to_string(n));
                setField(q.DeviceName, "save " + std::to_string(n));
                lib.records().SaveQueueRecord(q, false);
            }
        });
        ASSERT_EQ(writer.await(), 'r');
        usleep(2000 + random() % 20000);
        writer.kill();
        writer.join();

        // Opening runs SQLite's quick check.
        EXPECT_EQ(SqliteRegistry(root.path() + "/registry.db").damage(), "");
        ChildProcess reader(kProbe, {}, env()), attached(kProbe, {}, env());
        ASSERT_EQ(reader.ask("config") + attached.ask("config"), kConfig + kConfig);
        // Description and DeviceName belong to one save.
        std::smatch m;
        const std::string answer = reader.ask("queue LASER");
        EXPECT_TRUE(
            std::regex_match(answer, m, std::regex(R"(queue 0 1 HP_LASERJET_4M\|(.*)\|(.*))")) &&
            (m[2] == m[1] || (m[2] == "" && m[1] == "first floor")))
            << answer;
        // A stray write through a read-only view faults, in the filler as in the other.
        for (ChildProcess* p : {&attached, &reader}) {
            p->send("poke");
            p->closeInput(); // one that does not fault ends with its input
            EXPECT_EQ(WTERMSIG(p->wait()), SIGSEGV);
        }
    }
}

// Each interface takes its own version constant and refuses the one below and the one above;
// the administration's configuration run is refused where the library started at load.
TEST_F(SharedConfig, EachInterfaceTakesOnlyItsOwnVersionConstant) {
    EXPECT_EQ(runProgram(kProbe, {}, env(), "versions LASER\nconfigure\n").out,
              "versions CF190001 00000000 CF190001 CF190001 00000000 CF190001 CF190001 00000000 "
              "CF190001\nconfigure CF190004\n");
}

// Before ODR release 3.1.0 every process puts the ODR's own programs first on its search path:
// the one that fills the records, and one that only attaches to them.
TEST_F(SharedConfig, EveryProcessOfAnOlderOdrPutsItsProgramsFirstOnTheSearchPath) {
    for (const std::string release : {"3.0.9", "3.1.0"}) {
        std::ofstream(root.path() + "/odr/directory.json")
            << R"({"odrs": [{"domain": "Alpha", "organization": "Quendal",
            "systemDefaults": {"release": ")" +
                   release + R"(", "charset": 2}}]})";
        auto e = env();
        e["PATH"] = "/usr/bin:/bin";
        const std::string path =
            "path " + (release < "3.1" ? kLibDir + "/ps1:" : "") + "/usr/bin:/bin";
        ChildProcess filler(kProbe, {}, e);
        ASSERT_EQ(filler.ask("config"), "config 0 2 Main " + release.substr(0, 1) +
                                            release.substr(2, 1) + release.substr(4));
        ChildProcess attached(kProbe, {}, e);
        const std::string config = attached.ask("config");
        EXPECT_EQ(std::tuple(config, filler.ask("path"), attached.ask("path")),
                  std::tuple(filler.ask("config"), path, path))
            << release;
    }
}

// Processes that start while others stop must never meet one section without the other. An
// import holds the store's write lock meanwhile: the fill reads the last committed state rather
// than waiting and failing.
TEST_F(SharedConfig, ProcessesStartingWhileOthersStopAlwaysSeeTheQueues) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((root.path() + "/registry.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE; DELETE FROM vals;", nullptr, nullptr, nullptr),
              SQLITE_OK);
    std::atomic<int> empty{0};
    auto loop = [&] {
        for (int n = 0; n < 40; ++n)
            empty += runProgram(kProbe, {}, env(), "config\nqueue LASER\n").out !=
                     kConfig + "\n" + kLaser + "\n";
    };
    { std::jthread a(loop), b(loop), c(loop), d(loop); }
    sqlite3_close(db);
    EXPECT_EQ(empty.load(), 0);
    const std::string object = PosixSections(root.path()).shmName(kConfigSectionName);
    EXPECT_FALSE(!object.empty() && fs::exists("/dev/shm" + object)) << object;
}

// Another local user can neither block the start by planting objects under the names a
// process will use, nor slip one of theirs in; what is not ours is reported as such.
TEST_F(SharedConfig, ForeignSharedMemoryObjectsNeitherBlockNorSlipIn) {
    PosixSections sections(root.path());
    // The names a predictable scheme would use, taken beforehand by a directory and a file.
    std::string prefix = "/dev/shm" + sections.objectPrefix();
    fs::create_directory(prefix + kConfigSectionName);
    std::ofstream(prefix + kQueueSectionName) << "squatter";
    {
        ChildProcess first(kProbe, {}, env());
        EXPECT_EQ(first.ask("config"), kConfig);
        // A running installation's object replaced by one that others may write.
        std::string object = "/dev/shm" + sections.shmName(kConfigSectionName, kQueueSectionName);
        ASSERT_EQ(chmod(object.c_str(), 0666), 0);
        ChildProcess second(kProbe, {}, env());
        EXPECT_EQ(second.ask("config"), "config " + std::to_string(LNTC_E_SECTION) + " 0 - 0");
    }
    fs::remove(prefix + kConfigSectionName);
    fs::remove(prefix + kQueueSectionName);
    EXPECT_NE(readTextFile(root.path() + "/log/error.log")
                  .find("LNTC: The shared memory of lnt_queue_data exists but does not "
                        "belong to this installation"),
              std::string::npos);
}

// Links planted in the machine root are never followed.
TEST_F(SharedConfig, LinksPlantedInTheMachineRootAreNotFollowed) {
    std::string target = root.path() + "/victim";
    std::ofstream(target) << "precious";
    chmod(target.c_str(), 0600);
    for (const char* link : {"/run/lnt_config_data.lock", "/log/error.log"}) {
        fs::create_directories(fs::path(root.path() + link).parent_path());
        fs::create_symlink(target, root.path() + link);
    }

    EXPECT_EQ(runProgram(kProbe, {}, env(), "config\n").out,
              "config " + std::to_string(LNTC_E_SECTION) + " 0 - 0\n");

    // Nor is the registry opened through a link.
    TempRoot linked;
    fs::create_symlink(target, linked.path() + "/registry.db");
    auto linkedEnv = env();
    linkedEnv["LNT_ROOT"] = linked.path();
    EXPECT_EQ(runProgram(kProbe, {}, linkedEnv, "config\n").out,
              "config " + std::to_string(LNTC_E_NOT_LOADED) + " 0 - 0\n");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0600));
    EXPECT_EQ(readTextFile(target), "precious");
}

// A machine root this process may read but not write (another user's, or a read-only mount)
// still gives the configuration; the lock files go to a private folder of the user instead.
TEST_F(SharedConfig, AReadOnlyMachineRootStillGivesTheConfiguration) {
    const bool asRoot = geteuid() == 0; // root writes everywhere: be another user for this
    if (asRoot && access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "needs setpriv";
    ASSERT_EQ(chmod(root.path().c_str(), 0555), 0);
    ASSERT_EQ(chmod((root.path() + "/registry.db").c_str(), 0444), 0);
    unsetenv("XDG_RUNTIME_DIR"); // the children inherit the rest of the environment
    const std::vector<std::string> dropRoot = {"--reuid=65534", "--regid=65534", "--clear-groups",
                                               kProbe};
    RunResult r = asRoot ? runProgram("/usr/bin/setpriv", dropRoot, env(), "config\nqueue LASER\n")
                         : runProgram(kProbe, {}, env(), "config\nqueue LASER\n");
    chmod(root.path().c_str(), 0700);
    EXPECT_EQ(r.out, kConfig + "\n" + kLaser + "\n") << r.err;
    const std::string runDir = "/tmp/lintora-" + std::to_string(asRoot ? 65534 : geteuid()) + ".";
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/tmp", ec))
        if (entry.path().string().rfind(runDir, 0) == 0) fs::remove_all(entry, ec);
}

// Programs that load the library with dlopen while the logo is shown in them, and return from
// main. A C program keeps its own locale, reads stored numbers the same as anywhere, and runs
// its end to completion with nothing of its output lost; a Qt program with its own application
// object, which the logo uses, ends cleanly whichever goes first, the application or the
// library. Neither leaves a window recorded.
TEST_F(SharedConfig, ProgramsLoadingTheLibraryKeepTheirLocaleAndEndCleanly) {
#ifndef LNTC_HAVE_QT
    GTEST_SKIP() << "built without Qt: the library shows no windows";
#endif
    if (GermanLocaleDir().empty()) GTEST_SKIP() << "no German locale could be made for the test";
    seed(kRoot + "Queues\\LASER]\n\"OverscanAmt\"=\"7.5\"\n");
    const std::string c = "windows 1\nlocale kept\noverscan 0 75 ", qt = "windows 1 config read\n";
    const std::pair<std::vector<std::string>, std::string> runs[] = {
        {{kCHost, kLibrary}, c + "7.5\n"},
        {{kCHost, kLibrary, "german-numbers", "end-logo"}, c + "7,5\n"}, // the program's choice
        {{kCHost, kLibrary, "dlclose"}, c + "7.5\n"},                    // unloaded while Qt stands
        {{kQtApp, kLibrary, "end-of-main"}, qt},
        {{kQtApp, kLibrary, "app-then-unload"}, qt},
        {{kQtApp, kLibrary, "unload-then-app"}, qt},
    };
    // glibc's setlocale keeps the copy of LOCPATH it makes for a program's locale: its leak,
    // not the library's.
    const std::string suppressions = root.path() + "/lsan.supp";
    std::ofstream(suppressions) << "leak:__argz_add_sep\n";
    for (const auto& [command, out] : runs) {
        auto e = env();
        e.insert({{"QT_QPA_PLATFORM", "offscreen"},
                  {"LNTC_NO_GUI", "0"},
                  {"LOCPATH", GermanLocaleDir()},
                  {"LC_ALL", kGermanLocale},
                  {"LSAN_OPTIONS", "suppressions=" + suppressions}});
        // Qt is gone by the time the library unloads at the C program's exit, so the library
        // leaves its Qt objects to the end of the process: no leak for the sanitizer to report.
        if (command[0] == kCHost) e["ASAN_OPTIONS"] = "handle_segv=0:detect_leaks=0";
        RunResult r = runProgram(command[0], {command.begin() + 1, command.end()}, e);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, out + "done\n") << command.back();
        std::error_code ec;
        for (const auto& f : fs::directory_iterator(root.path() + "/run/windows", ec))
            EXPECT_NE(f.path().extension(), ".win") << command.back();
    }
}

// Shared sections between real processes. Steps are ordered with pipes; the only time limits
// are upper bounds that a correct implementation never reaches.

constexpr size_t kSize = 8192;

class PosixSectionsTest : public ::testing::Test {
  protected:
    std::unique_ptr<Section> open(const std::string& name, bool expectCreated) {
        std::unique_ptr<Section> s;
        bool created = !expectCreated;
        EXPECT_EQ(sections_.open(name, kSize, s, created), 0u);
        EXPECT_EQ(created, expectCreated) << name;
        return s;
    }
    // A child that creates "config", maps it writable, runs step and holds the section until
    // told or killed.
    ForkedChild holder(std::function<void(ForkedChild&, char*, Section&)> step) {
        return ForkedChild([this, step](ForkedChild& c) {
            std::unique_ptr<Section> s;
            bool created = false;
            uint32_t e = 0;
            char* p = sections_.open("config", kSize, s, created) == 0 && created
                          ? static_cast<char*>(s->mapView(true, e))
                          : nullptr;
            if (!p) return 10;
            step(c, p, *s);
            c.await();
            return 0;
        });
    }
    bool exists(const std::string& name) {
        std::string object = sections_.shmName(name);
        return !object.empty() && access(("/dev/shm" + object).c_str(), F_OK) == 0;
    }

    TempRoot root_;
    PosixSections sections_{root_.path()};
};

// (Processes sharing the configuration, waiting for its fill and ending it with the last of
// them, the shared configuration's tests show.) A filler that dies is taken over; a section
// whose holders were killed is created afresh; handles in one process are separate holders.
TEST_F(PosixSectionsTest, AFillerThatDiesIsTakenOverAndKilledHoldersLeaveNothingBehind) {
    ForkedChild dying = holder([](ForkedChild& c, char*, Section&) { c.tell('c'); });
    ASSERT_EQ(dying.await(), 'c');
    auto s = open("config", false);
    EXPECT_EQ(s->waitFilled(0ms), FillState::StillFilling);
    dying.kill();
    ASSERT_TRUE(WIFSIGNALED(dying.join()));
    EXPECT_EQ(s->waitFilled(5s), FillState::MustFill);
    // Now this handle is the filler: another one waits for it.
    auto other = open("config", false);
    EXPECT_EQ(other->waitFilled(20ms), FillState::StillFilling);
    EXPECT_EQ(s->waitFilled(0ms), FillState::MustFill);
    s->markFilled();
    EXPECT_EQ(other->waitFilled(5s), FillState::Filled);
    EXPECT_EQ(s->waitFilled(0ms), FillState::Filled);
    s.reset();
    EXPECT_TRUE(exists("config")) << "closing one handle dropped the other's hold";
    other.reset();
    EXPECT_FALSE(exists("config"));

    ForkedChild killed = holder([](ForkedChild& c, char* p, Section& s) {
        p[0] = 'S';
        s.markFilled();
        c.tell('r');
    });
    ASSERT_EQ(killed.await(), 'r');
    killed.kill();
    ASSERT_TRUE(WIFSIGNALED(killed.join()));
    EXPECT_TRUE(exists("config")) << "the object outlives its killed holder";
    auto fresh = open("config", true);
    uint32_t e = 1;
    auto* view = static_cast<char*>(fresh->mapView(false, e));
    ASSERT_TRUE(view && e == 0);
    EXPECT_EQ(view[0], 0) << "stale contents survived";
    fresh->unmapView(view);
}

TEST_F(PosixSectionsTest, ObjectsAreNeverWorldWritableAndRootsAreIsolated) {
    for (mode_t mask : {mode_t(0), mode_t(077)}) {
        std::string name = "perm" + std::to_string(mask);
        mode_t old = umask(mask);
        auto s = open(name, true);
        umask(old);
        EXPECT_EQ(std::pair(fs::status("/dev/shm" + sections_.shmName(name)).permissions(),
                            fs::status(sections_.lockPath(name)).permissions()),
                  std::pair(fs::perms(0660), fs::perms(0660)))
            << "umask " << mask;
    }
    // (The run folder's mode, the demo setup's test shows; where the lock files lie, the test
    // of links planted in the machine root.)
    TempRoot otherRoot;
    PosixSections other(otherRoot.path());
    std::unique_ptr<Section> mine = open("config", true), theirs;
    bool created = false;
    EXPECT_TRUE(other.open("config", kSize, theirs, created) == 0 && created);
}

// The database backend as processes really use it: files, modes, several writers, crashes.

std::string readString(Registry& reg, std::string_view path, std::string_view name) {
    RegKey k = kNoKey;
    if (reg.openKey(kLocalMachine, path, RegAccess::Read, k)) return "<no key>";
    KeyGuard g(reg, k);
    char buf[256];
    uint32_t size = sizeof buf, type = 0;
    if (reg.queryValue(k, name, &type, buf, &size) || type != regtype::Sz || size == 0)
        return "<no value>";
    return std::string(buf, size - 1);
}

uint32_t writeString(Registry& reg, std::string_view path, std::string_view name,
                     const std::string& text) {
    RegKey k = kNoKey;
    if (uint32_t rc = reg.createKey(kLocalMachine, path, RegAccess::Write, k)) return rc;
    KeyGuard g(reg, k);
    return reg.setValue(k, name, regtype::Sz, text.c_str(), static_cast<uint32_t>(text.size() + 1));
}

// Runs one statement on the file, beside the backend; the first column of its first row.
std::string sql(const std::string& db, const std::string& statement) {
    sqlite3* raw = nullptr;
    std::string first = "<error>";
    if (sqlite3_open(db.c_str(), &raw) == SQLITE_OK)
        sqlite3_exec(
            raw, statement.c_str(),
            [](void* out, int, char** values, char**) {
                *static_cast<std::string*>(out) = values[0] ? values[0] : "";
                return 0;
            },
            &first, nullptr);
    sqlite3_close(raw);
    return first;
}

class SqliteRegistryFile : public ::testing::Test {
  protected:
    TempRoot root;
    const std::string db = root.path() + "/registry.db";
};

TEST_F(SqliteRegistryFile, IsCreatedWithItsFolderNotWorldWritableAndOnlyAsADatabase) {
    const std::string nested = root.path() + "/machine/state/registry.db";
    {
        SqliteRegistry reg(nested);
        EXPECT_EQ(writeString(reg, "A", "v", "persisted"), err::Success);
    }
    EXPECT_EQ(fs::status(nested).permissions(), fs::perms(0660));
    SqliteRegistry again(nested);
    EXPECT_EQ(readString(again, "a", "V"), "persisted");

    std::ofstream(db) << std::string(4096, 'x');
    EXPECT_THROW(SqliteRegistry{db}, std::runtime_error);
    std::string why;
    EXPECT_EQ(SqliteRegistry::open(db, &why), nullptr);
    EXPECT_NE(why.find(db), std::string::npos) << why;
    EXPECT_THROW(SqliteRegistry{root.path()}, std::runtime_error) << "a folder is no database";
}

// An open batch is invisible and other writers wait for it, threads on one instance among
// them; a snapshot reads one state while others write, and is not blocked by them.
TEST_F(SqliteRegistryFile, BatchesAndSnapshotsIsolateFromOtherWriters) {
    SqliteRegistry a(db), b(db);
    ASSERT_EQ(a.beginBatch(), err::Success);
    ASSERT_EQ(writeString(a, "Q", "v", "before"), err::Success);
    EXPECT_EQ(readString(b, "Q", "v"), "<no key>");

    std::atomic<int> failures{0};
    auto writer = [&](int t) {
        for (int i = 0; i < 40; ++i) {
            const std::string key = "T" + std::to_string(t) + "\\K" + std::to_string(i);
            failures += writeString(b, key, "v", key) != 0 || readString(b, key, "v") != key;
        }
    };
    {
        std::jthread w0(writer, 0), w1(writer, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(a.commitBatch(), err::Success);
    }
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(readString(b, "Q", "v") + readString(a, "T1\\K39", "v"), "beforeT1\\K39");

    ASSERT_EQ(b.beginSnapshot(), err::Success);
    EXPECT_EQ(b.beginBatch(), err::InvalidFunction);
    EXPECT_EQ(readString(b, "Q", "v"), "before");
    ASSERT_EQ(writeString(a, "Q", "v", "after"), err::Success);
    EXPECT_EQ(readString(b, "Q", "v"), "before");
    b.endSnapshot();
    EXPECT_EQ(readString(b, "Q", "v"), "after");
    EXPECT_EQ(b.beginBatch(), err::Success);
    b.rollbackBatch();
}

// Keys deeper than the editors' limit, as a store written before the limit could hold them,
// are read but never exported into a file no import would take back.
TEST_F(SqliteRegistryFile, KeysTooDeepForAFileAreNotExported) {
    { SqliteRegistry init(db); }
    ASSERT_EQ(sql(db, "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < "
                      "520) INSERT INTO keys(id, parent, name, lname) SELECT 1000 + n, CASE n "
                      "WHEN 1 THEN 1 ELSE 999 + n END, 'k', 'k' FROM c; SELECT 'ok'"),
              "ok");
    SqliteRegistry reg(db);
    const std::string deep = std::regex_replace(std::string(515, 'k'), std::regex("k"), "\\k");
    std::string out = "stale", why;
    EXPECT_EQ(exportRegistry(reg, "HKLM\\k", RegFileFormat::Regedit4, out, &why), err::Badkey);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(why, "keys below 'HKEY_LOCAL_MACHINE\\k' are nested deeper than 512 levels, which "
                   "no registry file can hold");
    EXPECT_EQ(exportRegistry(reg, "HKLM" + deep, RegFileFormat::Regedit4, out), err::Badkey);
    // Deleting the tree leaves no row behind but the hive's.
    ASSERT_EQ(reg.deleteTree(kLocalMachine, "k"), err::Success);
    EXPECT_EQ(sql(db, "SELECT count(*) FROM keys"), "1");
}

// Product logic on real files: the hosts file rewrite, where a failure between its steps, or the
// end of the process in the middle of it, leaves the old file or the new one, whole; the folders
// the options dialogs make.

// The real file system; before each change (scratch file, rename) `before` gets its number and
// may answer an error in its place.
struct SteppedFiles : PosixFileSystem {
    using PosixFileSystem::PosixFileSystem;
    std::function<uint32_t(int)> before = [](int) { return 0u; };
    int count = 0;
    uint32_t error = 0;
    bool fails() { return (error = before(++count)) != 0; }
    uint32_t writeScratchFile(std::string_view p, std::string_view c, const FileKeep& k) override {
        return fails() ? error : PosixFileSystem::writeScratchFile(p, c, k);
    }
    uint32_t renameFile(std::string_view f, std::string_view t) override {
        return fails() ? error : PosixFileSystem::renameFile(f, t);
    }
};

struct Machine {
    TempRoot root;
    PosixPlatform posix{root.path()}; // makes the hosts file's folder
    SteppedFiles files{root.path()};
    PosixProductLibs product{*posix.platform().machineFiles, *posix.platform().sections, "server"};
    RecordingHost host;
    std::unique_ptr<Library> lib;
    const std::string etc = root.path() + "/drive_c/WINDOWS/system32/drivers/etc/";

    Machine() {
        Platform p = posix.platform();
        p.files = &files;
        lib = std::make_unique<Library>(p, product, host);
    }
    uint32_t update(const std::string& address, const std::string& name = "PRN1") {
        return UpdateHostsFile(lib->services(), nullptr, address, name);
    }
    std::string read(const char* name) const {
        return fs::exists(etc + name) ? readTextFile(etc + name) : "<none>";
    }
};

// A line longer than a 255-byte reader would take: its second piece would look like PRN1's.
const std::string kLong = "10.0.0.9 " + std::string(246, 'a') + "10.1.2.3 PRN1";
const std::string kOld = "# hosts\r\n" + kLong + "\n10.1.2.3 PRN1\n";
std::string withAddress(const std::string& address) {
    return "# hosts\r\n" + kLong + "\n" + address + "\tPRN1\n";
}
// Another user's, where the process may set them.
const uid_t kOwner = geteuid() == 0 ? 12345 : geteuid();
const gid_t kGroup = geteuid() == 0 ? 4444 : getegid();

// The hosts file, and a working copy left read-only, are another user's. The working copy is
// the program's own: replaced whatever its mode, removed after a failure. A rewrite keeps the
// hosts file's mode, owner and group; a read-only hosts file stays as it is.
TEST(HostsFile, AFailureOrAKillBeforeAnyStepLeavesTheOldFileWhole) {
    // Before change n of the three that make a rewrite: an error, or the process killed. n = 4:
    // no error, or rewriting over and over and killed at any moment.
    for (int n = 1; n <= 4; ++n) {
        for (bool kill : {false, true}) {
            SCOPED_TRACE(std::to_string(n) + (kill ? " killed" : " failed"));
            Machine m;
            const std::string hosts = m.etc + "hosts", working = m.etc + "hosts___.lnt";
            std::ofstream(hosts) << kOld;
            ASSERT_EQ(chmod(hosts.c_str(), 0604) + chown(hosts.c_str(), kOwner, kGroup), 0);
            if (kill) {
                ForkedChild child([&](ForkedChild& c) -> int {
                    m.files.before = [&](int i) {
                        if (i == n) c.tell('s');
                        if (i == n && n < 4) c.await(); // until killed
                        return 0u;
                    };
                    for (int i = 0;; ++i)
                        m.update("10.0.0." + std::to_string(i % 200));
                });
                ASSERT_EQ(child.await(), 's');
                child.kill();
                EXPECT_TRUE(WIFSIGNALED(child.join()));
            } else {
                m.files.before = [&](int i) { return i == n ? err::DiskFull : 0u; };
                EXPECT_EQ(m.update("10.9.9.9"), n < 4 ? err::DiskFull : 0u);
                ASSERT_EQ(m.host.shown.size(), n < 4 ? 2u : 0u);
                EXPECT_EQ(m.read("hosts___.lnt"), "<none>") << "the working copy is removed";
            }
            const std::string now = m.read("hosts");
            const size_t last = now.rfind('\n', now.size() - 2) + 1;
            EXPECT_EQ(now,
                      n < 4 ? kOld : withAddress(now.substr(last, now.find('\t', last) - last)));
            // The next rewrite is hindered neither by what was left nor by a stale working copy.
            std::ofstream(working) << "stale";
            ASSERT_EQ(chmod(working.c_str(), 0444) + chown(working.c_str(), kOwner, kGroup), 0);
            m.files.before = [](int) { return 0u; };
            EXPECT_EQ(m.update("10.9.9.9"), 0u);
            struct stat h = {}, b = {};
            ASSERT_EQ(stat(hosts.c_str(), &h) + stat((m.etc + "hosts.lnt").c_str(), &b), 0);
            EXPECT_EQ(std::tuple(h.st_uid, h.st_gid, h.st_mode & 07777, b.st_uid, b.st_gid,
                                 b.st_mode & 07777),
                      std::tuple(kOwner, kGroup, 0604u, kOwner, kGroup, 0604u));
            ASSERT_EQ(chmod(hosts.c_str(), 0444), 0);
            EXPECT_EQ(m.update("10.8.8.8"), err::AccessDenied);
            EXPECT_EQ(m.read("hosts") + "|" + m.read("hosts.lnt") + "|" + m.read("hosts___.lnt"),
                      withAddress("10.9.9.9") + "|" + now + "|<none>");
            EXPECT_EQ(fs::status(m.etc).permissions(), fs::perms(0750));
        }
    }
}

// A hosts file over its limit is refused (one at it is read). A member's attack: WINDOWS renamed
// away and linked back, links in place of a model's module and of ldpx.cfg. Nothing outside drive
// C is read or written; ldpx.cfg on Z: that is a device is not read; each reason is logged.
// (Pipes, the file system's tests show.)
TEST(HostsFile, LinksDevicesAndOversizedFilesAreRefusedAndLogged) {
    Machine m;
    std::string address;
    std::ofstream(m.etc + "hosts") << "10.1.2.3 PRN1\n"; // then sparse
    for (uintmax_t size : {64u << 20, (64u << 20) + 1}) {
        fs::resize_file(m.etc + "hosts", size);
        EXPECT_EQ(LookupHostsName(m.lib->services(), "PRN1", address), size == 64u << 20) << size;
    }
    TempRoot other;
    const std::string c = m.root.path() + "/drive_c/", theirs = other.path() + "/",
                      hosts = theirs + "WINDOWS/system32/drivers/etc/hosts";
    fs::rename(c + "WINDOWS", theirs + "WINDOWS");
    fs::create_directory_symlink(theirs + "WINDOWS", c + "WINDOWS");
    std::ofstream(hosts) << "10.6.6.6 PRN1\n";
    fs::create_symlink("/dev/zero", theirs + "ldpx.cfg"); // on Z:, followed: a device
    fs::create_directories(c + "qdsw/lnt/bin");
    fs::create_symlink(hosts, c + "qdsw/lnt/bin/LJA.dll");
    EXPECT_EQ(std::tuple(LookupHostsName(m.lib->services(), "PRN1", address), m.update("10.9.9.9"),
                         ModelInstalled(m.lib->services(), ModelIndexOfKey("HP_LASERJET_4M")),
                         ReadLdpxCfgFile(m.lib->services(), "C:\\WINDOWS", "X"),
                         ReadLdpxCfgFile(m.lib->services(), ("Z:" + other.path()).c_str(), "X")),
              std::tuple(false, err::AccessDenied, false, kLdpxFailed, kLdpxFailed));
    EXPECT_EQ(readTextFile(hosts), "10.6.6.6 PRN1\n");
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(other.path()), {}), 6);
    const std::string log = readTextFile(m.root.path() + "/log/error.log");
    const std::string file = "hosts file C:\\WINDOWS\\system32\\drivers\\etc\\hosts";
    for (const std::string& text :
         {"LNTC: Error reading the " + file + ": Access is denied.",
          "LNTC: Error reading the " + file +
              ": The file size exceeds the limit allowed and cannot be saved.",
          std::string("LNTC: Error reading the Large Document Printer file "
                      "C:\\WINDOWS\\ldpx.cfg: Access is denied.")})
        EXPECT_NE(log.find(text), std::string::npos) << text;
}

// Processes that rewrite at once take turns under the machine's lock: every port name lands,
// and every one is told of success. While the lock is held, a wait for it ends after the time
// asked; its file is made in run/ with its mode.
TEST(HostsFile, RewritesByManyProcessesAtOnceAllLand) {
    Machine m;
    std::ofstream(m.etc + "hosts") << "127.0.0.1 localhost\n";
    auto id = [](int p, int i) { return std::to_string(p) + "." + std::to_string(i); };
    std::vector<std::unique_ptr<ForkedChild>> children;
    for (int p = 0; p < 6; ++p)
        children.push_back(std::make_unique<ForkedChild>([&, p](ForkedChild& c) {
            int failed = c.await() != 'g'; // all at once
            for (int i = 0; i < 5; ++i)
                failed += m.update("10.0." + id(p, i), "P" + id(p, i)) != 0;
            return failed;
        }));
    // Taken after the forks: a child would hold it too.
    PosixFileLocks locks(m.root.path());
    std::unique_ptr<FileLocks::Held> held, again;
    ASSERT_EQ(locks.acquire("hosts", 0ms, held), 0u);
    for (auto& child : children)
        child->tell('g');
    EXPECT_EQ(locks.acquire("hosts", 50ms, again), err::LockViolation);
    held.reset();
    for (auto& child : children)
        EXPECT_TRUE(exitedWith(child->join(), 0));
    const std::string hosts = m.read("hosts");
    EXPECT_EQ(std::ranges::count(hosts, '\n'), 31);
    for (int p = 0; p < 6; ++p)
        for (int i = 0; i < 5; ++i)
            EXPECT_NE(hosts.find("10.0." + id(p, i) + "\tP" + id(p, i) + "\n"), std::string::npos);
    EXPECT_EQ(fs::status(m.root.path() + "/run/hosts.lock").permissions(), fs::perms(0640));
}

// (That no folder is made through a link, and what is read-only, the file system's tests show;
// the dialog's answers, the options dialogs' tests.)
TEST(Directories, MissingFoldersAreMadeWithTheirModeWhateverTheUmask) {
    Machine m;
    m.host.answer = id::Yes;
    const mode_t mask = ::umask(077);
    EXPECT_TRUE(
        ValidateDirectory(m.lib->services(), nullptr, "C:", "\\qdsw_local\\cache\\spool", 6));
    ::umask(mask);
    const std::string c = m.root.path() + "/drive_c/qdsw_local";
    for (const char* made : {"", "/cache", "/cache/spool"})
        EXPECT_EQ(fs::status(c + made).permissions(), fs::perms(0755)) << made;
}

} // namespace
