// Named sections across processes: the test binary runs itself as the second process.
#include "platform/win32/win32_sections.h"
#include "second_process.h"
#include <gtest/gtest.h>
#include <windows.h>

using namespace lntc;
using namespace std::chrono_literals;

namespace {

// The store's unit: its header record and sixteen queue records.
const std::vector<SectionPart> kParts = {{"lntc.test.a", 2852}, {"lntc.test.b", 16 * 1184}};
Win32Sections sections("C:\\lntc-sections-test");
HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, sections.objectName("ready").c_str());
HANDLE release = CreateEventW(nullptr, TRUE, FALSE, sections.objectName("release").c_str());

// Runs this program as "hold" (holds the filled unit) or "fill" (creates it and dies unfilled)
// and waits until it holds the unit.
HANDLE spawn(std::wstring role) {
    return test::startSelf(role, ready, release);
}

DWORD releaseAndWait(HANDLE process) {
    SetEvent(release);
    DWORD code = WaitForSingleObject(process, 20000);
    return GetExitCodeProcess(process, &code) ? code : 99;
}

unsigned char* view(Section& s, size_t part, bool writable) {
    uint32_t error = 0;
    return static_cast<unsigned char*>(s.mapPart(part, writable, error));
}

TEST(Win32Sections, AUnitIsSharedFilledAndHeldByAnotherProcess) {
    std::unique_ptr<Section> first, second, larger;
    bool created = false;
    ASSERT_TRUE(sections.openUnit(kParts, first, created) == 0 && created);
    view(*first, 1, true)[16 * 1184 - 1] = 0xA5;
    first->markFilled();
    ASSERT_TRUE(sections.openUnit(kParts, second, created) == 0 && !created);
    EXPECT_EQ(second->waitFilled(0ms), Section::FillState::Filled);
    EXPECT_EQ(second->partSize(1), 18944u);
    unsigned char* ro = view(*second, 1, false);
    MEMORY_BASIC_INFORMATION info{};
    ASSERT_NE(VirtualQuery(ro, &info, sizeof info), 0u);
    EXPECT_EQ(ro[16 * 1184 - 1], 0xA5);
    EXPECT_EQ(info.Protect, DWORD(PAGE_READONLY)) << "a read-only view refuses writes";
    EXPECT_EQ(sections.openUnit({kParts[0], {kParts[1].name, 16 * 1184 + 1}}, larger, created), 5u)
        << "a part larger than its creator made cannot be mapped";
    HANDLE holder = spawn(L"hold");
    first.reset(), second.reset();
    ASSERT_TRUE(holder && sections.openUnit(kParts, first, created) == 0 && !created)
        << "the unit lives while the other process holds it";
    EXPECT_EQ(view(*first, 1, false)[16 * 1184 - 1], 0xA5);
    EXPECT_TRUE(first->heldElsewhere());
    first.reset();
    EXPECT_EQ(releaseAndWait(holder), 0u);
    EXPECT_TRUE(sections.openUnit(kParts, first, created) == 0 && created)
        << "the last holder out removed it";
    EXPECT_FALSE(first->heldElsewhere());
}

TEST(Win32Sections, AFillerThatDiedLeavesTheFillToTheNext) {
    HANDLE filler = spawn(L"fill");
    std::unique_ptr<Section> s, again;
    bool created = true;
    ASSERT_TRUE(filler && sections.openUnit(kParts, s, created) == 0 && !created);
    EXPECT_EQ(s->waitFilled(50ms), Section::FillState::StillFilling);
    EXPECT_EQ(releaseAndWait(filler), 0u);
    EXPECT_EQ(s->waitFilled(5s), Section::FillState::MustFill);
    s->markFilled();
    EXPECT_TRUE(sections.openUnit(kParts, again, created) == 0 &&
                again->waitFilled(0ms) == Section::FillState::Filled);
}

} // namespace

int main(int argc, char** argv) {
    if (const bool fill = argc == 2 && std::string(argv[1]) == "fill";
        fill || (argc == 2 && std::string(argv[1]) == "hold")) {
        std::unique_ptr<Section> s;
        bool created = false;
        if (sections.openUnit(kParts, s, created) != 0 || created != fill) return 2;
        if (!fill &&
            (s->waitFilled(5s) != Section::FillState::Filled || view(*s, 1, false)[18943] != 0xA5))
            return 3;
        SetEvent(ready);
        WaitForSingleObject(release, 20000);
        ExitProcess(0); // no markFilled, no destructors: the fill lock is abandoned
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
