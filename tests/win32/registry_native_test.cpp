// What only the Windows registry shows: text kept as UTF-16 for the system's own tools, and a
// rolled-back batch putting back what it overwrote and deleted.
#include "platform/errors.h"
#include "win32/registry_sandbox.h"

#include <gtest/gtest.h>

using namespace lntc;

namespace {

struct Win32RegistryNative : ::testing::Test {
    test::Win32Backend backend;
    std::unique_ptr<Registry> reg = backend.make();
    std::wstring native(const std::string& path) {
        return std::wstring(backend.base.begin(), backend.base.end()) + L"\\" +
               std::wstring(path.begin(), path.end());
    }
    RegKey create(std::string_view path) {
        RegKey k = kNoKey;
        EXPECT_EQ(reg->createKey(kLocalMachine, path, RegAccess::Write, k), err::Success);
        return k;
    }
    std::string text(RegKey k, std::string_view name) {
        char buf[64] = {};
        uint32_t size = sizeof buf, type = 0;
        EXPECT_EQ(reg->queryValue(k, name, &type, buf, &size), err::Success) << name;
        return std::string(buf, size) + (type == regtype::Sz ? "" : "(type)");
    }
};

TEST_F(Win32RegistryNative, TextIsUtf16InTheRegistryAndSingleByteHere) {
    RegKey k = create("Caf\xE9");
    ASSERT_EQ(reg->setValue(k, "Na\xEFve", regtype::Sz, "\xE9 \x80", 4), err::Success);
    wchar_t stored[8] = {};
    DWORD size = sizeof stored, type = 0;
    const std::wstring key = native("Caf") + L"\xE9";
    ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Na\xEFve", RRF_RT_ANY, &type, stored,
                           &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(stored, size / 2), std::wstring(L"\xE9 \x20AC\0", 4));
    // Written by another program: what code page 1252 lacks reads as "?".
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Other", REG_SZ, L"\x3A9\x20AC", 6),
              ERROR_SUCCESS);
    EXPECT_EQ(text(k, "other"), std::string("?\x80\0", 3));
}

TEST_F(Win32RegistryNative, RollbackPutsBackOverwrittenValuesAndDeletedTrees) {
    RegKey top = create("Top");
    ASSERT_EQ(reg->setValue(top, "v", regtype::Sz, "old", 4), err::Success);
    ASSERT_EQ(reg->setValue(create("Top\\A\\B"), "b", regtype::Dword, "\x07\0\0\0", 4),
              err::Success);
    ASSERT_EQ(reg->beginBatch(), err::Success);
    ASSERT_EQ(reg->setValue(top, "v", regtype::Binary, "new", 3), err::Success);
    ASSERT_EQ(reg->deleteTree(kLocalMachine, "Top\\A"), err::Success);
    reg->rollbackBatch();
    EXPECT_EQ(text(top, "v"), std::string("old\0", 4));
    RegKey b = kNoKey;
    ASSERT_EQ(reg->openKey(kLocalMachine, "top\\a\\b", RegAccess::Read, b), err::Success);
    EXPECT_EQ(text(b, "b"), std::string("\x07\0\0\0(type)", 10));
}

} // namespace
