#include "numerics/BandedSystems.h"

#include "numerics/IntegerOptions.h"
#include "tests/numerics/NumericsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

extern "C" {
void dgbsv_(const int* n, const int* kl, const int* ku, const int* nrhs, double* ab,
            const int* ldab, int* ipiv, double* b, const int* ldb, int* info);
}

namespace numerics::test {
namespace {

// A random band matrix in the band storage of the routines (row nuca + i - j, 0-based).
struct Band
{
    std::int32_t n, nlca, nuca;
    std::vector<double> a;                     // lda = nlca + nuca + 1
    double& at(std::int32_t i, std::int32_t j) // 1-based
    {
        return a[static_cast<std::size_t>((j - 1) * (nlca + nuca + 1) + nuca + i - j)];
    }
    double get(std::int32_t i, std::int32_t j) const
    {
        if (i - j > nlca || j - i > nuca) {
            return 0.0;
        }
        return a[static_cast<std::size_t>((j - 1) * (nlca + nuca + 1) + nuca + i - j)];
    }
};

Band randomBand(std::int32_t n, std::int32_t nlca, std::int32_t nuca, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Band b{n, nlca, nuca,
           std::vector<double>(static_cast<std::size_t>((nlca + nuca + 1) * n), 0.0)};
    for (std::int32_t j = 1; j <= n; ++j) {
        for (std::int32_t i = std::max(1, j - nuca); i <= std::min(n, j + nlca); ++i) {
            b.at(i, j) = u(rng);
        }
    }
    return b;
}

// LAPACK's banded solver (dgbsv), as the oracle.
std::vector<double> lapackSolve(const Band& b, const std::vector<double>& rhs, bool transposed)
{
    const int n = b.n;
    const int kl = transposed ? b.nuca : b.nlca;
    const int ku = transposed ? b.nlca : b.nuca;
    const int ldab = 2 * kl + ku + 1;
    std::vector<double> ab(static_cast<std::size_t>(ldab * n), 0.0);
    for (int j = 1; j <= n; ++j) {
        for (int i = 1; i <= n; ++i) {
            const double v = transposed ? b.get(j, i) : b.get(i, j);
            if (v != 0.0 || (i - j <= kl && j - i <= ku)) {
                if (i - j <= kl && j - i <= ku) {
                    ab[static_cast<std::size_t>((j - 1) * ldab + kl + ku + i - j)] = v;
                }
            }
        }
    }
    std::vector<int> ipiv(static_cast<std::size_t>(n));
    std::vector<double> x = rhs;
    const int nrhs = 1;
    int info = 0;
    dgbsv_(&n, &kl, &ku, &nrhs, ab.data(), &ldab, ipiv.data(), x.data(), &n, &info);
    EXPECT_EQ(info, 0);
    return x;
}

class BandedSystemsTest : public NumericsTest
{};

TEST_F(BandedSystemsTest, SolvesAgreeWithLapack)
{
    struct Case
    {
        std::int32_t n, nlca, nuca;
    };
    const Case cases[] = {{1, 0, 0},  {6, 0, 0},  {7, 1, 1},  {30, 3, 1},
                          {25, 0, 4}, {40, 5, 5}, {12, 11, 2}};
    unsigned seed = 1;
    for (const Case& c : cases) {
        for (const std::int32_t ipath : {1, 2}) {
            SCOPED_TRACE(testing::Message()
                         << c.n << " " << c.nlca << " " << c.nuca << " path " << ipath);
            const Band b = randomBand(c.n, c.nlca, c.nuca, seed++);
            std::vector<double> rhs(static_cast<std::size_t>(c.n));
            std::mt19937 rng(seed);
            std::uniform_real_distribution<double> u(-5.0, 5.0);
            for (double& v : rhs) {
                v = u(rng);
            }
            const std::int32_t ldfac = 2 * c.nlca + c.nuca + 1;
            std::vector<double> fact(static_cast<std::size_t>(ldfac * c.n));
            std::vector<std::int32_t> ipvt(static_cast<std::size_t>(c.n));
            std::vector<double> wk(static_cast<std::size_t>(c.n));
            std::vector<double> x(static_cast<std::size_t>(c.n));
            E1PSH("dTEST");
            dL2ARB(c.n, b.a.data(), c.nlca + c.nuca + 1, c.nlca, c.nuca, rhs.data(), ipath,
                   x.data(), fact.data(), ipvt.data(), wk.data());
            const std::int32_t type = N1RTY(1);
            E1MES(0, 0, "");
            E1POP("dTEST");
            const std::vector<double> expected = lapackSolve(b, rhs, ipath == 2);
            double scale = 0.0;
            for (const double v : expected) {
                scale = std::max(scale, std::fabs(v));
            }
            for (std::size_t i = 0; i < x.size(); ++i) {
                EXPECT_NEAR(x[i], expected[i], 1e-12 * scale) << i;
            }
            EXPECT_TRUE(type == 0 || type == kWarning);
            // The condition estimate is a lower bound of the true reciprocal condition
            // number's inverse relation: rcond >= 1 / (|A| |A^-1|), within a modest factor.
            double rcond = 0.0;
            std::vector<double> z(static_cast<std::size_t>(c.n));
            dL2CRB(c.n, b.a.data(), c.nlca + c.nuca + 1, c.nlca, c.nuca, fact.data(), ldfac,
                   ipvt.data(), rcond, z.data());
            double inverseNorm = 0.0;
            for (std::int32_t col = 1; col <= c.n; ++col) {
                std::vector<double> e(static_cast<std::size_t>(c.n), 0.0);
                e[static_cast<std::size_t>(col - 1)] = 1.0;
                const std::vector<double> column = lapackSolve(b, e, false);
                double sum = 0.0;
                for (const double v : column) {
                    sum += std::fabs(v);
                }
                inverseNorm = std::max(inverseNorm, sum);
            }
            double norm = 0.0;
            for (std::int32_t col = 1; col <= c.n; ++col) {
                double sum = 0.0;
                for (std::int32_t row = 1; row <= c.n; ++row) {
                    sum += std::fabs(b.get(row, col));
                }
                norm = std::max(norm, sum);
            }
            const double trueRcond = 1.0 / (norm * inverseNorm);
            EXPECT_GE(rcond, trueRcond * (1 - 1e-12));
            EXPECT_LE(rcond, trueRcond * 30);
            takeOutput();
        }
    }
}

TEST_F(BandedSystemsTest, ZeroRightSideAndConditionFlag)
{
    Band b = randomBand(8, 2, 1, 42);
    std::vector<double> rhs(8, 0.0), x(8, 3.0), fact(6 * 8), wk(8);
    std::vector<std::int32_t> ipvt(8);
    dL2ARB(8, b.a.data(), 4, 2, 1, rhs.data(), 1, x.data(), fact.data(), ipvt.data(), wk.data());
    EXPECT_EQ(x, std::vector<double>(8, 0.0));

    std::int32_t option = 17;
    std::int32_t values[2] = {1, 1};
    IUMAG("MATH", 1, 2, 1, &option, values);
    double rcond = -1.0;
    dL2CRB(8, b.a.data(), 4, 2, 1, fact.data(), 6, ipvt.data(), rcond, wk.data());
    EXPECT_EQ(rcond, 1.0);
    option = -17;
    IUMAG("MATH", 1, 2, 1, &option, values);
}

TEST_F(BandedSystemsTest, SingularFactorStopsTheSolve)
{
    // The second column is zero: the factor has a zero pivot.
    Band b = randomBand(5, 1, 1, 9);
    for (std::int32_t i = 1; i <= 3; ++i) {
        b.at(i, 2) = 0.0;
    }
    std::vector<double> fact(4 * 5), z(5), x(5), rhs(5, 1.0);
    std::vector<std::int32_t> ipvt(5);
    double rcond = 0.0;
    E1PSH("dTEST");
    dL2CRB(5, b.a.data(), 3, 1, 1, fact.data(), 4, ipvt.data(), rcond, z.data());
    EXPECT_EQ(N1RTY(1), kFatal);
    EXPECT_EQ(N1RCD(1), 2);
    E1MES(0, 0, "");
    for (const std::int32_t ipath : {1, 2}) {
        try {
            dLFSRB(5, fact.data(), 4, 1, 1, ipvt.data(), rhs.data(), ipath, x.data());
            FAIL() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.code(), ipath == 1 ? 6 : 7);
        }
        EXPECT_NE(takeOutput().find("are close to zero."), std::string::npos);
        E1PSH("dTEST");
    }
}

TEST_F(BandedSystemsTest, ArgumentChecks)
{
    struct Case
    {
        const char* name;
        std::int32_t n, nlca, nuca, lda, ipath, code;
    };
    const Case cases[] = {
        {"Order", 0, 0, 0, 1, 1, 1},   {"Lower", 3, 3, 0, 4, 1, 2}, {"Upper", 3, 0, -1, 4, 1, 3},
        {"Leading", 3, 1, 1, 2, 1, 4}, {"Path", 3, 1, 1, 3, 3, 5},
    };
    std::vector<double> a(64, 1.0), b(8, 1.0), x(8), fact(64), wk(8);
    std::vector<std::int32_t> ipvt(8);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            dL2ARB(c.n, a.data(), c.lda, c.nlca, c.nuca, b.data(), c.ipath, x.data(), fact.data(),
                   ipvt.data(), wk.data());
            FAIL() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.code(), c.code);
        }
        EXPECT_NE(takeOutput().find("from DL2ARB"), std::string::npos);
    }
}

TEST_F(BandedSystemsTest, ExtendedDotProduct)
{
    // 1e16 + 1 - 1e16 loses the 1 in plain arithmetic, not here.
    const double x[3] = {1e16, 1.0, -1e16};
    const double y[3] = {1.0, 1.0, 1.0};
    EXPECT_EQ(DDOTXP(3, 0.0, x, 1, y, 1), 1.0);
    EXPECT_EQ(DDOTXP(3, 0.5, x, -1, y, 1), 1.5);
    // Products beyond the scaling thresholds.
    const double big[2] = {1e301, -1e301};
    const double ones[2] = {1.0, 1.0};
    EXPECT_EQ(DDOTXP(2, 2.0, big, 1, ones, 1), 2.0);
    EXPECT_EQ(DDOTXP(0, 4.0, x, 1, y, 1), 4.0);
    EXPECT_EQ(IDAMAX(4, std::vector<double>{1, -7, 7, 2}.data(), 1), 2);
    EXPECT_EQ(IDAMAX(0, x, 1), 0);
}

} // namespace
} // namespace numerics::test
