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
using Codes = std::vector<uint32_t>;

Bytes bytesOf(std::string_view s) {
    Bytes v(s.begin(), s.end());
    v.push_back(0);
    return v;
}

// Handles are left open: closing is not what these tests are about.
template <class Backend> class RegistrySemantics : public ::testing::Test {
  protected:
    Backend backend;
    std::unique_ptr<Registry> reg = backend.make();

    RegKey create(std::string_view path, RegKey parent = kLocalMachine, bool* created = nullptr) {
        RegKey k = kNoKey;
        EXPECT_EQ(reg->createKey(parent, path, RegAccess::Write, k, created), err::Success) << path;
        return k;
    }
    RegKey open(std::string_view path, RegKey parent = kLocalMachine) {
        RegKey k = kNoKey;
        EXPECT_EQ(reg->openKey(parent, path, RegAccess::Read, k), err::Success) << path;
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
    // Every key below k in enumeration order, each with its value names: " A(x,y) A\B()".
    std::string tree(RegKey k = kLocalMachine, const std::string& prefix = "") {
        std::string out, name, value;
        uint32_t type = 0;
        Bytes data;
        for (uint32_t i = 0; reg->enumKey(k, i, name) == err::Success; ++i) {
            RegKey sub = open(name, k);
            std::string values;
            for (uint32_t j = 0; reg->enumValue(sub, j, value, type, data) == err::Success; ++j)
                values += (j ? "," : "") + value;
            out += " " + prefix + name + "(" + values + ")" + tree(sub, prefix + name + "\\");
            reg->closeKey(sub);
        }
        return out;
    }
    // The answers of every call that takes a key handle.
    Codes handleCalls(RegKey k) {
        RegKey out = kNoKey;
        std::string name;
        uint32_t type = 0;
        Bytes data;
        return {reg->openKey(k, "", RegAccess::Read, out),
                reg->createKey(k, "Sub", RegAccess::Write, out),
                query(k, "x"),
                reg->setValue(k, "x", regtype::Binary, "a", 1),
                reg->deleteValue(k, "x"),
                reg->enumKey(k, 0, name),
                reg->enumValue(k, 0, name, type, data)};
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
    bool created = false;
    RegKey k = this->create("\\Software\\Lintora\\", kLocalMachine, &created);
    EXPECT_TRUE(created);
    RegKey again = this->create("SOFTWARE\\LINTORA", kLocalMachine, &created);
    EXPECT_FALSE(created);
    this->set(k, "PrintDir", regtype::Sz, bytesOf("c:\\spool"));
    this->set(again, "PRINTDIR", regtype::ExpandSz, bytesOf("%ROOT%"));
    uint32_t type = 0;
    EXPECT_EQ(this->get(k, "printdir", &type), bytesOf("%ROOT%"));
    EXPECT_EQ(type, regtype::ExpandSz);
    EXPECT_EQ(this->get(this->open("software\\lintora"), "PrintDir"), bytesOf("%ROOT%"));
    EXPECT_EQ(this->get(this->open("", k), "PRINTDIR"), bytesOf("%ROOT%")) << "the key itself";

    // Created tells whether the last key is new.
    this->create("B\\C", k, &created);
    EXPECT_TRUE(created);
    this->create("b", k, &created);
    EXPECT_FALSE(created);
    EXPECT_EQ(this->tree(), " Software() Software\\Lintora(PrintDir) Software\\Lintora\\B() "
                            "Software\\Lintora\\B\\C()");
}

TYPED_TEST(RegistrySemantics, MissingClosedDeletedAndReadOnlyThingsAnswerWin32Codes) {
    auto& reg = *this->reg;
    RegKey a = this->create("A");
    RegKey k = 777;
    EXPECT_EQ(reg.openKey(kLocalMachine, "A\\Missing", RegAccess::Read, k), err::FileNotFound);
    EXPECT_EQ(k, kNoKey);
    EXPECT_EQ(this->query(a, "nothing"), err::FileNotFound);
    EXPECT_EQ(reg.deleteValue(a, "nothing"), err::FileNotFound);
    EXPECT_EQ(reg.deleteTree(kLocalMachine, "Missing\\Deeper"), err::FileNotFound);
    EXPECT_EQ(reg.deleteKey(kLocalMachine, ""), err::AccessDenied); // the hive stays
    EXPECT_EQ(reg.deleteTree(kLocalMachine, "\\"), err::AccessDenied);
    reg.closeKey(kLocalMachine);
    EXPECT_EQ(this->tree(), " A()");

    RegKey closed = this->create("B");
    reg.closeKey(closed);
    for (RegKey bogus : {RegKey{0xdead}, kNoKey, closed})
        EXPECT_EQ(this->handleCalls(bogus), Codes(7, err::InvalidHandle)) << bogus;

    // A key deleted under an open handle; one of the same name made later is another key.
    RegKey stale = this->create("Gone\\Child");
    ASSERT_EQ(reg.deleteTree(kLocalMachine, "Gone"), err::Success);
    this->create("Gone\\Child");
    EXPECT_EQ(this->handleCalls(stale), Codes(7, err::KeyDeleted));

    RegKey readHandle = this->open("A");
    EXPECT_EQ(reg.setValue(readHandle, "x", regtype::Binary, "a", 1), err::AccessDenied);
    EXPECT_EQ(reg.deleteValue(readHandle, "x"), err::AccessDenied);
    EXPECT_EQ(this->tree(), " A() B() Gone() Gone\\Child()");
}

TYPED_TEST(RegistrySemantics, QueriesFollowTheBufferRules) {
    auto& reg = *this->reg;
    RegKey k = this->create("T");
    const std::string text(300, 'x');
    this->set(k, "Long", regtype::Sz, bytesOf(text));
    this->set(k, "Empty", regtype::Binary, {});
    uint32_t type = 0, size = 0;
    ASSERT_EQ(reg.queryValue(k, "Long", &type, nullptr, &size), err::Success);
    EXPECT_EQ(type, regtype::Sz);
    EXPECT_EQ(size, 301u);
    Bytes buf(400, 0xAA);
    size = 256;
    EXPECT_EQ(reg.queryValue(k, "Long", &type, buf.data(), &size), err::MoreData);
    EXPECT_EQ(size, 301u);
    ASSERT_EQ(reg.queryValue(k, "Long", nullptr, buf.data(), &size), err::Success);
    EXPECT_EQ(std::memcmp(buf.data(), text.c_str(), 301), 0);
    EXPECT_EQ(buf[301], 0xAA) << "nothing written past the value";
    size = 10;
    ASSERT_EQ(reg.queryValue(k, "Empty", &type, buf.data(), &size), err::Success);
    EXPECT_EQ(size, 0u);
}

TYPED_TEST(RegistrySemantics, EnumerationIsOrderedIgnoringCaseAndStable) {
    auto& reg = *this->reg;
    RegKey p = this->create("P");
    for (const char* name : {"gamma", "Beta", "alpha2", "ALPHA", "_x"})
        this->create(name, p);
    for (const char* v : {"Zed", "b", "", "A"})
        this->set(p, v, regtype::Dword, {1, 0, 0, 0});
    this->set(p, "B", regtype::Dword, {2, 0, 0, 0}); // rewrite keeps place and spelling
    // Folded to lower case, so "_" (0x5f) sorts before every letter.
    EXPECT_EQ(this->tree(), " P(,A,b,Zed) P\\_x() P\\ALPHA() P\\alpha2() P\\Beta() P\\gamma()");
    std::string name;
    uint32_t type = 0;
    Bytes data;
    EXPECT_EQ(reg.enumKey(p, 1000, name), err::NoMoreItems);
    ASSERT_EQ(reg.enumValue(p, 2, name, type, data), err::Success);
    EXPECT_EQ(data, (Bytes{2, 0, 0, 0}));
    EXPECT_EQ(reg.enumValue(p, 4, name, type, data), err::NoMoreItems);

    ASSERT_EQ(reg.deleteValue(p, "a"), err::Success);
    ASSERT_EQ(reg.deleteKey(p, "beta"), err::Success);
    EXPECT_EQ(this->tree(), " P(,b,Zed) P\\_x() P\\ALPHA() P\\alpha2() P\\gamma()");
}

TYPED_TEST(RegistrySemantics, DeleteKeyRefusesSubkeysWhileDeleteTreeTakesAll) {
    auto& reg = *this->reg;
    this->set(this->create("Root\\Mid\\Leaf"), "x", regtype::Binary, {1});
    this->set(this->create("Root\\Mid"), "y", regtype::Binary, {2});

    EXPECT_EQ(reg.deleteKey(kLocalMachine, "Root\\Mid"), err::AccessDenied);
    EXPECT_EQ(this->tree(), " Root() Root\\Mid(y) Root\\Mid\\Leaf(x)");
    ASSERT_EQ(reg.deleteKey(kLocalMachine, "root\\mid\\leaf"), err::Success);
    EXPECT_EQ(this->tree(), " Root() Root\\Mid(y)");
    EXPECT_EQ(this->query(this->create("Root\\Mid\\Leaf"), "x"), err::FileNotFound)
        << "a new key has no old values";

    ASSERT_EQ(reg.deleteTree(kLocalMachine, "Root"), err::Success);
    EXPECT_EQ(this->tree(), "");
    EXPECT_EQ(this->query(this->create("Root\\Mid"), "y"), err::FileNotFound);
}

TYPED_TEST(RegistrySemantics, KeysStayWithinTheEditorsLimits) {
    auto& reg = *this->reg;
    std::string path;
    for (int i = 0; i < 500; ++i)
        path += "\\L";
    RegKey mid = this->create(path); // 500 levels; the rest counts from this handle
    RegKey k = kNoKey;
    const std::string twelve = "a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\" + std::string(255, 'n');
    EXPECT_EQ(reg.createKey(mid, twelve + "\\x", RegAccess::Write, k), err::Badkey); // 513
    EXPECT_EQ(reg.createKey(mid, "a\\" + std::string(256, 'n'), RegAccess::Write, k), err::Badkey);
    EXPECT_EQ(this->tree(mid), "");
    RegKey deepest = this->create(twelve, mid); // 512 levels
    EXPECT_EQ(reg.createKey(deepest, "x", RegAccess::Write, k), err::Badkey);
    EXPECT_EQ(this->tree(deepest), "");
    ASSERT_EQ(reg.deleteTree(kLocalMachine, "L"), err::Success);
    EXPECT_EQ(this->tree(), "");
}

TYPED_TEST(RegistrySemantics, ReadOnlyStoreRefusesEveryWriteButReads) {
    this->set(this->create("Keep\\Sub"), "v", regtype::Sz, bytesOf("kept"));
    this->backend.makeReadOnly(this->reg);
    auto& reg = *this->reg;
    ASSERT_TRUE(reg.readOnly());
    RegKey k = this->open("keep\\sub");
    EXPECT_EQ(this->get(k, "V"), bytesOf("kept"));

    RegKey w = kNoKey;
    EXPECT_EQ(reg.openKey(kLocalMachine, "Keep\\None", RegAccess::Write, w), err::FileNotFound);
    const Codes refused = {reg.openKey(kLocalMachine, "Keep\\Sub", RegAccess::Write, w),
                           reg.createKey(kLocalMachine, "New", RegAccess::Write, w),
                           reg.createKey(kLocalMachine, "Keep", RegAccess::Read, w),
                           reg.setValue(k, "v", regtype::Sz, "x", 2),
                           reg.setValue(kLocalMachine, "v", regtype::Sz, "x", 2),
                           reg.deleteValue(k, "v"),
                           reg.deleteKey(kLocalMachine, "Keep\\Sub"),
                           reg.deleteTree(kLocalMachine, "Keep"),
                           reg.beginBatch()};
    EXPECT_EQ(refused, Codes(refused.size(), err::AccessDenied));
    EXPECT_EQ(this->get(k, "v"), bytesOf("kept"));
    EXPECT_EQ(this->tree(), " Keep() Keep\\Sub(v)");
}

TYPED_TEST(RegistrySemantics, BatchLandsTogetherOrNotAtAll) {
    auto& reg = *this->reg;
    RegKey base = this->create("Base");
    this->set(base, "old", regtype::Dword, {1, 0, 0, 0});
    ASSERT_EQ(reg.beginBatch(), err::Success);
    EXPECT_NE(reg.beginBatch(), err::Success) << "no nesting";
    this->create("Base\\New");
    ASSERT_EQ(reg.deleteValue(base, "old"), err::Success);
    EXPECT_EQ(this->tree(), " Base() Base\\New()") << "visible inside";
    reg.rollbackBatch();
    EXPECT_EQ(this->tree(), " Base(old)");

    // A failed write inside a batch keeps the writes before and after it.
    ASSERT_EQ(reg.beginBatch(), err::Success);
    this->set(base, "first", regtype::Binary, {1});
    EXPECT_EQ(reg.deleteKey(kLocalMachine, "Nope"), err::FileNotFound);
    this->set(this->create("Base\\New"), "n", regtype::Sz, bytesOf("new"));
    ASSERT_EQ(reg.commitBatch(), err::Success);
    EXPECT_NE(reg.commitBatch(), err::Success) << "nothing left to commit";
    reg.rollbackBatch(); // nothing open: no effect
    EXPECT_EQ(this->tree(), " Base(first,old) Base\\New(n)");
}

} // namespace
