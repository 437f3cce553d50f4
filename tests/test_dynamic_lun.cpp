// SPDX-License-Identifier: GPL-3.0-or-later
// Unit-number allocation: the ascending list of handed-out units, its search,
// release and close, and the overflow stop.
#include <algorithm>
#include <random>
#include <set>

#include "Dynamic_LUN.h"
#include "Unit_IO.h"
#include "test_support.h"

namespace {

std::vector<int> Listed() { return std::vector<int>(DYNLUN_List, DYNLUN_List + DYNLUN_Count); }

class Dynamic_LUN : public ::testing::Test {
protected:
    void SetUp() override { Reset_Design_Program(); }
    void TearDown() override { Reset_Design_Program(); }
    Console_Capture console;
};

TEST_F(Dynamic_LUN, AllocationsFromOneStartAreConsecutiveAndListed) {
    EXPECT_EQ(DYNLUN_Allocate(44), 44);
    EXPECT_EQ(DYNLUN_Allocate(44), 45);
    EXPECT_EQ(DYNLUN_Allocate(44), 46);
    EXPECT_EQ(Listed(), (std::vector<int>{44, 45, 46}));
    // A lower start is inserted in front.
    EXPECT_EQ(DYNLUN_Allocate(40), 40);
    EXPECT_EQ(Listed(), (std::vector<int>{40, 44, 45, 46}));
    EXPECT_TRUE(console.lines.empty());
}

TEST_F(Dynamic_LUN, AGapIsFilledInItsPlace) {
    DYNLUN_Allocate(44);
    DYNLUN_Allocate(44);
    DYNLUN_Allocate(44);
    DYNLUN_Release(45);
    EXPECT_EQ(Listed(), (std::vector<int>{44, 46}));
    EXPECT_EQ(DYNLUN_Allocate(44), 45);
    EXPECT_EQ(Listed(), (std::vector<int>{44, 45, 46}));
}

TEST_F(Dynamic_LUN, UnitsOpenOutsideTheListAreSkipped) {
    ASSERT_EQ(UNIT_Open(40, "outside.txt", UNIT_Mode::Write), UNIT_OK);
    EXPECT_EQ(DYNLUN_Allocate(40), 41);
    EXPECT_EQ(Listed(), std::vector<int>{41});
    // Console units count as open too.
    EXPECT_EQ(DYNLUN_Allocate(5), 7);
    EXPECT_EQ(Listed(), (std::vector<int>{7, 41}));
    UNIT_Close(40);
}

TEST_F(Dynamic_LUN, ReleaseOfAnUnlistedUnitChangesNothing) {
    DYNLUN_Allocate(44);
    DYNLUN_Allocate(44);
    DYNLUN_Allocate(44);
    DYNLUN_Release(45);
    EXPECT_TRUE(console.lines.empty());
    DYNLUN_Release(45);
    EXPECT_EQ(console.lines, std::vector<std::string>{"###Error in DYNLUN_Release, release_LUN not in list: 45"});
    EXPECT_EQ(Listed(), (std::vector<int>{44, 46}));
}

TEST_F(Dynamic_LUN, ReleaseOfAnOpenUnitWarnsAndStillTakesItOff) {
    int unit = DYNLUN_Allocate(44);
    ASSERT_EQ(UNIT_Open(unit, "kept_open.txt", UNIT_Mode::Write), UNIT_OK);
    DYNLUN_Release(unit);
    EXPECT_EQ(console.lines, std::vector<std::string>{"###Warning:  DYNLUN_Release of open LUN: 44"});
    EXPECT_TRUE(Listed().empty());
    EXPECT_TRUE(UNIT_Is_Open(unit));  // released, not closed
    UNIT_Close(unit);
}

TEST_F(Dynamic_LUN, CloseClosesTheFileAndReleasesTheUnit) {
    int unit = DYNLUN_Allocate(40);
    ASSERT_EQ(UNIT_Open(unit, "closed.txt", UNIT_Mode::Write), UNIT_OK);
    UNIT_Write(unit, "last line");
    DYNLUN_close(unit);
    EXPECT_TRUE(console.lines.empty());
    EXPECT_FALSE(UNIT_Is_Open(unit));
    EXPECT_TRUE(Listed().empty());
    EXPECT_EQ(Read_Lines("closed.txt"), std::vector<std::string>{"last line"});
}

TEST_F(Dynamic_LUN, CloseOfAUnitNotInUseStillReleasesIt) {
    int unit = DYNLUN_Allocate(40);
    DYNLUN_close(unit);
    EXPECT_EQ(console.lines, std::vector<std::string>{"###Error in DYNLUN_close(LUN), LUN 40 not in use"});
    EXPECT_TRUE(Listed().empty());
}

TEST_F(Dynamic_LUN, TheHundredAndFirstUnitStopsTheProgram) {
    for (int k = 0; k < DYNLUN_Capacity; ++k) ASSERT_EQ(DYNLUN_Allocate(40), 40 + k);
    EXPECT_EQ(DYNLUN_Count, 100);
    std::string text;
    EXPECT_TRUE(Stops([] { DYNLUN_Allocate(40); }, &text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(console.lines,
              (std::vector<std::string>{"###LUN Overflow in Dynamic LUN", "Maximum number of listed LUNs is 100",
                                        "Increase, re-compile, and try again.", ""}));
    // The list is intact: nothing was written past its end.
    EXPECT_EQ(DYNLUN_Count, 100);
    EXPECT_EQ(DYNLUN_List[99], 139);
    // After a release there is room again.
    DYNLUN_Release(70);
    EXPECT_EQ(DYNLUN_Allocate(40), 70);
}

// The search must give, for every unit, whether it is listed and the position
// where it stands or would be inserted, on lists long enough to use the
// halving steps as well as the final scan.
TEST_F(Dynamic_LUN, FindGivesPresenceAndInsertPositionForEveryUnit) {
    for (int count : {0, 1, 2, 7, 8, 9, 15, 64, 99, 100}) {
        DYNLUN_Count = count;
        for (int k = 0; k < count; ++k) DYNLUN_List[k] = 10 + 3 * k;  // 10, 13, 16, ...
        std::vector<int> list = Listed();
        for (int u = 0; u <= 10 + 3 * count + 2; ++u) {
            auto it = std::lower_bound(list.begin(), list.end(), u);
            int expected_found = (it != list.end() && *it == u) ? 1 : 0;
            int expected_position = static_cast<int>(it - list.begin()) + 1;
            ASSERT_EQ(DYNLUN_Find(u), expected_found) << "count " << count << " unit " << u;
            ASSERT_EQ(DYNLUN_Position, expected_position) << "count " << count << " unit " << u;
        }
    }
}

// Random allocations and releases keep the list ascending and equal to the
// set of units handed out and not taken back.
TEST_F(Dynamic_LUN, ListFollowsRandomAllocationsAndReleases) {
    std::mt19937 random(20261206);
    std::set<int> handed_out;
    for (int step = 0; step < 2000; ++step) {
        bool allocate = handed_out.empty() || (handed_out.size() < 90 && random() % 3 != 0);
        if (allocate) {
            int start = 40 + static_cast<int>(random() % 60);
            int unit = DYNLUN_Allocate(start);
            ASSERT_GE(unit, start);
            ASSERT_EQ(handed_out.count(unit), 0u) << "unit handed out twice: " << unit;
            for (int u = start; u < unit; ++u) ASSERT_EQ(handed_out.count(u), 1u) << "free unit skipped: " << u;
            handed_out.insert(unit);
        } else {
            auto it = handed_out.begin();
            std::advance(it, static_cast<long>(random() % handed_out.size()));
            DYNLUN_Release(*it);
            handed_out.erase(it);
        }
        ASSERT_EQ(Listed(), std::vector<int>(handed_out.begin(), handed_out.end())) << "step " << step;
    }
    EXPECT_TRUE(console.lines.empty());
}

}  // namespace
