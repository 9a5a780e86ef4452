// The tests that say whether a difference is real, against values worked by
// hand or computed once with scipy 1.17 (wilcoxon with zero_method="wilcox",
// correction=False, method="approx"; binomtest for McNemar).
#include <gtest/gtest.h>

#include "compare/statistics.h"

TEST(Statistics, WilcoxonWithTiesAndZeroDifferencesMcNemarAndFastestOfK) {
    // Two zero differences dropped, ten left; |d| ties at 2 and at 3; the
    // negative ranks sum to 8.
    const std::optional<TestResult> tied =
        wilcoxonSignedRank({5, 3, 8, 2, 7, 4, 6, 9, 1, 10, 3, 5}, {3, 3, 5, 4, 4, 6, 6, 4, 2, 7, 1, 2});
    ASSERT_TRUE(tied);
    EXPECT_EQ(tied->pairs, 10u);
    EXPECT_NEAR(tied->p, 0.04401464255473544, 1e-12);
    // Fewer than ten pairs still give their p; the caller says they are too few.
    const std::optional<TestResult> few = wilcoxonSignedRank({3.0, 1.0, 4.0, 1.5, 9.0}, {2.0, 1.0, 6.0, 1.0, 2.0});
    ASSERT_TRUE(few);
    EXPECT_EQ(few->pairs, 4u);
    EXPECT_NEAR(few->p, 0.4652088184521418, 1e-12);
    EXPECT_FALSE(wilcoxonSignedRank({1.0, 2.0}, {1.0, 2.0}));
    // Swapping the runs changes nothing.
    EXPECT_NEAR(wilcoxonSignedRank({2.0, 1.0, 6.0, 1.0, 2.0}, {3.0, 1.0, 4.0, 1.5, 9.0})->p, few->p, 1e-15);

    EXPECT_NEAR(mcNemarExact(3, 9).p, 0.14599609375, 1e-12);
    EXPECT_NEAR(mcNemarExact(30, 12).p, 0.007915897334896727, 1e-12);
    EXPECT_NEAR(mcNemarExact(0, 4).p, 0.125, 1e-12);
    EXPECT_EQ(mcNemarExact(5, 5).p, 1.0);
    EXPECT_EQ(mcNemarExact(0, 0).pairs, 0u);

    // By hand: of the six pairs of {10, 20, 30, 40} the faster are 10, 10,
    // 10, 20, 20, 30; of all four, 10; of one, the mean.
    EXPECT_NEAR(*expectedFastest({40, 10, 30, 20}, 2), 100.0 / 6.0, 1e-12);
    EXPECT_NEAR(*expectedFastest({40, 10, 30, 20}, 4), 10.0, 1e-12);
    EXPECT_NEAR(*expectedFastest({40, 10, 30, 20}, 1), 25.0, 1e-12);
    EXPECT_FALSE(expectedFastest({1.0, 2.0}, 3));
}
