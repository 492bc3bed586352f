#include "numerics/BSpline.h"

#include "numerics/LeastSquaresBSpline.h"
#include "numerics/SplineKernels.h"
#include "tests/numerics/NumericsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <gsl/gsl_bspline.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_multifit.h>
#include <numeric>
#include <random>
#include <vector>

namespace numerics::test {
namespace {

// GSL's B-spline basis on the same knots (k equal end knots, simple interior knots).
class GslBasis
{
public:
    GslBasis(std::int32_t k, const std::vector<double>& knots, std::int32_t ncoef)
    {
        const auto nbreak = static_cast<std::size_t>(ncoef - k + 2);
        m_w = gsl_bspline_alloc(static_cast<std::size_t>(k), nbreak);
        gsl_vector* brk = gsl_vector_alloc(nbreak);
        for (std::size_t i = 0; i < nbreak; ++i) {
            gsl_vector_set(brk, i, knots[static_cast<std::size_t>(k - 1) + i]);
        }
        gsl_bspline_knots(brk, m_w);
        gsl_vector_free(brk);
        m_n = static_cast<std::size_t>(ncoef);
    }
    ~GslBasis() { gsl_bspline_free(m_w); }
    GslBasis(const GslBasis&) = delete;
    GslBasis& operator=(const GslBasis&) = delete;

    // The der-th derivative of every basis function at x.
    std::vector<double> at(double x, std::size_t der)
    {
        gsl_matrix* db = gsl_matrix_alloc(m_n, der + 1);
        gsl_bspline_deriv_eval(x, der, db, m_w);
        std::vector<double> v(m_n);
        for (std::size_t j = 0; j < m_n; ++j) {
            v[j] = gsl_matrix_get(db, j, der);
        }
        gsl_matrix_free(db);
        return v;
    }

private:
    gsl_bspline_workspace* m_w = nullptr;
    std::size_t m_n = 0;
};

class BSplineTest : public NumericsTest
{};

std::vector<double> sortedRandom(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> step(0.1, 1.0);
    std::vector<double> x;
    double at = -1.0;
    for (std::size_t i = 0; i < n; ++i) {
        at += step(rng);
        x.push_back(at);
    }
    return x;
}

// Interpolation on the not-a-knot knots: the coefficients solve GSL's collocation system
// (LU from GSL); values and derivatives to 1e-11 of the data's range.
TEST_F(BSplineTest, InterpolationMatchesTheCollocationSystem)
{
    for (std::int32_t k = 2; k <= 6; ++k) {
        for (const std::size_t n : {static_cast<std::size_t>(k), std::size_t{9}, std::size_t{30}}) {
            SCOPED_TRACE(testing::Message() << "k " << k << " n " << n);
            const std::vector<double> x = sortedRandom(n, static_cast<unsigned>(k * 100 + n));
            std::vector<double> f;
            for (const double v : x) {
                f.push_back(std::cos(v) + 0.2 * v);
            }
            const auto nd = static_cast<std::int32_t>(n);
            std::vector<double> knots(n + static_cast<std::size_t>(k)), xs(n), fs(n), coef(n);
            std::vector<std::int32_t> iwk(n);
            DB2NAK(nd, x.data(), k, knots.data(), xs.data(), iwk.data());
            DB2INT(nd, x.data(), f.data(), k, knots.data(), coef.data(), xs.data(), fs.data(),
                   iwk.data());
            GslBasis basis(k, knots, nd);
            gsl_matrix* m = gsl_matrix_alloc(n, n);
            gsl_vector* rhs = gsl_vector_alloc(n);
            gsl_vector* sol = gsl_vector_alloc(n);
            gsl_permutation* perm = gsl_permutation_alloc(n);
            for (std::size_t i = 0; i < n; ++i) {
                const std::vector<double> b = basis.at(x[i], 0);
                for (std::size_t j = 0; j < n; ++j) {
                    gsl_matrix_set(m, i, j, b[j]);
                }
                gsl_vector_set(rhs, i, f[i]);
            }
            int sign = 0;
            gsl_linalg_LU_decomp(m, perm, &sign);
            gsl_linalg_LU_solve(m, perm, rhs, sol);
            for (std::size_t j = 0; j < n; ++j) {
                EXPECT_NEAR(coef[j], gsl_vector_get(sol, j), 1e-10) << j;
            }
            // Evaluation: value and derivatives 1 and 2 at points between the data.
            std::vector<double> at;
            for (std::size_t i = 0; i + 1 < n; ++i) {
                at.push_back(x[i] + 0.41 * (x[i + 1] - x[i]));
            }
            for (std::size_t der = 0; der <= 2 && der < static_cast<std::size_t>(k); ++der) {
                std::vector<double> v(at.size());
                std::vector<std::int32_t> piece(at.size());
                DB21GD(static_cast<std::int32_t>(der), static_cast<std::int32_t>(at.size()),
                       at.data(), k, knots.data(), nd, coef.data(), v.data(), piece.data());
                std::vector<double> work(3 * static_cast<std::size_t>(k));
                for (std::size_t j = 0; j < at.size(); ++j) {
                    const std::vector<double> b = basis.at(at[j], der);
                    const double expected =
                        std::inner_product(b.begin(), b.end(), coef.begin(), 0.0);
                    EXPECT_NEAR(v[j], expected, 1e-9 * std::pow(10.0, static_cast<double>(der)))
                        << "der " << der;
                    EXPECT_NEAR(B1VALU(at[j], static_cast<std::int32_t>(der), k, knots.data(), nd,
                                       coef.data(), work.data()),
                                expected, 1e-9 * std::pow(10.0, static_cast<double>(der)));
                }
            }
            gsl_permutation_free(perm);
            gsl_vector_free(sol);
            gsl_vector_free(rhs);
            gsl_matrix_free(m);
        }
    }
    EXPECT_EQ(takeOutput(), "");
}

// The least-squares fit agrees with GSL's linear least squares on the same basis.
TEST_F(BSplineTest, LeastSquaresMatchesGslMultifit)
{
    for (std::int32_t k = 2; k <= 4; ++k) {
        const std::size_t n = 41;
        SCOPED_TRACE(k);
        const std::vector<double> x = sortedRandom(n, static_cast<unsigned>(k));
        std::vector<double> f, w;
        std::mt19937 rng(3);
        std::uniform_real_distribution<double> u(0.5, 2.0);
        for (const double v : x) {
            f.push_back(std::sin(2 * v));
            w.push_back(u(rng));
        }
        const std::int32_t ncoef = 8 + k;
        std::vector<double> knots(static_cast<std::size_t>(ncoef + k));
        for (std::int32_t i = 0; i < k; ++i) {
            knots[static_cast<std::size_t>(i)] = x.front();
            knots[static_cast<std::size_t>(ncoef + i)] = x.back();
        }
        for (std::int32_t j = 1; j <= ncoef - k; ++j) {
            knots[static_cast<std::size_t>(k - 1 + j)] =
                x.front() + (x.back() - x.front()) * j / (ncoef - k + 1);
        }
        std::vector<double> coef(static_cast<std::size_t>(ncoef)), xs(n), fs(n), ws(n);
        std::vector<std::int32_t> iwk(n);
        // Given in reverse order: sorted by the routine.
        std::vector<double> xr(x.rbegin(), x.rend()), fr(f.rbegin(), f.rend()),
            wr(w.rbegin(), w.rend());
        DB2LSQ(static_cast<std::int32_t>(n), xr.data(), fr.data(), wr.data(), k, knots.data(),
               ncoef, coef.data(), xs.data(), fs.data(), ws.data(), iwk.data());
        GslBasis basis(k, knots, ncoef);
        gsl_matrix* X = gsl_matrix_alloc(n, static_cast<std::size_t>(ncoef));
        gsl_vector* y = gsl_vector_alloc(n);
        gsl_vector* wv = gsl_vector_alloc(n);
        gsl_vector* c = gsl_vector_alloc(static_cast<std::size_t>(ncoef));
        gsl_matrix* cov =
            gsl_matrix_alloc(static_cast<std::size_t>(ncoef), static_cast<std::size_t>(ncoef));
        for (std::size_t i = 0; i < n; ++i) {
            const std::vector<double> b = basis.at(x[i], 0);
            for (std::size_t j = 0; j < b.size(); ++j) {
                gsl_matrix_set(X, i, j, b[j]);
            }
            gsl_vector_set(y, i, f[i]);
            gsl_vector_set(wv, i, w[i]);
        }
        gsl_multifit_linear_workspace* ws2 =
            gsl_multifit_linear_alloc(n, static_cast<std::size_t>(ncoef));
        double chisq = 0.0;
        gsl_multifit_wlinear(X, wv, y, c, cov, &chisq, ws2);
        for (std::int32_t j = 0; j < ncoef; ++j) {
            EXPECT_NEAR(coef[static_cast<std::size_t>(j)],
                        gsl_vector_get(c, static_cast<std::size_t>(j)), 1e-9);
        }
        EXPECT_NEAR(B1SSQR(static_cast<std::int32_t>(n), x.data(), f.data(), w.data(), k,
                           knots.data(), ncoef, coef.data()),
                    chisq, 1e-10 * (1 + chisq));
        gsl_multifit_linear_free(ws2);
        gsl_matrix_free(cov);
        gsl_vector_free(c);
        gsl_vector_free(wv);
        gsl_vector_free(y);
        gsl_matrix_free(X);
    }
}

TEST_F(BSplineTest, KnotRules)
{
    const std::vector<double> x = {4.0, 1.0, 2.0, 3.0, 5.0, 6.0};
    std::vector<double> knots(10), xs(6);
    std::vector<std::int32_t> iwk(6);
    DB2NAK(6, x.data(), 4, knots.data(), xs.data(), iwk.data());
    const double right = 6.0 * (1 + 100 * 2.220446049250313e-16);
    EXPECT_EQ(knots, (std::vector<double>{1, 1, 1, 1, 3, 4, right, right, right, right}));
    knots.resize(9);
    DB2NAK(6, x.data(), 3, knots.data(), xs.data(), iwk.data());
    EXPECT_EQ(knots, (std::vector<double>{1, 1, 1, 2.5, 3.5, 4.5, right, right, right}));
    // Repeated knots give fewer pieces.
    const std::vector<double> t = {0, 0, 0, 1, 1, 2, 2, 2};
    const std::vector<double> coef = {1, 2, 3, 4, 5};
    std::vector<double> brk(5), pp(12);
    std::int32_t pieces = 0;
    DB2CPP(3, t.data(), 5, coef.data(), pieces, brk.data(), pp.data());
    EXPECT_EQ(pieces, 2);
    EXPECT_EQ(brk[1], 1.0);
    EXPECT_EQ(brk[2], 2.0);
}

TEST_F(BSplineTest, Failures)
{
    struct Case
    {
        const char* name;
        std::vector<double> knots;
        std::int32_t code;
        const char* text;
    };
    const Case cases[] = {
        {"Stacked", {0, 0, 0, 0, 1, 2}, 4, "XKNOT(1) through XKNOT(3)"},
        {"Decreasing", {0, 0, 2, 1, 3, 3}, 5, "XKNOT(3) ="},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            DB3INT(2, c.knots.data(), 4);
            FAIL() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.code(), c.code);
        }
        EXPECT_NE(takeOutput().find(c.text), std::string::npos);
    }
    // Data outside the knots (Schoenberg-Whitney): code 15.
    const std::vector<double> knots = {0, 0, 1, 1.5, 3, 3};
    const std::vector<double> x = {0.0, 2.0, 2.5, 3.0};
    try {
        E1PSH("dB2INT");
        BSPLINE_DATA_CHECK("X", "KORDER", 4, x.data(), 2, knots.data());
        E1POP("dB2INT");
        FAIL() << "no stop";
    } catch (const NumericsStop& stop) {
        EXPECT_EQ(stop.code(), 15);
    }
    EXPECT_NE(takeOutput().find("(I=2)"), std::string::npos);
    // Unsorted points: every pair is reported (1-2 and 3-4).
    const std::vector<double> t = {0, 0, 1, 2, 2};
    const std::vector<double> c = {1, 2, 3};
    const std::vector<double> at = {0.5, 0.2, 1.5, 1.0};
    std::vector<double> v(4);
    std::vector<std::int32_t> piece(4);
    EXPECT_THROW(DB21GD(0, 4, at.data(), 2, t.data(), 3, c.data(), v.data(), piece.data()),
                 NumericsStop);
    const std::string out = takeOutput();
    // FATAL messages wait for the user's routine; the last of the reports is written.
    EXPECT_NE(out.find("XVEC(3) ="), std::string::npos);
}

} // namespace
} // namespace numerics::test
