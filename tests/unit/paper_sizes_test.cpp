#include "media/paper_sizes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace lntc;

TEST(PaperSizes, NamesGiveTheirIdsIgnoringCase) {
    EXPECT_EQ(PaperSizeNameToId("letter"), 5);
    EXPECT_EQ(PaperSizeNameToId("LETTER"), 5);
    EXPECT_EQ(PaperSizeNameToId("Letter"), 5);
    EXPECT_EQ(PaperSizeNameToId("executive"), 3);
    EXPECT_EQ(PaperSizeNameToId("B_l"), 14);
    EXPECT_EQ(PaperSizeNameToId("universal2_L"), 12);
    EXPECT_EQ(PaperSizeNameToId("FOLIO"), 0);
    EXPECT_EQ(PaperSizeNameToId("UNKNOWN"), 0);
    EXPECT_EQ(PaperSizeNameToId("LETTER "), 0);
    EXPECT_EQ(PaperSizeNameToId(""), 0);
    EXPECT_EQ(PaperSizeNameToId(static_cast<const char*>(nullptr)), 0);
}

TEST(PaperSizes, IdsGiveTheirNamesAndUnknownOutsideTheTable) {
    EXPECT_STREQ(PaperSizeName(46), "B4_L");
    EXPECT_STREQ(PaperSizeName(5), "LETTER");
    EXPECT_STREQ(PaperSizeName(3), "Executive");
    EXPECT_STREQ(PaperSizeName(0), "UNKNOWN");
    EXPECT_STREQ(PaperSizeName(47), "UNKNOWN");
    EXPECT_STREQ(PaperSizeName(500), "UNKNOWN");
    EXPECT_STREQ(PaperSizeName(0xFFFF), "UNKNOWN");
}

TEST(PaperSizes, EveryRowIsReachableByNameAndLandscapeRowsSwapTheirTwin) {
    for (uint16_t id = 1; id < kPaperSizeCount; ++id) {
        const PaperSizeInfo& row = kPaperSizes[id];
        EXPECT_EQ(PaperSizeNameToId(row.name), id) << row.name;
        std::string name = row.name;
        if (name.size() > 2 && name.compare(name.size() - 2, 2, "_L") == 0) {
            const PaperSizeInfo& twin = kPaperSizes[id - 1];
            EXPECT_EQ(name.substr(0, name.size() - 2), twin.name);
            EXPECT_EQ(row.width, twin.height) << row.name;
            EXPECT_EQ(row.height, twin.width) << row.name;
        } else {
            EXPECT_LT(row.width, row.height) << row.name;
        }
    }
    EXPECT_EQ(kPaperSizes[13].width, 11);
    EXPECT_EQ(kPaperSizes[13].height, 17);
    EXPECT_EQ(kPaperSizes[41].height, 46.8);
}

namespace {

MediaPaperSize parsed(std::string_view value) {
    MediaPaperSize entry;
    std::memset(&entry, 0x5A, sizeof entry); // stale bytes must not show through
    ParsePaperSizeValue(value, entry);
    return entry;
}

} // namespace

TEST(PaperSizeValue, NameAndOrientationWithAnySeparators) {
    for (std::string_view value : {"A4,1", "A4 1", "A4, 1", ",,A4\t\t1\n"}) {
        MediaPaperSize e = parsed(value);
        EXPECT_STREQ(e.szName, "A4") << value;
        EXPECT_EQ(e.usOrientation, 1) << value;
    }
    MediaPaperSize e = parsed("   LETTER\t0");
    EXPECT_STREQ(e.szName, "LETTER");
    EXPECT_EQ(e.usOrientation, 0);
    e = parsed("LEGAL 1 trailing words");
    EXPECT_STREQ(e.szName, "LEGAL");
    EXPECT_EQ(e.usOrientation, 1);
}

TEST(PaperSizeValue, MissingPartsAndOverlongNamesAreSafe) {
    MediaPaperSize e = parsed("LETTER");
    EXPECT_STREQ(e.szName, "LETTER");
    EXPECT_EQ(e.usOrientation, 0);
    e = parsed(" ,\t");
    EXPECT_STREQ(e.szName, "");
    EXPECT_EQ(e.usOrientation, 0);
    e = parsed("");
    EXPECT_STREQ(e.szName, "");
    EXPECT_EQ(e.usOrientation, 0);
    e = parsed("B x");
    EXPECT_EQ(e.usOrientation, 0);

    std::string longName(100, 'N');
    e = parsed(longName + ",1");
    EXPECT_EQ(std::string(e.szName), std::string(63, 'N'));
    EXPECT_EQ(e.usOrientation, 1);

    // The value ends at an embedded NUL, as the stored C string does.
    e = parsed(std::string_view("A3\0 1", 5));
    EXPECT_STREQ(e.szName, "A3");
    EXPECT_EQ(e.usOrientation, 0);
}

TEST(DecimalValue, ConvertsLikeAtoiWithoutOverflow) {
    EXPECT_EQ(decimalValue("99"), 99);
    EXPECT_EQ(decimalValue("  -5x"), -5);
    EXPECT_EQ(decimalValue("+7"), 7);
    EXPECT_EQ(decimalValue("abc"), 0);
    EXPECT_EQ(decimalValue(""), 0);
    EXPECT_EQ(decimalValue("99999999999999999999"), 2147483647);
    EXPECT_EQ(decimalValue("-99999999999999999999"), -2147483647 - 1);
}
