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

std::vector<uint8_t> bytesOf(std::string_view s, bool nul = true) {
    std::vector<uint8_t> v(s.begin(), s.end());
    if (nul) v.push_back(0);
    return v;
}

template <class Backend> class RegistrySemantics : public ::testing::Test {
  protected:
    Backend backend;
    std::unique_ptr<Registry> reg = backend.make();

    RegKey create(std::string_view path, RegAccess access = RegAccess::Write) {
        RegKey k = kNoKey;
        EXPECT_EQ(reg->createKey(kLocalMachine, path, access, k), err::Success) << path;
        return k;
    }
    void set(RegKey k, std::string_view name, uint32_t type, const std::vector<uint8_t>& v) {
        ASSERT_EQ(reg->setValue(k, name, type, v.data(), static_cast<uint32_t>(v.size())),
                  err::Success);
    }
    std::vector<uint8_t> get(RegKey k, std::string_view name, uint32_t* type = nullptr) {
        uint32_t size = 0;
        EXPECT_EQ(reg->queryValue(k, name, type, nullptr, &size), err::Success) << name;
        std::vector<uint8_t> out(size);
        EXPECT_EQ(reg->queryValue(k, name, type, out.data(), &size), err::Success) << name;
        out.resize(size);
        return out;
    }
    std::vector<std::string> subkeys(RegKey k) {
        std::vector<std::string> names;
        std::string n;
        for (uint32_t i = 0; reg->enumKey(k, i, n) == err::Success; ++i)
            names.push_back(n);
        return names;
    }
    std::vector<std::string> valueNames(RegKey k) {
        std::vector<std::string> names;
        std::string n;
        uint32_t t = 0;
        std::vector<uint8_t> d;
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

TYPED_TEST(RegistrySemantics, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
    auto& reg = *this->reg;
    bool created = false;
    RegKey k = kNoKey;
    ASSERT_EQ(reg.createKey(kLocalMachine, "Software\\Lintora", RegAccess::Write, k, &created),
              err::Success);
    EXPECT_TRUE(created);
    KeyGuard g1(reg, k);
    RegKey again = kNoKey;
    ASSERT_EQ(reg.createKey(kLocalMachine, "SOFTWARE\\LINTORA", RegAccess::Write, again, &created),
              err::Success);
    KeyGuard g2(reg, again);
    EXPECT_FALSE(created);

    this->set(k, "PrintDir", regtype::Sz, bytesOf("c:\\spool"));
    this->set(again, "PRINTDIR", regtype::ExpandSz, bytesOf("%ROOT%"));
    uint32_t type = 0;
    EXPECT_EQ(this->get(k, "printdir", &type), bytesOf("%ROOT%"));
    EXPECT_EQ(type, regtype::ExpandSz);
    EXPECT_EQ(this->valueNames(k), std::vector<std::string>{"PrintDir"});
    EXPECT_EQ(this->subkeys(kLocalMachine), std::vector<std::string>{"Software"});

    RegKey viaOther = kNoKey;
    ASSERT_EQ(reg.openKey(kLocalMachine, "software\\lintora", RegAccess::Read, viaOther),
              err::Success);
    KeyGuard g3(reg, viaOther);
    EXPECT_EQ(this->get(viaOther, "PrintDir"), bytesOf("%ROOT%"));
}

TYPED_TEST(RegistrySemantics, PathsTolerateOuterSeparatorsAndEmptyMeansTheKeyItself) {
    auto& reg = *this->reg;
    KeyGuard a(reg, this->create("\\A\\B\\"));
    this->set(a.get(), "v", regtype::Dword, {1, 0, 0, 0});
    RegKey same = kNoKey;
    ASSERT_EQ(reg.openKey(a.get(), "", RegAccess::Read, same), err::Success);
    KeyGuard g(reg, same);
    EXPECT_EQ(this->get(same, "v"), (std::vector<uint8_t>{1, 0, 0, 0}));
    RegKey viaPath = kNoKey;
    ASSERT_EQ(reg.openKey(kLocalMachine, "A\\B", RegAccess::Read, viaPath), err::Success);
    KeyGuard g2(reg, viaPath);
    EXPECT_EQ(this->get(viaPath, "V"), (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(this->subkeys(kLocalMachine), std::vector<std::string>{"A"});
}

TYPED_TEST(RegistrySemantics, CreatedReportsWhetherTheLastKeyIsNew) {
    auto& reg = *this->reg;
    KeyGuard a(reg, this->create("A"));
    RegKey k = kNoKey;
    bool created = false;
    ASSERT_EQ(reg.createKey(kLocalMachine, "A\\B\\C", RegAccess::Write, k, &created), err::Success);
    reg.closeKey(k);
    EXPECT_TRUE(created);
    ASSERT_EQ(reg.createKey(a.get(), "b", RegAccess::Write, k, &created), err::Success);
    reg.closeKey(k);
    EXPECT_FALSE(created);
    EXPECT_EQ(this->subkeys(a.get()), std::vector<std::string>{"B"});
}

TYPED_TEST(RegistrySemantics, MissingThingsAnswerWin32Codes) {
    auto& reg = *this->reg;
    KeyGuard a(reg, this->create("A"));
    RegKey k = 777;
    EXPECT_EQ(reg.openKey(kLocalMachine, "A\\Missing", RegAccess::Read, k), err::FileNotFound);
    EXPECT_EQ(k, kNoKey);
    uint32_t size = 0;
    EXPECT_EQ(reg.queryValue(a.get(), "nothing", nullptr, nullptr, &size), err::FileNotFound);
    EXPECT_EQ(reg.deleteValue(a.get(), "nothing"), err::FileNotFound);
    EXPECT_EQ(reg.deleteKey(kLocalMachine, "A\\Missing"), err::FileNotFound);
    EXPECT_EQ(reg.deleteTree(kLocalMachine, "Missing\\Deeper"), err::FileNotFound);

    const RegKey bogus = 0xdead;
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
    EXPECT_EQ(reg.openKey(bogus, "A", RegAccess::Read, k), err::InvalidHandle);
    EXPECT_EQ(reg.createKey(bogus, "A", RegAccess::Write, k), err::InvalidHandle);
    EXPECT_EQ(reg.queryValue(bogus, "x", nullptr, nullptr, &size), err::InvalidHandle);
    EXPECT_EQ(reg.setValue(bogus, "x", regtype::Binary, "", 0), err::InvalidHandle);
    EXPECT_EQ(reg.enumKey(bogus, 0, name), err::InvalidHandle);
    EXPECT_EQ(reg.enumValue(bogus, 0, name, type, data), err::InvalidHandle);
    EXPECT_EQ(reg.queryValue(kNoKey, "x", nullptr, nullptr, &size), err::InvalidHandle);

    RegKey closed = this->create("B");
    reg.closeKey(closed);
    EXPECT_EQ(reg.queryValue(closed, "x", nullptr, nullptr, &size), err::InvalidHandle);
}

TYPED_TEST(RegistrySemantics, QueryFollowsTheBufferRules) {
    auto& reg = *this->reg;
    KeyGuard k(reg, this->create("Q"));
    const std::string text(300, 'x');
    this->set(k.get(), "Long", regtype::Sz, bytesOf(text));

    uint32_t type = 0, size = 0;
    ASSERT_EQ(reg.queryValue(k.get(), "Long", &type, nullptr, &size), err::Success);
    EXPECT_EQ(type, regtype::Sz);
    EXPECT_EQ(size, 301u);

    std::vector<uint8_t> buf(256, 0xAA);
    size = 256;
    EXPECT_EQ(reg.queryValue(k.get(), "Long", &type, buf.data(), &size), err::MoreData);
    EXPECT_EQ(size, 301u);

    buf.assign(400, 0xAA);
    size = 400;
    ASSERT_EQ(reg.queryValue(k.get(), "Long", nullptr, buf.data(), &size), err::Success);
    EXPECT_EQ(size, 301u);
    EXPECT_EQ(std::memcmp(buf.data(), text.c_str(), 301), 0);
    EXPECT_EQ(buf[301], 0xAA) << "nothing written past the value";

    size = 301;
    EXPECT_EQ(reg.queryValue(k.get(), "Long", nullptr, buf.data(), &size), err::Success);

    this->set(k.get(), "Empty", regtype::Binary, {});
    size = 10;
    ASSERT_EQ(reg.queryValue(k.get(), "Empty", &type, buf.data(), &size), err::Success);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(type, regtype::Binary);
}

TYPED_TEST(RegistrySemantics, ValuesKeepTypeAndBytesWhateverTheirSize) {
    auto& reg = *this->reg;
    KeyGuard k(reg, this->create("T"));
    const std::vector<std::pair<uint32_t, std::vector<uint8_t>>> cases = {
        {regtype::None, {}},
        {regtype::Sz, bytesOf("text")},
        {regtype::ExpandSz, bytesOf("%A%")},
        {regtype::Binary, {0, 1, 0, 255}},
        {regtype::Dword, {1, 2}}, // short dword kept as given
        {regtype::DwordBigEndian, {0, 0, 0, 9}},
        {regtype::MultiSz, {'a', 0, 'b', 0, 0}},
        {regtype::Qword, {1, 2, 3, 4, 5, 6, 7, 8, 9}}, // long qword kept as given
        {42, {7}},
    };
    for (size_t i = 0; i < cases.size(); ++i)
        this->set(k.get(), "v" + std::to_string(i), cases[i].first, cases[i].second);
    for (size_t i = 0; i < cases.size(); ++i) {
        uint32_t type = 99;
        EXPECT_EQ(this->get(k.get(), "v" + std::to_string(i), &type), cases[i].second) << i;
        EXPECT_EQ(type, cases[i].first) << i;
    }
}

TYPED_TEST(RegistrySemantics, EnumerationIsOrderedIgnoringCaseAndStable) {
    auto& reg = *this->reg;
    KeyGuard p(reg, this->create("P"));
    for (const char* name : {"gamma", "Beta", "alpha2", "ALPHA", "_x"}) {
        RegKey k = kNoKey;
        ASSERT_EQ(reg.createKey(p.get(), name, RegAccess::Write, k), err::Success);
        reg.closeKey(k);
    }
    // Folded to lower case, so "_" (0x5f) sorts before every letter.
    const std::vector<std::string> expected = {"_x", "ALPHA", "alpha2", "Beta", "gamma"};
    EXPECT_EQ(this->subkeys(p.get()), expected);
    std::string name;
    EXPECT_EQ(reg.enumKey(p.get(), 5, name), err::NoMoreItems);
    EXPECT_EQ(reg.enumKey(p.get(), 1000, name), err::NoMoreItems);

    for (const char* v : {"Zed", "b", "", "A"})
        this->set(p.get(), v, regtype::Dword, {1, 0, 0, 0});
    this->set(p.get(), "B", regtype::Dword, {2, 0, 0, 0}); // rewrite keeps place and spelling
    EXPECT_EQ(this->valueNames(p.get()), (std::vector<std::string>{"", "A", "b", "Zed"}));
    uint32_t type = 0;
    std::vector<uint8_t> data;
    ASSERT_EQ(reg.enumValue(p.get(), 2, name, type, data), err::Success);
    EXPECT_EQ(data, (std::vector<uint8_t>{2, 0, 0, 0}));
    EXPECT_EQ(reg.enumValue(p.get(), 4, name, type, data), err::NoMoreItems);

    ASSERT_EQ(reg.deleteValue(p.get(), "a"), err::Success);
    EXPECT_EQ(this->valueNames(p.get()), (std::vector<std::string>{"", "b", "Zed"}));
    ASSERT_EQ(reg.deleteKey(p.get(), "beta"), err::Success);
    EXPECT_EQ(this->subkeys(p.get()), (std::vector<std::string>{"_x", "ALPHA", "alpha2", "gamma"}));
}

TYPED_TEST(RegistrySemantics, DeleteKeyRefusesSubkeysWhileDeleteTreeTakesAll) {
    auto& reg = *this->reg;
    KeyGuard deep(reg, this->create("Root\\Mid\\Leaf"));
    this->set(deep.get(), "x", regtype::Binary, {1});
    KeyGuard mid(reg, this->create("Root\\Mid"));
    this->set(mid.get(), "y", regtype::Binary, {2});

    EXPECT_EQ(reg.deleteKey(kLocalMachine, "Root\\Mid"), err::AccessDenied);
    EXPECT_EQ(this->get(deep.get(), "x"), std::vector<uint8_t>{1});

    ASSERT_EQ(reg.deleteKey(kLocalMachine, "root\\mid\\leaf"), err::Success);
    EXPECT_TRUE(this->subkeys(mid.get()).empty());
    RegKey again = this->create("Root\\Mid\\Leaf");
    uint32_t size = 0;
    EXPECT_EQ(reg.queryValue(again, "x", nullptr, nullptr, &size), err::FileNotFound)
        << "a recreated key starts without the old values";
    reg.closeKey(again);

    ASSERT_EQ(reg.deleteTree(kLocalMachine, "Root"), err::Success);
    RegKey k = kNoKey;
    EXPECT_EQ(reg.openKey(kLocalMachine, "Root", RegAccess::Read, k), err::FileNotFound);
    EXPECT_TRUE(this->subkeys(kLocalMachine).empty());
    KeyGuard fresh(reg, this->create("Root\\Mid"));
    EXPECT_EQ(reg.queryValue(fresh.get(), "y", nullptr, nullptr, &size), err::FileNotFound);
}

TYPED_TEST(RegistrySemantics, HandlesOfDeletedKeysAnswerKeyDeleted) {
    auto& reg = *this->reg;
    KeyGuard stale(reg, this->create("Gone\\Child"));
    ASSERT_EQ(reg.deleteTree(kLocalMachine, "Gone"), err::Success);
    uint32_t size = 0;
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
    RegKey k = kNoKey;
    EXPECT_EQ(reg.queryValue(stale.get(), "x", nullptr, nullptr, &size), err::KeyDeleted);
    EXPECT_EQ(reg.setValue(stale.get(), "x", regtype::Binary, "a", 1), err::KeyDeleted);
    EXPECT_EQ(reg.deleteValue(stale.get(), "x"), err::KeyDeleted);
    EXPECT_EQ(reg.enumKey(stale.get(), 0, name), err::KeyDeleted);
    EXPECT_EQ(reg.enumValue(stale.get(), 0, name, type, data), err::KeyDeleted);
    EXPECT_EQ(reg.openKey(stale.get(), "", RegAccess::Read, k), err::KeyDeleted);
    EXPECT_EQ(reg.createKey(stale.get(), "Sub", RegAccess::Write, k), err::KeyDeleted);

    // A key of the same name made later is a different key.
    KeyGuard fresh(reg, this->create("Gone\\Child"));
    EXPECT_EQ(reg.queryValue(stale.get(), "x", nullptr, nullptr, &size), err::KeyDeleted);
}

TYPED_TEST(RegistrySemantics, TheHiveCannotBeDeletedAndSurvivesClose) {
    auto& reg = *this->reg;
    KeyGuard a(reg, this->create("A"));
    EXPECT_EQ(reg.deleteKey(kLocalMachine, ""), err::AccessDenied);
    EXPECT_EQ(reg.deleteTree(kLocalMachine, "\\"), err::AccessDenied);
    reg.closeKey(kLocalMachine);
    EXPECT_EQ(this->subkeys(kLocalMachine), std::vector<std::string>{"A"});
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
    EXPECT_EQ(this->subkeys(mid.get()), std::vector<std::string>{"a"});
    RegKey deepest = kNoKey;
    ASSERT_EQ(reg.openKey(mid.get(), twelve, RegAccess::Write, deepest), err::Success);
    KeyGuard g(reg, deepest);
    EXPECT_EQ(reg.createKey(deepest, "x", RegAccess::Write, k), err::Badkey);
    EXPECT_TRUE(this->subkeys(deepest).empty());
    ASSERT_EQ(reg.deleteTree(kLocalMachine, "L"), err::Success);
    EXPECT_TRUE(this->subkeys(kLocalMachine).empty());
}

TYPED_TEST(RegistrySemantics, ReadHandlesCannotWrite) {
    auto& reg = *this->reg;
    reg.closeKey(this->create("A"));
    RegKey k = kNoKey;
    ASSERT_EQ(reg.openKey(kLocalMachine, "A", RegAccess::Read, k), err::Success);
    KeyGuard g(reg, k);
    EXPECT_EQ(reg.setValue(k, "x", regtype::Binary, "a", 1), err::AccessDenied);
    EXPECT_EQ(reg.deleteValue(k, "x"), err::AccessDenied);
    EXPECT_TRUE(this->valueNames(k).empty());
}

TYPED_TEST(RegistrySemantics, ReadOnlyStoreRefusesEveryWriteButReads) {
    {
        KeyGuard k(*this->reg, this->create("Keep\\Sub"));
        this->set(k.get(), "v", regtype::Sz, bytesOf("kept"));
    }
    this->backend.makeReadOnly(this->reg);
    auto& reg = *this->reg;
    ASSERT_TRUE(reg.readOnly());

    RegKey k = kNoKey;
    ASSERT_EQ(reg.openKey(kLocalMachine, "keep\\sub", RegAccess::Read, k), err::Success);
    KeyGuard g(reg, k);
    EXPECT_EQ(this->get(k, "V"), bytesOf("kept"));
    EXPECT_EQ(this->subkeys(kLocalMachine), std::vector<std::string>{"Keep"});

    RegKey w = kNoKey;
    EXPECT_EQ(reg.openKey(kLocalMachine, "Keep\\Sub", RegAccess::Write, w), err::AccessDenied);
    EXPECT_EQ(reg.openKey(kLocalMachine, "Keep\\None", RegAccess::Write, w), err::FileNotFound);
    EXPECT_EQ(reg.createKey(kLocalMachine, "New", RegAccess::Write, w), err::AccessDenied);
    EXPECT_EQ(reg.createKey(kLocalMachine, "Keep", RegAccess::Read, w), err::AccessDenied);
    EXPECT_EQ(reg.setValue(k, "v", regtype::Sz, "x", 2), err::AccessDenied);
    EXPECT_EQ(reg.setValue(kLocalMachine, "v", regtype::Sz, "x", 2), err::AccessDenied);
    EXPECT_EQ(reg.deleteValue(k, "v"), err::AccessDenied);
    EXPECT_EQ(reg.deleteKey(kLocalMachine, "Keep\\Sub"), err::AccessDenied);
    EXPECT_EQ(reg.deleteTree(kLocalMachine, "Keep"), err::AccessDenied);
    EXPECT_EQ(reg.beginBatch(), err::AccessDenied);

    EXPECT_EQ(this->get(k, "v"), bytesOf("kept"));
    EXPECT_EQ(this->subkeys(kLocalMachine), std::vector<std::string>{"Keep"});
}

TYPED_TEST(RegistrySemantics, BatchLandsTogetherOrNotAtAll) {
    auto& reg = *this->reg;
    KeyGuard base(reg, this->create("Base"));
    this->set(base.get(), "old", regtype::Dword, {1, 0, 0, 0});

    ASSERT_EQ(reg.beginBatch(), err::Success);
    EXPECT_NE(reg.beginBatch(), err::Success) << "no nesting";
    RegKey k = kNoKey;
    ASSERT_EQ(reg.createKey(kLocalMachine, "Base\\New", RegAccess::Write, k), err::Success);
    this->set(k, "n", regtype::Sz, bytesOf("new"));
    reg.closeKey(k);
    ASSERT_EQ(reg.deleteValue(base.get(), "old"), err::Success);
    EXPECT_EQ(this->subkeys(base.get()), std::vector<std::string>{"New"}) << "visible inside";
    reg.rollbackBatch();

    EXPECT_TRUE(this->subkeys(base.get()).empty());
    EXPECT_EQ(this->get(base.get(), "old"), (std::vector<uint8_t>{1, 0, 0, 0}));

    ASSERT_EQ(reg.beginBatch(), err::Success);
    ASSERT_EQ(reg.createKey(kLocalMachine, "Base\\New", RegAccess::Write, k), err::Success);
    this->set(k, "n", regtype::Sz, bytesOf("new"));
    reg.closeKey(k);
    ASSERT_EQ(reg.commitBatch(), err::Success);
    EXPECT_NE(reg.commitBatch(), err::Success) << "nothing left to commit";
    reg.rollbackBatch(); // nothing open: no effect

    ASSERT_EQ(reg.openKey(kLocalMachine, "Base\\New", RegAccess::Read, k), err::Success);
    KeyGuard g(reg, k);
    EXPECT_EQ(this->get(k, "n"), bytesOf("new"));
}

TYPED_TEST(RegistrySemantics, FailedWriteInsideBatchKeepsEarlierWrites) {
    auto& reg = *this->reg;
    KeyGuard a(reg, this->create("A"));
    ASSERT_EQ(reg.beginBatch(), err::Success);
    this->set(a.get(), "first", regtype::Binary, {1});
    EXPECT_EQ(reg.deleteKey(kLocalMachine, "Nope"), err::FileNotFound);
    this->set(a.get(), "second", regtype::Binary, {2});
    ASSERT_EQ(reg.commitBatch(), err::Success);
    EXPECT_EQ(this->valueNames(a.get()), (std::vector<std::string>{"first", "second"}));
}

} // namespace
