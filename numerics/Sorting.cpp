#include "numerics/Sorting.h"

#include "numerics/Blas.h"
#include "numerics/ErrorReporting.h"

#include <cmath>
#include <utility>

namespace numerics {

namespace {

// A total order: NaNs after every number, so the sentinels the partitioning relies on
// hold for any input and no scan can run past the segment.
bool less(double a, double b)
{
    return a < b || (!std::isnan(a) && std::isnan(b));
}

// Carries the permutation along with the values, or nothing.
struct NoPermutation
{
    void swap(std::int64_t, std::int64_t) {}
    std::int32_t get(std::int64_t) const { return 0; }
    void set(std::int64_t, std::int32_t) {}
};

struct Permutation
{
    std::int32_t* p;
    void swap(std::int64_t i, std::int64_t j) { std::swap(p[i], p[j]); }
    std::int32_t get(std::int64_t i) const { return p[i]; }
    void set(std::int64_t i, std::int32_t v) { p[i] = v; }
};

// Singleton's quicksort (ACM Algorithm 347) on x[0..n-1]: the pivot position moves
// through the segment by a changing fraction, the first, pivot and last elements are put
// in order before each partition, and segments shorter than 11 are finished by straight
// insertion, whose scan is stopped by the smaller element left before the segment.
template <class Perm> void singletonSort(std::int64_t n, double* x, Perm perm)
{
    if (n < 2) {
        return;
    }
    constexpr int kStackDepth = 64; // the larger part is stacked: depth <= log2(n)
    std::int64_t lowStack[kStackDepth];
    std::int64_t highStack[kStackDepth];
    int m = 0;
    std::int64_t i = 0;
    std::int64_t j = n - 1;
    double r = 0.375;

    auto exchange = [&](std::int64_t a, std::int64_t b) {
        std::swap(x[a], x[b]);
        perm.swap(a, b);
    };

    for (;;) {
        if (j - i >= 11 || (i == 0 && j > i)) {
            // Partition the segment i..j.
            r = r <= 0.5898437 ? r + 0.0390625 : r - 0.21875;
            const std::int64_t ij = i + static_cast<std::int64_t>(static_cast<double>(j - i) * r);
            if (less(x[ij], x[i])) {
                exchange(ij, i);
            }
            if (less(x[j], x[ij])) {
                exchange(ij, j);
                if (less(x[ij], x[i])) {
                    exchange(ij, i);
                }
            }
            const double t = x[ij];
            std::int64_t k = i;
            std::int64_t l = j;
            for (;;) {
                do {
                    --l;
                } while (less(t, x[l]));
                do {
                    ++k;
                } while (less(x[k], t));
                if (k > l) {
                    break;
                }
                exchange(k, l);
            }
            // Keep the smaller part; stack the larger one.
            if (l - i > j - k) {
                lowStack[m] = i;
                highStack[m] = l;
                i = k;
            } else {
                lowStack[m] = k;
                highStack[m] = j;
                j = l;
            }
            ++m;
            continue;
        }
        if (i > 0) {
            // Straight insertion; x[i - 1] is no larger than any element of the segment.
            for (std::int64_t a = i; a < j; ++a) {
                if (less(x[a + 1], x[a])) {
                    const double t = x[a + 1];
                    const std::int32_t tp = perm.get(a + 1);
                    std::int64_t b = a;
                    do {
                        x[b + 1] = x[b];
                        perm.set(b + 1, perm.get(b));
                        --b;
                    } while (less(t, x[b]));
                    x[b + 1] = t;
                    perm.set(b + 1, tp);
                }
            }
        }
        if (m == 0) {
            return;
        }
        --m;
        i = lowStack[m];
        j = highStack[m];
    }
}

} // namespace

void DSVRGP(std::int32_t n, const double* ra, double* rb, std::int32_t* iperm)
{
    E1PSH("dSVRGP ");
    DCOPY(n, ra, 1, rb, 1);
    if (n < 1) {
        E1VALI(1, n);
        E1MES(kTerminal, 1,
              "The length of vectors RA, RB and IPERM must be greater than or equal to one.  On "
              "input the length, N, is given as %(I1).");
        E1POP("dSVRGP ");
        return;
    }
    singletonSort(n, rb, Permutation{iperm});
    E1POP("dSVRGP ");
}

void DSVRGN(std::int32_t n, const double* ra, double* rb)
{
    E1PSH("dSVRGN ");
    DCOPY(n, ra, 1, rb, 1);
    if (n < 1) {
        E1VALI(1, n);
        E1MES(kTerminal, 1,
              "N = %(I1).  The length of RA and RB, N, must be greater than or equal to one.");
        E1POP("dSVRGN ");
        return;
    }
    singletonSort(n, rb, NoPermutation{});
    E1POP("dSVRGN ");
}

} // namespace numerics
