#include "numerics/Sorting.h"

#include "tests/numerics/NumericsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

namespace numerics::test {
namespace {

class SortingTest : public NumericsTest
{};

std::vector<double> randomValues(std::size_t n, unsigned seed, int distinct)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> pick(0, distinct - 1);
    std::vector<double> v(n);
    for (double& x : v) {
        x = pick(rng) * 0.25 - 100.0;
    }
    return v;
}

void expectSortedPermutation(const std::vector<double>& ra)
{
    const auto n = static_cast<std::int32_t>(ra.size());
    std::vector<double> rb(ra.size(), -1.0);
    std::vector<std::int32_t> perm(ra.size());
    std::iota(perm.begin(), perm.end(), 1);
    const std::vector<double> original = ra;
    DSVRGP(n, ra.data(), rb.data(), perm.data());
    EXPECT_EQ(ra, original);
    std::vector<double> expected = ra;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(rb, expected);
    std::vector<std::int32_t> sortedPerm = perm;
    std::sort(sortedPerm.begin(), sortedPerm.end());
    for (std::int32_t j = 0; j < n; ++j) {
        ASSERT_EQ(sortedPerm[static_cast<std::size_t>(j)], j + 1) << "not a permutation";
        ASSERT_EQ(rb[static_cast<std::size_t>(j)],
                  ra[static_cast<std::size_t>(perm[static_cast<std::size_t>(j)] - 1)]);
    }
    std::vector<double> rn(ra.size(), -1.0);
    DSVRGN(n, ra.data(), rn.data());
    EXPECT_EQ(rn, expected);
}

TEST_F(SortingTest, SortsWithPermutation)
{
    struct Case
    {
        const char* name;
        std::vector<double> values;
    };
    std::vector<double> ascending(1000);
    std::iota(ascending.begin(), ascending.end(), -10.0);
    std::vector<double> descending(ascending.rbegin(), ascending.rend());
    std::vector<double> organPipe(501);
    for (std::size_t i = 0; i < organPipe.size(); ++i) {
        organPipe[i] = -std::abs(static_cast<double>(i) - 250.0);
    }
    const Case cases[] = {
        {"Single", {3.5}},
        {"Two", {2.0, 1.0}},
        {"Short", {5, 3, 9, 1, 7, 2, 8}},
        {"Ascending", ascending},
        {"Descending", descending},
        {"OrganPipe", organPipe},
        {"Random", randomValues(4097, 1, 1000000)},
        {"ManyTies", randomValues(3000, 2, 5)},
        {"AllEqual", std::vector<double>(300, 1.5)},
        {"SignedZeros", {0.0, -0.0, 1.0, -1.0, 0.0}},
        {"Infinities",
         {1.0, -std::numeric_limits<double>::infinity(), 0.0,
          std::numeric_limits<double>::infinity(), -5.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectSortedPermutation(c.values);
    }
    EXPECT_EQ(takeOutput(), "");
}

TEST_F(SortingTest, SortedAndReversedInputGiveIdentityAndReversal)
{
    std::vector<double> ra(50);
    std::iota(ra.begin(), ra.end(), 0.0);
    std::vector<double> rb(50);
    std::vector<std::int32_t> perm(50);
    std::iota(perm.begin(), perm.end(), 1);
    DSVRGP(50, ra.data(), rb.data(), perm.data());
    for (std::int32_t j = 0; j < 50; ++j) {
        EXPECT_EQ(perm[static_cast<std::size_t>(j)], j + 1);
    }
    std::reverse(ra.begin(), ra.end());
    std::iota(perm.begin(), perm.end(), 1);
    DSVRGP(50, ra.data(), rb.data(), perm.data());
    for (std::int32_t j = 0; j < 50; ++j) {
        EXPECT_EQ(perm[static_cast<std::size_t>(j)], 50 - j);
    }
}

TEST_F(SortingTest, NaNsSortLastWithoutRunningAway)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const std::size_t n : {3u, 12u, 40u, 1000u}) {
        SCOPED_TRACE(n);
        std::vector<double> ra = randomValues(n, 7, 100);
        for (std::size_t i = 0; i < n; i += 3) {
            ra[i] = nan;
        }
        ra[n - 1] = nan;
        std::vector<double> rb(n);
        std::vector<std::int32_t> perm(n);
        std::iota(perm.begin(), perm.end(), 1);
        DSVRGP(static_cast<std::int32_t>(n), ra.data(), rb.data(), perm.data());
        const auto firstNan =
            std::find_if(rb.begin(), rb.end(), [](double x) { return std::isnan(x); });
        EXPECT_TRUE(std::is_sorted(rb.begin(), firstNan));
        EXPECT_TRUE(std::all_of(firstNan, rb.end(), [](double x) { return std::isnan(x); }));
        EXPECT_EQ(std::count_if(ra.begin(), ra.end(), [](double x) { return std::isnan(x); }),
                  rb.end() - firstNan);
        for (std::size_t j = 0; j < n; ++j) {
            const double source = ra[static_cast<std::size_t>(perm[j] - 1)];
            EXPECT_TRUE(source == rb[j] || (std::isnan(source) && std::isnan(rb[j])));
        }
    }
}

TEST_F(SortingTest, EmptyLengthIsTerminal)
{
    double ra[1] = {1.0};
    double rb[1] = {0.0};
    std::int32_t perm[1] = {1};
    EXPECT_THROW(DSVRGP(0, ra, rb, perm), NumericsStop);
    EXPECT_EQ(takeOutput(),
              "\n *** TERMINAL ERROR 1 from DSVRGP.  The length of vectors RA, RB and IPERM\n"
              " ***          must be greater than or equal to one.  On input the length, N,\n"
              " ***          is given as 0.\n");
    EXPECT_THROW(DSVRGN(-3, ra, rb), NumericsStop);
    EXPECT_EQ(takeOutput(),
              "\n *** TERMINAL ERROR 1 from DSVRGN.  N = -3.  The length of RA and RB, "
              "N,\n ***          must be greater than or equal to one.\n");
}

} // namespace
} // namespace numerics::test
