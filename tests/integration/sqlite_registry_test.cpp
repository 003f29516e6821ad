// The database backend as processes really use it: files, modes, several writers, crashes.
#include "platform/errors.h"
#include "platform/posix/sqlite_registry.h"
#include "store/regfile.h"
#include "support/temp_root.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <thread>

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
    test::TempRoot root;
    const std::string db = root.path() + "/registry.db";
};

TEST_F(SqliteRegistryFile, IsCreatedWithItsFolderNotWorldWritableAndOnlyAsADatabase) {
    const std::string nested = root.path() + "/machine/state/registry.db";
    {
        SqliteRegistry reg(nested);
        EXPECT_EQ(writeString(reg, "A", "v", "persisted"), err::Success);
    }
    EXPECT_EQ(std::filesystem::status(nested).permissions(), std::filesystem::perms(0660));
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
    std::string deep;
    for (int i = 0; i < 515; ++i)
        deep += "\\k";
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

} // namespace
