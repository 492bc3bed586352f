#include "numerics/ConcavitySpline.h"

#include "numerics/CubicSpline.h"
#include "numerics/ErrorReporting.h"
#include "numerics/MachineConstants.h"
#include "numerics/SplineKernels.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace numerics {

namespace {

// The contribution of one interval of length h to the equations of its two end points,
// as derivatives with respect to the second derivatives a (left) and b (right): the
// interval's curvature is the linear one cut to the required sign (class +1: the positive
// part). The contributions are homogeneous of degree one, so a Newton step solves the
// system of these derivatives against the right side directly.
struct Contribution
{
    double aa = 0.0; // d(left)/da
    double ab = 0.0; // d(left)/db = d(right)/da
    double bb = 0.0; // d(right)/db
};

Contribution convexPart(double a, double b, double h)
{
    Contribution c;
    if (a >= 0.0 && b >= 0.0) {
        c.aa = h / 3.0;
        c.ab = h / 6.0;
        c.bb = h / 3.0;
    } else if (a < 0.0 && b > 0.0) {
        // Curvature from the zero of the line to the right end.
        const double s = b - a;
        const double s3 = s * s * s;
        c.aa = h * b * b * b / (3.0 * s3);
        c.ab = h * b * b * (b - 3.0 * a) / (6.0 * s3);
        c.bb = h * b * (b * b - 3.0 * a * b + 3.0 * a * a) / (3.0 * s3);
    } else if (a > 0.0 && b < 0.0) {
        const double s = a - b;
        const double s3 = s * s * s;
        c.bb = h * a * a * a / (3.0 * s3);
        c.ab = h * a * a * (a - 3.0 * b) / (6.0 * s3);
        c.aa = h * a * (a * a - 3.0 * a * b + 3.0 * b * b) / (3.0 * s3);
    }
    return c;
}

Contribution contribution(std::int32_t cls, double a, double b, double h)
{
    if (cls == 0) {
        return Contribution{h / 3.0, h / 6.0, h / 3.0}; // no constraint
    }
    return cls > 0 ? convexPart(a, b, h) : convexPart(-a, -b, h);
}

} // namespace

void DC4CON(std::int32_t m, double* y2, const double* x, const double* d, const std::int32_t* cls,
            std::int32_t& iter, double tol, std::int32_t& status)
{
    RoutineScope scope("dC4CON");
    const std::int32_t limit = iter;
    iter = 0;
    status = 2;
    if (limit < 1 || m < 1) {
        if (m < 1) {
            status = 1;
        }
        return;
    }
    const double threshold = std::sqrt(std::max(DMACH(1), 1.0 / DMACH(2)));
    const auto M = static_cast<std::size_t>(m);
    std::vector<double> sub(M), diag(M), super(M), rhs(M);
    // The second derivative at point j (0..m+1), 0.0 at both ends.
    auto value = [&](std::int32_t j) { return (j == 0 || j == m + 1) ? 0.0 : y2[j - 1]; };
    for (std::int32_t it = 1; it <= limit; ++it) {
        iter = it;
        std::fill(sub.begin(), sub.end(), 0.0);
        std::fill(diag.begin(), diag.end(), 0.0);
        std::fill(super.begin(), super.end(), 0.0);
        // Interval j lies between points j and j + 1; its rows are the interior points.
        for (std::int32_t j = 0; j <= m; ++j) {
            const double h = x[j + 1] - x[j];
            const Contribution c = contribution(cls[j], value(j), value(j + 1), h);
            if (j >= 1) {
                diag[static_cast<std::size_t>(j - 1)] += c.aa;
                if (j + 1 <= m) {
                    super[static_cast<std::size_t>(j - 1)] += c.ab;
                }
            }
            if (j + 1 <= m) {
                diag[static_cast<std::size_t>(j)] += c.bb;
                if (j >= 1) {
                    sub[static_cast<std::size_t>(j)] += c.ab;
                }
            }
        }
        // Rows scaled to the second divided differences; a zero difference holds its
        // second derivative at 0.0.
        for (std::int32_t i = 0; i < m; ++i) {
            const auto ii = static_cast<std::size_t>(i);
            const double span = x[i + 2] - x[i];
            if (d[i] == 0.0) {
                sub[ii] = 0.0;
                super[ii] = 0.0;
                diag[ii] = 1.0;
                rhs[ii] = 0.0;
            } else {
                sub[ii] /= span;
                diag[ii] /= span;
                super[ii] /= span;
                rhs[ii] = d[i];
            }
            if (diag[ii] <= threshold) {
                E1MES(kTerminal, 4,
                      "The diagonal of the matrix has a near zero element.  The matrix is "
                      "ill-conditioned.");
                return;
            }
        }
        B1TRID(sub.data(), diag.data(), super.data(), rhs.data(), m);
        double change = 0.0;
        for (std::int32_t i = 0; i < m; ++i) {
            change += std::fabs(rhs[static_cast<std::size_t>(i)] - y2[i]);
            y2[i] = rhs[static_cast<std::size_t>(i)];
        }
        if (it >= 2 && change <= m * tol) {
            status = 1;
            return;
        }
    }
}

void DC2CON(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t itmax,
            double* brk, double* cscoef, std::int32_t& nbrk, std::int32_t* iwk)
{
    RoutineScope scope("dC2CON");
    if (ndata < 3) {
        E1VALI(1, ndata);
        E1MES(kTerminal, 1,
              "The number of data points must be at least 3 while NDATA = %(I1) is given.");
        return;
    }
    if (itmax < 2) {
        E1VALI(1, itmax);
        E1MES(kTerminal, 2,
              "The maximum number of iterations must be at least 2 while ITMAX = %(I1) is "
              "given.");
        return;
    }
    const std::int32_t n = ndata;
    const auto N = static_cast<std::size_t>(n);
    std::vector<double> x(N);
    std::vector<double> fc(4 * N);
    if (!sortDataPoints(n, xdata, fdata, x.data(), fc.data(), 4, iwk, kFatal, 3)) {
        return;
    }
    std::vector<double> f(N);
    for (std::size_t i = 0; i < N; ++i) {
        f[i] = fc[4 * i];
    }
    const double eps = DMACH(4);
    const std::int32_t m = n - 2;
    std::vector<double> d(static_cast<std::size_t>(m));
    for (std::int32_t i = 0; i < m; ++i) {
        const auto ii = static_cast<std::size_t>(i);
        const double left = (f[ii + 1] - f[ii]) / (x[ii + 1] - x[ii]);
        const double right = (f[ii + 2] - f[ii + 1]) / (x[ii + 2] - x[ii + 1]);
        d[ii] = (right - left) / (x[ii + 2] - x[ii]);
        if (std::fabs(d[ii]) <= 10.0 * eps) {
            d[ii] = 0.0;
        }
    }
    // Interval classes: the first and last by their one neighbouring difference, the
    // others by both.
    std::vector<std::int32_t> cls(N - 1);
    cls[0] = d[0] < 0.0 ? -1 : 1;
    cls[N - 2] = d[static_cast<std::size_t>(m - 1)] < 0.0 ? -1 : 1;
    for (std::int32_t j = 1; j <= n - 3; ++j) {
        const double dl = d[static_cast<std::size_t>(j - 1)];
        const double dr = d[static_cast<std::size_t>(j)];
        cls[static_cast<std::size_t>(j)] = (dl >= 0.0 && dr >= 0.0) && !(dl == 0.0 && dr == 0.0)
                                               ? 1
                                               : ((dl <= 0.0 && dr <= 0.0) ? -1 : 0);
    }
    std::vector<double> y2(static_cast<std::size_t>(m));
    for (std::int32_t i = 0; i < m; ++i) {
        y2[static_cast<std::size_t>(i)] = d[static_cast<std::size_t>(i)] > 0.0 ? 1.0 : -1.0;
    }
    for (std::int32_t i = 1; i <= m - 2; ++i) {
        const auto ii = static_cast<std::size_t>(i);
        if (d[ii - 1] == 0.0 && d[ii + 1] == 0.0) {
            d[ii] = 0.0;
        }
    }
    std::int32_t iter = itmax;
    std::int32_t status = 0;
    DC4CON(m, y2.data(), x.data(), d.data(), cls.data(), iter, 10.0 * eps, status);
    if (failed()) {
        return;
    }
    if (status == 2) {
        E1VALI(1, itmax);
        E1MES(kWarning, 16,
              "The maximum number of iterations was reached in Newton's Method.  The best "
              "answer will be returned.  ITMAX = %(I1) was used, a larger value may help.");
    }

    // The pieces: chords where no curvature is allowed, cubics where the second
    // derivatives have the required signs, and split intervals where they change sign.
    std::vector<double> s(N, 0.0);
    for (std::int32_t i = 0; i < m; ++i) {
        s[static_cast<std::size_t>(i + 1)] = y2[static_cast<std::size_t>(i)];
    }
    std::int32_t pieces = 0;
    auto addPiece = [&](double at, double v, double slope, double second, double third) {
        brk[pieces] = at;
        double* col = cscoef + 4 * static_cast<std::int64_t>(pieces);
        col[0] = v;
        col[1] = slope;
        col[2] = second;
        col[3] = third;
        ++pieces;
    };
    for (std::int32_t j = 0; j < n - 1; ++j) {
        const auto jj = static_cast<std::size_t>(j);
        const double h = x[jj + 1] - x[jj];
        const double df = f[jj + 1] - f[jj];
        const double a = s[jj];
        const double b = s[jj + 1];
        bool chord = false;
        if (j == 0) {
            chord = d[0] == 0.0;
        } else if (j == n - 2) {
            chord = d[static_cast<std::size_t>(m - 1)] == 0.0;
        } else {
            chord = d[jj - 1] * d[jj] == 0.0;
        }
        const std::int32_t c = cls[jj];
        const double sa = c * a; // >= 0 where the sign is the required one
        const double sb = c * b;
        if (!chord && c != 0 && sa < 0.0 && sb < 0.0) {
            chord = true;
        }
        if (chord) {
            addPiece(x[jj], f[jj], df / h, 0.0, 0.0);
            continue;
        }
        if (c == 0 || (sa >= 0.0 && sb >= 0.0)) {
            addPiece(x[jj], f[jj], df / h - h * (2.0 * a + b) / 6.0, a, (b - a) / h);
            continue;
        }
        if (sa < 0.0) {
            // Straight from the left end to the zero z, then curved to the right end.
            const double w = h * b / (b - a); // length from z to the right end
            if (!(w > 0.0)) {
                addPiece(x[jj], f[jj], df / h, 0.0, 0.0);
                continue;
            }
            const double slope = (df - b * w * w / 6.0) / h;
            addPiece(x[jj], f[jj], slope, 0.0, 0.0);
            const double z = x[jj + 1] - w;
            addPiece(z, f[jj] + slope * (z - x[jj]), slope, 0.0, b / w);
        } else {
            // Curved from the left end to the zero z, then straight.
            const double w = h * a / (a - b); // length from the left end to z
            if (!(w > 0.0)) {
                addPiece(x[jj], f[jj], df / h, 0.0, 0.0);
                continue;
            }
            const double slope = (df - a * w * w / 3.0 - a * w * (h - w) / 2.0) / h;
            addPiece(x[jj], f[jj], slope, a, -a / w);
            const double z = x[jj] + w;
            addPiece(z, f[jj] + slope * w + a * w * w / 3.0, slope + a * w / 2.0, 0.0, 0.0);
        }
    }
    addPiece(x[N - 1], f[N - 1], 0.0, 0.0, 0.0);
    nbrk = pieces;
}

} // namespace numerics
