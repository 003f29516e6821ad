#include "media/paper_sizes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

using namespace lntc;

TEST(PaperSizes, NamesAndIdsMapBothWaysIgnoringCase) {
    const std::pair<const char*, uint16_t> names[] = {
        {"letter", 5},        {"LETTER", 5}, {"Letter", 5},  {"executive", 3}, {"B_l", 14},
        {"universal2_L", 12}, {"FOLIO", 0},  {"UNKNOWN", 0}, {"LETTER ", 0},   {"", 0}};
    for (const auto& [name, id] : names)
        EXPECT_EQ(PaperSizeNameToId(name), id) << name;
    EXPECT_EQ(PaperSizeNameToId(static_cast<const char*>(nullptr)), 0);
    const std::pair<uint16_t, const char*> ids[] = {{46, "B4_L"},     {5, "LETTER"},
                                                    {3, "Executive"}, {0, "UNKNOWN"},
                                                    {47, "UNKNOWN"},  {0xFFFF, "UNKNOWN"}};
    for (const auto& [id, name] : ids)
        EXPECT_STREQ(PaperSizeName(id), name) << id;
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

TEST(PaperSizeValue, NameAndOrientationWithAnySeparatorsAndSafeWhenMissingOrLong) {
    const std::tuple<std::string, std::string, uint16_t> cases[] = {
        {"A4,1", "A4", 1},
        {"A4 1", "A4", 1},
        {"A4, 1", "A4", 1},
        {",,A4\t\t1\n", "A4", 1},
        {"   LETTER\t0", "LETTER", 0},
        {"LEGAL 1 trailing words", "LEGAL", 1},
        {"LETTER", "LETTER", 0},
        {" ,\t", "", 0},
        {"", "", 0},
        {"B x", "B", 0},
        {std::string(100, 'N') + ",1", std::string(63, 'N'), 1},
        {std::string("A3\0 1", 5), "A3", 0}, // the value ends at a NUL, as a C string
    };
    for (const auto& [value, name, orientation] : cases) {
        MediaPaperSize e;
        std::memset(&e, 0x5A, sizeof e); // stale bytes must not show through
        ParsePaperSizeValue(value, e);
        EXPECT_EQ(e.szName, name) << value;
        EXPECT_EQ(e.usOrientation, orientation) << value;
    }
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
