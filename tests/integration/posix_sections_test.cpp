// Shared sections and events between real processes. Steps are ordered with pipes; the
// only time limits are upper bounds that a correct implementation never reaches.
#include "platform/errors.h"
#include "platform/posix/posix_sections.h"
#include "support/temp_root.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;
using lntc::PosixSections;
using lntc::Section;
using FillState = lntc::Section::FillState;

namespace {

constexpr size_t kSize = 8192;

// A forked process running body, with a pipe each way to sequence steps.
class Child {
  public:
    explicit Child(const std::function<int(Child&)>& body) {
        if (pipe2(down_, O_CLOEXEC) != 0 || pipe2(up_, O_CLOEXEC) != 0) std::abort();
        pid_ = fork();
        if (pid_ == 0) {
            inChild_ = true;
            ::close(down_[1]);
            ::close(up_[0]);
            int rc = 99;
            try {
                rc = body(*this);
            } catch (...) {
            }
            _exit(rc);
        }
        ::close(down_[0]);
        ::close(up_[1]);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        if (!reaped_ && pid_ > 0) {
            ::kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        ::close(down_[1]);
        ::close(up_[0]);
    }
    void tell(char c) {
        int fd = inChild_ ? up_[1] : down_[1];
        if (::write(fd, &c, 1) != 1) std::abort();
    }
    // The next character from the other side; 0 when it went away.
    char await() {
        int fd = inChild_ ? down_[0] : up_[0];
        char c = 0;
        ssize_t n;
        do {
            n = ::read(fd, &c, 1);
        } while (n < 0 && errno == EINTR);
        return n == 1 ? c : 0;
    }
    // Raw wait status after the child ended.
    int join() {
        int status = 0;
        waitpid(pid_, &status, 0);
        reaped_ = true;
        return status;
    }
    void kill() { ::kill(pid_, SIGKILL); }

  private:
    int down_[2] = {-1, -1};
    int up_[2] = {-1, -1};
    pid_t pid_ = -1;
    bool inChild_ = false;
    bool reaped_ = false;
};

bool exitedWith(int status, int code) {
    return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

bool shmExists(const PosixSections& s, const std::string& name) {
    std::string object = s.shmName(name);
    return !object.empty() && access(("/dev/shm" + object).c_str(), F_OK) == 0;
}

class PosixSectionsTest : public ::testing::Test {
  protected:
    std::unique_ptr<Section> open(const std::string& name, bool expectCreated) {
        std::unique_ptr<Section> s;
        bool created = !expectCreated;
        uint32_t e = sections_.open(name, kSize, s, created);
        EXPECT_EQ(e, 0u);
        EXPECT_EQ(created, expectCreated) << name;
        return s;
    }
    // Opens in a child; exit code 10 means the open did not behave as expected.
    static int childOpen(PosixSections& s, const std::string& name, bool expectCreated,
                         std::unique_ptr<Section>& out) {
        bool created = false;
        if (s.open(name, kSize, out, created) != 0 || created != expectCreated) return 10;
        return 0;
    }

    lntc::test::TempRoot root_;
    PosixSections sections_{root_.path()};
};

TEST_F(PosixSectionsTest, SecondProcessAttachesAndSeesTheCreatorsBytes) {
    Child creator([&](Child& c) {
        std::unique_ptr<Section> s;
        if (int rc = childOpen(sections_, "config", true, s)) return rc;
        uint32_t e = 0;
        auto* p = static_cast<char*>(s->mapView(true, e));
        if (!p) return 11;
        std::memcpy(p, "filled by creator", 18);
        p[kSize - 1] = 'Z';
        s->markFilled();
        c.tell('r');
        c.await(); // keep the section until told
        s->unmapView(p);
        return 0;
    });
    ASSERT_EQ(creator.await(), 'r');

    auto s = open("config", false);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->size(), kSize);
    EXPECT_EQ(s->waitFilled(5s), FillState::Filled);
    uint32_t e = 1;
    auto* view = static_cast<const char*>(s->mapView(false, e));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(e, 0u);
    EXPECT_STREQ(view, "filled by creator");
    EXPECT_EQ(view[kSize - 1], 'Z');

    creator.tell('x');
    EXPECT_TRUE(exitedWith(creator.join(), 0));
    // The creator is gone, this process still holds the section.
    EXPECT_TRUE(shmExists(sections_, "config"));
    EXPECT_STREQ(view, "filled by creator");
    s->unmapView(const_cast<char*>(view));
    s.reset();
    EXPECT_FALSE(shmExists(sections_, "config"));

    auto fresh = open("config", true);
    ASSERT_TRUE(fresh);
    auto* again = static_cast<const char*>(fresh->mapView(false, e));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again[0], '\0');
    EXPECT_EQ(again[kSize - 1], '\0');
    fresh->unmapView(const_cast<char*>(again));
}

TEST_F(PosixSectionsTest, HandlesInOneProcessAreSeparateHolders) {
    auto first = open("queue", true);
    auto second = open("queue", false);
    ASSERT_TRUE(first && second);
    // The creator still holds the fill lock; the other handle must wait like a process.
    EXPECT_EQ(second->waitFilled(20ms), FillState::StillFilling);
    first->markFilled();
    EXPECT_EQ(second->waitFilled(5s), FillState::Filled);

    first.reset();
    EXPECT_TRUE(shmExists(sections_, "queue")) << "closing one handle dropped the other's hold";
    auto third = open("queue", false);
    second.reset();
    third.reset();
    EXPECT_FALSE(shmExists(sections_, "queue"));
}

TEST_F(PosixSectionsTest, ReadOnlyViewFaultsOnWriteAndWritableViewDoesNot) {
    auto s = open("config", true);
    ASSERT_TRUE(s);
    s->markFilled();

    auto writeThrough = [&](bool writable) {
        return Child([&, writable](Child&) {
            std::unique_ptr<Section> mine;
            if (int rc = childOpen(sections_, "config", false, mine)) return rc;
            uint32_t e = 0;
            auto* p = static_cast<volatile char*>(mine->mapView(writable, e));
            if (!p) return 11;
            struct sigaction dfl {};
            dfl.sa_handler = SIG_DFL;
            sigaction(SIGSEGV, &dfl, nullptr);
            p[100] = 'w';
            return 0;
        });
    };
    {
        Child reader = writeThrough(false);
        int status = reader.join();
        ASSERT_TRUE(WIFSIGNALED(status)) << "write through a read-only view did not fault";
        EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    }
    {
        Child writer = writeThrough(true);
        EXPECT_TRUE(exitedWith(writer.join(), 0));
    }
    uint32_t e = 0;
    auto* view = static_cast<const char*>(s->mapView(false, e));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view[100], 'w');
    s->unmapView(const_cast<char*>(view));
}

TEST_F(PosixSectionsTest, SectionWhoseHoldersDiedIsCreatedAfresh) {
    Child holder([&](Child& c) {
        std::unique_ptr<Section> s;
        if (int rc = childOpen(sections_, "config", true, s)) return rc;
        uint32_t e = 0;
        auto* p = static_cast<char*>(s->mapView(true, e));
        if (!p) return 11;
        p[0] = 'S';
        s->markFilled();
        c.tell('r');
        c.await();
        return 0;
    });
    ASSERT_EQ(holder.await(), 'r');
    holder.kill();
    ASSERT_TRUE(WIFSIGNALED(holder.join()));
    EXPECT_TRUE(shmExists(sections_, "config")) << "the object outlives its killed holder";

    auto s = open("config", true);
    ASSERT_TRUE(s);
    uint32_t e = 0;
    auto* view = static_cast<const char*>(s->mapView(false, e));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view[0], '\0') << "stale contents survived";
    s->unmapView(const_cast<char*>(view));
}

TEST_F(PosixSectionsTest, FillerKilledBeforeFinishingHandsTheFillToAWaiter) {
    Child filler([&](Child& c) {
        std::unique_ptr<Section> s;
        if (int rc = childOpen(sections_, "config", true, s)) return rc;
        c.tell('c');
        c.await();
        return 0;
    });
    ASSERT_EQ(filler.await(), 'c');
    auto s = open("config", false);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->waitFilled(0ms), FillState::StillFilling);
    filler.kill();
    ASSERT_TRUE(WIFSIGNALED(filler.join()));

    EXPECT_EQ(s->waitFilled(5s), FillState::MustFill);
    // Now this handle is the filler: another one waits for it.
    auto other = open("config", false);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->waitFilled(20ms), FillState::StillFilling);
    EXPECT_EQ(s->waitFilled(0ms), FillState::MustFill);
    s->markFilled();
    EXPECT_EQ(other->waitFilled(5s), FillState::Filled);
    EXPECT_EQ(s->waitFilled(0ms), FillState::Filled);
}

TEST_F(PosixSectionsTest, WaiterGetsFilledOnceTheCreatorMarksIt) {
    Child filler([&](Child& c) {
        std::unique_ptr<Section> s;
        if (int rc = childOpen(sections_, "config", true, s)) return rc;
        uint32_t e = 0;
        auto* p = static_cast<char*>(s->mapView(true, e));
        if (!p) return 11;
        c.tell('c');
        if (c.await() != 'g') return 12;
        std::memcpy(p, "records", 8);
        s->markFilled();
        c.await();
        return 0;
    });
    ASSERT_EQ(filler.await(), 'c');
    auto s = open("config", false);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->waitFilled(30ms), FillState::StillFilling);
    filler.tell('g');
    // Blocks until the filler marks; the limit is only a safety net.
    ASSERT_EQ(s->waitFilled(30s), FillState::Filled);
    uint32_t e = 0;
    auto* view = static_cast<const char*>(s->mapView(false, e));
    ASSERT_NE(view, nullptr);
    EXPECT_STREQ(view, "records");
    s->unmapView(const_cast<char*>(view));
    filler.tell('x');
    EXPECT_TRUE(exitedWith(filler.join(), 0));
}

TEST_F(PosixSectionsTest, ObjectsAreNeverWorldWritableWhateverTheUmask) {
    for (mode_t mask : {mode_t(0), mode_t(077)}) {
        std::string name = "perm" + std::to_string(mask);
        mode_t old = umask(mask);
        std::unique_ptr<Section> s;
        bool created = false;
        uint32_t e = sections_.open(name, kSize, s, created);
        umask(old);
        ASSERT_EQ(e, 0u);
        struct stat st {};
        ASSERT_EQ(stat(("/dev/shm" + sections_.shmName(name)).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0660u) << "umask " << mask;
        ASSERT_EQ(stat(sections_.lockPath(name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0660u) << "umask " << mask;
    }
    struct stat st {};
    ASSERT_EQ(stat((root_.path() + "/run").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0750u);
    EXPECT_EQ(sections_.lockPath("perm0"), root_.path() + "/run/perm0.lock");
}

TEST_F(PosixSectionsTest, MachineRootsAreIsolated) {
    lntc::test::TempRoot otherRoot;
    PosixSections other(otherRoot.path());
    auto mine = open("config", true);
    std::unique_ptr<Section> theirs;
    bool created = false;
    ASSERT_EQ(other.open("config", kSize, theirs, created), 0u);
    EXPECT_TRUE(created);
    EXPECT_NE(other.shmName("config"), sections_.shmName("config"));
    EXPECT_EQ(sections_.shmName("config").rfind("/lnt.", 0), 0u);
    uint32_t e = 0;
    auto* a = static_cast<char*>(mine->mapView(true, e));
    auto* b = static_cast<char*>(theirs->mapView(true, e));
    ASSERT_TRUE(a && b);
    a[0] = 'A';
    b[0] = 'B';
    EXPECT_EQ(a[0], 'A');
    mine->unmapView(a);
    theirs->unmapView(b);
}

TEST_F(PosixSectionsTest, OpenRejectsEmptyNamesAndSizes) {
    std::unique_ptr<Section> s;
    bool created = true;
    EXPECT_EQ(sections_.open("", kSize, s, created), lntc::err::InvalidParameter);
    EXPECT_EQ(sections_.open("config", 0, s, created), lntc::err::InvalidParameter);
    EXPECT_FALSE(s);
    EXPECT_FALSE(created);
}

TEST_F(PosixSectionsTest, EventIsCreatedByTheFirstHolderOnly) {
    auto openEvent = [&](std::unique_ptr<PosixSections::Event>& ev) {
        bool created = false;
        EXPECT_EQ(sections_.openEvent("running", ev, created), 0u);
        return created;
    };
    std::unique_ptr<PosixSections::Event> first, second;
    EXPECT_TRUE(openEvent(first));
    EXPECT_FALSE(openEvent(second));
    Child other([&](Child&) {
        std::unique_ptr<PosixSections::Event> ev;
        bool created = true;
        if (sections_.openEvent("running", ev, created) != 0) return 10;
        return created ? 1 : 0;
    });
    EXPECT_TRUE(exitedWith(other.join(), 0));
    first.reset();
    std::unique_ptr<PosixSections::Event> third;
    EXPECT_FALSE(openEvent(third)) << "second handle still holds the event";
    second.reset();
    third.reset();
    std::unique_ptr<PosixSections::Event> again;
    EXPECT_TRUE(openEvent(again));
}

} // namespace
