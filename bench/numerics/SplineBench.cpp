// The program's spline road: 3648 points evaluated at 3648 points, values and first
// derivative, against GSL's cubic and Akima splines on the same arrays in the same run.
// Each benchmark reports "ratio_to_gsl" (our time per call over GSL's). The road takes
// two spectra in turn, as a live acquisition brings a new one each time, so the driver's
// reuse of its last fit serves the derivative after the value and never a whole road.
// The optimised-knot types 13 to 15 are timed per call on the same data.

#include "numerics/ErrorReporting.h"
#include "numerics/SplineDriver.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <gsl/gsl_interp.h>
#include <vector>

namespace {

constexpr int kPixels = 3648;

struct Arrays
{
    std::vector<double> x, f, at, value, slope;
};

Arrays makeArrays(double shift = 0.0)
{
    Arrays a;
    for (int i = 0; i < kPixels; ++i) {
        const double nm = 200.0 + 0.25 * i + 1e-6 * i * i;
        a.x.push_back(nm);
        a.f.push_back(1000.0 * std::exp(-std::pow((nm - 600.0 - shift) / 80.0, 2)) +
                      50.0 * std::sin(nm));
        a.at.push_back(i + 1 < kPixels ? nm + 0.1 : nm - 0.1); // GSL does not extrapolate
    }
    a.value.resize(kPixels);
    a.slope.resize(kPixels);
    return a;
}

void gslRoad(const gsl_interp_type* type, Arrays& a)
{
    gsl_interp* interp = gsl_interp_alloc(type, kPixels);
    gsl_interp_accel* acc = gsl_interp_accel_alloc();
    gsl_interp_init(interp, a.x.data(), a.f.data(), kPixels);
    for (int j = 0; j < kPixels; ++j) {
        a.value[j] = gsl_interp_eval(interp, a.x.data(), a.f.data(), a.at[j], acc);
        a.slope[j] = gsl_interp_eval_deriv(interp, a.x.data(), a.f.data(), a.at[j], acc);
    }
    gsl_interp_accel_free(acc);
    gsl_interp_free(interp);
}

void ourRoad(int itype, Arrays& a)
{
    numerics::DSPLEZ(kPixels, a.x.data(), a.f.data(), itype, 0, kPixels, a.at.data(),
                     a.value.data());
    numerics::DSPLEZ(kPixels, a.x.data(), a.f.data(), itype, 1, kPixels, a.at.data(),
                     a.slope.data());
}

double secondsPerCall(void (*road)(int, const gsl_interp_type*, Arrays&), int itype,
                      const gsl_interp_type* type, Arrays* spectra, int calls)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) {
        Arrays& a = spectra[i % 2];
        road(itype, type, a);
        benchmark::DoNotOptimize(a.value.data());
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / calls;
}

void runOurs(int itype, const gsl_interp_type*, Arrays& a)
{
    ourRoad(itype, a);
}

void runGsl(int, const gsl_interp_type* type, Arrays& a)
{
    gslRoad(type, a);
}

void BM_DsplezAgainstGsl(benchmark::State& state, int itype, const gsl_interp_type* type)
{
    Arrays spectra[2] = {makeArrays(), makeArrays(5.0)};
    int turn = 0;
    for (auto _ : state) {
        Arrays& a = spectra[turn++ % 2];
        ourRoad(itype, a);
        benchmark::DoNotOptimize(a.value.data());
        benchmark::ClobberMemory();
    }
    // Blocks of calls in turn, so that a change in the machine's load falls on both.
    double ours = 0.0;
    double gsl = 0.0;
    const int blocks = 20;
    for (int i = 0; i < blocks; ++i) {
        ours += secondsPerCall(runOurs, itype, type, spectra, 20) / blocks;
        gsl += secondsPerCall(runGsl, itype, type, spectra, 20) / blocks;
    }
    state.counters["ratio_to_gsl"] = ours / gsl;
    state.counters["ours_ms"] = ours * 1e3;
    state.counters["gsl_ms"] = gsl * 1e3;
}

void BM_GslCspline(benchmark::State& state)
{
    Arrays a = makeArrays();
    for (auto _ : state) {
        gslRoad(gsl_interp_cspline, a);
        benchmark::DoNotOptimize(a.value.data());
    }
}

void BM_DsplezUnsortedPoints(benchmark::State& state)
{
    Arrays spectra[2] = {makeArrays(), makeArrays(5.0)};
    for (Arrays& a : spectra) {
        for (int i = 0; i + 1 < kPixels; i += 2) {
            std::swap(a.at[i], a.at[i + 1]);
        }
    }
    int turn = 0;
    for (auto _ : state) {
        Arrays& a = spectra[turn++ % 2];
        ourRoad(1, a);
        benchmark::DoNotOptimize(a.value.data());
    }
}

// One call of an optimised-knot type (fit and values) on a spectrum.
void BM_DsplezOptimisedKnots(benchmark::State& state)
{
    const auto itype = static_cast<int>(state.range(0));
    Arrays spectra[2] = {makeArrays(), makeArrays(5.0)};
    int turn = 0;
    for (auto _ : state) {
        Arrays& a = spectra[turn++ % 2];
        numerics::DSPLEZ(kPixels, a.x.data(), a.f.data(), itype, 0, kPixels, a.at.data(),
                         a.value.data());
        benchmark::DoNotOptimize(a.value.data());
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_DsplezAgainstGsl, type1_vs_cspline, 1, gsl_interp_cspline)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DsplezAgainstGsl, type2_vs_akima, 2, gsl_interp_akima)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GslCspline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DsplezUnsortedPoints)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DsplezOptimisedKnots)->DenseRange(13, 15)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
