// The fake's own controls: seeding, injected failures, the read-only switch.
#include "support/memory_registry.h"

#include "platform/errors.h"

#include <gtest/gtest.h>

using namespace lntc;
using lntc::test::MemoryRegistry;

TEST(MemoryRegistry, SeedHelpersWriteWhatTheStoreReads) {
    MemoryRegistry reg;
    reg.setString("Software\\Lintora", "Dir", "c:\\x");
    reg.setDword("software\\LINTORA", "Count", 0x01020304);
    reg.setRaw("Software\\Lintora\\Sub", "Raw", 42, {7, 8});

    RegKey k = kNoKey;
    ASSERT_EQ(reg.openKey(kLocalMachine, "SOFTWARE\\lintora", RegAccess::Read, k), err::Success);
    KeyGuard g(reg, k);
    char text[16];
    uint32_t size = sizeof text, type = 0;
    ASSERT_EQ(reg.queryValue(k, "dir", &type, text, &size), err::Success);
    EXPECT_EQ(type, regtype::Sz);
    EXPECT_EQ(size, 5u);
    EXPECT_STREQ(text, "c:\\x");
    uint32_t dw = 0;
    size = 4;
    ASSERT_EQ(reg.queryValue(k, "Count", &type, &dw, &size), err::Success);
    EXPECT_EQ(type, regtype::Dword);
    EXPECT_EQ(dw, 0x01020304u);
    std::vector<uint8_t> raw;
    ASSERT_TRUE(reg.getRaw("software\\lintora\\sub", "RAW", type, raw));
    EXPECT_EQ(type, 42u);
    EXPECT_EQ(raw, (std::vector<uint8_t>{7, 8}));
    std::string name;
    ASSERT_EQ(reg.enumKey(kLocalMachine, 0, name), err::Success);
    EXPECT_EQ(name, "Software");
}

TEST(MemoryRegistry, InjectedFailureHitsOnlyTheNextCallOfThatKind) {
    MemoryRegistry reg;
    reg.setString("A", "v", "x");
    reg.failNext(MemoryRegistry::Op::SetValue, err::DiskFull);
    reg.failNext(MemoryRegistry::Op::OpenKey, err::AccessDenied);

    RegKey k = kNoKey;
    EXPECT_EQ(reg.openKey(kLocalMachine, "A", RegAccess::Write, k), err::AccessDenied);
    EXPECT_EQ(k, kNoKey);
    ASSERT_EQ(reg.openKey(kLocalMachine, "A", RegAccess::Write, k), err::Success);
    KeyGuard g(reg, k);
    EXPECT_EQ(reg.setValue(k, "v", regtype::Sz, "y", 2), err::DiskFull);
    uint32_t type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(reg.getRaw("A", "v", type, data));
    EXPECT_EQ(data, (std::vector<uint8_t>{'x', 0})) << "a failed call changes nothing";
    EXPECT_EQ(reg.setValue(k, "v", regtype::Sz, "y", 2), err::Success);
    ASSERT_TRUE(reg.getRaw("A", "v", type, data));
    EXPECT_EQ(data, (std::vector<uint8_t>{'y', 0}));
}

TEST(MemoryRegistry, FailedCommitLandsNothing) {
    MemoryRegistry reg;
    ASSERT_EQ(reg.beginBatch(), err::Success);
    RegKey k = kNoKey;
    ASSERT_EQ(reg.createKey(kLocalMachine, "New", RegAccess::Write, k), err::Success);
    reg.closeKey(k);
    reg.failNext(MemoryRegistry::Op::CommitBatch, err::RegistryIoFailed);
    EXPECT_EQ(reg.commitBatch(), err::RegistryIoFailed);
    EXPECT_FALSE(reg.hasKey("New"));
    EXPECT_EQ(reg.beginBatch(), err::Success) << "the failed batch is over";
    reg.rollbackBatch();
}

TEST(MemoryRegistry, ReadOnlySwitchAndHandleCount) {
    MemoryRegistry reg;
    RegKey k = kNoKey;
    ASSERT_EQ(reg.createKey(kLocalMachine, "A", RegAccess::Write, k), err::Success);
    EXPECT_EQ(reg.openHandleCount(), 1u);
    reg.setReadOnly(true);
    EXPECT_TRUE(reg.readOnly());
    EXPECT_EQ(reg.setValue(k, "v", regtype::Binary, "", 0), err::AccessDenied);
    reg.setString("A", "seeded", "anyway"); // seeding ignores the switch
    EXPECT_TRUE(reg.hasKey("a"));
    reg.setReadOnly(false);
    EXPECT_EQ(reg.setValue(k, "v", regtype::Binary, "", 0), err::Success);
    reg.closeKey(k);
    EXPECT_EQ(reg.openHandleCount(), 0u);
}
