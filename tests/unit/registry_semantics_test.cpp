// The behaviour every registry backend must share, run against the fake and the database.
#include "platform/errors.h"
#include "platform/posix/sqlite_registry.h"
#include "support/memory_registry.h"
#include "support/temp_root.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

using namespace lntc;

namespace {

struct MemoryBackend {
    std::unique_ptr<Registry> make() { return std::make_unique<test::MemoryRegistry>(); }
    // Keeps the contents, forbids writing.
    void makeReadOnly(std::unique_ptr<Registry>& reg) {
        static_cast<test::MemoryRegistry&>(*reg).setReadOnly(true);
    }
};

struct SqliteBackend {
    test::TempRoot root;
    std::string db = root.path() + "/registry.db";
    std::unique_ptr<Registry> make() { return std::make_unique<SqliteRegistry>(db); }
    void makeReadOnly(std::unique_ptr<Registry>& reg) {
        reg.reset();
        ASSERT_EQ(::chmod(db.c_str(), 0444), 0);
        reg = make();
    }
};

using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::string>;

Bytes bytesOf(std::string_view s) {
    Bytes v(s.begin(), s.end());
    v.push_back(0);
    return v;
}

template <class Backend> class RegistrySemantics : public ::testing::Test {
  protected:
    Backend backend;
    std::unique_ptr<Registry> reg = backend.make();

    RegKey create(std::string_view path, RegKey parent = kLocalMachine) {
        RegKey k = kNoKey;
        EXPECT_EQ(reg->createKey(parent, path, RegAccess::Write, k), err::Success) << path;
        return k;
    }
    RegKey open(std::string_view path, RegAccess access = RegAccess::Read) {
        RegKey k = kNoKey;
        EXPECT_EQ(reg->openKey(kLocalMachine, path, access, k), err::Success) << path;
        return k;
    }
    void set(RegKey k, std::string_view name, uint32_t type, const Bytes& v) {
        ASSERT_EQ(reg->setValue(k, name, type, v.data(), static_cast<uint32_t>(v.size())),
                  err::Success);
    }
    Bytes get(RegKey k, std::string_view name, uint32_t* type = nullptr) {
        uint32_t size = 0;
        EXPECT_EQ(reg->queryValue(k, name, type, nullptr, &size), err::Success) << name;
        Bytes out(size);
        EXPECT_EQ(reg->queryValue(k, name, type, out.data(), &size), err::Success) << name;
        out.resize(size);
        return out;
    }
    uint32_t query(RegKey k, std::string_view name) {
        uint32_t size = 0;
        return reg->queryValue(k, name, nullptr, nullptr, &size);
    }
    Names subkeys(RegKey k) {
        Names names;
        std::string n;
        for (uint32_t i = 0; reg->enumKey(k, i, n) == err::Success; ++i)
            names.push_back(n);
        return names;
    }
    Names valueNames(RegKey k) {
        Names names;
        std::string n;
        uint32_t t = 0;
        Bytes d;
        for (uint32_t i = 0; reg->enumValue(k, i, n, t, d) == err::Success; ++i)
            names.push_back(n);
        return names;
    }
};

struct BackendNames {
    template <class T> static std::string GetName(int) {
        return std::is_same_v<T, MemoryBackend> ? "Memory" : "Sqlite";
    }
};

using Backends = ::testing::Types<MemoryBackend, SqliteBackend>;
TYPED_TEST_SUITE(RegistrySemantics, Backends, BackendNames);

TYPED_TEST(RegistrySemantics, NamesIgnoreCaseKeepTheirFirstSpellingAndPathsAreLenient) {
    auto& reg = *this->reg;
    bool created = false;
    RegKey k = kNoKey, again = kNoKey;
    ASSERT_EQ(reg.createKey(kLocalMachine, "\\Software\\Lintora\\", RegAccess::Write, k, &created),
              err::Success);
    KeyGuard g1(reg, k);
    EXPECT_TRUE(created);
    ASSERT_EQ(reg.createKey(kLocalMachine, "SOFTWARE\\LINTORA", RegAccess::Write, again, &created),
              err::Success);
    KeyGuard g2(reg, again);
    EXPECT_FALSE(created);
    this->set(k, "PrintDir", regtype::Sz, bytesOf("c:\\spool"));
    this->set(again, "PRINTDIR", regtype::ExpandSz, bytesOf("%ROOT%"));
    uint32_t type = 0;
    EXPECT_EQ(this->get(k, "printdir", &type), bytesOf("%ROOT%"));
    EXPECT_EQ(type, regtype::ExpandSz);
    EXPECT_EQ(this->valueNames(k), Names{"PrintDir"});
    EXPECT_EQ(this->subkeys(kLocalMachine), Names{"Software"});
    KeyGuard viaOther(reg, this->open("software\\lintora"));
    EXPECT_EQ(this->get(viaOther.get(), "PrintDir"), bytesOf("%ROOT%"));
    RegKey same = kNoKey; // an empty path is the key itself
    ASSERT_EQ(reg.openKey(k, "", RegAccess::Read, same), err::Success);
    KeyGuard g3(reg, same);
    EXPECT_EQ(this->get(same, "PRINTDIR"), bytesOf("%ROOT%"));

    // Created tells whether the last key is new.
    ASSERT_EQ(reg.createKey(k, "B\\C", RegAccess::Write, again, &created), err::Success);
    reg.closeKey(again);
    EXPECT_TRUE(created);
    ASSERT_EQ(reg.createKey(k, "b", RegAccess::Write, again, &created), err::Success);
    reg.closeKey(again);
    EXPECT_FALSE(created);
    EXPECT_EQ(this->subkeys(k), Names{"B"});
}

TYPED_TEST(RegistrySemantics, MissingClosedDeletedAndReadOnlyThingsAnswerWin32Codes) {
    auto& reg = *this->reg;
    KeyGuard a(reg, this->create("A"));
    RegKey k = 777;
    EXPECT_EQ(reg.openKey(kLocalMachine, "A\\Missing", RegAccess::Read, k), err::FileNotFound);
    EXPECT_EQ(k, kNoKey);
    EXPECT_EQ(this->query(a.get(), "nothing"), err::FileNotFound);
    EXPECT_EQ(reg.deleteValue(a.get(), "nothing"), err::FileNotFound);
    EXPECT_EQ(reg.deleteTree(kLocalMachine, "Missing\\Deeper"), err::FileNotFound);
    EXPECT_EQ(reg.deleteKey(kLocalMachine, ""), err::AccessDenied); // the hive stays
    EXPECT_EQ(reg.deleteTree(kLocalMachine, "\\"), err::AccessDenied);
    reg.closeKey(kLocalMachine);
    EXPECT_EQ(this->subkeys(kLocalMachine), Names{"A"});

    std::string name;
    uint32_t type = 0;
    Bytes data;
    RegKey closed = this->create("B");
    reg.closeKey(closed);
    for (RegKey bogus : {RegKey{0xdead}, kNoKey, closed}) {
        EXPECT_EQ(reg.openKey(bogus, "A", RegAccess::Read, k), err::InvalidHandle);
        EXPECT_EQ(reg.createKey(bogus, "A", RegAccess::Write, k), err::InvalidHandle);
        EXPECT_EQ(this->query(bogus, "x"), err::InvalidHandle);
        EXPECT_EQ(reg.setValue(bogus, "x", regtype::Binary, "", 0), err::InvalidHandle);
        EXPECT_EQ(reg.enumKey(bogus, 0, name), err::InvalidHandle);
        EXPECT_EQ(reg.enumValue(bogus, 0, name, type, data), err::InvalidHandle);
    }

    // A key deleted under an open handle; one of the same name made later is another key.
    KeyGuard stale(reg, this->create("Gone\\Child"));
    ASSERT_EQ(reg.deleteTree(kLocalMachine, "Gone"), err::Success);
    KeyGuard fresh(reg, this->create("Gone\\Child"));
    EXPECT_EQ(this->query(stale.get(), "x"), err::KeyDeleted);
    EXPECT_EQ(reg.setValue(stale.get(), "x", regtype::Binary, "a", 1), err::KeyDeleted);
    EXPECT_EQ(reg.deleteValue(stale.get(), "x"), err::KeyDeleted);
    EXPECT_EQ(reg.enumKey(stale.get(), 0, name), err::KeyDeleted);
    EXPECT_EQ(reg.enumValue(stale.get(), 0, name, type, data), err::KeyDeleted);
    EXPECT_EQ(reg.openKey(stale.get(), "", RegAccess::Read, k), err::KeyDeleted);
    EXPECT_EQ(reg.createKey(stale.get(), "Sub", RegAccess::Write, k), err::KeyDeleted);

    KeyGuard readHandle(reg, this->open("A"));
    EXPECT_EQ(reg.setValue(readHandle.get(), "x", regtype::Binary, "a", 1), err::AccessDenied);
    EXPECT_EQ(reg.deleteValue(readHandle.get(), "x"), err::AccessDenied);
    EXPECT_TRUE(this->valueNames(a.get()).empty());
}

// (That values keep any type and bytes, the registry-file round trip shows.)
TYPED_TEST(RegistrySemantics, QueriesFollowTheBufferRules) {
    auto& reg = *this->reg;
    KeyGuard k(reg, this->create("T"));
    const std::string text(300, 'x');
    this->set(k.get(), "Long", regtype::Sz, bytesOf(text));
    this->set(k.get(), "Empty", regtype::Binary, {});
    uint32_t type = 0, size = 0;
    ASSERT_EQ(reg.queryValue(k.get(), "Long", &type, nullptr, &size), err::Success);
    EXPECT_EQ(type, regtype::Sz);
    EXPECT_EQ(size, 301u);
    Bytes buf(400, 0xAA);
    size = 256;
    EXPECT_EQ(reg.queryValue(k.get(), "Long", &type, buf.data(), &size), err::MoreData);
    EXPECT_EQ(size, 301u);
    ASSERT_EQ(reg.queryValue(k.get(), "Long", nullptr, buf.data(), &size), err::Success);
    EXPECT_EQ(std::memcmp(buf.data(), text.c_str(), 301), 0);
    EXPECT_EQ(buf[301], 0xAA) << "nothing written past the value";
    size = 10;
    ASSERT_EQ(reg.queryValue(k.get(), "Empty", &type, buf.data(), &size), err::Success);
    EXPECT_EQ(size, 0u);
}

TYPED_TEST(RegistrySemantics, EnumerationIsOrderedIgnoringCaseAndStable) {
    auto& reg = *this->reg;
    KeyGuard p(reg, this->create("P"));
    for (const char* name : {"gamma", "Beta", "alpha2", "ALPHA", "_x"})
        reg.closeKey(this->create(name, p.get()));
    // Folded to lower case, so "_" (0x5f) sorts before every letter.
    EXPECT_EQ(this->subkeys(p.get()), (Names{"_x", "ALPHA", "alpha2", "Beta", "gamma"}));
    std::string name;
    EXPECT_EQ(reg.enumKey(p.get(), 1000, name), err::NoMoreItems);

    for (const char* v : {"Zed", "b", "", "A"})
        this->set(p.get(), v, regtype::Dword, {1, 0, 0, 0});
    this->set(p.get(), "B", regtype::Dword, {2, 0, 0, 0}); // rewrite keeps place and spelling
    EXPECT_EQ(this->valueNames(p.get()), (Names{"", "A", "b", "Zed"}));
    uint32_t type = 0;
    Bytes data;
    ASSERT_EQ(reg.enumValue(p.get(), 2, name, type, data), err::Success);
    EXPECT_EQ(data, (Bytes{2, 0, 0, 0}));
    EXPECT_EQ(reg.enumValue(p.get(), 4, name, type, data), err::NoMoreItems);

    ASSERT_EQ(reg.deleteValue(p.get(), "a"), err::Success);
    EXPECT_EQ(this->valueNames(p.get()), (Names{"", "b", "Zed"}));
    ASSERT_EQ(reg.deleteKey(p.get(), "beta"), err::Success);
    EXPECT_EQ(this->subkeys(p.get()), (Names{"_x", "ALPHA", "alpha2", "gamma"}));
}

TYPED_TEST(RegistrySemantics, DeleteKeyRefusesSubkeysWhileDeleteTreeTakesAll) {
    auto& reg = *this->reg;
    KeyGuard deep(reg, this->create("Root\\Mid\\Leaf"));
    this->set(deep.get(), "x", regtype::Binary, {1});
    KeyGuard mid(reg, this->create("Root\\Mid"));
    this->set(mid.get(), "y", regtype::Binary, {2});

    EXPECT_EQ(reg.deleteKey(kLocalMachine, "Root\\Mid"), err::AccessDenied);
    EXPECT_EQ(this->get(deep.get(), "x"), Bytes{1});
    ASSERT_EQ(reg.deleteKey(kLocalMachine, "root\\mid\\leaf"), err::Success);
    EXPECT_TRUE(this->subkeys(mid.get()).empty());
    KeyGuard again(reg, this->create("Root\\Mid\\Leaf"));
    EXPECT_EQ(this->query(again.get(), "x"), err::FileNotFound) << "a new key has no old values";

    ASSERT_EQ(reg.deleteTree(kLocalMachine, "Root"), err::Success);
    RegKey k = kNoKey;
    EXPECT_EQ(reg.openKey(kLocalMachine, "Root", RegAccess::Read, k), err::FileNotFound);
    EXPECT_TRUE(this->subkeys(kLocalMachine).empty());
    KeyGuard fresh(reg, this->create("Root\\Mid"));
    EXPECT_EQ(this->query(fresh.get(), "y"), err::FileNotFound);
}

TYPED_TEST(RegistrySemantics, KeysStayWithinTheEditorsLimits) {
    auto& reg = *this->reg;
    std::string path;
    for (int i = 0; i < 500; ++i)
        path += "\\L";
    KeyGuard mid(reg, this->create(path)); // 500 levels; the rest counts from this handle
    RegKey k = kNoKey;
    const std::string twelve = "a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\" + std::string(255, 'n');
    const std::vector<std::pair<std::string, uint32_t>> cases = {
        {twelve + "\\x", err::Badkey},                // 513 levels
        {"a\\" + std::string(256, 'n'), err::Badkey}, // name too long
        {twelve, err::Success},                       // 512 levels
    };
    for (const auto& [sub, expected] : cases) {
        EXPECT_EQ(reg.createKey(mid.get(), sub, RegAccess::Write, k), expected) << sub.size();
        if (k != kNoKey) reg.closeKey(k);
    }
    EXPECT_EQ(this->subkeys(mid.get()), Names{"a"});
    RegKey deepest = kNoKey;
    ASSERT_EQ(reg.openKey(mid.get(), twelve, RegAccess::Write, deepest), err::Success);
    KeyGuard g(reg, deepest);
    EXPECT_EQ(reg.createKey(deepest, "x", RegAccess::Write, k), err::Badkey);
    EXPECT_TRUE(this->subkeys(deepest).empty());
    ASSERT_EQ(reg.deleteTree(kLocalMachine, "L"), err::Success);
    EXPECT_TRUE(this->subkeys(kLocalMachine).empty());
}

TYPED_TEST(RegistrySemantics, ReadOnlyStoreRefusesEveryWriteButReads) {
    {
        KeyGuard k(*this->reg, this->create("Keep\\Sub"));
        this->set(k.get(), "v", regtype::Sz, bytesOf("kept"));
    }
    this->backend.makeReadOnly(this->reg);
    auto& reg = *this->reg;
    ASSERT_TRUE(reg.readOnly());
    KeyGuard k(reg, this->open("keep\\sub"));
    EXPECT_EQ(this->get(k.get(), "V"), bytesOf("kept"));

    RegKey w = kNoKey;
    EXPECT_EQ(reg.openKey(kLocalMachine, "Keep\\Sub", RegAccess::Write, w), err::AccessDenied);
    EXPECT_EQ(reg.openKey(kLocalMachine, "Keep\\None", RegAccess::Write, w), err::FileNotFound);
    EXPECT_EQ(reg.createKey(kLocalMachine, "New", RegAccess::Write, w), err::AccessDenied);
    EXPECT_EQ(reg.createKey(kLocalMachine, "Keep", RegAccess::Read, w), err::AccessDenied);
    EXPECT_EQ(reg.setValue(k.get(), "v", regtype::Sz, "x", 2), err::AccessDenied);
    EXPECT_EQ(reg.setValue(kLocalMachine, "v", regtype::Sz, "x", 2), err::AccessDenied);
    EXPECT_EQ(reg.deleteValue(k.get(), "v"), err::AccessDenied);
    EXPECT_EQ(reg.deleteKey(kLocalMachine, "Keep\\Sub"), err::AccessDenied);
    EXPECT_EQ(reg.deleteTree(kLocalMachine, "Keep"), err::AccessDenied);
    EXPECT_EQ(reg.beginBatch(), err::AccessDenied);
    EXPECT_EQ(this->get(k.get(), "v"), bytesOf("kept"));
    EXPECT_EQ(this->subkeys(kLocalMachine), Names{"Keep"});
}

TYPED_TEST(RegistrySemantics, BatchLandsTogetherOrNotAtAll) {
    auto& reg = *this->reg;
    KeyGuard base(reg, this->create("Base"));
    this->set(base.get(), "old", regtype::Dword, {1, 0, 0, 0});
    ASSERT_EQ(reg.beginBatch(), err::Success);
    EXPECT_NE(reg.beginBatch(), err::Success) << "no nesting";
    reg.closeKey(this->create("Base\\New"));
    ASSERT_EQ(reg.deleteValue(base.get(), "old"), err::Success);
    EXPECT_EQ(this->subkeys(base.get()), Names{"New"}) << "visible inside";
    reg.rollbackBatch();
    EXPECT_TRUE(this->subkeys(base.get()).empty());
    EXPECT_EQ(this->get(base.get(), "old"), (Bytes{1, 0, 0, 0}));

    // A failed write inside a batch keeps the writes before and after it.
    ASSERT_EQ(reg.beginBatch(), err::Success);
    this->set(base.get(), "first", regtype::Binary, {1});
    EXPECT_EQ(reg.deleteKey(kLocalMachine, "Nope"), err::FileNotFound);
    KeyGuard made(reg, this->create("Base\\New"));
    this->set(made.get(), "n", regtype::Sz, bytesOf("new"));
    ASSERT_EQ(reg.commitBatch(), err::Success);
    EXPECT_NE(reg.commitBatch(), err::Success) << "nothing left to commit";
    reg.rollbackBatch(); // nothing open: no effect
    EXPECT_EQ(this->valueNames(base.get()), (Names{"first", "old"}));
    KeyGuard read(reg, this->open("Base\\New"));
    EXPECT_EQ(this->get(read.get(), "n"), bytesOf("new"));
}

} // namespace
