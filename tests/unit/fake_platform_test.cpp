// The fakes stand in for the real backends in product tests, so they must agree with them
// on the points product code relies on.
#include "platform/errors.h"
#include "support/fake_platform.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using lntc::Section;
using lntc::test::FakePlatform;

TEST(FakeSections, LiveWhileHeldAndFollowTheScript) {
    FakePlatform fp;
    auto& sections = fp.sections;
    std::unique_ptr<Section> a, b;
    bool created = false;
    ASSERT_EQ(sections.open("cfg", 64, a, created), 0u);
    EXPECT_TRUE(created);
    ASSERT_EQ(sections.open("cfg", 64, b, created), 0u);
    EXPECT_FALSE(created);
    uint32_t e = 1;
    auto* p = static_cast<char*>(a->mapView(true, e));
    ASSERT_NE(p, nullptr);
    p[3] = 'x';
    EXPECT_EQ((*sections.memory("cfg"))[3], 'x');
    a->unmapView(p);
    EXPECT_EQ(sections.openViews, 0);
    a.reset();
    b.reset();
    EXPECT_EQ(sections.memory("cfg"), nullptr);
    ASSERT_EQ(sections.open("cfg", 64, a, created), 0u);
    EXPECT_TRUE(created);

    sections.fillScript = {Section::FillState::StillFilling, Section::FillState::MustFill};
    EXPECT_EQ(a->waitFilled(1ms), Section::FillState::StillFilling);
    EXPECT_EQ(a->waitFilled(1ms), Section::FillState::MustFill);
    EXPECT_EQ(a->waitFilled(1ms), Section::FillState::Filled);
    a->markFilled();
    EXPECT_EQ(sections.markFilledCalls, 1);

    sections.mapError = lntc::err::NotEnoughMemory;
    EXPECT_EQ(a->mapView(false, e), nullptr);
    EXPECT_EQ(e, lntc::err::NotEnoughMemory);
    sections.openError = lntc::err::AccessDenied;
    std::unique_ptr<lntc::Sections::Event> ev;
    EXPECT_EQ(sections.openEvent("ev", ev, created), lntc::err::AccessDenied);
    EXPECT_FALSE(ev);
}

TEST(FakeFileSystem, AnswersLikeTheRealOne) {
    FakePlatform fp;
    auto& files = fp.files;
    files.addFile("C:\\qdsw\\LDPX.CFG", "data");
    files.addFile("C:\\qdsw\\ro.cfg", "keep", true);
    std::string s;
    ASSERT_EQ(files.readFile("c:\\QDSW\\ldpx.cfg", s), 0u);
    EXPECT_EQ(s, "data");
    uint32_t error = 0;
    EXPECT_EQ(files.attributes("C:\\qdsw", error), lntc::fileattr::Directory);
    EXPECT_EQ(files.attributes("C:\\qdsw\\ro.cfg", error), lntc::fileattr::ReadOnly);
    EXPECT_EQ(files.attributes("C:\\qdsw\\none", error), lntc::fileattr::Invalid);
    EXPECT_EQ(error, lntc::err::FileNotFound);
    EXPECT_EQ(files.attributes("C:\\none\\none", error), lntc::fileattr::Invalid);
    EXPECT_EQ(error, lntc::err::PathNotFound);
    EXPECT_EQ(files.writeFile("C:\\qdsw\\ro.cfg", "x"), lntc::err::AccessDenied);
    EXPECT_EQ(files.contents("C:\\qdsw\\ro.cfg"), "keep");
    EXPECT_EQ(files.createDirectory("C:\\qdsw"), lntc::err::AlreadyExists);

    files.currentDir = "C:\\qdsw";
    ASSERT_EQ(files.writeFile("new.cfg", "n"), 0u);
    EXPECT_EQ(files.contents("C:\\QDSW\\NEW.CFG"), "n");
    ASSERT_EQ(files.renameFile("new.cfg", "..\\moved.cfg"), 0u);
    EXPECT_FALSE(files.exists("C:\\qdsw\\new.cfg"));
    EXPECT_EQ(files.contents("C:\\moved.cfg"), "n");
    EXPECT_EQ(files.hostPath("C:\\moved.cfg"), "/fake/c/MOVED.CFG");
    EXPECT_EQ(files.productPath("/fake/c/a/b"), "C:\\a\\b");
}

TEST(FakeProcesses, TerminateRecordsAndRemoves) {
    FakePlatform fp;
    fp.processes.running = {{20, "LNTSRV"}, {7, "init"}};
    std::vector<lntc::ProcessEntry> list;
    ASSERT_EQ(fp.processes.list(list), 0u);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].pid, 7u);
    EXPECT_TRUE(fp.processes.terminate(20));
    EXPECT_FALSE(fp.processes.terminate(20));
    EXPECT_EQ(fp.processes.terminated, (std::vector<uint32_t>{20, 20}));
    ASSERT_EQ(fp.processes.list(list), 0u);
    EXPECT_EQ(list.size(), 1u);
    fp.env.set("PATH", "/bin");
    EXPECT_EQ(fp.platform().env->get("PATH"), "/bin");
    EXPECT_EQ(fp.platform().env->get("NONE"), std::nullopt);
}
