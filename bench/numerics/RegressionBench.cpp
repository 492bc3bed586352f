// Polynomial regression of a 3648-pixel spectrum at degrees 1 to 5 against GSL's
// linear least squares on the Vandermonde matrix, in the same run. Each benchmark reports
// "ratio_to_gsl" (our time per call over GSL's).

#include "numerics/PolynomialRegression.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <gsl/gsl_multifit.h>
#include <vector>

namespace {

constexpr int kPixels = 3648;

struct Data
{
    std::vector<double> x, y;
};

Data makeData()
{
    Data d;
    for (int i = 0; i < kPixels; ++i) {
        const double nm = 200.0 + 0.25 * i;
        d.x.push_back(nm);
        d.y.push_back(1000.0 * std::exp(-std::pow((nm - 600.0) / 80.0, 2)) + 0.01 * (i % 7));
    }
    return d;
}

void ours(const Data& d, int degree, std::vector<double>& b)
{
    std::vector<double> ss(static_cast<std::size_t>(degree + 1)), stat(10);
    numerics::DRCURV(kPixels, d.x.data(), d.y.data(), degree, b.data(), ss.data(), stat.data());
}

void gsl(const Data& d, int degree, std::vector<double>& b)
{
    const auto p = static_cast<std::size_t>(degree + 1);
    gsl_matrix* X = gsl_matrix_alloc(kPixels, p);
    gsl_vector_const_view y = gsl_vector_const_view_array(d.y.data(), kPixels);
    gsl_vector* c = gsl_vector_alloc(p);
    gsl_matrix* cov = gsl_matrix_alloc(p, p);
    for (std::size_t i = 0; i < kPixels; ++i) {
        double v = 1.0;
        for (std::size_t j = 0; j < p; ++j) {
            gsl_matrix_set(X, i, j, v);
            v *= d.x[i];
        }
    }
    gsl_multifit_linear_workspace* w = gsl_multifit_linear_alloc(kPixels, p);
    double chisq = 0.0;
    gsl_multifit_linear(X, &y.vector, c, cov, &chisq, w);
    for (std::size_t j = 0; j < p; ++j) {
        b[j] = gsl_vector_get(c, j);
    }
    gsl_multifit_linear_free(w);
    gsl_matrix_free(cov);
    gsl_vector_free(c);
    gsl_matrix_free(X);
}

template <class Fit> double secondsPerCall(Fit fit, const Data& d, int degree, int calls)
{
    std::vector<double> b(static_cast<std::size_t>(degree + 1));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) {
        fit(d, degree, b);
        benchmark::DoNotOptimize(b.data());
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / calls;
}

void BM_DrcurvAgainstGsl(benchmark::State& state)
{
    const int degree = static_cast<int>(state.range(0));
    const Data d = makeData();
    std::vector<double> b(static_cast<std::size_t>(degree + 1));
    for (auto _ : state) {
        ours(d, degree, b);
        benchmark::DoNotOptimize(b.data());
    }
    // Blocks of calls in turn, so that a change in the machine's load falls on both.
    double mine = 0.0;
    double theirs = 0.0;
    const int blocks = 20;
    for (int i = 0; i < blocks; ++i) {
        mine += secondsPerCall(ours, d, degree, 10) / blocks;
        theirs += secondsPerCall(gsl, d, degree, 10) / blocks;
    }
    state.counters["ratio_to_gsl"] = mine / theirs;
    state.counters["ours_ms"] = mine * 1e3;
    state.counters["gsl_ms"] = theirs * 1e3;
}

} // namespace

BENCHMARK(BM_DrcurvAgainstGsl)->DenseRange(1, 5)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
