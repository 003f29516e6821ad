// Shared sections between real processes. Steps are ordered with pipes; the
// only time limits are upper bounds that a correct implementation never reaches. (That a
// read-only view faults on a write, the shared configuration's tests show.)
#include "platform/posix/posix_sections.h"
#include "support/child_process.h"
#include "support/temp_root.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;
using lntc::PosixSections;
using lntc::Section;
using lntc::test::ForkedChild;
using FillState = lntc::Section::FillState;

namespace {

constexpr size_t kSize = 8192;

class PosixSectionsTest : public ::testing::Test {
  protected:
    std::unique_ptr<Section> open(const std::string& name, bool expectCreated) {
        std::unique_ptr<Section> s;
        bool created = !expectCreated;
        EXPECT_EQ(sections_.open(name, kSize, s, created), 0u);
        EXPECT_EQ(created, expectCreated) << name;
        return s;
    }
    // A child that creates "config", maps it writable, runs step and holds the section until
    // told or killed.
    ForkedChild holder(std::function<void(ForkedChild&, char*, Section&)> step) {
        return ForkedChild([this, step](ForkedChild& c) {
            std::unique_ptr<Section> s;
            bool created = false;
            uint32_t e = 0;
            char* p = sections_.open("config", kSize, s, created) == 0 && created
                          ? static_cast<char*>(s->mapView(true, e))
                          : nullptr;
            if (!p) return 10;
            step(c, p, *s);
            c.await();
            return 0;
        });
    }
    bool exists(const std::string& name) {
        std::string object = sections_.shmName(name);
        return !object.empty() && access(("/dev/shm" + object).c_str(), F_OK) == 0;
    }

    lntc::test::TempRoot root_;
    PosixSections sections_{root_.path()};
};

// (Processes sharing the configuration, waiting for its fill and ending it with the last of
// them, the shared configuration's tests show.) A filler that dies is taken over; a section
// whose holders were killed is created afresh; handles in one process are separate holders.
TEST_F(PosixSectionsTest, AFillerThatDiesIsTakenOverAndKilledHoldersLeaveNothingBehind) {
    ForkedChild dying = holder([](ForkedChild& c, char*, Section&) { c.tell('c'); });
    ASSERT_EQ(dying.await(), 'c');
    auto s = open("config", false);
    EXPECT_EQ(s->waitFilled(0ms), FillState::StillFilling);
    dying.kill();
    ASSERT_TRUE(WIFSIGNALED(dying.join()));
    EXPECT_EQ(s->waitFilled(5s), FillState::MustFill);
    // Now this handle is the filler: another one waits for it.
    auto other = open("config", false);
    EXPECT_EQ(other->waitFilled(20ms), FillState::StillFilling);
    EXPECT_EQ(s->waitFilled(0ms), FillState::MustFill);
    s->markFilled();
    EXPECT_EQ(other->waitFilled(5s), FillState::Filled);
    EXPECT_EQ(s->waitFilled(0ms), FillState::Filled);
    s.reset();
    EXPECT_TRUE(exists("config")) << "closing one handle dropped the other's hold";
    other.reset();
    EXPECT_FALSE(exists("config"));

    ForkedChild killed = holder([](ForkedChild& c, char* p, Section& s) {
        p[0] = 'S';
        s.markFilled();
        c.tell('r');
    });
    ASSERT_EQ(killed.await(), 'r');
    killed.kill();
    ASSERT_TRUE(WIFSIGNALED(killed.join()));
    EXPECT_TRUE(exists("config")) << "the object outlives its killed holder";
    auto fresh = open("config", true);
    uint32_t e = 1;
    auto* view = static_cast<char*>(fresh->mapView(false, e));
    ASSERT_TRUE(view && e == 0);
    EXPECT_EQ(view[0], 0) << "stale contents survived";
    fresh->unmapView(view);
}

TEST_F(PosixSectionsTest, ObjectsAreNeverWorldWritableAndRootsAreIsolated) {
    auto mode = [](const std::string& path) {
        struct stat st {};
        return stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
    };
    for (mode_t mask : {mode_t(0), mode_t(077)}) {
        std::string name = "perm" + std::to_string(mask);
        mode_t old = umask(mask);
        auto s = open(name, true);
        umask(old);
        EXPECT_EQ(mode("/dev/shm" + sections_.shmName(name)), 0660u) << "umask " << mask;
        EXPECT_EQ(mode(sections_.lockPath(name)), 0660u) << "umask " << mask;
    }
    // (The run folder's mode, the demo setup's test shows; where the lock files lie, the test
    // of links planted in the machine root.)
    lntc::test::TempRoot otherRoot;
    PosixSections other(otherRoot.path());
    std::unique_ptr<Section> mine = open("config", true), theirs;
    bool created = false;
    EXPECT_TRUE(other.open("config", kSize, theirs, created) == 0 && created);
}

} // namespace
