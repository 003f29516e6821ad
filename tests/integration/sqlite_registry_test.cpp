// The database backend as processes really use it: files, modes, several writers, crashes.
#include "platform/errors.h"
#include "platform/posix/sqlite_registry.h"
#include "store/regfile.h"
#include "support/temp_root.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace lntc;

namespace {

std::string readString(Registry& reg, std::string_view path, std::string_view name) {
    RegKey k = kNoKey;
    if (reg.openKey(kLocalMachine, path, RegAccess::Read, k)) return "<no key>";
    KeyGuard g(reg, k);
    char buf[256];
    uint32_t size = sizeof buf;
    uint32_t type = 0;
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

std::string integrityCheck(const std::string& path) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW) {
            result = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        }
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return result;
}

TEST(SqliteRegistryFile, IsCreatedWithItsFolderAndIsNotWorldWritable) {
    test::TempRoot root;
    const std::string db = root.path() + "/machine/state/registry.db";
    {
        SqliteRegistry reg(db);
        EXPECT_FALSE(reg.readOnly());
        EXPECT_EQ(writeString(reg, "A", "v", "persisted"), err::Success);
    }
    struct stat st {};
    ASSERT_EQ(::stat(db.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0660u);
    SqliteRegistry again(db);
    EXPECT_EQ(readString(again, "a", "V"), "persisted");
}

int64_t countRows(const std::string& path, const char* table) {
    sqlite3* db = nullptr;
    int64_t n = -1;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        const std::string sql = std::string("SELECT count(*) FROM ") + table;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW) {
            n = sqlite3_column_int64(s, 0);
        }
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return n;
}

TEST(SqliteRegistryFile, DeleteTreeLeavesNoOrphanedRows) {
    test::TempRoot root;
    const std::string db = root.path() + "/registry.db";
    SqliteRegistry reg(db);
    for (const char* key : {"A\\B\\C\\D", "A\\B\\E", "A\\F", "A"})
        ASSERT_EQ(writeString(reg, key, "v", key), err::Success);
    ASSERT_EQ(writeString(reg, "Keep", "v", "x"), err::Success);
    ASSERT_EQ(reg.deleteTree(kLocalMachine, "a"), err::Success);
    EXPECT_EQ(countRows(db, "keys"), 2) << "the hive and Keep";
    EXPECT_EQ(countRows(db, "vals"), 1);
}

TEST(SqliteRegistryFile, SomethingThatIsNotADatabaseCannotBeOpened) {
    test::TempRoot root;
    const std::string junk = root.path() + "/junk.db";
    std::ofstream(junk) << std::string(4096, 'x');
    EXPECT_THROW(SqliteRegistry{junk}, std::runtime_error);
    std::string why;
    EXPECT_EQ(SqliteRegistry::open(junk, &why), nullptr);
    EXPECT_NE(why.find(junk), std::string::npos) << why;
    EXPECT_THROW(SqliteRegistry{root.path()}, std::runtime_error) << "a folder is no database";
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(SqliteRegistryFile, ADamagedDatabaseIsReadButNeverWritten) {
    test::TempRoot root;
    const std::string db = root.path() + "/registry.db";
    {
        SqliteRegistry reg(db);
        EXPECT_EQ(reg.damage(), "");
        for (int i = 0; i < 300; ++i)
            ASSERT_EQ(writeString(reg, "Keys\\K" + std::to_string(i), "v", std::string(200, 'x')),
                      err::Success);
    }
    // Garbage over a page in the middle, as a failing disk or a stray write leaves it.
    const auto size = std::filesystem::file_size(db);
    ASSERT_GT(size, 16u * 4096);
    {
        std::fstream f(db, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(size / 2 / 4096 * 4096));
        f << std::string(4096, '\xA5');
    }
    const std::string damaged = fileBytes(db);
    {
        SqliteRegistry reg(db);
        EXPECT_TRUE(reg.readOnly());
        EXPECT_NE(reg.damage(), "");
        EXPECT_EQ(readString(reg, "Keys\\K0", "v"), std::string(200, 'x')) << "reads go on";
        RegKey k = kNoKey;
        EXPECT_EQ(reg.openKey(kLocalMachine, "Keys", RegAccess::Write, k), err::RegistryCorrupt);
        EXPECT_EQ(writeString(reg, "New", "v", "x"), err::RegistryCorrupt);
        EXPECT_EQ(reg.deleteTree(kLocalMachine, "Keys"), err::RegistryCorrupt);
        EXPECT_EQ(reg.beginBatch(), err::RegistryCorrupt);
    }
    EXPECT_EQ(fileBytes(db), damaged) << "not a byte written";
}

TEST(SqliteRegistryFile, UnwritableFileOpensReadOnlyWhileAWriterKeepsItsLog) {
    test::TempRoot root;
    const std::string db = root.path() + "/registry.db";
    SqliteRegistry writer(db);
    ASSERT_EQ(writeString(writer, "Live", "v", "in the log"), err::Success);
    ASSERT_TRUE(std::filesystem::exists(db + "-wal"));
    ASSERT_EQ(::chmod(db.c_str(), 0444), 0);

    SqliteRegistry reader(db);
    EXPECT_TRUE(reader.readOnly());
    EXPECT_EQ(readString(reader, "Live", "v"), "in the log");
    EXPECT_EQ(writeString(reader, "Live", "v", "changed"), err::AccessDenied);
    EXPECT_EQ(readString(writer, "Live", "v"), "in the log");

    // The writer's later commits become visible to the reader.
    ASSERT_EQ(writeString(writer, "Live", "w", "later"), err::Success);
    EXPECT_EQ(readString(reader, "Live", "w"), "later");
}

TEST(SqliteRegistryConcurrency, OpenBatchIsInvisibleAndOtherWritersWaitForIt) {
    test::TempRoot root;
    const std::string db = root.path() + "/registry.db";
    SqliteRegistry a(db);
    SqliteRegistry b(db);
    ASSERT_EQ(a.beginBatch(), err::Success);
    ASSERT_EQ(writeString(a, "Batch", "v", "pending"), err::Success);
    EXPECT_EQ(readString(b, "Batch", "v"), "<no key>");

    uint32_t otherWrite = 99;
    std::thread writer([&] { otherWrite = writeString(b, "Other", "v", "after"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(a.commitBatch(), err::Success);
    writer.join();
    EXPECT_EQ(otherWrite, err::Success);
    EXPECT_EQ(readString(b, "Batch", "v"), "pending");
    EXPECT_EQ(readString(a, "Other", "v"), "after");
}

TEST(SqliteRegistryConcurrency, ASnapshotReadsOneStateWhileOthersWrite) {
    test::TempRoot root;
    const std::string db = root.path() + "/registry.db";
    SqliteRegistry reader(db);
    SqliteRegistry writer(db);
    ASSERT_EQ(writeString(writer, "Q", "v", "before"), err::Success);
    ASSERT_EQ(reader.beginSnapshot(), err::Success);
    EXPECT_EQ(reader.beginBatch(), err::InvalidFunction);
    EXPECT_EQ(readString(reader, "Q", "v"), "before");
    // A writer is not blocked by the snapshot, and the snapshot does not see its change.
    ASSERT_EQ(writeString(writer, "Q", "v", "after"), err::Success);
    EXPECT_EQ(readString(reader, "Q", "v"), "before");
    reader.endSnapshot();
    EXPECT_EQ(readString(reader, "Q", "v"), "after");
    EXPECT_EQ(reader.beginBatch(), err::Success);
    reader.rollbackBatch();
}

TEST(SqliteRegistryConcurrency, ThreadsShareOneInstance) {
    test::TempRoot root;
    SqliteRegistry reg(root.path() + "/registry.db");
    constexpr int kThreads = 4, kKeys = 50;
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kKeys; ++i) {
                const std::string key = "T" + std::to_string(t) + "\\K" + std::to_string(i);
                failures[t] += writeString(reg, key, "v", key) != err::Success;
                failures[t] += readString(reg, key, "v") != key;
            }
        });
    }
    for (auto& th : threads)
        th.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(failures[t], 0) << "thread " << t;
    std::string name;
    EXPECT_EQ(reg.enumKey(kLocalMachine, kThreads, name), err::NoMoreItems);
}

TEST(SqliteRegistryConcurrency, SeveralProcessesWriteTheSameDatabase) {
    test::TempRoot root;
    const std::string db = root.path() + "/registry.db";
    { SqliteRegistry init(db); }
    constexpr int kProcesses = 4, kKeys = 40;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int failures = 0;
            try {
                SqliteRegistry reg(db);
                for (int i = 0; i < kKeys; ++i) {
                    const std::string key = "P" + std::to_string(p) + "\\K" + std::to_string(i);
                    failures += writeString(reg, key, "v", key) != err::Success;
                }
            } catch (...) {
                failures = 1;
            }
            ::_exit(failures ? 1 : 0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SqliteRegistry reg(db);
    for (int p = 0; p < kProcesses; ++p) {
        for (int i = 0; i < kKeys; ++i) {
            const std::string key = "P" + std::to_string(p) + "\\K" + std::to_string(i);
            EXPECT_EQ(readString(reg, key, "v"), key);
        }
    }
}

// A writer killed at any moment leaves a sound database with every completed write in it.
TEST(SqliteRegistryCrash, KilledWriterNeverCorruptsTheStore) {
    test::TempRoot root;
    const std::string db = root.path() + "/registry.db";
    { SqliteRegistry init(db); }
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);

    for (int round = 0; round < 6; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(fds[0]);
            SqliteRegistry reg(db);
            for (int i = 0;; ++i) {
                const std::string key = "R" + std::to_string(round) + "\\K" + std::to_string(i);
                bool ok = true;
                if (i % 3 == 0) { // some writes grouped, as an import does
                    ok = reg.beginBatch() == err::Success;
                    for (const char* name : {"a", "b", "c"})
                        ok = ok && writeString(reg, key, name, key + name) == err::Success;
                    ok = ok && reg.commitBatch() == err::Success;
                } else {
                    for (const char* name : {"a", "b", "c"})
                        ok = ok && writeString(reg, key, name, key + name) == err::Success;
                }
                if (i % 7 == 6) ok = ok && reg.deleteTree(kLocalMachine, key) == err::Success;
                if (!ok || ::write(fds[1], &i, sizeof i) != sizeof i) ::_exit(1);
            }
        }
        ::close(fds[1]);
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 60));
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed before it was killed";
        std::vector<int> done;
        int i = 0;
        while (::read(fds[0], &i, sizeof i) == sizeof i)
            done.push_back(i);
        ::close(fds[0]);

        ASSERT_EQ(integrityCheck(db), "ok") << "round " << round;
        SqliteRegistry reg(db);
        EXPECT_FALSE(reg.readOnly());
        for (int n : done) {
            const std::string key = "R" + std::to_string(round) + "\\K" + std::to_string(n);
            for (const char* name : {"a", "b", "c"}) {
                const std::string expected = n % 7 == 6 ? "<no key>" : key + name;
                ASSERT_EQ(readString(reg, key, name), expected) << "round " << round;
            }
        }
        // The store stays writable after the crash.
        ASSERT_EQ(writeString(reg, "After", "round", std::to_string(round)), err::Success);
    }
}

TEST(SqliteRegistryRegFile, RoundTripsThroughTheDatabase) {
    test::TempRoot root;
    SqliteRegistry source(root.path() + "/a.db");
    ASSERT_EQ(writeString(source, "Software\\Lintora", "", "caf\xE9 \x80 \"q\" \\"), err::Success);
    {
        RegKey k = kNoKey;
        ASSERT_EQ(source.createKey(kLocalMachine, "Software\\Lintora\\Q", RegAccess::Write, k),
                  err::Success);
        KeyGuard g(source, k);
        std::vector<uint8_t> blob(200, 0x5a);
        ASSERT_EQ(source.setValue(k, "Blob", regtype::Binary, blob.data(), 200), err::Success);
        const uint32_t dw = 0x1234;
        ASSERT_EQ(source.setValue(k, "Dw", regtype::Dword, &dw, 4), err::Success);
        ASSERT_EQ(source.setValue(k, "Multi", regtype::MultiSz, "x\0y\0\0", 5), err::Success);
    }
    for (auto fmt : {RegFileFormat::Regedit4, RegFileFormat::V5}) {
        std::string file;
        ASSERT_EQ(exportRegistry(source, "HKLM\\Software", fmt, file), err::Success);
        SqliteRegistry target(root.path() + "/b" + std::to_string(int(fmt)) + ".db");
        RegFileError error;
        ASSERT_EQ(importRegistry(target, file, error), err::Success) << error.message;
        std::string again;
        ASSERT_EQ(exportRegistry(target, "HKLM\\Software", fmt, again), err::Success);
        EXPECT_EQ(again, file);

        // A bad line at the end leaves the database as it was.
        const std::string bad = "REGEDIT4\r\n[-HKLM\\Software]\r\n[HKLM\\X]\r\n\"v\"=dword:xyz\r\n";
        EXPECT_EQ(importRegistry(target, bad, error), err::InvalidData);
        EXPECT_EQ(error.line, 4u);
        ASSERT_EQ(exportRegistry(target, "HKLM\\Software", fmt, again), err::Success);
        EXPECT_EQ(again, file);
    }
}

} // namespace
