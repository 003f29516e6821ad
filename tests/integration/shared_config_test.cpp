// Several real product processes on one machine root, through liblntc.so's exports.
#include "platform/posix/posix_sections.h"
#include "platform/posix/sqlite_registry.h"
#include "store/accessors.h"
#include "store/initialise.h"
#include "store/production.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "store/save.h"
#include "support/child_process.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace lntc;
using namespace lntc::test;

namespace {

const std::string kProbe = std::string(LNTC_BIN_DIR) + "/lntc_probe";
const std::string kQueues = std::string(kProductRootPath) + "\\Queues\\";

class SharedConfig : public ::testing::Test {
protected:
    TempRoot root;
    std::map<std::string, std::string> env() const {
        // Under AddressSanitizer the fault must still end the process as a fault.
        return {{"LNT_ROOT", root.path()},
                {"LNT_PRINT_SERVER", "ps-test"},
                {"ASAN_OPTIONS", "handle_segv=0"}};
    }
    void writeDirectory(const std::string& text) {
        std::filesystem::create_directories(root.path() + "/odr");
        std::ofstream(root.path() + "/odr/directory.json") << text;
    }
    void seed(const std::function<void(Registry&)>& f) {
        SqliteRegistry reg(root.path() + "/registry.db");
        f(reg);
    }
    static void putString(Registry& reg, const std::string& path, const char* name,
                          const std::string& text) {
        RegKey key = kNoKey;
        ASSERT_EQ(reg.createKey(kLocalMachine, path, RegAccess::Write, key), 0u);
        ASSERT_EQ(reg.setValue(key, name, regtype::Sz, text.c_str(),
                               static_cast<uint32_t>(text.size() + 1)),
                  0u);
        reg.closeKey(key);
    }
    bool sectionExists(const char* name) const {
        PosixSections sections(root.path());
        return std::filesystem::exists("/dev/shm" + sections.shmName(name));
    }
    void SetUp() override {
        writeDirectory(R"({"odrs": [{"domain": "Alpha", "organization": "Quendal",
            "systemDefaults": {"release": "3.1.0", "charset": 2}}]})");
        seed([](Registry& reg) {
            putString(reg, kQueues + "LASER", "Printer", "HP_LASERJET_4M");
            putString(reg, kQueues + "LASER", "Description", "first floor");
            putString(reg, kQueues + "PLOT", "Printer", "XEROX_8840C");
            putString(reg, std::string(kProductRootPath) + "\\General", "DefaultODR", "Main");
        });
    }
};

TEST_F(SharedConfig, ProcessesShareOneConfigurationThatVanishesWithTheLast) {
    {
        ChildProcess first(kProbe, {}, env());
        EXPECT_EQ(first.ask("config"), "config 0 2 Main 310");
        ChildProcess second(kProbe, {}, env());
        EXPECT_EQ(second.ask("config"), "config 0 2 Main 310");
        EXPECT_EQ(second.ask("queue LASER"), "queue 0 1 HP_LASERJET_4M|first floor");
        EXPECT_EQ(first.ask("retain LASER 1"), "retain 0");
        EXPECT_EQ(second.ask("queue LASER"), "queue 0 3 HP_LASERJET_4M|first floor");
        EXPECT_EQ(second.ask("retain NOPE 1"), "retain " + std::to_string(LNTC_E_NO_QUEUE));
        EXPECT_TRUE(sectionExists(kConfigSectionName));
        first.closeInput();
        EXPECT_EQ(first.wait(), 0);
        // The second process still holds the sections.
        EXPECT_EQ(second.ask("queue LASER"), "queue 0 3 HP_LASERJET_4M|first floor");
    }
    EXPECT_FALSE(sectionExists(kConfigSectionName));
    EXPECT_FALSE(sectionExists(kQueueSectionName));

    // The next process fills afresh from the store: the retain flag is gone, edits show.
    seed([](Registry& reg) { putString(reg, kQueues + "LASER", "Description", "moved"); });
    ChildProcess third(kProbe, {}, env());
    EXPECT_EQ(third.ask("config"), "config 0 2 Main 310");
    EXPECT_EQ(third.ask("queue LASER"), "queue 0 1 HP_LASERJET_4M|moved");
}

TEST_F(SharedConfig, OnlyTheFillerGetsTheNameServiceError) {
    writeDirectory("{ this is not json");
    ChildProcess first(kProbe, {}, env());
    // The filler gets the code, and the records it filled without the ODR's defaults.
    EXPECT_EQ(first.ask("config"), "config " + std::to_string(0x9C000002u) + " 2 Main 268");
    EXPECT_EQ(first.ask("queue PLOT"), "queue 0 1 XEROX_8840C|");
    ChildProcess second(kProbe, {}, env());
    EXPECT_EQ(second.ask("config"), "config 0 2 Main 268");
    EXPECT_EQ(second.ask("queue PLOT"), "queue 0 1 XEROX_8840C|");
    // The failure is on record.
    std::ifstream log(root.path() + "/log/error.log");
    std::string all((std::istreambuf_iterator<char>(log)), {});
    EXPECT_NE(all.find("LNTC: Error linking to RLK abstract"), std::string::npos);
}

// An import or a configuration run holds the store's write lock; a process starting meanwhile
// loads and fills from the last committed state rather than waiting and failing.
TEST_F(SharedConfig, AProcessStartsAndFillsWhileAnotherHoldsTheWriteLock) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((root.path() + "/registry.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE; DELETE FROM vals;", nullptr, nullptr, nullptr),
              SQLITE_OK);
    {
        ChildProcess probe(kProbe, {}, env());
        EXPECT_EQ(probe.ask("config"), "config 0 2 Main 310");
        EXPECT_EQ(probe.ask("queue LASER"), "queue 0 1 HP_LASERJET_4M|first floor");
    }
    EXPECT_EQ(sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

TEST_F(SharedConfig, AStrayWriteThroughAReadOnlyViewFaults) {
    ChildProcess holder(kProbe, {}, env());
    ASSERT_EQ(holder.ask("config"), "config 0 2 Main 310");
    ChildProcess reader(kProbe, {}, env());
    ASSERT_EQ(reader.ask("config"), "config 0 2 Main 310");
    reader.send("poke");
    int status = reader.wait();
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    EXPECT_EQ(holder.ask("config"), "config 0 2 Main 310");
    // The filler's own standing view is read-only as well.
    holder.send("poke");
    status = holder.wait();
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
}

// A saving process killed at any moment leaves a store that opens, passes SQLite's own check,
// and holds each queue either before or after a whole save.
TEST_F(SharedConfig, AWriterKilledDuringASaveLeavesAReadableStore) {
    std::mt19937 random(12345);
    for (int round = 0; round < 6; ++round) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(ready[0]);
            setenv("LNT_ROOT", root.path().c_str(), 1);
            ProductionLibrary production(root.path());
            Library& lib = production.library();
            if (LoadLibrary(lib) != 0) _exit(3);
            const ServerConfig* c = nullptr;
            if (GetConfig(lib, &c, LNTC_CONFIG_VERSION) != 0) _exit(4);
            const QueueRecord* current = nullptr;
            if (GetQueue(lib, "LASER", &current, LNTC_QUEUE_VERSION) != 0) _exit(5);
            QueueRecord q = *current;
            (void)!write(ready[1], "r", 1);
            for (unsigned n = 0;; ++n) {
                std::string mark = "save " + std::to_string(n);
                setField(q.Description, mark);
                setField(q.DeviceName, mark);
                SaveQueueRecord(lib, q, false);
            }
        }
        close(ready[1]);
        char byte;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
        usleep(2000 + random() % 20000);
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);

        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open((root.path() + "/registry.db").c_str(), &db), SQLITE_OK);
        sqlite3_stmt* check = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
        EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
        sqlite3_finalize(check);
        sqlite3_close(db);

        ChildProcess reader(kProbe, {}, env());
        ASSERT_EQ(reader.ask("config"), "config 0 2 Main 310");
        std::string answer = reader.ask("queue LASER");
        ASSERT_EQ(answer.rfind("queue 0 1 HP_LASERJET_4M|", 0), 0u) << answer;
        std::string description = answer.substr(answer.find('|') + 1);
        // Description and DeviceName belong to one save.
        ProductionLibrary check2(root.path());
        Library& lib = check2.library();
        ASSERT_EQ(LoadLibrary(lib), 0u);
        char device[256];
        ReadStringValue(lib, "Queues\\LASER", "DeviceName", "", device, sizeof device);
        if (description != "first floor") {
            EXPECT_EQ(description, device);
        }
        UnloadLibrary(lib);
    }
}

} // namespace
