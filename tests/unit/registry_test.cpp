// The registry: the behaviour every backend must share, run against the fake and the database
// (on Windows against the system's registry), and registry files written and read over it.
#include "library/admin/regfile.h"
#include "platform/errors.h"
#include "support/demo_files.h"
#include "support/memory_registry.h"
#ifdef _WIN32
#include "win32/registry_sandbox.h"
#else
#include "platform/posix/sqlite_registry.h"
#include "support/temp_root.h"

#include <sys/stat.h>
#endif

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

using namespace lntc;
using Bytes = std::vector<uint8_t>;
using Codes = std::vector<uint32_t>;

namespace {

using lntc::test::MemoryRegistry;

#ifndef _WIN32

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
    std::unique_ptr<Registry> writer; // still open: what it wrote is in its log, not the file
    std::unique_ptr<Registry> make() { return std::make_unique<SqliteRegistry>(db); }
    void makeReadOnly(std::unique_ptr<Registry>& reg) {
        writer = std::move(reg);
        ASSERT_EQ(::chmod(db.c_str(), 0444), 0);
        reg = make();
    }
};
#endif

Bytes bytesOf(std::string_view s) {
    Bytes v(s.begin(), s.end());
    v.push_back(0);
    return v;
}

// "\\k\\k..." with that many levels.
std::string deepPath(size_t levels) {
    std::string path;
    for (size_t i = 0; i < levels; ++i)
        path += "\\k";
    return path;
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
        Bytes out(64); // enough for the values these tests read whole
        uint32_t size = static_cast<uint32_t>(out.size());
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

// A failure names the backend as its TypeParam.
#ifdef _WIN32
using Backends = ::testing::Types<test::Win32Backend>;
#else
using Backends = ::testing::Types<MemoryBackend, SqliteBackend>;
#endif
TYPED_TEST_SUITE(RegistrySemantics, Backends);

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
    EXPECT_EQ(this->tree(), " Software() Software\\Lintora(PrintDir)");
}

TYPED_TEST(RegistrySemantics, MissingClosedDeletedAndReadOnlyThingsAnswerWin32Codes) {
    auto& reg = *this->reg;
    RegKey a = this->create("A");
    RegKey k = 777;
    EXPECT_EQ(Codes({reg.openKey(kLocalMachine, "A\\Missing", RegAccess::Read, k),
                     this->query(a, "nothing"), reg.deleteValue(a, "nothing"),
                     reg.deleteTree(kLocalMachine, "Missing\\Deeper")}),
              Codes(4, err::FileNotFound));
    EXPECT_EQ(k, kNoKey);
    EXPECT_EQ(Codes({reg.deleteKey(kLocalMachine, ""), reg.deleteTree(kLocalMachine, "\\")}),
              Codes(2, err::AccessDenied)); // the hive stays
    reg.closeKey(kLocalMachine);            // harmless: the last check still reads through it

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
    EXPECT_EQ(Codes({reg.setValue(readHandle, "x", regtype::Binary, "a", 1),
                     reg.deleteValue(readHandle, "x")}),
              Codes(2, err::AccessDenied));
    EXPECT_EQ(this->tree(), " A() B() Gone() Gone\\Child()");
}

TYPED_TEST(RegistrySemantics, QueriesFollowTheBufferRules) {
    auto& reg = *this->reg;
    RegKey k = this->create("T");
    const std::string text(300, 'x');
    this->set(k, "Long", regtype::Sz, bytesOf(text));
    this->set(k, "Empty", regtype::Binary, {});
    uint32_t type = 0, size = 0, small = 256, empty = 10;
    Bytes buf(400, 0xAA);
    EXPECT_EQ(
        Codes({reg.queryValue(k, "Long", &type, nullptr, &size), size, type,
               reg.queryValue(k, "Long", &type, buf.data(), &small), small,
               reg.queryValue(k, "Long", nullptr, buf.data(), &size),
               reg.queryValue(k, "Empty", &type, buf.data(), &empty), empty}),
        Codes({err::Success, 301, regtype::Sz, err::MoreData, 301, err::Success, err::Success, 0}));
    EXPECT_EQ(std::memcmp(buf.data(), text.c_str(), 301), 0);
    EXPECT_EQ(buf[301], 0xAA) << "nothing written past the value";
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
    EXPECT_EQ(Codes({reg.enumKey(p, 1000, name), reg.enumValue(p, 4, name, type, data),
                     reg.enumValue(p, 2, name, type, data), data[0]}),
              Codes({err::NoMoreItems, err::NoMoreItems, err::Success, 2}));

    ASSERT_EQ(reg.deleteValue(p, "a"), err::Success);
    ASSERT_EQ(reg.deleteKey(p, "beta"), err::Success);
    EXPECT_EQ(this->tree(), " P(,b,Zed) P\\_x() P\\ALPHA() P\\alpha2() P\\gamma()");
}

TYPED_TEST(RegistrySemantics, DeleteKeyRefusesSubkeysWhileDeleteTreeTakesAll) {
    auto& reg = *this->reg;
    this->set(this->create("Root\\Mid\\Leaf"), "x", regtype::Binary, {1});
    this->set(this->create("Root\\Mid"), "y", regtype::Binary, {2});

    EXPECT_EQ(reg.deleteKey(kLocalMachine, "Root\\Mid"), err::AccessDenied);
    ASSERT_EQ(reg.deleteKey(kLocalMachine, "root\\mid\\leaf"), err::Success); // still there
    EXPECT_EQ(this->tree(), " Root() Root\\Mid(y)");
    EXPECT_EQ(this->query(this->create("Root\\Mid\\Leaf"), "x"), err::FileNotFound)
        << "a new key has no old values";

    ASSERT_EQ(reg.deleteTree(kLocalMachine, "Root"), err::Success);
    EXPECT_EQ(this->tree(), "");
    EXPECT_EQ(this->query(this->create("Root\\Mid"), "y"), err::FileNotFound);
}

TYPED_TEST(RegistrySemantics, KeysStayWithinTheEditorsLimits) {
    auto& reg = *this->reg;
    RegKey mid = this->create(deepPath(500)); // the rest counts from this handle
    RegKey k = kNoKey;
    const std::string twelve = "a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\" + std::string(255, 'n');
    EXPECT_EQ(reg.createKey(mid, twelve + "\\x", RegAccess::Write, k), err::Badkey); // 513
    EXPECT_EQ(reg.createKey(mid, "a\\" + std::string(256, 'n'), RegAccess::Write, k), err::Badkey);
    EXPECT_EQ(this->tree(mid), "");
    RegKey deepest = this->create(twelve, mid); // 512 levels
    EXPECT_EQ(reg.createKey(deepest, "x", RegAccess::Write, k), err::Badkey);
    EXPECT_EQ(this->tree(deepest), "");
    ASSERT_EQ(reg.deleteTree(kLocalMachine, "k"), err::Success);
    EXPECT_EQ(this->tree(), "");
}

TYPED_TEST(RegistrySemantics, ReadOnlyStoreRefusesEveryWriteButReads) {
    this->set(this->create("Keep\\Sub"), "v", regtype::Sz, bytesOf("kept"));
    this->backend.makeReadOnly(this->reg);
    auto& reg = *this->reg;
    RegKey k = this->open("keep\\sub");

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
    EXPECT_EQ(this->get(k, "V"), bytesOf("kept")) << "reads go on";
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

std::string utf16File(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (char16_t c : text)
        out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return out;
}

std::string exportOf(Registry& reg, const std::string& path = "HKEY_LOCAL_MACHINE",
                     RegFileFormat fmt = RegFileFormat::Regedit4) {
    std::string out;
    EXPECT_EQ(exportRegistry(reg, path, fmt, out), err::Success);
    return out;
}

// Text is converted between the single-byte code page and UTF-16 (V5) or UTF-8 (a REGEDIT4
// file written so); what has no single-byte form becomes "?". The euro sign is U+20AC in a
// file, not the byte 0x80.
TEST(RegFileImport, ConvertsUnicodeTextToTheSingleByteCodePageAndBack) {
    MemoryRegistry reg;
    reg.setString("K", "Name", "caf\xE9 \x80");
    reg.setRaw("K", "Path", regtype::ExpandSz, bytesOf("%\xE9"));
    EXPECT_EQ(
        exportOf(reg, "HKEY_LOCAL_MACHINE\\K", RegFileFormat::V5),
        utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n"
                  u"\"Name\"=\"caf\u00e9 \u20ac\"\r\n\"Path\"=hex(2):25,00,e9,00,00,00\r\n\r\n"));
    const std::string files[] = {
        utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n"
                  u"\"Name\"=\"caf\u00e9 \u20ac \u03a9\"\r\n\"Exp\"=hex(2):ac,20,a9,03,00,00\r\n"),
        "REGEDIT4\r\n[HKLM\\K]\r\n\"U\"=\"caf\xC3\xA9\"\r\n",
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
        "[HKLM\\K]\n\"W\"=\"\xE2\x82\xAC\"\n\"E\"=hex(2):41,00,00,00\n"};
    for (const std::string& file : files)
        importRegText(reg, file); // throws, failing the test, with the importer's message
    EXPECT_EQ(exportOf(reg, "HKLM\\K"), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n"
                                        "\"E\"=hex(2):41,00\r\n\"Exp\"=hex(2):80,3f,00\r\n"
                                        "\"Name\"=\"caf\xE9 \x80 ?\"\r\n"
                                        "\"Path\"=hex(2):25,e9,00\r\n"
                                        "\"U\"=\"caf\xE9\"\r\n\"W\"=\"\x80\"\r\n\r\n");
}

TEST(RegFileImport, ReadsHandWrittenFilesAndKeysUpToTheEditorsLimits) {
    MemoryRegistry reg;
    reg.setString("Software\\Gone\\Deep", "x", "y");
    reg.setString("Software\\Keep", "Old", "z");
    reg.setString("Software\\Keep", "", "default");
    const std::string file =
        "REGEDIT4\n"
        "; a comment\n"
        "\n"
        "[-HKEY_LOCAL_MACHINE\\Software\\Gone]\n"
        "[HKLM\\Software\\Keep]\n"
        "\"Old\"=-\n"
        "@=-\n"
        "\"Text\" = \"q\\\"uote\\\\\"\n"
        "\"Num\"=DWORD:1E\n"
        "\"Max\"=dword:ffffffff\n"
        "\"Multi\"=hex(7):61,00,\\\n"
        "    62,00,\\\n"
        "  00\n"
        "\"Bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,"
        "14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,"
        "2b,2c,2d,2e,2f,30,31\n"
        // What has no text form of its own comes back in hex.
        "\"Big\"=hex(b):01,02,03,04,05,06,07,08\n"
        "\"None\"=hex(0):\n\"Odd\"=hex(2a):09\n\"Short\"=hex(4):01,02\n"
        "\"NoNul\"=hex(1):61,62,63\n\"TwoLines\"=hex(1):61,0d,0a,62,00\n"
        "[HKEY_LOCAL_MACHINE\\Software\\New\\Sub]\r\n"
        "@=\"top\"\r\n";
    importRegText(reg, file);
    EXPECT_EQ(exportOf(reg, "HKLM\\Software"), "REGEDIT4\r\n\r\n"
                                               "[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n"
                                               "[HKEY_LOCAL_MACHINE\\Software\\Keep]\r\n"
                                               "\"Big\"=hex(b):01,02,03,04,05,06,07,08\r\n"
                                               "\"Bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,"
                                               "0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n  17,18,"
                                               "19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,"
                                               "29,2a,2b,2c,2d,2e,2f,\\\r\n  30,31\r\n"
                                               "\"Max\"=dword:ffffffff\r\n"
                                               "\"Multi\"=hex(7):61,00,62,00,00\r\n"
                                               "\"None\"=hex(0):\r\n\"NoNul\"=hex(1):61,62,63\r\n"
                                               "\"Num\"=dword:0000001e\r\n"
                                               "\"Odd\"=hex(2a):09\r\n\"Short\"=hex(4):01,02\r\n"
                                               "\"Text\"=\"q\\\"uote\\\\\"\r\n"
                                               "\"TwoLines\"=hex(1):61,0d,0a,62,00\r\n\r\n"
                                               "[HKEY_LOCAL_MACHINE\\Software\\New]\r\n\r\n"
                                               "[HKEY_LOCAL_MACHINE\\Software\\New\\Sub]\r\n"
                                               "@=\"top\"\r\n\r\n");

    const std::string deepest =
        "[HKEY_LOCAL_MACHINE" + deepPath(511) + "\\" + std::string(255, 'n') + "]";
    importRegText(reg, "REGEDIT4\r\n" + deepest + "\r\n");
    const std::string out = exportOf(reg, "HKLM\\k");
    EXPECT_TRUE(out.ends_with("\r\n" + deepest + "\r\n\r\n")); // not printed: 33 MB at worst
    EXPECT_EQ(reg.openHandleCount(), 0u);
}

// Every file starts with valid changes, so a partial apply would show in the export.
const std::string kValidStart = "REGEDIT4\r\n\r\n"                            // 1, 2
                                "[-HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"  // 3
                                "[HKEY_LOCAL_MACHINE\\Software\\Lintora]\r\n" // 4
                                "\"Count\"=dword:1\r\n"                       // 5
                                "\"Fresh\"=\"new\"\r\n";                      // 6

TEST(RegFileImport, AFailureNamesTheLineAndChangesNothing) {
    struct Case {
        std::string file;
        uint32_t line;
        std::string message;
        uint32_t rc = err::InvalidData;
    };
    const char* const dword = "invalid dword value; expected 1 to 8 hex digits";
    const char* const equals = "expected '=' after value name";
    // clang-format off
    const Case cases[] = {
        {"REGEDIT5\r\n[HKLM\\A]\r\n", 1, "not a registry file; expected \"REGEDIT4\" or \"Windows Registry Editor Version 5.00\""},
        {kValidStart + "[HKEY_CURRENT_USER\\Software]\r\n", 7, "unsupported hive 'HKEY_CURRENT_USER'; only HKEY_LOCAL_MACHINE can be imported"},
        {kValidStart + "\"Name\" \"x\"\r\n", 7, equals},
        {kValidStart + "\"N=\"x\r\n", 7, equals},
        {kValidStart + "\"N\"=dword:123456789\r\n", 7, dword},
        {kValidStart + "\"N\"=dword:12g4\r\n", 7, dword},
        {kValidStart + "\"N\"=\"open \\\"\r\n", 7, "unterminated string"},
        {"REGEDIT4\r\n\"N\"=\"x\"\r\n[HKLM\\A]\r\n", 2, "value line before any [key] line"},
        {kValidStart + "[-HKLM\\A]\r\n\"N\"=\"x\"\r\n", 8, "value line follows a key deletion; open a key first"},
        {kValidStart + "\"B\"=hex:00,01,\\\r\n  02,zz,03\r\n", 8, "invalid hex byte 'zz'"},
        {kValidStart + "\"B\"=hex(q):00\r\n", 7, "invalid hex type; expected hex(N):"},
        {kValidStart + "\"B\"=word:1\r\n", 7, "unrecognised value data; expected \"text\", dword:, hex: or -"},
        {kValidStart + "Count=1\r\n", 7, "unrecognised line; expected [key], \"name\"=value, @=value or a comment"},
        {kValidStart + "[HKLM\\Software\r\n", 7, "missing ']' after key name"},
        {kValidStart + "[-HKLM]\r\n", 7, "the hive itself cannot be deleted"},
        {kValidStart + "\"N\"=\"x\" y\r\n", 7, "unexpected text after the closing '\"'"},
        {kValidStart + "[HKLM" + deepPath(513) + "]\r\n", 7, "the key is nested 513 levels deep; at most 512 are allowed"},
        {kValidStart + "[HKLM\\A\\" + std::string(256, 'n') + "]\r\n", 7, "the key name at level 2 is 256 characters long; at most 255 are allowed"},
        // The registry refuses: a write fails (after a deletion and a new key), or the store
        // is read-only.
        {"REGEDIT4\r\n[-HKLM\\Software\\Other]\r\n[HKLM\\Software\\Brand\\New]\r\n\"A\"=\"1\"\r\n", 4, "cannot set the value (error 112)", err::DiskFull},
        {"REGEDIT4\r\n[HKLM\\A]\r\n", 0, "the registry cannot be written (error 5)", err::AccessDenied},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        MemoryRegistry reg;
        reg.setDword("Software\\Lintora", "Count", 30);
        reg.setString("Software\\Other", "x", "kept");
        const std::string before = exportOf(reg);
        if (c.rc == err::DiskFull) reg.failNext(MemoryRegistry::Op::SetValue, c.rc);
        reg.setReadOnly(c.rc == err::AccessDenied);
        RegFileError error;
        EXPECT_EQ(importRegistry(reg, c.file, error), c.rc);
        EXPECT_EQ(error.message,
                  c.line ? "line " + std::to_string(c.line) + ": " + c.message : c.message);
        EXPECT_EQ(error.line, c.line);
        EXPECT_EQ(exportOf(reg), before);
        EXPECT_EQ(reg.openHandleCount(), 0u);
    }
}

} // namespace
