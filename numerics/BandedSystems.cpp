#include "numerics/BandedSystems.h"

#include "numerics/Blas.h"
#include "numerics/ErrorReporting.h"
#include "numerics/IntegerOptions.h"
#include "numerics/MachineConstants.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace numerics {

namespace {

constexpr std::int32_t kMaxBlockSize = 32;

void checkOrder(std::int32_t n, const char* text)
{
    E1VALI(1, n);
    E1MES(kTerminal, 1, text);
}

// The checks shared by the routines, in their order; code numbers differ per routine.
// Returns false after a report.
bool checkBand(std::int32_t n, std::int32_t nlca, std::int32_t nuca, bool driverText)
{
    if (n < 1) {
        checkOrder(n, driverText
                          ? "The number of equations must be positive while N = %(I1) is given."
                          : "The order of the matrix must be positive while N = %(I1) is given.");
        return false;
    }
    if (nlca < 0 || nlca >= n) {
        E1VALI(1, nlca);
        E1MES(kTerminal, 2,
              "The number of lower codiagonals must be greater than or equal to zero and less "
              "than N while NLCA = %(I1) is given.");
        return false;
    }
    if (nuca < 0 || nuca >= n) {
        E1VALI(1, nuca);
        E1MES(kTerminal, 3,
              "The number of upper codiagonals must be greater than or equal to zero and less "
              "than N while NUCA = %(I1) is given.");
        return false;
    }
    return true;
}

bool checkLda(std::int32_t nlca, std::int32_t nuca, std::int32_t lda, bool refinementText)
{
    if (lda < nlca + nuca + 1) {
        E1VALI(1, nlca + nuca + 1);
        E1VALI(2, lda);
        E1MES(kTerminal, 4,
              refinementText
                  ? "The number of rows of matrix A must be less than or equal to its leading "
                    "dimension while NUCA + NLCA + 1 = %(I1) and LDA = %(I2) are given."
                  : "The number of rows of matrix A must be less than or equal to its leading "
                    "dimension while NLCA + NUCA + 1 = %(I1) and LDA = %(I2) are given.");
        return false;
    }
    return true;
}

bool checkLdfac(std::int32_t nlca, std::int32_t nuca, std::int32_t ldfac, std::int32_t code)
{
    if (ldfac < 2 * nlca + nuca + 1) {
        E1VALI(1, 2 * nlca + nuca + 1);
        E1VALI(2, ldfac);
        E1MES(kTerminal, code,
              "The number of rows of matrix FAC must be less than or equal to its leading "
              "dimension while 2*NLCA + NUCA + 1 = %(I1) and LDFAC = %(I2) are given.");
        return false;
    }
    return true;
}

bool checkPath(std::int32_t ipath, std::int32_t code)
{
    if (ipath != 1 && ipath != 2) {
        E1VALI(1, ipath);
        E1MES(kTerminal, code, "IPATH must be either 1 or 2 while a value of %(I1) is given.");
        return false;
    }
    return true;
}

// Threshold below which a pivot counts as zero in the solves and the estimate.
double smallValue()
{
    double small = DMACH(1);
    if (small * DMACH(2) < 1.0) {
        small = 1.0 / DMACH(2);
    }
    return small;
}

double asum(std::int32_t n, const double* x)
{
    double s = 0.0;
    for (std::int32_t i = 0; i < n; ++i) {
        s += std::fabs(x[i]);
    }
    return s;
}

// Splits a into two halves that multiply exactly (Dekker's split).
void split(double a, double& high, double& low)
{
    constexpr double kSplitter = 134217729.0; // 2^27 + 1
    const double t = kSplitter * a;
    high = t - (t - a);
    low = a - high;
}

} // namespace

std::int32_t IDAMAX(std::int32_t n, const double* x, std::int32_t incx)
{
    if (n < 1) {
        return 0;
    }
    std::int32_t best = 1;
    double largest = std::fabs(x[0]);
    for (std::int32_t i = 1; i < n; ++i) {
        const double v = std::fabs(x[static_cast<std::int64_t>(i) * incx]);
        if (v > largest) {
            largest = v;
            best = i + 1;
        }
    }
    return best;
}

double DDOTXP(std::int32_t n, double s, const double* x, std::int32_t incx, const double* y,
              std::int32_t incy)
{
    constexpr double kLarge = 1.3390779e+300;
    constexpr double kTiny = 4.0092665e-292;
    const double down = std::ldexp(1.0, -54);
    const double up = std::ldexp(1.0, 54);
    double head = s;
    double tail = 0.0;
    if (n < 1) {
        return s;
    }
    // Negative strides start from the far end.
    std::int64_t ix = incx >= 0 ? 0 : static_cast<std::int64_t>(1 - n) * incx;
    std::int64_t iy = incy >= 0 ? 0 : static_cast<std::int64_t>(1 - n) * incy;
    for (std::int32_t i = 0; i < n; ++i, ix += incx, iy += incy) {
        double a = x[ix];
        double b = y[iy];
        int scale = 0;
        for (double* f : {&a, &b}) {
            if (std::fabs(*f) > kLarge) {
                *f *= down;
                ++scale;
            } else if (std::fabs(*f) <= kTiny && *f != 0.0) {
                *f *= up;
                --scale;
            }
        }
        // The exact product p + e.
        double ah, al, bh, bl;
        split(a, ah, al);
        split(b, bh, bl);
        double p = a * b;
        double e = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
        if (scale != 0) {
            p = std::ldexp(p, 54 * scale);
            e = std::ldexp(e, 54 * scale);
        }
        // Two-sum of the accumulator and the product.
        const double sum = head + p;
        const double bv = sum - head;
        const double err = (head - (sum - bv)) + (p - bv);
        tail += err + e;
        head = sum + tail;
        tail = tail - (head - sum);
    }
    return head + tail;
}

double dNR1RB(std::int32_t n, const double* a, std::int32_t lda, std::int32_t nlca,
              std::int32_t nuca)
{
    RoutineScope scope("dNR1RB ");
    if (!checkBand(n, nlca, nuca, false) || !checkLda(nlca, nuca, lda, false)) {
        return 0.0;
    }
    double norm = 0.0;
    for (std::int64_t j = 1; j <= n; ++j) {
        double sum = 0.0;
        const std::int64_t first = std::max<std::int64_t>(1, j - nuca);
        const std::int64_t last = std::min<std::int64_t>(n, j + nlca);
        for (std::int64_t i = first; i <= last; ++i) {
            sum += std::fabs(a[(j - 1) * lda + nuca + i - j]);
        }
        norm = std::max(norm, sum);
    }
    return norm;
}

void dL2TRB(std::int32_t n, const double* a, std::int32_t lda, std::int32_t nlca, std::int32_t nuca,
            double* fact, std::int32_t ldfac, std::int32_t* ipvt)
{
    RoutineScope scope("dL2TRB ");
    std::int32_t nb = 1;
    const std::int32_t option = 21;
    IUMAG("MATH", 1, 1, 1, &option, &nb);
    if (failed()) {
        return;
    }
    if (nb < 1) {
        E1VALI(1, nb);
        E1MES(kTerminal, 1, "The working block size must be positive while NB = %(I1) is given.");
        return;
    }
    if (!checkBand(n, nlca, nuca, false)) {
        return;
    }
    if (nlca + nuca + 1 > lda) {
        E1VALI(1, nlca + nuca + 1);
        E1VALI(2, lda);
        E1MES(kTerminal, 4,
              "The band-width must not exceed the leading dimension of A, while NLCA + NUCA + 1 "
              "= %(I1) and LDA = %(I2) are given.");
        return;
    }
    if (2 * nlca + nuca + 1 > ldfac) {
        E1VALI(1, 2 * nlca + nuca + 1);
        E1VALI(2, ldfac);
        E1MES(kTerminal, 5,
              "The factored band-width must not exceed the leading dimension of FAC, while "
              "2*NLCA + NUCA + 1 = %(I1) and LDFAC = %(I2) are given.");
        return;
    }
    if (nb > kMaxBlockSize) {
        E1VALI(1, nb);
        E1VALI(2, kMaxBlockSize);
        E1MES(kTerminal, 6,
              "The  working block size is NB = %(I1).  Space for only NBMAX = %(I2) is "
              "available.");
        return;
    }
    (void)a;

    // Column-oriented elimination with partial pivoting within the band; F(r, c) is the
    // 1-based element of the factor array. The diagonal lies in row m.
    const std::int64_t ml = nlca;
    const std::int64_t mu = nuca;
    const std::int64_t m = ml + mu + 1;
    auto F = [fact, ldfac](std::int64_t r, std::int64_t c) -> double& {
        return fact[(c - 1) * ldfac + (r - 1)];
    };
    // Zero the fill-in rows above the band of the first columns.
    const std::int64_t j0 = mu + 2;
    const std::int64_t j1 = std::min<std::int64_t>(n, m) - 1;
    for (std::int64_t jz = j0; jz <= j1; ++jz) {
        for (std::int64_t i = m + 1 - jz; i <= ml; ++i) {
            F(i, jz) = 0.0;
        }
    }
    std::int64_t jz = j1;
    std::int64_t ju = 0;
    std::int64_t singularAt = 0;
    for (std::int64_t k = 1; k <= n - 1; ++k) {
        ++jz;
        if (jz <= n) {
            for (std::int64_t i = 1; i <= ml; ++i) {
                F(i, jz) = 0.0;
            }
        }
        const std::int64_t lm = std::min<std::int64_t>(ml, n - k);
        std::int64_t l = IDAMAX(static_cast<std::int32_t>(lm + 1), &F(m, k), 1) + m - 1;
        ipvt[k - 1] = static_cast<std::int32_t>(l + k - m);
        if (F(l, k) == 0.0) {
            if (singularAt == 0) {
                singularAt = k;
            }
            continue;
        }
        if (l != m) {
            std::swap(F(l, k), F(m, k));
        }
        DSCAL(static_cast<std::int32_t>(lm), -1.0 / F(m, k), &F(m + 1, k), 1);
        ju = std::min<std::int64_t>(std::max<std::int64_t>(ju, mu + ipvt[k - 1]), n);
        std::int64_t mm = m;
        for (std::int64_t j = k + 1; j <= ju; ++j) {
            --l;
            --mm;
            const double t = F(l, j);
            if (l != mm) {
                F(l, j) = F(mm, j);
                F(mm, j) = t;
            }
            DAXPY(static_cast<std::int32_t>(lm), t, &F(m + 1, k), 1, &F(mm + 1, j), 1);
        }
    }
    ipvt[n - 1] = n;
    if (F(m, n) == 0.0 && singularAt == 0) {
        singularAt = n;
    }
    if (singularAt != 0) {
        E1MES(kFatal, 2,
              "The input matrix is singular.  Some of the diagonal elements of the upper "
              "triangular matrix U of the LU factorization are equal to zero.");
    }
}

void dL2CRB(std::int32_t n, const double* a, std::int32_t lda, std::int32_t nlca, std::int32_t nuca,
            double* fact, std::int32_t ldfac, std::int32_t* ipvt, double& rcond, double* z)
{
    RoutineScope scope("dL2CRB ");
    if (!checkBand(n, nlca, nuca, false) || !checkLda(nlca, nuca, lda, false) ||
        !checkLdfac(nlca, nuca, ldfac, 5)) {
        return;
    }
    rcond = 1.0;
    std::int32_t values[2] = {1, 2};
    const std::int32_t option = 17;
    IUMAG("MATH", 1, 1, 1, &option, values);
    if (failed()) {
        return;
    }
    const std::int32_t flag = values[1];
    if (flag != 1 && flag != 2) {
        E1VALI(1, flag);
        E1MES(kTerminal, 4,
              "The flag value for computing the matrix condition number must be 1 or 2 while "
              "%(I1) is given.");
        return;
    }
    double anorm = 0.0;
    if (flag == 2) {
        anorm = dNR1RB(n, a, lda, nlca, nuca);
    }
    // Copy A into the lower rows of the factor array.
    const std::int64_t ml = nlca;
    const std::int64_t mu = nuca;
    const std::int64_t m = ml + mu + 1;
    for (std::int64_t j = 0; j < n; ++j) {
        for (std::int64_t r = 0; r < ml; ++r) {
            fact[j * ldfac + r] = 0.0;
        }
        for (std::int64_t r = 0; r < ml + mu + 1; ++r) {
            fact[j * ldfac + ml + r] = a[j * lda + r];
        }
    }
    dL2TRB(n, fact, ldfac, nlca, nuca, fact, ldfac, ipvt);
    if (N1RTY(1) == kFatal || N1RTY(1) == kTerminal || flag != 2) {
        return;
    }

    // The classic estimate: solve U-transposed w = e with e chosen to make w large, then
    // L-transposed y = w, L v = y and U z = v; rcond = |z| / (|A| |y|) in the 1-norm.
    auto F = [fact, ldfac](std::int64_t r, std::int64_t c) -> double& {
        return fact[(c - 1) * ldfac + (r - 1)];
    };
    auto Z = [z](std::int64_t i) -> double& { return z[i - 1]; };
    const double small = smallValue();
    const std::int32_t nn = n;
    for (std::int64_t i = 1; i <= n; ++i) {
        Z(i) = 0.0;
    }
    double ek = 1.0;
    std::int64_t ju = 0;
    for (std::int64_t k = 1; k <= n; ++k) {
        if (Z(k) != 0.0) {
            ek = std::copysign(ek, -Z(k));
        }
        if (std::fabs(ek - Z(k)) > std::fabs(F(m, k))) {
            const double s = std::fabs(F(m, k)) / std::fabs(ek - Z(k));
            DSCAL(nn, s, z, 1);
            ek *= s;
        }
        double wk = ek - Z(k);
        double wkm = -ek - Z(k);
        double s = std::fabs(wk);
        double sm = std::fabs(wkm);
        if (std::fabs(F(m, k)) > small) {
            wk /= F(m, k);
            wkm /= F(m, k);
        } else {
            wk = 1.0;
            wkm = 1.0;
        }
        ju = std::min<std::int64_t>(std::max<std::int64_t>(ju, mu + ipvt[k - 1]), n);
        std::int64_t mm = m;
        if (k + 1 <= ju) {
            for (std::int64_t j = k + 1; j <= ju; ++j) {
                --mm;
                sm += std::fabs(Z(j) + wkm * F(mm, j));
                Z(j) += wk * F(mm, j);
                s += std::fabs(Z(j));
            }
            if (s < sm) {
                const double t = wkm - wk;
                wk = wkm;
                mm = m;
                for (std::int64_t j = k + 1; j <= ju; ++j) {
                    --mm;
                    Z(j) += t * F(mm, j);
                }
            }
        }
        Z(k) = wk;
    }
    DSCAL(nn, 1.0 / asum(nn, z), z, 1);
    for (std::int64_t k = n; k >= 1; --k) {
        const std::int64_t lm = std::min<std::int64_t>(ml, n - k);
        if (k < n) {
            Z(k) += DDOT(static_cast<std::int32_t>(lm), &F(m + 1, k), 1, &Z(k + 1), 1);
        }
        if (std::fabs(Z(k)) > 1.0) {
            DSCAL(nn, 1.0 / std::fabs(Z(k)), z, 1);
        }
        const std::int64_t l = ipvt[k - 1];
        std::swap(Z(l), Z(k));
    }
    DSCAL(nn, 1.0 / asum(nn, z), z, 1);
    double ynorm = 1.0;
    for (std::int64_t k = 1; k <= n; ++k) {
        const std::int64_t l = ipvt[k - 1];
        std::swap(Z(l), Z(k));
        const double t = Z(k);
        const std::int64_t lm = std::min<std::int64_t>(ml, n - k);
        if (k < n) {
            DAXPY(static_cast<std::int32_t>(lm), t, &F(m + 1, k), 1, &Z(k + 1), 1);
        }
        if (std::fabs(Z(k)) > 1.0) {
            const double s = 1.0 / std::fabs(Z(k));
            DSCAL(nn, s, z, 1);
            ynorm *= s;
        }
    }
    {
        const double s = 1.0 / asum(nn, z);
        DSCAL(nn, s, z, 1);
        ynorm *= s;
    }
    for (std::int64_t k = n; k >= 1; --k) {
        if (std::fabs(Z(k)) > std::fabs(F(m, k))) {
            const double s = std::fabs(F(m, k)) / std::fabs(Z(k));
            DSCAL(nn, s, z, 1);
            ynorm *= s;
        }
        Z(k) = std::fabs(F(m, k)) > small ? Z(k) / F(m, k) : 1.0;
        const std::int64_t lm = std::min(k, m) - 1;
        const std::int64_t la = m - lm;
        const std::int64_t lb = k - lm;
        DAXPY(static_cast<std::int32_t>(lm), -Z(k), &F(la, k), 1, &Z(lb), 1);
    }
    {
        const double s = 1.0 / asum(nn, z);
        DSCAL(nn, s, z, 1);
        ynorm *= s;
    }
    rcond = anorm > small ? ynorm / anorm : 0.0;
    if (rcond <= DMACH(4)) {
        E1VALD(1, rcond);
        E1MES(kWarning, 1,
              "The matrix is algorithmically singular.  An estimate of the reciprocal of its L1 "
              "condition number is RCOND = %(d1).");
    }
}

void dLFSRB(std::int32_t n, const double* fact, std::int32_t ldfac, std::int32_t nlca,
            std::int32_t nuca, const std::int32_t* ipvt, const double* b, std::int32_t ipath,
            double* x)
{
    RoutineScope scope("dLFSRB ");
    if (!checkBand(n, nlca, nuca, false) || !checkLdfac(nlca, nuca, ldfac, 4) ||
        !checkPath(ipath, 5)) {
        return;
    }
    if (x != b) {
        DCOPY(n, b, 1, x, 1);
    }
    const double small = smallValue();
    const std::int64_t ml = nlca;
    const std::int64_t m = nlca + nuca + 1;
    auto F = [fact, ldfac](std::int64_t r, std::int64_t c) {
        return fact[(c - 1) * ldfac + (r - 1)];
    };
    auto singular = [](std::int32_t code) {
        E1MES(kTerminal, code,
              "The input matrix is singular.  Some of the diagonal elements of the upper "
              "triangular matrix U of the LU factorization are close to zero.");
    };
    if (ipath == 1) {
        if (ml > 0) {
            for (std::int64_t k = 1; k <= n - 1; ++k) {
                const std::int64_t lm = std::min<std::int64_t>(ml, n - k);
                const std::int64_t l = ipvt[k - 1];
                const double t = x[l - 1];
                if (l != k) {
                    x[l - 1] = x[k - 1];
                    x[k - 1] = t;
                }
                DAXPY(static_cast<std::int32_t>(lm), t, &fact[(k - 1) * ldfac + m], 1, &x[k], 1);
            }
        }
        for (std::int64_t k = n; k >= 1; --k) {
            if (std::fabs(F(m, k)) <= small) {
                singular(6);
                return;
            }
        }
        DTBSV('U', 'N', 'N', n, static_cast<int>(m - 1), fact, ldfac, x, 1);
        return;
    }
    for (std::int64_t k = 1; k <= n; ++k) {
        if (std::fabs(F(m, k)) <= small) {
            singular(7);
            return;
        }
    }
    DTBSV('U', 'T', 'N', n, static_cast<int>(m - 1), fact, ldfac, x, 1);
    if (ml > 0) {
        for (std::int64_t k = n - 1; k >= 1; --k) {
            const std::int64_t lm = std::min<std::int64_t>(ml, n - k);
            x[k - 1] +=
                DDOT(static_cast<std::int32_t>(lm), &fact[(k - 1) * ldfac + m], 1, &x[k], 1);
            const std::int64_t l = ipvt[k - 1];
            if (l != k) {
                std::swap(x[l - 1], x[k - 1]);
            }
        }
    }
}

void dLFIRB(std::int32_t n, const double* a, std::int32_t lda, std::int32_t nlca, std::int32_t nuca,
            const double* fact, std::int32_t ldfac, const std::int32_t* ipvt, const double* b,
            std::int32_t ipath, double* x, double* res)
{
    RoutineScope scope("dLFIRB ");
    if (!checkBand(n, nlca, nuca, false) || !checkLda(nlca, nuca, lda, true) ||
        !checkLdfac(nlca, nuca, ldfac, 5) || !checkPath(ipath, 6)) {
        return;
    }
    dLFSRB(n, fact, ldfac, nlca, nuca, ipvt, b, ipath, x);
    if (N1RTY(1) == kTerminal || failed()) {
        return;
    }
    const double eps = DMACH(4);
    double previous = DMACH(2);
    auto largest = [n](const double* v) {
        double big = 0.0;
        for (std::int32_t i = 0; i < n; ++i) {
            big = std::max(big, std::fabs(v[i]));
        }
        return big;
    };
    if (largest(x) == 0.0) {
        return;
    }
    // Row i of A (ipath 1) or of A-transposed (ipath 2) as a strided piece of the band.
    for (int round = 0; round < 50; ++round) {
        for (std::int64_t i = 1; i <= n; ++i) {
            if (ipath == 1) {
                const std::int64_t first = std::max<std::int64_t>(1, i - nlca);
                const std::int64_t last = std::min<std::int64_t>(n, i + nuca);
                // a(i, j) at column j, row nuca + i - j: stride lda - 1 along j.
                const double* start = &a[(first - 1) * lda + nuca + i - first];
                res[i - 1] = DDOTXP(static_cast<std::int32_t>(last - first + 1), -b[i - 1], start,
                                    lda - 1, &x[first - 1], 1);
            } else {
                const std::int64_t first = std::max<std::int64_t>(1, i - nuca);
                const std::int64_t last = std::min<std::int64_t>(n, i + nlca);
                // a(j, i) for j = first..last lies in column i, rows nuca + j - i.
                const double* start = &a[(i - 1) * lda + nuca + first - i];
                res[i - 1] = DDOTXP(static_cast<std::int32_t>(last - first + 1), -b[i - 1], start,
                                    1, &x[first - 1], 1);
            }
        }
        dLFSRB(n, fact, ldfac, nlca, nuca, ipvt, res, ipath, res);
        if (failed()) {
            return;
        }
        for (std::int32_t i = 0; i < n; ++i) {
            x[i] -= res[i];
        }
        const double xnorm = largest(x);
        const double ratio = xnorm == 0.0 ? 0.0 : largest(res) / xnorm;
        if (ratio <= eps) {
            return;
        }
        if (ratio >= previous) {
            break;
        }
        previous = ratio;
    }
    E1MES(kWarning, 2,
          "The matrix is too ill-conditioned for iterative refinement to be effective.");
}

void dL2ARB(std::int32_t n, const double* a, std::int32_t lda, std::int32_t nlca, std::int32_t nuca,
            const double* b, std::int32_t ipath, double* x, double* fact, std::int32_t* ipvt,
            double* wk)
{
    RoutineScope scope("dL2ARB ");
    if (!checkBand(n, nlca, nuca, true) || !checkLda(nlca, nuca, lda, false) ||
        !checkPath(ipath, 5)) {
        return;
    }
    std::int32_t values[4] = {1, 16, 0, 1};
    const std::int32_t option = 16;
    IUMAG("MATH", 1, 1, 1, &option, values);
    if (failed()) {
        return;
    }
    if (values[2] < 0 || values[3] <= 0) {
        E1VALI(1, values[2]);
        E1VALI(2, values[3]);
        E1MES(kTerminal, 4,
              "The option values 3,4 must be respectively not less than zero, and non-negative "
              "while %(I1) and %(I2) are given.");
        return;
    }
    std::int32_t ldfac = 2 * nlca + nuca + 1;
    if (ldfac % values[3] == 0) {
        ldfac += values[2];
    }
    double rcond = 1.0;
    dL2CRB(n, a, lda, nlca, nuca, fact, ldfac, ipvt, rcond, wk);
    if (N1RTY(1) == kFatal || failed()) {
        return;
    }
    dLFIRB(n, a, lda, nlca, nuca, fact, ldfac, ipvt, b, ipath, x, wk);
    if (failed()) {
        return;
    }
    if (rcond <= DMACH(4)) {
        E1VALD(1, rcond);
        E1MES(kWarning, 1,
              "The matrix is too ill-conditioned.  An estimate of the reciprocal of its L1 "
              "condition number is RCOND = %(d1).  The solution might not be accurate.");
    }
}

} // namespace numerics

namespace numerics {

std::int32_t bandFactorRows(std::int32_t nlca, std::int32_t nuca)
{
    std::int32_t values[4] = {1, 16, 0, 1};
    const std::int32_t option = 16;
    IUMAG("MATH", 1, 1, 1, &option, values);
    std::int32_t rows = 2 * nlca + nuca + 1;
    if (values[2] >= 0 && values[3] > 0 && rows % values[3] == 0) {
        rows += values[2];
    }
    return rows;
}

} // namespace numerics
