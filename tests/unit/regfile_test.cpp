#include "store/regfile.h"

#include "platform/errors.h"
#include "support/memory_registry.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace lntc;
using lntc::test::MemoryRegistry;

namespace {

std::vector<uint8_t> bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

std::string utf16File(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

void seedAllTypes(MemoryRegistry& reg) {
    reg.setString("Software\\Lintora", "", "default text");
    reg.setString("Software\\Lintora", "Tricky", "say \"hi\" c:\\dir\\ caf\xE9 \x80 5");
    reg.setDword("Software\\Lintora", "Count", 30);
    reg.setRaw("Software\\Lintora", "Blob", regtype::Binary, {0xde, 0xad, 0x00, 0x01});
    reg.setRaw("Software\\Lintora", "Path", regtype::ExpandSz, bytes(std::string("%R%\xE9\0", 5)));
    reg.setRaw("Software\\Lintora", "List", regtype::MultiSz, bytes(std::string("a\0b\0\0", 5)));
    reg.setRaw("Software\\Lintora", "Big", regtype::Qword, {1, 2, 3, 4, 5, 6, 7, 8});
    reg.setRaw("Software\\Lintora", "Odd", 0x2a, {9});
    reg.setRaw("Software\\Lintora", "None", regtype::None, {});
    reg.setRaw("Software\\Lintora", "ShortDword", regtype::Dword, {1, 2});
    reg.setRaw("Software\\Lintora", "NoNul", regtype::Sz, bytes("abc"));
    reg.setRaw("Software\\Lintora", "TwoLines", regtype::Sz, bytes(std::string("a\r\nb\0", 5)));
    std::vector<uint8_t> longBlob(100);
    for (size_t i = 0; i < longBlob.size(); ++i)
        longBlob[i] = static_cast<uint8_t>(i);
    reg.setRaw("Software\\Lintora\\Queues\\Q1", "Data", regtype::Binary, longBlob);
    reg.setString("Software\\Lintora\\Queues\\q0", "Name", "first");
    reg.setString("Software\\Other", "x", "not exported");
}

// Type and bytes of a value; type kMissing when there is none.
constexpr uint32_t kMissing = 0xFFFFFFFF;
using Value = std::pair<uint32_t, std::vector<uint8_t>>;
Value valueOf(const MemoryRegistry& reg, std::string_view path, std::string_view name) {
    Value v{kMissing, {}};
    if (!reg.getRaw(path, name, v.first, v.second)) v = {kMissing, {}};
    return v;
}

std::string exportOf(Registry& reg, const std::string& path = "HKEY_LOCAL_MACHINE",
                     RegFileFormat fmt = RegFileFormat::Regedit4) {
    std::string out;
    EXPECT_EQ(exportRegistry(reg, path, fmt, out), err::Success);
    return out;
}

TEST(RegFileExport, WritesTheEditorsFormat) {
    MemoryRegistry reg;
    reg.setString("Software\\Lintora", "", "d");
    reg.setString("Software\\Lintora", "Tricky", "a\"b\\c");
    reg.setDword("Software\\Lintora", "Count", 30);
    reg.setRaw("Software\\Lintora", "Path", regtype::ExpandSz, bytes(std::string("%R%\0", 4)));
    reg.setRaw("Software\\Lintora", "Big", regtype::Qword, {1, 2, 3, 4, 5, 6, 7, 8});
    reg.setRaw("Software\\Lintora", "Odd", 0x2a, {9});
    std::vector<uint8_t> blob(50);
    for (size_t i = 0; i < blob.size(); ++i)
        blob[i] = static_cast<uint8_t>(i);
    reg.setRaw("Software\\Lintora\\Sub", "Bin", regtype::Binary, blob); // wraps as the editors do

    const std::string expected =
        "REGEDIT4\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Lintora]\r\n"
        "@=\"d\"\r\n"
        "\"Big\"=hex(b):01,02,03,04,05,06,07,08\r\n"
        "\"Count\"=dword:0000001e\r\n"
        "\"Odd\"=hex(2a):09\r\n"
        "\"Path\"=hex(2):25,52,25,00\r\n"
        "\"Tricky\"=\"a\\\"b\\\\c\"\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Lintora\\Sub]\r\n"
        "\"Bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
        "  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f,\\\r\n"
        "  30,31\r\n"
        "\r\n";
    // The argument's spelling and hive alias do not matter; the stored spelling is written.
    EXPECT_EQ(exportOf(reg, "HKLM\\SOFTWARE\\lintora"), expected);
}

TEST(RegFileExport, V5IsUtf16WithBomAndUtf16TextData) {
    MemoryRegistry reg;
    reg.setString("K", "Name", "caf\xE9 \x80");
    reg.setRaw("K", "Path", regtype::ExpandSz, bytes(std::string("%\xE9\0", 3)));
    // The euro sign is U+20AC in the file, not the byte 0x80.
    EXPECT_EQ(
        exportOf(reg, "HKEY_LOCAL_MACHINE\\K", RegFileFormat::V5),
        utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n"
                  u"\"Name\"=\"caf\u00e9 \u20ac\"\r\n\"Path\"=hex(2):25,00,e9,00,00,00\r\n\r\n"));
}

TEST(RegFileExport, MissingKeyOrForeignHiveAnswersNotFound) {
    MemoryRegistry reg;
    reg.setString("K", "a", "b");
    std::string out = "stale";
    EXPECT_EQ(exportRegistry(reg, "HKLM\\Missing", RegFileFormat::Regedit4, out),
              err::FileNotFound);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(exportRegistry(reg, "HKEY_CURRENT_USER\\K", RegFileFormat::Regedit4, out),
              err::FileNotFound);
    EXPECT_EQ(reg.openHandleCount(), 0u) << "export closes every key it opened";
}

class RegFileRoundTrip : public ::testing::TestWithParam<RegFileFormat> {};

TEST_P(RegFileRoundTrip, ImportOfAnExportRecreatesEveryValue) {
    MemoryRegistry source;
    seedAllTypes(source);
    std::string file;
    ASSERT_EQ(exportRegistry(source, "HKLM\\Software\\Lintora", GetParam(), file), err::Success);

    MemoryRegistry target;
    RegFileError error;
    ASSERT_EQ(importRegistry(target, file, error), err::Success) << error.message;
    EXPECT_EQ(error.line, 0u);
    EXPECT_FALSE(target.hasKey("Software\\Other"));

    // The export writes every type's bytes exactly, so an equal export is an equal store.
    EXPECT_EQ(exportOf(target, "HKLM\\Software\\Lintora", GetParam()), file);
}

INSTANTIATE_TEST_SUITE_P(BothFormats, RegFileRoundTrip,
                         ::testing::Values(RegFileFormat::Regedit4, RegFileFormat::V5));

TEST(RegFileImport, ReadsHandWrittenFiles) {
    MemoryRegistry reg;
    reg.setString("Software\\Gone\\Deep", "x", "y");
    reg.setString("Software\\Keep", "Old", "z");
    reg.setString("Software\\Keep", "", "default");
    const std::string file = "REGEDIT4\n"
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
                             "\"Bin\"=hex:\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\New\\Sub]\r\n"
                             "@=\"top\"\r\n";
    RegFileError error;
    ASSERT_EQ(importRegistry(reg, file, error), err::Success) << error.message;
    EXPECT_EQ(exportOf(reg, "HKLM\\Software"), "REGEDIT4\r\n\r\n"
                                               "[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n"
                                               "[HKEY_LOCAL_MACHINE\\Software\\Keep]\r\n"
                                               "\"Bin\"=hex:\r\n"
                                               "\"Max\"=dword:ffffffff\r\n"
                                               "\"Multi\"=hex(7):61,00,62,00,00\r\n"
                                               "\"Num\"=dword:0000001e\r\n"
                                               "\"Text\"=\"q\\\"uote\\\\\"\r\n\r\n"
                                               "[HKEY_LOCAL_MACHINE\\Software\\New]\r\n\r\n"
                                               "[HKEY_LOCAL_MACHINE\\Software\\New\\Sub]\r\n"
                                               "@=\"top\"\r\n\r\n");
    EXPECT_EQ(reg.openHandleCount(), 0u);
}

TEST(RegFileImport, ConvertsUnicodeTextToTheSingleByteCodePage) {
    MemoryRegistry reg;
    // é and € have single-byte forms, Ω does not.
    const std::string v5 = utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n"
                                     u"[HKEY_LOCAL_MACHINE\\K]\r\n"
                                     u"\"Name\"=\"caf\u00e9 \u20ac \u03a9\"\r\n"
                                     u"\"Exp\"=hex(2):ac,20,a9,03,00,00\r\n");
    RegFileError error;
    ASSERT_EQ(importRegistry(reg, v5, error), err::Success) << error.message;
    EXPECT_EQ(valueOf(reg, "K", "Name"),
              Value(regtype::Sz, bytes(std::string("caf\xE9 \x80 ?\0", 9))));
    EXPECT_EQ(valueOf(reg, "K", "Exp"), Value(regtype::ExpandSz, bytes(std::string("\x80?\0", 3))));

    // REGEDIT4 written as UTF-8, and a V5 header in UTF-8: text converted, hex(2) as UTF-16.
    const std::string utf8 = "REGEDIT4\r\n[HKLM\\K]\r\n\"U\"=\"caf\xC3\xA9\"\r\n";
    ASSERT_EQ(importRegistry(reg, utf8, error), err::Success) << error.message;
    EXPECT_EQ(valueOf(reg, "K", "U").second, bytes(std::string("caf\xE9\0", 5)));
    const std::string v5utf8 = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
                               "[HKLM\\K]\n\"W\"=\"\xE2\x82\xAC\"\n\"E\"=hex(2):41,00,00,00\n";
    ASSERT_EQ(importRegistry(reg, v5utf8, error), err::Success) << error.message;
    EXPECT_EQ(valueOf(reg, "K", "W").second, bytes(std::string("\x80\0", 2)));
    EXPECT_EQ(valueOf(reg, "K", "E").second, bytes(std::string("A\0", 2)));
}

// "\\k\\k..." with that many levels.
std::string deepPath(size_t levels) {
    std::string path;
    for (size_t i = 0; i < levels; ++i)
        path += "\\k";
    return path;
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
    const std::string header =
        "not a registry file; expected \"REGEDIT4\" or \"Windows Registry Editor Version 5.00\"";
    const char* const dword = "invalid dword value; expected 1 to 8 hex digits";
    const Case cases[] = {
        {"REGEDIT5\r\n[HKLM\\A]\r\n", 1, header},
        {"", 1, header},
        {kValidStart + "[HKEY_CURRENT_USER\\Software]\r\n", 7,
         "unsupported hive 'HKEY_CURRENT_USER'; only HKEY_LOCAL_MACHINE can be imported"},
        {kValidStart + "\"Name\" \"x\"\r\n", 7, "expected '=' after value name"},
        {kValidStart + "\"N\"=dword:123456789\r\n", 7, dword},
        {kValidStart + "\"N\"=dword:12g4\r\n", 7, dword},
        {kValidStart + "\"N\"=dword:\r\n", 7, dword},
        {kValidStart + "\"N\"=\"open \\\"\r\n", 7, "unterminated string"},
        {kValidStart + "\"N=\"x\r\n", 7, "expected '=' after value name"},
        {"REGEDIT4\r\n\"N\"=\"x\"\r\n[HKLM\\A]\r\n", 2, "value line before any [key] line"},
        {kValidStart + "[-HKLM\\A]\r\n\"N\"=\"x\"\r\n", 8,
         "value line follows a key deletion; open a key first"},
        {kValidStart + "\"B\"=hex:00,01,\\\r\n  02,zz,03\r\n", 8, "invalid hex byte 'zz'"},
        {kValidStart + "\"B\"=hex(q):00\r\n", 7, "invalid hex type; expected hex(N):"},
        {kValidStart + "\"B\"=word:1\r\n", 7,
         "unrecognised value data; expected \"text\", dword:, hex: or -"},
        {kValidStart + "Count=1\r\n", 7,
         "unrecognised line; expected [key], \"name\"=value, @=value or a comment"},
        {kValidStart + "[HKLM\\Software\r\n", 7, "missing ']' after key name"},
        {kValidStart + "[-HKLM]\r\n", 7, "the hive itself cannot be deleted"},
        {kValidStart + "\"N\"=\"x\" y\r\n", 7, "unexpected text after the closing '\"'"},
        {kValidStart + "[HKLM" + deepPath(513) + "]\r\n", 7,
         "the key is nested 513 levels deep; at most 512 are allowed"},
        {kValidStart + "[HKLM\\A\\" + std::string(256, 'n') + "]\r\n", 7,
         "the key name at level 2 is 256 characters long; at most 255 are allowed"},
        // The registry refuses: a write fails (after a deletion and a new key), or the store
        // is read-only.
        {"REGEDIT4\r\n[-HKLM\\Software\\Other]\r\n[HKLM\\Software\\Brand\\New]\r\n\"A\"=\"1\"\r\n",
         4, "cannot set the value (error 112)", err::DiskFull},
        {"REGEDIT4\r\n[HKLM\\A]\r\n", 0, "the registry cannot be written (error 5)",
         err::AccessDenied},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        MemoryRegistry reg;
        seedAllTypes(reg);
        const std::string before = exportOf(reg);
        if (c.rc == err::DiskFull) reg.failNext(MemoryRegistry::Op::SetValue, c.rc);
        reg.setReadOnly(c.rc == err::AccessDenied);
        RegFileError error;
        EXPECT_EQ(importRegistry(reg, c.file, error), c.rc);
        EXPECT_EQ(error.line, c.line);
        EXPECT_EQ(error.message,
                  c.line ? "line " + std::to_string(c.line) + ": " + c.message : c.message);
        EXPECT_EQ(exportOf(reg), before);
        EXPECT_EQ(reg.openHandleCount(), 0u);
    }
}

TEST(RegFileLimits, KeysUpToTheEditorsLimitsRoundTrip) {
    MemoryRegistry reg;
    const std::string longName(255, 'n');
    const std::string deepest = "[HKEY_LOCAL_MACHINE" + deepPath(511) + "\\" + longName + "]";
    RegFileError error;
    ASSERT_EQ(importRegistry(reg, "REGEDIT4\r\n" + deepest + "\r\n", error), err::Success)
        << error.message;
    const std::string out = exportOf(reg, "HKLM\\k");
    EXPECT_EQ(std::count(out.begin(), out.end(), '['), 512);
    EXPECT_TRUE(out.ends_with("\r\n" + deepest + "\r\n\r\n")); // not printed: 33 MB at worst
    EXPECT_EQ(reg.openHandleCount(), 0u);
}

} // namespace
